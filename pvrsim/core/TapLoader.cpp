// TapLoader.cpp - starting a TAP file from the disk: check it, load it, fill a task slot,
// call __TAP_Init_ and TAP_Main.
//
// Every start gets its own instance of the code (RTLD_LOCAL), so a TAP
// started twice, or two TAPs that link the same library, never share state.
// A file is loaded where it lies, and held as mapped (box::holdMappedFile) so
// that writes to it leave the running code alone.  Only when the dynamic
// loader already has a library of that name or that file loaded (it would
// hand back the loaded one) is a private copy in the run folder loaded.
#include <dlfcn.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "BoxLibraries.h"
#include "Runtime.h"
#include "TapFile.h"
#include "box/Box.h"

namespace pvrsim::core {

namespace {

using InitFn = int (*)(TYPE_TapEntryPoints *);

int fail(const std::string &tapName, const std::string &reason) {
  rt().lastError = tapName + ": " + reason;
  return -1;
}

std::string tapNotation(const std::string &boxPath) {
  std::string rest = boxPath.substr(sizeof kMount - 1);
  return rest.empty() ? "/" : rest;
}

// Copies the file to a new name in the run folder; empty on failure.
std::string makeLoadableCopy(const std::string &hostFile, std::string &reason) {
  namespace fs = std::filesystem;
  Runtime &r = rt();
  fs::path dir = fs::path(box::config().runDir) / "taps";
  std::error_code ec;
  fs::create_directories(dir, ec);
  fs::path copy = dir / (std::to_string(++r.loadCounter) + "-" + fs::path(hostFile).filename().string());
  if (!fs::copy_file(hostFile, copy, fs::copy_options::overwrite_existing, ec)) {
    reason = "cannot copy to " + copy.string() + ": " + ec.message();
    return "";
  }
  return copy.string();
}

// The firmware reads a started TAP into memory whole; the loaded segments
// are made present now in one go instead of page by page as the TAP first
// touches them (an installer writing its 20 MB of payloads would otherwise
// take a page fault per few pages).  Only a hint: failures are ignored.
void makeSegmentsPresent(void *handle) {
  struct link_map *map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) return;
  struct Target {
    const char *name;
    ElfW(Addr) base;
  } target{map->l_name, map->l_addr};
  dl_iterate_phdr(
      [](struct dl_phdr_info *info, size_t, void *data) -> int {
        const Target &wanted = *static_cast<Target *>(data);
        if (info->dlpi_addr != wanted.base || info->dlpi_name == nullptr ||
            std::strcmp(info->dlpi_name, wanted.name) != 0)
          return 0;
        const long page = sysconf(_SC_PAGESIZE);
        for (int i = 0; i < info->dlpi_phnum; i++) {
          const ElfW(Phdr) &segment = info->dlpi_phdr[i];
          if (segment.p_type != PT_LOAD || segment.p_filesz == 0) continue;
          uintptr_t start = info->dlpi_addr + segment.p_vaddr;
          uintptr_t first = start & ~uintptr_t(page - 1);
          ::madvise(reinterpret_cast<void *>(first), start + segment.p_filesz - first, MADV_POPULATE_READ);
        }
        return 1;
      },
      &target);
}

// True when dlopen would hand back an already loaded library for hostFile:
// one of the same name or of the same file.
bool loaderKnows(const std::string &hostFile) {
  void *known = dlopen(hostFile.c_str(), RTLD_LAZY | RTLD_LOCAL | RTLD_NOLOAD);
  if (known == nullptr) return false;
  dlclose(known);
  return true;
}

// Loads hostFile itself or, when the loader already knows it, a private
// copy; false with reason on failure.
bool loadLibrary(const std::string &hostFile, LoadedTap &loaded, std::string &reason) {
  int flags = 0;
  if (!prepareTapLoading(flags, reason)) return false;
  std::string file = hostFile;
  if (loaderKnows(hostFile)) {
    loaded.copy = makeLoadableCopy(hostFile, reason);
    if (loaded.copy.empty()) return false;
    file = loaded.copy;
  } else if (!box::mappedFileIdOf(hostFile, loaded.mappedFile)) {
    reason = "no such file on the disk";
    return false;
  }
  loaded.library = dlopen(file.c_str(), flags);
  if (loaded.library == nullptr) {
    const char *error = dlerror();
    reason = std::string("cannot be loaded: ") + (error ? error : "unknown error");
    if (!loaded.copy.empty()) ::unlink(loaded.copy.c_str());
    return false;
  }
  makeSegmentsPresent(loaded.library);
  if (loaded.copy.empty()) box::holdMappedFile(loaded.mappedFile);
  return true;
}

}  // namespace

void unloadTapCode(const LoadedTap &code) {
  dlclose(code.library);
  if (code.copy.empty())
    box::releaseMappedFile(code.mappedFile);
  else
    ::unlink(code.copy.c_str());
}

int startTapFile(const std::string &givenPath) {
  Runtime &r = rt();
  r.lastError.clear();
  std::string hostFile, normal;
  if (!box::mapDiskPath(givenPath, hostFile, box::LastLink::Follow, &normal)) {
    if (normal.empty()) return fail(givenPath, "not a path on the disk");
    const char *reason = errno == ELOOP ? "too many links on the way" : "no such file on the disk";
    return fail(tapNotation(normal), reason);
  }
  const std::string boxFile = kMount + hostFile.substr(box::config().diskRoot.size());
  const std::string name = tapNotation(boxFile);
  struct stat st;
  if (::stat(hostFile.c_str(), &st) != 0) return fail(name, "no such file on the disk");
  if (!S_ISREG(st.st_mode)) return fail(name, "not a file");

  dword tapId = 0;
  std::string reason;
  if (!inspectTapFile(hostFile, tapId, reason)) return fail(name, reason);
  int index = freeSlotIndex();
  if (index < 0) return fail(name, "task table full (16 TAPs running)");

  LoadedTap loaded;
  if (!loadLibrary(hostFile, loaded, reason)) return fail(name, reason);
  auto init = reinterpret_cast<InitFn>(dlsym(loaded.library, "__TAP_Init_"));
  if (!init) {
    unloadTapCode(loaded);
    return fail(name, "no __TAP_Init_ entry point");
  }

  fillSlot(index, boxFile, boxFile.substr(0, boxFile.rfind('/')));
  Slot &slot = r.slots[index];
  slot.code = loaded;
  slot.tapId = tapId;

  TYPE_TapEntryPoints entry{};
  {
    TapCall call(index);
    init(&entry);
  }
  TAP_MainFn main = entry.Main ? entry.Main : reinterpret_cast<TAP_MainFn>(dlsym(loaded.library, "TAP_Main"));
  if (!main) {
    removeSlot(index);
    return fail(name, "no TAP_Main entry point");
  }
  _tapTask[index].eventHandler = entry.EventHandler;
  int result;
  {
    TapCall call(index);
    result = main();
  }
  if (result == 0) slot.exitRequested = true;  // TAP_Main 0: the TAP does not stay resident
  finishCall(index);
  return isOccupied(index) && !slot.exitRequested ? index : -1;
}

}  // namespace pvrsim::core
