// SharedMemory.cpp - system V shared memory of one run, kept inside pvrsim: TAPs hand their
// start parameters over through it, and nothing of it reaches the host's IPC.
// The box runs everything as root, so permission bits are kept but never
// enforced.
#include "Box.h"
#include "BoxInternal.h"

#include <sys/shm.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

namespace pvrsim::box {

namespace {
constexpr size_t kMaxSegmentSize = 32 * 1024 * 1024;  // the box kernel's SHMMAX
constexpr size_t kPageSize = 4096;

struct Segment {
  key_t key = IPC_PRIVATE;
  size_t size = 0;
  unsigned short mode = 0;
  void *memory = nullptr;
  int attachments = 0;
  bool removed = false;  // IPC_RMID: no longer found by key, freed when unattached
  time_t attachTime = 0, detachTime = 0, changeTime = 0;
  pid_t lastPid = 0;
};

struct Store {
  std::mutex mutex;
  std::map<int, Segment> segments;  // by shmid
  std::map<void *, int> owners;     // attached address -> shmid
  int nextId = 0;
  bool attachFails = false;  // setShmatFails
};

Store &store() {
  static Store *instance = new Store;  // never destroyed: TAPs may detach during exit
  return *instance;
}

int fail(int error) {
  errno = error;
  return -1;
}

void *allocateZeroed(size_t size) {
  size_t rounded = (size + kPageSize - 1) / kPageSize * kPageSize;
  void *memory = std::aligned_alloc(kPageSize, rounded);
  if (memory != nullptr) std::memset(memory, 0, rounded);
  return memory;
}

void destroy(Store &s, std::map<int, Segment>::iterator it) {
  s.owners.erase(it->second.memory);
  std::free(it->second.memory);
  s.segments.erase(it);
}

// The segment that shmget finds under a key (removed ones are invisible).
std::map<int, Segment>::iterator findByKey(Store &s, key_t key) {
  if (key == IPC_PRIVATE) return s.segments.end();
  for (auto it = s.segments.begin(); it != s.segments.end(); ++it) {
    if (it->second.key == key && !it->second.removed) return it;
  }
  return s.segments.end();
}

int create(Store &s, key_t key, size_t size, int flags) {
  if (size < 1 || size > kMaxSegmentSize) return fail(EINVAL);
  Segment segment;
  segment.key = key;
  segment.size = size;
  segment.mode = static_cast<unsigned short>(flags & 0777);
  segment.memory = allocateZeroed(size);
  if (segment.memory == nullptr) return fail(ENOMEM);
  segment.changeTime = std::time(nullptr);
  int id = s.nextId++;
  s.owners[segment.memory] = id;
  s.segments[id] = segment;
  return id;
}

void fillStatus(const Segment &segment, struct shmid_ds &status) {
  std::memset(&status, 0, sizeof status);
  status.shm_perm.__key = segment.key;
  status.shm_perm.uid = status.shm_perm.cuid = getuid();
  status.shm_perm.gid = status.shm_perm.cgid = getgid();
  status.shm_perm.mode = segment.mode | (segment.removed ? SHM_DEST : 0);
  status.shm_segsz = segment.size;
  status.shm_nattch = segment.attachments;
  status.shm_atime = segment.attachTime;
  status.shm_dtime = segment.detachTime;
  status.shm_ctime = segment.changeTime;
  status.shm_cpid = getpid();
  status.shm_lpid = segment.lastPid;
}
}  // namespace

void setShmatFails(bool fails) {
  Store &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.attachFails = fails;
}

std::size_t shmSegmentCount() {
  Store &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::size_t count = 0;
  for (const auto &entry : s.segments) count += entry.second.removed ? 0 : 1;
  return count;
}

std::size_t shmLiveSegmentCount() {
  Store &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.segments.size();
}

bool shmKeyExists(int key) {
  Store &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  return findByKey(s, key) != s.segments.end();
}

namespace detail {
void resetSharedMemory() {
  Store &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (auto &entry : s.segments) std::free(entry.second.memory);
  s.segments.clear();
  s.owners.clear();
  s.nextId = 0;
  s.attachFails = false;
}
}  // namespace detail

}  // namespace pvrsim::box

using pvrsim::box::store;

extern "C" int __wrap_shmget(key_t key, size_t size, int flags) {
  auto &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto found = pvrsim::box::findByKey(s, key);
  if (found == s.segments.end()) {
    if (key != IPC_PRIVATE && (flags & IPC_CREAT) == 0) return pvrsim::box::fail(ENOENT);
    return pvrsim::box::create(s, key, size, flags);
  }
  if ((flags & IPC_CREAT) != 0 && (flags & IPC_EXCL) != 0) return pvrsim::box::fail(EEXIST);
  if (size > found->second.size) return pvrsim::box::fail(EINVAL);
  return found->first;
}

extern "C" void *__wrap_shmat(int id, const void *address, int /*flags*/) {
  auto &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.segments.find(id);
  // Segments live at addresses of pvrsim's choosing; a wished-for address
  // cannot be honoured.
  if (it == s.segments.end() || address != nullptr) {
    errno = EINVAL;
    return reinterpret_cast<void *>(-1);
  }
  if (s.attachFails) {
    errno = ENOMEM;
    return reinterpret_cast<void *>(-1);
  }
  it->second.attachments++;
  it->second.attachTime = std::time(nullptr);
  it->second.lastPid = getpid();
  return it->second.memory;
}

extern "C" int __wrap_shmdt(const void *address) {
  auto &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto owner = s.owners.find(const_cast<void *>(address));
  if (owner == s.owners.end()) return pvrsim::box::fail(EINVAL);
  auto it = s.segments.find(owner->second);
  if (it->second.attachments == 0) return pvrsim::box::fail(EINVAL);
  it->second.attachments--;
  it->second.detachTime = std::time(nullptr);
  it->second.lastPid = getpid();
  if (it->second.removed && it->second.attachments == 0) pvrsim::box::destroy(s, it);
  return 0;
}

extern "C" int __wrap_shmctl(int id, int command, struct shmid_ds *status) {
  auto &s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto it = s.segments.find(id);
  if (it == s.segments.end()) return pvrsim::box::fail(EINVAL);
  switch (command) {
    case IPC_RMID:
      it->second.removed = true;
      if (it->second.attachments == 0) pvrsim::box::destroy(s, it);
      return 0;
    case IPC_STAT:
      if (status == nullptr) return pvrsim::box::fail(EFAULT);
      pvrsim::box::fillStatus(it->second, *status);
      return 0;
    case IPC_SET:
      if (status == nullptr) return pvrsim::box::fail(EFAULT);
      it->second.mode = static_cast<unsigned short>(status->shm_perm.mode & 0777);
      it->second.changeTime = std::time(nullptr);
      return 0;
    default:
      return pvrsim::box::fail(EINVAL);
  }
}
