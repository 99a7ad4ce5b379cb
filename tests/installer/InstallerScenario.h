// InstallerScenario.h - runs the installer TAP in pvrsim the way the box
// does and inspects what it leaves behind: the log behind its time stamps,
// the files on the disk and which TAPs run.  A scenario may span several
// boots of the same disk.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Kalib.h"
#include "SimFixture.h"
#include "core/Sim.h"
#include "osd/Osd.h"

namespace installer_test {

namespace fs = std::filesystem;

constexpr dword kManagerId = 0x5C3E1A20;
constexpr char kInstallerBoxPath[] = "/ProgramFiles/Vantero_Setup.tap";
constexpr char kLogBoxPath[] = "/ProgramFiles/Settings/Vantero/Vantero.log";
constexpr size_t kStampLength = 20;  // "YYYY-MM-DD HH:MM:SS "

// Start parameters (tInstallerTask).
enum : dword {
  kInstall = 0,
  kUninstall,
  kUninstallComplete,
  kAutoStart,
  kRepair,
  kRepairComplete,
  kBackup,
  kRestore,
  kInstallSelf,
  kError
};

// The payloads the installer carries, as the build has them: the TAP-notation
// path where each belongs and the host file it comes from.
struct Payload {
  std::string boxPath;
  std::string hostFile;
};
std::vector<Payload> payloads();
const std::vector<std::string> &fontNames();

// The shared DiskFixture's fresh disk with "/ProgramFiles", booted.
class Scenario : public DiskFixture {
 protected:
  void SetUp() override {
    DiskFixture::SetUp();
    makeFolder("/ProgramFiles");
    boot();
  }
  void TearDown() override {
    sim.reset();
    DiskFixture::TearDown();
  }

  // Moves the scenario to a fresh disk in a folder of its own.
  void useFreshDisk(const std::string &folder) {
    sim.reset();
    root = folder;
    options.diskDir = root + "/disk";
    options.runDir = root + "/run";
    fs::remove_all(root);
    makeFolder("/ProgramFiles");
    boot();
  }

  // A new run of the box on the same disk.
  void boot(std::optional<dword> cutAtTick = std::nullopt,
            std::optional<uint64_t> cutAfterBytes = std::nullopt) {
    sim.reset();
    pvrsim::osd::reset();  // a new box starts with an empty screen
    pvrsim::Options o = options;
    o.powerCutAtTick = cutAtTick;
    o.powerCutAfterBytes = cutAfterBytes;
    if (bootOptions) bootOptions(o);
    sim = std::make_unique<pvrsim::Sim>(o);
  }
  // Changes the options of every later boot (a full disk, ...).
  std::function<void(pvrsim::Options &)> bootOptions;

  // Starts the installer from "/ProgramFiles" with a task, or without a
  // start parameter.
  void startInstaller(std::optional<dword> task = std::nullopt) {
    if (!exists(kInstallerBoxPath)) {
      ASSERT_TRUE(sim->copyToDisk(TAP_Vantero_Setup, kInstallerBoxPath)) << sim->lastError();
    }
    ASSERT_GE(sim->startTap(kInstallerBoxPath, task), 0) << sim->lastError();
  }
  bool installerRunning() const { return sim->isRunning(kInstallerBoxPath); }

  // Runs until the installer has ended; false when it is still running after
  // maxTicks.
  bool runToEnd(dword maxTicks = 20000) {
    for (dword i = 0; i < maxTicks && installerRunning(); i++) sim->tick();
    return !installerRunning();
  }

  // Runs until the log holds the line; false when it does not come.
  bool runUntilLogHas(const std::string &line, dword maxTicks = 20000) {
    for (dword i = 0; i < maxTicks; i++) {
      auto l = log();
      if (std::find(l.begin(), l.end(), line) != l.end()) return true;
      if (!installerRunning()) return false;
      sim->tick();
    }
    return false;
  }

  void pressKey(dword code) {
    sim->scheduleKey(sim->now() + 1, code);
    sim->tick();
  }

  // The installer's lines of the shared log behind their time stamps; the
  // lines of the manager's start and end (its data files, the inventory) are
  // left out, the manager's launch line stays.  fullLog() has them all.
  std::vector<std::string> log() const {
    std::vector<std::string> lines;
    for (const std::string &line : fullLog())
      if (!isManagerLine(line)) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> fullLog() const { return logLines(readFile(kLogBoxPath)); }
  static bool isManagerLine(const std::string &line) {
    static const std::regex manager(
        "Settings .*|TAPCache.*|TOB: .*|[0-9]+ TAP versions in TAPCache|[0-9]+ TAPs in the master list.*|"
        "Vantero ends|Added '.*' \\([0-9a-f]{8}\\) to the master list|Package file .*|Language file .*");
    return std::regex_match(line, manager);
  }
  static std::vector<std::string> logLines(const std::string &text) {
    std::vector<std::string> lines;
    for (const std::string &line : splitLines(text))
      lines.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : "<no stamp>" + line);
    return lines;
  }

  // Every file and folder on the disk (folders end in '/').
  std::set<std::string> diskTree() const {
    std::set<std::string> out;
    const std::string &base = options.diskDir;
    for (auto &e : fs::recursive_directory_iterator(base)) {
      std::string p = e.path().string().substr(base.size());
      out.insert(e.is_directory() ? p + "/" : p);
    }
    return out;
  }

  // The disk as a complete install leaves it (the manager started once), with the manager at
  // managerPath, besides the installer itself and whatever else is named.
  std::set<std::string> installedTree(const std::string &managerPath,
                                      std::set<std::string> extra = {}) const {
    std::set<std::string> t = {
        "/ProgramFiles/", "/ProgramFiles/AutoStart/", "/ProgramFiles/Settings/",
        "/ProgramFiles/Settings/Fonts/", "/ProgramFiles/Settings/Vantero/",
        "/ProgramFiles/Settings/Vantero/Vantero.lng", "/ProgramFiles/Settings/Vantero/Vantero.log",
        // written by the manager when it starts
        "/ProgramFiles/Settings/Vantero/Vantero.settings", "/ProgramFiles/Settings/Vantero/TAPOnBoard.bin",
        "/ProgramFiles/Settings/Vantero/TAPCache.bin", "/ProgramFiles/wget", "/ProgramFiles/busybox",
        kInstallerBoxPath, managerPath};
    for (const std::string &f : fontNames()) t.insert("/ProgramFiles/Settings/Fonts/" + f);
    for (size_t p = managerPath.find('/', 1); p != std::string::npos; p = managerPath.find('/', p + 1))
      t.insert(managerPath.substr(0, p + 1));
    t.insert(extra.begin(), extra.end());
    return t;
  }

  // Every payload on the disk byte for byte, the manager at managerPath.
  void expectPayloadsIntact(const std::string &managerPath) const {
    for (const Payload &p : payloads()) {
      std::string where = p.boxPath.empty() ? managerPath : p.boxPath;
      EXPECT_EQ(readFile(where), readHostFile(p.hostFile)) << where << " differs from its payload";
    }
  }

  std::string managerPayload() const;

  // The last two frames that a frames folder received (the last screen with
  // something on it and the one after it) and the ticks between them.
  static void lastTwoFrames(const std::string &folder, pvrsim::osd::Image &last, pvrsim::osd::Image &after,
                            unsigned long &ticksBetween) {
    std::vector<std::string> names;
    for (auto &e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 2u);
    auto tickOf = [](const std::string &n) { return std::stoul(n.substr(n.find("-t") + 2, 8)); };
    ticksBetween = tickOf(names.back()) - tickOf(names[names.size() - 2]);
    ASSERT_TRUE(pvrsim::osd::readPng(folder + "/" + names[names.size() - 2], last));
    ASSERT_TRUE(pvrsim::osd::readPng(folder + "/" + names.back(), after));
  }

  std::unique_ptr<pvrsim::Sim> sim;
};

// The lines of a run of IT_Install from step 0 up to and including the
// answer (when the question is asked).
inline std::vector<std::string> installStart(std::optional<dword> param) {
  std::vector<std::string> l = {"Launching Vantero Setup V2.1", "SysID=22010, Firmware=0x1225"};
  l.push_back(param ? "Setup parameter IT_Install" : "No parameter provided, using IT_Install");
  return l;
}

inline void append(std::vector<std::string> &to, const std::vector<std::string> &lines) {
  to.insert(to.end(), lines.begin(), lines.end());
}

}  // namespace installer_test
