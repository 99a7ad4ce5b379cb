// HDD_TAP_Terminate.cpp - asks a TAP to stop and marks its slot for the
// firmware to end it (state 2, the kill bit).
#include "Kalib.h"

static const dword TASK_STATE_TERMINATE = 2;

void HDD_TAP_Terminate(dword tapId) {
  /* ID 0 names no TAP; sending to it would be a broadcast of the stop event
   * to every TAP. */
  if (tapId == 0) return;
  int index = HDD_TAP_GetIndexByID(tapId);
  if (index < 0) return;
  TYPE_TapTask *table = (TYPE_TapTask *)FIS_vTAPTable();
  if (table == nullptr) return;

  HDD_TAP_SendEvent(tapId, false, EVT_STOP, 1, 0);

  /* The kill bit is set whatever the handler answered.  The slot is checked
   * again first: a TAP that ended inside its handler may have left the slot
   * to another TAP, which must not be killed in its place. */
  if (HDD_TAP_GetIDByIndex((dword)index) == tapId) table[index].state = TASK_STATE_TERMINATE;
}
