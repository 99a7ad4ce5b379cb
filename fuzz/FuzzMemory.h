// FuzzMemory.h - the fuzz targets' stand-in for the firmware's memory calls:
// the C library's malloc and free, counting the blocks in use, so that a run
// can check that the code under test gave back everything it took.  Included
// by exactly one source file of each target.
#ifndef FUZZ_MEMORY_H
#define FUZZ_MEMORY_H

#include <stdlib.h>

#include "Kalib.h"

static int BlocksInUse = 0;  // TAP_MemAlloc blocks not yet freed

extern "C" void *TAP_MemAlloc(dword size) {
  void *p = malloc(size == 0 ? 1 : size);
  if (p != nullptr) BlocksInUse++;
  return p;
}

extern "C" int TAP_MemFree(const void *addr) {
  if (addr != nullptr) BlocksInUse--;
  free(const_cast<void *>(addr));
  return 0;
}

#endif
