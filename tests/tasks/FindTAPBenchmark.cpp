// FindTAPBenchmark.cpp - FindTAP on large folder trees in pvrsim.
//
// Tree of scale s: 2,000 x s folders (50 x s below "/ProgramFiles", the rest
// evenly below those) with five TAP files each (10,000 x s files, hard links
// of one TAP with another ID, so every header is read in full), and the
// manager as the very last file of the last folder in search order.  Runs
// with s = 1, 2 and 4 to show how the time grows when the tree doubles.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Tools.h"
#include "core/Sim.h"

// The program's own TAP ID, which the call tracer of the tool module reads.
TAP_ID(0x7E57F00D);

namespace fs = std::filesystem;

namespace {

const int FilesPerFolder = 5;

// Builds (once) the tree of the given scale below <root>/disk.
void BuildTree(const std::string &root, int scale) {
  std::string done = root + "/complete";
  if (fs::exists(done)) return;
  fs::remove_all(root);
  std::string programFiles = root + "/disk/ProgramFiles";
  fs::create_directories(programFiles);
  std::string original = root + "/peer.tap";
  fs::copy_file(TAP_tasks_peer_a, original);

  int topFolders = 50 * scale;
  int subFolders = (2000 * scale - topFolders) / topFolders;
  std::string lastFolder;
  auto addFiles = [&](const std::string &folder) {
    for (int f = 0; f < FilesPerFolder; f++)
      fs::create_hard_link(original, folder + "/tap" + std::to_string(f) + ".tap");
  };
  for (int t = 0; t < topFolders; t++) {
    std::string top = programFiles + "/top" + std::to_string(10000 + t);
    fs::create_directory(top);
    addFiles(top);
    for (int s = 0; s < subFolders; s++) {
      lastFolder = top + "/sub" + std::to_string(10000 + s);
      fs::create_directory(lastFolder);
      addFiles(lastFolder);
    }
  }
  fs::copy_file(TAP_tasks_manager_exit, lastFolder + "/zzzz.tap");
  std::ofstream(done) << "ok\n";
}

void BM_FindTAP(benchmark::State &state) {
  int scale = (int)state.range(0);
  std::string root = std::string(TEST_TMP_DIR) + "/findtap_tree_" + std::to_string(scale);
  BuildTree(root, scale);

  pvrsim::Options options;
  options.diskDir = root + "/disk";
  options.runDir = root + "/run";
  fs::create_directories(options.runDir);
  auto sim = std::make_unique<pvrsim::Sim>(options);
  if (sim->adoptCaller("/ProgramFiles") < 0) {
    state.SkipWithError("cannot adopt the benchmark as a TAP");
    return;
  }

  char name[128], folder[KALIB_PATH_MAX];
  for (auto _ : state) {
    bool found = FindTAP(VANTERO_TAPID, name, folder);
    if (!found) state.SkipWithError("the manager was not found");
    benchmark::DoNotOptimize(found);
  }
  state.counters["folders"] = 2000.0 * scale;
  state.counters["files"] = 10000.0 * scale + 1;
  state.counters["time_per_file"] = benchmark::Counter(
      10000.0 * scale + 1, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  sim.reset();
}

BENCHMARK(BM_FindTAP)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
