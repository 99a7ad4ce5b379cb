// PackageFileCheck.cpp - the one place where a file of a package is judged before the manager
// installs it: its description (a name that stays in its folder, a folder inside
// "/mnt/hd/ProgramFiles" and outside the manager's own settings) and the downloaded copy (size and
// CRC-32).  A CRC-32 protects against damage, not against a server that hands out another file;
// a signature check over the master list is to be added here, beside these checks.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "ToolsInternal.h"

// Room for a path's folder part in TAP notation.
static const dword kFolderSize = KALIB_PATH_MAX;

// True when name holds a path separator or a ".." that could lead it out of its folder.
static bool NameLeavesFolder(const char *name) {
  return strchr(name, '/') != nullptr || strchr(name, '\\') != nullptr || strstr(name, "..") != nullptr;
}

// True when path is the manager's settings folder or lies below it: no package may replace the
// manager's settings, packages or journal.
static bool InManagerSettings(const char *path) {
  const size_t length = sizeof PACKAGE_LINUX_SETTINGS_DIR - 1;
  return strncmp(path, PACKAGE_LINUX_SETTINGS_DIR, length) == 0 &&
         (path[length] == '\0' || path[length] == '/');
}

const char *PackageFileRefusal(const tVPDFiles *file) {
  if (file == nullptr || file->FileName == nullptr || file->FileName[0] == '\0')
    return "the file has no name";
  if (NameLeavesFolder(file->FileName)) return "its name holds \"/\", \"\\\" or \"..\"";
  if (strlen(file->FileName) >= MENU_ITEM_TEXT_BYTES) return "its name is too long";
  const char *path = file->DefaultPath;
  if (path == nullptr || !DefaultPathInProgramFiles(path) || strstr(path, "/..") != nullptr)
    return "its folder lies outside /mnt/hd/ProgramFiles or holds \"..\"";
  if (InManagerSettings(path)) return "its folder is the update manager's own";
  if (strlen(path) + 1 + strlen(file->FileName) >= KALIB_PATH_MAX) return "its path is too long";
  if (file->Size < 0) return "its size is negative";
  if ((int)file->InstallMode > (int)IM_AlwaysDelete) return "its install mode is unknown";
  return nullptr;
}

// Splits a Linux path "/mnt/hd/<folder>/<name>" into the folder in TAP notation and the name;
// false when it is not such a path or does not fit.
static bool SplitLinuxPath(const char *linuxPath, char *folder, const char **name) {
  static const char kDisk[] = "/mnt/hd/";
  const char *slash = strrchr(linuxPath, '/');
  if (strncmp(linuxPath, kDisk, sizeof kDisk - 1) != 0 || slash == nullptr || slash[1] == '\0') return false;
  dword length = (dword)(slash - linuxPath) - (sizeof kDisk - 2);
  if (length + 1 > kFolderSize) return false;
  memcpy(folder, linuxPath + sizeof kDisk - 2, length);
  folder[length] = '\0';
  *name = slash + 1;
  return true;
}

static bool Refuse(char *reason, dword reasonSize, const tVPDFiles *file, const char *format, unsigned long a,
                   unsigned long b) {
  char what[128];
  snprintf(what, sizeof what, format, a, b);
  if (reason != nullptr && reasonSize > 0)
    snprintf(reason, reasonSize, "%s: %s",
             file != nullptr && file->FileName != nullptr ? file->FileName : "?", what);
  return false;
}

bool PackageFileCheck(const tVPDFiles *file, const char *linuxPath, char *reason, dword reasonSize) {
  if (reason != nullptr && reasonSize > 0) reason[0] = '\0';
  const char *refusal = PackageFileRefusal(file);
  if (refusal != nullptr) {
    if (reason != nullptr && reasonSize > 0)
      snprintf(reason, reasonSize, "%s: %s",
               file != nullptr && file->FileName != nullptr ? file->FileName : "?", refusal);
    return false;
  }
  struct stat64 st;
  if (linuxPath == nullptr || lstat64(linuxPath, &st) != 0 || (st.st_mode & 0xF000) != 0x8000)
    return Refuse(reason, reasonSize, file, "not downloaded", 0, 0);
  if (st.st_size != (long long)file->Size)
    return Refuse(reason, reasonSize, file, "%lu bytes arrived, the package says %lu",
                  (unsigned long)st.st_size, (unsigned long)file->Size);
  char folder[KALIB_PATH_MAX];
  const char *name = nullptr;
  if (!SplitLinuxPath(linuxPath, folder, &name)) return Refuse(reason, reasonSize, file, "bad path", 0, 0);
  tWorkDir saved = WorkDirSave();
  dword crc = HDD_ChangeDir(folder) ? CRC32File(name, nullptr, 0) : 0;
  WorkDirRestore(&saved);
  // CRC32File gives 0 for a file it cannot read; a package never lists 0 for a readable one.
  if (crc != file->CRC32)
    return Refuse(reason, reasonSize, file, "CRC-32 %8.8lx, the package says %8.8lx", (unsigned long)crc,
                  (unsigned long)file->CRC32);
  return true;
}
