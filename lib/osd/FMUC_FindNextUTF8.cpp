// FMUC_FindNextUTF8.cpp - first byte of the UTF-8 character after the one at p.
// The terminator has no character after it: pointed at it, the walk stays
// there instead of reading past the text.
#include "Kalib.h"

char *FMUC_FindNextUTF8(const char *p) {
  if (p == nullptr) return nullptr;
  if (*p == '\0') return (char *)p;
  p++;
  while (((byte)*p & 0xC0) == 0x80) p++;
  return (char *)p;
}
