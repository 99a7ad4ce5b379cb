// Name-to-address lookup of firmware symbols through the dynamic loader.
#include <dlfcn.h>

#include "Kalib.h"

void *TryResolve(const char *name) {
  if (name == NULL) return NULL;
  void *global = dlopen(NULL, RTLD_LAZY | RTLD_GLOBAL);
  if (global == NULL) return NULL;
  dlerror();  // forget an error left over from an earlier call
  void *address = dlsym(global, name);
  bool failed = dlerror() != NULL;
  dlclose(global);
  return failed ? NULL : address;
}
