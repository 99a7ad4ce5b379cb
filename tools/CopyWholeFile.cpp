// CopyWholeFile.cpp - a copy of one file under a new name, checked on the
// disk: written whole, closed, and its size compared with the source's
// before it counts as made.  The copy keeps the source's modification time.  The box's libc has no fsync; the
// size check after close is the most it allows (a disk that loses writes shows there).
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include "Tools.h"

#define COPY_BLOCK (64 * 1024)

// Writes all of size bytes; false when the disk takes fewer.
static bool WriteAll(int fd, const byte *data, dword size) {
  dword done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) return false;
    done += (dword)n;
  }
  return true;
}

// Copies the open source into the open target; false on a read or write error.
static bool CopyBlocks(int in, int out, byte *buffer) {
  for (;;) {
    ssize_t n = read(in, buffer, COPY_BLOCK);
    if (n == 0) return true;
    if (n < 0 || !WriteAll(out, buffer, (dword)n)) return false;
  }
}

bool CopyWholeFile(const char *from, const char *to) {
  CallTraceEnter("CopyWholeFile");
  bool copied = false;
  struct stat64 source, target;
  byte *buffer = (byte *)TAP_MemAlloc(COPY_BLOCK);
  int in = from != nullptr && to != nullptr ? open(from, O_RDONLY) : -1;
  int out = in >= 0 && buffer != nullptr ? open(to, O_WRONLY | O_CREAT | O_TRUNC, 0666) : -1;
  if (out >= 0) {
    copied = CopyBlocks(in, out, buffer);
    copied = close(out) == 0 && copied;
    copied = copied && lstat64(from, &source) == 0 && lstat64(to, &target) == 0 &&
             source.st_size == target.st_size;
    // The copy keeps the file's time, so the inventory sees no new version.
    struct utimbuf times = {(time_t)source.st_atime, (time_t)source.st_mtime};
    if (copied) utime(to, &times);
  }
  if (in >= 0) close(in);
  TAP_MemFree(buffer);
  CallTraceExit(nullptr);
  return copied;
}
