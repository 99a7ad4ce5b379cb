// Vantero: the update manager TAP.  For now it announces its start in the
// log that it shares with the installer, stays resident and ends itself when
// it is asked to stop.
#include "Tools.h"

#define VANTERO_PROGRAM_NAME "Vantero" /* writer name of the manager's log lines */

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

int TAP_Main(void) {
  CallTraceInit();
  CallTraceEnable(FALSE);
  CallTraceEnter("TAP_Main");
  WriteLog(VANTERO_PROGRAM_NAME, "Launching Vantero V2.1");
  CallTraceExit(NULL);
  return 1;
}

// Ends the manager.  The call tracer's statistics table is the only memory
// the manager holds; it goes back before the TAP is unloaded.
static void EndManager(void) {
  TAP_MemFree(CallTraceStats);
  CallTraceStats = NULL;
  TAP_Exit();
}

// The stop event ends the manager; keys go back to the firmware.
dword TAP_EventHandler(word event, dword param1, dword param2) {
  (void)param2;
  CallTraceEnter("TAP_EventHandler");
  bool stop = event == EVT_STOP;
  dword result = event == EVT_KEY ? param1 : 0;
  CallTraceExit(NULL);
  if (stop) EndManager();
  return result;
}
