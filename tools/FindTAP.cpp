// FindTAP.cpp - finds a TAP file by its TAP ID anywhere below
// "/ProgramFiles", breadth-first, skipping the update manager's settings
// folder: the tools' folder walk (FolderWalkFiles) with a visitor that reads
// each TAP file's header, so the walk enters each real folder once and never
// enters the settings folder or a folder below it, whatever links lead there.
#include <string.h>

#include "ToolsInternal.h"

namespace {
struct tTAPSearch {
  dword TAPID;
  char *TAPName;
  char *FolderName;
  dword Unreadable;  // TAP files whose Linux path does not fit a path buffer
};
}  // namespace

// Copies `text` into `dest` of `size` bytes, cut to fit and terminated.
static void CopyBounded(char *dest, size_t size, const char *text) {
  size_t length = strnlen(text, size - 1);
  memcpy(dest, text, length);
  dest[length] = '\0';
}

// Reads the header of a TAP file in the working directory; true on a match,
// with the outputs filled.
static bool MatchTAP(void *context, const char *folder, const char *fileName) {
  tTAPSearch *search = (tTAPSearch *)context;
  // "/mnt/hd", the folder, "/" and the name: longer cannot be opened.
  if (7 + strlen(folder) + 1 + strlen(fileName) >= KALIB_PATH_MAX) {
    search->Unreadable++;
    return false;
  }
  tTAPInfo info;
  if (!HDD_TAP_GetInfo(fileName, &info) || info.TAPID != search->TAPID) return false;
  if (search->TAPName != nullptr) CopyBounded(search->TAPName, sizeof(TYPE_FolderEntry::name), fileName);
  if (search->FolderName != nullptr) CopyBounded(search->FolderName, KALIB_PATH_MAX, folder);
  return true;
}

dword FindTAPLeftOut = 0;

bool FindTAP(dword tapId, char *tapName, char *folderName) {
  CallTraceEnter("FindTAP");
  tTAPSearch search = {tapId, tapName, folderName, 0};
  dword leftOut = 0;
  bool found = FolderWalkFilesCounted("/ProgramFiles", "tap", VANTERO_SETTINGS_DIR, KALIB_PATH_MAX - 1,
                                      MatchTAP, &search, &leftOut);
  FindTAPLeftOut = leftOut + search.Unreadable;
  CallTraceExit(nullptr);
  return found;
}
