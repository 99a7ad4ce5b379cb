// WaitBenchmark.cpp - a six-second wait of a TAP (600 ticks) must cost well under 0.1 s of real
// time, by TAP_Delay and by TAP_SystemProc with a resident TAP receiving the
// idle events.  Prints the times and fails when either takes 0.1 s or more.
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "core/Sim.h"

namespace {

double secondsOf(void (*wait)()) {
  auto start = std::chrono::steady_clock::now();
  wait();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  std::string root = std::string(TEST_TMP_DIR) + "/WaitBenchmark";
  std::filesystem::remove_all(root);
  pvrsim::Options options;
  options.diskDir = root + "/disk";
  options.runDir = root + "/run";
  pvrsim::Sim sim(options);
  if (!sim.copyToDisk(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap") ||
      sim.startTap("/ProgramFiles/Probe.tap") < 0) {
    std::fprintf(stderr, "cannot start the probe TAP: %s\n", sim.lastError().c_str());
    return 1;
  }
  sim.adoptCaller("/ProgramFiles");

  double delay = secondsOf([] { TAP_Delay(600); });
  double systemProc = secondsOf([] {
    for (int i = 0; i < 600; ++i) TAP_SystemProc();
  });
  std::printf("600 ticks of TAP_Delay:      %.6f s\n", delay);
  std::printf("600 ticks of TAP_SystemProc: %.6f s (with a resident TAP)\n", systemProc);
  bool ok = delay < 0.1 && systemProc < 0.1;
  std::printf("%s: a six-second virtual wait costs %s 0.1 s of real time\n", ok ? "PASS" : "FAIL",
              ok ? "under" : "not under");
  return ok ? 0 : 1;
}
