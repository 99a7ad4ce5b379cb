// LogEntryKalibPrintf.cpp - the library's own log: "Kalib.log" in the common settings folder, written
// only when the user has created that file, and the console.
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>

#include "LogStamp.h"

static const char kSettingsDir[] = "/mnt/hd/ProgramFiles/Settings";
static const char kKalibLog[] = "/mnt/hd/ProgramFiles/Settings/Kalib.log";

static void AppendToKalibLog(const char *stamp, const char *message) {
  FILE *log = fopen(kKalibLog, "r+");  // never creates the file
  if (log == nullptr) return;
  fseek(log, 0, SEEK_END);
  fputs(stamp, log);
  fputs(message, log);
  fputs("\r\n", log);
  fclose(log);
  KalibLogTouch(kKalibLog);
}

void LogEntryKalibPrintf(bool console, const char *format, ...) {
  if (format == nullptr) return;
  char message[512];
  va_list args;
  va_start(args, format);
  vsnprintf(message, sizeof message, format, args);
  va_end(args);

  mkdir(kSettingsDir, 0777);
  char stamp[KALIB_STAMP_SIZE];
  KalibLogStamp(TIMESTAMP_YMDHMS, stamp);
  AppendToKalibLog(stamp, message);
  if (console) {
    snprintf(puffer, sizeof puffer, "%s KALIB - %s\n", stamp, message);
    PrintNet(puffer);
  }
}
