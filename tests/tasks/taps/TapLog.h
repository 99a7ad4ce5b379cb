// TapLog.h - the test TAPs' record of what they saw: lines appended to the
// disk file "/TaskTap.log", each "<name> <text>".
#pragma once

#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include "Kalib.h"

static inline void RecordLine(const char *tapName, const char *text) {
  char line[256];
  TAP_SPrint(line, "%.60s %.180s\n", tapName, text);
  int fd = open("/mnt/hd/TaskTap.log", O_WRONLY | O_APPEND | O_CREAT, 0666);
  if (fd < 0) return;
  ssize_t written = write(fd, line, strlen(line));
  (void)written;
  close(fd);
}
