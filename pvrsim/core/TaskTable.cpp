// TaskTable.cpp - the firmware's task table (_tapTask), the current-task index and the TAP
// folder record, exported under the firmware's symbol names, and the
// bookkeeping pvrsim keeps per slot.
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

#include "Runtime.h"
#include "box/Box.h"

extern "C" {
__attribute__((visibility("default"))) TYPE_TapTask _tapTask[TAP_MAX_TASKS];
__attribute__((visibility("default"))) dword _curTapTask = 0;
static TYPE_HddFolder hddTapFolderRecord;
__attribute__((visibility("default"))) TYPE_HddFolder *_hddTapFolder = &hddTapFolderRecord;
}

// The library reads these records at fixed offsets.
static_assert(sizeof _tapTask == TAP_MAX_TASKS * 44, "task table: 16 entries of 44 bytes");
static_assert(offsetof(TYPE_TapTask, state) == 0, "task state at offset 0");
static_assert(offsetof(TYPE_FileObject, magic) == 0, "file object magic at offset 0");
static_assert(sizeof(dword) == 4 && sizeof(void *) == 4, "firmware words and pointers are 32 bit");

namespace pvrsim::core {

Runtime &rt() {
  static Runtime runtime;
  return runtime;
}

bool isOccupied(int index) { return index >= 0 && index < TAP_MAX_TASKS && rt().slots[index].occupied; }

Slot *slotAt(dword index) {
  if (index >= TAP_MAX_TASKS) return nullptr;
  Slot &slot = rt().slots[index];
  return slot.occupied ? &slot : nullptr;
}

Slot *currentSlot() { return slotAt(_curTapTask); }

int freeSlotIndex() {
  for (int i = 0; i < TAP_MAX_TASKS; ++i)
    if (!rt().slots[i].occupied) return i;
  return -1;
}

void setSlotDir(Slot &slot, const std::string &dirPath) {
  slot.dirPath = dirPath;
  slot.dirRecord.path = slot.dirPath.data();
}

int fillSlot(int index, const std::string &filePath, const std::string &dirPath) {
  Slot &slot = rt().slots[index];
  slot = Slot{};
  slot.occupied = true;
  slot.filePath = filePath;
  slot.fileObject.magic = TAP_FILE_OBJECT_MAGIC;
  slot.fileObject.path = slot.filePath.data();
  slot.file.handle = &slot.fileObject;
  std::string name = filePath.substr(filePath.rfind('/') + 1);
  std::strncpy(slot.file.name, name.c_str(), sizeof slot.file.name - 1);
  std::string host;
  struct stat st;
  if (box::mapDiskPath(filePath, host) && ::stat(host.c_str(), &st) == 0) {
    slot.file.size = st.st_size;
    slot.file.time = firmwareTime(st.st_mtime);
  }
  setSlotDir(slot, dirPath);

  TYPE_TapTask &task = _tapTask[index];
  std::memset(&task, 0, sizeof task);
  task.state = 1;
  task.file = &slot.file;
  task.dir = &slot.dirRecord;
  return index;
}

void removeSlot(int index) {
  Runtime &r = rt();
  Slot &slot = r.slots[index];
  if (slot.code.library) r.pendingUnloads.push_back(slot.code);
  std::memset(&_tapTask[index], 0, sizeof _tapTask[index]);
  slot = Slot{};
}

void unloadPending() {
  Runtime &r = rt();
  if (r.tapCodeDepth > 0) return;  // some TAP's code may still be on the stack
  std::vector<LoadedTap> unloads;
  unloads.swap(r.pendingUnloads);
  for (const LoadedTap &code : unloads) {
    freeMemoryOf(code.library);  // the firmware takes back what an ended TAP still held
    unloadTapCode(code);
  }
}

void resetTaskTable() {
  for (int i = 0; i < TAP_MAX_TASKS; ++i)
    if (rt().slots[i].occupied) removeSlot(i);
  unloadPending();
  std::memset(_tapTask, 0, sizeof _tapTask);
  _curTapTask = 0;
  std::memset(&hddTapFolderRecord, 0, sizeof hddTapFolderRecord);
  _hddTapFolder = &hddTapFolderRecord;
}

TapCall::TapCall(int index) : index_(index), savedCur_(_curTapTask) {
  Runtime &r = rt();
  Slot &slot = r.slots[index];
  _curTapTask = static_cast<dword>(index);
  ++slot.depth;
  tapCode_ = slot.code.library != nullptr;  // an adopted caller is test code, not TAP code
  if (tapCode_ && r.tapCodeDepth++ == 0) box::setInsideTapCall(true);
}

TapCall::~TapCall() {
  Runtime &r = rt();
  _curTapTask = savedCur_;
  Slot &slot = r.slots[index_];
  if (slot.depth > 0) --slot.depth;
  if (tapCode_ && --r.tapCodeDepth == 0) box::setInsideTapCall(false);
}

void finishCall(int index) {
  Runtime &r = rt();
  Slot &slot = r.slots[index];
  if (slot.occupied && slot.depth == 0 && slot.exitRequested) removeSlot(index);
  if (r.tapCodeDepth > 0) return;
  // The outermost call into TAP code has returned, so every TAP whose handler
  // another TAP called directly (HDD_TAP_SendEvent) and that asked to exit
  // is done as well.
  for (int i = 0; i < TAP_MAX_TASKS; ++i) {
    const Slot &other = r.slots[i];
    if (other.occupied && other.depth == 0 && other.exitRequested) removeSlot(i);
  }
}

}  // namespace pvrsim::core
