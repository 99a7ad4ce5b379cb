// ManagerScenarioTest.cpp - the manager TAP in pvrsim on a prepared disk: two package files made with
// vdtool, three installed TAPs (one an older version, one revoked, one
// without a package).  The manager starts in the background, the menu key
// opens the overview, and keys walk through the version list, the release
// notes, the options and the password box; a password unlocks an alpha
// version.  Every screen is compared with its golden image.
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>

#include "Golden.h"
#include "ManagerSim.h"
#include "osd/Osd.h"

namespace manager_test {
namespace {

class ManagerScenario : public ManagerSim {
 protected:
  void SetUp() override {
    pvrsim::osd::reset();
    ManagerSim::SetUp();
    ASSERT_TRUE(installStandardFonts());
    ASSERT_TRUE(sim->copyToDisk(std::string(BINARY_DIR) + "/payloads/files/Vantero.lng", SettingsDir + "/"));
    putTap("/ProgramFiles/AutoStart/Alpha.tap", AlphaId, "alpha");
    putTap("/ProgramFiles/Beta.tap", BetaId, "beta");
    putTap("/ProgramFiles/Gamma.tap", GammaId, "gamma");
    makePackage("alpha.json", AlphaPackage(crcOf("/ProgramFiles/AutoStart/Alpha.tap")), "A1000001.vpd");
    makePackage("beta.json", BetaPackage(crcOf("/ProgramFiles/Beta.tap")), "B2000002.vpd");
    // Folders enough to grow the scans' folder sets: the memory check at the end covers them.
    for (int i = 0; i < 40; i++) makeFolder("/ProgramFiles/Empty/" + std::to_string(i));
    slot = startTap(TAP_VanteroManager, "/ProgramFiles/Vantero.tap");
    ASSERT_GE(slot, 0);
    sim->runTicks(10);
  }

  // Writes the JSON, runs "vdtool make-vpd" on it and puts the file into the settings folder.
  void makePackage(const std::string &json, const std::string &content, const std::string &vpd) {
    std::ofstream(root + "/" + json) << content;
    std::string command =
        "cd '" + root + "' && " + VDTOOL_COMMAND + " make-vpd " + json + " " + vpd + " >/dev/null";
    pid_t pid = 0;
    const char *argv[] = {"sh", "-c", command.c_str(), nullptr};
    int status = -1;
    ASSERT_EQ(0, posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ));
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_EQ(0, status) << command;
    writeFile(SettingsDir + "/" + vpd, readHostFile(root + "/" + vpd));
  }

  template <typename T>
  T &Var(const char *name) {
    void *p = dlsym(sim->tapHandle(slot), name);
    EXPECT_NE(p, nullptr) << name;
    static T none{};
    return p ? *static_cast<T *>(p) : none;
  }
  tMenuLevel &Level(int level) { return Var<tMenuLevel[MENU_LEVELS]>("Menu")[level]; }
  int CurrentItem() { return Level(Var<int>("CurrentMenuLevel")).CurrentItem; }
  std::string Row(int level, int item) {
    const tMenuItem &i = Level(level).Items[item];
    return std::string(i.Text) + " | " + i.Value;
  }
  void Press(const std::vector<dword> &keys) {
    for (dword key : keys) {
      sim->scheduleKey(sim->now() + 1, key);
      sim->runTicks(30);
    }
  }
  void MoveTo(int item) {
    for (int i = 0; i < 40 && CurrentItem() != item; i++)
      Press({dword(CurrentItem() < item ? RKEY_Down : RKEY_Up)});
    ASSERT_EQ(item, CurrentItem());
  }
  void ExpectScreen(const std::string &name) {
    EXPECT_TRUE(osdtest::MatchesGolden(name, pvrsim::osd::visibleScreen(), "tests/manager/golden"));
  }

  int slot = -1;
};

TEST_F(ManagerScenario, OverviewVersionsNotesOptionsAndAPasswordThatUnlocksAnAlphaVersion) {
  std::vector<std::string> log = takeLog();
  for (const char *line : {"Launching Vantero V2.1", "Settings file not found, using default values",
                           "Added 'Alpha Tool' (a1000001) to the master list",
                           "Added 'Beta Recorder' (b2000002) to the master list", "TAPCache.bin not found",
                           "5 TAP versions in TAPCache", "2 TAPs in the master list, 4 TAPs on the disk"})
    EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << "missing log line: " << line;
  EXPECT_EQ(0, pvrsim::osd::regionCount()) << "the manager starts in the background";
  // Five records: 76 bytes each, three with "Alpha Tool", two with "Beta Recorder", versions of 3 bytes.
  EXPECT_EQ(5 * 76u + 3 * 10 + 2 * 13 + 5 * 3, readFile(SettingsDir + "/TAPCache.bin").size());

  Press({RKEY_Menu});
  ASSERT_EQ(MS_Overview, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  EXPECT_EQ("Alpha Tool | 1.0 -> 1.1  update", Row(0, 0));
  EXPECT_EQ("Beta Recorder | 2.1  revoked", Row(0, 1));
  EXPECT_EQ(4, Level(0).NrItems) << "Gamma has no package; then the options and the password";
  ExpectScreen("manager_overview");

  Press({RKEY_Ok});
  EXPECT_EQ("1.1 | final, new", Row(1, 0));
  EXPECT_EQ("1.0 | final, installed (AutoStart)", Row(1, 1));
  EXPECT_EQ(2, Level(1).NrItems) << "the alpha version stays hidden";
  ExpectScreen("manager_versions");
  Press({RKEY_Ok});
  EXPECT_EQ(MD_Memo, Level(2).DisplayMode);
  ExpectScreen("manager_release_notes");
  Press({RKEY_Exit, RKEY_Down, RKEY_Exit});
  EXPECT_EQ(0, Var<int>("CurrentMenuLevel"));
  EXPECT_EQ(0, CurrentItem()) << "back on the TAP whose versions were shown";

  MoveTo(2);
  Press({RKEY_Ok, RKEY_Right, RKEY_Down, RKEY_Down, RKEY_Down, RKEY_Right, RKEY_Right});
  EXPECT_TRUE(Var<tSettings>("Settings").BetaVersions);
  EXPECT_EQ(20u, Var<tSettings>("Settings").StartupDelay);
  ExpectScreen("manager_options");
  Press({RKEY_Down, RKEY_Left});  // the grouping wraps from its first value to its last
  EXPECT_EQ(OWM_Deactivated, Var<tSettings>("Settings").OverviewWindowMode);
  Press({RKEY_Right, RKEY_Up});
  Press({RKEY_Up, RKEY_Up, RKEY_Up, RKEY_Left, RKEY_Exit});
  EXPECT_FALSE(Var<tSettings>("Settings").BetaVersions);

  MoveTo(3);
  Press({RKEY_Ok, RKEY_4, RKEY_7, RKEY_1, RKEY_9, RKEY_Recall, RKEY_1});
  EXPECT_STREQ("4711", Var<char[INPUTBOX_MAX_DIGITS + 1]>("InputText"));
  ExpectScreen("manager_password");
  Press({RKEY_Ok});
  ASSERT_EQ(1, Var<tSettings>("Settings").NrOfAlphaPasswords);
  EXPECT_EQ(4711u, Var<tSettings>("Settings").AlphaPasswords[0]);
  EXPECT_TRUE(Var<bool>("FlagDoServerQuery"));
  EXPECT_EQ(0, Var<word>("InputRgn"));
  EXPECT_EQ(MS_Overview, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  EXPECT_EQ("Alpha Tool | 1.0 -> 1.2  update", Row(0, 0)) << "the password unlocked version 1.2";

  // The stop event, as the installer sends it: settings saved, nothing left.
  ASSERT_GE(sim->adoptCaller("/ProgramFiles"), 0);
  EXPECT_TRUE(StopTAP(VANTERO_TAPID));
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_EQ(0, pvrsim::osd::regionCount());
  sim->tick();  // the ended TAP is unloaded, and what it still holds counted, at the next tick
  EXPECT_EQ(0u, sim->blocksTakenBack()) << "the manager ended holding memory";
  ASSERT_TRUE(SettingsLoad());
  ASSERT_EQ(1, Settings.NrOfAlphaPasswords);
  EXPECT_EQ(4711u, Settings.AlphaPasswords[0]);
  EXPECT_EQ(20u, Settings.StartupDelay);
  EXPECT_EQ(2, Settings.NrOfMasterListEntries);
}

// Started once more while it runs, the manager shows its menu in the running copy.
TEST_F(ManagerScenario, StartedAgainItShowsItsMenu) {
  int again = sim->startTap("/ProgramFiles/Vantero.tap");
  sim->runTicks(10);
  EXPECT_FALSE(again >= 0 && sim->isRunning(again) && again != slot) << "the second copy ended";
  EXPECT_TRUE(sim->isRunning(slot));
  EXPECT_EQ(MS_Overview, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  Press({RKEY_Exit});
  EXPECT_EQ(MS_Inactive, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  EXPECT_EQ(0, pvrsim::osd::regionCount());
  EXPECT_TRUE(sim->normalMode());
}

}  // namespace
}  // namespace manager_test
