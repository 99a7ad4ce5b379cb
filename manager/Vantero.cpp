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
int __TAP_Init_(TYPE_TapEntryPoints *entryPoints);
}

int __TAP_Init_(TYPE_TapEntryPoints *entryPoints) {
  if (entryPoints != NULL) {
    entryPoints->Main = TAP_Main;
    entryPoints->EventHandler = TAP_EventHandler;
  }
  return 0;
}

int TAP_Main(void) {
  CallTraceInit();
  CallTraceEnable(FALSE);
  CallTraceEnter("TAP_Main");
  WriteLog(VANTERO_PROGRAM_NAME, "Launching Vantero V2.1");
  CallTraceExit(NULL);
  return 1;
}

// The stop event ends the manager; keys go back to the firmware.
dword TAP_EventHandler(word event, dword param1, dword param2) {
  (void)param2;
  CallTraceEnter("TAP_EventHandler");
  dword result = 0;
  if (event == EVT_STOP) {
    TAP_Exit();
  } else if (event == EVT_KEY) {
    result = param1;
  }
  CallTraceExit(NULL);
  return result;
}
