// StopperTap.cpp - a test TAP that stops another TAP with StopTAP from its
// TAP_Main, as the installer stops the update manager, and ends.  The ID to
// stop is its start parameter (the manager's ID without one).  Records
// "Stopper stopped=<0|1> ticks=<ticks StopTAP took>" in "/TaskTap.log".
#include "TapLog.h"
#include "Tools.h"

TAP_HEADER();
TAP_ID(0x7E570B01);
TAP_PROGRAM_NAME("Stopper");
TAP_PROGRAM_VERSION("T1");
TAP_AUTHOR_NAME("Vantero Tests");
TAP_DESCRIPTION("Stops a TAP with StopTAP");
TAP_ETCINFO("Mar  7 2016");

static int TAP_Main(void) {
  dword *param = (dword *)HDD_TAP_GetStartParameter();
  dword tapId = param != nullptr ? *param : VANTERO_TAPID;
  dword start = TAP_GetTick();
  bool stopped = StopTAP(tapId);
  char text[64];
  TAP_SPrint(text, "stopped=%d ticks=%u", stopped ? 1 : 0, TAP_GetTick() - start);
  RecordLine("Stopper", text);

  // The tool module's call tracer set up its statistics table on first use;
  // a TAP that ends gives back what it allocated.
  if (CallTraceStats != nullptr) TAP_MemFree(CallTraceStats);
  CallTraceStats = nullptr;
  return 0;
}

static dword TAP_EventHandler(word event, dword param1, dword) { return event == EVT_IDLE ? 0 : param1; }

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)
