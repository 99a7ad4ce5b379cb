// Box.h - the box's view of its own system, as pvrsim provides it to TAPs:
// the disk folder seen as /mnt/hd, the console on /dev/pts/N, System V
// shared memory kept per run inside pvrsim, and the box shell behind
// system().  The library calls open(), fopen(), system(), shmget() ... as on
// the box; on the host those calls are wrapped at link time (--wrap) and
// arrive here as __wrap_open() and so on.
#pragma once

#include <string>

namespace pvrsim::box {

struct Config {
  std::string diskRoot;       // host folder that stands for /mnt/hd
  std::string runDir;         // host folder for the console capture and other run files
  bool consoleEcho = false;   // also copy console output to the terminal (stdout)
  bool consoleAvailable = true;  // false: no /dev/pts/N can be opened
};

// Sets the folders; called by the simulator when a run starts.  Clears the
// shared-memory segments of an earlier run.
void configure(const Config &config);
const Config &config();

// Maps a box path below "/mnt/hd" ("/mnt/hd", "/mnt/hd/", "/mnt/hd/a/b") to
// the host path inside the disk folder.  "." and ".." are resolved lexically;
// a path that would leave the disk folder, or that is not below /mnt/hd,
// gives false.
bool mapDiskPath(const std::string &boxPath, std::string &hostPath);

// True while the simulator runs code of a TAP (set by the core around every
// call into a TAP).  Paths that are neither below /mnt/hd nor a console are
// refused inside TAP code and passed to the host only outside it (test code).
bool insideTapCall();
void setInsideTapCall(bool inside);

// Console: everything written to /dev/pts/N, as raw bytes (the library sends
// the terminating NUL of every piece) and as text without NUL bytes.
std::string consoleRaw();
std::string consoleText();

// Runs one command line with the box shell; returns the status as system()
// does (exit code << 8).
int runShell(const std::string &commandLine);

}  // namespace pvrsim::box
