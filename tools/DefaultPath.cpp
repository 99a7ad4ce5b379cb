// DefaultPath.cpp - whether a file's default folder stays inside
// "/mnt/hd/ProgramFiles": a package must never install files elsewhere, so
// "." and ".." are resolved before the folder is judged.
#include <string.h>

#include "ToolsInternal.h"

bool DefaultPathInProgramFiles(const char *path) {
  const size_t rootLength = sizeof VPD_PROGRAMFILES - 1;
  if (path == nullptr || strncmp(path, VPD_PROGRAMFILES, rootLength) != 0) return false;
  const char *p = path + rootLength;
  if (*p != '\0' && *p != '/') return false;
  int depth = 0;  // folders below the root
  while (*p != '\0') {
    while (*p == '/') p++;
    size_t length = strcspn(p, "/");
    if (length == 2 && strncmp(p, "..", 2) == 0) {
      if (--depth < 0) return false;
    } else if (length > 0 && !(length == 1 && *p == '.')) {
      depth++;
    }
    p += length;
  }
  return true;
}
