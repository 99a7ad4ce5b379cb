// Runtime.h - the state of one simulated run, shared by the core's sources.
// The TAP API is a set of plain C functions, so the state they act on is
// global: one Runtime, made active by the Sim that owns the run.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Sim.h"
#include "box/Box.h"
#include "tap.h"

extern "C" {
extern TYPE_TapTask _tapTask[TAP_MAX_TASKS];
extern dword _curTapTask;
extern TYPE_HddFolder *_hddTapFolder;
}

namespace pvrsim::core {

constexpr char kMount[] = "/mnt/hd";

// Listing made by TAP_Hdd_FindFirst and walked by TAP_Hdd_FindNext.
struct FolderListing {
  std::vector<TYPE_FolderEntry> entries;
  size_t next = 0;
  unsigned nextCalls = 0;  // TAP_Hdd_FindNext calls, for its result with Options::strictApi
};

// A TAP's code as the dynamic loader holds it: the disk file itself, held as
// mapped (box::holdMappedFile) while loaded, or a private copy in the run
// folder.
struct LoadedTap {
  void *library = nullptr;       // dlopen handle
  std::string copy;              // the private copy that was loaded, or empty
  box::MappedFileId mappedFile;  // the disk file, when no copy was loaded
};

// What the firmware keeps about one task slot besides the _tapTask entry.
struct Slot {
  bool occupied = false;
  bool adopted = false;  // the test program acting as a TAP
  LoadedTap code;        // none for an adopted caller
  std::string filePath;  // "/mnt/hd/.../X.tap", behind fileObject.path
  std::string dirPath;   // current directory "/mnt/hd...", behind dirRecord.path
  TYPE_File file{};
  TYPE_FileObject fileObject{};
  TYPE_TapDirRecord dirRecord{};
  TAP_EventHandlerFn handler = nullptr;
  dword tapId = 0;
  int depth = 0;               // calls from pvrsim into this slot's code still running
  bool exitRequested = false;  // TAP_Exit called; removed when depth is 0
  bool ignoreKill = false;     // state 2 does not remove this slot
  FolderListing listing;
};

// A TAP file open through TAP_Hdd_Fopen.
struct OpenFile {
  int fd = -1;
  std::string path;              // "/mnt/hd/..."
  std::string hostPath;          // the file in the disk folder
  bool separateOnWrite = false;  // read-only on a mapped TAP file until the first write
  dword sizeAtOpen = 0;          // TAP_Hdd_Flen with Options::strictApi
  TYPE_FileObject object{};
};

struct Runtime {
  bool active = false;
  Options options;
  std::string lastError;

  // clock
  dword tick = 0;
  uint64_t hddBytesRead = 0;  // through TAP_Hdd_Fread
  int64_t startSeconds = 0;   // start time as seconds since 1970 (local wall time)
  std::chrono::steady_clock::time_point realStart;

  // tasks
  std::array<Slot, TAP_MAX_TASKS> slots;
  int tapCodeDepth = 0;   // nesting of calls into loaded TAP code
  int dispatchDepth = 0;  // nesting of tick dispatches
  bool nestingWarned = false;
  // Code whose slot is gone but which may still be on the stack; closed
  // once no TAP code runs.
  std::vector<LoadedTap> pendingUnloads;
  unsigned loadCounter = 0;            // makes the names of loaded copies unique
  std::multimap<dword, dword> keys;    // tick -> key code, in scheduling order
  std::function<void()> tickObserver;  // Sim::setTickObserver
  std::vector<ReturnedKey> returnedKeys;
  std::vector<std::unique_ptr<dword>> paramBlocks;  // start parameters, alive for the run

  // firmware screens
  bool normalMode = true;
  int enterNormalCalls = 0;
  int exitNormalCalls = 0;

  // memory: TAP_MemAlloc blocks that TAPs still held when they ended
  size_t blocksTakenBack = 0;
  uint64_t allocations = 0;  // Options::failAllocation counts these
  uint64_t failedAllocations = 0;

  // disk
  uint64_t bytesWritten = 0;
  FolderListing looseListing;  // FindFirst without a current TAP
  std::map<TYPE_File *, std::unique_ptr<OpenFile>> openFiles;

  // work folders
  std::vector<std::string> selectedFolders;  // folder record id - 1 -> "/mnt/hd..."
  std::string workFolder;                    // "/mnt/hd..." or empty
  std::vector<std::string> savedWorkFolders;
};

Runtime &rt();

// ---- task table (TaskTable.cpp) ----
Slot *slotAt(dword index);  // occupied slot or null
Slot *currentSlot();        // the slot at _curTapTask, when occupied
int freeSlotIndex();        // -1 when the table is full
int fillSlot(int index, const std::string &filePath, const std::string &dirPath);
void setSlotDir(Slot &slot, const std::string &dirPath);
void removeSlot(int index);  // table entry zeroed; library unloaded later
// Closes the libraries of removed slots and frees the memory they still
// held.  Called only where no TAP code can be on the stack: from the
// simulator's own entry points (a tick it runs, a start it makes, its end),
// never from inside a TAP API call such as TAP_SystemProc or TAP_Exit, because
// the library's HDD_TAP_SendEvent enters other TAPs' code where pvrsim cannot
// see it.
void unloadPending();
void resetTaskTable();
bool isOccupied(int index);

// Brackets one call from pvrsim into the code of a slot: sets _curTapTask
// (restored afterwards), counts the slot's depth and tells the box layer that
// TAP code runs.
class TapCall {
 public:
  explicit TapCall(int index);
  ~TapCall();
  TapCall(const TapCall &) = delete;
  TapCall &operator=(const TapCall &) = delete;

 private:
  int index_;
  dword savedCur_;
  bool tapCode_;
};

// Removes the slot when its TAP asked to exit and no call into it is running.
void finishCall(int index);

// ---- loading (TapLoader.cpp) ----
// Closes the library and gives up its copy or its hold on the disk file.
void unloadTapCode(const LoadedTap &code);
// Starts the TAP file "/mnt/hd/..." in a free slot: checks, loads, calls
// __TAP_Init_ and TAP_Main.  Returns the slot, -1 on failure (rt().lastError
// says why) or when the TAP ended in TAP_Main (lastError empty).
int startTapFile(const std::string &boxFile);

// ---- memory (MemoryApi.cpp) ----
// TAP_MemAlloc blocks are owned by the loaded TAP that was current when they
// were allocated; freeMemoryOf gives back what that TAP still holds.
void freeMemoryOf(void *library);
// Counts one allocation made for a TAP; false when the memory fault makes it fail.
bool allocationAllowed();
size_t ownedBlockCount(void *library);

// ---- dispatch (Dispatcher.cpp) ----
void dispatchTick();  // clock + 1, then the tick's dispatch (TAP_SystemProc)
void runTick();       // dispatchTick, then unloads what ended (simulator's own ticks)

// ---- clock (Clock.cpp) ----
void advanceClock(dword ticks);  // checks the power cut, paces in realtime mode
int64_t wallSeconds();           // start time + elapsed ticks, seconds since 1970

// ---- calendar (Mjd.cpp) ----
constexpr int64_t kMjdOfUnixEpoch = 40587;                // MJD of 1970-01-01
int64_t daysFromCivil(int64_t year, int month, int day);  // days since 1970-01-01, month 1-12
void civilFromDays(int64_t days, int &year, int &month, int &day);
dword firmwareTime(int64_t unixSeconds);  // packed: MJD << 16 | hour << 8 | minute

// ---- disk (DiskPaths.cpp) ----
// Resolves a TAP-notation name for the calling TAP: absolute below the disk
// root or relative to its current directory.  boxPath is the name as text
// with "." and ".." resolved ("/mnt/hd/a/b", "/mnt/hd" for the root);
// hostPath is where it leads in the disk folder, links followed
// (box::mapDiskPath; with LastLink::Keep a link in the last name is not).
// False when the name is empty or leads out of the disk.
bool resolveName(const char *name, std::string &boxPath, std::string &hostPath,
                 box::LastLink last = box::LastLink::Follow);
bool isDiskRoot(const std::string &hostPath);  // the disk folder itself
std::string currentDirOfCaller();              // "/mnt/hd..." of the calling TAP, "/mnt/hd" without one

// ---- power cut (DiskWrite.cpp) ----
[[noreturn]] void powerCut(const char *reason);

}  // namespace pvrsim::core
