// QueryBenchmark.cpp - the repository query against a master list of 500
// TAPs, through pvrsim's box shell and its wget, served from 127.0.0.1:
// once with 50 packages changed since the box's last query, once with
// nothing changed (which fetches the master list alone).  Each round
// reports the bytes downloaded, the downloads, the virtual ticks the
// downloads took and the host time; the bytes and downloads are counts that
// do not drift, so a round that fetched other than it should makes the
// program fail.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "BenchmarkScenes.h"
#include "Manager.h"
#include "core/Sim.h"
#include "serve/RepoServer.h"

TAP_ID(0x7E57F016);

namespace fs = std::filesystem;

namespace {

const int TapCount = 500, ChangedCount = 50;
const dword FirstId = 0x20000;

std::string Root() { return std::string(TEST_TMP_DIR) + "/query_benchmark"; }
std::string Repo() { return Root() + "/repo"; }

// The master list of the repository; the first `changed` TAPs carry the time stamp `stamp`.
bool PublishMasterList(int changed, dword stamp) {
  tRepoMasterList list{};
  list.NrOfEntries = TapCount;
  list.Entries = static_cast<tMasterList *>(TAP_MemAlloc(TapCount * sizeof(tMasterList)));
  if (list.Entries == nullptr) return false;
  memset(list.Entries, 0, TapCount * sizeof(tMasterList));
  for (int i = 0; i < TapCount; i++) {
    tMasterList &entry = list.Entries[i];
    char url[16], name[32];
    snprintf(url, sizeof url, "%08X.vpd", FirstId + i);
    snprintf(name, sizeof name, "Benchmark TAP %d", i);
    entry.TAPID = FirstId + i;
    entry.VPDTimeStamp = i < changed ? stamp : 1;
    entry.Category = 1 + i % 8;
    StringSet(&entry.VPDURL, url);
    StringSet(&entry.Name, name);
    StringSet(&entry.Author, "Vantero Benchmarks");
  }
  byte *data = nullptr;
  dword size = 0;
  bool built = RepoMasterListBuild(&list, &data, &size);
  RepoMasterListFree(&list);
  if (!built) return false;
  // Under another name first: the server never serves a half-written list.
  std::ofstream(Repo() + "/MasterList.tmp", std::ios::binary).write(reinterpret_cast<char *>(data), size);
  TAP_MemFree(data);
  fs::rename(Repo() + "/MasterList.tmp", Repo() + "/MasterList.vml");
  return true;
}

// The box (fonts left out: no screen is drawn), 500 installed TAPs, their
// packages moved from the box into the repository, and wget on the disk.
std::unique_ptr<pvrsim::Sim> Start() {
  fs::remove_all(Root());
  pvrsim::Options options;
  options.diskDir = Root() + "/disk";
  options.runDir = Root() + "/run";
  std::string settings = options.diskDir + "/ProgramFiles/Settings/Vantero";
  fs::create_directories(settings);
  fs::create_directories(Repo());
  auto sim = std::make_unique<pvrsim::Sim>(options);
  if (sim->adoptCaller("/ProgramFiles") < 0) return nullptr;
  if (!benchmark_scene::TapsWithPackages(options.diskDir, TAP_datafiles_template_tap, TapCount))
    return nullptr;
  for (const auto &file : fs::recursive_directory_iterator(options.diskDir))
    if (file.path().extension() == ".vpd")
      fs::rename(file.path(), Repo() + "/" + file.path().filename().string());
  std::ofstream(options.diskDir + "/ProgramFiles/wget") << "the box's wget";
  return sim;
}

struct Served {
  long long bytes;
  int downloads;
};

// Set when a benchmark could not run or a round downloaded other than it
// should: the program then fails.
bool WrongCount = false;

void Fail(benchmark::State &state, const char *why) {
  WrongCount = true;
  state.SkipWithError(why);
}

// The bytes one round must download: the master list and the changed packages.
long long ExpectedBytes(int changed) {
  auto bytes = static_cast<long long>(fs::file_size(Repo() + "/MasterList.vml"));
  for (int i = 0; i < changed; i++) {
    char name[16];
    snprintf(name, sizeof name, "%08X.vpd", FirstId + i);
    bytes += static_cast<long long>(fs::file_size(Repo() + "/" + name));
  }
  return bytes;
}

// One whole query, from its start to its end; the ticks it took.
dword RunQuery(pvrsim::Sim &sim) {
  dword start = sim.now();
  if (!ManagerQueryStart()) return 0;
  while (Query.State == QS_MasterList || Query.State == QS_Packages) {
    sim.tick();
    ManagerQueryIdle();
  }
  return sim.now() - start;
}

// Rounds of one query each after the box has fetched every package once;
// `changed` packages get a new time stamp before each round.
void QueryRounds(benchmark::State &state, int changed) {
  auto sim = Start();
  if (!sim) return Fail(state, "no pvrsim run");
  pvrsim::serve::RepoServer server(Repo(), 1000000, 3600);
  std::ofstream(Root() + "/disk/ProgramFiles/Settings/Vantero/Repository.ini")
      << "URL=" << server.url() << "/\r\n";
  if (!PublishMasterList(0, 1)) return Fail(state, "master list not built");
  RunQuery(*sim);
  if (Query.Done != TapCount) return Fail(state, "the first query did not fetch every package");
  dword stamp = 1, ticks = 0;
  Served before{server.bytesServed(), server.totalRequests()};
  for (auto _ : state) {
    state.PauseTiming();
    PublishMasterList(changed, ++stamp);
    state.ResumeTiming();
    ticks += RunQuery(*sim);
    if (Query.State != QS_Done || Query.Done != changed) return Fail(state, "the query went wrong");
  }
  Served after{server.bytesServed(), server.totalRequests()};
  auto rounds = static_cast<long long>(state.iterations());
  if (after.downloads - before.downloads != rounds * (1 + changed) ||
      after.bytes - before.bytes != rounds * ExpectedBytes(changed)) {
    return Fail(state, "a query fetched other than the master list and the changed packages");
  }
  state.counters["downloads"] = 1 + changed;
  state.counters["bytes"] = static_cast<double>(ExpectedBytes(changed));
  state.counters["ticks"] = static_cast<double>(ticks) / static_cast<double>(rounds);
  ManagerQueryStop();
  TAPCacheFree();
  SettingsFree();
}

void BM_Query500Taps50Changed(benchmark::State &state) { QueryRounds(state, ChangedCount); }
BENCHMARK(BM_Query500Taps50Changed)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Query500TapsNothingChanged(benchmark::State &state) { QueryRounds(state, 0); }
BENCHMARK(BM_Query500TapsNothingChanged)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return WrongCount ? 1 : 0;
}
