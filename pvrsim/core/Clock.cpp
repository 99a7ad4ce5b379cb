// Clock.cpp - the virtual clock: ticks of 10 ms that cost no real time unless the run
// is paced to real time.
#include <thread>

#include "Runtime.h"

namespace pvrsim::core {

void advanceClock(dword ticks) {
  Runtime &r = rt();
  if (r.options.powerCutAtTick) {
    dword cut = *r.options.powerCutAtTick;
    if (ticks > 0 && static_cast<uint64_t>(r.tick) + ticks > cut) {
      if (r.tick < cut) r.tick = cut;
      powerCut("tick reached");
    }
  }
  r.tick += ticks;
  if (r.options.realtime) std::this_thread::sleep_until(r.realStart + std::chrono::milliseconds(10) * r.tick);
}

int64_t wallSeconds() {
  const Runtime &r = rt();
  return r.startSeconds + r.tick / 100;
}

}  // namespace pvrsim::core

using namespace pvrsim::core;

extern "C" dword TAP_GetTick(void) { return rt().tick; }

// Blocks the TAP thread: the clock moves on, nothing is dispatched.
extern "C" void TAP_Delay(dword ticks) {
  if (rt().active) advanceClock(ticks);
}
