// Mapping of box paths below /mnt/hd onto the disk folder, and the lexical
// path clean-up that the rest of the box layer shares.
#include "Box.h"
#include "BoxInternal.h"

#include <vector>

namespace pvrsim::box {

namespace {
// The names of a path, without empty names (doubled slashes) and ".".
std::vector<std::string> splitNames(const std::string &path) {
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t next = path.find('/', pos);
    if (next == std::string::npos) next = path.size();
    std::string name = path.substr(pos, next - pos);
    if (!name.empty() && name != ".") names.push_back(name);
    pos = next + 1;
  }
  return names;
}
}  // namespace

namespace detail {
bool normaliseBoxPath(const std::string &path, std::string &normal) {
  if (path.empty() || path[0] != '/') return false;
  std::vector<std::string> resolved;
  for (const std::string &name : splitNames(path)) {
    if (name != "..") {
      resolved.push_back(name);
    } else if (!resolved.empty()) {
      resolved.pop_back();  // ".." at the root stays at the root
    }
  }
  normal.clear();
  for (const std::string &name : resolved) normal += "/" + name;
  if (normal.empty() || path.back() == '/') normal += "/";
  return true;
}
}  // namespace detail

// The path must name "mnt" and "hd" first (doubled slashes and "." allowed)
// and may not climb above the mount point with ".." anywhere after it: a
// TAP never reaches the host through the disk folder.
bool mapDiskPath(const std::string &boxPath, std::string &hostPath) {
  if (config().diskRoot.empty() || boxPath.empty() || boxPath[0] != '/') return false;
  std::vector<std::string> names = splitNames(boxPath);
  if (names.size() < 2 || names[0] != "mnt" || names[1] != "hd") return false;
  std::vector<std::string> below;
  for (size_t i = 2; i < names.size(); ++i) {
    if (names[i] != "..") {
      below.push_back(names[i]);
    } else if (below.empty()) {
      return false;
    } else {
      below.pop_back();
    }
  }
  hostPath = config().diskRoot;
  for (const std::string &name : below) hostPath += "/" + name;
  if (boxPath.back() == '/' && !below.empty()) hostPath += "/";
  return true;
}

}  // namespace pvrsim::box
