// Console.cpp - the box's console: /dev/pts/N opens a capture file in the run folder.
// Writes to such a descriptor are kept as raw bytes (the library sends the
// NUL that ends each piece) and, on request, echoed as text to stdout.
#include "Box.h"
#include "BoxInternal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>

namespace pvrsim::box {

namespace {
constexpr char kCaptureFile[] = "console.raw";

struct ConsoleFds {
  std::mutex mutex;
  std::set<int> fds;
  std::atomic<size_t> count{0};  // lets ordinary writes skip the lock
};

ConsoleFds &consoleFds() {
  static ConsoleFds *fds = new ConsoleFds;  // never destroyed: writes may come during exit
  return *fds;
}

std::function<void(const char *, size_t)> &consoleListener() {
  static auto *listener = new std::function<void(const char *, size_t)>;  // as consoleFds
  return *listener;
}

void echoWithoutNul(const void *data, size_t size) {
  const char *bytes = static_cast<const char *>(data);
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != '\0') text += bytes[i];
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}
}  // namespace

namespace detail {
int openConsole() {
  std::string capture = runFile(kCaptureFile);
  int fd = ::open(capture.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  ConsoleFds &console = consoleFds();
  std::lock_guard<std::mutex> lock(console.mutex);
  console.fds.insert(fd);
  console.count = console.fds.size();
  return fd;
}

bool isConsoleFd(int fd) {
  ConsoleFds &console = consoleFds();
  if (console.count.load() == 0) return false;
  std::lock_guard<std::mutex> lock(console.mutex);
  return console.fds.count(fd) != 0;
}

void forgetConsoleFd(int fd) {
  ConsoleFds &console = consoleFds();
  if (console.count.load() == 0) return;
  std::lock_guard<std::mutex> lock(console.mutex);
  console.fds.erase(fd);
  console.count = console.fds.size();
}

// Descriptors of an earlier run stay open with their owners; they are only
// no longer treated as console.  The capture of the new run starts empty.
void resetConsole() {
  ConsoleFds &console = consoleFds();
  {
    std::lock_guard<std::mutex> lock(console.mutex);
    console.fds.clear();
    console.count = 0;
  }
  std::string capture = runFile(kCaptureFile);
  if (capture.empty()) return;
  int fd = ::open(capture.c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
}
}  // namespace detail

void setConsoleListener(std::function<void(const char *data, size_t size)> listener) {
  consoleListener() = std::move(listener);
}

std::string consoleRaw() {
  std::string capture = detail::runFile(kCaptureFile);
  if (capture.empty()) return {};
  std::ifstream in(capture, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string consoleText() {
  std::string text = consoleRaw();
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

}  // namespace pvrsim::box

extern "C" ssize_t __wrap_write(int fd, const void *data, size_t size) {
  ssize_t written = ::write(fd, data, size);
  if (written > 0 && pvrsim::box::detail::isConsoleFd(fd)) {
    if (pvrsim::box::config().consoleEcho) pvrsim::box::echoWithoutNul(data, static_cast<size_t>(written));
    auto &listener = pvrsim::box::consoleListener();
    if (listener) listener(static_cast<const char *>(data), static_cast<size_t>(written));
  }
  return written;
}

extern "C" int __wrap_close(int fd) {
  pvrsim::box::detail::forgetConsoleFd(fd);
  return ::close(fd);
}
