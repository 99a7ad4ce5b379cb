// FileJournalDisk.cpp - the file journal's file operations on Linux paths: existence and renames
// through the box's libc, deletion and whole-file writes through the firmware, which works in the
// TAP's current folder (so the folder is entered for the call and left again).
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "BoundedString.h"
#include "FileJournalFile.h"

void FjSetReason(const tFjReason *reason, const char *text) {
  if (reason != nullptr && reason->Text != nullptr && reason->Size > 0)
    StrCopyBounded(reason->Text, reason->Size, text);
}

void FjSetReason2(const tFjReason *reason, const char *what, const char *detail) {
  char text[256];
  snprintf(text, sizeof text, "%s: %s", what, detail);
  FjSetReason(reason, text);
}

bool FjExists(const char *linuxPath) {
  struct stat64 st;
  return linuxPath != nullptr && linuxPath[0] != '\0' && lstat64(linuxPath, &st) == 0;
}

bool FjRename(const char *from, const char *to) { return rename(from, to) == 0; }

// Splits a Linux path into its folder and its name; false when it has no folder part or no name.
static bool SplitPath(const char *linuxPath, char *folder, char *name) {
  const char *slash = strrchr(linuxPath, '/');
  if (slash == nullptr || slash[1] == '\0') return false;
  size_t folderLength = (size_t)(slash - linuxPath);
  if (folderLength == 0) folderLength = 1;  // the root keeps its slash
  if (folderLength >= KALIB_PATH_MAX) return false;
  memcpy(folder, linuxPath, folderLength);
  folder[folderLength] = '\0';
  return StrCopyBounded(name, KALIB_PATH_MAX, slash + 1);
}

// Enters the folder of linuxPath (the current folder saved first) and puts the file's name into name;
// false, with nothing to undo, when that is not possible.
static bool EnterFolderOf(const char *linuxPath, char *name) {
  char folder[KALIB_PATH_MAX];
  if (!SplitPath(linuxPath, folder, name) || !HDD_TAP_PushDir()) return false;
  if (HDD_ChangeDir(folder)) return true;
  HDD_TAP_PopDir();
  return false;
}

bool FjDelete(const char *linuxPath) {
  if (!FjExists(linuxPath)) return true;
  char name[KALIB_PATH_MAX];
  if (!EnterFolderOf(linuxPath, name)) return false;
  TAP_Hdd_Delete(name);
  HDD_TAP_PopDir();
  return !FjExists(linuxPath);
}

bool FjWriteWhole(const char *linuxPath, const void *data, dword size, const tFjReason *reason) {
  char name[KALIB_PATH_MAX];
  if (!EnterFolderOf(linuxPath, name)) {
    FjSetReason(reason, "cannot enter the journal's folder");
    return false;
  }
  char detail[128] = "";
  bool written = ReplaceWholeFile(name, data, size, detail, sizeof detail);
  HDD_TAP_PopDir();
  if (!written) FjSetReason2(reason, "cannot write the journal", detail);
  return written;
}
