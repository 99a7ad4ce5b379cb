// The single disk write path of the TAP API, with the byte counter and the
// power-cut switch.
#include "DiskWrite.h"

#include <unistd.h>

#include <cerrno>
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
}  // namespace

ssize_t writeToDisk(int fd, const void *data, size_t size) {
  core::Runtime &r = core::rt();
  const char *bytes = static_cast<const char *>(data);
  if (r.options.powerCutAfterBytes) {
    uint64_t limit = *r.options.powerCutAfterBytes;
    uint64_t room = r.bytesWritten >= limit ? 0 : limit - r.bytesWritten;
    if (size > room) {
      // The write that crosses the limit reaches the disk only in part.
      ssize_t n = writeAll(fd, bytes, static_cast<size_t>(room));
      if (n > 0) r.bytesWritten += static_cast<uint64_t>(n);
      core::powerCut("byte limit reached");
    }
  }
  ssize_t n = writeAll(fd, bytes, size);
  if (n > 0) r.bytesWritten += static_cast<uint64_t>(n);
  return n;
}

uint64_t diskBytesWritten() { return core::rt().bytesWritten; }

namespace core {
void powerCut(const char *reason) {
  Runtime &r = rt();
  std::fprintf(stderr, "pvrsim: power cut at tick %u after %llu bytes written (%s)\n",
               static_cast<unsigned>(r.tick), static_cast<unsigned long long>(r.bytesWritten),
               reason);
  std::fflush(stderr);
  _exit(kPowerCutExitStatus);
}
}  // namespace core

}  // namespace pvrsim
