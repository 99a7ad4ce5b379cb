// Memory and formatting services of the TAP API, as the box's libc gives them.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tap.h"

extern "C" void *TAP_MemAlloc(dword size) { return std::malloc(size); }

// Freeing null does nothing; the result tells whether a block was freed.
extern "C" int TAP_MemFree(const void *addr) {
  if (!addr) return 0;
  std::free(const_cast<void *>(addr));
  return 1;
}

extern "C" void TAP_MemSet(void *p, byte value, dword count) {
  if (p) std::memset(p, value, count);
}

extern "C" void TAP_MemCpy(void *dst, const void *src, dword count) {
  if (dst && src) std::memmove(dst, src, count);
}

extern "C" int TAP_MemCmp(const void *a, const void *b, dword count) {
  if (count == 0) return 0;
  return std::memcmp(a, b, count);
}

// Unbounded, as on the box: the caller's buffer must be large enough.
extern "C" int TAP_SPrint(char *s, const char *fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = std::vsprintf(s, fmt, args);
  va_end(args);
  return n;
}
