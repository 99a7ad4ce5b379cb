// ShellDf.cpp - busybox df in the box shell: the one file system the box's
// user sees, the disk at /mnt/hd, in busybox's layout.  The numbers come from
// the host file system that holds the disk folder; a simulated full disk
// (--disk-full-after-bytes) caps the free space at what is left of it, so a
// caller that checks for room before writing meets the same limit its writes
// will meet.
#include <sys/statvfs.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "Box.h"
#include "Shell.h"
#include "core/DiskWrite.h"

namespace pvrsim::box::shell {

namespace {
constexpr char kDevice[] = "/dev/sda2";
constexpr char kMountPoint[] = "/mnt/hd";
constexpr char kHeader[] = "Filesystem           1K-blocks      Used Available Use% Mounted on\n";

struct Usage {
  uint64_t total = 0, used = 0, available = 0;  // 1K blocks
};

bool diskUsage(Usage &usage) {
  struct statvfs fs;
  if (::statvfs(config().diskRoot.c_str(), &fs) != 0) return false;
  uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
  usage.total = fs.f_blocks * unit / 1024;
  usage.used = (fs.f_blocks - fs.f_bfree) * unit / 1024;
  usage.available = fs.f_bavail * unit / 1024;
  uint64_t room = diskRoomLeft();
  if (room != UINT64_MAX && room / 1024 < usage.available) usage.available = room / 1024;
  return true;
}

// busybox's line: the share of used blocks in used + available, rounded.
std::string usageLine(const Usage &u) {
  uint64_t base = u.used + u.available;
  unsigned percent = base ? static_cast<unsigned>((u.used * 100 + base / 2) / base) : 0;
  char line[160];
  std::snprintf(line, sizeof line, "%-20s %9" PRIu64 " %9" PRIu64 " %9" PRIu64 " %3u%% %s\n", kDevice,
                u.total, u.used, u.available, percent, kMountPoint);
  return line;
}

// True when a path given to df lies on the disk.
bool onDisk(const std::string &word, int &error) {
  detail::RoutedPath routed = routeShellPath(word);
  error = routed.route == detail::Route::Refused ? routed.error : 0;
  if (routed.route == detail::Route::Disk) {
    struct stat st;
    if (::stat(routed.hostPath.c_str(), &st) != 0) error = errno;
  }
  return routed.route == detail::Route::Disk && error == 0;
}
}  // namespace

// df [-k] [-P] [PATH...]: one line for /mnt/hd, however it is named.
int dfCommand(const std::vector<std::string> &args, CommandIo &io) {
  std::vector<std::string> paths;
  for (const std::string &arg : args) {
    if (arg.size() > 1 && arg[0] == '-') {
      if (arg.find_first_not_of("kP", 1) != std::string::npos) {
        io.err.write("df: invalid option -- '" + arg.substr(arg.find_first_not_of("kP", 1), 1) + "'\n");
        return 1;
      }
      continue;
    }
    paths.push_back(arg);
  }
  Usage usage;
  if (!diskUsage(usage)) {
    io.err.write(std::string("df: ") + kMountPoint + ": " + std::strerror(errno) + "\n");
    return 1;
  }
  std::string text = kHeader;
  int status = 0;
  if (paths.empty()) text += usageLine(usage);
  for (const std::string &path : paths) {
    int error = 0;
    if (onDisk(path, error)) {
      text += usageLine(usage);
    } else {
      io.err.write("df: " + path + ": " + std::strerror(error ? error : ENOENT) + "\n");
      status = 1;
    }
  }
  io.out.write(text);
  return status;
}

}  // namespace pvrsim::box::shell
