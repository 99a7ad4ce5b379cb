/*
 * FindTAP.cpp - finds a TAP file by its TAP ID anywhere below
 * "/ProgramFiles", breadth-first, skipping the update manager's settings
 * folder.
 */
#include <string.h>

#include "Tools.h"

namespace {

const char *const SearchRoot = "/ProgramFiles";
const dword FolderQueueSize = 4096;

/* Copies `text` into `dest` of `size` bytes, cut to fit and terminated. */
void CopyBounded(char *dest, size_t size, const char *text) {
  size_t length = strnlen(text, size - 1);
  memcpy(dest, text, length);
  dest[length] = '\0';
}

/* Queues the subfolder `name` of the folder at `folderOffset`.  A path that
 * does not fit a path buffer cannot be entered and is left out; the
 * manager's settings folder is never searched; the queue ignores a folder
 * that it already holds. */
void QueueSubfolder(tStringDB *folders, dword folderOffset, const char *name) {
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return;
  const char *folder = StringDBGet(folders, folderOffset);
  if (folder == nullptr || strlen(folder) + 1 + strlen(name) >= KALIB_PATH_MAX) return;

  char NextDir[KALIB_PATH_MAX];
  TAP_SPrint(NextDir, "%s/%s", folder, name);
  if (strcmp(NextDir, VANTERO_SETTINGS_DIR) != 0) StringDBAdd(folders, NextDir);
}

/* Looks at the entries of the working directory, the folder at
 * `folderOffset`: queues its subfolders and reads the header of each TAP
 * file.  True on a match, with the outputs filled. */
bool SearchFolder(tStringDB *folders, dword folderOffset, dword tapId, char *tapName,
                  char *folderName) {
  TYPE_FolderEntry FolderEntry;
  tTAPInfo TAPInfo;
  int NrFiles = (int)TAP_Hdd_FindFirst(&FolderEntry, "tap");
  for (int i = 0; i < NrFiles; i++) {
    if (i > 0 && TAP_Hdd_FindNext(&FolderEntry) == 0) break;
    FolderEntry.name[sizeof(FolderEntry.name) - 1] = '\0';

    if (FolderEntry.attr == ATTR_FOLDER) {
      QueueSubfolder(folders, folderOffset, FolderEntry.name);
    } else if (FolderEntry.attr == ATTR_NORMAL) {
      if (!HDD_TAP_GetInfo(FolderEntry.name, &TAPInfo) || TAPInfo.TAPID != tapId) continue;
      if (tapName != nullptr) CopyBounded(tapName, sizeof(FolderEntry.name), FolderEntry.name);
      if (folderName != nullptr)
        CopyBounded(folderName, KALIB_PATH_MAX, StringDBGet(folders, folderOffset));
      return true;
    }
  }
  return false;
}

}  // namespace

bool FindTAP(dword tapId, char *tapName, char *folderName) {
  CallTraceEnter("FindTAP");

  tStringDB StringDB;
  StringDBInit(&StringDB, FolderQueueSize);
  StringDBAdd(&StringDB, SearchRoot);

  bool found = false;
  while (!found && !StringDBEOF(&StringDB)) {
    dword folderOffset = StringDBCurrent(&StringDB);
    if (HDD_ChangeDir(StringDBGet(&StringDB, folderOffset)))
      found = SearchFolder(&StringDB, folderOffset, tapId, tapName, folderName);
    StringDBNext(&StringDB);
  }

  StringDBDestroy(&StringDB);
  CallTraceExit(nullptr);
  return found;
}
