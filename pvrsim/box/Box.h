// Box.h - the box's view of its own system, as pvrsim provides it to TAPs:
// the disk folder seen as /mnt/hd, the console on /dev/pts/N, System V
// shared memory kept per run inside pvrsim, and the box shell behind
// system().  The library calls open(), fopen(), system(), shmget() ... as on
// the box; on the host those calls are wrapped at link time (--wrap) and
// arrive here as __wrap_open() and so on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pvrsim::box {

struct Config {
  std::string diskRoot;          // host folder that stands for /mnt/hd
  std::string runDir;            // host folder for the console capture and other run files
  bool consoleEcho = false;      // also copy console output to the terminal (stdout)
  bool consoleAvailable = true;  // false: no /dev/pts/N can be opened
  // The box's network card address, shown by "ifconfig eth0".
  unsigned char macAddress[6] = {0x00, 0x1C, 0xA2, 0x3E, 0x1A, 0x20};
  // The network as the box's wget meets it.  Only 127.0.0.1 and localhost
  // are reached; any other host fails as on a box whose cable is pulled.
  struct Network {
    bool down = false;                   // the cable is pulled: no host at all
    uint64_t bytesPerTick = 4096;        // body bytes a download gets per tick
    std::optional<uint64_t> breakAfter;  // each connection breaks after this many body bytes
    std::optional<uint64_t> stallAfter;  // each server stops sending after this many body bytes
  } network;
  // The disk as busybox tar meets it: the bytes of the archive's contents
  // it gets through per tick when it runs in the background.
  struct Disk {
    uint64_t bytesPerTick = 65536;
  } disk;
  // Asked before the box's libc takes memory for a TAP (fopen's stream);
  // false makes the call fail with ENOMEM, as on a box out of memory.
  // Empty: memory never runs out.
  std::function<bool()> allocationAllowed;
};

// Sets the folders; called by the simulator when a run starts.  Creates the
// disk and run folders when missing and resets every piece of state of an
// earlier run: shared-memory segments, the console capture and shell log,
// hidden symbols and look-up counts, the TAP-call depth.
void configure(const Config &config);
const Config &config();

// How a path's last name is taken when it is a symbolic link: followed
// (open, stat, chdir, chmod ...) or kept as the link itself (lstat, unlink,
// rename, rm).  A path ending in '/' or "/." is always followed.
enum class LastLink { Follow, Keep };

// Maps a box path below "/mnt/hd" ("/mnt/hd", "/mnt/hd/", "/mnt/hd/a/b") to
// the host path inside the disk folder.  "." and ".." of the path itself are
// resolved lexically, as the firmware's paths are text.  Symbolic links on
// the disk are followed as the box's kernel follows them (a target beginning
// with '/' is a box path, one without is taken from the link's folder), but
// only beneath the disk folder: the host path names no link except, with
// LastLink::Keep, its last name.  False, with errno set, for a path that is
// not below /mnt/hd, that climbs above it (ENOENT), that passes through a
// link leading outside the disk (ENOENT: for the box such a link leads
// nowhere) or through too many links (ELOOP).  normalBoxPath, when given,
// receives the box path with "." and ".." resolved ("/mnt/hd/a/b"), also
// when a link on the way leads nowhere.
bool mapDiskPath(const std::string &boxPath, std::string &hostPath, LastLink last = LastLink::Follow,
                 std::string *normalBoxPath = nullptr);

// True while the simulator runs code of a TAP (set by the core around every
// call into a TAP).  Paths that are neither below /mnt/hd nor a console are
// refused inside TAP code and passed to the host only outside it (test code).
// setInsideTapCall(true) and (false) nest: every true needs its false.
bool insideTapCall();
void setInsideTapCall(bool inside);

// Marks the lifetime of one call into a TAP.
class TapCallScope {
 public:
  TapCallScope() { setInsideTapCall(true); }
  ~TapCallScope() { setInsideTapCall(false); }
  TapCallScope(const TapCallScope &) = delete;
  TapCallScope &operator=(const TapCallScope &) = delete;
};

// Files that loaded TAP code is mapped from (MappedFiles.cpp).  On the box
// the firmware keeps a started TAP in memory, so writing its file never
// changes running code.  pvrsim loads a TAP from its file on the disk and
// holds the file here while the code is loaded; every write path of the box
// calls separateBeforeWrite(), which gives a held file a fresh file under
// its name (same mode and times; the same bytes when keepContent is set,
// none when the write truncates anyway) before the write reaches it.
// Changes made by test code directly on the host bypass this: replace a
// running TAP's file (write a new one, rename it over) instead of rewriting it.
struct MappedFileId {
  uint64_t device = 0;
  uint64_t inode = 0;
};
bool mappedFileIdOf(const std::string &hostPath, MappedFileId &id);  // false: no regular file there
void holdMappedFile(const MappedFileId &id);
void releaseMappedFile(const MappedFileId &id);
bool isMappedFile(const std::string &hostPath);
// False, with errno set, when the fresh file could not be made; the write
// must then not go ahead.
bool separateBeforeWrite(const std::string &hostPath, bool keepContent);
// Console: everything written to /dev/pts/N, as raw bytes (the library sends
// the terminating NUL of every piece) and as text without NUL bytes.
std::string consoleRaw();
std::string consoleText();
// Called with every piece written to the console (raw bytes, NULs included)
// on the writing thread, right after it reached the capture.  An empty
// function removes it; configure() keeps it.
void setConsoleListener(std::function<void(const char *data, size_t size)> listener);

// Runs one command line with the box shell; returns the status as system()
// does (exit code << 8).
int runShell(const std::string &commandLine);

// Background jobs of the box shell ("... &"): one tick of virtual time for
// each (the simulator calls it at every tick), and how many still run.
void advanceShellJobs();
int runningShellJobs();

// Everything the box shell logged in this run: each command line as
// "$ <line>", the output that was not redirected, and "[status N]" after a
// command line that failed.
std::string shellLog();

// System V shared memory of this run.
std::size_t shmSegmentCount();      // segments that shmget can still find by key
std::size_t shmLiveSegmentCount();  // also removed ones that are still attached
bool shmKeyExists(int key);
// While set, shmat fails as a box short of address space makes it fail
// (ENOMEM); off again at the start of every run.
void setShmatFails(bool fails);

// dlsym() as TAPs see it: hidden names are reported missing, and every
// look-up is counted per name.
void hideSymbol(const std::string &name);
void unhideAll();
int lookupCount(const std::string &name);
void resetLookupCounts();

}  // namespace pvrsim::box
