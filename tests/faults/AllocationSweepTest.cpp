// AllocationSweepTest.cpp - every allocation of an installer run (IT_Install,
// IT_Repair), of a manager start with a package and of a gallery session
// made to fail in turn, alone or with every later one: the run must not
// crash (nor, under ASan, touch memory it does not own), the failure must
// show in a log or on the console, and no file on the disk may be damaged
// or lost: each one holds what it held before the run or what the run
// without the fault left there (the manager's settings and inventory, whose
// contents follow what the run could do, must load instead).
//
// By default ten allocations spread over each run are swept (four on the
// MIPS build, which runs emulated); PVR_ALLOC_SWEEP=full in the environment
// sweeps every one, PVR_ALLOC_SWEEP=N about N.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "SimFixture.h"
#include "Tools.h"
#include "core/CommandLine.h"
#include "core/Sim.h"
#include "osd/Osd.h"

namespace {

namespace fs = std::filesystem;

constexpr char kSettings[] = "/ProgramFiles/Settings/Vantero";

// Box path -> bytes of every file; the logs are left out, they grow with every run.
using Files = std::map<std::string, std::string>;

// The inventory records each TAP file's modification time, which is the
// host's clock: those fields are cleared so that two runs compare.
std::string withoutFileTimes(const std::string &name, std::string bytes) {
  constexpr size_t kHeader = 8, kEntry = 88, kTimeStamp = 68;
  if (name != "TAPOnBoard.bin") return bytes;
  for (size_t at = kHeader + kTimeStamp; at + 4 <= bytes.size(); at += kEntry) bytes.replace(at, 4, 4, '\0');
  return bytes;
}

Files filesOf(const std::string &diskDir) {
  Files files;
  for (const auto &entry : fs::recursive_directory_iterator(diskDir)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name == "Vantero.log" || name == "Kalib.log") continue;
    files[entry.path().string().substr(diskDir.size())] =
        withoutFileTimes(name, readHostFile(entry.path().string()));
  }
  return files;
}

std::string logsOf(const std::string &diskDir) {
  return readHostFile(diskDir + kSettings + "/Vantero.log") +
         readHostFile(diskDir + "/ProgramFiles/Settings/Kalib.log");
}

class AllocationSweep : public DiskFixture {
 protected:
  struct Run {
    Files files;
    std::string logs;  // Vantero.log, Kalib.log and the console
    uint64_t allocations = 0, failed = 0;
    bool dataFilesLoad = false;  // the settings and the inventory, where present
  };

  // The disk the scenario starts from, made once without faults.
  void prepare(const std::function<void(pvrsim::Sim &)> &make) {
    fs::remove_all(options.diskDir);
    pvrsim::Sim sim(options);
    if (make) make(sim);
  }

  // One run on a copy of the prepared disk, with the fault given.
  Run runOnCopy(const std::function<void(pvrsim::Sim &)> &run, std::optional<uint64_t> fail, bool once) {
    pvrsim::osd::reset();
    pvrsim::Options o = options;
    o.diskDir = root + "/copy";
    o.runDir = root + "/copyrun";
    fs::remove_all(o.diskDir);
    fs::copy(options.diskDir, o.diskDir, fs::copy_options::recursive);
    o.failAllocation = fail;
    o.failAllocationOnce = once;
    Run result;
    {
      pvrsim::Sim sim(o);
      run(sim);
      result.allocations = sim.allocations();
      result.failed = sim.failedAllocations();
      result.logs = sim.consoleText();
    }
    result.logs += logsOf(o.diskDir);
    result.files = filesOf(o.diskDir);
    o.failAllocation.reset();
    pvrsim::Sim check(o);
    check.adoptCaller(kSettings);
    const std::string settings = std::string(kSettings) + "/Vantero.settings",
                      tob = std::string(kSettings) + "/TAPOnBoard.bin";
    result.dataFilesLoad =
        (!result.files.count(settings) || SettingsLoad()) && (!result.files.count(tob) || TAPsOnBoardLoad());
    return result;
  }

  // The allocations to fail: all of them, or a number spread evenly.
  // Points that once failed are always swept too, where the run has them.
  static std::vector<uint64_t> sweepOf(uint64_t count, const std::vector<uint64_t> &regressions) {
#if defined(__mips__)
    uint64_t points = 4;
#else
    uint64_t points = 10;
#endif
    const char *mode = std::getenv("PVR_ALLOC_SWEEP");
    if (mode && std::string(mode) == "full") points = count;
    if (mode && std::atoi(mode) > 0) points = uint64_t(std::atoi(mode));
    const uint64_t step = std::max<uint64_t>(1, count / points);
    std::vector<uint64_t> numbers;
    for (uint64_t n = 1; n <= count; n += step) numbers.push_back(n);
    if (numbers.back() != count) numbers.push_back(count);
    for (uint64_t n : regressions)
      if (n <= count && std::find(numbers.begin(), numbers.end(), n) == numbers.end()) numbers.push_back(n);
    return numbers;
  }

  void sweep(const std::function<void(pvrsim::Sim &)> &make, const std::function<void(pvrsim::Sim &)> &run,
             const std::vector<uint64_t> &regressions = {}) {
    prepare(make);
    const Files before = filesOf(options.diskDir);
    const Run clean = runOnCopy(run, std::nullopt, false);
    ASSERT_GT(clean.allocations, 0u);
    const std::vector<uint64_t> numbers = sweepOf(clean.allocations, regressions);
    std::printf("allocations: %llu, swept: %zu (both ways)\n",
                static_cast<unsigned long long>(clean.allocations), numbers.size());
    for (uint64_t n : numbers) {
      for (bool once : {true, false}) {
        const std::string trace = "allocation " + std::to_string(n) + (once ? " alone" : " and later ones");
        const Run faulty = runOnCopy(run, n, once);
        ASSERT_GE(faulty.failed, 1u) << trace;
        // A failure that changed what the run left on the disk says so.
        if (faulty.files != clean.files) {
          EXPECT_NE(faulty.logs, clean.logs) << trace << ": the failure left no trace";
        }
        for (const auto &[path, bytes] : faulty.files) {
          auto old = before.find(path), made = clean.files.find(path);
          const std::string name = fs::path(path).filename().string();
          const bool sound =
              (old != before.end() && old->second == bytes) ||
              (made != clean.files.end() && made->second == bytes) ||
              ((name == "Vantero.settings" || name == "TAPOnBoard.bin") && faulty.dataFilesLoad);
          EXPECT_TRUE(sound) << trace << ": " << path << " damaged (" << bytes.size() << " bytes)";
        }
        for (const auto &[path, bytes] : before) {
          const bool kept = faulty.files.count(path) || !clean.files.count(path);
          EXPECT_TRUE(kept) << trace << ": " << path << " lost";
        }
      }
    }
  }

  static void copy(pvrsim::Sim &sim, const std::string &hostFile, const std::string &boxPath) {
    ASSERT_TRUE(sim.copyToDisk(hostFile, boxPath)) << sim.lastError();
  }
  // Runs the installer with a task to its end, answering its question with OK.
  static void install(pvrsim::Sim &sim, std::optional<dword> task) {
    copy(sim, TAP_Vantero_Setup, "/ProgramFiles/Vantero_Setup.tap");
    if (sim.startTap("/ProgramFiles/Vantero_Setup.tap", task) < 0) return;
    for (dword i = 0; i < 3000 && sim.isRunning("/ProgramFiles/Vantero_Setup.tap"); ++i) {
      if (i % 100 == 99) sim.scheduleKey(sim.now() + 1, RKEY_Ok);
      sim.tick();
    }
    sim.runTicks(20);
  }
};

TEST_F(AllocationSweep, InstallerInstall) {
  sweep(nullptr, [](pvrsim::Sim &sim) { install(sim, std::nullopt); });
}

TEST_F(AllocationSweep, InstallerRepair) {
  sweep(
      [](pvrsim::Sim &sim) {
        install(sim, std::nullopt);
        fs::remove(sim.hostPath("/ProgramFiles/busybox"));
      },
      [](pvrsim::Sim &sim) { install(sim, 4 /* IT_Repair */); });
}

TEST_F(AllocationSweep, ManagerStartWithAPackage) {
  sweep(
      [](pvrsim::Sim &sim) {
        install(sim, std::nullopt);
        copy(sim, std::string(SOURCE_DIR) + "/fuzz/datafiles/seed_v9.vpd",
             std::string(kSettings) + "/5C3E1A20.vpd");
      },
      [](pvrsim::Sim &sim) {
        if (sim.startTap("/ProgramFiles/Vantero.tap") < 0) return;
        for (dword key : {RKEY_Menu, RKEY_Ok, RKEY_Exit, RKEY_Exit}) {
          sim.runTicks(30);
          sim.scheduleKey(sim.now() + 1, key);
        }
        sim.runTicks(50);
      },
      // The new master-list entry's name, author and address.
      {36, 37, 38, 39, 40});
}

TEST_F(AllocationSweep, GallerySession) {
  sweep(
      [](pvrsim::Sim &sim) {
        copy(sim, TAP_Gallery, "/ProgramFiles/Gallery.tap");
        for (const char *size : {"10", "12", "14", "16", "18", "20", "20B"})
          copy(sim, std::string(BINARY_DIR) + "/payloads/files/Calibri_" + size + ".ufnt",
               "/ProgramFiles/Settings/Fonts/");
      },
      [](pvrsim::Sim &sim) {
        std::vector<pvrsim::ScheduledKey> keys;
        std::string error;
        ASSERT_TRUE(pvrsim::readKeyScript(std::string(SOURCE_DIR) + "/gallery/tour.keys", keys, error))
            << error;
        if (sim.startTap("/ProgramFiles/Gallery.tap") < 0) return;
        for (const auto &key : keys) sim.scheduleKey(key.tick, key.code);
        for (dword i = 0; i < 4000 && sim.isRunning("/ProgramFiles/Gallery.tap"); ++i) sim.tick();
      });
}

}  // namespace
