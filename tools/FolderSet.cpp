// FolderSet.cpp - the folders a walk has entered, by identity (device and
// inode), so that links on the disk neither make a walk loop nor make it
// enter a folder twice under two names.
//
// The identity comes from lstat64 of the folder's path with a trailing
// slash: the slash makes the system resolve a link to a folder, so a link
// and its target give the same identity.
#include <string.h>
#include <sys/stat.h>

#include "ToolsInternal.h"

static bool FolderIdentity(const char *tapFolder, tFolderId *id) {
  char linuxPath[KALIB_PATH_MAX];
  size_t length = strlen(tapFolder);
  if (tapFolder[0] != '/' || length + sizeof "/mnt/hd/" > sizeof linuxPath) return false;
  memcpy(linuxPath, "/mnt/hd", 7);
  memcpy(linuxPath + 7, tapFolder, length);
  linuxPath[7 + length] = '/';
  linuxPath[8 + length] = '\0';
  struct stat64 st;
  if (lstat64(linuxPath, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  id->Device = (int64)st.st_dev;
  id->Inode = (int64)st.st_ino;
  return true;
}

static bool IdLess(const tFolderId &a, const tFolderId &b) {
  return a.Device != b.Device ? a.Device < b.Device : a.Inode < b.Inode;
}

// Index of the first identity not less than id.
static dword LowerBound(const tFolderSet *set, const tFolderId &id) {
  dword low = 0, high = set->Count;
  while (low < high) {
    dword middle = low + (high - low) / 2;
    if (IdLess(set->Ids[middle], id)) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

static bool Grow(tFolderSet *set) {
  dword capacity = set->Capacity == 0 ? 64 : set->Capacity * 2;
  tFolderId *ids = (tFolderId *)TAP_MemAlloc(capacity * sizeof(tFolderId));
  if (ids == nullptr) return false;
  if (set->Count > 0) memcpy(ids, set->Ids, set->Count * sizeof(tFolderId));
  TAP_MemFree(set->Ids);
  set->Ids = ids;
  set->Capacity = capacity;
  return true;
}

void FolderSetInit(tFolderSet *set) {
  set->Ids = nullptr;
  set->Count = 0;
  set->Capacity = 0;
}

void FolderSetFree(tFolderSet *set) {
  TAP_MemFree(set->Ids);
  FolderSetInit(set);
}

bool FolderSetAdd(tFolderSet *set, const char *tapFolder) {
  tFolderId id;
  if (tapFolder == nullptr || !FolderIdentity(tapFolder, &id)) return false;
  dword at = LowerBound(set, id);
  if (at < set->Count && !IdLess(id, set->Ids[at])) return false;
  if (set->Count == set->Capacity && !Grow(set)) return false;
  memmove(set->Ids + at + 1, set->Ids + at, (set->Count - at) * sizeof(tFolderId));
  set->Ids[at] = id;
  set->Count++;
  return true;
}
