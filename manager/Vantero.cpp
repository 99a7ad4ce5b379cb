// Vantero.cpp - the update manager TAP "Vantero.tap": a thin shell around
// the manager's logic (Manager.h).  It starts in the background; the menu
// key, or starting the TAP once more, opens its menu.  The stop event, or
// the end chosen in its tasks menu, ends it with its settings saved.
#include "Manager.h"

TAP_HEADER();
TAP_ID(VANTERO_TAPID);
TAP_PROGRAM_NAME("Vantero V2.1");
TAP_PROGRAM_VERSION("V2.1");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("Vantero update manager");
TAP_ETCINFO(__DATE__);

extern "C" {
int TAP_Main(void);
dword TAP_EventHandler(word event, dword param1, dword param2);
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)

// Whether another copy of the manager runs already (the firmware lists this
// one too while TAP_Main runs).
static bool AnotherCopyRuns(void) {
  dword *current = (dword *)FIS_vCurTapTask();
  int first = HDD_TAP_GetIndexByID(VANTERO_TAPID);
  return current != nullptr && first >= 0 && (dword)first != *current;
}

int TAP_Main(void) {
  CallTraceInit();
  CallTraceEnable(FALSE);
  CallTraceEnter("TAP_Main");
  int stay = 1;
  if (AnotherCopyRuns()) {
    // Started again: the running manager shows its menu, this copy ends.
    HDD_TAP_SendEvent(VANTERO_TAPID, FALSE, EVT_KEY, MANAGER_MENU_KEY, 0);
    stay = 0;
  } else {
    WriteLog(MANAGER_PROGRAM_NAME, "Launching Vantero V2.1");
    ManagerStart();
  }
  CallTraceExit(nullptr);
  if (stay == 0) {
    TAP_MemFree(CallTraceStats);
    CallTraceStats = nullptr;
  }
  return stay;
}

dword TAP_EventHandler(word event, dword param1, dword param2) {
  CallTraceEnter("TAP_EventHandler");
  dword result = ManagerEvent(event, param1, param2);
  CallTraceExit(nullptr);
  if (event == EVT_STOP || ManagerEnded()) {
    // The call tracer's table goes back before the TAP is unloaded.
    TAP_MemFree(CallTraceStats);
    CallTraceStats = nullptr;
    TAP_Exit();
  }
  return result;
}
