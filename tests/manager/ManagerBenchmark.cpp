// ManagerBenchmark.cpp - building the TAP cache for 800 versions of 100
// TAPs (100 package files of 8 versions, 100 installed TAP files whose
// inventory is current, so the build's own work dominates), saving it, and
// one cursor move in the manager's overview with the real fonts and
// pvrsim's OSD.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "BenchmarkScenes.h"
#include "Manager.h"
#include "core/Sim.h"

TAP_ID(0x7E57F015);

namespace fs = std::filesystem;

namespace {

const int TapCount = 100, VersionsPerTap = benchmark_scene::kVersionsPerTap;

std::string Root() { return std::string(TEST_TMP_DIR) + "/manager_benchmark"; }

// The disk: fonts, TAP files, package files and a master list of 100 TAPs.
std::unique_ptr<pvrsim::Sim> Start() {
  fs::remove_all(Root());
  pvrsim::Options options;
  options.diskDir = Root() + "/disk";
  options.runDir = Root() + "/run";
  fs::create_directories(options.diskDir + "/ProgramFiles/Settings/Vantero");
  auto sim = std::make_unique<pvrsim::Sim>(options);
  for (const char *size : {"10", "12", "14", "16", "18", "20", "20B"})
    sim->copyToDisk(std::string(BINARY_DIR) + "/payloads/files/Calibri_" + size + ".ufnt",
                    "/ProgramFiles/Settings/Fonts/");
  if (sim->adoptCaller("/ProgramFiles") < 0) return nullptr;
  if (!benchmark_scene::TapsWithPackages(options.diskDir, TAP_datafiles_template_tap, TapCount))
    return nullptr;
  ManagerAddPackages();
  TAPsOnBoardFind();  // the inventory is current before the timing
  return sim;
}

void BM_CacheBuild800Versions(benchmark::State &state) {
  auto sim = Start();
  if (!sim) return state.SkipWithError("no pvrsim run");
  for (auto _ : state) TAPCacheInitialize();
  if (TAPCacheSize != TapCount * VersionsPerTap) state.SkipWithError("the cache is not full");
  state.counters["versions"] = TAPCacheSize;
  TAPCacheFree();
  SettingsFree();
}
BENCHMARK(BM_CacheBuild800Versions)->Unit(benchmark::kMillisecond);

void BM_CacheSave800Versions(benchmark::State &state) {
  auto sim = Start();
  if (!sim) return state.SkipWithError("no pvrsim run");
  TAPCacheInitialize();
  for (auto _ : state) TAPCacheSave();
  TAPCacheFree();
  SettingsFree();
}
BENCHMARK(BM_CacheSave800Versions)->Unit(benchmark::kMillisecond);

// One cursor move (down, then up on the next round) in the overview of 28 TAPs.
void BM_OverviewCursorMove(benchmark::State &state) {
  auto sim = Start();
  if (!sim) return state.SkipWithError("no pvrsim run");
  TAPCacheInitialize();
  ManagerMenuOpen();
  bool down = true;
  for (auto _ : state) {
    ManagerEvent(EVT_KEY, down ? RKEY_Down : RKEY_Up, 0);
    down = !down;
  }
  if (OSDMenuGetCurrentItem() > 1) state.SkipWithError("the cursor went astray");
  ManagerStop();
}
BENCHMARK(BM_OverviewCursorMove)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
