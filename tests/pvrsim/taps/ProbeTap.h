// ProbeTap.h - what the probe TAPs record, shared with the tests that read
// it (dlsym "probeState" on the TAP's handle).
#pragma once

#include "tap.h"

#define PROBE_TAP_ID 0x7E57B0B0u

// Behaviours, chosen when the TAP is built (PROBE_MODE).
#define PROBE_RESIDENT 0      // stays resident, counts events
#define PROBE_MAIN_ZERO 1     // writes the start parameter to "/Param.txt", TAP_Main returns 0
#define PROBE_EXIT_IN_MAIN 2  // calls TAP_Exit in TAP_Main and returns 1
#define PROBE_WAITER 3        // on an idle event that is not nested, waits with 5 x TAP_SystemProc
#define PROBE_FILES 4         // writes "/ProgramFiles/ProbeData/hello.txt" in TAP_Main

#define PROBE_MAX_EVENTS 64

typedef struct {
  dword tick;
  dword event;
  dword param1;
} ProbeEvent;

typedef struct {
  int mainCalls;
  dword curTaskInMain;  // _curTapTask as TAP_Main saw it
  int hadParam;         // the hand-over record existed
  dword paramMagic;
  dword paramTapId;
  dword paramValue;  // the dword the record points to
  int idleEvents;
  int keyEvents;
  int stopEvents;
  dword curTaskInHandler;  // _curTapTask in the last handler call
  int nesting;             // handler calls currently running
  int maxNesting;
  void *heldBlock;  // TAP_MemAlloc block the TAP never frees
  int eventCount;   // entries used in events
  ProbeEvent events[PROBE_MAX_EVENTS];
} ProbeState;

// The text the files probe writes.
#define PROBE_HELLO "hello from the probe\n"
