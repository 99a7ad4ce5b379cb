// SettingsTest.cpp - "Vantero.settings": the defaults and their 60-byte
// file, the exact format-11 image with both lists, the migration of every
// older format, and the files that cannot be used (missing, newer, damaged),
// which are kept beside the new default file.
#include "DataFilesSim.h"

namespace datafiles {
namespace {

const std::string SettingsFile = "Vantero.settings";

class SettingsTest : public DataFilesSim {
 protected:
  void expectDefaults() {
    EXPECT_EQ(11, Settings.SettingsFormat);
    EXPECT_TRUE(Settings.AutoUpdateChecks);
    EXPECT_FALSE(Settings.BetaVersions);
    EXPECT_FALSE(Settings.InstallerTestVersions);
    EXPECT_EQ(0, Settings.NrOfAlphaPasswords);
    EXPECT_EQ(nullptr, Settings.AlphaPasswords);
    EXPECT_EQ(0, Settings.NrOfMasterListEntries);
    EXPECT_EQ(nullptr, Settings.MasterList);
    EXPECT_FALSE(Settings.DisplayNewMessage);
    EXPECT_FALSE(Settings.DisplayRevokedMessage);
    EXPECT_EQ(0u, Settings.AckTime);
    EXPECT_EQ(10u, Settings.StartupDelay);
    EXPECT_FALSE(Settings.ConductorMenu);
    EXPECT_EQ(OWM_Linear, Settings.OverviewWindowMode);
    EXPECT_FALSE(Settings.AutoStopVPD);
    EXPECT_TRUE(Settings.TSRMode);
    EXPECT_EQ(0, Settings.InventoryDump);
  }
};

TEST_F(SettingsTest, MissingFileGivesTheDefaultsAndTheir60ByteFile) {
  Settings.StartupDelay = 99;
  EXPECT_FALSE(SettingsLoad());
  expectDefaults();
  EXPECT_EQ(DefaultSettingsImage(), getSetting(SettingsFile));
  EXPECT_EQ(60u, getSetting(SettingsFile).size());
  EXPECT_EQ(std::vector<std::string>{"Settings file not found, using default values"}, takeLog());
  EXPECT_TRUE(SettingsLoad());
  expectDefaults();
  EXPECT_TRUE(takeLog().empty());
  EXPECT_EQ("/ProgramFiles", currentDir());
}

// Both lists, an empty name (stored with length 0, read back as null) and
// every item with a value of its own.
TEST_F(SettingsTest, Format11ImageWithBothListsAndItsWayBack) {
  SettingsDefault();
  int64 *passwords = static_cast<int64 *>(TAP_MemAlloc(2 * sizeof(int64)));
  passwords[0] = 0x0123456789ABCDEFull;
  passwords[1] = 7;
  Settings.AlphaPasswords = passwords;
  Settings.NrOfAlphaPasswords = 2;
  Settings.MasterList = static_cast<tMasterList *>(TAP_MemAlloc(2 * sizeof(tMasterList)));
  memset(Settings.MasterList, 0, 2 * sizeof(tMasterList));
  Settings.NrOfMasterListEntries = 2;
  tMasterList &m = Settings.MasterList[0];
  m.TAPID = 0x5C3E1A20;
  StringSet(&m.VPDURL, "http://x.invalid/a.vpd");
  StringSet(&m.Name, "");
  StringSet(&m.Author, "Me");
  m.TopfieldEuropeTimeStamp = 21;
  m.NotificationFlag = NF_Revoked;
  m.AckTime = 22;
  m.NotifyMe = true;
  m.VPDUpdated = true;  // memory only
  m.Category = 23;
  m.VPDTimeStamp = 24;
  Settings.MasterList[1].TAPID = 2;
  Settings.SettingsFormat = 3;
  Settings.AutoUpdateChecks = false;
  Settings.BetaVersions = true;
  Settings.InstallerTestVersions = true;
  Settings.DisplayNewMessage = true;
  Settings.DisplayRevokedMessage = true;
  Settings.AckTime = 31;
  Settings.StartupDelay = 32;
  Settings.ConductorMenu = true;
  Settings.OverviewWindowMode = OWM_Author;
  Settings.AutoStopVPD = true;
  Settings.TSRMode = false;
  Settings.InventoryDump = 33;
  putSetting(SettingsFile, std::string(500, 'x'));  // a longer old file
  ASSERT_TRUE(SettingsSave());
  EXPECT_EQ(11, Settings.SettingsFormat);

  Bytes b;
  b.dw(11).dw(0).dw(1).dw(1).dw(2).qw(0x0123456789ABCDEFull).qw(7).dw(2);
  b.dw(0x5C3E1A20)
      .str("http://x.invalid/a.vpd")
      .str("")
      .str("Me")
      .dw(21)
      .dw(NF_Revoked)
      .dw(22)
      .dw(1)
      .dw(23)
      .dw(24);
  b.dw(2).str("").str("").str("").dw(0).dw(0).dw(0).dw(0).dw(0).dw(0);
  b.dw(1).dw(1).dw(31).dw(32).dw(1).dw(OWM_Author).dw(1).dw(0).dw(33);
  EXPECT_EQ(60u + 16 + 40 + 22 + 2 + 40, b.size());
  EXPECT_TRUE(b.data() == getSetting(SettingsFile)) << "the file differs from the format-11 image";

  SettingsDefault();
  ASSERT_TRUE(SettingsLoad());
  EXPECT_TRUE(takeLog().empty());
  EXPECT_FALSE(Settings.AutoUpdateChecks);
  EXPECT_TRUE(Settings.BetaVersions && Settings.InstallerTestVersions);
  ASSERT_EQ(2, Settings.NrOfAlphaPasswords);
  EXPECT_EQ(0x0123456789ABCDEFull, Settings.AlphaPasswords[0]);
  EXPECT_EQ(7u, Settings.AlphaPasswords[1]);
  ASSERT_EQ(2, Settings.NrOfMasterListEntries);
  const tMasterList &r = Settings.MasterList[0];
  EXPECT_EQ(0x5C3E1A20u, r.TAPID);
  EXPECT_STREQ("http://x.invalid/a.vpd", r.VPDURL);
  EXPECT_EQ(nullptr, r.Name);
  EXPECT_STREQ("Me", r.Author);
  EXPECT_EQ(21u, r.TopfieldEuropeTimeStamp);
  EXPECT_EQ(NF_Revoked, r.NotificationFlag);
  EXPECT_EQ(22u, r.AckTime);
  EXPECT_TRUE(r.NotifyMe);
  EXPECT_FALSE(r.VPDUpdated);
  EXPECT_EQ(23u, r.Category);
  EXPECT_EQ(24u, r.VPDTimeStamp);
  EXPECT_EQ(2u, Settings.MasterList[1].TAPID);
  EXPECT_EQ(nullptr, Settings.MasterList[1].VPDURL);
  EXPECT_TRUE(Settings.DisplayNewMessage && Settings.DisplayRevokedMessage);
  EXPECT_EQ(31u, Settings.AckTime);
  EXPECT_EQ(32u, Settings.StartupDelay);
  EXPECT_TRUE(Settings.ConductorMenu);
  EXPECT_EQ(OWM_Author, Settings.OverviewWindowMode);
  EXPECT_TRUE(Settings.AutoStopVPD);
  EXPECT_FALSE(Settings.TSRMode);
  EXPECT_EQ(33, Settings.InventoryDump);
}

// The items that came with later formats, the format that brought each and
// a value of its own; every other item is in every format.
struct LaterItem {
  const char *name;
  int since;
  uint32_t value;
};
const LaterItem LaterItems[] = {
    {"master-list Category", 7, 70},
    {"master-list VPDTimeStamp", 8, 80},
    {"AckTime", 9, 90},
    {"StartupDelay", 4, 40},
    {"ConductorMenu", 5, 1},
    {"OverviewWindowMode", 6, OWM_Category},
    {"AutoStopVPD", 9, 1},
    {"TSRMode", 10, 1},
    {"InventoryDump", 11, 110},
};

uint32_t LaterValue(const char *name, int format) {
  for (const LaterItem &item : LaterItems)
    if (strcmp(item.name, name) == 0) return format >= item.since ? item.value : 0;
  return 0;
}

// A file of the format with one password and one master-list entry.
std::string ImageOfFormat(int format) {
  Bytes b;
  b.dw(format).dw(1).dw(1).dw(0).dw(1).qw(5).dw(1);
  b.dw(0xABCD).str("u").str("n").str("a").dw(11).dw(NF_New).dw(12).dw(1);
  if (format >= 7) b.dw(LaterValue("master-list Category", format));
  if (format >= 8) b.dw(LaterValue("master-list VPDTimeStamp", format));
  b.dw(1).dw(0);
  const char *tail[] = {"AckTime",     "StartupDelay", "ConductorMenu", "OverviewWindowMode",
                        "AutoStopVPD", "TSRMode",      "InventoryDump"};
  for (const char *item : tail)
    for (const LaterItem &later : LaterItems)
      if (strcmp(later.name, item) == 0 && format >= later.since) b.dw(later.value);
  return b.data();
}

TEST_F(SettingsTest, EveryOlderFormatIsMigratedWithTheItemsItLacksAtZero) {
  for (int format = 1; format <= 11; format++) {
    putSetting(SettingsFile, ImageOfFormat(format));
    ASSERT_TRUE(SettingsLoad()) << "format " << format;
    std::vector<std::string> expectedLog;
    if (format < 11)
      expectedLog.push_back("Settings successfully migrated from V" + std::to_string(format) + " to V11");
    EXPECT_EQ(expectedLog, takeLog()) << format;
    EXPECT_EQ(format, Settings.SettingsFormat) << "kept until the next save";
    EXPECT_TRUE(Settings.AutoUpdateChecks && Settings.BetaVersions && !Settings.InstallerTestVersions)
        << format;
    ASSERT_EQ(1, Settings.NrOfAlphaPasswords) << format;
    EXPECT_EQ(5u, Settings.AlphaPasswords[0]) << format;
    ASSERT_EQ(1, Settings.NrOfMasterListEntries) << format;
    const tMasterList &m = Settings.MasterList[0];
    EXPECT_EQ(0xABCDu, m.TAPID) << format;
    EXPECT_STREQ("a", m.Author) << format;
    EXPECT_EQ(NF_New, m.NotificationFlag) << format;
    EXPECT_TRUE(m.NotifyMe) << format;
    EXPECT_EQ(LaterValue("master-list Category", format), m.Category) << format;
    EXPECT_EQ(LaterValue("master-list VPDTimeStamp", format), m.VPDTimeStamp) << format;
    EXPECT_TRUE(Settings.DisplayNewMessage && !Settings.DisplayRevokedMessage) << format;
    EXPECT_EQ(LaterValue("AckTime", format), Settings.AckTime) << format;
    EXPECT_EQ(LaterValue("StartupDelay", format), Settings.StartupDelay) << format;
    EXPECT_EQ(LaterValue("ConductorMenu", format) != 0, Settings.ConductorMenu) << format;
    EXPECT_EQ(LaterValue("OverviewWindowMode", format), (uint32_t)Settings.OverviewWindowMode) << format;
    EXPECT_EQ(LaterValue("AutoStopVPD", format) != 0, Settings.AutoStopVPD) << format;
    EXPECT_EQ(LaterValue("TSRMode", format) != 0, Settings.TSRMode) << format;
    EXPECT_EQ(LaterValue("InventoryDump", format), (uint32_t)Settings.InventoryDump) << format;
  }
}

TEST_F(SettingsTest, UnknownModesAreReadAsTheFirstOfTheirKind) {
  const struct {
    uint32_t flag, mode;
    tNotificationFlag loadedFlag;
    tOverviewWindowMode loadedMode;
  } cases[] = {
      {NF_Revoked, OWM_Deactivated, NF_Revoked, OWM_Deactivated},
      {4, OWM_LAST, NF_None, OWM_Linear},
      {0xFFFFFFFF, 0x80000000, NF_None, OWM_Linear},
  };
  for (const auto &c : cases) {
    Bytes b;
    b.dw(11)
        .dw(1)
        .dw(0)
        .dw(0)
        .dw(0)
        .dw(1)
        .dw(5)
        .str("")
        .str("")
        .str("")
        .dw(0)
        .dw(c.flag)
        .dw(0)
        .dw(0)
        .dw(0)
        .dw(0);
    b.dw(0).dw(0).dw(0).dw(10).dw(0).dw(c.mode).dw(0).dw(1).dw(0);
    putSetting(SettingsFile, b.data());
    ASSERT_TRUE(SettingsLoad()) << c.flag << " " << c.mode;
    EXPECT_EQ(c.loadedFlag, Settings.MasterList[0].NotificationFlag) << c.flag;
    EXPECT_EQ(c.loadedMode, Settings.OverviewWindowMode) << c.mode;
  }
}

TEST_F(SettingsTest, ANewerFormatIsKeptBesideTheDefaultFile) {
  std::string newer = Bytes().dw(12).dw(0).raw("whatever V12 holds").data();
  putSetting(SettingsFile, newer);
  EXPECT_FALSE(SettingsLoad());
  expectDefaults();
  EXPECT_EQ(
      (std::vector<std::string>{"Settings version mismatch (expected <= V11, got V12), using default values",
                                "Kept the old settings file as 'Vantero.settings.V12'"}),
      takeLog());
  EXPECT_EQ(DefaultSettingsImage(), getSetting(SettingsFile));
  EXPECT_EQ(newer, getSetting("Vantero.settings.V12"));
}

TEST_F(SettingsTest, ADamagedFileIsKeptAndReplacedByTheDefaults) {
  const std::string good = ImageOfFormat(11);
  const struct {
    const char *what;
    std::string image;
  } cases[] = {
      {"empty", ""},
      {"format 0", Bytes().dw(0).raw(good.substr(4)).data()},
      {"negative format", Bytes().dw(0xFFFFFFFF).raw(good.substr(4)).data()},
      {"cut in the master list", good.substr(0, 40)},
      {"cut before the last item", good.substr(0, good.size() - 1)},
      {"2 billion passwords", Bytes().dw(11).dw(0).dw(0).dw(0).dw(0x7FFFFFFF).data()},
      {"negative password count", Bytes().dw(11).dw(0).dw(0).dw(0).dw(0xFFFFFFFF).dw(0).data()},
      {"more master-list entries than bytes",
       Bytes().dw(11).dw(0).dw(0).dw(0).dw(0).dw(3).raw(std::string(100, '\0')).data()},
      {"name longer than the file", good.substr(0, 36) + Bytes().dw(0xFFFF).data() + good.substr(40)},
  };
  int strings = StringSpace, copy = 0;
  for (const auto &c : cases) {
    // An earlier copy is never replaced: the nine cases fill the nine names.
    std::string kept = "Vantero.settings.damaged" + (++copy > 1 ? "." + std::to_string(copy) : "");
    putSetting(SettingsFile, c.image);
    Settings.StartupDelay = 99;
    EXPECT_FALSE(SettingsLoad()) << c.what;
    expectDefaults();
    EXPECT_EQ(strings, StringSpace) << c.what << ": strings of the half-read file stay";
    EXPECT_EQ((std::vector<std::string>{"Settings file is damaged, using default values",
                                        "Kept the old settings file as '" + kept + "'"}),
              takeLog())
        << c.what;
    EXPECT_TRUE(c.image == getSetting(kept)) << c.what;
    EXPECT_EQ(DefaultSettingsImage(), getSetting(SettingsFile)) << c.what;
  }
  putSetting(SettingsFile, good + "stale tail");
  EXPECT_TRUE(SettingsLoad()) << "bytes behind the end are never read";
}

// A file that cannot be read (here a folder of its name), or cannot be kept
// under any free name, stays as it is: defaults in memory, no save over it.
TEST_F(SettingsTest, AFileThatCannotBeReadOrKeptIsNeverWrittenOver) {
  const std::string newer = Bytes().dw(12).raw("V12 data").data();
  const struct {
    const char *what;
    std::string image;  // "" : a folder of the file's name
    const char *copyName;
  } cases[] = {
      {"unreadable", "", nullptr},
      {"newer, every copy name taken", newer, "Vantero.settings.V12"},
      {"damaged, every copy name taken", ImageOfFormat(11).substr(0, 30), "Vantero.settings.damaged"},
  };
  for (const auto &c : cases) {
    fs::remove_all(disk(SettingsDir));
    makeFolder(SettingsDir);
    c.image.empty() ? makeFolder(SettingsDir + "/" + SettingsFile + "/inside")
                    : putSetting(SettingsFile, c.image);
    for (int copy = 1; c.copyName != nullptr && copy <= 9; copy++)
      makeFolder(SettingsDir + "/" + c.copyName + (copy > 1 ? "." + std::to_string(copy) : "") + "/x");
    EXPECT_FALSE(SettingsLoad()) << c.what;
    expectDefaults();
    EXPECT_FALSE(SettingsSave()) << c.what;
    EXPECT_TRUE(SettingsSaveBlocked && SettingsUnsaved) << c.what;
    EXPECT_TRUE(c.image.empty() ? fs::is_directory(disk(SettingsDir + "/" + SettingsFile + "/inside"))
                                : c.image == getSetting(SettingsFile))
        << c.what << ": the file was written over";
  }
}

TEST_F(SettingsTest, LoadingAndRejectingLeaveNoMemoryBehind) {
  for (int format : {3, 11}) {
    putSetting(SettingsFile, ImageOfFormat(format));
    EXPECT_EQ(0, HeapGrowth([] { SettingsLoad(); })) << "format " << format;
  }
  std::string cut = ImageOfFormat(11).substr(0, 60);
  // The kept copy is removed each time, so that every round meets the same
  // disk (a growing folder would grow the simulator's own tables).
  EXPECT_EQ(0, HeapGrowth([&] {
              putSetting(SettingsFile, cut);
              SettingsLoad();
              fs::remove(disk(SettingsDir + "/" + SettingsFile + ".damaged"));
            }))
      << "a damaged file";
}

TEST_F(SettingsTest, NetworkConfigurationIsLoggedLineByLine) {
  LogNetworkParams();
  std::string network = getSetting("network.log");
  ASSERT_NE(std::string::npos, network.find("eth0")) << network;
  std::vector<std::string> lines;
  for (size_t pos = 0; pos < network.size();) {
    size_t end = network.find('\n', pos);
    if (end == std::string::npos) end = network.size();
    lines.push_back(network.substr(pos, end - pos));
    pos = end + 1;
  }
  EXPECT_EQ(lines, takeLog());
  EXPECT_EQ("/ProgramFiles", currentDir());
}

}  // namespace
}  // namespace datafiles
