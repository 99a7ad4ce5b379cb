// ManagerScenarioTest.cpp - the manager TAP in pvrsim on a prepared disk: two package files made with
// vdtool, three installed TAPs (one an older version, one revoked, one
// without a package).  The manager starts in the background, the menu key
// opens the overview, and keys walk through the version list, the release
// notes, the options and the password box; a password unlocks an alpha
// version.  Every screen is compared with its golden image.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>

#include "Golden.h"
#include "Manager.h"
#include "ManagerSim.h"
#include "osd/Osd.h"
#ifdef MANAGER_REPO_SERVER
#include "serve/RepoServer.h"
#endif

namespace manager_test {
namespace {

class ManagerScenario : public ManagerSim {
 protected:
  void SetUp() override {
    pvrsim::osd::reset();
    ManagerSim::SetUp();
    repo = root + "/repo";
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

  // Writes the JSON, runs "vdtool make-vpd" on it and puts the file into the settings folder
  // (or, with toBox false, leaves it in the test's folder).
  void makePackage(const std::string &json, const std::string &content, const std::string &vpd,
                   bool toBox = true) {
    std::ofstream(root + "/" + json) << content;
    std::string command =
        "cd '" + root + "' && " + VDTOOL_COMMAND + " make-vpd " + json + " " + vpd + " >/dev/null";
    ASSERT_EQ(0, hostShell(command)) << command;
    if (toBox) writeFile(SettingsDir + "/" + vpd, readHostFile(root + "/" + vpd));
  }

  // The repository: the box's two packages and Gamma's, which the box does not have yet.
  void makeRepo() {
    std::filesystem::create_directories(repo);
    for (const char *vpd : {"A1000001.vpd", "B2000002.vpd"}) writeHostFile(repo + "/" + vpd, getSetting(vpd));
    makePackage("gamma.json",
                std::string(R"({"TAPID": "0xC3000003", "TAPName": "Gamma", "Versions": [)") +
                    VersionJson("3.0", "2015-05-01 10:00:00", "DM_Final", 4660, "0xC3000003", "") + "]}",
                "C3000003.vpd", false);
    writeHostFile(repo + "/C3000003.vpd", readHostFile(root + "/C3000003.vpd"));
  }
  // The repository's master list: Alpha, Beta, Gamma, then `padding` entries of made-up TAPs.
  void publishList(dword gammaStamp, dword alphaStamp = 100, const std::string &alphaURL = "A1000001.vpd",
                   int padding = 0) {
    tRepoMasterList list{};
    list.NrOfEntries = 3 + padding;
    list.Entries = static_cast<tMasterList *>(TAP_MemAlloc(list.NrOfEntries * sizeof(tMasterList)));
    memset(list.Entries, 0, list.NrOfEntries * sizeof(tMasterList));
    const dword ids[] = {AlphaId, BetaId, GammaId}, stamps[] = {alphaStamp, 100, gammaStamp};
    const std::string urls[] = {alphaURL, "B2000002.vpd", "C3000003.vpd"};
    for (int i = 0; i < list.NrOfEntries; i++) {
      std::string url = i < 3 ? urls[i] : "Padding" + std::to_string(i) + ".vpd";
      list.Entries[i].TAPID = i < 3 ? ids[i] : 0x7000 + i;
      list.Entries[i].VPDTimeStamp = i < 3 ? stamps[i] : 1;
      StringSet(&list.Entries[i].VPDURL, url.c_str());
      StringSet(&list.Entries[i].Name, url.c_str());
    }
    byte *data = nullptr;
    dword size = 0;
    ASSERT_TRUE(RepoMasterListBuild(&list, &data, &size));
    writeHostFile(repo + "/MasterList.vml", std::string(reinterpret_cast<char *>(data), size));
    TAP_MemFree(data);
    RepoMasterListFree(&list);
  }
  // "Query the server now" on the options page, and the ticks until the query has ended.
  void query() {
    MoveTo(5);
    Press({RKEY_Ok});
    for (int i = 0; i < 1000 && Var<tManagerQuery>("Query").State != QS_Idle; i++) sim->runTicks(10);
    ASSERT_EQ(QS_Idle, Var<tManagerQuery>("Query").State);
  }
  tMenuState Screen() { return Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]; }

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
  std::string repo;  // the repository's folder
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

  // The news come first: an update of Alpha, Beta's installed version revoked.
  Press({RKEY_Menu});
  ASSERT_EQ(MS_Dialog_NewTAPs, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  EXPECT_EQ("Alpha Tool | 1.0 -> 1.1  update", Row(1, 0));
  EXPECT_EQ("Beta Recorder | 2.1  revoked", Row(1, 1));
  EXPECT_STREQ("An installed version was revoked", Level(1).SubTitle);
  ExpectScreen("manager_news");
  Press({RKEY_Exit});
  EXPECT_FALSE(Var<tSettings>("Settings").DisplayNewMessage) << "seen once, the notice waits for newer news";
  EXPECT_FALSE(Var<tSettings>("Settings").DisplayRevokedMessage);
  ASSERT_EQ(MS_Overview, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  EXPECT_EQ("Alpha Tool | 1.0 -> 1.1  update", Row(0, 0));
  EXPECT_EQ("Beta Recorder | 2.1  revoked", Row(0, 1));
  EXPECT_EQ("Template TAP | no package", Row(0, 2)) << "an installed TAP without a package has a row";
  EXPECT_EQ("Vantero V2.1 | no package  running", Row(0, 3));
  EXPECT_EQ(6, Level(0).NrItems) << "then the options and the password";
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

  MoveTo(4);
  Press({RKEY_Ok, RKEY_Right, RKEY_Down, RKEY_Down, RKEY_Down, RKEY_Right, RKEY_Right});
  EXPECT_TRUE(Var<tSettings>("Settings").BetaVersions);
  EXPECT_EQ(20u, Var<tSettings>("Settings").StartupDelay);
  ExpectScreen("manager_options");
  Press({RKEY_Down, RKEY_Left});  // the grouping wraps from its first value to its last
  EXPECT_EQ(OWM_Deactivated, Var<tSettings>("Settings").OverviewWindowMode);
  Press({RKEY_Right, RKEY_Up});
  Press({RKEY_Up, RKEY_Up, RKEY_Up, RKEY_Left, RKEY_Exit});
  EXPECT_FALSE(Var<tSettings>("Settings").BetaVersions);

  MoveTo(5);
  Press({RKEY_Ok, RKEY_4, RKEY_7, RKEY_1, RKEY_9, RKEY_Recall, RKEY_1});
  EXPECT_STREQ("4711", Var<char[INPUTBOX_MAX_DIGITS + 1]>("InputText"));
  ExpectScreen("manager_password");
  Press({RKEY_Ok});
  ASSERT_EQ(1, Var<tSettings>("Settings").NrOfAlphaPasswords);
  EXPECT_EQ(4711u, Var<tSettings>("Settings").AlphaPasswords[0]);
  EXPECT_FALSE(Var<bool>("FlagDoServerQuery")) << "the new password started a query";
  EXPECT_EQ(0, Var<word>("InputRgn"));
  // This disk has no wget: the query ends at once, and the dialog says so.
  ASSERT_EQ(MS_Dialog_NoMasterList, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  Press({RKEY_Right, RKEY_Ok});
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

#ifdef MANAGER_REPO_SERVER
// The query through the box shell's wget against a repository on 127.0.0.1: the first query fetches
// every package that the box has no time stamp of and brings a new TAP (the notice); the second,
// after one package changed, fetches that package alone, as the server's count shows.
TEST_F(ManagerScenario, QueriesFetchTheMasterListAndOnlyChangedPackages) {
  makeRepo();
  publishList(100);
  pvrsim::serve::RepoServer server(repo, 100, 120);
  writeFile("/ProgramFiles/wget", "the box's wget");
  writeFile(SettingsDir + "/Repository.ini", "URL=" + server.url() + "/\r\n");
  Press({RKEY_Menu, RKEY_Exit});
  MoveTo(4);
  Press({RKEY_Ok});
  query();
  EXPECT_EQ(1, server.requests("/MasterList.vml"));
  EXPECT_EQ(1, server.requests("/C3000003.vpd"));
  EXPECT_EQ(1, server.requests("/A1000001.vpd")) << "no time stamp on the box yet";
  EXPECT_EQ(readHostFile(repo + "/C3000003.vpd"), getSetting("C3000003.vpd"));
  ASSERT_EQ(MS_Dialog_NewTAPs, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]) << "Gamma is new";
  EXPECT_EQ(3, Var<tSettings>("Settings").NrOfMasterListEntries);
  Press({RKEY_Exit});
  MoveTo(4);
  Press({RKEY_Ok});

  publishList(200);
  query();
  EXPECT_EQ(2, server.requests("/MasterList.vml"));
  EXPECT_EQ(2, server.requests("/C3000003.vpd"));
  EXPECT_EQ(1, server.requests("/A1000001.vpd")) << "unchanged packages are not fetched";
  EXPECT_EQ(1, server.requests("/B2000002.vpd"));
}
#endif

#ifdef MANAGER_REPO_SERVER
// A server that never sends: the info box counts while wget waits, and after the manager's own
// time-out the dialog says the server could not be reached and offers a retry; the local files
// stay byte for byte.
class ManagerStalledServer : public ManagerScenario {
 protected:
  void configureOptions(pvrsim::Options &o) override { o.netStallAfterBytes = 0; }
};

TEST_F(ManagerStalledServer, TimesOutKeepsTheFilesAndOffersARetry) {
  std::filesystem::create_directories(root + "/repo");
  writeHostFile(root + "/repo/MasterList.vml", std::string(100, 'M'));
  pvrsim::serve::RepoServer server(root + "/repo", 100, 120);
  writeFile("/ProgramFiles/wget", "the box's wget");
  Press({RKEY_Menu, RKEY_Exit});
  MoveTo(4);
  Press({RKEY_Ok});
  // Written after the options page was drawn, so that its golden images do not show the server's port.
  writeFile(SettingsDir + "/Repository.ini", "URL=" + server.url() + "/\r\n");
  std::string settings = getSetting("Vantero.settings"), package = getSetting("A1000001.vpd");
  MoveTo(5);
  Press({RKEY_Ok});
  ASSERT_EQ(QS_MasterList, Var<tManagerQuery>("Query").State);
  ExpectScreen("manager_query");
  sim->runTicks(MANAGER_QUERY_STALL_TICKS + 100);
  ASSERT_EQ(MS_Dialog_NoMasterList, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  ExpectScreen("manager_no_master_list");
  EXPECT_EQ(settings, getSetting("Vantero.settings"));
  EXPECT_EQ(package, getSetting("A1000001.vpd"));
  EXPECT_EQ(1, server.requests("/MasterList.vml"));
  Press({RKEY_Ok});
  EXPECT_EQ(QS_MasterList, Var<tManagerQuery>("Query").State) << "retry";
  Press({RKEY_Exit});
  EXPECT_EQ(QS_Idle, Var<tManagerQuery>("Query").State) << "EXIT cancels";
  EXPECT_EQ(MS_Options, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
}
#endif

#ifdef MANAGER_REPO_SERVER
// Each kind of damaged download, of the master list and of a package description, after a good
// first query: the connection cut short or stalled (pvrsim's network switches, at 4 KB: the
// repository's files are smaller, the damaged ones larger), the server down, a bad checksum or a
// garbage body.  The local file stays byte for byte, the log names the URL and the reason; a
// master list that did not arrive brings the dialog that offers a retry, a package that did not
// arrive leaves the query to end as usual.
enum class Damaged { MasterList, Package };
enum class Fault { CutShort, Stalled, ServerDown, Garbage };
struct DamageCase {
  const char *name;
  Damaged file;
  Fault fault;
  const char *reason;  // the end of the log line, after the URL
};
void PrintTo(const DamageCase &c, std::ostream *out) { *out << c.name; }

class ManagerDamagedDownload : public ManagerScenario, public testing::WithParamInterface<DamageCase> {
 protected:
  void configureOptions(pvrsim::Options &o) override {
    if (GetParam().fault == Fault::CutShort) o.netBreakAfterBytes = 4096;
    if (GetParam().fault == Fault::Stalled) o.netStallAfterBytes = 4096;
  }
  // A port on 127.0.0.1 that is bound but never listens: connecting to it is refused.
  int closedPort() {
    closed_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(closed_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        getsockname(closed_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
      return -1;
    return ntohs(address.sin_port);
  }
  void TearDown() override {
    if (closed_ >= 0) close(closed_);
    ManagerScenario::TearDown();
  }
  // Alpha's package with a description of 6,000 bytes, valid and larger than the network's limit.
  std::string largeAlphaPackage() {
    std::string json = AlphaPackage(crcOf("/ProgramFiles/AutoStart/Alpha.tap"));
    json.insert(1, R"("EN_Description": ")" + std::string(6000, 'x') + R"(", )");
    makePackage("alpha_large.json", json, "A1000001.vpd", false);
    return readHostFile(root + "/A1000001.vpd");
  }
  // The repository as the second query meets it; the URL of the damaged file.
  std::string damage(std::unique_ptr<pvrsim::serve::RepoServer> &server) {
    const DamageCase &c = GetParam();
    std::string base = server->url() + "/";
    if (c.file == Damaged::MasterList) {
      if (c.fault == Fault::ServerDown) server.reset();
      if (c.fault == Fault::CutShort || c.fault == Fault::Stalled) publishList(100, 100, "A1000001.vpd", 100);
      if (c.fault == Fault::Garbage) {
        std::string list = readHostFile(repo + "/MasterList.vml");
        list.back() ^= 0x01;
        writeHostFile(repo + "/MasterList.vml", list);
      }
      return base + "MasterList.vml";
    }
    std::string url = base + "A1000001.vpd";
    if (c.fault == Fault::ServerDown)
      url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/A1000001.vpd";
    publishList(100, 200, url);
    if (c.fault == Fault::CutShort || c.fault == Fault::Stalled)
      writeHostFile(repo + "/A1000001.vpd", largeAlphaPackage());
    if (c.fault == Fault::Garbage) writeHostFile(repo + "/A1000001.vpd", "<html>502 Bad Gateway</html>");
    return url;
  }

 private:
  int closed_ = -1;
};

TEST_P(ManagerDamagedDownload, KeepsTheLocalFileAndLogsTheUrlAndTheReason) {
  const DamageCase &c = GetParam();
  makeRepo();
  publishList(100);
  auto server = std::make_unique<pvrsim::serve::RepoServer>(repo, 100, 300);
  writeFile("/ProgramFiles/wget", "the box's wget");
  writeFile(SettingsDir + "/Repository.ini", "URL=" + server->url() + "/\r\n");
  Press({RKEY_Menu, RKEY_Exit});
  MoveTo(4);
  Press({RKEY_Ok});
  query();
  ASSERT_EQ(MS_Dialog_NewTAPs, Screen()) << "the first query went wrong";
  Press({RKEY_Exit});
  MoveTo(4);
  Press({RKEY_Ok});

  std::string url = damage(server);
  const char *local = c.file == Damaged::MasterList ? "Vantero.settings" : "A1000001.vpd";
  std::string before = getSetting(local);
  takeLog();
  query();
  EXPECT_EQ(before, getSetting(local)) << local;
  std::vector<std::string> log = takeLog();
  std::string line =
      (c.fault == Fault::Garbage ? (c.file == Damaged::MasterList ? "Master list from " : "Package from ")
                                 : "Download of ") +
      url + c.reason;
  EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << "missing log line: " << line;
  // A query that ended rebuilds the cache, which tells of Beta's revoked version again.
  EXPECT_EQ(c.file == Damaged::MasterList ? MS_Dialog_NoMasterList : MS_Dialog_NewTAPs, Screen());
  EXPECT_EQ(3, Var<tSettings>("Settings").NrOfMasterListEntries) << "no entry of a damaged list taken";
}

const DamageCase DamageCases[] = {
    {"MasterListCutShort", Damaged::MasterList, Fault::CutShort, " failed: wget ended with status 1"},
    {"MasterListStalled", Damaged::MasterList, Fault::Stalled, " failed: no progress for 30 s"},
    {"MasterListServerDown", Damaged::MasterList, Fault::ServerDown, " failed: wget ended with status 1"},
    {"MasterListBadChecksum", Damaged::MasterList, Fault::Garbage, " rejected: bad checksum"},
    {"PackageCutShort", Damaged::Package, Fault::CutShort, " failed: wget ended with status 1"},
    {"PackageStalled", Damaged::Package, Fault::Stalled, " failed: no progress for 30 s"},
    {"PackageServerDown", Damaged::Package, Fault::ServerDown, " failed: wget ended with status 1"},
    {"PackageGarbage", Damaged::Package, Fault::Garbage, " rejected: damaged"},
};
INSTANTIATE_TEST_SUITE_P(Downloads, ManagerDamagedDownload, testing::ValuesIn(DamageCases),
                         [](const testing::TestParamInfo<DamageCase> &info) { return info.param.name; });
#endif

// Started once more while it runs, the manager shows its menu in the running copy.
TEST_F(ManagerScenario, StartedAgainItShowsItsMenu) {
  int again = sim->startTap("/ProgramFiles/Vantero.tap");
  sim->runTicks(10);
  EXPECT_FALSE(again >= 0 && sim->isRunning(again) && again != slot) << "the second copy ended";
  EXPECT_TRUE(sim->isRunning(slot));
  EXPECT_EQ(MS_Dialog_NewTAPs, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  Press({RKEY_Exit, RKEY_Exit});
  EXPECT_EQ(MS_Inactive, Var<tMenuState[MENU_STATE_DEPTH]>("MenuStateStack")[0]);
  EXPECT_EQ(0, pvrsim::osd::regionCount());
  EXPECT_TRUE(sim->normalMode());
}

}  // namespace
}  // namespace manager_test
