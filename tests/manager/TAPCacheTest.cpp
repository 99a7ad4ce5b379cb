// TAPCacheTest.cpp - the TAP cache on a simulated disk: order and installed version, the flags
// of an entry, visibility, notifications, alpha passwords, the queries and
// Acknowledge, "TAPCache.bin" and its reader, and the 800-entry limit.
#include <algorithm>
#include <filesystem>

#include "ManagerSim.h"

namespace manager_test {
namespace {

class TAPCacheTest : public ManagerData {
 protected:
  std::vector<std::string> versions() const {
    std::vector<std::string> out;
    for (int i = 0; i < TAPCacheSize; i++)
      out.push_back(TAPCache[i].Version ? TAPCache[i].Version : "(null)");
    return out;
  }
};

const dword T1 = 1000, T2 = 2000, T3 = 3000;

// Versions A, B, C give entries C, B, A; of B and A, which both match the
// TAP on the disk, only B (examined first) is installed.
TEST_F(TAPCacheTest, EntriesRunFromTheLastListedVersionAndOneIsInstalled) {
  dword crc = installed(0x11110001, "/ProgramFiles/AutoStart");
  package(0x11110001, {{"A", T1, DM_Final, 0, crc}, {"B", T2, DM_Final, 0, crc}, {"C", T3, DM_Final}});
  master(0x11110001, "One");
  TAPCacheInitialize();
  ASSERT_EQ(std::vector<std::string>({"C", "B", "A"}), versions());
  const int index[] = {2, 1, 0};
  const bool isInstalled[] = {false, true, false};
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(index[i], TAPCache[i].VPDVersionIndex) << i;
    EXPECT_EQ(isInstalled[i], TAPCache[i].isInstalled != 0) << i;
    EXPECT_EQ(isInstalled[i], TAPCache[i].isAutoStart != 0) << i;
    EXPECT_EQ(&Settings.MasterList[0], TAPCache[i].MasterList) << i;
    EXPECT_EQ(0x11110001u, TAPCache[i].TAPID) << i;
  }
  EXPECT_EQ(9u, Settings.MasterList[0].Category) << "taken from the package";
  EXPECT_EQ(1, TAPCacheGetInstalledVersionIndex(0x11110001));
  EXPECT_EQ(T3, TAPCacheGetGetNewestTimeStamp(0x11110001));
  EXPECT_EQ(T3, NewestTAP);
  std::vector<std::string> log = takeLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "3 TAP versions in TAPCache"), log.end());
}

// A TAP file that went from the disk keeps its inventory entry, not found:
// its version is no longer installed.
TEST_F(TAPCacheTest, AVanishedTapIsNotInstalled) {
  dword crc = installed(0x11110002);
  package(0x11110002, {{"A", T1, DM_Final, 0, crc}});
  master(0x11110002, "Gone");
  TAPCacheInitialize();
  ASSERT_EQ(0, TAPCacheGetInstalledVersionIndex(0x11110002));
  std::filesystem::remove(disk("/ProgramFiles/" + std::to_string(0x11110002) + ".tap"));
  TAPCacheInitialize();
  EXPECT_EQ(0, TAPsOnBoardCount) << "the vanished TAP left the inventory";
  EXPECT_EQ(-1, TAPCacheGetInstalledVersionIndex(0x11110002));
}

// The flags an entry takes from its version's file and its package.
TEST_F(TAPCacheTest, FileFlagsGiveAutoStartSettingsAndScreenshot) {
  struct Case {
    dword flags, tapId;
    int screenShot;
    bool mayAutoStart, hasSettings, hasScreenShot;
  } cases[] = {
      {0, 0, 0, true, false, false}, {4, 0, 0, false, false, false},         {1, 0, 6, true, true, true},
      {5, 0, 1, false, true, true},  {0, 0xFFFFFFFF, 0, true, false, false},
  };
  for (const Case &c : cases) {
    TAPCacheFree();
    SettingsFree();
    package(0x22220002, {{"V", T1, DM_Final, 0, 0x1234, c.flags, c.tapId}}, c.screenShot);
    master(0x22220002, "Two");
    TAPCacheInitialize();
    ASSERT_EQ(1, TAPCacheSize);
    EXPECT_EQ(c.mayAutoStart, TAPCache[0].mayAutoStart != 0) << "flags " << c.flags;
    EXPECT_EQ(c.hasSettings, TAPCache[0].hasSettings != 0) << "flags " << c.flags;
    EXPECT_EQ(c.hasScreenShot, TAPCache[0].hasScreenShot != 0) << "screenshot " << c.screenShot;
  }
}

// Visibility by deploy mode, installation, the two settings and a password.
TEST_F(TAPCacheTest, VisibilityFollowsModeInstallationSettingsAndPasswords) {
  struct Case {
    int mode;
    bool installed, beta, installerTest, password, visible;
  } cases[] = {
      {DM_Final, false, false, false, false, true},
      {DM_Hide, false, true, true, true, false},
      {DM_Hide, true, false, false, false, true},
      {DM_Revoke, false, true, true, true, false},
      {DM_Revoke, true, false, false, false, true},
      {DM_MarkedForDeletion, false, true, true, true, false},
      {DM_Beta, false, false, true, true, false},
      {DM_Beta, false, true, false, false, true},
      {DM_Alpha, false, true, true, false, false},
      {DM_Alpha, false, false, false, true, true},
      {DM_InstallerTest, false, false, false, true, false},
      {DM_InstallerTest, false, false, true, false, false},
      {DM_InstallerTest, false, false, true, true, true},
      {200, false, true, true, true, false},
  };
  tTAPCache entry{};
  TAPCache = &entry;
  TAPCacheSize = 1;
  passwords({77});
  for (const Case &c : cases) {
    entry.DeployMode = static_cast<tDeployMode>(c.mode);
    entry.isInstalled = c.installed;
    entry.AlphaPassword = c.password ? 77 : 78;
    Settings.BetaVersions = c.beta;
    Settings.InstallerTestVersions = c.installerTest;
    EXPECT_EQ(c.visible, TAPCacheIsVisibleVersion(0))
        << "mode " << c.mode << " installed " << c.installed << " beta " << c.beta << " test "
        << c.installerTest << " pw " << c.password;
  }
  EXPECT_FALSE(TAPCacheIsVisibleVersion(1)) << "outside the cache";
  TAPCache = nullptr;
  TAPCacheSize = 0;
}

// The notification of a master-list entry and the settings' two flags.
TEST_F(TAPCacheTest, NotificationsDependOnAcknowledgementInstallationAndRevocation) {
  struct Case {
    const char *what;
    std::vector<Version> versions;  // the file of a version with crc 1 is installed
    dword ackTime, settingsAck;
    tNotificationFlag flag;
    bool newMessage, revokedMessage;
  } cases[] = {
      {"never acknowledged, not installed",
       {{"1", T1, DM_Final}, {"2", T2, DM_Final}},
       0,
       0,
       NF_New,
       true,
       false},
      {"new, but the user saw newer", {{"1", T1, DM_Final}}, 0, T2, NF_New, false, false},
      {"installed the newest", {{"1", T1, DM_Final}, {"2", T2, DM_Final, 0, 1}}, 0, 0, NF_None, false, false},
      {"installed an older one",
       {{"1", T1, DM_Final, 0, 1}, {"2", T2, DM_Final}},
       0,
       0,
       NF_Updated,
       true,
       false},
      {"older installed, update seen",
       {{"1", T1, DM_Final, 0, 1}, {"2", T2, DM_Final}},
       0,
       T3,
       NF_Updated,
       false,
       false},
      {"acknowledged the newest", {{"1", T1, DM_Final}, {"2", T2, DM_Final}}, T2, 0, NF_None, false, false},
      {"acknowledged an older one",
       {{"1", T1, DM_Final}, {"2", T2, DM_Final}},
       T1,
       0,
       NF_Updated,
       true,
       false},
      {"revoked installed",
       {{"1", T1, DM_Final}, {"2", T2, DM_Revoke, 0, 1}, {"3", T3, DM_Final}},
       0,
       0,
       NF_Revoked,
       false,
       true},
      {"revoked, not installed",
       {{"1", T1, DM_Final, 0, 1}, {"2", T2, DM_Revoke}},
       0,
       0,
       NF_None,
       false,
       false},
      {"nothing visible", {{"1", T1, DM_Hide}, {"2", T2, DM_Beta}}, T1, 0, NF_None, false, false},
  };
  for (const Case &c : cases) {
    TAPCacheFree();
    SettingsFree();
    std::vector<Version> versions = c.versions;
    dword crc = installed(0x33330003);
    for (Version &v : versions)
      if (v.crc == 1) v.crc = crc;
    package(0x33330003, versions);
    tMasterList &m = master(0x33330003, "Three", c.ackTime);
    m.NotificationFlag = NF_Updated;
    Settings.AckTime = c.settingsAck;
    Settings.DisplayNewMessage = Settings.DisplayRevokedMessage = FALSE;
    TAPCacheInitialize();
    EXPECT_EQ(c.flag, Settings.MasterList[0].NotificationFlag) << c.what;
    EXPECT_EQ(c.newMessage, Settings.DisplayNewMessage) << c.what;
    EXPECT_EQ(c.revokedMessage, Settings.DisplayRevokedMessage) << c.what;
    EXPECT_EQ(c.revokedMessage, TAPCacheIsAnyRevokedVersionInstalled()) << c.what;
  }
  // A package that cannot be loaded adds nothing and leaves no news.
  SettingsFree();
  tMasterList &m = master(0x44440004, "Missing");
  m.NotificationFlag = NF_New;
  TAPCacheInitialize();
  EXPECT_EQ(0, TAPCacheSize);
  EXPECT_EQ(NF_None, Settings.MasterList[0].NotificationFlag);
  EXPECT_FALSE(TAPCacheIsAnyVisibleVersion(0x44440004));
}

// Right after building, matching alpha and installer-test entries are
// updated; a later check marks only those a new password unlocked.
TEST_F(TAPCacheTest, AlphaPasswordsMarkNewlyUnlockedVersionsAsUpdated) {
  package(0x55550005, {{"a", T1, DM_Alpha, 11},
                       {"t", T1, DM_InstallerTest, 22},
                       {"f", T1, DM_Final, 11},
                       {"b", T1, DM_Alpha, 0x1000000000000000ull + 11}});
  master(0x55550005, "Five", T2);  // acknowledged after every version
  passwords({11});
  TAPCacheInitialize();
  ASSERT_EQ(std::vector<std::string>({"b", "f", "t", "a"}), versions());
  struct Expect {
    bool match, updated;
  };
  auto check = [&](const std::vector<Expect> &expected, const char *when) {
    for (int i = 0; i < 4; i++) {
      EXPECT_EQ(expected[i].match, TAPCache[i].AlphaPwdMatch != 0) << when << " " << TAPCache[i].Version;
      EXPECT_EQ(expected[i].updated, TAPCache[i].isUpdated != 0) << when << " " << TAPCache[i].Version;
    }
  };
  check({{false, false}, {false, false}, {false, false}, {true, true}}, "after building");
  for (int i = 0; i < 4; i++) TAPCache[i].isUpdated = FALSE;
  passwords({22, 11});
  TAPCacheXCheckAlphaKeys();
  check({{false, false}, {false, false}, {true, true}, {true, false}}, "after a new password");
  passwords({});
  TAPCacheXCheckAlphaKeys();
  check({{false, false}, {false, false}, {false, true}, {false, false}}, "after the passwords went");
}

// Acknowledge takes the newest visible version's time and clears news but
// not a revocation; without a visible version it does nothing.
TEST_F(TAPCacheTest, AcknowledgeTakesTheNewestVisibleVersion) {
  package(0x66660006, {{"1", T1, DM_Final}, {"2", T2, DM_Final}, {"3", T3, DM_Hide}});
  package(0x77770007, {{"1", T1, DM_Hide}});
  master(0x66660006, "Six");
  master(0x77770007, "Seven", 5);
  TAPCacheInitialize();
  struct Case {
    int entry;
    tNotificationFlag before, after;
    dword ackTime;
  } cases[] = {{0, NF_New, NF_None, T2},
               {0, NF_Updated, NF_None, T2},
               {0, NF_Revoked, NF_Revoked, T2},
               {1, NF_New, NF_New, 5}};
  for (const Case &c : cases) {
    tMasterList &m = Settings.MasterList[c.entry];
    m.NotificationFlag = c.before;
    Acknowledge(&m);
    EXPECT_EQ(c.after, m.NotificationFlag) << c.entry << " " << c.before;
    EXPECT_EQ(c.ackTime, m.AckTime) << c.entry << " " << c.before;
  }
  Acknowledge(nullptr);
  EXPECT_EQ(-1, TAPCacheGetInstalledVersionIndex(0x66660006));
  EXPECT_EQ(0u, TAPCacheGetGetNewestTimeStamp(0x12345678));
  EXPECT_TRUE(TAPCacheIsAnyVisibleVersion(0x66660006));
  EXPECT_FALSE(TAPCacheIsAnyVisibleVersion(0x77770007));
}

// An inventory TAP under another ID whose file a package lists is noted
// once as part of that package.
TEST_F(TAPCacheTest, AForeignTapWithAPackagesFileBecomesPartOfIt) {
  dword crc = installed(0x88880008);
  package(0x99990009, {{"1", T1, DM_Final, 0, crc, 0, 0x12121212}, {"2", T2, DM_Final, 0, crc}});
  master(0x99990009, "Nine");
  TAPCacheInitialize();
  std::vector<std::string> log = takeLog();
  EXPECT_EQ(1, std::count(log.begin(), log.end(), "TOB: 'Template TAP' seems to be part of 'Nine'"));
  ASSERT_EQ(1, TAPsOnBoardCount);
  EXPECT_EQ(0x99990009u, TAPsOnBoard[0].PartOf) << "the file of the newest version, examined first";
  EXPECT_EQ(-1, TAPCacheGetInstalledVersionIndex(0x99990009));
}

// Two entries with names of 5 and 7 bytes and versions of 3 bytes: 170
// bytes, each record in its place, the last 8 zero; read back the same.
TEST_F(TAPCacheTest, TheFileHoldsEveryFieldInItsPlace) {
  package(0xAAAA000A, {{"1.0", T1, DM_Beta, 0x0102030405060708ull}});
  package(0xBBBB000B, {{"2.0", T2, DM_Final}});
  master(0xAAAA000A, "Short");
  master(0xBBBB000B, "Longer!");
  Settings.BetaVersions = TRUE;
  TAPCacheInitialize();
  ASSERT_EQ(2, TAPCacheSize);
  TAPCache[0].isRunning = TRUE;
  ASSERT_TRUE(TAPCacheSave());
  std::string file = getSetting("TAPCache.bin");
  datafiles::Bytes expected;
  expected.dw(0xAAAA000A).str("Short").str("1.0").dw(T1).dw(DM_Beta).qw(0x0102030405060708ull);
  for (dword v : {0u, 1u, 0u, 0u, 1u, 0u, 0u, 0u, 0u, 1u, 0u}) expected.dw(v);
  expected.dw(0xBBBB000B).str("Longer!").str("2.0").dw(T2).dw(DM_Final).qw(0);
  for (dword v : {0u, 1u, 0u, 0u, 1u, 0u, 0u, 0u, 0u, 0u, 0u}) expected.dw(v);
  expected.dw(0).dw(0);
  ASSERT_EQ(170u, file.size());
  for (size_t i = 0; i < file.size(); i += 4)
    EXPECT_EQ(expected.data().substr(i, 4), file.substr(i, 4)) << "at byte " << i;
  EXPECT_FALSE(exists(SettingsDir + "/TAPCache.bin.tmp"));

  std::vector<tTAPCacheRecord> records;
  auto collect = [](void *context, const tTAPCacheRecord *r) {
    static_cast<std::vector<tTAPCacheRecord> *>(context)->push_back(*r);
  };
  ASSERT_EQ(2, TAPCacheParse(reinterpret_cast<const byte *>(file.data()), file.size(), collect, &records));
  ASSERT_EQ(2u, records.size());
  EXPECT_EQ("Longer!", std::string(records[1].Name, records[1].NameLength));
  EXPECT_EQ("1.0", std::string(records[0].Version, records[0].VersionLength));
  EXPECT_EQ(0x0102030405060708ull, records[0].AlphaPassword);
  EXPECT_EQ(1u, records[0].Values[9]) << "isRunning";
  EXPECT_EQ(2, TAPCacheReadFile(nullptr, nullptr));

  // A longer old file is replaced whole, not overwritten in front.
  putSetting("TAPCache.bin", file + std::string(500, 'x'));
  EXPECT_EQ(-2, TAPCacheReadFile(nullptr, nullptr));
  ASSERT_TRUE(TAPCacheSave());
  EXPECT_EQ(170u, getSetting("TAPCache.bin").size());
}

// Images that are not a cache file.
TEST_F(TAPCacheTest, DamagedImagesAreRejectedWhole) {
  datafiles::Bytes one;
  one.dw(1).str("N").str("V").dw(0).dw(0).qw(0);
  for (int i = 0; i < 11; i++) one.dw(0);
  std::string good = one.data() + std::string(4, '\0');
  struct Case {
    const char *what;
    std::string image;
    int records;
  } cases[] = {
      {"empty", "", 0},
      {"one record", good, 1},
      {"tail missing", one.data(), -1},
      {"tail not zero", one.data() + std::string("\0\0\0\1", 4), -1},
      {"a byte more", good + std::string(1, '\0'), -1},
      {"cut in the record", good.substr(0, 40), -1},
      {"name longer than the file", datafiles::Bytes().dw(1).dw(0x7FFFFFFF).data() + std::string(80, '\0'),
       -1},
      {"a record of zeros", std::string(76, '\0'), 1},
  };
  int visits = 0;
  auto count = [](void *context, const tTAPCacheRecord *) { ++*static_cast<int *>(context); };
  for (const Case &c : cases) {
    visits = 0;
    EXPECT_EQ(c.records,
              TAPCacheParse(reinterpret_cast<const byte *>(c.image.data()), c.image.size(), count, &visits))
        << c.what;
    EXPECT_EQ(std::max(0, c.records), visits) << c.what;
  }
  EXPECT_EQ(0, TAPCacheParse(nullptr, 100, count, &visits));
}

// An entry without its version text stops the save: logged, nothing written.
TEST_F(TAPCacheTest, AnEntryWithoutVersionWritesNothing) {
  package(0xCCCC000C, {{"1", T1, DM_Final}});
  master(0xCCCC000C, "C");
  TAPCacheInitialize();
  StringClear(&TAPCache[0].Version);
  takeLog();
  EXPECT_FALSE(TAPCacheSave());
  EXPECT_FALSE(exists(SettingsDir + "/TAPCache.bin"));
  EXPECT_EQ(
      std::vector<std::string>({"Failed to write the cache for TAP cccc000c because Version == NULL\n"}),
      takeLog());
  TAPCache[0].MasterList = nullptr;
  EXPECT_FALSE(TAPCacheSave());
  EXPECT_EQ(
      std::vector<std::string>({"Failed to write the cache for TAP cccc000c because MasterList == NULL\n"}),
      takeLog());
}

// 900 versions: the first 800 examined enter the cache, each further one is
// logged; the file holds 800 records.
TEST_F(TAPCacheTest, TheCacheHoldsAtMost800Versions) {
  std::vector<Version> many;
  static char texts[900][8];
  for (int i = 0; i < 900; i++) {
    snprintf(texts[i], sizeof texts[i], "%d", i);
    many.push_back({texts[i], static_cast<dword>(i + 1), DM_Final});
  }
  package(0xDDDD000D, many);
  master(0xDDDD000D, "Many");
  takeLog();
  TAPCacheInitialize();
  ASSERT_EQ(TAPCACHE_MAX_ENTRIES, TAPCacheSize);
  EXPECT_STREQ("899", TAPCache[0].Version);
  EXPECT_STREQ("100", TAPCache[799].Version);
  std::vector<std::string> log = takeLog();
  EXPECT_EQ(100, std::count(log.begin(), log.end(), "TAPCache out of bounds"));
  EXPECT_EQ(900u, NewestTAP) << "the dropped versions still count for the newest time";
  ASSERT_TRUE(TAPCacheSave());
  EXPECT_EQ(800, TAPCacheReadFile(nullptr, nullptr));
}

// Versions nobody may see give way to the visible ones of the next TAP.
TEST_F(TAPCacheTest, HiddenVersionsMakeRoomForVisibleOnes) {
  std::vector<Version> hidden(TAPCACHE_MAX_ENTRIES, Version{"h", 1, DM_Hide});
  package(0xEEEE0001, hidden);
  package(0xEEEE0002, {{"1.0", 2, DM_Final}, {"1.1", 3, DM_Final}});
  master(0xEEEE0001, "Hidden");
  master(0xEEEE0002, "Visible");
  TAPCacheInitialize();
  ASSERT_EQ(TAPCACHE_MAX_ENTRIES, TAPCacheSize);
  EXPECT_STREQ("1.1", TAPCache[TAPCACHE_MAX_ENTRIES - 2].Version);
  EXPECT_STREQ("1.0", TAPCache[TAPCACHE_MAX_ENTRIES - 1].Version);
  EXPECT_TRUE(TAPCacheIsAnyVisibleVersion(0xEEEE0002));
  EXPECT_EQ(NF_New, Settings.MasterList[1].NotificationFlag);
}

}  // namespace
}  // namespace manager_test
