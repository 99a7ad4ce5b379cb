// NoAutoStartTAP.cpp - moves this TAP's own file out of an autostart folder so that it does not
// start again at the next boot.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "ShellQuote.h"
#include "TaskTable.h"

static bool InAutoStartFolder(const char *dir) {
  return strstr(dir, "/ProgramFiles/AutoStart") != nullptr || strstr(dir, "/ProgramFiles/XStart") != nullptr;
}

// "mv <file> /mnt/hd/ProgramFiles" with the file quoted for the shell; false
// when the command does not fit.
static bool FormatMoveCommand(const char *tapFile, char *command, size_t size) {
  char quoted[2 * KALIB_PATH_MAX];
  if (!ShellQuote(tapFile, quoted, sizeof quoted)) return false;
  int len = snprintf(command, size, "mv %s /mnt/hd/ProgramFiles", quoted);
  return len >= 0 && (size_t)len < size;
}

int NoAutoStartTAP(void) {
  char currentDir[KALIB_PATH_MAX] = "";
  if (HDD_TAP_GetCurrentDir(currentDir) != 0) return 0;
  if (!InAutoStartFolder(currentDir)) return 0;
  if (!KalibResolveTableIndex()) return -3;
  char *tapFile = nullptr;
  if (!HDD_TAP_GetFileNameByIndex(TAP_TableIndex, &tapFile)) return 0;
  char command[2 * KALIB_PATH_MAX + 64];
  if (!FormatMoveCommand(tapFile, command, sizeof command)) return 0;
  return system(command) == 0 ? 1 : 0;
}
