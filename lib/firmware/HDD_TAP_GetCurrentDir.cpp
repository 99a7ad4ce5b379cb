// HDD_TAP_GetCurrentDir.cpp - the current directory of this TAP, read from its task-table entry.
#include "BoundedString.h"
#include "TaskTable.h"

// Length of the mount point "/mnt/hd" that the firmware keeps in front.
static const size_t kMountPointLength = 7;

// The buffer receives at most KALIB_PATH_MAX bytes; a longer directory is
// cut there (no directory of the box's disk comes near that length).
int HDD_TAP_GetCurrentDir(char *currentDir) {
  TYPE_TapTask *table = KalibTaskTable();
  if (!KalibResolveTableIndex()) return -3;
  if (table == nullptr) {
    if (currentDir != nullptr) currentDir[0] = '\0';
    return -3;
  }
  if ((unsigned)TAP_TableIndex >= TAP_MAX_TASKS) return -3;
  TYPE_TapDirRecord *dirRecord = table[TAP_TableIndex].dir;
  if (currentDir != nullptr && dirRecord != nullptr && dirRecord->path != nullptr) {
    const char *path = dirRecord->path;
    path += strnlen(path, kMountPointLength);
    StrCopyBounded(currentDir, KALIB_PATH_MAX, path);
  }
  return 0;
}
