// HDD_TAP_GetStartParameter.cpp - reads the parameter block that the starting TAP handed over through the
// shared-memory segment; the starter creates and removes the segment.
#include <sys/shm.h>

#include "Kalib.h"

void *kal_parametered_tap = nullptr;

void *HDD_TAP_GetStartParameter(void) {
  int segment = shmget(TAP_START_PARAM_KEY, sizeof(TYPE_TapStartParameter), 0);
  if (segment == -1) return nullptr;
  // A failed attach leaves no segment: the pointer says so with null, never
  // with the (void *)-1 that shmat reports, which a reader would follow.
  void *attached = shmat(segment, nullptr, 0);
  if (attached == (void *)-1) {
    kal_parametered_tap = nullptr;
    return nullptr;
  }
  kal_parametered_tap = attached;
  return ((TYPE_TapStartParameter *)kal_parametered_tap)->param;
}
