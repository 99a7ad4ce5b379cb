// Mapping of box paths below /mnt/hd onto the disk folder, and the lexical
// path clean-up that the rest of the box layer shares.  Every wrapped libc
// call of a TAP passes through here, so both work in one pass over the path
// without allocating per name.
#include "Box.h"
#include "BoxInternal.h"

#include <string_view>

namespace pvrsim::box {

namespace {
// Walks the names of a path, leaving out empty names (doubled slashes) and ".".
class NameReader {
 public:
  explicit NameReader(std::string_view path) : path_(path) {}

  bool next(std::string_view &name) {
    while (pos_ <= path_.size()) {
      size_t end = path_.find('/', pos_);
      if (end == std::string_view::npos) end = path_.size();
      std::string_view candidate = path_.substr(pos_, end - pos_);
      pos_ = end + 1;
      if (!candidate.empty() && candidate != ".") {
        name = candidate;
        return true;
      }
    }
    return false;
  }

 private:
  std::string_view path_;
  size_t pos_ = 0;
};

// Removes the last "/name" of a path built from "/name" pieces.
void dropLastName(std::string &path) {
  size_t slash = path.rfind('/');
  path.resize(slash == std::string::npos ? 0 : slash);
}
}  // namespace

namespace detail {
bool normaliseBoxPath(const std::string &path, std::string &normal) {
  if (path.empty() || path[0] != '/') return false;
  normal.clear();
  NameReader names(path);
  std::string_view name;
  while (names.next(name)) {
    if (name == "..") {
      dropLastName(normal);  // ".." at the root stays at the root
    } else {
      normal += '/';
      normal.append(name);
    }
  }
  if (normal.empty() || path.back() == '/') normal += '/';
  return true;
}
}  // namespace detail

// The path must name "mnt" and "hd" first (doubled slashes and "." allowed)
// and may not climb above the mount point with ".." anywhere after it: a
// TAP never reaches the host through the disk folder.
bool mapDiskPath(const std::string &boxPath, std::string &hostPath) {
  const std::string &root = config().diskRoot;
  if (root.empty() || boxPath.empty() || boxPath[0] != '/') return false;
  NameReader names(boxPath);
  std::string_view name;
  if (!names.next(name) || name != "mnt" || !names.next(name) || name != "hd") return false;
  std::string result = root;
  size_t depth = 0;  // names below the mount point
  while (names.next(name)) {
    if (name != "..") {
      result += '/';
      result.append(name);
      ++depth;
    } else if (depth == 0) {
      return false;
    } else {
      dropLastName(result);
      --depth;
    }
  }
  if (boxPath.back() == '/' && depth > 0) result += '/';
  hostPath = std::move(result);
  return true;
}

}  // namespace pvrsim::box
