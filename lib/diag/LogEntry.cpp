// LogEntry.cpp - one log line: appended to a log file behind a time stamp and, on request,
// sent to the console in ISO 8859-1 with the program name in front.
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "LogStamp.h"

// Longest piece of text that goes to the console in one send.
static const size_t kConsolePiece = 510;

static void AppendToFile(const char *fileName, const char *stamp, const char *text) {
  char linuxPath[KALIB_PATH_MAX];
  ConvertPathType(fileName, linuxPath, PK_LinuxFile);
  if (linuxPath[0] == '\0') return;
  int fd = open(linuxPath, O_WRONLY | O_APPEND | O_CREAT, 0666);
  if (fd < 0) return;
  // One write, so that the line is never split between two writers.
  size_t stampLen = strlen(stamp), textLen = strlen(text);
  char line[KALIB_STAMP_SIZE + 1024];
  bool ok = true;
  if (stampLen + textLen + 2 <= sizeof line) {
    memcpy(line, stamp, stampLen);
    memcpy(line + stampLen, text, textLen);
    memcpy(line + stampLen + textLen, "\r\n", 2);
    ok = write(fd, line, stampLen + textLen + 2) >= 0;
  } else {
    ok = write(fd, stamp, stampLen) >= 0 && write(fd, text, textLen) >= 0 && write(fd, "\r\n", 2) >= 0;
  }
  (void)ok;  // a log line that cannot be written is skipped silently
  close(fd);
  KalibLogTouch(linuxPath);
}

static void SendToConsole(const char *stamp, const char *programName, const char *text) {
  if (stamp[0] != '\0') {
    snprintf(puffer, sizeof puffer, "%s", stamp);
    PrintNet(puffer);
  }
  if (programName != nullptr && programName[0] != '\0') {
    snprintf(puffer, sizeof puffer, "%s: ", programName);
    PrintNet(puffer);
  }
  char *isoText = nullptr;
  StrToISOAlloc(text, &isoText);
  if (isoText != nullptr) {
    for (const char *piece = isoText; *piece != '\0';) {
      size_t len = strnlen(piece, kConsolePiece);
      snprintf(puffer, sizeof puffer, "%.*s", (int)len, piece);
      PrintNet(puffer);
      piece += len;
    }
  }
  snprintf(puffer, sizeof puffer, "\n");
  PrintNet(puffer);
  if (isoText != nullptr) TAP_MemFree(isoText);
}

void LogEntry(const char *fileName, const char *programName, bool console, tTimeStampStyle timeStampStyle,
              const char *text) {
  if (text == nullptr) return;
  char stamp[KALIB_STAMP_SIZE];
  KalibLogStamp(timeStampStyle, stamp);
  if (fileName != nullptr && fileName[0] != '\0') AppendToFile(fileName, stamp, text);
  if (console) SendToConsole(stamp, programName, text);
}
