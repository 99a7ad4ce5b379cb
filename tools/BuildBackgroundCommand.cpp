// BuildBackgroundCommand.cpp - a box-shell command run in the background,
// as the downloads run: system() returns at once, the program's process id
// and, once it has ended, its exit status land in files that the manager
// polls on its idle events.  The status is written after "wait" for the
// program itself, so that "kill <pid>" ends it and the status still comes.
#include <stdio.h>

#include "Tools.h"
#include "firmware/ShellQuote.h"

bool BuildBackgroundCommand(const char *commandLine, const char *statusFile, const char *pidFile,
                            char *command, dword commandSize) {
  CallTraceEnter("BuildBackgroundCommand");
  bool built = false;
  if (command != nullptr && commandSize > 0) command[0] = '\0';
  char quotedStatus[KALIB_PATH_MAX + 16];
  char quotedPid[KALIB_PATH_MAX + 16];
  bool present = commandLine != nullptr && commandLine[0] != '\0' && statusFile != nullptr &&
                 statusFile[0] != '\0' && pidFile != nullptr && pidFile[0] != '\0';
  if (command != nullptr && commandSize > 0 && present &&
      ShellQuote(statusFile, quotedStatus, sizeof quotedStatus) &&
      ShellQuote(pidFile, quotedPid, sizeof quotedPid)) {
    int length =
        snprintf(command, commandSize, "( %s & echo $! > %s; wait $!; echo $? > %s ) > /dev/null 2>&1 &",
                 commandLine, quotedPid, quotedStatus);
    built = length > 0 && (dword)length < commandSize;
    if (!built) command[0] = '\0';
  }
  CallTraceExit(nullptr);
  return built;
}
