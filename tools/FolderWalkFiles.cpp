// FolderWalkFiles.cpp - the breadth-first walk of the inventory scan and the
// package file search: Kalib's folder walk, which queues each real folder
// once whatever links lead to it, with a visitor for every matching file.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

struct tWalk {
  tFolderWalk Folders;
  const char *Extension;
  dword MaxPathLength;
  tFolderVisitor Visit;
  void *Context;
  char Folder[KALIB_PATH_MAX];  // the folder being listed
};

static void QueueFolder(tWalk *walk, const char *name) {
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return;
  char path[KALIB_PATH_MAX];
  int length = snprintf(path, sizeof path, "%s/%s", walk->Folder, name);
  if (length <= 0 || length >= (int)sizeof path || (dword)length > walk->MaxPathLength) return;
  FolderWalkAdd(&walk->Folders, path);
}

// Lists the working directory; true when the visitor ended the walk.  It
// takes as many entries as TAP_Hdd_FindFirst reports: the firmware promises
// nothing about TAP_Hdd_FindNext's result.
static bool ListFolder(tWalk *walk) {
  TYPE_FolderEntry entry;
  int count = (int)TAP_Hdd_FindFirst(&entry, walk->Extension);
  for (int i = 0; i < count; i++) {
    if (i > 0) TAP_Hdd_FindNext(&entry);
    entry.name[sizeof entry.name - 1] = '\0';
    if (entry.attr == ATTR_FOLDER) {
      QueueFolder(walk, entry.name);
    } else if (entry.attr == ATTR_NORMAL && walk->Visit(walk->Context, walk->Folder, entry.name)) {
      return true;
    }
  }
  return false;
}

bool FolderWalkFiles(const char *root, const char *extension, const char *skipFolder, dword maxPathLength,
                     tFolderVisitor visit, void *context) {
  if (root == nullptr || visit == nullptr) return false;
  tWalk walk;
  memset(&walk, 0, sizeof walk);
  walk.Extension = extension != nullptr ? extension : "";
  walk.MaxPathLength = maxPathLength < KALIB_PATH_MAX - 1 ? maxPathLength : KALIB_PATH_MAX - 1;
  walk.Visit = visit;
  walk.Context = context;
  if (!FolderWalkInit(&walk.Folders)) return false;
  // Known from the start, the skipped folder is never queued, whatever path
  // or link leads to it.
  if (skipFolder != nullptr) FolderSetAdd(&walk.Folders.Seen, skipFolder);
  FolderWalkAdd(&walk.Folders, root);

  bool ended = false;
  while (!ended && FolderWalkNext(&walk.Folders, walk.Folder)) {
    if (HDD_ChangeDir(walk.Folder)) ended = ListFolder(&walk);
  }
  FolderWalkDestroy(&walk.Folders);
  return ended;
}
