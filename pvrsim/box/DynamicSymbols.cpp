// DynamicSymbols.cpp - dlsym() as TAPs see it.  The library finds the firmware's internal names
// through the dynamic loader; here those look-ups are counted, can be made to
// fail (a firmware without that symbol), and resolve pvrsim's own names in
// pvrsim first, so that a program with its own copy of the library (which
// defines PvrTimeToLinux too, for example) never shadows the firmware.
#include "Box.h"
#include "BoxInternal.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <set>

namespace pvrsim::box {

namespace {
struct SymbolState {
  std::mutex mutex;
  std::set<std::string> hidden;
  std::map<std::string, int> counts;
};

SymbolState &symbolState() {
  static SymbolState *state = new SymbolState;  // never destroyed: look-ups may come during exit
  return *state;
}

// libpvrsim as a loader handle, and where it lies in memory.
struct OwnLibrary {
  void *handle = nullptr;
  void *base = nullptr;
};

const OwnLibrary &ownLibrary() {
  static const OwnLibrary library = [] {
    OwnLibrary own;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&symbolState), &info) != 0 && info.dli_fname != nullptr) {
      own.handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
      own.base = info.dli_fbase;
    }
    return own;
  }();
  return library;
}

// Counts the look-up; true when the name is hidden.
bool countAndCheckHidden(const char *name) {
  SymbolState &state = symbolState();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.counts[name]++;
  return state.hidden.count(name) != 0;
}

// Leaves dlerror() reporting a missing symbol, as for a firmware that does
// not export the name.
void *reportMissing(void *handle, const char *name) {
  std::string impossible = std::string(name) + " (hidden by pvrsim)";
  return ::dlsym(handle, impossible.c_str());
}

// The address of a name that libpvrsim itself defines, or null (with the
// loader's error state cleared).
void *resolveInPvrsim(const char *name) {
  const OwnLibrary &own = ownLibrary();
  if (own.handle == nullptr) return nullptr;
  void *address = ::dlsym(own.handle, name);
  if (address != nullptr) {
    Dl_info info{};
    // A handle look-up also searches pvrsim's dependencies (libc ...); those
    // names are not the firmware's and go the ordinary way.
    if (dladdr(address, &info) != 0 && info.dli_fbase == own.base) return address;
  }
  dlerror();
  return nullptr;
}
}  // namespace

void hideSymbol(const std::string &name) {
  SymbolState &state = symbolState();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.hidden.insert(name);
}

void unhideAll() {
  SymbolState &state = symbolState();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.hidden.clear();
}

int lookupCount(const std::string &name) {
  SymbolState &state = symbolState();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto it = state.counts.find(name);
  return it == state.counts.end() ? 0 : it->second;
}

void resetLookupCounts() {
  SymbolState &state = symbolState();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.counts.clear();
}

namespace detail {
void resetSymbols() {
  unhideAll();
  resetLookupCounts();
}
}  // namespace detail

}  // namespace pvrsim::box

extern "C" void *__wrap_dlsym(void *handle, const char *name) {
  if (name == nullptr) return ::dlsym(handle, "");  // reports a missing symbol
  if (pvrsim::box::countAndCheckHidden(name)) return pvrsim::box::reportMissing(handle, name);
  void *own = pvrsim::box::resolveInPvrsim(name);
  if (own != nullptr) return own;
  return ::dlsym(handle, name);
}
