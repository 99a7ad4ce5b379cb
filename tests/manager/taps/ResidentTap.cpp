// ResidentTap.cpp - a TAP that stays in memory until the stop event ends it, for the install tests:
// the manager must stop it before its file is replaced and start it again afterwards.  The tests
// make versions of it by appending bytes to the file (the header stays).
#include "Kalib.h"

TAP_HEADER();
TAP_ID(0x7E570001);
TAP_PROGRAM_NAME("Runner");
TAP_PROGRAM_VERSION("R1");
TAP_AUTHOR_NAME("Vantero Tests");
TAP_DESCRIPTION("Install test TAP");
TAP_ETCINFO("Dec  1 2015");

extern "C" {
int TAP_Main(void);
dword TAP_EventHandler(word event, dword param1, dword param2);
}

int TAP_Main(void) { return 1; }

dword TAP_EventHandler(word event, dword param1, dword) {
  if (event == EVT_STOP) TAP_Exit();
  return param1;
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)
