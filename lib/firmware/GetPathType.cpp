// GetPathType.cpp - classifies a path as a file name, a TAP-notation folder or file, or a
// Linux folder or file.
#include <string.h>
#include <sys/stat.h>

#include "BoundedString.h"
#include "Kalib.h"

// lstat64 without following links; false when the path does not exist.
static bool LinuxStat(const char *path, bool *isFolder) {
  struct stat64 st;
  if (lstat64(path, &st) != 0) return false;
  *isFolder = (st.st_mode & 0xF000) == 0x4000;
  return true;
}

// Whether the path names an existing folder on the disk, taken relative to
// the TAP's current directory unless it starts with '/'.
static bool IsDiskFolder(const char *path) {
  char probe[KALIB_PATH_MAX] = "/mnt/hd";
  if (path[0] != '/') {
    char currentDir[KALIB_PATH_MAX] = "";
    HDD_TAP_GetCurrentDir(currentDir);
    if (!StrAppendBounded(probe, sizeof probe, currentDir) || !EnsureSlash(probe, sizeof probe)) return false;
  }
  if (!StrAppendBounded(probe, sizeof probe, path)) return false;
  bool isFolder = false;
  return LinuxStat(probe, &isFolder) && isFolder;
}

tPathKind GetPathType(const char *path) {
  if (path == nullptr || path[0] == '\0') return PK_FileName;
  if (path[0] == '.' || strcmp(path, "/") == 0) return PK_TapFolder;
  bool isFolder = false;
  if (LinuxStat(path, &isFolder)) return isFolder ? PK_LinuxFolder : PK_LinuxFile;

  bool hasSlash = strchr(path, '/') != nullptr;
  bool endsWithSlash = path[strlen(path) - 1] == '/';
  bool onMount = strncmp(path, "/mnt", 4) == 0;
  if (IsDiskFolder(path)) hasSlash = endsWithSlash = true;

  if (!hasSlash) return PK_FileName;
  if (onMount) return endsWithSlash ? PK_LinuxFolder : PK_LinuxFile;
  return endsWithSlash ? PK_TapFolder : PK_TapFile;
}
