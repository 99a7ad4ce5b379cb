// DiskStandIn.h - what the data-file fuzz targets link instead of pvrsim and
// the rest of the library: the manager's settings folder as an in-memory
// disk (files by name, opened through the TAP API, renamed through the
// wrapped rename), counted memory blocks (FuzzMemory.h) and open files, and a log that
// only remembers its lines.  The loaders and writers themselves are the
// real ones.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Tools.h"

namespace standin {

extern std::map<std::string, std::string> Files;  // name -> content
extern std::vector<std::string> Log;
extern int OpenFiles;
// TAP_MemAlloc blocks not yet freed (FuzzMemory.h).
int MemoryBlocksInUse();

// Empties the disk and the log; the one file holds the fuzzer's input.
void Reset(const char *name, const unsigned char *data, size_t size);
[[noreturn]] void Fail(const char *target, const char *what);
// Every text of the record's strings is terminated (a sanitizer sees a read
// past the end).
void Touch(const char *text);
// Reads every byte of an array (a sanitizer sees one that is too short).
void TouchBytes(const void *data, size_t size);

}  // namespace standin
