// StopSender.cpp - StopSender: a TAP that sends the stop event to the update manager from its
// TAP_Main, as the installer does, and ends.
#include "Kalib.h"

TAP_HEADER();
TAP_ID(0x7E570004);
TAP_PROGRAM_NAME("StopSender");
TAP_PROGRAM_VERSION("1");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("Sends the stop event to the update manager");
TAP_ETCINFO("Dec 31 2015");

extern "C" {
int TAP_Main(void);
dword TAP_EventHandler(word event, dword param1, dword param2);
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)

int TAP_Main(void) {
  HDD_TAP_SendEvent(0x5C3E1A20, FALSE, EVT_STOP, 0, 0);
  return 0;
}

dword TAP_EventHandler(word event, dword param1, dword param2) {
  (void)event;
  (void)param2;
  return param1;
}
