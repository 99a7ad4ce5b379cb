// CallTraceInit.cpp - call tracer state, its initialisation, statistics reset and switch.
#include <string.h>

#include "CallTrace.h"

bool CallTraceInitialized = false;
bool CallTraceEnabled = false;
bool CallTraceDoNotReenter = false;
dword CallLevel = 0;
tCallTraceStackEntry CallTraceStack[CALLTRACE_STACK_DEPTH];
tCallTraceStats *CallTraceStats = nullptr;
dword CallTraceStatsEntries = 0;

void CallTraceInit(void) {
  CallTraceInitialized = true;
  CallTraceDoNotReenter = false;
  CallLevel = 0;
  CallTraceEnabled = true;
  CallTraceResetStats();
  memset(CallTraceStack, 0, sizeof CallTraceStack);
}

void CallTraceResetStats(void) {
  CallTraceInitIfNeeded();
  if (CallTraceStats != nullptr) TAP_MemFree(CallTraceStats);
  const dword size = CALLTRACE_STATS_ENTRIES * sizeof(tCallTraceStats);
  CallTraceStats = (tCallTraceStats *)TAP_MemAlloc(size);
  if (CallTraceStats != nullptr) memset(CallTraceStats, 0, size);  // null: no statistics
  CallTraceStatsEntries = 0;
}

void CallTraceEnable(bool enable) {
  CallTraceInitIfNeeded();
  CallTraceEnabled = enable;
}

void CallTraceIndent(char indent[CALLTRACE_INDENT_SIZE]) {
  dword blanks = CallLevel < CALLTRACE_STACK_DEPTH ? 2 * CallLevel : 2 * CALLTRACE_STACK_DEPTH;
  memset(indent, ' ', blanks);
  indent[blanks] = '\0';
}
