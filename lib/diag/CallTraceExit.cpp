// CallTraceExit.cpp - exit of a traced function: pop it, time it into the statistics, check the
// caller's magic word.
#include <stdio.h>

#include "CallTrace.h"

static const dword kMagic = 0x96D2E400;

// Statistics are kept per name pointer, not per text: each traced function
// passes its own constant.
static void AddStatistics(const tCallTraceStackEntry &call, dword tickNow) {
  if (CallTraceStats == nullptr || call.ProcName == nullptr) return;
  dword index = 0;
  while (index < CallTraceStatsEntries && CallTraceStats[index].ProcName != call.ProcName) index++;
  if (index >= CALLTRACE_STATS_ENTRIES) return;

  dword duration = tickNow - call.EntryTime;
  tCallTraceStats &stats = CallTraceStats[index];
  if (index == CallTraceStatsEntries) {
    stats.ProcName = call.ProcName;
    stats.MinTime = stats.MaxTime = stats.TotalTime = duration;
    stats.NrCalls = 1;
    CallTraceStatsEntries++;
    return;
  }
  if (duration < stats.MinTime) stats.MinTime = duration;
  if (duration > stats.MaxTime) stats.MaxTime = duration;
  stats.TotalTime += duration;
  if (stats.NrCalls != 0xFFFFFFFF) stats.NrCalls++;
}

static void CheckMagic(dword *magic) {
  if (magic == nullptr || *magic == kMagic) return;
  char indent[CALLTRACE_INDENT_SIZE];
  CallTraceIndent(indent);
  snprintf(puffer, sizeof puffer, "%sINVALID MAGIC!\n", indent);
  PrintNet(puffer);
  *magic = kMagic;
}

void CallTraceExit(dword *magic) {
  if (CallTraceDoNotReenter) return;
  CallTraceDoNotReenter = true;
  dword tickNow = TAP_GetTick();
  CallTraceInitIfNeeded();

  if (CallLevel == 0) {
    LogEntryKalibPrintf(TRUE, "CallLevel Underflow! (TAPID 0x%8.8x)", (unsigned)__tap_ud__);
  } else {
    CallLevel--;
    if (CallLevel < CALLTRACE_STACK_DEPTH) AddStatistics(CallTraceStack[CallLevel], tickNow);
  }
  CheckMagic(magic);
  CallTraceDoNotReenter = false;
}
