// TryResolve.cpp - name-to-address lookup of firmware symbols through the dynamic loader.
#include <dlfcn.h>

#include "Kalib.h"

void *TryResolve(const char *name) {
  if (name == nullptr) return nullptr;
  void *global = dlopen(nullptr, RTLD_LAZY | RTLD_GLOBAL);
  if (global == nullptr) return nullptr;
  dlerror();  // forget an error left over from an earlier call
  void *address = dlsym(global, name);
  bool failed = dlerror() != nullptr;
  dlclose(global);
  return failed ? nullptr : address;
}
