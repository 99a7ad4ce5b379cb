// InitTAPex.cpp - one-time library set-up: firmware version and this TAP's task slot.
#include "TaskTable.h"

static bool LibInitialized = false;
static word ApplID;

bool InitTAPex(void) {
  if (LibInitialized) return true;
  ApplID = (word)TAP_GetVersion();
  dword *curTapTask = (dword *)FIS_vCurTapTask();
  if (curTapTask != nullptr) TAP_TableIndex = (int)*curTapTask;
  LibInitialized = true;
  return true;
}
