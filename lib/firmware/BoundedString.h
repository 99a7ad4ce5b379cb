// BoundedString.h - copying and appending into fixed-size text buffers.
//
// Internal to Kalib.  Every function writes at most `size` bytes including
// the terminator and reports whether the whole text fitted; on failure the
// buffer holds a terminated prefix.  The path code treats a text that does
// not fit as "not possible" rather than working on a cut path.
#ifndef KALIB_BOUNDED_STRING_H
#define KALIB_BOUNDED_STRING_H

#include <string.h>

#include "tap.h"

/* Copies src into dest (size bytes). */
static inline bool StrCopyBounded(char *dest, size_t size, const char *src) {
  if (size == 0) return false;
  size_t len = strlen(src);
  bool fits = len < size;
  if (!fits) len = size - 1;
  memcpy(dest, src, len);
  dest[len] = '\0';
  return fits;
}

/* Appends src to the text in dest (size bytes). */
static inline bool StrAppendBounded(char *dest, size_t size, const char *src) {
  size_t used = strnlen(dest, size);
  if (used >= size) return false;
  return StrCopyBounded(dest + used, size - used, src);
}

/* Appends "/" unless the text already ends with one; "" becomes "/". */
static inline bool EnsureSlash(char *dest, size_t size) {
  size_t len = strnlen(dest, size);
  if (len > 0 && dest[len - 1] == '/') return true;
  return StrAppendBounded(dest, size, "/");
}

#endif /* KALIB_BOUNDED_STRING_H */
