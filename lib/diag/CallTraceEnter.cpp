// CallTraceEnter.cpp - entry of a traced function: print it when tracing is on, push it with its
// start tick, warn about nesting deeper than the stack.
#include <stdio.h>

#include "CallTrace.h"

static void PrintEntry(const char *procName) {
  char *isoName = nullptr;
  StrToISOAlloc(procName, &isoName);
  char indent[CALLTRACE_INDENT_SIZE];
  CallTraceIndent(indent);
  snprintf(puffer, sizeof puffer, "%s%s\n", indent, isoName != nullptr ? isoName : "");
  PrintNet(puffer);
  if (isoName != nullptr) TAP_MemFree(isoName);
}

void CallTraceEnter(const char *procName) {
  if (CallTraceDoNotReenter) return;
  CallTraceDoNotReenter = true;
  CallTraceInitIfNeeded();

  if (CallLevel >= CALLTRACE_STACK_DEPTH)
    LogEntryKalibPrintf(TRUE, "CallLevel Overflow! (TAPID 0x%8.8x)", (unsigned)__tap_ud__);
  if (procName != nullptr) {
    if (CallTraceEnabled) PrintEntry(procName);
    if (CallLevel < CALLTRACE_STACK_DEPTH) {
      CallTraceStack[CallLevel].ProcName = procName;
      CallTraceStack[CallLevel].EntryTime = TAP_GetTick();
    }
  }
  CallLevel++;
  CallTraceDoNotReenter = false;
}
