// ProbeTap.cpp - a test TAP that records what the simulated firmware does to it (see
// ProbeTap.h).  Keys: Ok is consumed, Exit ends the TAP, all others are
// passed on; the stop event ends it as well.
#include <dlfcn.h>
#include <string.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include "ProbeTap.h"

#ifndef PROBE_MODE
#define PROBE_MODE PROBE_RESIDENT
#endif

TAP_ID(PROBE_TAP_ID);
TAP_PROGRAM_NAME("Probe");
TAP_PROGRAM_VERSION("1.0");
TAP_AUTHOR_NAME("pvrsim tests");
TAP_DESCRIPTION("Records what the firmware does");
TAP_ETCINFO("Dec 31 2015");
TAP_HEADER();

extern "C" __attribute__((visibility("default"))) ProbeState probeState;
ProbeState probeState;

namespace {

dword currentTask() {
  void *global = dlopen(nullptr, RTLD_LAZY | RTLD_GLOBAL);
  const dword *cur = global ? static_cast<const dword *>(dlsym(global, "_curTapTask")) : nullptr;
  if (global) dlclose(global);
  return cur ? *cur : 0xFFFFFFFFu;
}

void readStartParameter() {
  int id = shmget(TAP_START_PARAM_KEY, sizeof(TYPE_TapStartParameter), 0);
  if (id == -1) return;
  void *address = shmat(id, nullptr, 0);
  if (address == reinterpret_cast<void *>(-1)) return;
  const TYPE_TapStartParameter *record = static_cast<const TYPE_TapStartParameter *>(address);
  probeState.hadParam = 1;
  probeState.paramMagic = record->magic;
  probeState.paramTapId = record->tapId;
  if (record->param) probeState.paramValue = *static_cast<const dword *>(record->param);
  shmdt(address);
}

// Creates (or reuses) a file and writes text at its start.
void writeTextFile(const char *name, const char *text) {
  TAP_Hdd_Create(name, ATTR_NORMAL);
  TYPE_File *file = TAP_Hdd_Fopen(name);
  if (!file) return;
  TAP_Hdd_Fwrite(text, 1, strlen(text), file);
  TAP_Hdd_Fclose(file);
}

void recordEvent(word event, dword param1) {
  if (probeState.eventCount < PROBE_MAX_EVENTS)
    probeState.events[probeState.eventCount++] = {TAP_GetTick(), event, param1};
}

dword handleEvent(word event, dword param1) {
  switch (event) {
    case EVT_IDLE:
      ++probeState.idleEvents;
      if (PROBE_MODE == PROBE_WAITER && probeState.nesting == 1)
        for (int i = 0; i < 5; ++i) TAP_SystemProc();
      return 0;
    case EVT_KEY:
      ++probeState.keyEvents;
      if (param1 == RKEY_Ok) return 0;
      if (param1 == RKEY_Exit) {
        TAP_Exit();
        return 0;
      }
      return param1;
    case EVT_STOP:
      ++probeState.stopEvents;
      TAP_Exit();
      return 0;
    default:
      return param1;
  }
}

}  // namespace

dword TAP_EventHandler(word event, dword param1, dword param2) {
  (void)param2;
  ++probeState.nesting;
  if (probeState.nesting > probeState.maxNesting) probeState.maxNesting = probeState.nesting;
  probeState.curTaskInHandler = currentTask();
  recordEvent(event, param1);
  dword result = handleEvent(event, param1);
  --probeState.nesting;
  return result;
}

int TAP_Main(void) {
  ++probeState.mainCalls;
  probeState.curTaskInMain = currentTask();
  probeState.heldBlock = TAP_MemAlloc(64);  // never freed: the firmware takes it back
  readStartParameter();
  switch (PROBE_MODE) {
    case PROBE_MAIN_ZERO: {
      char text[32];
      TAP_SPrint(text, "%u", static_cast<unsigned>(probeState.paramValue));
      writeTextFile("/Param.txt", text);
      return 0;
    }
    case PROBE_EXIT_IN_MAIN:
      TAP_Exit();
      return 1;
    case PROBE_FILES:
      TAP_Hdd_ChangeDir("/ProgramFiles");
      TAP_Hdd_Create("ProbeData", ATTR_FOLDER);
      TAP_Hdd_ChangeDir("ProbeData");
      writeTextFile("hello.txt", PROBE_HELLO);
      TAP_Hdd_ChangeDir("..");
      return 1;
    default:
      return 1;
  }
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)
