// DeleteLinuxFile.cpp - deleting a file given by its Linux path.  The box's
// libc offers TAPs no unlink, so the firmware deletes it in its folder; the
// TAP's working directory is kept.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "Tools.h"

#define LINUX_DISK "/mnt/hd"

void DeleteLinuxFile(const char *path) {
  struct stat64 st;
  if (path == nullptr || lstat64(path, &st) != 0 || strncmp(path, LINUX_DISK "/", sizeof LINUX_DISK) != 0)
    return;
  char folder[KALIB_PATH_MAX];
  snprintf(folder, sizeof folder, "%s", path + sizeof LINUX_DISK - 1);
  char *slash = strrchr(folder, '/');
  if (slash == nullptr) return;
  *slash = '\0';
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(folder[0] != '\0' ? folder : "/")) TAP_Hdd_Delete(slash + 1);
  WorkDirRestore(&saved);
}
