// HDD_GetFileTimeByFileName.cpp - modification time of a file as Linux time.
#include <sys/stat.h>

#include "Kalib.h"

dword HDD_GetFileTimeByFileName(const char *fileName) {
  if (fileName == nullptr || fileName[0] == '\0') return 0;
  char linuxPath[KALIB_PATH_MAX];
  ConvertPathType(fileName, linuxPath, PK_LinuxFile);
  if (linuxPath[0] == '\0') return 0;
  struct stat64 st;
  if (lstat64(linuxPath, &st) != 0) return 0;
  return (dword)st.st_mtime;
}
