// ApplHdd.cpp - wrappers of the firmware's work-folder functions: forward when the firmware
// offers the function, otherwise do nothing and return 0.
#include "Kalib.h"

dword ApplHdd_SaveWorkFolder(void) {
  typedef dword (*Fn)(void);
  Fn fn = (Fn)FIS_fwApplHdd_SaveWorkFolder();
  return fn ? fn() : 0;
}

dword ApplHdd_RestoreWorkFolder(void) {
  typedef dword (*Fn)(void);
  Fn fn = (Fn)FIS_fwApplHdd_RestoreWorkFolder();
  return fn ? fn() : 0;
}

int ApplHdd_SelectFolder(void *folderRecord, const char *folder) {
  typedef int (*Fn)(void *, const char *);
  Fn fn = (Fn)FIS_fwApplHdd_SelectFolder();
  return fn ? fn(folderRecord, folder) : 0;
}

dword ApplHdd_SetWorkFolder(void *folderRecord) {
  typedef dword (*Fn)(void *);
  Fn fn = (Fn)FIS_fwApplHdd_SetWorkFolder();
  return fn ? fn(folderRecord) : 0;
}
