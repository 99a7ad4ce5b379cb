// DiskApi.cpp - folder and entry operations of the TAP API on the simulated disk:
// TAP_Hdd_ChangeDir, TAP_Hdd_Exist, TAP_Hdd_Delete, TAP_Hdd_Create.
// Delete and Create return 0 on success and -1 on failure.  Links on the
// disk are followed within it; one leading outside leads nowhere.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Runtime.h"

using namespace pvrsim::core;

namespace {
bool isDirectory(const std::string &hostPath) {
  struct stat st;
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

// Returns the configured success value, or another value when the folder
// does not exist or no TAP is calling.
extern "C" dword TAP_Hdd_ChangeDir(const char *dir) {
  const dword success = rt().options.chdirSuccessValue;
  const dword failure = success == 0 ? 1 : 0;
  Slot *slot = currentSlot();
  std::string boxPath, hostPath;
  if (!slot || !resolveName(dir, boxPath, hostPath) || !isDirectory(hostPath)) return failure;
  setSlotDir(*slot, boxPath);
  return success;
}

extern "C" bool TAP_Hdd_Exist(const char *name) {
  std::string boxPath, hostPath;
  struct stat st;
  return resolveName(name, boxPath, hostPath) && ::stat(hostPath.c_str(), &st) == 0;
}

// Removes a file, a link (never what it leads to) or an empty folder; the
// disk root stays.
extern "C" int TAP_Hdd_Delete(const char *name) {
  std::string boxPath, hostPath;
  if (!resolveName(name, boxPath, hostPath, pvrsim::box::LastLink::Keep) || isDiskRoot(hostPath)) return -1;
  struct stat st;
  bool folder = ::lstat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  int rc = folder ? ::rmdir(hostPath.c_str()) : ::unlink(hostPath.c_str());
  return rc == 0 ? 0 : -1;
}

// attr 0xE0 makes a folder, 0xD0 an empty file; an existing entry of the
// same kind is left as it is.
extern "C" int TAP_Hdd_Create(const char *name, dword attr) {
  std::string boxPath, hostPath;
  if (!resolveName(name, boxPath, hostPath) || isDiskRoot(hostPath)) return -1;
  struct stat st;
  bool exists = ::stat(hostPath.c_str(), &st) == 0;
  if (attr == ATTR_FOLDER) {
    if (exists) return S_ISDIR(st.st_mode) ? 0 : -1;
    return ::mkdir(hostPath.c_str(), 0777) == 0 ? 0 : -1;
  }
  if (attr == ATTR_NORMAL) {
    if (exists) return S_ISREG(st.st_mode) ? 0 : -1;
    int fd = ::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0) return -1;
    ::close(fd);
    return 0;
  }
  return -1;
}
