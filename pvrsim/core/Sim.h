// Sim.h - pvrsim, the box's firmware on a PC, as a C++ API for tests and for
// the pvrsim program.
//
// A Sim stands for one run of the box: a host folder is the disk at /mnt/hd,
// a virtual clock counts ticks of 10 ms, TAP files are loaded from the disk
// into the firmware's task table and receive idle and key events one tick at
// a time.  Only one Sim exists at a time; the TAP API functions of tap.h act
// on it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tap.h"

namespace pvrsim {

// A local date and time as the firmware's clock shows it.
struct DateTime {
  int year = 2015, month = 12, day = 31;
  int hour = 12, minute = 0, second = 0;
};

// Parses "YYYY-MM-DD HH:MM:SS"; false for anything else or an invalid date.
bool parseDateTime(const std::string &text, DateTime &out);

struct Options {
  std::string diskDir = "run/disk";   // host folder that stands for /mnt/hd (created when missing)
  std::string runDir = "run";         // run files: console capture, loaded TAP copies
  int osdLanguage = 0;                // TAP_GetSystemVar(1): 0 en, 1 fr, 2 de ... 19 bg
  bool realtime = false;              // pace ticks to real time (10 ms each)
  bool consoleEcho = false;           // copy the box console to the terminal
  bool consoleAvailable = true;       // false: the box has no /dev/pts/N
  std::optional<DateTime> startTime;  // firmware time at tick 0; default the host's local time
  dword systemId = 22010;             // TAP_GetSystemId
  dword firmwareVersion = 0x1225;     // TAP_GetVersion
  dword chdirSuccessValue = 1;        // what TAP_Hdd_ChangeDir returns on success
  bool utf8Firmware = true;           // false: the firmware hides Appl_ConvertToValidUTF8Str
  byte macAddress[6] = {0x02, 0x50, 0x56, 0x52, 0x53, 0x4D};  // DevEeprom_GetMacAddr
  // Power cut: the process ends at once (exit status kPowerCutExitStatus)
  // when the clock would pass this tick, or when the TAP API has written this
  // many bytes to the disk (the write that crosses the limit is cut short).
  std::optional<dword> powerCutAtTick;
  std::optional<uint64_t> powerCutAfterBytes;
  // Disk faults, counted in the same bytes as powerCutAfterBytes.  Once the
  // TAP API has written diskFullAfterBytes bytes the disk is full: a write
  // stores what still fits and fails (ENOSPC), so TAP_Hdd_Fwrite reports
  // fewer blocks.  Once it has written lostWritesAfterBytes bytes the disk
  // keeps no more, yet every write reports all of its bytes written.
  std::optional<uint64_t> diskFullAfterBytes;
  std::optional<uint64_t> lostWritesAfterBytes;
  // Bytes of an archive's contents that the box shell's tar gets through
  // per tick when it runs in the background.
  uint64_t diskBytesPerTick = 65536;
  // Only what the firmware promises, for code that must not rely on more:
  // TAP_Hdd_FindNext's result means nothing (callers take as many entries
  // as TAP_Hdd_FindFirst reported) and TAP_Hdd_Flen gives a file's length
  // as it was when the file was opened.
  bool strictApi = false;
  // The network of the box's wget (the box shell's "/mnt/hd/ProgramFiles/wget"):
  // it reaches 127.0.0.1 and localhost only, its downloads move on by
  // netBytesPerTick body bytes per tick.  Faults: the cable pulled (no host
  // at all), each connection breaking after netBreakAfterBytes body bytes,
  // each server ceasing to send after netStallAfterBytes body bytes.
  bool networkDown = false;
  uint64_t netBytesPerTick = 4096;
  std::optional<uint64_t> netBreakAfterBytes;
  std::optional<uint64_t> netStallAfterBytes;
  // Memory faults: the failAllocation-th allocation made for TAPs (counted
  // from 1: TAP_MemAlloc, and the memory the box's libc takes for a TAP,
  // such as fopen's stream) fails, and with failAllocationOnce false every
  // later one too, as on a box whose memory ran out.
  std::optional<uint64_t> failAllocation;
  bool failAllocationOnce = false;
  // Nested dispatch through TAP_SystemProc deeper than this only advances the
  // clock (a handler that waits inside every event would otherwise recurse
  // without end).
  int maxDispatchNesting = 32;
};

constexpr int kPowerCutExitStatus = 3;

struct ReturnedKey {
  dword tick;
  dword code;
};

class Sim {
 public:
  explicit Sim(const Options &options);
  ~Sim();
  Sim(const Sim &) = delete;
  Sim &operator=(const Sim &) = delete;

  // The Sim that the TAP API acts on, or null.
  static Sim *current();
  const Options &options() const;

  // ---- disk ----
  // Host path inside the disk folder of a TAP-notation path ("/ProgramFiles/X.tap"),
  // links on the disk followed; empty when the path leads out of the disk.
  std::string hostPath(const std::string &boxPath) const;
  // Copies a host file onto the disk, creating the folders on the way.
  // boxPath is a TAP-notation file path, or a folder ending in '/' that
  // receives the file under its own name.  An existing file is replaced, not
  // rewritten, so a TAP running from it keeps its code.  On failure returns
  // false and sets lastError().
  bool copyToDisk(const std::string &hostFile, const std::string &boxPath);
  // Bytes the TAP API has written to the disk so far.
  uint64_t bytesWritten() const;
  // TAP_MemAlloc blocks that TAPs still held when they ended, which the
  // firmware took back (a TAP that frees everything adds none).
  size_t blocksTakenBack() const;
  // Allocations made for TAPs so far (see Options::failAllocation), and how
  // many of them the memory fault made fail.
  uint64_t allocations() const;
  uint64_t failedAllocations() const;

  // ---- TAPs ----
  // Starts a TAP file on the disk (TAP notation) as a TAP does, with an
  // optional start parameter handed over through shared memory.  Returns the
  // task slot (-1 on failure, with lastError(); also -1 when TAP_Main returned
  // 0 or ended the TAP, lastError() empty then).
  int startTap(const std::string &boxPath, std::optional<dword> param = std::nullopt);
  const std::string &lastError() const;
  // Boots like the box: starts every ".tap" file in "/ProgramFiles/AutoStart"
  // in the order of the file names, but the one named by except (a TAP that
  // is about to be started otherwise).  A file that cannot be started is
  // skipped, its lastError() added to failures when given.  Returns how many
  // started.
  int bootAutoStart(const std::string &except = "", std::vector<std::string> *failures = nullptr);

  // Makes the calling test program act as a TAP: fills a free slot (state 1,
  // the file record of the pseudo file <folder>/<fileName>, current directory
  // folder, the optional handler) and sets _curTapTask to it.  Returns the
  // slot or -1.
  int adoptCaller(const std::string &folder, TAP_EventHandlerFn handler = nullptr,
                  const std::string &fileName = "Test.tap");

  // ---- running ----
  void tick();  // one tick: clock + 1, dispatch
  void runTicks(dword n);
  dword runUntilNoTap(dword maxTicks);  // returns the ticks run; adopted callers do not count
  void scheduleKey(dword tick, dword code);
  dword now() const;  // TAP_GetTick
  // Called on the simulator's thread at every tick that dispatches, the
  // nested ticks of TAP_SystemProc included, after the clock moved and before
  // the due keys are delivered: a key scheduled there for now() is delivered
  // in that tick.
  // An empty function removes it.  The Sim forgets it when it ends.
  void setTickObserver(std::function<void()> observer);

  // ---- inspection ----
  bool isRunning(int slot) const;                 // slot occupied
  bool isRunning(const std::string &file) const;  // by file name or TAP-notation path
  int slotOf(const std::string &file) const;      // -1 when not running
  int taskCount() const;                          // occupied slots
  int tapCount() const;                           // loaded TAPs (adopted callers excluded)
  std::string tapFile(int slot) const;            // TAP-notation path of the slot's file
  std::string currentDir(int slot) const;         // "/mnt/hd..." of the slot
  void *tapHandle(int slot) const;                // dlopen handle of the slot's TAP, or null
  const TYPE_TapTask &task(int slot) const;
  void setIgnoreKill(int slot, bool ignore = true);
  const std::vector<ReturnedKey> &returnedKeys() const;
  bool normalMode() const;  // firmware screens on
  int enterNormalCalls() const;
  int exitNormalCalls() const;
  std::string consoleText() const;
  uint64_t hddBytesRead() const;  // bytes TAPs read with TAP_Hdd_Fread in this run
};

}  // namespace pvrsim
