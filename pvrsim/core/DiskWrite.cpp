// DiskWrite.cpp - the single disk write path of the TAP API, with the byte counter, the
// power-cut switch and the disk faults.
#include "DiskWrite.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "Runtime.h"

namespace pvrsim {

namespace {
// Writes all of size bytes unless write() fails; returns the bytes written or -1.
ssize_t writeAll(int fd, const char *data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return done ? static_cast<ssize_t>(done) : -1;
    }
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

// Bytes left before the limit, counted from the bytes written so far.
uint64_t roomBefore(const std::optional<uint64_t> &limit, uint64_t written) {
  return !limit ? UINT64_MAX : written >= *limit ? 0 : *limit - written;
}
}  // namespace

ssize_t writeToDisk(int fd, const void *data, size_t size) {
  core::Runtime &r = core::rt();
  const Options &o = r.options;
  const char *bytes = static_cast<const char *>(data);
  if (size > roomBefore(o.powerCutAfterBytes, r.bytesWritten)) {
    // The write that crosses the limit reaches the disk only in part.
    ssize_t n = writeAll(fd, bytes, static_cast<size_t>(roomBefore(o.powerCutAfterBytes, r.bytesWritten)));
    if (n > 0) r.bytesWritten += static_cast<uint64_t>(n);
    core::powerCut("byte limit reached");
  }
  uint64_t full = roomBefore(o.diskFullAfterBytes, r.bytesWritten);
  uint64_t lost = roomBefore(o.lostWritesAfterBytes, r.bytesWritten);
  size_t stored = static_cast<size_t>(std::min<uint64_t>(size, std::min(full, lost)));
  ssize_t n = writeAll(fd, bytes, stored);
  if (n > 0) r.bytesWritten += static_cast<uint64_t>(n);
  if (n < 0 || static_cast<size_t>(n) < stored) return n;
  if (stored < size && full <= lost) {
    errno = ENOSPC;
    return stored > 0 ? n : -1;
  }
  return stored < size ? static_cast<ssize_t>(size) : n;  // a lost write claims every byte
}

uint64_t diskBytesWritten() { return core::rt().bytesWritten; }

uint64_t diskRoomLeft() { return roomBefore(core::rt().options.diskFullAfterBytes, core::rt().bytesWritten); }

namespace core {
void powerCut(const char *reason) {
  Runtime &r = rt();
  std::fprintf(stderr, "pvrsim: power cut at tick %u after %llu bytes written (%s)\n",
               static_cast<unsigned>(r.tick), static_cast<unsigned long long>(r.bytesWritten), reason);
  std::fflush(stderr);
  _exit(kPowerCutExitStatus);
}
}  // namespace core

}  // namespace pvrsim
