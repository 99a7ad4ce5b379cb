// BoxInternal.h - internal interfaces between the parts of the box layer.  Nothing here is
// meant for the core or for tests; they use Box.h.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "Box.h"

namespace pvrsim::box::detail {

// Where a path given to one of the wrapped libc calls leads.
enum class Route {
  Disk,     // below /mnt/hd: hostPath is inside the disk folder
  Console,  // /dev/pts/N while a console is available
  Canned,   // a read-only file of the box's own system (/etc/resolv.conf)
  Host,     // passed to the host unchanged (test code only, or /dev/null)
  Refused,  // outside what the box may touch: ENOENT
};

struct RoutedPath {
  Route route = Route::Refused;
  std::string hostPath;  // Disk and Host
  std::string boxPath;   // the path with "." and ".." resolved (Canned)
  int error = ENOENT;    // Refused: what the box reports (a link out of the disk: ENOENT)
};

// Classifies a path the way the wrapped libc calls see it; `last` says how a
// link in the last name of a disk path is taken.
RoutedPath routePath(const char *path, LastLink last = LastLink::Follow);

// True for the disk folder itself, however the path reached it: it stands
// for a mount point that cannot be removed or renamed.
bool isDiskRoot(const RoutedPath &routed);

// Resolves "." and ".." and doubled slashes of an absolute path; ".." at the
// root stays at the root.  A trailing '/' is kept.  False for relative paths.
bool normaliseBoxPath(const std::string &path, std::string &normal);

// Host path of a file in the run folder; empty when no run folder is set.
std::string runFile(const char *name);

// Console capture (Console.cpp).
int openConsole();
bool isConsoleFd(int fd);
void forgetConsoleFd(int fd);
void resetConsole();

// Canned files of the box's system (CannedFiles.cpp).
bool cannedFileContent(const std::string &boxPath, std::string &content);
int openCannedFile(const std::string &boxPath);  // read-only fd, or -1
void statCannedFile(const std::string &content, struct stat64 &st);
// What "ifconfig" prints for one interface; false for an unknown one.
bool ifconfigText(const std::string &interface, std::string &text);

// Resets of the other parts, called by configure().
void resetSharedMemory();
void resetSymbols();
void resetShellLog();
void resetShellJobs();
void resetTapCallDepth();

}  // namespace pvrsim::box::detail
