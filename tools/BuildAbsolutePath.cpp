// BuildAbsolutePath.cpp - the Linux form of a TAP-notation path, in one
// module buffer.
#include <stdio.h>

#include "ToolsInternal.h"

static char AbsolutePath[KALIB_PATH_MAX];

char *BuildAbsolutePath(const char *path) {
  CallTraceEnter("BuildAbsolutePath");
  int length = path != nullptr ? snprintf(AbsolutePath, sizeof AbsolutePath, "/mnt/hd%s", path) : -1;
  // A cut path would name another folder: too long gives the empty text.
  if (length < 0 || length >= (int)sizeof AbsolutePath) AbsolutePath[0] = '\0';
  CallTraceExit(nullptr);
  return AbsolutePath;
}
