// BuildWgetCommand.cpp - the command line that runs the box's wget in the
// background.  system() returns at once, so the manager's event handler
// never waits for a server; wget's process id and, when it has ended, its
// exit status land in files that the manager polls.  The status is written
// after "wait" for wget itself (not for a shell around it), so that
// "kill <pid>" ends the download and the status still arrives.
#include <stdio.h>

#include "ToolsInternal.h"
#include "firmware/ShellQuote.h"

bool BuildWgetCommand(const char *url, const char *outFile, const char *statusFile, const char *pidFile,
                      char *command, dword commandSize) {
  CallTraceEnter("BuildWgetCommand");
  bool built = false;
  if (command != nullptr && commandSize > 0) command[0] = '\0';
  char quotedUrl[2 * REPO_URL_MAX];
  char quotedOut[KALIB_PATH_MAX + 16];
  char quotedStatus[KALIB_PATH_MAX + 16];
  char quotedPid[KALIB_PATH_MAX + 16];
  bool present = url != nullptr && url[0] != '\0' && outFile != nullptr && outFile[0] != '\0' &&
                 statusFile != nullptr && statusFile[0] != '\0' && pidFile != nullptr && pidFile[0] != '\0';
  if (command != nullptr && commandSize > 0 && present && ShellQuote(url, quotedUrl, sizeof quotedUrl) &&
      ShellQuote(outFile, quotedOut, sizeof quotedOut) &&
      ShellQuote(statusFile, quotedStatus, sizeof quotedStatus) &&
      ShellQuote(pidFile, quotedPid, sizeof quotedPid)) {
    int length = snprintf(command, commandSize,
                          "( %s -q -O %s %s & echo $! > %s; wait $!; echo $? > %s ) > /dev/null 2>&1 &",
                          WGET_PROGRAM, quotedOut, quotedUrl, quotedPid, quotedStatus);
    built = length > 0 && (dword)length < commandSize;
    if (!built) command[0] = '\0';
  }
  CallTraceExit(nullptr);
  return built;
}
