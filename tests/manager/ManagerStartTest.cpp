// ManagerStartTest.cpp - the manager's start on disks with one damaged or missing file each: the
// problem is logged and the manager starts with what it could read; and the
// texts of its overview and version rows.
#include <filesystem>

#include "Manager.h"
#include "ManagerSim.h"

namespace manager_test {
namespace {

class ManagerStartTest : public ManagerSim {
 protected:
  void TearDown() override {
    Forget();
    ManagerSim::TearDown();
  }
  // As after the end of the manager: nothing in memory.
  static void Forget() {
    TAPCacheFree();
    SettingsFree();
    if (TAPsOnBoard != nullptr) memset(TAPsOnBoard, 0, TOB_MAX_ENTRIES * sizeof(tTAPsOnBoard));
    TAPsOnBoardCount = 0;
    LangUnloadStrings();
  }
  // The disk of every case: the language file, two installed TAPs and the package of one.
  void GoodDisk() {
    std::filesystem::remove_all(disk(SettingsDir));
    makeFolder(SettingsDir);
    ASSERT_TRUE(sim->copyToDisk(std::string(BINARY_DIR) + "/payloads/files/Vantero.lng", SettingsDir + "/"));
    package(AlphaId, {{"1.0", 1000, DM_Final, 0, installed(AlphaId)}, {"1.1", 2000, DM_Final}});
    installed(BetaId);
  }
  static bool StartsWith(const std::vector<std::string> &log, const std::string &prefix) {
    for (const std::string &line : log)
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }
};

TEST_F(ManagerStartTest, EachDamagedOrMissingFileIsLoggedAndTheManagerStarts) {
  datafiles::Bytes newer, cutSettings, oldInventory;
  newer.dw(12).raw(std::string(56, '\0'));
  cutSettings.dw(11).dw(1).dw(0).dw(0).dw(3);  // three passwords announced, none there
  oldInventory.dw(2).dw(0);
  struct Case {
    const char *what;
    std::string file;     // in the settings folder; "" none
    std::string content;  // "<delete>" removes the file
    std::string logLine;  // a line that begins so
    int packages;         // master-list entries after the start
  } cases[] = {
      {"no settings", "", "", "Settings file not found, using default values", 1},
      {"damaged settings", "Vantero.settings", cutSettings.data(),
       "Settings file is damaged, using default values", 1},
      {"newer settings", "Vantero.settings", newer.data(),
       "Settings version mismatch (expected <= V11, got V12), using default values", 1},
      {"package cut short", "B2000002.vpd",
       datafiles::Bytes().str("VPDDB").dw(9).dw(BetaId).dw(40).raw("Be").data(),
       "Damaged data in 'B2000002.vpd'", 1},
      {"package of another kind", "B2000002.vpd", std::string("\5\0\0\0XPDDB", 9) + std::string(40, 'x'),
       "Invalid magic 'XPDDB' in 'B2000002.vpd'", 1},
      {"empty package", "B2000002.vpd", "", "File size of 'B2000002.vpd' is zero", 1},
      {"package without ID name", "notes.vpd", "x",
       "Package file notes.vpd ignored: its name is not <TAPID>.vpd", 1},
      {"package under another ID", "B2000002.vpd", "<alpha>",
       "Package file B2000002.vpd ignored: it describes TAP a1000001", 1},
      {"inventory of version 2", "TAPOnBoard.bin", oldInventory.data(), "Invalid TOB cache version.", 1},
      {"inventory cut short", "TAPOnBoard.bin", datafiles::Bytes().dw(3).dw(2).raw("short").data(),
       "Damaged TOB cache.", 1},
      {"damaged cache", "TAPCache.bin", "garbage", "TAPCache.bin is damaged", 1},
      {"no cache", "", "", "TAPCache.bin not found", 1},
      {"no language file", "Vantero.lng", "<delete>", "Language file Vantero.lng not found", 1},
  };
  for (const Case &c : cases) {
    Forget();
    GoodDisk();
    std::string content = c.content == "<alpha>" ? getSetting("A1000001.vpd") : c.content;
    if (content == "<delete>")
      std::filesystem::remove(disk(SettingsDir + "/" + c.file));
    else if (!c.file.empty())
      putSetting(c.file, content);
    takeLog();
    ManagerStart();
    std::vector<std::string> log = takeLog();
    EXPECT_TRUE(StartsWith(log, c.logLine)) << c.what << ": no line beginning \"" << c.logLine << "\"";
    EXPECT_TRUE(StartsWith(log, "2 TAP versions in TAPCache")) << c.what;
    ASSERT_EQ(c.packages, Settings.NrOfMasterListEntries) << c.what;
    EXPECT_EQ(AlphaId, Settings.MasterList[0].TAPID) << c.what;
    EXPECT_EQ(1, TAPCacheGetInstalledVersionIndex(AlphaId)) << c.what;
    EXPECT_EQ(2, TAPCacheReadFile(nullptr, nullptr)) << c.what << ": the cache file was not written";
    EXPECT_EQ(2, TAPsOnBoardCount) << c.what;
    // What the start saved reads back.
    Forget();
    EXPECT_TRUE(SettingsLoad()) << c.what;
    EXPECT_EQ(c.packages, Settings.NrOfMasterListEntries) << c.what;
    EXPECT_TRUE(TAPsOnBoardLoad()) << c.what;
    EXPECT_EQ(2, TAPsOnBoardCount) << c.what;
  }
}

// A second start finds the TAP in the master list and adds nothing.
TEST_F(ManagerStartTest, KnownPackagesAreNotAddedTwice) {
  GoodDisk();
  ManagerStart();
  EXPECT_EQ(0, ManagerAddPackages());
  package(BetaId, {{"2.0", 3000, DM_Final}});
  EXPECT_EQ(1, ManagerAddPackages());
  ASSERT_EQ(2, Settings.NrOfMasterListEntries);
  EXPECT_STREQ("Package", Settings.MasterList[1].Name);
  EXPECT_EQ(9u, Settings.MasterList[1].Category);
}

// Only the name that the cache opens makes a package, and no number of
// other files in the folder keeps a package out.
TEST_F(ManagerStartTest, EveryPackageFileWithTheCachesNameIsAddedAndNoOther) {
  const struct {
    const char *what;
    uint32_t id;
    const char *name;  // the package file's name on the disk
    int junkFiles;     // files before it that are no packages
    bool added;
  } cases[] = {
      {"standard name behind 300 other files", 0xF0000001, "F0000001.vpd", 300, true},
      {"lower-case digits", 0xABCDEF01, "abcdef01.vpd", 0, false},
      {"upper-case extension", 0x4000000A, "4000000A.VPD", 0, false},
  };
  for (const auto &c : cases) {
    Forget();
    for (const auto &file : std::filesystem::directory_iterator(disk(SettingsDir)))
      if (strcasecmp(file.path().extension().c_str(), ".vpd") == 0) std::filesystem::remove(file.path());
    for (int i = 0; i < c.junkFiles; i++) putSetting("0junk" + std::to_string(1000 + i) + ".vpd", "x");
    package(c.id, {{"1.0", 1000, DM_Final}});
    char standard[VPD_STD_NAME_SIZE];
    VPDStdFileName(c.id, standard);
    std::filesystem::rename(disk(SettingsDir + "/" + standard), disk(SettingsDir + "/" + c.name));
    SettingsDefault();
    EXPECT_EQ(c.added ? 1 : 0, ManagerAddPackages()) << c.what;
    ASSERT_EQ(c.added ? 1 : 0, Settings.NrOfMasterListEntries) << c.what;
    std::vector<std::string> log = takeLog();
    EXPECT_EQ(!c.added, StartsWith(log, std::string("Package file ") + c.name + " ignored")) << c.what;
  }
}

// A package's texts far beyond a screen line are cut at a character's start,
// so settings and cache stay small; a save that fails shows on the screens.
TEST_F(ManagerStartTest, LongPackageTextsAreCutAndAFailedSaveIsShown) {
  std::string e, longVersion(100000, 'v');
  for (int i = 0; i < 100000; i++) e += "\xC3\xA9";  // "é"
  package(AlphaId, {{longVersion.c_str(), 1, DM_Final}, {longVersion.c_str(), 2, DM_Final}});
  tVPD vpd{};
  ASSERT_TRUE(VPDLoadStd(&vpd, AlphaId));
  StringSet(&vpd.TAPName, e.c_str());
  StringSet(&vpd.TAPAuthor, std::string(300000, 'a').c_str());
  StringSet(&vpd.URL, std::string(300000, 'u').c_str());
  ASSERT_TRUE(VPDSave(&vpd, "A1000001.vpd"));
  VPDFree(&vpd);
  ManagerStart();
  ASSERT_EQ(1, Settings.NrOfMasterListEntries);
  EXPECT_EQ(e.substr(0, 126), Settings.MasterList[0].Name);
  EXPECT_EQ(127u, strlen(Settings.MasterList[0].Author));
  EXPECT_EQ(1023u, strlen(Settings.MasterList[0].VPDURL));
  EXPECT_EQ(60u + 40 + 126 + 127 + 1023, getSetting("Vantero.settings").size());
  EXPECT_EQ(2u * (76 + 126 + 127), getSetting("TAPCache.bin").size());

  ManagerMenuOpen();
  ASSERT_EQ(MS_Dialog_NewTAPs, MenuStateStack[0]) << "the new TAP's notice comes first";
  ManagerEvent(EVT_KEY, RKEY_Exit, 0);
  makeFolder(SettingsDir + "/Vantero.settings.tmp/x");  // no new file can take the old one's place
  OSDMenuSetCurrentItem(Menu[0].NrItems - 2);
  ManagerEvent(EVT_KEY, RKEY_Ok, 0);
  EXPECT_STREQ("Saved at once", Menu[1].SubTitle);
  ManagerEvent(EVT_KEY, RKEY_Right, 0);
  EXPECT_STREQ("NOT SAVED: see Vantero.log", Menu[1].SubTitle);
  ManagerEvent(EVT_KEY, RKEY_Exit, 0);
  EXPECT_STREQ("0 entered, NOT SAVED", Menu[0].Items[Menu[0].NrItems - 1].Value);
  ManagerStop();
}

// The overview row of a TAP from its cache entries, and the version rows.
TEST_F(ManagerStartTest, RowsShowVersionsAndMarks) {
  tMasterList m{};
  m.TAPID = 1;
  char name[] = "Tool";
  m.Name = name;
  static char v1[] = "1.0", v2[] = "2.0";
  struct Case {
    const char *what;
    bool installOld, installNew, visibleNew, revokedOld, running;
    tNotificationFlag flag;
    const char *value;
    dword colour;
  } cases[] = {
      {"nothing visible", false, false, false, false, false, NF_None, "not installed", 0xFFE6E6FA},
      {"new TAP", false, false, true, false, false, NF_New, "not installed -> 2.0  new", 0xFF8CE08C},
      {"update", true, false, true, false, true, NF_Updated, "1.0 -> 2.0  update  running", 0xFF8CE08C},
      {"newest installed", false, true, true, false, true, NF_None, "2.0  running", 0xFFE6E6FA},
      {"revoked installed", true, false, false, true, false, NF_Revoked, "1.0  revoked", 0xFFFF7070},
  };
  for (const Case &c : cases) {
    // Cache order: the newer version first.
    tTAPCache entries[2] = {};
    for (tTAPCache &e : entries) e.TAPID = 1, e.MasterList = &m;
    entries[0].Version = v2, entries[0].TimeStamp = 2000, entries[0].DeployMode = DM_Final;
    entries[1].Version = v1, entries[1].TimeStamp = 1000;
    entries[1].DeployMode = c.revokedOld ? DM_Revoke : DM_Final;
    entries[0].isInstalled = c.installNew;
    entries[0].isVisible = c.visibleNew || c.installNew;
    entries[0].isRunning = c.installNew && c.running;
    entries[1].isInstalled = entries[1].isVisible = c.installOld;
    entries[1].isRevoked = c.revokedOld;
    entries[1].isRunning = c.installOld && c.running;
    m.NotificationFlag = c.flag;
    TAPCache = entries;
    TAPCacheSize = 2;
    char text[MANAGER_TEXT_SIZE], value[MANAGER_TEXT_SIZE];
    EXPECT_EQ(c.colour, ManagerOverviewRow(&m, text, value)) << c.what;
    EXPECT_STREQ("Tool", text) << c.what;
    EXPECT_STREQ(c.value, value) << c.what;
    TAPCache = nullptr;
    TAPCacheSize = 0;
  }
  struct VersionCase {
    int mode;
    bool installed, autoStart, match, updated;
    const char *value;
  } versions[] = {
      {DM_Final, true, true, false, true, "final, installed (AutoStart)"},
      {DM_Beta, false, false, false, true, "beta, new"},
      {DM_Alpha, false, false, true, false, "alpha, unlocked"},
      {DM_Revoke, true, false, false, false, "revoked, installed"},
      {77, false, false, false, false, "unknown"},
      {DM_MarkedForDeletion + 1, false, false, false, false, "unknown"},  // the first mode without a name
  };
  for (const VersionCase &c : versions) {
    tTAPCache e{};
    e.Version = v1;
    e.DeployMode = static_cast<tDeployMode>(c.mode);
    e.isInstalled = c.installed;
    e.isAutoStart = c.autoStart;
    e.AlphaPwdMatch = c.match;
    e.isUpdated = c.updated;
    char text[MANAGER_TEXT_SIZE], value[MANAGER_TEXT_SIZE];
    ManagerVersionRow(&e, text, value);
    EXPECT_STREQ("1.0", text);
    EXPECT_STREQ(c.value, value) << "mode " << c.mode;
  }
  // A name and versions longer than a row are cut, not written past the row.
  std::string longName(300, 'n'), longVersion(200, 'v');
  m.Name = longName.data();
  tTAPCache entries[2] = {};
  for (tTAPCache &e : entries)
    e.TAPID = 1, e.MasterList = &m, e.Version = longVersion.data(), e.isVisible = TRUE;
  entries[0].TimeStamp = 2, entries[1].TimeStamp = 1, entries[1].isInstalled = TRUE,
  entries[1].isRunning = TRUE;
  TAPCache = entries;
  TAPCacheSize = 2;
  char text[MANAGER_TEXT_SIZE + 8], value[MANAGER_TEXT_SIZE + 8];
  memset(text, '#', sizeof text);
  memset(value, '#', sizeof value);
  ManagerOverviewRow(&m, text, value);
  EXPECT_EQ(MANAGER_TEXT_SIZE - 1u, strlen(text));
  EXPECT_EQ(MANAGER_TEXT_SIZE - 1u, strlen(value));
  EXPECT_EQ(std::string(8, '#'), std::string(text + MANAGER_TEXT_SIZE, 8));
  EXPECT_EQ(std::string(8, '#'), std::string(value + MANAGER_TEXT_SIZE, 8));
  memset(value, '#', sizeof value);
  ManagerVersionRow(&entries[1], text, value);
  EXPECT_EQ(std::string(8, '#'), std::string(text + MANAGER_TEXT_SIZE, 8));
  EXPECT_EQ(std::string(8, '#'), std::string(value + MANAGER_TEXT_SIZE, 8));
  TAPCache = nullptr;
  TAPCacheSize = 0;
}

}  // namespace
}  // namespace manager_test
