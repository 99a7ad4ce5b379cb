// Dispatcher.cpp - event dispatch, one tick at a time: remove ended TAPs, deliver the keys
// that are due, then an idle event to every running TAP.  TAP_SystemProc runs
// a tick from inside a TAP, so a waiting TAP's handler is entered again, as
// on the box.
#include <cstdio>
#include <vector>

#include "Runtime.h"
#include "box/Box.h"

namespace pvrsim::core {

namespace {

bool receivesEvents(int index) {
  const Slot &slot = rt().slots[index];
  const TYPE_TapTask &task = _tapTask[index];
  if (!slot.occupied || slot.exitRequested || !task.eventHandler) return false;
  return task.state == 1 || (task.state == 2 && slot.ignoreKill);
}

dword callHandler(int index, word event, dword param1, dword param2) {
  TAP_EventHandlerFn handler = _tapTask[index].eventHandler;
  dword result;
  {
    TapCall call(index);
    result = handler(event, param1, param2);
  }
  finishCall(index);
  return result;
}

// Slots with the kill bit (state 2) or an exit request go, unless their code
// is still running.
void removeEndedSlots() {
  Runtime &r = rt();
  for (int i = 0; i < TAP_MAX_TASKS; ++i) {
    const Slot &slot = r.slots[i];
    if (!slot.occupied || slot.depth > 0) continue;
    bool killed = _tapTask[i].state == 2 && !slot.ignoreKill;
    if (killed || slot.exitRequested) removeSlot(i);
  }
}

// A key goes to the running TAPs in slot order until a handler consumes it
// (result 0); a key that nobody consumed goes back to the firmware.
void deliverKeys() {
  Runtime &r = rt();
  auto end = r.keys.upper_bound(r.tick);
  std::vector<dword> due;
  for (auto it = r.keys.begin(); it != end; ++it) due.push_back(it->second);
  r.keys.erase(r.keys.begin(), end);  // before delivery: a nested tick must not see them again
  for (dword code : due) {
    bool consumed = false;
    for (int i = 0; i < TAP_MAX_TASKS && !consumed; ++i)
      if (receivesEvents(i)) consumed = callHandler(i, EVT_KEY, code, 0) == 0;
    if (!consumed) r.returnedKeys.push_back({r.tick, code});
  }
}

void deliverIdle() {
  for (int i = 0; i < TAP_MAX_TASKS; ++i)
    if (receivesEvents(i)) callHandler(i, EVT_IDLE, 0, 0);
}

}  // namespace

void dispatchTick() {
  Runtime &r = rt();
  advanceClock(1);
  box::advanceShellJobs();  // background downloads move with the clock
  if (r.dispatchDepth >= r.options.maxDispatchNesting) {
    if (!r.nestingWarned)
      std::fprintf(stderr,
                   "pvrsim: TAP_SystemProc nested %d deep at tick %u; deeper calls only advance the clock\n",
                   r.dispatchDepth, static_cast<unsigned>(r.tick));
    r.nestingWarned = true;
    return;
  }
  ++r.dispatchDepth;
  if (r.tickObserver) r.tickObserver();
  removeEndedSlots();
  deliverKeys();
  deliverIdle();
  --r.dispatchDepth;
}

void runTick() {
  dispatchTick();
  unloadPending();
}

}  // namespace pvrsim::core

using namespace pvrsim::core;

extern "C" void TAP_SystemProc(void) {
  if (rt().active) dispatchTick();
}

// The calling TAP ends once its handler (or TAP_Main) has returned: when
// pvrsim's own call into it returns, or at the next tick when another TAP
// called its handler directly (HDD_TAP_SendEvent), whose return pvrsim does
// not see.
extern "C" void TAP_Exit(void) {
  Slot *slot = currentSlot();
  if (slot) slot->exitRequested = true;
}
