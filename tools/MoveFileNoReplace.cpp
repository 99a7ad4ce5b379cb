// MoveFileNoReplace.cpp - a move of one file that never replaces another:
// rename() alone would put the file over whatever has the target name, and
// a TAP of another author that happens to share the name would be lost.
// The target may be the file itself under another path (a link), which is
// no other file.
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include "Tools.h"

bool MoveFileNoReplace(const char *from, const char *to, int *error) {
  CallTraceEnter("MoveFileNoReplace");
  int problem = 0;
  struct stat64 source, target;
  if (from == nullptr || to == nullptr || from[0] == '\0' || to[0] == '\0') {
    problem = EINVAL;
  } else if (lstat64(from, &source) != 0) {
    problem = ENOENT;
  } else if (lstat64(to, &target) == 0 &&
             !(source.st_dev == target.st_dev && source.st_ino == target.st_ino)) {
    problem = EEXIST;
  } else if (rename(from, to) != 0) {
    problem = errno != 0 ? errno : EIO;
  }
  if (error != nullptr) *error = problem;
  CallTraceExit(nullptr);
  return problem == 0;
}
