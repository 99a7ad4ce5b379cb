// InventoryBenchmark.cpp - a full scan of the on-board inventory over 200 TAP
// files of 100 KiB each (ten folders of 18, 20 in AutoStart), from an empty
// table (every header read, every CRC computed) and again without changes
// (headers and time stamps only).  Counters: bytes the process read per
// scan (from /proc/self/io) and the bytes of all TAP files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#include "Tools.h"
#include "core/Sim.h"

TAP_ID(0x7E57F014);

namespace fs = std::filesystem;

namespace {

const int TapCount = 200;
const size_t TapSize = 100 << 10;

std::string Root() { return std::string(TEST_TMP_DIR) + "/inventory_benchmark"; }

// Copies of the template TAP with their own TAP IDs, padded with random bytes.
void BuildDisk() {
  std::string done = Root() + "/complete";
  if (fs::exists(done)) return;
  fs::remove_all(Root());
  std::ifstream in(TAP_datafiles_template_tap, std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const uint32_t templateId = 0xD47AF11E;
  size_t at = image.find(std::string(reinterpret_cast<const char *>(&templateId), 4));
  std::mt19937 random(3);
  for (int i = 0; i < TapCount; i++) {
    std::string folder = i < 20 ? "/ProgramFiles/AutoStart" : "/ProgramFiles/Folder" + std::to_string(i / 18);
    fs::create_directories(Root() + "/disk" + folder);
    std::string tap = image;
    uint32_t id = 0x10000 + i;
    tap.replace(at, 4, reinterpret_cast<const char *>(&id), 4);
    while (tap.size() < TapSize) tap += static_cast<char>(random());
    std::ofstream(Root() + "/disk" + folder + "/T" + std::to_string(i) + ".tap", std::ios::binary) << tap;
  }
  fs::create_directories(Root() + "/disk/ProgramFiles/Settings/Vantero");
  std::ofstream(done) << "ok\n";
}

// rchar of /proc/self/io: bytes the process has read so far.
double BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  double value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

std::unique_ptr<pvrsim::Sim> Start() {
  BuildDisk();
  pvrsim::Options options;
  options.diskDir = Root() + "/disk";
  options.runDir = Root() + "/run";
  auto sim = std::make_unique<pvrsim::Sim>(options);
  if (sim->adoptCaller("/ProgramFiles") < 0) return nullptr;
  CallTraceInit();
  CallTraceEnable(FALSE);
  return sim;
}

void Report(benchmark::State &state, double bytesRead) {
  state.counters["bytes_read_per_scan"] = bytesRead / static_cast<double>(state.iterations());
  state.counters["tap_bytes"] = static_cast<double>(TapCount) * TapSize;
  state.counters["taps"] = TapCount;
}

void BM_FirstScan(benchmark::State &state) {
  auto sim = Start();
  double bytesRead = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TAPsOnBoardCount = 0;  // an empty table and no file: everything is new
    state.ResumeTiming();
    double before = BytesReadSoFar();
    TAPsOnBoardFind();
    bytesRead += BytesReadSoFar() - before;
  }
  if (TAPsOnBoardCount != TapCount) state.SkipWithError("not every TAP was found");
  Report(state, bytesRead);
}

void BM_ScanWithoutChanges(benchmark::State &state) {
  auto sim = Start();
  TAPsOnBoardCount = 0;
  TAPsOnBoardFind();
  double bytesRead = 0;
  for (auto _ : state) {
    double before = BytesReadSoFar();
    TAPsOnBoardFind();
    bytesRead += BytesReadSoFar() - before;
  }
  Report(state, bytesRead);
}

BENCHMARK(BM_FirstScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanWithoutChanges)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
