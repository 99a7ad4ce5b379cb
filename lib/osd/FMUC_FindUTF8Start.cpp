// FMUC_FindUTF8Start.cpp - first byte of the UTF-8 character that contains the given byte.  The
// caller must know that the text holds a lead byte before p.
#include "Kalib.h"

char *FMUC_FindUTF8Start(const char *p) {
  if (p == nullptr) return nullptr;
  while (((byte)*p & 0xC0) == 0x80) p--;
  return (char *)p;
}
