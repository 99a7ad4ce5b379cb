// LinuxPathInCurrentDir.cpp - the Linux path of a name in the TAP's current folder, for the libc
// calls (lstat64, rename) that the firmware's file API has no counterpart for.
#include "BoundedString.h"
#include "Kalib.h"

bool LinuxPathInCurrentDir(const char *Name, char *LinuxPath) {
  if (LinuxPath == nullptr) return false;
  LinuxPath[0] = '\0';
  if (Name == nullptr || Name[0] == '\0') return false;
  char tapPath[KALIB_PATH_MAX];
  if (HDD_TAP_GetCurrentDir(tapPath) != 0) return false;
  // A cut path would name another file: refuse what does not fit.
  if (!EnsureSlash(tapPath, sizeof tapPath) || !StrAppendBounded(tapPath, sizeof tapPath, Name)) return false;
  ConvertPathType(tapPath, LinuxPath, PK_LinuxFile);
  return LinuxPath[0] != '\0';
}
