// DiskPaths.cpp - TAP-notation names resolved for the calling TAP: absolute below the disk
// root ("/ProgramFiles/AutoStart") or relative to the TAP's current
// directory.  The box-path to host-path mapping (which follows links on the
// disk and refuses whatever leads out of the disk folder) belongs to the box
// layer.
#include "Runtime.h"
#include "box/Box.h"

namespace pvrsim::core {

std::string currentDirOfCaller() {
  const Slot *slot = currentSlot();
  return slot ? slot->dirPath : std::string(kMount);
}

bool resolveName(const char *name, std::string &boxPath, std::string &hostPath, box::LastLink last) {
  if (!rt().active || !name || !*name) return false;
  std::string path = name[0] == '/' ? kMount + std::string(name) : currentDirOfCaller() + "/" + name;
  if (!box::mapDiskPath(path, hostPath, last, &boxPath)) return false;
  const std::string &root = box::config().diskRoot;
  while (hostPath.size() > root.size() && hostPath.back() == '/') hostPath.pop_back();
  return true;
}

bool isDiskRoot(const std::string &hostPath) { return hostPath == box::config().diskRoot; }

}  // namespace pvrsim::core
