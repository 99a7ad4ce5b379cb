// HealTest.cpp - an interrupted IT_Install heals: the power fails after each step in turn
// and in the middle of writing each kind of payload; the next IT_Install
// leaves the disk complete, every file identical to its payload, and the
// manager running.  An interrupted repair never loses the manager.
#include <sys/wait.h>
#include <unistd.h>

#include <dlfcn.h>

#include "InstallerScenario.h"

namespace installer_test {
namespace {

constexpr int kInstallSteps = 10;

struct StepMarks {
  dword doneTick[kInstallSteps] = {};  // tick at whose end the step was complete
  uint64_t bytesBefore[kInstallSteps] = {};
  uint64_t bytesAfter[kInstallSteps] = {};
};

class Heal : public Scenario {
 protected:
  int installerTaskIndex() {
    int slot = sim->slotOf(kInstallerBoxPath);
    if (slot < 0) return kInstallSteps;
    void *p = dlsym(sim->tapHandle(slot), "TaskIndex");
    return p ? *static_cast<int *>(p) : -1;
  }

  // Runs IT_Install to its end, answering "No" as soon as the question is
  // up; marks where each step began and ended when asked to.
  void runInstall(StepMarks *marks = nullptr) {
    startInstaller();
    int index = 0;
    bool answered = false;
    for (int i = 0; i < 20000 && installerRunning(); i++) {
      uint64_t before = sim->bytesWritten();
      sim->tick();
      int now = installerTaskIndex();
      if (marks && now != index) {
        marks->bytesBefore[index] = before;
        marks->bytesAfter[index] = sim->bytesWritten();
        for (int k = index; k < now && k < kInstallSteps; k++) marks->doneTick[k] = sim->now();
      }
      index = now;
      if (index == 2 && !answered && OSDMenuQuestionUp()) {
        sim->scheduleKey(sim->now() + 1, RKEY_Ok);
        answered = true;
      }
    }
    ASSERT_FALSE(installerRunning());
  }

  bool OSDMenuQuestionUp() {
    void *p = dlsym(sim->tapHandle(sim->slotOf(kInstallerBoxPath)), "MessageBoxOSDRgn");
    return p && *static_cast<word *>(p) != 0;
  }

  // Runs IT_Install on a fresh disk in a child process whose power fails as
  // given; the child must end by the cut.
  void cutInstall(const std::string &name, std::optional<dword> atTick, std::optional<uint64_t> afterBytes) {
    useFreshDisk(base_ + "/" + name);
    sim.reset();
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      boot(atTick, afterBytes);
      runInstall();
      _exit(0);  // not reached when the power fails
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), pvrsim::kPowerCutExitStatus) << name << ": the install was not cut";
  }

  // The next boot's IT_Install completes the disk.
  void expectHealed(const std::string &name) {
    SCOPED_TRACE(name);
    boot();
    runInstall();
    EXPECT_EQ(diskTree(), installedTree("/ProgramFiles/Vantero.tap"));
    expectPayloadsIntact("/ProgramFiles/Vantero.tap");
    EXPECT_TRUE(sim->isRunning("/ProgramFiles/Vantero.tap"));
  }

  void linkInstallerAndFonts() {
    fs::create_hard_link(TAP_Vantero_Setup, disk(kInstallerBoxPath));
    for (const Payload &p : payloads()) {
      if (p.boxPath.rfind("/ProgramFiles/Settings/Fonts/", 0) != 0) continue;
      fs::create_directories(fs::path(disk(p.boxPath)).parent_path());
      fs::create_hard_link(p.hostFile, disk(p.boxPath));
    }
  }

  StepMarks reference() {
    StepMarks marks;
    useFreshDisk(base_ + "/reference");
    runInstall(&marks);
    return marks;
  }

  void SetUp() override {
    Scenario::SetUp();
    base_ = root;
  }
  std::string base_;
};

// One cut per case: after a step, or after some bytes into a payload.
struct CutPoint {
  std::string name;
  int afterStep;    // -1: cut by bytes
  int duringStep;   // the step whose writing is cut
  double fraction;  // how far into that step's bytes
};

class HealAt : public Heal, public ::testing::WithParamInterface<CutPoint> {};

TEST_P(HealAt, NextInstallCompletesTheDisk) {
  const CutPoint &cut = GetParam();
  StepMarks marks = reference();
  if (cut.afterStep >= 0) {
    cutInstall(cut.name, marks.doneTick[cut.afterStep], std::nullopt);
  } else {
    uint64_t from = marks.bytesBefore[cut.duringStep], to = marks.bytesAfter[cut.duringStep];
    cutInstall(cut.name, std::nullopt, from + uint64_t(double(to - from) * cut.fraction));
  }
  expectHealed(cut.name);
}

std::vector<CutPoint> cutPoints() {
  std::vector<CutPoint> cuts;
  for (int step = 0; step < kInstallSteps - 1; step++)
    cuts.push_back({"after_step_" + std::to_string(step), step, -1, 0});
  // Step 0 writes the ten fonts (the first is about a twentieth of them),
  // step 1 the language file, 4 wget, 5 busybox, 6 the manager.
  cuts.push_back({"first_font", -1, 0, 0.02});
  cuts.push_back({"later_font", -1, 0, 0.75});
  cuts.push_back({"language", -1, 1, 0.5});
  cuts.push_back({"wget", -1, 4, 0.5});
  cuts.push_back({"busybox", -1, 5, 0.5});
  cuts.push_back({"manager", -1, 6, 0.5});
  return cuts;
}

INSTANTIATE_TEST_SUITE_P(PowerCut, HealAt, ::testing::ValuesIn(cutPoints()),
                         [](const ::testing::TestParamInfo<CutPoint> &info) { return info.param.name; });

// A repair keeps the manager where it was found until the new file replaces
// it: a power cut at any tick of IT_Repair or IT_RepairComplete leaves a
// whole manager (old or new) in AutoStart and nowhere else, and the next
// repair puts the new one there.
constexpr dword kRepairSweepTicks = 62;  // more than either repair takes (60 and 59 ticks)
constexpr char kManager[] = "/ProgramFiles/AutoStart/Vantero.tap";

struct RepairCut {
  dword task;
  dword tick;
};

class RepairCutAt : public Heal, public ::testing::WithParamInterface<RepairCut> {
 protected:
  // The manager installed in AutoStart and running, with the files a repair
  // keeps; the installer's file and the fonts are linked in rather than
  // copied (neither is written).
  void prepareDisk() {
    useFreshDisk(base_ + "/disk");
    linkInstallerAndFonts();
    writeFile(kManager, managerPayload() + "older");
    writeFile("/ProgramFiles/wget", "wget");
    writeFile("/ProgramFiles/busybox", "busybox");
    writeFile("/ProgramFiles/Settings/Vantero/5C3E1A20_Installed.vpd", "marker");
  }
  // Boots, lets AutoStart start the manager and runs the repair to its end.
  void runRepair(dword task) {
    ASSERT_EQ(sim->bootAutoStart(), 1);
    startInstaller(task);
    ASSERT_TRUE(runToEnd());
  }
};

TEST_P(RepairCutAt, KeepsTheManagerInItsPlace) {
  const RepairCut &cut = GetParam();
  prepareDisk();
  sim.reset();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    boot(cut.tick);
    runRepair(cut.task);
    _exit(HasFatalFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  // Exit status 0: the repair ended before the tick of the cut.
  ASSERT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == pvrsim::kPowerCutExitStatus)
      << WEXITSTATUS(status);

  std::string left = readFile(kManager);
  EXPECT_TRUE(left == managerPayload() || left == managerPayload() + "older")
      << "the manager after the cut has " << left.size() << " bytes";
  EXPECT_FALSE(exists("/ProgramFiles/Vantero.tap"));

  boot();
  fs::remove(disk(kLogBoxPath));
  runRepair(cut.task);
  auto l = log();
  EXPECT_NE(std::find(l.begin(), l.end(), "Installing TAP to /ProgramFiles/AutoStart/Vantero.tap"), l.end());
  EXPECT_EQ(readFile(kManager), managerPayload());
  EXPECT_FALSE(exists("/ProgramFiles/Vantero.tap"));
  EXPECT_FALSE(exists(std::string(kManager) + ".tmp"));
  EXPECT_TRUE(sim->isRunning(kManager));
}

// The sweep covers every tick: each repair ends within it.
TEST_F(Heal, RepairsEndWithinTheSweep) {
  for (dword task : {kRepair, kRepairComplete}) {
    useFreshDisk(base_ + "/sweep" + std::to_string(task));
    linkInstallerAndFonts();
    writeFile(kManager, managerPayload());
    ASSERT_EQ(sim->bootAutoStart(), 1);
    startInstaller(task);
    ASSERT_TRUE(runToEnd());
    EXPECT_LT(sim->now(), kRepairSweepTicks) << "task " << task;
  }
}

std::vector<RepairCut> repairCuts() {
  std::vector<RepairCut> cuts;
  for (dword task : {kRepair, kRepairComplete})
    for (dword tick = 1; tick <= kRepairSweepTicks; tick++) cuts.push_back({task, tick});
  return cuts;
}

INSTANTIATE_TEST_SUITE_P(PowerCut, RepairCutAt, ::testing::ValuesIn(repairCuts()),
                         [](const ::testing::TestParamInfo<RepairCut> &info) {
                           return std::string(info.param.task == kRepair ? "IT_Repair"
                                                                         : "IT_RepairComplete") +
                                  "_tick_" + std::to_string(info.param.tick);
                         });

}  // namespace
}  // namespace installer_test
