// Mapping of box paths below /mnt/hd onto the disk folder.
#include "Box.h"

#include <vector>

namespace pvrsim::box {

namespace {
constexpr char kMountPoint[] = "/mnt/hd";

// Splits a path into its names, resolving "." and ".." lexically.  Returns
// false when ".." would climb above the start.
bool normalise(const std::string &path, std::vector<std::string> &parts) {
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    std::string name = path.substr(pos, next - pos);
    if (name == "..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else if (!name.empty() && name != ".") {
      parts.push_back(name);
    }
    pos = next + 1;
  }
  return true;
}
}  // namespace

bool mapDiskPath(const std::string &boxPath, std::string &hostPath) {
  const std::string mount = kMountPoint;
  if (boxPath.compare(0, mount.size(), mount) != 0) return false;
  if (boxPath.size() > mount.size() && boxPath[mount.size()] != '/') return false;  // "/mnt/hdd"
  std::vector<std::string> parts;
  if (!normalise(boxPath.substr(mount.size()), parts)) return false;
  hostPath = config().diskRoot;
  for (const std::string &name : parts) hostPath += "/" + name;
  if (!boxPath.empty() && boxPath.back() == '/' && !parts.empty()) hostPath += "/";
  return true;
}

}  // namespace pvrsim::box
