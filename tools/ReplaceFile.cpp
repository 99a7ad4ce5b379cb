// ReplaceFile.cpp - writing a data file so that it is never seen half
// written: the new content goes to a temporary file, which is renamed over
// the old one only when all of it is on the disk.  A power cut leaves the
// old file or the new one, and at worst a stray temporary file that the next
// write replaces.
#include <stdio.h>

#include "ToolsInternal.h"

static const char TempSuffix[] = ".tmp";

// The Linux path of name in the working directory; false when it does not
// fit a path buffer.
static bool LinuxPathInWorkDir(const char *name, char *linuxPath) {
  char dir[KALIB_PATH_MAX];
  char tapPath[KALIB_PATH_MAX];
  if (HDD_TAP_GetCurrentDir(dir) != 0) return false;
  int length = snprintf(tapPath, sizeof tapPath, "%s/%s", dir, name);
  if (length < 0 || length >= (int)sizeof tapPath) return false;
  linuxPath[0] = '\0';
  ConvertPathType(tapPath, linuxPath, PK_LinuxFile);
  return linuxPath[0] != '\0';
}

// Creates name anew and writes size bytes; true only when all are there.
// The length is checked on the file opened again: the firmware's
// TAP_Hdd_Flen reports the length the file had when it was opened.
static bool WriteNewFile(const char *name, const void *data, dword size) {
  if (TAP_Hdd_Exist(name)) TAP_Hdd_Delete(name);
  TAP_Hdd_Create(name, ATTR_NORMAL);
  TYPE_File *f = TAP_Hdd_Fopen(name);
  if (f == nullptr) return false;
  bool complete = size == 0 || TAP_Hdd_Fwrite(data, size, 1, f) == 1;
  TAP_Hdd_Fclose(f);
  f = complete ? TAP_Hdd_Fopen(name) : nullptr;
  if (f == nullptr) return false;
  complete = TAP_Hdd_Flen(f) == size;
  TAP_Hdd_Fclose(f);
  return complete;
}

bool ReplaceFile(const char *fileName, const void *data, dword size) {
  CallTraceEnter("ReplaceFile");
  bool done = false;
  char tempName[KALIB_PATH_MAX];
  char from[KALIB_PATH_MAX];
  char to[KALIB_PATH_MAX];
  if (fileName != nullptr && fileName[0] != '\0' && (data != nullptr || size == 0)) {
    int length = snprintf(tempName, sizeof tempName, "%s%s", fileName, TempSuffix);
    if (length > 0 && length < (int)sizeof tempName && LinuxPathInWorkDir(tempName, from) &&
        LinuxPathInWorkDir(fileName, to)) {
      done = WriteNewFile(tempName, data, size) && rename(from, to) == 0;
      if (!done && TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
    }
  }
  CallTraceExit(nullptr);
  return done;
}
