// FolderWalk.cpp - the breadth-first folder walk of the inventory scan and
// the package file search: a queue of folder paths (tStringDB, which also
// drops a path queued twice) and the set of folders entered so far, so a
// disk with links is walked without loops and each real folder once.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

static const dword FolderQueueSize = 4096;

struct tWalk {
  tStringDB Folders;
  tFolderSet Entered;
  const char *Extension;
  const char *SkipFolder;
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
  if (walk->SkipFolder != nullptr && strcmp(path, walk->SkipFolder) == 0) return;
  StringDBAdd(&walk->Folders, path);
}

// Lists the working directory; true when the visitor ended the walk.
static bool ListFolder(tWalk *walk) {
  TYPE_FolderEntry entry;
  int count = (int)TAP_Hdd_FindFirst(&entry, walk->Extension);
  for (int i = 0; i < count; i++) {
    if (i > 0 && TAP_Hdd_FindNext(&entry) == 0) break;
    entry.name[sizeof entry.name - 1] = '\0';
    if (entry.attr == ATTR_FOLDER) {
      QueueFolder(walk, entry.name);
    } else if (entry.attr == ATTR_NORMAL && walk->Visit(walk->Context, walk->Folder, entry.name)) {
      return true;
    }
  }
  return false;
}

static bool Walk(tWalk *walk, const char *root) {
  StringDBAdd(&walk->Folders, root);
  bool ended = false;
  while (!ended && !StringDBEOF(&walk->Folders)) {
    // A copy: the queue's buffer moves when it grows.
    const char *folder = StringDBGet(&walk->Folders, StringDBCurrent(&walk->Folders));
    snprintf(walk->Folder, sizeof walk->Folder, "%s", folder != nullptr ? folder : "");
    if (FolderSetAdd(&walk->Entered, walk->Folder) && HDD_ChangeDir(walk->Folder)) ended = ListFolder(walk);
    StringDBNext(&walk->Folders);
  }
  return ended;
}

bool FolderWalk(const char *root, const char *extension, const char *skipFolder, dword maxPathLength,
                tFolderVisitor visit, void *context) {
  if (root == nullptr || visit == nullptr) return false;
  tWalk walk;
  memset(&walk, 0, sizeof walk);
  walk.Extension = extension != nullptr ? extension : "";
  walk.SkipFolder = skipFolder;
  walk.MaxPathLength = maxPathLength < KALIB_PATH_MAX - 1 ? maxPathLength : KALIB_PATH_MAX - 1;
  walk.Visit = visit;
  walk.Context = context;
  if (!StringDBInit(&walk.Folders, FolderQueueSize)) return false;
  FolderSetInit(&walk.Entered);
  bool ended = Walk(&walk, root);
  FolderSetFree(&walk.Entered);
  StringDBDestroy(&walk.Folders);
  return ended;
}
