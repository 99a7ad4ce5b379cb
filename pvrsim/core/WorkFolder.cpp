// WorkFolder.cpp - the firmware's work folder and program start, as the library's
// HDD_TAP_Start drives them: save the work folder, select a folder into a
// folder record, make the record the work folder, start a program from it,
// restore the saved work folder.
//
// A selected folder record carries, in its 12 data bytes, the number under
// which pvrsim registered the folder and a hash of the folder's path.
// ApplHdd_SaveWorkFolder, ApplHdd_RestoreWorkFolder and ApplHdd_SetWorkFolder
// return 0 on success, ApplHdd_SelectFolder 0 when the folder was selected,
// Appl_ExecProgram 1 when the program ran (0 when it could not be started).
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "FirmwareFunctions.h"
#include "Runtime.h"
#include "box/Box.h"

using namespace pvrsim::core;

static_assert(sizeof(TYPE_HddFolder) == 16 && sizeof(TYPE_HddFolder::data) == 12,
              "folder record: magic and 12 data bytes (folder number, path hash, 4 zero bytes)");

namespace {
dword pathHash(const std::string &path) {
  dword hash = 2166136261u;  // FNV-1a
  for (unsigned char c : path) hash = (hash ^ c) * 16777619u;
  return hash;
}

dword registerFolder(const std::string &boxFolder) {
  auto &folders = rt().selectedFolders;
  for (size_t i = 0; i < folders.size(); ++i)
    if (folders[i] == boxFolder) return static_cast<dword>(i + 1);
  folders.push_back(boxFolder);
  return static_cast<dword>(folders.size());
}
}  // namespace

dword ApplHdd_SaveWorkFolder() {
  rt().savedWorkFolders.push_back(rt().workFolder);
  return 0;
}

dword ApplHdd_RestoreWorkFolder() {
  Runtime &r = rt();
  if (r.savedWorkFolders.empty()) return 1;
  r.workFolder = r.savedWorkFolders.back();
  r.savedWorkFolders.pop_back();
  return 0;
}

// folder is a Linux path without its leading '/', such as "mnt/hd/ProgramFiles".
int ApplHdd_SelectFolder(void *folderRecord, const char *folder) {
  if (!folderRecord || !folder || !rt().active) return -1;
  std::string hostPath;
  if (!pvrsim::box::mapDiskPath("/" + std::string(folder), hostPath)) return -1;
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
  const std::string &root = pvrsim::box::config().diskRoot;
  while (hostPath.size() > root.size() && hostPath.back() == '/') hostPath.pop_back();
  std::string boxFolder = kMount + hostPath.substr(root.size());

  auto *record = static_cast<TYPE_HddFolder *>(folderRecord);
  dword id = registerFolder(boxFolder), hash = pathHash(boxFolder);
  std::memset(record->data, 0, sizeof record->data);
  std::memcpy(record->data, &id, 4);
  std::memcpy(record->data + 4, &hash, 4);
  return 0;
}

dword ApplHdd_SetWorkFolder(void *folderRecord) {
  if (!folderRecord) return 1;
  const auto *record = static_cast<const TYPE_HddFolder *>(folderRecord);
  dword id, hash;
  std::memcpy(&id, record->data, 4);
  std::memcpy(&hash, record->data + 4, 4);
  Runtime &r = rt();
  if (id == 0 || id > r.selectedFolders.size() || pathHash(r.selectedFolders[id - 1]) != hash) return 1;
  r.workFolder = r.selectedFolders[id - 1];
  return 0;
}

// Starts fileName from the work folder; TAP_Main runs before this returns.
dword Appl_ExecProgram(char *fileName) {
  Runtime &r = rt();
  if (!fileName || !*fileName || r.workFolder.empty() || !r.active) return 0;
  startTapFile(r.workFolder + "/" + fileName);
  if (!r.lastError.empty()) {
    std::fprintf(stderr, "pvrsim: cannot start %s\n", r.lastError.c_str());
    return 0;
  }
  return 1;
}
