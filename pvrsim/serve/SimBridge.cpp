// SimBridge.cpp - the simulator's side of the web page: observers on the
// Sim's ticks, the OSD's syncs and the box console, all called on the
// simulator's thread.
#include "SimBridge.h"

#include "box/Box.h"

namespace pvrsim::serve {

void SimBridge::attach(Sim &sim) {
  detach();
  sim_ = &sim;
  sim.setTickObserver([this] { onTick(); });
  osd::setSyncObserver([this](const osd::Image &screen, dword tick) { state_.publishFrame(screen, tick); });
  box::setConsoleListener([this](const char *data, size_t size) { state_.appendConsole(data, size); });
  state_.publishFrame(osd::visibleScreen(), sim.now());
  publishTaps();
}

void SimBridge::detach() {
  if (!sim_) return;
  publishTaps();
  state_.publishTick(sim_->now());
  sim_->setTickObserver(nullptr);
  osd::setSyncObserver(nullptr);
  box::setConsoleListener(nullptr);
  sim_ = nullptr;
}

void SimBridge::onTick() {
  // Due now: the dispatcher delivers them in this tick, in the order pressed.
  for (dword code : keys_.takeAll()) sim_->scheduleKey(sim_->now(), code);
  state_.publishTick(sim_->now());
  publishTaps();
}

void SimBridge::publishTaps() {
  std::vector<TapEntry> taps;
  for (int slot = 0; slot < TAP_MAX_TASKS; ++slot)
    if (sim_->isRunning(slot)) taps.push_back({slot, sim_->tapFile(slot), sim_->currentDir(slot)});
  state_.publishTaps(taps);
}

}  // namespace pvrsim::serve
