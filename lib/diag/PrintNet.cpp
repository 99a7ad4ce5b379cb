// PrintNet.cpp - sends a text to the console: the first pseudo-terminal that opens.
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "Kalib.h"

static const int kMaxTerminals = 20;

void PrintNet(const char *text) {
  if (text == nullptr) return;
  for (int n = 0; n < kMaxTerminals; n++) {
    char device[32];
    snprintf(device, sizeof device, "/dev/pts/%d", n);
    int fd = open(device, O_RDWR);
    if (fd < 0) continue;
    // The terminating NUL goes out too; the console readers expect it.
    ssize_t written = write(fd, text, strlen(text) + 1);
    (void)written;
    close(fd);
    return;
  }
}
