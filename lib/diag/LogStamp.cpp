// LogStamp.cpp - time stamp and file time of log lines.
#include "LogStamp.h"

#include <string.h>
#include <utime.h>

void KalibLogStamp(tTimeStampStyle style, char stamp[KALIB_STAMP_SIZE]) {
  byte sec = 0;
  dword now = Now(&sec);
  TimeFormat(now, sec, style, stamp);
  if (stamp[0] != '\0') strcat(stamp, " ");  // at most 39 characters before it
}

void KalibLogTouch(const char *linuxPath) {
  struct utimbuf times;
  times.actime = times.modtime = (time_t)PvrTimeToLinux(Now(nullptr));
  utime(linuxPath, &times);
}
