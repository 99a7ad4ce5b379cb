// StopTAP.cpp - makes sure that a TAP no longer runs: first it is sent the
// stop event, and when it has not ended after 300 ticks its slot gets the
// kill bit, with another 300 ticks to go.
#include "Tools.h"

static const char *const LogProgramName = "Vantero";
static const dword StopWaitTicks = 300;

/* Lets the firmware (and the TAP being stopped) run for up to
 * StopWaitTicks; true as soon as the TAP no longer runs.  Counting elapsed
 * ticks keeps the wait right when the tick counter wraps. */
static bool WaitUntilStopped(dword tapId) {
  dword start = TAP_GetTick();
  do {
    TAP_SystemProc();
    if (!HDD_TAP_isRunning(tapId)) return true;
  } while (TAP_GetTick() - start < StopWaitTicks);
  return false;
}

static bool StopRunningTAP(dword tapId) {
  if (!HDD_TAP_isRunning(tapId)) {
    TAP_SPrint(Debug, "TAP 0x%8.8x is not running", tapId);
    WriteLog(LogProgramName, Debug);
    return true;
  }

  TAP_SPrint(Debug, "Trying to stop 0x%8.8x", tapId);
  WriteLog(LogProgramName, Debug);
  HDD_TAP_SendEvent(tapId, false, EVT_STOP, 1, 0);
  if (WaitUntilStopped(tapId)) {
    WriteLog(LogProgramName, "Successful via EVT_STOP");
    return true;
  }

  WriteLog(LogProgramName, "TAP is still running, trying to set kill bit");
  HDD_TAP_Terminate(tapId);
  if (WaitUntilStopped(tapId)) {
    WriteLog(LogProgramName, "Successful via kill bit");
    return true;
  }

  WriteLog(LogProgramName, "TAP is still running :-(");
  return false;
}

bool StopTAP(dword tapId) {
  CallTraceEnter("StopTAP");
  bool stopped = StopRunningTAP(tapId);
  CallTraceExit(nullptr);
  return stopped;
}
