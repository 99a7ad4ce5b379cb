// PathRoute.cpp - where a path given to a wrapped libc call leads: the disk folder, the
// console, a canned system file, the host, or nowhere.
#include "Box.h"
#include "BoxInternal.h"

#include <cerrno>
#include <cstring>

namespace pvrsim::box::detail {

namespace {
constexpr int kConsoleCount = 20;  // /dev/pts/0 to /dev/pts/19

// "/dev/pts/N" with N a plain decimal number below kConsoleCount.
bool isConsoleNumber(const std::string &name) {
  if (name.empty() || name.size() > 2) return false;
  for (char c : name) {
    if (c < '0' || c > '9') return false;
  }
  if (name.size() == 2 && name[0] == '0') return false;
  return std::stoi(name) < kConsoleCount;
}

bool startsWith(const std::string &text, const char *prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

RoutedPath routed(Route route, std::string hostPath = {}, std::string boxPath = {}) {
  RoutedPath result;
  result.route = route;
  result.hostPath = std::move(hostPath);
  result.boxPath = std::move(boxPath);
  return result;
}
}  // namespace

RoutedPath routePath(const char *path, LastLink last) {
  if (path == nullptr) {
    RoutedPath refused = routed(Route::Refused);
    refused.error = EFAULT;
    return refused;
  }
  std::string normal;
  if (!normaliseBoxPath(path, normal)) {
    // A relative path means the host's working folder: test code only.
    return routed(insideTapCall() ? Route::Refused : Route::Host, path);
  }
  // The host's /mnt and /dev/pts are never the box's, whoever asks.
  if (normal == "/mnt" || startsWith(normal, "/mnt/")) {
    std::string hostPath;
    if (mapDiskPath(path, hostPath, last)) return routed(Route::Disk, hostPath, normal);
    RoutedPath refused = routed(Route::Refused, {}, normal);
    refused.error = errno;
    return refused;
  }
  if (startsWith(normal, "/dev/pts/")) {
    bool console = config().consoleAvailable && !config().runDir.empty() &&
                   isConsoleNumber(normal.substr(std::strlen("/dev/pts/")));
    return routed(console ? Route::Console : Route::Refused, {}, normal);
  }
  if (normal == "/dev/null") return routed(Route::Host, "/dev/null", normal);
  std::string content;
  if (cannedFileContent(normal, content)) return routed(Route::Canned, {}, normal);
  return routed(insideTapCall() ? Route::Refused : Route::Host, path, normal);
}

bool isDiskRoot(const RoutedPath &routed) {
  if (routed.route != Route::Disk) return false;
  std::string host = routed.hostPath;
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  return host == config().diskRoot;
}

}  // namespace pvrsim::box::detail
