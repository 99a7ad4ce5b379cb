// HDD_TAP_GetStartParameter.cpp - reads the parameter block that the starting TAP handed over through the
// shared-memory segment; the starter creates and removes the segment.
#include <sys/shm.h>

#include "Kalib.h"

void *kal_parametered_tap = nullptr;

void *HDD_TAP_GetStartParameter(void) {
  int segment = shmget(TAP_START_PARAM_KEY, sizeof(TYPE_TapStartParameter), 0);
  if (segment == -1) return nullptr;
  kal_parametered_tap = shmat(segment, nullptr, 0);
  if (kal_parametered_tap == (void *)-1) return nullptr;
  return ((TYPE_TapStartParameter *)kal_parametered_tap)->param;
}
