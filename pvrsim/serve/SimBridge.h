// SimBridge.h - connects a Sim to the page's LiveState.  Everything here
// runs on the simulator's thread: at every tick the keys pressed on the page
// join the Sim's key schedule (the queue of the scripted keys) for that
// tick, and the TAP list and the tick are published; every OSD sync that
// changed the screen publishes a frame, every console write its text.
#pragma once

#include "LiveState.h"
#include "core/Sim.h"

namespace pvrsim::serve {

class SimBridge {
 public:
  SimBridge(LiveState &state, KeyQueue &keys) : state_(state), keys_(keys) {}
  ~SimBridge() { detach(); }
  SimBridge(const SimBridge &) = delete;
  SimBridge &operator=(const SimBridge &) = delete;

  // Installs the observers on the Sim, the OSD and the console, and
  // publishes the screen shown now and the TAP list.
  void attach(Sim &sim);
  // Publishes the TAP list and the tick once more and removes the observers
  // (before the Sim ends).  Safe to call twice.
  void detach();
  // One tick's work: the page's keys to the Sim, the TAP list and tick to the page.
  void onTick();

 private:
  void publishTaps();

  LiveState &state_;
  KeyQueue &keys_;
  Sim *sim_ = nullptr;
};

}  // namespace pvrsim::serve
