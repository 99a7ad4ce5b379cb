// HDD_TAP_GetIndexByID.cpp - the task slot of the TAP with a given ID.
#include "Kalib.h"

int HDD_TAP_GetIndexByID(dword tapId) {
  /* Empty slots report ID 0, so asking for 0 finds the first slot without a
   * readable TAP. */
  for (dword i = 0; i < TAP_MAX_TASKS; i++)
    if (HDD_TAP_GetIDByIndex(i) == tapId) return (int)i;
  return -1;
}
