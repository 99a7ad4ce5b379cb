// FolderWalkFiles.cpp - the breadth-first walk of the inventory scan and the
// package file search: Kalib's folder walk, which queues each real folder
// once whatever links lead to it, with a visitor for every matching file.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "ToolsInternal.h"

struct tWalk {
  tFolderWalk Folders;
  const char *Extension;
  dword MaxPathLength;
  tFolderVisitor Visit;
  void *Context;
  char Folder[KALIB_PATH_MAX];  // the folder being listed
  dword LeftOut;                // subfolders left out for their length or not entered
};

// True when the path (TAP notation) names a folder itself, not a link to one.
static bool IsRealFolder(const char *path) {
  const char *linuxPath = BuildAbsolutePath(path);
  struct stat64 st;
  return linuxPath[0] != '\0' && lstat64(linuxPath, &st) == 0 && (st.st_mode & 0xF000) == 0x4000;
}

// Marks the skipped folder and every real folder below it as seen: a link
// elsewhere to a subfolder of it would otherwise be walked as a folder of
// its own.  Links inside it lead out of it and are not marked.
static void MarkSkippedTree(tFolderSet *seen, const char *skipFolder) {
  if (FolderSetAdd(seen, skipFolder) != 1) return;
  tFolderWalk tree;
  FolderWalkInit(&tree);
  FolderWalkAdd(&tree, skipFolder);
  char folder[KALIB_PATH_MAX], path[KALIB_PATH_MAX];
  while (FolderWalkNext(&tree, folder)) {
    if (!HDD_ChangeDir(folder)) continue;
    TYPE_FolderEntry entry;
    int count = (int)TAP_Hdd_FindFirst(&entry, "");
    for (int i = 0; i < count; i++) {
      if (i > 0) TAP_Hdd_FindNext(&entry);
      entry.name[sizeof entry.name - 1] = '\0';
      if (entry.attr != ATTR_FOLDER || strcmp(entry.name, ".") == 0 || strcmp(entry.name, "..") == 0)
        continue;
      int length = snprintf(path, sizeof path, "%s/%s", folder, entry.name);
      if (length <= 0 || length >= (int)sizeof path || !IsRealFolder(path)) continue;
      if (FolderWalkAdd(&tree, path) == 1) FolderSetAdd(seen, path);
    }
  }
  FolderWalkDestroy(&tree);
}

static void QueueFolder(tWalk *walk, const char *name) {
  if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) return;
  char path[KALIB_PATH_MAX];
  int length = snprintf(path, sizeof path, "%s/%s", walk->Folder, name);
  if (length <= 0 || length >= (int)sizeof path || (dword)length > walk->MaxPathLength) {
    walk->LeftOut++;
    return;
  }
  if (FolderWalkAdd(&walk->Folders, path) < 0) walk->LeftOut++;  // its identity cannot be read
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
  return FolderWalkFilesCounted(root, extension, skipFolder, maxPathLength, visit, context, nullptr);
}

bool FolderWalkFilesCounted(const char *root, const char *extension, const char *skipFolder,
                            dword maxPathLength, tFolderVisitor visit, void *context, dword *leftOut) {
  if (leftOut != nullptr) *leftOut = 0;
  if (root == nullptr || visit == nullptr) return false;
  tWalk walk;
  memset(&walk, 0, sizeof walk);
  walk.Extension = extension != nullptr ? extension : "";
  walk.MaxPathLength = maxPathLength < KALIB_PATH_MAX - 1 ? maxPathLength : KALIB_PATH_MAX - 1;
  walk.Visit = visit;
  walk.Context = context;
  if (!FolderWalkInit(&walk.Folders)) return false;
  // Known from the start, the skipped folder and its subfolders are never
  // queued, whatever path or link leads to them.
  if (skipFolder != nullptr) MarkSkippedTree(&walk.Folders.Seen, skipFolder);
  FolderWalkAdd(&walk.Folders, root);

  bool ended = false;
  while (!ended && FolderWalkNext(&walk.Folders, walk.Folder)) {
    if (HDD_ChangeDir(walk.Folder))
      ended = ListFolder(&walk);
    else
      walk.LeftOut++;  // a path the firmware cannot enter
  }
  FolderWalkDestroy(&walk.Folders);
  if (leftOut != nullptr) *leftOut = walk.LeftOut;
  return ended;
}
