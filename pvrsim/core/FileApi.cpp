// FileApi.cpp - files of the TAP API: TAP_Hdd_Fopen opens an existing file on the disk for
// reading and writing at position 0 and hands out a TYPE_File whose handle
// is a firmware file object with the file's "/mnt/hd/..." path.
//
// A file that loaded TAP code is mapped from is opened for reading only; its
// first write gives the disk path a fresh copy (box::separateBeforeWrite) and
// carries on in that copy at the same position, so reading a running TAP's
// file costs no copy and writing it never changes the running code.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "DiskWrite.h"
#include "box/Box.h"
#include "Runtime.h"

using namespace pvrsim::core;

namespace {
// Moves an open file that still reads a mapped file over to a fresh copy of
// it, at the same position; false when that fails.
bool prepareWrite(OpenFile &open) {
  if (!open.separateOnWrite) return true;
  if (!pvrsim::box::separateBeforeWrite(open.hostPath, true)) return false;
  off_t position = ::lseek(open.fd, 0, SEEK_CUR);
  int fresh = ::open(open.hostPath.c_str(), O_RDWR);
  if (fresh < 0) return false;
  if (position > 0 && ::lseek(fresh, position, SEEK_SET) != position) {
    ::close(fresh);
    return false;
  }
  ::dup2(fresh, open.fd);
  ::close(fresh);
  open.separateOnWrite = false;
  return true;
}

OpenFile *openFileOf(TYPE_File *file) {
  auto &files = rt().openFiles;
  auto it = files.find(file);
  return it == files.end() ? nullptr : it->second.get();
}

// Keeps TYPE_File.size in step with the file.
dword refreshSize(TYPE_File *file, const OpenFile &open) {
  struct stat st;
  if (::fstat(open.fd, &st) != 0) return 0;
  file->size = st.st_size;
  return static_cast<dword>(st.st_size);  // a 32-bit off_t always fits
}

// blockSize x blocks in bytes, or 0 when that does not fit a size_t.
size_t byteCount(dword blockSize, dword blocks) {
  uint64_t bytes = static_cast<uint64_t>(blockSize) * blocks;
  return bytes > SIZE_MAX / 2 ? 0 : static_cast<size_t>(bytes);
}
}  // namespace

extern "C" TYPE_File *TAP_Hdd_Fopen(const char *name) {
  std::string boxPath, hostPath;
  if (!resolveName(name, boxPath, hostPath)) return nullptr;
  bool mapped = pvrsim::box::isMappedFile(hostPath);
  int fd = mapped ? -1 : ::open(hostPath.c_str(), O_RDWR);
  if (mapped || (fd < 0 && (errno == EACCES || errno == EROFS))) fd = ::open(hostPath.c_str(), O_RDONLY);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  auto open = std::make_unique<OpenFile>();
  open->fd = fd;
  open->path = boxPath;
  open->hostPath = hostPath;
  open->separateOnWrite = mapped;
  open->sizeAtOpen = static_cast<dword>(st.st_size);
  open->object.magic = TAP_FILE_OBJECT_MAGIC;
  open->object.path = open->path.data();

  TYPE_File *file = new TYPE_File{};
  file->handle = &open->object;
  file->size = st.st_size;
  file->time = firmwareTime(st.st_mtime);
  std::string base = boxPath.substr(boxPath.rfind('/') + 1);
  std::strncpy(file->name, base.c_str(), sizeof file->name - 1);
  rt().openFiles[file] = std::move(open);
  return file;
}

extern "C" void TAP_Hdd_Fclose(TYPE_File *file) {
  OpenFile *open = openFileOf(file);
  if (!open) return;
  ::close(open->fd);
  rt().openFiles.erase(file);
  delete file;
}

// Returns the number of whole blocks read.
extern "C" dword TAP_Hdd_Fread(void *buf, dword blockSize, dword blocks, TYPE_File *file) {
  OpenFile *open = openFileOf(file);
  size_t want = byteCount(blockSize, blocks);
  if (!open || !buf || want == 0) return 0;
  size_t done = 0;
  while (done < want) {
    ssize_t n = ::read(open->fd, static_cast<char *>(buf) + done, want - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  rt().hddBytesRead += done;
  return static_cast<dword>(done / blockSize);
}

// Returns the number of whole blocks written.
extern "C" dword TAP_Hdd_Fwrite(const void *buf, dword blockSize, dword blocks, TYPE_File *file) {
  OpenFile *open = openFileOf(file);
  size_t want = byteCount(blockSize, blocks);
  if (!open || !buf || want == 0 || !prepareWrite(*open)) return 0;
  ssize_t n = pvrsim::writeToDisk(open->fd, buf, want);
  refreshSize(file, *open);
  return n <= 0 ? 0 : static_cast<dword>(static_cast<size_t>(n) / blockSize);
}

// The file's length now, or with Options::strictApi its length when it was
// opened: all that the firmware promises.
extern "C" dword TAP_Hdd_Flen(TYPE_File *file) {
  OpenFile *open = openFileOf(file);
  if (!open) return 0;
  return rt().options.strictApi ? open->sizeAtOpen : refreshSize(file, *open);
}
