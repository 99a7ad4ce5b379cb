// TasksTest.cpp - the tasks menu and its screens in-process: the helpers that plan AutoStart
// names and read what busybox prints, a TAP moved into AutoStart (and refused over another
// file), the AutoStart order changed and cut by a power cut at every point of its apply, and the
// question before the end.  The tasks menu, the installed TAPs and the AutoStart order are
// compared with their golden images.
#include <errno.h>
#include <sys/wait.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "Golden.h"
#include "Manager.h"
#include "ManagerSim.h"
#include "osd/Osd.h"

namespace manager_test {
namespace {

namespace fs = std::filesystem;

// The file names of a folder on the host, sorted.
std::vector<std::string> Names(const std::string &hostFolder) {
  std::vector<std::string> names;
  if (fs::exists(hostFolder))
    for (const auto &e : fs::directory_iterator(hostFolder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(TaskHelpers, AutoStartNamesNumberTheOrderAndNeverMeetAnotherFile) {
  struct Case {
    const char *what;
    std::vector<std::string> order, others, expected;  // others: the folder besides the TAPs
  } cases[] = {
      {"plain names", {"B.tap", "A.tap"}, {}, {"01_B.tap", "02_A.tap"}},
      {"old numbers replaced", {"02_A.tap", "01_B.tap"}, {}, {"01_A.tap", "02_B.tap"}},
      {"a name kept", {"01_A.tap", "B.tap"}, {}, {"01_A.tap", "02_B.tap"}},
      {"a new name taken by another file", {"X.tap"}, {"01_X.tap.ini", "01_x.TAP"}, {"02_X.tap"}},
      {"a new name is another TAP's old one", {"A.tap", "01_A.tap"}, {}, {"02_A.tap", "03_A.tap"}},
  };
  for (const Case &c : cases) {
    std::vector<tAutoStartName> names(c.order.size());
    std::vector<const char *> others;
    for (size_t i = 0; i < c.order.size(); i++) {
      snprintf(names[i].Old, sizeof names[i].Old, "%s", c.order[i].c_str());
      others.push_back(c.order[i].c_str());
    }
    for (const std::string &o : c.others) others.push_back(o.c_str());
    ASSERT_TRUE(AutoStartPlanNames(names.data(), static_cast<int>(names.size()), others.data(),
                                   static_cast<int>(others.size())))
        << c.what;
    std::vector<std::string> got;
    for (const tAutoStartName &n : names) got.push_back(n.New);
    EXPECT_EQ(c.expected, got) << c.what;
  }
  tAutoStartName many[100] = {};
  for (int i = 0; i < 100; i++) snprintf(many[i].Old, sizeof many[i].Old, "T%d.tap", i);
  EXPECT_FALSE(AutoStartPlanNames(many, 100, nullptr, 0)) << "two digits number 99 TAPs";
  EXPECT_STREQ("", many[0].New);
  EXPECT_STREQ("Name.tap", AutoStartBaseName("123_Name.tap"));
  EXPECT_STREQ("1_Name.tap", AutoStartBaseName("1_Name.tap"));
}

TEST(TaskHelpers, BusyboxAnswersAreCheckedAsUntrustedText) {
  const char *header = "Filesystem           1K-blocks      Used Available Use% Mounted on\n";
  struct DfCase {
    std::string text;
    bool known;
    dword kb;
  } dfCases[] = {
      {std::string(header) + "/dev/sda2  976762584 12345 964417239   1% /mnt/hd\n", true, 964417239},
      {std::string(header) + "/dev/disk/by-label/a-very-long-name\n   100  40  60  40% /mnt/hd\n", true, 60},
      {std::string(header) + "/dev/sda2  100  40  -5  40% /mnt/hd\n", false, 0},
      {"df: /mnt/hd: No such file or directory\n", false, 0},
      {std::string(header) + "/dev/sda2 100 40\n", false, 0},
  };
  for (const DfCase &c : dfCases) {
    dword kb = 0;
    EXPECT_EQ(c.known, DfAvailableKB(c.text.c_str(), &kb)) << c.text;
    if (c.known) {
      EXPECT_EQ(c.kb, kb) << c.text;
    }
  }
  struct TarCase {
    const char *listing;
    int members;
    const char *bad;
  } tarCases[] = {
      {"ProgramFiles/\nProgramFiles/A.tap\r\nProgramFiles/Settings/x..y\n", 3, ""},
      {"ProgramFiles/A.tap\n/etc/passwd\n", -1, "/etc/passwd"},
      {"ProgramFiles/../../etc/passwd\n", -1, "ProgramFiles/../../etc/passwd"},
      {"ProgramFilesX/A.tap\n", -1, "ProgramFilesX/A.tap"},
      {"ProgramFiles/A\x1b.tap", -1, "ProgramFiles/A\x1b.tap"},
      {"", 0, ""},
  };
  for (const TarCase &c : tarCases) {
    char bad[64];
    EXPECT_EQ(c.members, TarListCheck(c.listing, "ProgramFiles", bad, sizeof bad)) << c.listing;
    EXPECT_STREQ(c.bad, bad) << c.listing;
  }
  char command[256];
  ASSERT_TRUE(BuildBackgroundCommand("tar -czf 'x'", "/mnt/hd/it's", "/mnt/hd/p", command, sizeof command));
  EXPECT_STREQ(
      "( tar -czf 'x' & echo $! > '/mnt/hd/p'; wait $!; echo $? > '/mnt/hd/it'\\''s' ) > /dev/null 2>&1 &",
      command);
  EXPECT_FALSE(BuildBackgroundCommand("tar", "/s", "/p", command, 20)) << "too long for the buffer";
  EXPECT_STREQ("", command);
}

class TasksTest : public ManagerSim {
 protected:
  void SetUp() override {
    pvrsim::osd::reset();
    ManagerSim::SetUp();
    ASSERT_TRUE(installStandardFonts());
    SettingsDefault();
    MenuStateReset();
  }
  void TearDown() override {
    if (!ManagerEnded()) ManagerStop();
    ManagerSim::TearDown();
  }
  static void Press(std::initializer_list<dword> keys) {
    for (dword key : keys) ManagerEvent(EVT_KEY, key, 0);
  }
  // Opens the menu and the tasks menu's row.
  static void OpenTask(int row) {
    ManagerMenuOpen();
    Press({RKEY_Menu});
    for (int i = 0; i < row; i++) Press({RKEY_Down});
    Press({RKEY_Ok});
  }
  static std::string Row(int item) {
    const tMenuItem &i = Menu[CurrentMenuLevel].Items[item];
    return std::string(i.Text) + " | " + i.Value;
  }
  void ExpectScreen(const char *name) {
    EXPECT_TRUE(osdtest::MatchesGolden(name, pvrsim::osd::visibleScreen(), "tests/manager/golden"));
  }
  std::string autoStart(const std::string &name) { return "/ProgramFiles/AutoStart/" + name; }
  // The installed-TAPs row of the TAP with this ID (rows: the inventory's entries on the disk); -1 none.
  static int RowOf(dword id) {
    ManagerInstalledBuild();
    for (int i = 0, row = 0; i < TAPsOnBoardCount; i++) {
      if (!TAPsOnBoard[i].Found) continue;
      if (TAPsOnBoard[i].TAPID == id) return row;
      row++;
    }
    return -1;
  }
};

TEST_F(TasksTest, TheTasksMenuOpensFromTheOverviewAndEndsTheManagerAfterAQuestion) {
  ManagerMenuOpen();
  Press({RKEY_Menu});
  ASSERT_EQ(MS_Tasks, MenuStateStack[0]);
  std::vector<std::string> rows;
  for (int i = 0; i < Menu[1].NrItems; i++) rows.push_back(Menu[1].Items[i].Text);
  EXPECT_EQ(
      (std::vector<std::string>{"Query the server now", "Installed TAPs", "AutoStart order", "Full backup",
                                "Restore a backup", "Install updates (0)", "End the update manager"}),
      rows);
  ExpectScreen("manager_tasks");
  for (int i = 0; i < 5; i++) Press({RKEY_Down});
  Press({RKEY_Ok});
  ASSERT_EQ(MS_Exit, MenuStateStack[0]);
  Press({RKEY_Ok});  // "No" is chosen first
  EXPECT_EQ(MS_Tasks, MenuStateStack[0]);
  EXPECT_FALSE(ManagerEnded());
  Press({RKEY_Ok, RKEY_Left, RKEY_Ok});
  EXPECT_TRUE(ManagerEnded());
  EXPECT_EQ(MS_Inactive, MenuStateStack[0]);
  EXPECT_EQ(0, pvrsim::osd::regionCount()) << "the manager ended with its screens closed";
}

// BLUE moves the TAP between ProgramFiles and AutoStart, the inventory follows; a TAP of the same
// name in the target stays untouched and the move is refused with a message.
TEST_F(TasksTest, InstalledTapsMoveIntoAutoStartButNeverOverAnotherFile) {
  putTap("/ProgramFiles/Alpha.tap", AlphaId, "alpha");
  putTap(autoStart("Beta.tap"), BetaId, "beta");
  putTap("/ProgramFiles/Beta.tap", GammaId, "gamma");
  package(BetaId, {{"2.0", 1000, DM_Final, 0, crcOf(autoStart("Beta.tap"))}});
  master(BetaId, "Beta Recorder");
  ManagerRefreshCache();
  OpenTask(1);
  ASSERT_EQ(MS_InstalledTAPs, MenuStateStack[0]);
  std::vector<std::string> rows;
  for (int i = 0; i < Menu[2].NrItems; i++) rows.push_back(Row(i));
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ((std::vector<std::string>{"Template TAP | 2.0  AutoStart", "Template TAP | no package",
                                      "Template TAP | no package"}),
            rows);
  ExpectScreen("manager_installed");
  std::string gammaBytes = readFile("/ProgramFiles/Beta.tap"), betaBytes = readFile(autoStart("Beta.tap"));
  struct Step {
    dword id;
    int problem;
    const char *where;
    bool inAutoStart;
  } steps[] = {{AlphaId, 0, "/ProgramFiles/AutoStart/Alpha.tap", true},
               {AlphaId, 0, "/ProgramFiles/Alpha.tap", false},
               {GammaId, MT_TargetTaken, "/ProgramFiles/Beta.tap", false}};
  for (const Step &s : steps) {
    ASSERT_GE(RowOf(s.id), 0) << s.where;
    EXPECT_EQ(s.problem, ManagerInstalledMove(RowOf(s.id))) << s.where;
    EXPECT_TRUE(exists(s.where)) << s.where;
    for (int i = 0; i < TAPsOnBoardCount; i++) {
      if (TAPsOnBoard[i].TAPID == s.id) {
        EXPECT_EQ(s.inAutoStart, TAPsOnBoard[i].isAutoStart != 0) << s.where;
      }
    }
  }
  EXPECT_EQ(gammaBytes, readFile("/ProgramFiles/Beta.tap"));
  EXPECT_EQ(betaBytes, readFile(autoStart("Beta.tap"))) << "the TAP in the target is never replaced";
  EXPECT_NE(TAPCacheGetInstalledVersionIndex(BetaId), -1);
}

// OK on a row starts the TAP when it does not run and stops it when it runs.
TEST_F(TasksTest, InstalledTapsStartAndStop) {
  const dword peer = 0x7E570A01;
  ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/PeerA.tap"));
  ManagerRefreshCache();
  ASSERT_GE(RowOf(peer), 0);
  for (bool running : {true, false}) {
    EXPECT_TRUE(ManagerInstalledStartStop(RowOf(peer))) << running;
    EXPECT_EQ(running, HDD_TAP_isRunning(peer));
  }
}

// RED and GREEN change the order, OK applies it: the TAPs carry numbers in the new order.
TEST_F(TasksTest, TheAutoStartOrderIsTheOrderOfTheNewNames) {
  for (const char *name : {"Charlie.tap", "Alpha.tap", "02_Bravo.tap"})
    putTap(autoStart(name), 0x100 + name[0], name);
  writeFile(autoStart("notes.txt"), "not a TAP");
  std::map<std::string, std::string> bytes;
  for (const std::string &n : Names(disk(AUTOSTART_DIR)))
    bytes[AutoStartBaseName(n.c_str())] = readFile(autoStart(n));
  OpenTask(2);
  ASSERT_EQ(MS_AutoStartOrder, MenuStateStack[0]);
  EXPECT_EQ("1. Bravo.tap | 02_Bravo.tap", Row(0));
  EXPECT_EQ("2. Alpha.tap | Alpha.tap", Row(1));
  EXPECT_EQ("3. Charlie.tap | Charlie.tap", Row(2));
  Press({RKEY_Down, RKEY_Down, RKEY_Red, RKEY_Red});  // Charlie first
  EXPECT_EQ("1. Charlie.tap | Charlie.tap", Row(0));
  EXPECT_EQ(0, OSDMenuGetCurrentItem()) << "the cursor moves with the TAP";
  ExpectScreen("manager_autostart_order");
  Press({RKEY_Ok});
  EXPECT_EQ((std::vector<std::string>{"01_Charlie.tap", "02_Bravo.tap", "03_Alpha.tap", "notes.txt"}),
            Names(disk(AUTOSTART_DIR)));
  for (const std::string &n : Names(disk(AUTOSTART_DIR)))
    EXPECT_EQ(bytes[AutoStartBaseName(n.c_str())], readFile(autoStart(n))) << n;
  EXPECT_FALSE(exists(SettingsDir + "/" + MANAGER_AUTOSTART_JOURNAL));
}

// A power cut at every point of the apply: after the recovery at the next start the folder holds
// each TAP once, byte for byte, in the old order or the new one, and nothing else.
TEST_F(TasksTest, APowerCutWhileTheOrderChangesLeavesTheOldOrderOrTheNew) {
  const std::vector<std::string> before{"A.tap", "B.tap", "C.tap"};
  std::map<std::string, std::string> content;
  for (const std::string &n : before) {
    putTap(autoStart(n), 0x200 + n[0], std::string(3000 + n[0], n[0]));
    content[n] = readFile(autoStart(n));
  }
  const std::vector<std::string> after{"01_C.tap", "02_B.tap", "03_A.tap"};
  auto apply = [] {
    ManagerAutoStartLoad();
    ManagerAutoStartMove(2, -1);
    ManagerAutoStartMove(1, -1);  // C, A, B
    ManagerAutoStartMove(1, 1);   // C, B, A
    ManagerAutoStartApply();
  };
  uint64_t start = sim->bytesWritten();
  apply();
  uint64_t total = sim->bytesWritten() - start;
  ASSERT_EQ(after, Names(disk(AUTOSTART_DIR)));
  std::set<std::string> seen;
  for (uint64_t cut = 0; cut <= total; cut += total / 60 + 1) {
    fs::remove_all(disk(AUTOSTART_DIR));
    for (const std::string &n : before) writeFile(autoStart(n), content[n]);
    EXPECT_EXIT(
        {
          options.powerCutAfterBytes = cut;
          restartSim();
          apply();
          std::exit(pvrsim::kPowerCutExitStatus);
        },
        ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "");
    restartSim();
    ManagerAutoStartRecover();
    std::vector<std::string> now = Names(disk(AUTOSTART_DIR));
    ASSERT_TRUE(now == before || now == after) << "cut after " << cut << " of " << total << " bytes";
    for (const std::string &n : now)
      EXPECT_EQ(content[AutoStartBaseName(n.c_str())], readFile(autoStart(n))) << n;
    EXPECT_FALSE(exists(SettingsDir + "/" + MANAGER_AUTOSTART_JOURNAL));
    seen.insert(now == before ? "old" : "new");
  }
  EXPECT_EQ(2u, seen.size()) << "the sweep met both orders";
}

// The box's busybox on the disk: pvrsim's shell runs its tar and df.
class BackupTest : public TasksTest {
 protected:
  void SetUp() override {
    TasksTest::SetUp();
    writeFile("/ProgramFiles/busybox", "the box's busybox");
    // Files of the same bytes on every platform, so that the progress shows the same figures.
    std::string alpha;
    for (int i = 0; i < 5000; i++) alpha += std::to_string(i * 7919 % 10007);
    writeFile("/ProgramFiles/Alpha.tap", alpha);
    writeFile(autoStart("Beta.tap"), std::string(3000, 'b'));
    putSetting("Alpha.ini", "[Alpha]\r\nVolume=7\r\n");
  }
  // Idle events until the backup or restore ended; true when it did.
  bool RunToEnd(const std::function<void()> &whileRunning = nullptr) {
    for (int i = 0; i < 3000 && Backup.Step != BK_Idle; i++) {
      sim->runTicks(1);
      ManagerEvent(EVT_IDLE, 0, 0);
      if (whileRunning && Backup.Step != BK_Idle) whileRunning();
    }
    return Backup.Step == BK_Idle;
  }
  std::vector<std::string> backups() { return Names(disk(MANAGER_BACKUP_DIR)); }
};

// Back up, damage a TAP and lose a setting, restore: the files come back byte for byte; the
// backup's progress is shown while tar runs.
TEST_F(BackupTest, ABackupRestoresADamagedTapAndALostSetting) {
  std::string alpha = readFile("/ProgramFiles/Alpha.tap"), ini = getSetting("Alpha.ini");
  OpenTask(3);
  ASSERT_EQ(MS_FullBackup, MenuStateStack[0]);
  Press({RKEY_Ok});
  ASSERT_EQ(BK_Archiving, Backup.Step) << "the backup started: " << ::testing::PrintToString(takeLog());
  bool shown = false;
  ASSERT_TRUE(RunToEnd([&] {
    // The first screen that shows part of the archive written.
    std::error_code error;
    if (!shown && InfoBoxOSDRgn != 0 &&
        fs::file_size(disk(std::string(Backup.Part).substr(7)), error) > 256 * 1024 && !error) {
      ExpectScreen("manager_backup_progress");
      shown = true;
    }
  }));
  EXPECT_TRUE(shown) << "the progress was on the screen while tar ran";
  ASSERT_EQ(0, Backup.Problem);
  std::vector<std::string> made = backups();
  ASSERT_EQ(1u, made.size());
  EXPECT_EQ("5C3E1A20-20151231-1200", made[0].substr(0, 22)) << made[0] << ": named by the time it was made";
  EXPECT_EQ(".tgz", made[0].substr(made[0].size() - 4));
  writeFile("/ProgramFiles/Alpha.tap", alpha.substr(0, 100) + "damaged");
  fs::remove(disk(SettingsDir + "/Alpha.ini"));
  ManagerEvent(EVT_KEY, RKEY_Exit, 0);  // the message
  ManagerShowState();
  ASSERT_EQ(2, ManagerWindowRowCount()) << "the new backup is listed";
  OSDMenuSetCurrentItem(1);
  Press({RKEY_Ok, RKEY_Left, RKEY_Ok});
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(0, Backup.Problem);
  EXPECT_EQ(alpha, readFile("/ProgramFiles/Alpha.tap"));
  EXPECT_EQ(ini, getSetting("Alpha.ini"));
  EXPECT_EQ(made, backups()) << "no staging folder, list or journal is left";
}

// A damaged archive, or one with a member outside ProgramFiles, changes nothing.
TEST_F(BackupTest, ADamagedBackupChangesNothing) {
  makeFolder(MANAGER_BACKUP_DIR);
  writeFile(std::string(MANAGER_BACKUP_DIR) + "/5C3E1A20-20150101-000000.tgz", std::string(3000, 'x'));
  putSetting("Alpha.ini", "changed since");
  std::map<std::string, std::string> before;
  for (const auto &e : fs::recursive_directory_iterator(disk("/ProgramFiles")))
    if (e.is_regular_file() && e.path().filename() != "Vantero.log")
      before[e.path().string()] = readHostFile(e.path());
  EXPECT_TRUE(ManagerRestoreStart("5C3E1A20-20150101-000000.tgz"));
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(MT_BackupDamaged, Backup.Problem);
  for (const auto &[path, bytes] : before) EXPECT_EQ(bytes, readHostFile(path)) << path;
  EXPECT_EQ(1u, backups().size()) << "nothing of the restore is left";
}

// A power cut at a spread of points of a restore: after the recovery at the next start the files
// are all as before (damaged) or all restored, and no staged file, journal or part is left.
TEST_F(BackupTest, APowerCutDuringARestoreLeavesTheOldFilesOrTheRestoredOnes) {
  std::string alpha = readFile("/ProgramFiles/Alpha.tap"), ini = getSetting("Alpha.ini");
  ASSERT_TRUE(ManagerBackupStart());
  ASSERT_TRUE(RunToEnd());
  ASSERT_EQ(1u, backups().size());
  std::string archive = backups()[0], damaged = alpha.substr(0, 100) + "damaged";
  auto damage = [&] {
    writeFile("/ProgramFiles/Alpha.tap", damaged);
    putSetting("Alpha.ini", "Volume=0");
  };
  damage();
  uint64_t start = sim->bytesWritten();
  ASSERT_TRUE(ManagerRestoreStart(archive.c_str()));
  ASSERT_TRUE(RunToEnd());
  uint64_t total = sim->bytesWritten() - start;
  ASSERT_EQ(alpha, readFile("/ProgramFiles/Alpha.tap"));
  // Cuts spread over the extraction, and every 100 bytes over the last 6000, where the journal's
  // phases and the swap lie.
  std::vector<uint64_t> cuts;
  for (uint64_t i = 0; i < 20; i++) cuts.push_back(total * i / 20);
  for (uint64_t back = 6000; back > 0; back -= 100) cuts.push_back(total > back ? total - back : 0);
  std::set<bool> seen;
  for (uint64_t cut : cuts) {
    damage();
    EXPECT_EXIT(
        {
          options.powerCutAfterBytes = cut;
          restartSim();
          ManagerRestoreStart(archive.c_str());
          RunToEnd();
          std::exit(pvrsim::kPowerCutExitStatus);
        },
        ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "");
    restartSim();
    ManagerBackupRecover();
    bool restored = readFile("/ProgramFiles/Alpha.tap") == alpha;
    EXPECT_EQ(restored ? alpha : damaged, readFile("/ProgramFiles/Alpha.tap")) << "cut after " << cut;
    EXPECT_EQ(restored ? ini : "Volume=0", getSetting("Alpha.ini")) << "cut after " << cut;
    EXPECT_EQ(std::vector<std::string>{archive}, backups()) << "cut after " << cut;
    seen.insert(restored);
  }
  EXPECT_EQ(2u, seen.size()) << "the sweep met the old files and the restored ones";
}

}  // namespace
}  // namespace manager_test
