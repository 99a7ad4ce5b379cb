// StubbornManager.cpp - StubbornManager: a TAP with the update manager's ID that ignores the stop
// event, so that stopping it takes the installer the full wait and the kill
// bit.  Keys go back to the firmware.
#include "tap.h"

TAP_HEADER();
TAP_ID(0x5C3E1A20);
TAP_PROGRAM_NAME("StubbornManager");
TAP_PROGRAM_VERSION("V1.0");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("test TAP");
TAP_ETCINFO("Dec 31 2015");

extern "C" {
int TAP_Main(void);
dword TAP_EventHandler(word event, dword param1, dword param2);
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)

int TAP_Main(void) { return 1; }

dword TAP_EventHandler(word event, dword param1, dword param2) {
  (void)param2;
  return event == EVT_KEY ? param1 : 0;
}
