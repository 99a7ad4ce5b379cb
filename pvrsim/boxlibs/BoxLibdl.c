// BoxLibdl.c - libdl.so.0 for box TAPs under pvrsim: dlsym goes to pvrsim's
// handler (counted look-ups, names a test hides, the firmware's names found
// in pvrsim first); dlopen, dlerror and dlclose are the host's.
void *__wrap_dlsym(void *handle, const char *name);

void *dlsym(void *handle, const char *name) { return __wrap_dlsym(handle, name); }
