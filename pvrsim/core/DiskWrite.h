// DiskWrite.h - the one place where TAP code writes bytes to the simulated disk.
//
// Every write goes through writeToDisk, which counts the bytes and carries
// out a scheduled power cut (Options::powerCutAfterBytes): the write that
// crosses the limit is cut short and the run ends at once, leaving the files
// as they are at that moment.  The disk faults of Options (a full disk, a
// disk that loses what it is given) act here too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace pvrsim {

// Writes size bytes to the host file descriptor fd (a file inside the disk
// folder); returns what write() returns: the bytes written, or -1 with
// errno set when none were.  Does not return on a power cut.
ssize_t writeToDisk(int fd, const void *data, size_t size);

// Bytes written through writeToDisk since the Sim started.
uint64_t diskBytesWritten();

// Bytes the disk still takes before it is full (Options::diskFullAfterBytes),
// or UINT64_MAX when no such limit is set.
uint64_t diskRoomLeft();

}  // namespace pvrsim
