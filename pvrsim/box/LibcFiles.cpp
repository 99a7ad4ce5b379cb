// LibcFiles.cpp - the box's libc file calls as TAPs make them: paths below /mnt/hd act on
// the disk folder, /dev/pts/N on the console capture, /etc/resolv.conf on a
// canned read-only copy; other paths reach the host only from test code.
#include "Box.h"
#include "BoxInternal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utime.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

using pvrsim::box::detail::Route;
using pvrsim::box::detail::RoutedPath;
using pvrsim::box::detail::routePath;

namespace {
int fail(int error) {
  errno = error;
  return -1;
}

// The host path a Disk or Host route acts on.
const char *hostPath(const RoutedPath &routed) { return routed.hostPath.c_str(); }

// An open follows a link in the last name unless it refuses links there or
// creates the file exclusively (which never opens what a link leads to).
pvrsim::box::LastLink lastLinkOfOpen(int flags) {
  bool exclusive = (flags & O_CREAT) != 0 && (flags & O_EXCL) != 0;
  return (flags & O_NOFOLLOW) != 0 || exclusive ? pvrsim::box::LastLink::Keep : pvrsim::box::LastLink::Follow;
}

bool sameSide(const RoutedPath &a, const RoutedPath &b) {
  return (a.route == Route::Disk || a.route == Route::Host) && a.route == b.route;
}

bool writesFile(int flags) { return (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0; }

// An open that can change an existing file's bytes (an exclusive create
// never opens an existing file).
bool changesExistingFile(int flags) {
  if ((flags & O_CREAT) != 0 && (flags & O_EXCL) != 0) return false;
  return (flags & O_ACCMODE) != O_RDONLY || (flags & O_TRUNC) != 0;
}

// A mode that writes: "w", "a" or any "+".
bool streamWrites(const char *mode) {
  return std::strchr(mode, 'w') != nullptr || std::strchr(mode, 'a') != nullptr ||
         std::strchr(mode, '+') != nullptr;
}

FILE *openConsoleStream() {
  std::string capture = pvrsim::box::detail::runFile("console.raw");
  return std::fopen(capture.c_str(), "a");
}

FILE *openCannedStream(const RoutedPath &routed, const char *mode) {
  if (mode[0] != 'r' || std::strchr(mode, '+') != nullptr) {
    errno = EACCES;
    return nullptr;
  }
  int fd = pvrsim::box::detail::openCannedFile(routed.boxPath);
  if (fd < 0) return nullptr;
  FILE *stream = fdopen(fd, "r");
  if (stream == nullptr) ::close(fd);
  return stream;
}

void statConsole(const RoutedPath &routed, struct stat64 &st) {
  std::memset(&st, 0, sizeof st);
  st.st_mode = S_IFCHR | 0620;
  st.st_nlink = 1;
  // The path was matched as "/dev/pts/<digits>" when it was routed.
  st.st_rdev =
      makedev(136, std::atoi(routed.boxPath.c_str() + std::strlen("/dev/pts/")));  // NOLINT(cert-err34-c)
}
}  // namespace

extern "C" int __wrap_open(const char *path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, mode_t);
    va_end(args);
  }
  RoutedPath routed = routePath(path, lastLinkOfOpen(flags));
  switch (routed.route) {
    case Route::Disk:
    case Route::Host:
      if (changesExistingFile(flags) &&
          !pvrsim::box::separateBeforeWrite(routed.hostPath, (flags & O_TRUNC) == 0))
        return -1;
      return ::open(hostPath(routed), flags, mode);
    case Route::Console:
      return pvrsim::box::detail::openConsole();
    case Route::Canned:
      if (writesFile(flags)) return fail(EACCES);
      return pvrsim::box::detail::openCannedFile(routed.boxPath);
    case Route::Refused:
      break;
  }
  return fail(routed.error);
}

extern "C" int __wrap_lstat64(const char *path, struct stat64 *st) {
  RoutedPath routed = routePath(path, pvrsim::box::LastLink::Keep);
  switch (routed.route) {
    case Route::Disk:
    case Route::Host:
      return ::lstat64(hostPath(routed), st);
    case Route::Console:
      if (st == nullptr) return fail(EFAULT);
      statConsole(routed, *st);
      return 0;
    case Route::Canned: {
      if (st == nullptr) return fail(EFAULT);
      std::string content;
      pvrsim::box::detail::cannedFileContent(routed.boxPath, content);
      pvrsim::box::detail::statCannedFile(content, *st);
      return 0;
    }
    case Route::Refused:
      break;
  }
  return fail(routed.error);
}

extern "C" int __wrap_utime(const char *path, const struct utimbuf *times) {
  RoutedPath routed = routePath(path);
  switch (routed.route) {
    case Route::Disk:
    case Route::Host:
      return ::utime(hostPath(routed), times);
    case Route::Console:
    case Route::Canned:
      return fail(EACCES);
    case Route::Refused:
      break;
  }
  return fail(routed.error);
}

extern "C" int __wrap_mkdir(const char *path, mode_t mode) {
  RoutedPath routed = routePath(path, pvrsim::box::LastLink::Keep);
  switch (routed.route) {
    case Route::Disk:
    case Route::Host:
      return ::mkdir(hostPath(routed), mode);
    case Route::Console:
    case Route::Canned:
      return fail(EEXIST);
    case Route::Refused:
      break;
  }
  return fail(routed.error);
}

extern "C" int __wrap_rename(const char *from, const char *to) {
  // Renaming moves a link itself, never what it leads to.
  RoutedPath source = routePath(from, pvrsim::box::LastLink::Keep);
  RoutedPath target = routePath(to, pvrsim::box::LastLink::Keep);
  if (source.route == Route::Refused) return fail(source.error);
  if (target.route == Route::Refused) return fail(target.error);
  if (pvrsim::box::detail::isDiskRoot(source) || pvrsim::box::detail::isDiskRoot(target)) return fail(EBUSY);
  if (!sameSide(source, target)) {
    bool systemFile = source.route == Route::Console || source.route == Route::Canned ||
                      target.route == Route::Console || target.route == Route::Canned;
    return fail(systemFile ? EACCES : EXDEV);
  }
  return ::rename(hostPath(source), hostPath(target));
}

extern "C" FILE *__wrap_fopen(const char *path, const char *mode) {
  if (mode == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  // The stream is allocated before the file is looked at.
  const auto &allocationAllowed = pvrsim::box::config().allocationAllowed;
  if (pvrsim::box::insideTapCall() && allocationAllowed && !allocationAllowed()) {
    errno = ENOMEM;
    return nullptr;
  }
  RoutedPath routed = routePath(path);
  switch (routed.route) {
    case Route::Disk:
    case Route::Host:
      if (streamWrites(mode) &&
          !pvrsim::box::separateBeforeWrite(routed.hostPath, std::strchr(mode, 'w') == nullptr))
        return nullptr;
      return std::fopen(hostPath(routed), mode);
    case Route::Console:
      // Bytes written through a stream reach the capture; only write() on a
      // descriptor is echoed.
      return openConsoleStream();
    case Route::Canned:
      return openCannedStream(routed, mode);
    case Route::Refused:
      break;
  }
  errno = routed.error;
  return nullptr;
}
