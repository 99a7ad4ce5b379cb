// MappedFiles.cpp - files that loaded TAP code is mapped from.
//
// The firmware reads a started TAP into memory, so on the box a TAP's file
// can be rewritten, truncated or replaced while the TAP runs without
// touching the running code.  pvrsim maps a TAP's file where it lies on the
// disk (copying 20 MB before every start would cost more than the whole
// start), so every write path of the box (the TAP API's files, the wrapped
// open() and fopen(), the shell's redirections) calls separateBeforeWrite()
// first: a mapped file then gets a fresh file under its name, and the write
// goes there while the mapping keeps the original.
#include "Box.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <utility>

namespace pvrsim::box {

namespace {
using Key = std::pair<uint64_t, uint64_t>;  // device, inode

struct Registry {
  std::mutex mutex;
  std::map<Key, int> holds;  // how many loaded libraries map each file
};

Registry &registry() {
  static Registry *stored = new Registry;  // never destroyed: wrappers may run during exit
  return *stored;
}

Key keyOf(const MappedFileId &id) { return {id.device, id.inode}; }

bool statFile(const std::string &hostPath, struct stat64 &st) {
  return ::stat64(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isHeld(const struct stat64 &st) {
  Registry &r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.holds.count({static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)}) != 0;
}

bool nothingHeld() {
  Registry &r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.holds.empty();
}

// Copies all of in to out; false (errno set) on a failure.
bool copyContent(int in, int out) {
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) return false;
      done += w;
    }
  }
}

// Writes the new file for hostPath under a temporary name beside it: the
// same mode and times, and the same bytes when keepContent is set.
bool writeReplacement(const std::string &hostPath, const std::string &temp, const struct stat64 &st,
                      bool keepContent) {
  int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
  if (out < 0) return false;
  bool ok = true;
  if (keepContent) {
    int in = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    ok = in >= 0 && copyContent(in, out);
    int saved = errno;
    if (in >= 0) ::close(in);
    errno = saved;
  }
  if (ok) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);  // the box sees the file it had, not a new one
    ::fchmod(out, st.st_mode & 07777);
  }
  int saved = errno;
  ::close(out);
  errno = saved;
  return ok;
}
}  // namespace

bool mappedFileIdOf(const std::string &hostPath, MappedFileId &id) {
  struct stat64 st;
  if (!statFile(hostPath, st)) return false;
  id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

void holdMappedFile(const MappedFileId &id) {
  Registry &r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  ++r.holds[keyOf(id)];
}

void releaseMappedFile(const MappedFileId &id) {
  Registry &r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  auto it = r.holds.find(keyOf(id));
  if (it != r.holds.end() && --it->second <= 0) r.holds.erase(it);
}

bool isMappedFile(const std::string &hostPath) {
  struct stat64 st;
  return !nothingHeld() && statFile(hostPath, st) && isHeld(st);
}

bool separateBeforeWrite(const std::string &hostPath, bool keepContent) {
  struct stat64 st;
  if (nothingHeld() || !statFile(hostPath, st) || !isHeld(st)) return true;
  std::string temp = hostPath + ".pvrsim-separate";
  if (!writeReplacement(hostPath, temp, st, keepContent) || ::rename(temp.c_str(), hostPath.c_str()) != 0) {
    int saved = errno;
    ::unlink(temp.c_str());
    errno = saved;
    return false;
  }
  return true;
}

}  // namespace pvrsim::box
