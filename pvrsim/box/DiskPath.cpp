// DiskPath.cpp - mapping of box paths below /mnt/hd onto the disk folder, and the lexical
// path clean-up that the rest of the box layer shares.  Every wrapped libc
// call of a TAP passes through here.
//
// A box disk can hold symbolic links (users reach it by telnet and FTP), and
// pvrsim promises never to touch anything of the host outside its disk and
// run folders.  So a path is not merely checked as text: each of its names
// is looked at on the disk, links are followed by hand, and a link whose
// target lies outside the disk leads nowhere, as on a box whose disk is all
// there is below /mnt/hd.
#include "Box.h"
#include "BoxInternal.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <vector>

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

namespace {
// The box's kernel gives up after this many links in one path.
constexpr int kMaxLinks = 40;

bool fail(int error) {
  errno = error;
  return false;
}

// Reads the names after "/mnt/hd"; false when the path does not begin with
// the mount point.  ".." is resolved lexically and may not climb above it.
bool namesBelowMount(const std::string &boxPath, std::vector<std::string> &names) {
  if (boxPath.empty() || boxPath[0] != '/') return false;
  NameReader reader(boxPath);
  std::string_view name;
  if (!reader.next(name) || name != "mnt" || !reader.next(name) || name != "hd") return false;
  while (reader.next(name)) {
    if (name != "..") {
      names.emplace_back(name);
    } else if (names.empty()) {
      return false;
    } else {
      names.pop_back();
    }
  }
  return true;
}

// True when the path asks for a folder: it ends in '/', "/." or "/..".
bool endsAsFolder(const std::string &path) {
  if (path.empty()) return false;
  if (path.back() == '/') return true;
  size_t slash = path.rfind('/');
  std::string_view last = std::string_view(path).substr(slash + 1);
  return last == "." || last == "..";
}

// Walks names from the disk folder, following links the way a kernel
// resolves a path, with the disk folder as the root that nothing climbs
// above.  `real` holds the host path reached so far; it names no link.
class BeneathDisk {
 public:
  explicit BeneathDisk(const std::string &root) : root_(root), real_(root) {}

  // Resolves the names; the last one is kept as it is when followLast is
  // false.  False with errno set when the path leaves the disk or loops.
  bool resolve(std::vector<std::string> names, bool followLast) {
    pending_.assign(names.rbegin(), names.rend());  // the next name is at the back
    while (!pending_.empty()) {
      std::string name = std::move(pending_.back());
      pending_.pop_back();
      if (name.empty() || name == ".") continue;
      if (name == "..") {
        if (depth_ == 0) return fail(ENOENT);  // a link's target climbs out of the disk
        real_.resize(real_.rfind('/'));
        --depth_;
        continue;
      }
      std::string next = real_ + "/" + name;
      bool last = pending_.empty();
      struct stat st;
      if ((last && !followLast) || ::lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        // Not a link, or missing: what follows cannot lead anywhere else.
        real_ = std::move(next);
        ++depth_;
        continue;
      }
      if (++links_ > kMaxLinks) return fail(ELOOP);
      if (!followLink(next)) return false;
    }
    return true;
  }

  const std::string &hostPath() const { return real_; }

 private:
  // Puts the names of the link's target in front of the names still to go.
  bool followLink(const std::string &link) {
    char target[4096];
    ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0) return fail(ENOENT);
    target[length] = '\0';
    std::vector<std::string> names;
    if (target[0] == '/') {
      // A box path: only the disk is reachable from here.
      if (!namesBelowMount(target, names)) return fail(ENOENT);
      real_ = root_;
      depth_ = 0;
    } else {
      NameReader reader(target);
      std::string_view name;
      while (reader.next(name)) names.emplace_back(name);
    }
    pending_.insert(pending_.end(), names.rbegin(), names.rend());
    return true;
  }

  const std::string &root_;
  std::string real_;
  size_t depth_ = 0;  // names of real_ below the disk folder
  int links_ = 0;
  std::vector<std::string> pending_;
};

// The host path of the names as they stand, when the kernel finds no link
// anywhere on it (nor in the last name, when that would be followed): the
// common case, checked with one openat2 call instead of a look at every
// name.  False when there is a link, a name is missing or the kernel has
// no openat2; the walk by hand then decides.
bool plainPath(const std::string &root, const std::vector<std::string> &names, bool followLast,
               std::string &hostPath) {
  static bool unavailable = false;
  if (unavailable || names.empty()) return false;
  std::string path = root;
  for (const std::string &name : names) path += "/" + name;
  struct open_how how {};
  how.flags = O_PATH | O_CLOEXEC | (followLast ? 0 : O_NOFOLLOW);
  how.resolve = RESOLVE_NO_SYMLINKS;
  int saved = errno;
  long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
  if (fd < 0) {
    unavailable = errno == ENOSYS;
    errno = saved;
    return false;
  }
  ::close(static_cast<int>(fd));
  errno = saved;
  hostPath = std::move(path);
  return true;
}
}  // namespace

// The path must name "mnt" and "hd" first (doubled slashes and "." allowed)
// and may not climb above the mount point with ".." anywhere after it, nor
// through a link: a TAP never reaches the host through the disk folder.
bool mapDiskPath(const std::string &boxPath, std::string &hostPath, LastLink last,
                 std::string *normalBoxPath) {
  const std::string &root = config().diskRoot;
  std::vector<std::string> names;
  if (root.empty() || !namesBelowMount(boxPath, names)) return fail(ENOENT);
  if (normalBoxPath) {
    *normalBoxPath = "/mnt/hd";
    for (const std::string &name : names) *normalBoxPath += "/" + name;
  }
  bool followLast = last == LastLink::Follow || endsAsFolder(boxPath);
  if (!plainPath(root, names, followLast, hostPath)) {
    BeneathDisk walk(root);
    if (!walk.resolve(names, followLast)) return false;
    hostPath = walk.hostPath();
  }
  if (boxPath.back() == '/' && hostPath != root) hostPath += '/';
  return true;
}

}  // namespace pvrsim::box
