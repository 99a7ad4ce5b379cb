// BoxLibraries.cpp - how TAP files are opened with the dynamic loader.
//
// Every start gets its own instance of a TAP's code (RTLD_LOCAL).  A host
// TAP reaches pvrsim's box view through link-time wrapping.  A TAP built for
// the box (the MIPS build) needs the box's libc.so.0, libdl.so.0 and
// libpthread.so.0 and calls plain open(), dlsym() ...: pvrsim loads its own
// libraries of those names (pvrsim/boxlibs) once, so that the loader hands
// them to every TAP that needs them, and starts TAPs with RTLD_DEEPBIND so
// that a TAP's names are looked up in its own libraries before the program's
// C library.
#include "BoxLibraries.h"

#include <dlfcn.h>

namespace pvrsim::core {

#ifdef PVRSIM_BOX_LIBRARY_DIR
namespace {
// Loads the box's libraries; an empty text on success, else the failure.
std::string loadBoxLibraries() {
  for (const char *soname : {"libc.so.0", "libdl.so.0", "libpthread.so.0"}) {
    std::string path = std::string(PVRSIM_BOX_LIBRARY_DIR) + "/" + soname;
    if (dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) == nullptr) {  // kept for the whole run
      const char *error = dlerror();
      return "the box library " + path + " cannot be loaded: " + (error ? error : "unknown error");
    }
  }
  return "";
}
}  // namespace

bool prepareTapLoading(int &flags, std::string &reason) {
  static const std::string failure = loadBoxLibraries();
  flags = RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND;
  reason = failure;
  return failure.empty();
}
#else
bool prepareTapLoading(int &flags, std::string &) {
  flags = RTLD_NOW | RTLD_LOCAL;
  return true;
}
#endif

}  // namespace pvrsim::core
