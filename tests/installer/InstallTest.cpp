// InstallTest.cpp - IT_Install end to end in pvrsim: the AutoStart question answered each way,
// a manager already on the disk, and the step lines however long the
// question stays open.
#include "InstallerScenario.h"

namespace installer_test {
namespace {

class Install : public Scenario {
 protected:
  // Runs IT_Install up to the question, keeps it open for a while, answers
  // with the keys given and runs to the end.
  void installAnswering(std::vector<dword> keys, std::optional<dword> param = std::nullopt) {
    startInstaller(param);
    ASSERT_TRUE(runUntilLogHas("  IT_Install step 2"));
    sim->runTicks(500);  // the question stays open
    ASSERT_TRUE(installerRunning());
    for (dword k : keys) pressKey(k);
    ASSERT_TRUE(runToEnd());
  }

  static std::vector<std::string> expectedLog(std::optional<dword> param, int answer,
                                              const std::string &manager) {
    std::vector<std::string> l = installStart(param);
    append(l, {"  IT_Install step 0", "  IT_Install step 1", "  IT_Install step 2",
               "Selected AutoStartMode = " + std::to_string(answer), "  IT_Install step 3",
               "TAP 0x5c3e1a20 is not running", "  IT_Install step 4", "  IT_Install step 5",
               "  IT_Install step 6", "Installing TAP to " + manager, "  IT_Install step 7",
               "  IT_Install step 8", "Launching Vantero V2.1", "  IT_Install step 9"});
    return l;
  }

  void expectInstalled(const std::string &manager) {
    EXPECT_EQ(diskTree(), installedTree(manager));
    expectPayloadsIntact(manager);
    EXPECT_TRUE(sim->isRunning(manager)) << manager << " does not run";
    EXPECT_EQ(sim->tapCount(), 1);
    EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
    EXPECT_EQ(pvrsim::osd::regionCount(), 0) << "the installer left regions behind";
    EXPECT_TRUE(sim->normalMode());
  }
};

TEST_F(Install, AnsweredNoInstallsIntoProgramFiles) {
  installAnswering({RKEY_Ok});
  EXPECT_EQ(log(), expectedLog(std::nullopt, 0, "/ProgramFiles/Vantero.tap"));
  expectInstalled("/ProgramFiles/Vantero.tap");
}

TEST_F(Install, AnsweredYesInstallsIntoAutoStart) {
  installAnswering({RKEY_Left, RKEY_Ok}, dword(kInstall));
  EXPECT_EQ(log(), expectedLog(dword(kInstall), 1, "/ProgramFiles/AutoStart/Vantero.tap"));
  expectInstalled("/ProgramFiles/AutoStart/Vantero.tap");
}

TEST_F(Install, CancelledCountsAsAutoStart) {
  installAnswering({RKEY_Right, RKEY_Exit});  // moving the highlight first changes nothing
  EXPECT_EQ(log(), expectedLog(std::nullopt, 2, "/ProgramFiles/AutoStart/Vantero.tap"));
  expectInstalled("/ProgramFiles/AutoStart/Vantero.tap");
}

TEST_F(Install, ManagerInXStartIsUpdatedInPlaceWithoutQuestion) {
  // An older manager under a name of its own, running.
  writeFile("/ProgramFiles/XStart/MyManager.tap", managerPayload());
  boot();
  ASSERT_GE(sim->startTap("/ProgramFiles/XStart/MyManager.tap"), 0) << sim->lastError();
  std::string older = managerPayload() + std::string(1000, 'x');  // differs from the payload
  writeFile("/ProgramFiles/XStart/MyManager.tap", older);

  startInstaller(dword(kInstall));
  ASSERT_TRUE(runToEnd());
  std::vector<std::string> l = {"Launching Vantero V2.1"};
  append(l, installStart(dword(kInstall)));
  append(l, {"  IT_Install step 0", "  IT_Install step 1", "  IT_Install step 3", "Trying to stop 0x5c3e1a20",
             "Successful via EVT_STOP", "  IT_Install step 4", "  IT_Install step 5", "  IT_Install step 6",
             "Installing TAP to /ProgramFiles/XStart/MyManager.tap", "  IT_Install step 7",
             "  IT_Install step 8", "Launching Vantero V2.1", "  IT_Install step 9"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(diskTree(), installedTree("/ProgramFiles/XStart/MyManager.tap"));
  expectPayloadsIntact("/ProgramFiles/XStart/MyManager.tap");
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/XStart/MyManager.tap"));
  EXPECT_EQ(sim->tapCount(), 1);
}

TEST_F(Install, SecondInstallFindsTheFirstAndAsksNothing) {
  installAnswering({RKEY_Ok});
  boot();
  writeFile("/ProgramFiles/wget", "old wget");  // present programs stay as they are
  std::remove(disk(kLogBoxPath).c_str());
  startInstaller(dword(kInstall));
  ASSERT_TRUE(runToEnd());
  EXPECT_EQ(log()[5], "  IT_Install step 3");
  EXPECT_EQ(readFile("/ProgramFiles/wget"), "old wget");
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/Vantero.tap"));
}

}  // namespace
}  // namespace installer_test
