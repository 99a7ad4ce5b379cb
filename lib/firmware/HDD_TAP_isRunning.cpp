// HDD_TAP_isRunning.cpp - whether a TAP with a given ID occupies a task slot.
#include "Kalib.h"

bool HDD_TAP_isRunning(dword tapId) {
  /* ID 0 names no TAP; the slot look-up would find an empty slot for it. */
  if (tapId == 0) return false;
  return HDD_TAP_GetIndexByID(tapId) >= 0;
}
