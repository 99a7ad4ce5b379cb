// HDD_ChangeDir.cpp - changes the TAP's working directory through the TAP API, learning once how
// the firmware reports success and retrying with a UTF-8 name on firmware
// that keeps file names in UTF-8.
#include "BoundedString.h"
#include "Kalib.h"
#include "WorkDir.h"

dword ReturnTypeToBeChecked = 1;
dword ChDirSuccessful = 0;

// "/ProgramFiles" exists on every disk, so whatever the firmware answers
// for it is its success value.
static void LearnChangeDirSuccess(void) {
  bool pushed = HDD_TAP_PushDir();
  ChDirSuccessful = TAP_Hdd_ChangeDir("/ProgramFiles");
  ReturnTypeToBeChecked = 0;
  if (pushed) HDD_TAP_PopDir();
}

// Worst case of StrToUTF8: three bytes per source byte and the terminator.
static const size_t kUtf8PathMax = 3 * KALIB_PATH_MAX + 1;

bool HDD_ChangeDir(const char *dir) {
  if (ReturnTypeToBeChecked) LearnChangeDirSuccess();
  if (dir == nullptr || dir[0] == '\0') return false;

  char folder[KALIB_PATH_MAX];
  if (!StrCopyBounded(folder, sizeof folder, dir) || !EnsureSlash(folder, sizeof folder)) return false;
  ConvertPathType(folder, folder, PK_TapFolder);
  if (folder[0] == '\0') return false;

  if (TAP_Hdd_ChangeDir(folder) == ChDirSuccessful) return true;
  if (!isUTFToppy()) return false;
  char utf8Folder[kUtf8PathMax];
  StrToUTF8Sized(folder, utf8Folder, sizeof utf8Folder, 9);
  return TAP_Hdd_ChangeDir(utf8Folder) == ChDirSuccessful;
}
