// TasksTest.cpp - the installer's other tasks end to end in pvrsim: repair, uninstall,
// moving the manager in and out of AutoStart, the tasks without work, and
// what happens to keys.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "HostTree.h"
#include "InstallerScenario.h"

namespace installer_test {
namespace {

constexpr char kMarker[] = "/ProgramFiles/Settings/Vantero/5C3E1A20_Installed.vpd";
constexpr char kSettings[] = "/ProgramFiles/Settings/Vantero/";

class Tasks : public Scenario {
 protected:
  // The disk after an install answered "No" (or "Yes") with the manager's
  // installed marker, then a new boot with an empty log.
  void installed(bool autoStart = false) {
    startInstaller();
    ASSERT_TRUE(runUntilLogHas("  IT_Install step 2"));
    if (autoStart) pressKey(RKEY_Left);
    pressKey(RKEY_Ok);
    ASSERT_TRUE(runToEnd());
    writeFile(kMarker, "marker");
    boot();
    fs::remove(disk(kLogBoxPath));
  }

  void startManager(const std::string &path) { ASSERT_GE(sim->startTap(path), 0) << sim->lastError(); }

  // A text of the installer while it runs, from its own language table.
  std::string installerText(dword nr) {
    int slot = sim->slotOf(kInstallerBoxPath);
    if (slot < 0) return "<installer not running>";
    auto get = reinterpret_cast<char *(*)(dword)>(dlsym(sim->tapHandle(slot), "LangGetString"));
    return get ? get(nr) : "<no LangGetString>";
  }

  static std::vector<std::string> startLines(const char *task) {
    return {"Launching Vantero Setup V2.1", "SysID=22010, Firmware=0x1225",
            std::string("Setup parameter ") + task};
  }

  static std::set<std::string> without(std::set<std::string> tree, std::initializer_list<std::string> gone) {
    for (const std::string &g : gone) tree.erase(g);
    return tree;
  }
};

TEST_F(Tasks, RepairRewritesInPlaceAndDeletesTheMarker) {
  installed();
  fs::remove(disk("/ProgramFiles/Settings/Fonts/Calibri_10.ufnt"));  // fonts are not repaired
  fs::remove(disk("/ProgramFiles/busybox"));
  writeFile("/ProgramFiles/Vantero.tap", managerPayload() + "older");
  startManager("/ProgramFiles/Vantero.tap");
  startInstaller(kRepair);
  ASSERT_TRUE(runToEnd());

  std::vector<std::string> l = {"Launching Vantero V2.1"};
  append(l, startLines("IT_Repair"));
  append(l, {"  IT_Repair step 0", "Trying to stop 0x5c3e1a20", "Successful via EVT_STOP",
             "  IT_Repair step 1", "  IT_Repair step 2", "  IT_Repair step 3", "  IT_Repair step 4",
             "  IT_Repair step 5", "Installing TAP to /ProgramFiles/Vantero.tap", "  IT_Repair step 6",
             "  IT_Repair step 7", "Launching Vantero V2.1", "  IT_Repair step 8"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(diskTree(), without(installedTree("/ProgramFiles/Vantero.tap"),
                                {"/ProgramFiles/Settings/Fonts/Calibri_10.ufnt"}));
  EXPECT_EQ(readFile("/ProgramFiles/Vantero.tap"), managerPayload());
  EXPECT_EQ(readFile("/ProgramFiles/busybox"), readHostFile(payloads()[2].hostFile));
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/Vantero.tap"));
  EXPECT_EQ(sim->tapCount(), 1);
}

TEST_F(Tasks, RepairCompleteDeletesTheLogAndKeepsTheMarker) {
  installed(true);
  writeFile(kLogBoxPath, "old lines\r\n");
  startInstaller(kRepairComplete);
  ASSERT_TRUE(runToEnd());
  // The log went in step 1; what follows starts a new one.
  EXPECT_EQ(log(),
            std::vector<std::string>(
                {"  IT_RepairComplete step 2", "  IT_RepairComplete step 3", "  IT_RepairComplete step 4",
                 "  IT_RepairComplete step 5", "Installing TAP to /ProgramFiles/AutoStart/Vantero.tap",
                 "  IT_RepairComplete step 6", "Launching Vantero V2.1", "  IT_RepairComplete step 7"}));
  EXPECT_EQ(diskTree(), installedTree("/ProgramFiles/AutoStart/Vantero.tap", {kMarker}));
  expectPayloadsIntact("/ProgramFiles/AutoStart/Vantero.tap");
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/AutoStart/Vantero.tap"));
}

TEST_F(Tasks, RepairRestoresATruncatedOrDeletedManager) {
  installed();
  for (bool truncate : {true, false}) {
    SCOPED_TRACE(truncate ? "truncated" : "deleted");
    boot();
    fs::remove(disk(kLogBoxPath));
    if (truncate)
      writeFile("/ProgramFiles/Vantero.tap", managerPayload().substr(0, 5000));
    else
      fs::remove(disk("/ProgramFiles/Vantero.tap"));
    startInstaller(kRepair);
    ASSERT_TRUE(runToEnd());
    auto l = log();
    EXPECT_NE(std::find(l.begin(), l.end(), "Vantero not found, installing it as /ProgramFiles/Vantero.tap"),
              l.end());
    EXPECT_NE(std::find(l.begin(), l.end(), "Installing TAP to /ProgramFiles/Vantero.tap"), l.end());
    EXPECT_EQ(diskTree(), installedTree("/ProgramFiles/Vantero.tap"));
    expectPayloadsIntact("/ProgramFiles/Vantero.tap");
    EXPECT_TRUE(sim->isRunning("/ProgramFiles/Vantero.tap"));
  }
}

// A disk too full for the new manager: the old one stays where it starts
// from, and the log says what was not written and that the repair failed.
TEST_F(Tasks, RepairOnAFullDiskKeepsTheManager) {
  installed(true);
  std::string older = managerPayload() + "older";
  writeFile("/ProgramFiles/AutoStart/Vantero.tap", older);
  uint64_t language = fs::file_size(payloads()[3].hostFile);
  bootOptions = [language](pvrsim::Options &o) { o.diskFullAfterBytes = language + 1000; };
  boot();
  fs::remove(disk(kLogBoxPath));
  startInstaller(kRepair);
  ASSERT_TRUE(runToEnd());
  EXPECT_EQ(readFile("/ProgramFiles/AutoStart/Vantero.tap"), older);
  EXPECT_FALSE(exists("/ProgramFiles/AutoStart/Vantero.tap.tmp"));
  auto l = log();
  std::string failed = "  Failed to write /ProgramFiles/AutoStart/Vantero.tap: only 1000 of " +
                       std::to_string(managerPayload().size()) + " bytes written";
  EXPECT_NE(std::find(l.begin(), l.end(), failed), l.end());
  EXPECT_EQ(l.back(), "Failed to complete IT_Repair (payload files not written: 1)");
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/AutoStart/Vantero.tap"));  // the old one
}

// A manager in a folder too long to name with "/mnt/hd" in front: the
// repair leaves it alone rather than write a second manager elsewhere.
TEST_F(Tasks, RepairOfAManagerInAFolderTooLongToNameWritesNoSecondOne) {
  installed();
  std::string folder = "/ProgramFiles";
  for (char c : std::string("abcde")) folder += "/" + std::string(98, c);  // 508 bytes
  fs::create_directories(disk(folder));
  fs::rename(disk("/ProgramFiles/Vantero.tap"), disk(folder + "/Vantero.tap"));
  startInstaller(kRepair);
  ASSERT_TRUE(runToEnd());
  int managers = 0;
  for (const std::string &f : diskTree())
    managers += f.size() >= 11 && f.substr(f.size() - 11) == "Vantero.tap";
  EXPECT_EQ(managers, 1);
  EXPECT_EQ(readFile(folder + "/Vantero.tap"), managerPayload());
  auto l = log();
  EXPECT_NE(std::find(l.begin(), l.end(), "  Vantero not found, 1 paths too long to search"), l.end());
}

// The language file cannot be written: the texts come from the installer's own copy.
TEST_F(Tasks, TextsShowWhenTheLanguageFileCannotBeWritten) {
  installed();
  fs::remove(disk(std::string(kSettings) + "Vantero.lng"));
  bootOptions = [](pvrsim::Options &o) { o.diskFullAfterBytes = 100; };
  boot();
  startInstaller(kRepair);
  sim->tick();  // step 0
  EXPECT_FALSE(exists(std::string(kSettings) + "Vantero.lng"));
  EXPECT_EQ(installerText(78), "Stopping Vantero");
}

TEST_F(Tasks, UninstallRemovesTheManagerAndItsMarker) {
  installed();
  startManager("/ProgramFiles/Vantero.tap");
  startInstaller(kUninstall);
  sim->tick();                                       // step 0
  EXPECT_EQ(installerText(78), "Stopping Vantero");  // the texts come from the settings folder
  ASSERT_TRUE(runToEnd());
  std::vector<std::string> l = {"Launching Vantero V2.1"};
  append(l, startLines("IT_Uninstall"));
  append(l, {"  IT_Uninstall step 0", "Trying to stop 0x5c3e1a20", "Successful via EVT_STOP",
             "  IT_Uninstall step 1", "  IT_Uninstall step 2", "  IT_Uninstall step 3"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(diskTree(), without(installedTree("/ProgramFiles/Vantero.tap"), {"/ProgramFiles/Vantero.tap"}));
  EXPECT_EQ(sim->tapCount(), 0);
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
}

TEST_F(Tasks, UninstallCompleteLeavesNoSettingsAndNoLog) {
  installed(true);
  ASSERT_EQ(sim->bootAutoStart(), 1);
  startInstaller(kUninstallComplete);
  sim->tick();
  EXPECT_EQ(installerText(25), "Uninstall");
  ASSERT_TRUE(runToEnd());
  std::set<std::string> tree = diskTree();
  for (const std::string &f : tree) EXPECT_EQ(f.find("Vantero.log"), std::string::npos) << f;
  std::set<std::string> expected;
  for (const std::string &f : installedTree("/ProgramFiles/AutoStart/Vantero.tap"))
    if (f.rfind(kSettings, 0) != 0) expected.insert(f);
  expected.erase("/ProgramFiles/AutoStart/Vantero.tap");
  EXPECT_EQ(tree, expected);
  EXPECT_EQ(sim->tapCount(), 0);
  // The last steps still reach the console.
  std::string console = sim->consoleText();
  EXPECT_NE(console.find("IT_UninstallComplete step 2"), std::string::npos);
  EXPECT_NE(console.find("IT_UninstallComplete step 3"), std::string::npos);
}

TEST_F(Tasks, AutoStartMovesIntoAutoStartAndLaunches) {
  installed();
  startInstaller(kAutoStart);
  ASSERT_TRUE(runToEnd());
  std::vector<std::string> l = startLines("IT_AutoStart");
  append(l, {"  IT_AutoStart step 0", "  IT_AutoStart step 1", "TAP 0x5c3e1a20 is not running",
             "  IT_AutoStart step 2", "  IT_AutoStart step 3", "Launching Vantero V2.1"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(diskTree(), installedTree("/ProgramFiles/AutoStart/Vantero.tap", {kMarker}));
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/AutoStart/Vantero.tap"));
}

TEST_F(Tasks, AutoStartMovesOutOfAutoStartWithoutLaunch) {
  installed(true);
  EXPECT_EQ(sim->bootAutoStart(), 1);  // the box starts the manager from AutoStart
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/AutoStart/Vantero.tap"));
  startInstaller(kAutoStart);
  ASSERT_TRUE(runToEnd());
  std::vector<std::string> l = {"Launching Vantero V2.1"};
  append(l, startLines("IT_AutoStart"));
  append(l, {"  IT_AutoStart step 0", "  IT_AutoStart step 1", "Trying to stop 0x5c3e1a20",
             "Successful via EVT_STOP", "  IT_AutoStart step 2", "  IT_AutoStart step 3"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(diskTree(), installedTree("/ProgramFiles/Vantero.tap", {kMarker}));
  EXPECT_EQ(sim->tapCount(), 0);
}

TEST_F(Tasks, AutoStartFromAnotherFolderGoesToAutoStart) {
  writeFile("/ProgramFiles/Tools/Mine.tap", managerPayload());
  startInstaller(kAutoStart);
  ASSERT_TRUE(runToEnd());
  EXPECT_TRUE(exists("/ProgramFiles/AutoStart/Mine.tap"));
  EXPECT_FALSE(exists("/ProgramFiles/Tools/Mine.tap"));
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/AutoStart/Mine.tap"));
}

// A different TAP of the same name in AutoStart is never replaced: the
// move fails as a rename does, and the manager stays where it was.
TEST_F(Tasks, AutoStartNeverMovesOverAnotherTap) {
  installed();
  writeFile("/ProgramFiles/AutoStart/Vantero.tap", "another TAP");
  startInstaller(kAutoStart);
  ASSERT_TRUE(runToEnd());
  EXPECT_EQ(readFile("/ProgramFiles/AutoStart/Vantero.tap"), "another TAP");
  EXPECT_EQ(readFile("/ProgramFiles/Vantero.tap"), managerPayload());
  std::vector<std::string> l = startLines("IT_AutoStart");
  append(l, {"  IT_AutoStart step 0", "  IT_AutoStart step 1", "TAP 0x5c3e1a20 is not running",
             "  IT_AutoStart step 2",
             "  rename(/mnt/hd/ProgramFiles/Vantero.tap, /mnt/hd/ProgramFiles/AutoStart/Vantero.tap) = 0x11",
             "  IT_AutoStart step 3"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(sim->tapCount(), 0);  // it stays in /ProgramFiles, which is not started
}

TEST_F(Tasks, AutoStartWithoutManagerShowsNotFoundForThreeSeconds) {
  installed();
  fs::remove(disk("/ProgramFiles/Vantero.tap"));
  std::string frames = root + "/frames";
  ASSERT_TRUE(pvrsim::osd::setFramesFolder(frames));
  startInstaller(kAutoStart);
  dword started = sim->now();
  ASSERT_TRUE(runToEnd());
  EXPECT_GE(sim->now() - started, 300u);
  std::vector<std::string> l = startLines("IT_AutoStart");
  append(l, {"  IT_AutoStart step 0", "Failed to locate 'Vantero.tap' (5c3e1a20)"});
  EXPECT_EQ(log(), l);
  EXPECT_EQ(sim->tapCount(), 0);
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);

  // The notice stays on screen 300 ticks before the box goes.
  pvrsim::osd::Image notice, gone;
  unsigned long ticks = 0;
  ASSERT_NO_FATAL_FAILURE(lastTwoFrames(frames, notice, gone, ticks));
  EXPECT_EQ(ticks, 300u);
  int changed = 0;
  for (int y = 193; y < 383; y++)
    for (int x = 170; x < 550; x++) changed += notice.at(x, y) != gone.at(x, y);
  EXPECT_GT(changed, 380 * 190 / 2) << "no box on screen before the end";
}

// A disk whose links lead into a host folder: every task runs, and no file
// of that folder (nor the folder) changes.  Before, fonts, the language file
// and the log were written there, chmod changed a file there, IT_AutoStart
// moved the manager there and IT_UninstallComplete deleted a user's folder.
TEST_F(Tasks, HostileLinksLeaveTheHostAlone) {
  const std::string host = root + "/host";
  for (const char *file :
       {"/secret.txt", "/fonts/Arial_12B.ufnt", "/settings/user.txt", "/autostart/Other.tap", "/wget"})
    writeHostFile(host + file, std::string("host file ") + file);
  fs::create_directories(host + "/empty");
  host_tree::makeLink(host + "/fonts", disk("/ProgramFiles/Settings/Fonts"));
  host_tree::makeLink(host + "/settings", disk("/ProgramFiles/Settings/Vantero"));
  host_tree::makeLink(host + "/wget", disk("/ProgramFiles/wget"));
  host_tree::makeLink(host + "/autostart", disk("/ProgramFiles/AutoStart"));
  host_tree::makeLink("../../..", disk("/ProgramFiles/Tools/up"));  // climbs out of the disk
  const host_tree::Tree before = host_tree::record(host);

  auto run = [this](std::optional<dword> task, std::vector<dword> keys = {}) {
    boot();
    EXPECT_EQ(sim->bootAutoStart(), 0);
    startInstaller(task);
    for (dword key : keys) {
      sim->runTicks(5);
      pressKey(key);
    }
    EXPECT_TRUE(runToEnd());
  };
  run(std::nullopt, {RKEY_Ok});  // "No": the manager into /ProgramFiles
  EXPECT_EQ(readFile("/ProgramFiles/Vantero.tap"), managerPayload());
  run(dword(kRepair));
  run(dword(kAutoStart));
  EXPECT_TRUE(exists("/ProgramFiles/Vantero.tap"));  // AutoStart leads nowhere: it stays
  run(dword(kUninstallComplete));
  EXPECT_FALSE(fs::is_symlink(disk("/ProgramFiles/Settings/Vantero")));  // rm -r took the link only
  EXPECT_EQ(host_tree::record(host), before);
}

// Links that lead back up ("ln -s . a; ln -s . b") made the search for the
// manager endless; the install completes.  A child process runs it, so that
// a search without end fails the test when its alarm rings.
TEST_F(Tasks, LinkLoopsDoNotStopTheInstall) {
  host_tree::makeLink(".", disk("/ProgramFiles/a"));
  host_tree::makeLink(".", disk("/ProgramFiles/b"));
  host_tree::makeLink("..", disk("/ProgramFiles/Tools/c"));
  sim.reset();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    alarm(120);
    boot();
    startInstaller();
    EXPECT_TRUE(runUntilLogHas("  IT_Install step 2"));
    pressKey(RKEY_Ok);
    EXPECT_TRUE(runToEnd());
    _exit(HasFailure() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the install did not end (signal " << WTERMSIG(status) << ")";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  boot();
  EXPECT_EQ(readFile("/ProgramFiles/Vantero.tap"), managerPayload());
  auto l = log();
  EXPECT_EQ(l.back(), "  IT_Install step 9");
}

TEST_F(Tasks, BackupAndRestoreEndAtOnce) {
  for (dword task : {kBackup, kRestore}) {
    boot();
    fs::remove(disk(kLogBoxPath));
    startInstaller(task);
    EXPECT_TRUE(installerRunning());
    sim->tick();
    EXPECT_FALSE(installerRunning());
    EXPECT_EQ(log(),
              std::vector<std::string>({"Launching Vantero Setup V2.1", "SysID=22010, Firmware=0x1225"}));
  }
  EXPECT_EQ(diskTree(), std::set<std::string>({"/ProgramFiles/", "/ProgramFiles/Settings/", kSettings,
                                               kLogBoxPath, kInstallerBoxPath}));
}

// Any value is a task: those without work keep the installer resident, and
// keys pass through to the firmware.
TEST_F(Tasks, TasksWithoutWorkStayResidentAndPassKeys) {
  for (dword task : {dword(kInstallSelf), dword(kError), 10u, 11u, 16u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(task);
    boot();
    fs::remove(disk(kLogBoxPath));
    startInstaller(task);
    sim->runTicks(1000);
    EXPECT_TRUE(installerRunning());
    pressKey(RKEY_Ok);
    ASSERT_FALSE(sim->returnedKeys().empty());
    EXPECT_EQ(sim->returnedKeys().back().code, dword(RKEY_Ok));
    EXPECT_EQ(log(),
              std::vector<std::string>({"Launching Vantero Setup V2.1", "SysID=22010, Firmware=0x1225"}));
  }
}

TEST_F(Tasks, KeysDuringAStepAreSwallowed) {
  ASSERT_TRUE(sim->copyToDisk(TAP_installer_stubborn_manager, "/ProgramFiles/Stubborn.tap"))
      << sim->lastError();
  startManager("/ProgramFiles/Stubborn.tap");
  startInstaller(kInstall);
  pressKey(RKEY_1);  // no step runs and no box is open: back to the firmware
  ASSERT_TRUE(runUntilLogHas("  IT_Install step 1"));
  // Step 3 waits for the manager that will not stop; keys meanwhile are lost.
  dword t = sim->now();
  sim->scheduleKey(t + 20, RKEY_2);
  sim->scheduleKey(t + 200, RKEY_3);
  sim->scheduleKey(t + 450, RKEY_4);
  ASSERT_TRUE(runToEnd());
  std::vector<dword> returned;
  for (const pvrsim::ReturnedKey &k : sim->returnedKeys()) returned.push_back(k.code);
  EXPECT_EQ(returned, std::vector<dword>({RKEY_1}));
  auto l = log();
  auto stop = std::find(l.begin(), l.end(), "Trying to stop 0x5c3e1a20");
  ASSERT_NE(stop, l.end());
  EXPECT_EQ(
      std::vector<std::string>(stop, stop + 3),
      std::vector<std::string>({"Trying to stop 0x5c3e1a20", "TAP is still running, trying to set kill bit",
                                "Successful via kill bit"}));
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/Stubborn.tap"));  // replaced by the real manager and launched
  EXPECT_EQ(readFile("/ProgramFiles/Stubborn.tap"), managerPayload());
}

}  // namespace
}  // namespace installer_test
