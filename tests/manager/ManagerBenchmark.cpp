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

#include "Manager.h"
#include "core/Sim.h"

TAP_ID(0x7E57F015);

namespace fs = std::filesystem;

namespace {

const int TapCount = 100, VersionsPerTap = 8;

std::string Root() { return std::string(TEST_TMP_DIR) + "/manager_benchmark"; }

void WritePackage(dword id, dword crc) {
  tVPD vpd{};
  vpd.TAPID = id;
  StringSet(&vpd.TAPName, "Benchmark TAP");
  vpd.NrOfVersions = VersionsPerTap;
  vpd.Versions = static_cast<tVPDVersion *>(TAP_MemAlloc(VersionsPerTap * sizeof(tVPDVersion)));
  memset(vpd.Versions, 0, VersionsPerTap * sizeof(tVPDVersion));
  for (int v = 0; v < VersionsPerTap; v++) {
    char text[16];
    snprintf(text, sizeof text, "1.%d", v);
    StringSet(&vpd.Versions[v].Version, text);
    vpd.Versions[v].TimeStamp = 1000 + v;
    vpd.Versions[v].DeployMode = v % 4 == 3 ? DM_Beta : DM_Final;
    vpd.Versions[v].NrOfFiles = 1;
    vpd.Versions[v].Files = static_cast<tVPDFiles *>(TAP_MemAlloc(sizeof(tVPDFiles)));
    memset(vpd.Versions[v].Files, 0, sizeof(tVPDFiles));
    StringSet(&vpd.Versions[v].Files[0].FileName, "T.tap");
    StringSet(&vpd.Versions[v].Files[0].DefaultPath, "/mnt/hd/ProgramFiles");
    vpd.Versions[v].Files[0].CRC32 = v == 2 ? crc : 0x1000 + v;
    vpd.Versions[v].Files[0].TAPID = id;
  }
  char name[16];
  snprintf(name, sizeof name, "%08X.vpd", id);
  VPDSave(&vpd, name);
  VPDFree(&vpd);
}

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
  CallTraceInit();
  CallTraceEnable(FALSE);
  std::ifstream in(TAP_datafiles_template_tap, std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const uint32_t templateId = 0xD47AF11E;
  size_t at = image.find(std::string(reinterpret_cast<const char *>(&templateId), 4));
  SettingsDefault();
  for (int i = 0; i < TapCount; i++) {
    uint32_t id = 0x20000 + i;
    std::string tap = image;
    tap.replace(at, 4, reinterpret_cast<const char *>(&id), 4);
    tap += std::to_string(i);
    std::ofstream(options.diskDir + "/ProgramFiles/T" + std::to_string(i) + ".tap", std::ios::binary) << tap;
    WritePackage(id, CRC32(CRC32_INITIAL, tap.data(), static_cast<dword>(tap.size())));
  }
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
