// TAP_TableIndex.cpp - this TAP's slot in the firmware's task table.
#include "TaskTable.h"

int TAP_TableIndex = -1;

bool KalibResolveTableIndex(void) {
  if (TAP_TableIndex != -1) return true;
  dword *curTapTask = (dword *)FIS_vCurTapTask();
  if (curTapTask == nullptr) return false;
  TAP_TableIndex = (int)*curTapTask;
  return true;
}
