// FindFile.cpp - finding a package file on the disk: in its default folder,
// then (a TAP, by its TAP ID) in "/ProgramFiles" and its AutoStart folder,
// then anywhere below "/ProgramFiles" but the manager's own settings folder.
#include <string.h>

#include "ToolsInternal.h"

// Folder paths whose Linux form ("/mnt/hd" in front) fits a path buffer.
static const dword MaxSearchPathLength = KALIB_PATH_MAX - 1 - 7;

static void SetFound(tVPDFiles *file, const char *linuxFolder, const char *name) {
  StringSet(&file->CurrentPath, linuxFolder);
  StringSet(&file->CurrentName, name);
}

static bool CarriesTAPID(const char *name, dword tapId) {
  tTAPInfo info;
  return HDD_TAP_GetInfo(name, &info) && info.TAPID == tapId;
}

static bool InDefaultFolder(tVPDFiles *file) {
  const char *path = file->DefaultPath;
  if (path == nullptr || strlen(path) <= 7 || !HDD_ChangeDir(path + 7) || !TAP_Hdd_Exist(file->FileName))
    return false;
  SetFound(file, path, file->FileName);
  return true;
}

// A TAP with the file's TAP ID directly in the folder (the working directory).
static bool TAPInFolder(tVPDFiles *file, const char *folder) {
  TYPE_FolderEntry entry;
  int count = HDD_ChangeDir(folder) ? (int)TAP_Hdd_FindFirst(&entry, "tap") : 0;
  for (int i = 0; i < count; i++) {
    if (i > 0) TAP_Hdd_FindNext(&entry);  // its result promises nothing
    entry.name[sizeof entry.name - 1] = '\0';
    if (entry.attr == ATTR_NORMAL && CarriesTAPID(entry.name, file->TAPID)) {
      SetFound(file, BuildAbsolutePath(folder), entry.name);
      return true;
    }
  }
  return false;
}

struct tSearch {
  tVPDFiles *File;
  bool isTAP;
};

// Visitor of the walk: the file by name, or a TAP by its TAP ID.
static bool MatchFile(void *context, const char *folder, const char *name) {
  tSearch *search = (tSearch *)context;
  tVPDFiles *file = search->File;
  bool match = strcmp(name, file->FileName) == 0 ||
               (search->isTAP && StringEndsWith(name, ".tap") && CarriesTAPID(name, file->TAPID));
  if (match) SetFound(file, BuildAbsolutePath(folder), name);
  return match;
}

bool FindFile(tVPDFiles *file, bool incrementalSearch) {
  CallTraceEnter("FindFile");
  bool found = false;
  if (file != nullptr && file->FileName != nullptr && file->FileName[0] != '\0') {
    tSearch search = {file, StringEndsWith(file->FileName, ".tap")};
    if (!incrementalSearch) {
      StringClear(&file->CurrentPath);
      StringClear(&file->CurrentName);
    }
    found =
        InDefaultFolder(file) ||
        (search.isTAP &&
         (TAPInFolder(file, "/ProgramFiles") || TAPInFolder(file, "/ProgramFiles/AutoStart"))) ||
        FolderWalkFiles("/ProgramFiles", "", VANTERO_SETTINGS_DIR, MaxSearchPathLength, MatchFile, &search);
  }
  CallTraceExit(nullptr);
  return found;
}
