// FMUC_FindNextUTF8.cpp - first byte of the UTF-8 character after the one at p.
#include "Kalib.h"

char *FMUC_FindNextUTF8(const char *p) {
  if (p == nullptr) return nullptr;
  p++;
  while (((byte)*p & 0xC0) == 0x80) p++;
  return (char *)p;
}
