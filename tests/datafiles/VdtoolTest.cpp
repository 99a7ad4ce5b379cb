// VdtoolTest.cpp - the command-line tool against the library: its dump of
// files that the library wrote agrees field for field with the records, the
// library loads what its make-vpd wrote, and every problem is reported with
// the file's name and the loader's own words.
#include <nlohmann/json.hpp>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "Packages.h"

namespace datafiles {
namespace {

using nlohmann::json;

struct ToolRun {
  int status;
  std::string out, err;
};

class VdtoolTest : public DataFilesSim {
 protected:
  // Runs vdtool in the test's folder with the arguments (quoted by the caller).
  ToolRun vdtool(const std::string &arguments) {
    std::string command =
        "cd '" + root + "' && " + VDTOOL_COMMAND + " " + arguments + " > out.txt 2> err.txt";
    return {hostShell(command), readHostFile(root + "/out.txt"), readHostFile(root + "/err.txt")};
  }
  json dump(const std::string &boxPath) {
    ToolRun run = vdtool("dump '" + disk(boxPath) + "'");
    EXPECT_EQ(0, run.status) << run.err;
    return json::parse(run.out);
  }
  static json text(const char *s) { return s != nullptr ? json(s) : json(nullptr); }

  void expectPackage(const json &j, const tVPD &vpd) {
    EXPECT_EQ(json("VPDDB"), j["DBMagic"]);
    EXPECT_EQ(9, j["DBVersion"]);
    EXPECT_EQ(vpd.TAPID, j["TAPID"]);
    for (auto field : {std::make_pair("TAPName", vpd.TAPName),
                       {"TAPAuthor", vpd.TAPAuthor},
                       {"DE_Description", vpd.DE_Description},
                       {"EN_Description", vpd.EN_Description},
                       {"URL", vpd.URL},
                       {"PasswdMD5", vpd.PasswdMD5},
                       {"ScreenShotFile", vpd.ScreenShotFile},
                       {"Homepage", vpd.Homepage}})
      EXPECT_EQ(text(field.second), j[field.first]) << field.first;
    EXPECT_EQ(vpd.Hosting, j["Hosting"]);
    EXPECT_EQ(vpd.Category, j["Category"]);
    EXPECT_EQ(vpd.PasswdReadonly, j["PasswdReadonly"]);
    EXPECT_EQ(vpd.ScreenShotSize, j["ScreenShotSize"]);
    EXPECT_EQ(json("iVBORwAB"), j["Screenshot"]) << "base64 of the sample's six bytes";
    ASSERT_EQ(vpd.NrOfVersions, j["NrOfVersions"]);
    ASSERT_EQ(static_cast<size_t>(vpd.NrOfVersions), j["Versions"].size());
    for (int v = 0; v < vpd.NrOfVersions; v++) {
      const tVPDVersion &version = vpd.Versions[v];
      const json &jv = j["Versions"][v];
      EXPECT_EQ(text(version.Version), jv["Version"]) << v;
      EXPECT_EQ(version.TimeStamp, jv["TimeStamp"]) << v;
      EXPECT_EQ(text(version.ReleaseNotes), jv["ReleaseNotes"]) << v;
      EXPECT_EQ(version.SupportedLang, jv["SupportedLang"]) << v;
      EXPECT_EQ(version.DeployMode, jv["DeployMode"]) << v;
      EXPECT_EQ(version.AlphaPassword, jv["AlphaPassword"].get<uint64_t>()) << v;
      EXPECT_EQ(version.Flags, jv["Flags"]) << v;
      EXPECT_EQ(text(version.RootDir), jv["RootDir"]) << v;
      ASSERT_EQ(static_cast<size_t>(version.NrOfDependencies), jv["Dependencies"].size()) << v;
      for (int d = 0; d < version.NrOfDependencies; d++)
        EXPECT_EQ(version.Dependencies[d], jv["Dependencies"][d]);
      ASSERT_EQ(static_cast<size_t>(version.NrOfFiles), jv["Files"].size()) << v;
      for (int f = 0; f < version.NrOfFiles; f++) {
        const tVPDFiles &file = version.Files[f];
        const json &jf = jv["Files"][f];
        EXPECT_EQ(text(file.FileName), jf["FileName"]);
        EXPECT_EQ(text(file.DefaultPath), jf["DefaultPath"]);
        EXPECT_EQ(json(nullptr), jf["CurrentName"]);
        EXPECT_EQ(json(nullptr), jf["CurrentPath"]);
        EXPECT_EQ(file.Time, jf["Time"]);
        EXPECT_EQ(file.Size, jf["Size"]);
        EXPECT_EQ(file.CRC32, jf["CRC32"]);
        EXPECT_EQ(file.TAPID, jf["TAPID"]);
        EXPECT_EQ(file.InstallMode, jf["InstallMode"]);
        EXPECT_EQ(file.Flags, jf["Flags"]);
        EXPECT_EQ(file.SettingsVersion, jf["SettingsVersion"]);
      }
    }
  }
};

TEST_F(VdtoolTest, DumpOfAPackageFileAgreesWithTheRecordFieldForField) {
  tVPD sample;
  SamplePackage(sample);
  ASSERT_TRUE(VPDSave(&sample, "5C3E1A20.vpd"));
  expectPackage(dump(SettingsDir + "/5C3E1A20.vpd"), sample);
  VPDFree(&sample);
}

// The sample package in an author's hand: hex texts, mode names, a date.
const char *const AuthorsJson = R"({
  "TAPID": "0x5C3E1A20", "TAPName": "Vantero", "TAPAuthor": "Vantero Team",
  "DE_Description": "Beschreibung", "EN_Description": "Description", "Hosting": 2, "Category": 7,
  "URL": "http://example.invalid/5C3E1A20.vpd", "PasswdReadonly": true,
  "ScreenShotFile": "shot.png", "Screenshot": "iVBORwAB", "Homepage": "home",
  "Versions": [
    {"Version": "1.0", "TimeStamp": 191500852, "ReleaseNotes": "first", "SupportedLang": 3,
     "DeployMode": "DM_Final", "Flags": 16, "Dependencies": ["0x11111111", 572662306],
     "Files": [
       {"FileName": "Vantero.tap", "DefaultPath": "/mnt/hd/ProgramFiles/AutoStart", "Time": 101, "Size": 102,
        "CRC32": 103, "TAPID": 104, "InstallMode": "IM_OverwriteIfNewer", "Flags": 105, "SettingsVersion": 106},
       {"FileName": "Vantero.lng", "DefaultPath": "/mnt/hd/ProgramFiles/Settings/Vantero", "Time": 201, "Size": 202,
        "CRC32": 203, "TAPID": 204, "InstallMode": 2, "Flags": 205, "SettingsVersion": 206},
       {"FileName": "root.dat", "DefaultPath": "/mnt/hd/ProgramFiles", "Time": 301, "Size": 302,
        "CRC32": 303, "TAPID": 304, "InstallMode": "IM_AlwaysDelete", "Flags": 305, "SettingsVersion": 306}]},
    {"Version": "2.0 beta", "TimeStamp": "2004-03-16 00:00:01", "DeployMode": "DM_Alpha",
     "AlphaPassword": "0x0123456789ABCDEF", "RootDir": "Root", "NrOfFiles": 0}]
})";

TEST_F(VdtoolTest, TheLibraryLoadsWhatMakeVpdWroteAndADumpMakesTheSameFile) {
  std::ofstream(root + "/package.json") << AuthorsJson;
  ToolRun run = vdtool("make-vpd package.json out.vpd");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("vdtool: wrote out.vpd (package description, format 9)\n", run.out);
  std::string written = readHostFile(root + "/out.vpd");
  EXPECT_TRUE(SampleImage() == written) << "make-vpd wrote another file than VPDSave of the same record";

  putSetting("Made.vpd", written);
  tVPD loaded{}, sample;
  ASSERT_TRUE(VPDLoad(&loaded, "Made.vpd"));
  SamplePackage(sample);
  ExpectSamePackage(sample, loaded);

  run = vdtool("dump out.vpd > dumped.json; " + std::string(VDTOOL_COMMAND) +
               " make-vpd dumped.json again.vpd");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(written == readHostFile(root + "/again.vpd")) << "dump and make-vpd lose nothing";
  VPDFree(&loaded);
  VPDFree(&sample);
}

TEST_F(VdtoolTest, SettingsAndInventoryDumpsAgreeWithTheRecords) {
  SettingsDefault();
  Settings.NrOfAlphaPasswords = 1;
  Settings.AlphaPasswords = static_cast<int64 *>(TAP_MemAlloc(sizeof(int64)));
  Settings.AlphaPasswords[0] = 0xFEDCBA9876543210ull;
  Settings.NrOfMasterListEntries = 1;
  Settings.MasterList = static_cast<tMasterList *>(TAP_MemAlloc(sizeof(tMasterList)));
  memset(Settings.MasterList, 0, sizeof(tMasterList));
  Settings.MasterList[0].TAPID = 0x5C3E1A20;
  StringSet(&Settings.MasterList[0].Name, "Name\xDC");  // ISO 8859-9, as the box shows it: U+00DC
  Settings.MasterList[0].NotificationFlag = NF_Updated;
  Settings.MasterList[0].VPDTimeStamp = 77;
  Settings.StartupDelay = 12;
  Settings.OverviewWindowMode = OWM_Deactivated;
  ASSERT_TRUE(SettingsSave());
  json s = dump(SettingsDir + "/Vantero.settings");
  EXPECT_EQ(11, s["SettingsFormat"]);
  EXPECT_EQ(true, s["AutoUpdateChecks"]);
  EXPECT_EQ(true, s["TSRMode"]);
  EXPECT_EQ(12, s["StartupDelay"]);
  EXPECT_EQ(OWM_Deactivated, s["OverviewWindowMode"]);
  EXPECT_EQ(json::array({0xFEDCBA9876543210ull}), s["AlphaPasswords"]);
  ASSERT_EQ(1u, s["MasterList"].size());
  const json &m = s["MasterList"][0];
  EXPECT_EQ(0x5C3E1A20u, m["TAPID"]);
  EXPECT_EQ(json("Name\xC3\x9C"), m["Name"]);
  EXPECT_EQ(json(nullptr), m["VPDURL"]);
  EXPECT_EQ(NF_Updated, m["NotificationFlag"]);
  EXPECT_EQ(77u, m["VPDTimeStamp"]);

  putTap("/ProgramFiles/A.tap", 0xA1);
  putTap("/ProgramFiles/AutoStart/B.tap", 0xB2);
  TAPsOnBoardCount = 0;
  TAPsOnBoardFind();
  ASSERT_TRUE(TAPsOnBoardFree());
  json tob = dump(SettingsDir + "/TAPOnBoard.bin");
  ASSERT_EQ(2, tob["TAPsOnBoardCount"]);
  for (int i = 0; i < 2; i++) {
    const json &e = tob["TAPsOnBoard"][i];
    EXPECT_EQ(TAPsOnBoard[i].TAPID, e["TAPID"]);
    EXPECT_EQ(json("Template TAP"), e["TAPName"]);
    EXPECT_EQ(TAPsOnBoard[i].TimeStamp, e["TimeStamp"]);
    EXPECT_EQ(TAPsOnBoard[i].CRC, e["CRC"]);
    EXPECT_EQ(TAPsOnBoard[i].isAutoStart != 0, e["isAutoStart"]);
    EXPECT_EQ(true, e["Found"]);
    EXPECT_EQ(0, e["PartOf"]);
  }
  ToolRun crc = vdtool("crc '" + disk("/ProgramFiles/A.tap") + "'");
  char expected[16];
  snprintf(expected, sizeof expected, "%08x  ", TAPsOnBoard[0].CRC);
  EXPECT_EQ(std::string(expected) + disk("/ProgramFiles/A.tap") + "\n", crc.out);
}

// A cache written by TAPCacheSave, dumped by its name and by its content.
TEST_F(VdtoolTest, ACacheDumpListsEveryRecordWithItsFlags) {
  tMasterList m{};
  m.Name = const_cast<char *>("Tool");
  tTAPCache entries[2] = {};
  char v1[] = "1.0", v2[] = "2.0 beta";
  const struct {
    char *version;
    dword timeStamp;
    tDeployMode mode;
    uint64_t password;
  } made[] = {{v1, 77, DM_Final, 0xFEDCBA9876543210ull}, {v2, 88, DM_Beta, 0}};
  for (int i = 0; i < 2; i++) {
    entries[i].TAPID = 0x12345678;
    entries[i].MasterList = &m;
    entries[i].Version = made[i].version;
    entries[i].TimeStamp = made[i].timeStamp;
    entries[i].DeployMode = made[i].mode;
    entries[i].AlphaPassword = made[i].password;
  }
  entries[0].isInstalled = entries[0].isVisible = TRUE;
  entries[1].VPDVersionIndex = 1;
  TAPCache = entries;
  TAPCacheSize = 2;
  ASSERT_TRUE(TAPCacheSave());
  TAPCache = nullptr;
  TAPCacheSize = 0;
  writeFile("/in/cache.copy", getSetting("TAPCache.bin"));
  for (const char *file : {"TAPCache.bin", "cache.copy"}) {
    std::string path = std::string(file) == "cache.copy" ? "/in/cache.copy" : SettingsDir + "/TAPCache.bin";
    json j = dump(path);
    ASSERT_EQ(2, j["TAPCacheSize"]) << file;
    const json &first = j["TAPCache"][0], &second = j["TAPCache"][1];
    EXPECT_EQ("Tool", first["Name"]) << file;
    EXPECT_EQ("1.0", first["Version"]) << file;
    EXPECT_EQ(0xFEDCBA9876543210ull, first["AlphaPassword"].get<uint64_t>()) << file;
    EXPECT_EQ(1, first["isInstalled"]) << file;
    EXPECT_EQ(0, first["isRevoked"]) << file;
    EXPECT_EQ("2.0 beta", second["Version"]) << file;
    EXPECT_EQ(DM_Beta, second["DeployMode"]) << file;
    EXPECT_EQ(1, second["VPDVersionIndex"]) << file;
    EXPECT_EQ(88, second["TimeStamp"]) << file;
  }
}

// A text of UTF-8 and ISO 8859 bytes is dumped as the box's screen shows it.
TEST_F(VdtoolTest, MixedEncodingsAreDumpedAsTheBoxShowsThem) {
  tVPD vpd{};
  vpd.TAPID = 0x5C3E1A21;
  StringSet(&vpd.TAPName, "caf\xE9 \xC3\xA9t\xC3\xA9");
  ASSERT_TRUE(VPDSave(&vpd, "5C3E1A21.vpd"));
  VPDFree(&vpd);
  json j = dump(SettingsDir + "/5C3E1A21.vpd");
  EXPECT_EQ(json("caf\u00e9 \u00e9t\u00e9"), j["TAPName"]);
  std::ofstream(root + "/mixed.json") << j.dump();
  ASSERT_EQ(0, vdtool("make-vpd mixed.json again.vpd").status);
  EXPECT_TRUE(getSetting("5C3E1A21.vpd") == readHostFile(root + "/again.vpd"))
      << "other bytes than the box's";
}

TEST_F(VdtoolTest, ProblemsNameTheFileAndTheProblem) {
  writeFile("/in/Bad.vpd", Bytes().str("VPDDX").dw(9).data());
  writeFile("/in/Vantero.settings", Bytes().dw(12).raw(std::string(60, '\0')).data());
  writeFile("/in/unknown.bin", "what is this?");
  writeFile("/in/nine", "123456789");
  writeFile("/in/bad.json", R"({"Versions": [{"Files": [{"DefaultPath": "/mnt/hd/Other"}]}]})");
  writeFile("/in/up.json",
            R"({"Versions": [{"Files": [{"DefaultPath": "/mnt/hd/ProgramFiles/../../etc"}]}]})");
  writeFile("/in/deep.json", std::string(100000, '[') + std::string(100000, ']'));
  writeFile("/in/nul.json", R"({"TAPName": "a\u0000b"})");
  writeFile("/in/long.json", "{\"URL\": \"" + std::string((1 << 20) + 1, 'u') + "\"}");
  std::string in = disk("/in/");
  fs::create_symlink(in + "nine", in + "link");
  fs::create_symlink(in + "gone", in + "dangling");
  const struct {
    std::string arguments;
    int status;
    std::string out, err;
  } cases[] = {
      {"dump '" + in + "Bad.vpd'", 1, "", "vdtool: " + in + "Bad.vpd: Invalid magic 'VPDDX' in 'Bad.vpd'\n"},
      {"dump '" + in + "Vantero.settings'", 1, "",
       "vdtool: " + in +
           "Vantero.settings: Settings version mismatch (expected <= V11, got V12), using default values\n"},
      {"dump --kind cache '" + in + "unknown.bin'", 1, "",
       "vdtool: " + in + "unknown.bin: TAPCache.bin is damaged\n"},
      {"dump '" + in + "unknown.bin'", 1, "",
       "vdtool: " + in +
           "unknown.bin: cannot tell what kind of file this is; name it like the box does (*.vpd, "
           "Vantero.settings, TAPOnBoard.bin, TAPCache.bin, *.vml) or give --kind\n"},
      {"dump --kind vpd '" + in + "unknown.bin'", 1, "",
       "vdtool: " + in + "unknown.bin: Invalid header in 'package.vpd'\n"},
      {"dump --kind=table '" + in + "unknown.bin'", 2, "",
       "vdtool: dump: unknown kind 'table'\nTry 'vdtool --help'.\n"},
      {"dump '" + in + "missing.vpd'", 1, "", "vdtool: " + in + "missing.vpd: no such file\n"},
      {"dump '" + in + "'", 1, "", "vdtool: " + in + ": not a regular file\n"},
      {"make-vpd '" + in + "bad.json' out.vpd", 1, "",
       "vdtool: " + in +
           "bad.json: Versions[0].Files[0].DefaultPath: must be \"/mnt/hd/ProgramFiles\" or a folder below "
           "it\n"},
      {"make-vpd '" + in + "up.json' out.vpd", 1, "",
       "vdtool: out.vpd: Invalid default path '/mnt/hd/ProgramFiles/../../etc' in 'package.vpd'\n"},
      {"make-vpd '" + in + "deep.json' out.vpd", 1, "",
       "vdtool: " + in + "deep.json: not valid input: arrays and objects nested more than 64 levels deep\n"},
      {"make-vpd '" + in + "nul.json' out.vpd", 1, "",
       "vdtool: " + in + "nul.json: TAPName: a text must not hold a NUL character (\\u0000)\n"},
      {"make-vpd '" + in + "long.json' out.vpd", 1, "",
       "vdtool: " + in + "long.json: URL: a text of 1048577 bytes is longer than the box reads (1048576)\n"},
      {"crc '" + in + "link' '" + in + "dangling'", 1, "0376e6e7  " + in + "link\n",
       "vdtool: " + in + "dangling: a link that leads to no regular file\n"},
      {"make-vpd '" + in + "missing.json' out.vpd", 1, "",
       "vdtool: " + in + "missing.json: cannot open it\n"},
      {"crc '" + in + "nine' '" + in + "missing'", 1, "0376e6e7  " + in + "nine\n",
       "vdtool: " + in + "missing: no such file\n"},
      {"crc", 2, "", "vdtool: crc: which files?\nTry 'vdtool --help'.\n"},
      {"frobnicate", 2, "", "vdtool: unknown command 'frobnicate'\nTry 'vdtool --help'.\n"},
  };
  for (const auto &c : cases) {
    ToolRun run = vdtool(c.arguments);
    EXPECT_EQ(c.status, run.status) << c.arguments;
    EXPECT_EQ(c.out, run.out) << c.arguments;
    EXPECT_EQ(c.err, run.err) << c.arguments;
  }
  EXPECT_FALSE(fs::exists(root + "/out.vpd")) << "a failed make-vpd writes nothing";
  ToolRun help = vdtool("--help");
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("make-vpd JSON OUT"));
}

// A package of one version with one file "A.tap" below RootDir "A"; extra
// JSON goes into the version's first file record.
std::string publishJson(const std::string &id, const std::string &version,
                        const std::string &fileExtra = "") {
  return R"({"TAPID": ")" + id + R"(", "TAPName": "A", "Versions": [{"Version": ")" + version +
         R"(", "RootDir": "A", "Files": [{"FileName": "A.tap", "DefaultPath": "/mnt/hd/ProgramFiles")" +
         fileExtra + "}]}]}";
}

TEST_F(VdtoolTest, PublishKeepsTheTimeStampOfWhatDidNotChangeAndFillsEveryCRC) {
  writeHostFile(root + "/p/A/A.tap", "123456789");
  writeHostFile(root + "/p/a.json", publishJson("0x0A", "1"));
  writeHostFile(root + "/p/b.json", publishJson("0x0B", "1"));
  struct Step {
    const char *time;
    const char *changeA;  // new content of A.tap, or null
    uint32_t stampA, stampB;
  } steps[] = {
      {"2026-01-01 00:00:00", nullptr, 9497u << 17, 9497u << 17},
      {"2026-01-02 00:00:00", nullptr, 9497u << 17, 9497u << 17},  // nothing changed
      {"2026-01-03 00:00:00", "x", 9499u << 17, 9499u << 17},      // both packages name A/A.tap
  };
  for (const Step &s : steps) {
    if (s.changeA != nullptr) writeHostFile(root + "/p/A/A.tap", s.changeA);
    ToolRun run = vdtool(std::string("publish p/a.json p/b.json --out repo --time '") + s.time + "'");
    ASSERT_EQ(0, run.status) << run.err;
    json list = json::parse(vdtool("dump repo/MasterList.vml").out);
    ASSERT_EQ(2, list["NrOfEntries"]) << s.time;
    EXPECT_EQ(json("0000000A.vpd"), list["MasterList"][0]["VPDURL"]);
    EXPECT_EQ(s.stampA, list["MasterList"][0]["VPDTimeStamp"]) << s.time;
    EXPECT_EQ(s.stampB, list["MasterList"][1]["VPDTimeStamp"]) << s.time;
  }
  json vpd = json::parse(vdtool("dump repo/0000000A.vpd").out);
  EXPECT_EQ(1, vpd["Versions"][0]["Files"][0]["Size"]);
  EXPECT_EQ(CRC32(CRC32_INITIAL, "x", 1), vpd["Versions"][0]["Files"][0]["CRC32"]);
  EXPECT_EQ("x", readHostFile(root + "/repo/A/A.tap"));
}

TEST_F(VdtoolTest, PublishRefusesBadPackagesAndWritesNothing) {
  writeHostFile(root + "/p/A/A.tap", "1");
  const std::string twoVersions = R"({"TAPID": 1, "Versions": [{"Version": "1"}, {"Version": "1"}]})";
  struct Case {
    std::string json, message;
  } cases[] = {
      {publishJson("0x01", "1", R"(, "FileName": "B.tap")"), "Versions[0].Files[0]: missing file p/A/B.tap"},
      {publishJson("0x01", "1", R"(, "FileName": "../A.tap")"),
       "Versions[0].Files[0].FileName: a name without \"/\" or \"..\", got \"../A.tap\""},
      {publishJson("0x01", "1", R"(, "DefaultPath": "/mnt/hd/ProgramFiles/../x")"),
       "Versions[0].Files[0].DefaultPath: must lie below /mnt/hd/ProgramFiles, got "
       "\"/mnt/hd/ProgramFiles/../x\""},
      {publishJson("0x01", "1", R"(, "DefaultPath": "/mnt/hd/Other")"),
       "Versions[0].Files[0].DefaultPath: must be \"/mnt/hd/ProgramFiles\" or a folder below it"},
      {twoVersions, "Versions[1].Version: \"1\" is listed twice"},
  };
  for (const Case &c : cases) {
    writeHostFile(root + "/p/bad.json", c.json);
    ToolRun run = vdtool("publish p/bad.json --out repo");
    EXPECT_EQ(1, run.status) << c.json;
    EXPECT_EQ("vdtool: p/bad.json: " + c.message + "\n", run.err) << c.json;
  }
  writeHostFile(root + "/p/b.json", publishJson("0x01", "1"));
  ToolRun run = vdtool("publish p/b.json p/b.json --out repo");
  EXPECT_EQ("vdtool: p/b.json: TAPID 00000001 is already published by p/b.json\n", run.err);
  EXPECT_FALSE(fs::exists(root + "/repo")) << "a refused publish writes nothing";
}

}  // namespace
}  // namespace datafiles
