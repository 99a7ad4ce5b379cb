// ManagerDiskFree.cpp - the free space on the disk as the box's busybox df
// reports it, for the backup and the install, which both refuse to start
// what the disk cannot hold.  The box's libc offers no statfs, so df runs
// through the shell into a small file beside the caller's own files, which is
// read and deleted again.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Manager.h"
#include "firmware/ShellQuote.h"

#define LINUX_DISK "/mnt/hd"
#define DF_TEXT_SIZE 1024  // df's answer read at most: a header and one file system

// Reads up to size - 1 bytes of the file, terminated; false when missing.
static bool ReadDfText(const char *path, char *text, dword size) {
  text[0] = '\0';
  int fd = open(path, O_RDONLY);
  if (fd < 0) return false;
  dword used = 0;
  while (used + 1 < size) {
    ssize_t n = read(fd, text + used, size - 1 - used);
    if (n <= 0) break;
    used += (dword)n;
  }
  text[used] = '\0';
  close(fd);
  return true;
}

bool ManagerDiskFreeKB(const char *dfFile, const char *who, dword *kilobytes) {
  CallTraceEnter("ManagerDiskFreeKB");
  char command[2 * KALIB_PATH_MAX], quoted[KALIB_PATH_MAX + 16], text[DF_TEXT_SIZE] = "";
  bool known = false;
  if (dfFile != nullptr && kilobytes != nullptr && ShellQuote(dfFile, quoted, sizeof quoted)) {
    snprintf(command, sizeof command, "%s df -k '" LINUX_DISK "' > %s 2>&1", BUSYBOX_PROGRAM, quoted);
    system(command);
    known = ReadDfText(dfFile, text, sizeof text) && DfAvailableKB(text, kilobytes);
    DeleteLinuxFile(dfFile);
  }
  if (!known) LogVantero("%s: df gave no free space: %.200s", who != nullptr ? who : "?", text);
  CallTraceExit(nullptr);
  return known;
}
