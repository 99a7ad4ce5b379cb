// TAPCacheFree.cpp - the TAP cache's storage: the table, its size, the
// newest time stamp of the TAP being built, and releasing the table.
#include "ToolsInternal.h"

tTAPCache *TAPCache = nullptr;
int TAPCacheSize = 0;
dword NewestTAP = 0;

void TAPCacheFree(void) {
  CallTraceEnter("TAPCacheFree");
  if (TAPCache != nullptr) {
    for (int i = 0; i < TAPCacheSize; i++) StringClear(&TAPCache[i].Version);
    TAP_MemFree(TAPCache);
  }
  TAPCache = nullptr;
  TAPCacheSize = 0;
  CallTraceExit(nullptr);
}
