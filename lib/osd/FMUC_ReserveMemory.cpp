// FMUC_ReserveMemory.cpp - memory of the Unicode font manager: the glyph directory, the cache table
// and the glyph bitmaps.  The requester names the use, for debugging.
#include "Kalib.h"

void *FMUC_ReserveMemory(const char *Requester, dword size) {
  (void)Requester;
  return TAP_MemAlloc(size);
}
