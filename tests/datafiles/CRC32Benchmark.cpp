// CRC32Benchmark.cpp - throughput of CRC32 (slicing-by-16) against the byte
// table method (one table look-up per byte, through the same CRC32Table) on
// the same buffers, and the ratio of the two.  Throughput is counted in CPU
// time, so other work on the machine changes it little.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Tools.h"
#include "core/Sim.h"

TAP_ID(0x7E57F013);

namespace {

dword ByteTableCRC(dword crc, const byte *p, dword n) {
  for (dword i = 0; i < n; i++) crc = CRC32Table[(crc >> 24) ^ p[i]] ^ (crc << 8);
  return crc;
}

const std::vector<byte> &Buffer() {
  static std::vector<byte> buffer = [] {
    std::vector<byte> b((1 << 20) + 1);
    std::mt19937 random(1);
    for (auto &c : b) c = static_cast<byte>(random());
    return b;
  }();
  return buffer;
}

// One byte in: the data is not word-aligned.
void BM_CRC32(benchmark::State &state) {
  dword size = static_cast<dword>(state.range(0));
  const byte *data = Buffer().data() + 1;
  dword crc = 0;
  for (auto _ : state) benchmark::DoNotOptimize(crc = CRC32(CRC32_INITIAL, data, size));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

void BM_ByteTable(benchmark::State &state) {
  dword size = static_cast<dword>(state.range(0));
  const byte *data = Buffer().data() + 1;
  make_crc_table();
  dword crc = 0;
  for (auto _ : state) benchmark::DoNotOptimize(crc = ByteTableCRC(CRC32_INITIAL, data, size));
  if (crc != CRC32(CRC32_INITIAL, data, size)) state.SkipWithError("the two methods disagree");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
}

BENCHMARK(BM_CRC32)->Arg(1 << 12)->Arg(100 << 10)->Arg(1 << 20);
BENCHMARK(BM_ByteTable)->Arg(1 << 12)->Arg(100 << 10)->Arg(1 << 20);

// Prints the usual table, then GB/s of both methods and their ratio per size.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run> &runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
      auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) rates_[run.benchmark_name()] = it->second.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (int size : {1 << 12, 100 << 10, 1 << 20}) {
      double fast = rates_["BM_CRC32/" + std::to_string(size)];
      double table = rates_["BM_ByteTable/" + std::to_string(size)];
      if (fast > 0 && table > 0)
        std::printf("CRC-32 of %7d bytes: slicing-by-16 %.2f GB/s, byte table %.2f GB/s, %.1fx\n", size,
                    fast / 1e9, table / 1e9, fast / table);
    }
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char **argv) {
  pvrsim::Options options;
  options.diskDir = std::string(TEST_TMP_DIR) + "/crc_benchmark/disk";
  options.runDir = std::string(TEST_TMP_DIR) + "/crc_benchmark/run";
  pvrsim::Sim sim(options);
  if (sim.adoptCaller("/ProgramFiles") < 0) return 1;
  CallTraceInit();
  CallTraceEnable(FALSE);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
