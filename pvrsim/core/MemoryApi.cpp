// MemoryApi.cpp - memory and formatting services of the TAP API, as the box's libc gives them.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unordered_map>

#include "Runtime.h"

namespace pvrsim::core {

namespace {
// Block -> dlopen handle of the TAP that allocated it.  Blocks allocated by
// the test program (an adopted caller) or outside any TAP are not tracked.
std::unordered_map<const void *, void *> &owners() {
  static std::unordered_map<const void *, void *> map;
  return map;
}

void *currentLibrary() {
  if (!rt().active) return nullptr;
  Slot *slot = currentSlot();
  return slot ? slot->code.library : nullptr;
}
}  // namespace

void freeMemoryOf(void *library) {
  auto &map = owners();
  for (auto it = map.begin(); it != map.end();) {
    if (it->second == library) {
      std::free(const_cast<void *>(it->first));
      ++rt().blocksTakenBack;
      it = map.erase(it);
    } else {
      ++it;
    }
  }
}

bool allocationAllowed() {
  Runtime &r = rt();
  if (!r.active) return true;
  const uint64_t number = ++r.allocations;
  const std::optional<uint64_t> &failing = r.options.failAllocation;
  if (!failing || number < *failing || (r.options.failAllocationOnce && number != *failing)) return true;
  ++r.failedAllocations;
  return false;
}

size_t ownedBlockCount(void *library) {
  size_t n = 0;
  for (const auto &entry : owners()) n += entry.second == library;
  return n;
}

}  // namespace pvrsim::core

using pvrsim::core::owners;
using pvrsim::core::rt;

extern "C" void *TAP_MemAlloc(dword size) {
  if (!pvrsim::core::allocationAllowed()) return nullptr;
  void *block = std::malloc(size);
  void *library = pvrsim::core::currentLibrary();
  if (block && library) owners()[block] = library;
  return block;
}

// Freeing null does nothing; the result tells whether a block was freed.
extern "C" int TAP_MemFree(const void *addr) {
  if (!addr) return 0;
  owners().erase(addr);
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
