// ChangeDirRecorder.cpp - stands in front of pvrsim's TAP_Hdd_ChangeDir for the library code linked
// into the test program.
#include "ChangeDirRecorder.h"

#include <dlfcn.h>

#include "tap.h"

// The real dlsym: the test program's dlsym calls are wrapped like a TAP's.
extern "C" void *__real_dlsym(void *handle, const char *name);

namespace foundation {
std::vector<std::string> &ChangeDirCalls() {
  static std::vector<std::string> calls;
  return calls;
}
}  // namespace foundation

extern "C" dword TAP_Hdd_ChangeDir(const char *dir) {
  using Fn = dword (*)(const char *);
  static Fn firmware = (Fn)__real_dlsym(RTLD_NEXT, "TAP_Hdd_ChangeDir");
  foundation::ChangeDirCalls().push_back(dir ? dir : "(null)");
  return firmware(dir);
}
