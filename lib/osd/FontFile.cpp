// FontFile.cpp - reading helpers of the UFNT loader and glyph cache.
#include <string.h>
#include <unistd.h>

#include "FontFile.h"

dword FMUC_ReadFully(int fd, void *buffer, dword size) {
  byte *p = (byte *)buffer;
  dword done = 0;
  while (done < size) {
    ssize_t n = read(fd, p + done, size - done);
    if (n <= 0) break;
    done += (dword)n;
  }
  if (done < size) memset(p + done, 0, size - done);
  return done;
}

dword FMUC_FileLength(int fd) {
  off_t end = lseek(fd, 0, SEEK_END);
  return end < 0 ? 0 : (end > 0x7FFFFFFF ? 0x7FFFFFFF : (dword)end);
}
