// InstallTest.cpp - installs, updates and removals against a repository made by "vdtool publish"
// and served on 127.0.0.1, the files fetched by the box shell's wget: a running TAP updated in the
// folder where it is (stopped, replaced, started again), a TAP with its dependency, a removal with
// and without settings, bad input that changes nothing, and a power cut at every tick of an
// install and of a removal, after which the next start leaves the old or the new files.
#ifdef MANAGER_REPO_SERVER
#include <spawn.h>
#include <sys/wait.h>

#include <map>

#include "Golden.h"
#include "Manager.h"
#include "ManagerSim.h"
#include "serve/RepoServer.h"

namespace manager_test {
namespace {

const size_t kRunnerSize = 128 * 1024;
const dword RunnerId = 0x7E570001, LibId = 0x7E570002, AppId = 0x7E570003;
using Disk = std::map<std::string, std::string>;

class InstallTest : public ManagerSim {
 protected:
  void SetUp() override {
    ManagerSim::SetUp();
    // The built TAP's size moves with the build folder's path (debug info) and the build type; a fixed
    // size keeps the byte counts on screen, and so the golden image, the same everywhere.
    std::string runner = readHostFile(TAP_manager_resident_tap);
    ASSERT_LE(runner.size(), kRunnerSize) << "the test TAP outgrew its fixed size";
    runner.resize(kRunnerSize, '\0');
    putTap("/tmp/Lib.tap", LibId, "lib");
    putTap("/tmp/App.tap", AppId, "app");
    putTap("/tmp/App1.tap", AppId, "app 1.0");
    files = {{"R10/Runner.tap", runner + "1.0"},
             {"R11/Runner.tap", runner + "1.1"},
             {"R10/Runner.ini", "ini 1.0"},
             {"R11/Runner.ini", "ini 1.1"},
             {"L/Lib.tap", readFile("/tmp/Lib.tap")},
             {"A/App.tap", readFile("/tmp/App.tap")},
             {"A1/App.tap", readFile("/tmp/App1.tap")},
             {"R11/Old.dat", "publish wants every file"}};
    std::filesystem::remove_all(disk("/tmp"));
    for (auto &[name, bytes] : files) writeHostFile(root + "/pkg/" + name, bytes);
    publish();
    server = std::make_unique<pvrsim::serve::RepoServer>(root + "/repo", 1000, 280);
    writeFile(SettingsDir + "/Repository.ini", "URL=" + server->url() + "/\r\n");
    writeFile("/ProgramFiles/wget", "the box's wget");
    SettingsDefault();
    ManagerAddPackages();
  }
  void TearDown() override {
    server.reset();
    TAPCacheFree();
    ManagerSim::TearDown();
  }
  // Package JSONs in root/pkg, published into root/repo and copied into the settings folder.
  void publish(const std::string &appDeps = "[2119630850]", const std::string &libDeps = "[]") {
    auto file = [](const char *name, const char *mode, const char *extra) {
      return std::string(R"({"FileName": ")") + name +
             R"(", "DefaultPath": "/mnt/hd/ProgramFiles", "InstallMode": ")" + mode + "\"" + extra + "}";
    };
    auto version = [&](const char *v, const char *time, const char *dir, const std::string &deps,
                       const std::string &f) {
      return std::string(R"({"Version": ")") + v + R"(", "TimeStamp": ")" + time +
             R"(", "DeployMode": "DM_Final", "RootDir": ")" + dir + R"(", "Dependencies": )" + deps +
             R"(, "Files": [)" + f + "]}";
    };
    const char *runnerTap = R"(, "TAPID": "0x7E570001")";
    std::string runnerFiles = file("Runner.tap", "IM_Overwrite", runnerTap) + ", " +
                              file("Runner.ini", "IM_CreateIfNonexistant", R"(, "Flags": 1)");
    writeHostFile(root + "/pkg/runner.json",
                  R"({"TAPID": "0x7E570001", "TAPName": "Runner", "Versions": [)" +
                      version("1.0", "2015-01-01 10:00:00", "R10", "[]", runnerFiles) + ", " +
                      version("1.1", "2015-06-01 10:00:00", "R11", "[]",
                              runnerFiles + ", " + file("Old.dat", "IM_AlwaysDelete", "")) +
                      "]}");
    writeHostFile(root + "/pkg/lib.json",
                  R"({"TAPID": "0x7E570002", "TAPName": "Lib", "Versions": [)" +
                      version("1.0", "2015-02-01 10:00:00", "L", libDeps,
                              file("Lib.tap", "IM_Overwrite", R"(, "TAPID": "0x7E570002")")) +
                      "]}");
    writeHostFile(root + "/pkg/app.json",
                  R"({"TAPID": "0x7E570003", "TAPName": "App", "Versions": [)" +
                      version("1.0", "2015-02-15 10:00:00", "A1", appDeps,
                              file("App.tap", "IM_Overwrite", R"(, "TAPID": "0x7E570003")")) +
                      ", " +
                      version("2.0", "2015-03-01 10:00:00", "A", appDeps,
                              file("App.tap", "IM_Overwrite", R"(, "TAPID": "0x7E570003")")) +
                      "]}");
    std::string command =
        "cd '" + root + "/pkg' && " + VDTOOL_COMMAND +
        " publish runner.json lib.json app.json --out ../repo --time '2015-12-01 00:00:00' >/dev/null";
    ASSERT_EQ(0, hostShell(command)) << command;
    for (const char *vpd : {"7E570001.vpd", "7E570002.vpd", "7E570003.vpd"})
      putSetting(vpd, readHostFile(root + "/repo/" + vpd));
  }
  // Runner 1.0 as installed by hand in AutoStart, with the user's own ini and an obsolete file.
  void runner10(bool start) {
    writeFile("/ProgramFiles/AutoStart/Runner.tap", files["R10/Runner.tap"]);
    writeFile("/ProgramFiles/Runner.ini", "the user's ini");
    writeFile("/ProgramFiles/Old.dat", "obsolete");
    if (start) {
      ASSERT_GE(sim->startTap("/ProgramFiles/AutoStart/Runner.tap"), 0) << sim->lastError();
    }
  }
  // The cache entry of a TAP's version.
  int entry(dword id, const char *version) {
    ManagerRefreshCache();
    for (int i = 0; i < TAPCacheSize; i++)
      if (TAPCache[i].TAPID == id && strcmp(TAPCache[i].Version, version) == 0) return i;
    return -1;
  }
  // Runs the install on idle events until it ends.
  int run() {
    for (int i = 0; i < 3000 && ManagerInstallBusy(); i++) {
      sim->runTicks(1);
      ManagerInstallIdle();
    }
    return Install.State;
  }
  // Every file of the disk but the manager's settings folder.
  Disk snapshot() {
    Disk d;
    for (auto &e : std::filesystem::recursive_directory_iterator(disk("/")))
      if (e.is_regular_file() && e.path().string().find("/Settings/Vantero") == std::string::npos)
        d[e.path().string()] = readHostFile(e.path().string());
    return d;
  }
  // No staged file and no journal is left.
  void expectClean(const std::string &what) {
    EXPECT_FALSE(exists(SettingsDir + "/Install.journal")) << what;
    if (exists(SettingsDir + "/Staging")) {
      EXPECT_TRUE(std::filesystem::is_empty(disk(SettingsDir + "/Staging"))) << what;
    }
  }
  std::map<std::string, std::string> files;
  std::unique_ptr<pvrsim::serve::RepoServer> server;
};

TEST_F(InstallTest, ARunningTapIsUpdatedWhereItIsAndStartedAgain) {
  runner10(true);
  ASSERT_TRUE(HDD_TAP_isRunning(RunnerId));
  int update = entry(RunnerId, "1.1");
  ASSERT_EQ(update + 1, TAPCacheGetInstalledVersionIndex(RunnerId)) << "1.0 is installed";
  ASSERT_TRUE(ManagerInstallStart(update, FALSE)) << Install.Message;
  EXPECT_EQ(IS_Done, run()) << Install.Message;
  EXPECT_EQ(files["R11/Runner.tap"], readFile("/ProgramFiles/AutoStart/Runner.tap"))
      << "replaced where it was";
  EXPECT_FALSE(exists("/ProgramFiles/Runner.tap"));
  EXPECT_EQ("the user's ini", readFile("/ProgramFiles/Runner.ini")) << "IM_CreateIfNonexistant keeps it";
  EXPECT_FALSE(exists("/ProgramFiles/Old.dat")) << "IM_AlwaysDelete";
  EXPECT_TRUE(HDD_TAP_isRunning(RunnerId)) << "started again";
  std::vector<std::string> log = takeLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "Installed Runner 1.1"), log.end());
  int installed = TAPCacheGetInstalledVersionIndex(RunnerId);
  ASSERT_GE(installed, 0);
  EXPECT_EQ("1.1", std::string(TAPCache[installed].Version)) << "the cache";
  ASSERT_TRUE(TAPsOnBoardLoad());
  bool found = false;
  for (int i = 0; i < TAPsOnBoardCount; i++)
    if (TAPsOnBoard[i].TAPID == RunnerId)
      found = TAPsOnBoard[i].CRC == crcOf("/ProgramFiles/AutoStart/Runner.tap");
  EXPECT_TRUE(found) << "the saved inventory has the new file's CRC";
  expectClean("after the update");
}

TEST_F(InstallTest, ANewTapComesWithItsDependencyAndIsRemovedWithOrWithoutSettings) {
  ASSERT_TRUE(ManagerInstallStart(entry(AppId, "2.0"), TRUE)) << Install.Message;
  EXPECT_EQ(2, Install.NrOfItems);
  EXPECT_EQ(LibId, Install.Items[0].TAPID) << "the dependency first";
  EXPECT_EQ(IS_Done, run()) << Install.Message;
  EXPECT_EQ(files["L/Lib.tap"], readFile("/ProgramFiles/AutoStart/Lib.tap"));
  EXPECT_EQ(files["A/App.tap"], readFile("/ProgramFiles/AutoStart/App.tap")) << "the user chose AutoStart";
  expectClean("after the install");

  for (bool withSettings : {false, true}) {
    ASSERT_TRUE(ManagerInstallStart(entry(RunnerId, "1.0"), FALSE)) << Install.Message;
    ASSERT_EQ(IS_Done, run()) << Install.Message;
    EXPECT_EQ(files["R10/Runner.ini"], readFile("/ProgramFiles/Runner.ini"));
    EXPECT_TRUE(ManagerRemoveStart(RunnerId, withSettings)) << Install.Message;
    EXPECT_FALSE(exists("/ProgramFiles/Runner.tap"));
    EXPECT_EQ(!withSettings, exists("/ProgramFiles/Runner.ini")) << "settings go only when asked";
    EXPECT_LT(TAPCacheGetInstalledVersionIndex(RunnerId), 0);
    expectClean("after the removal");
  }
}

// Each case spoils one thing; the install fails with a message naming it, the disk is unchanged and
// the log says why.
TEST_F(InstallTest, BadInputChangesNothingAndSaysWhy) {
  runner10(false);
  auto editFile = [this](dword id, const std::function<void(tVPDFiles &)> &edit) {
    tVPD vpd{};
    ASSERT_TRUE(VPDLoadStd(&vpd, id));
    edit(vpd.Versions[vpd.NrOfVersions - 1].Files[0]);
    char name[16];
    VPDStdFileName(id, name);
    ASSERT_TRUE(VPDSave(&vpd, name));
    VPDFree(&vpd);
  };
  struct Case {
    const char *what, *expected;
    dword id;
    const char *version;
    std::function<void()> spoil;
  } cases[] = {
      {"CRC mismatch", "Runner.tap: CRC-32", RunnerId, "1.1",
       [&] { editFile(RunnerId, [](tVPDFiles &f) { f.CRC32 ^= 1; }); }},
      {"size", "Runner.tap: ", RunnerId, "1.1",
       [&] { editFile(RunnerId, [](tVPDFiles &f) { f.Size += 1; }); }},
      // The loader rejects such a package: its versions never reach the screen.
      {"outside ProgramFiles", "No such version", RunnerId, "1.1",
       [&] {
         editFile(RunnerId, [](tVPDFiles &f) { StringSet(&f.DefaultPath, "/mnt/hd/ProgramFiles/ABCDEF"); });
         std::string vpd = getSetting("7E570001.vpd");
         putSetting("7E570001.vpd", vpd.replace(vpd.find("ABCDEF"), 6, "../etc"));
       }},
      {"a .. in the folder", "holds \"..\"", RunnerId, "1.1",
       [&] {
         editFile(RunnerId, [](tVPDFiles &f) { StringSet(&f.DefaultPath, "/mnt/hd/ProgramFiles/x/../y"); });
       }},
      {"manager's folder", "the update manager's own", RunnerId, "1.1",
       [&] {
         editFile(RunnerId,
                  [](tVPDFiles &f) { StringSet(&f.DefaultPath, "/mnt/hd/ProgramFiles/Settings/Vantero"); });
       }},
      {"name with ..", "holds", RunnerId, "1.1",
       [&] { editFile(RunnerId, [](tVPDFiles &f) { StringSet(&f.FileName, "../x.tap"); }); }},
      {"TAP ID in use", "TAP ID 7e570001 is used by the installed TAP 'Runner'", AppId, "2.0",
       [&] { editFile(AppId, [](tVPDFiles &f) { f.TAPID = RunnerId; }); }},
      {"missing on the server", "Gone.tap could not be downloaded", RunnerId, "1.1",
       [&] { editFile(RunnerId, [](tVPDFiles &f) { StringSet(&f.FileName, "Gone.tap"); }); }},
      {"missing dependency", "Missing dependencies: 7e5700ff", AppId, "2.0",
       [&] { publish("[2119631103]"); }},
      {"dependency loop", "depends on itself", AppId, "2.0",
       [&] { publish("[2119630850]", "[2119630851]"); }},
      {"disk full", "the journal cannot be written", RunnerId, "1.1",
       [&] {
         options.diskFullAfterBytes = 0;
         restartSim();
       }},
      {"unfinished journal", "An earlier install is unfinished", RunnerId, "1.1",
       [&] { putSetting("Install.journal", "damaged"); }},
      // df reports 512 kB free: less than the downloads and their margin.
      {"a file too large for the free space", "Not enough space on the disk", RunnerId, "1.1",
       [&] {
         writeFile("/ProgramFiles/busybox", "the box's busybox");
         options.diskFullAfterBytes = 512 * 1024;
         restartSim();
       }},
  };
  for (const Case &c : cases) {
    publish();
    c.spoil();
    Disk before = snapshot();
    takeLog();
    if (ManagerInstallStart(entry(c.id, c.version), FALSE)) run();
    EXPECT_EQ(IS_Failed, Install.State) << c.what;
    EXPECT_NE(std::string::npos, std::string(Install.Message).find(c.expected))
        << c.what << ": " << Install.Message;
    EXPECT_TRUE(before == snapshot()) << c.what << ": the disk changed";
    std::vector<std::string> log = takeLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string &l) {
      return l.find("failed: ") != std::string::npos;
    })) << c.what;
    if (strcmp(c.expected, ManagerText(MT_NotEnoughSpace)) == 0) {
      EXPECT_EQ(0, Install.File) << "refused before any download";
      EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string &l) {
        return l.rfind("Install: ", 0) == 0 && l.find(" kB free, ") != std::string::npos &&
               l.find(" kB to download") != std::string::npos;
      })) << c.what;
    }
    options.diskFullAfterBytes.reset();
    restartSim();
    if (exists(SettingsDir + "/Install.journal")) {
      // The damaged journal: the next start sets it aside, says so and touches nothing.
      ManagerInstallRecover();
      EXPECT_EQ(IS_Failed, Install.State);
      EXPECT_NE(std::string::npos, std::string(Install.Message).find("damaged")) << Install.Message;
      EXPECT_TRUE(before == snapshot());
    }
    expectClean(c.what);
  }
}

// The free space decides only when df answers: with busybox on the disk and room enough, and with
// no busybox at all (logged), the install goes on.
TEST_F(InstallTest, TheSpaceCheckRefusesOnlyOnDfsWord) {
  runner10(false);
  for (bool busybox : {true, false}) {
    if (busybox) writeFile("/ProgramFiles/busybox", "the box's busybox");
    if (!busybox) std::filesystem::remove(disk("/ProgramFiles/busybox"));
    takeLog();
    ASSERT_TRUE(ManagerInstallStart(entry(RunnerId, busybox ? "1.1" : "1.0"), FALSE)) << Install.Message;
    EXPECT_EQ(IS_Done, run()) << busybox << ": " << Install.Message;
    std::vector<std::string> log = takeLog();
    EXPECT_EQ(!busybox, std::any_of(log.begin(), log.end(), [](const std::string &l) {
      return l.rfind("Install: df gave no free space", 0) == 0;
    })) << busybox;
    EXPECT_FALSE(exists(SettingsDir + "/Install.df")) << busybox;
  }
}

// A power cut at every tick of an update of the running Runner (and at a spread of written byte
// counts, 200 of them, which reach into the swap), and of its removal: after the next start the disk holds
// the old files or the new ones, byte for byte, and nothing staged, backed up or journalled.
TEST_F(InstallTest, APowerCutAtAnyMomentLeavesTheOldOrTheNewVersion) {
  for (bool remove : {false, true}) {
    auto action = [this, remove]() {
      if (remove) {
        ManagerRefreshCache();
        ManagerRemoveStart(RunnerId, TRUE);
      } else if (ManagerInstallStart(entry(RunnerId, "1.1"), FALSE)) {
        run();
      }
    };
    auto prepare = [this]() {
      for (const char *f :
           {"/ProgramFiles/AutoStart/Runner.tap", "/ProgramFiles/Runner.ini", "/ProgramFiles/Old.dat"})
        std::filesystem::remove(disk(f));
      runner10(false);
      restartSim();
      ASSERT_GE(sim->startTap("/ProgramFiles/AutoStart/Runner.tap"), 0);
      SettingsDefault();
      ManagerAddPackages();
    };
    prepare();
    Disk before = snapshot();
    dword start = sim->now();
    uint64_t bytesBefore = sim->bytesWritten();
    action();
    ASSERT_EQ(IS_Done, Install.State) << Install.Message;
    dword ticks = sim->now() - start;
    uint64_t bytes = sim->bytesWritten() - bytesBefore;
    Disk after = snapshot();
    std::printf("%s: %u ticks, %llu bytes written\n", remove ? "remove" : "install", ticks,
                (unsigned long long)bytes);
    ASSERT_FALSE(before == after);
    std::vector<std::pair<bool, uint64_t>> cuts;  // (at a tick, value)
    for (dword t = 0; t <= ticks; t++) cuts.push_back({true, start + t});
    for (uint64_t b = 0; b < bytes; b += std::max<uint64_t>(1, bytes / 200))
      cuts.push_back({false, bytesBefore + b});
    for (auto [atTick, value] : cuts) {
      prepare();
      EXPECT_EXIT(
          {
            if (atTick)
              options.powerCutAtTick = static_cast<dword>(value);
            else
              options.powerCutAfterBytes = value;
            restartSim();
            ASSERT_GE(sim->startTap("/ProgramFiles/AutoStart/Runner.tap"), 0);
            SettingsDefault();
            ManagerAddPackages();
            action();
            std::exit(pvrsim::kPowerCutExitStatus);
          },
          ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "");
      options.powerCutAtTick.reset();
      options.powerCutAfterBytes.reset();
      restartSim();
      ManagerInstallRecover();
      Disk now = snapshot();
      std::string what = std::string(remove ? "remove" : "install") +
                         (atTick ? " cut at tick " : " cut after bytes ") + std::to_string(value);
      EXPECT_TRUE(now == before || now == after) << what;
      expectClean(what);
    }
  }
}

// RED in the installed TAPs removes the TAP under the cursor after the settings question: "No"
// (chosen first) keeps its settings, "Yes" removes them, EXIT removes nothing; a TAP without a
// package is refused with a message.
TEST_F(InstallTest, TheInstalledTapsRemoveATapWithOrWithoutItsSettings) {
  putTap("/ProgramFiles/Loose.tap", 0x7E5700AA, "no package");
  struct Case {
    const char *what;
    std::vector<dword> answer;
    bool removed, settingsKept;
  } cases[] = {{"No", {RKEY_Ok}, true, true},
               {"Yes", {RKEY_Left, RKEY_Ok}, true, false},
               {"EXIT", {RKEY_Exit}, false, true}};
  // Opens the installed TAPs with the cursor on the row whose value starts with value.
  auto openAt = [](const char *value) {
    ManagerEnterState(MS_InstalledTAPs);
    for (int i = 0, n = ManagerInstalledBuild(); i < n; i++) {
      tManagerRow r{};
      ManagerInstalledRowText(i, &r);
      if (strncmp(r.Value, value, strlen(value)) == 0) return ManagerInstalledShow(i), true;
    }
    return false;
  };
  ManagerMenuOpen();
  for (const Case &c : cases) {
    ASSERT_TRUE(ManagerInstallStart(entry(RunnerId, "1.0"), FALSE)) << Install.Message;
    ASSERT_EQ(IS_Done, run()) << Install.Message;
    Install.Shown = TRUE;
    ASSERT_TRUE(openAt("1.0")) << c.what;
    ManagerEvent(EVT_KEY, RKEY_Red, 0);
    for (dword key : c.answer) ManagerEvent(EVT_KEY, key, 0);
    EXPECT_EQ(!c.removed, exists("/ProgramFiles/Runner.tap")) << c.what;
    EXPECT_EQ(c.settingsKept, exists("/ProgramFiles/Runner.ini")) << c.what;
    ManagerEvent(EVT_IDLE, 0, 0);
    EXPECT_EQ(c.removed, Install.Shown && OSDMenuMessageBoxIsVisible()) << c.what << ": the result";
    if (c.removed) ManagerEvent(EVT_KEY, RKEY_Ok, 0);
    ManagerEvent(EVT_KEY, RKEY_Exit, 0);
  }
  ASSERT_TRUE(openAt("no package"));
  ManagerEvent(EVT_KEY, RKEY_Red, 0);
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible()) << "no question for a TAP without a package";
  EXPECT_NE(0, InfoBoxOSDRgn) << "but a message";
  EXPECT_TRUE(exists("/ProgramFiles/Loose.tap"));
  ManagerStop();
}

// "Install updates (2)" in the tasks menu installs both updates one after the other on idle events
// and ends with one summary; the row then counts none.
TEST_F(InstallTest, InstallUpdatesInstallsEveryUpdateInTurn) {
  for (const char *id : {"R", "A"}) {
    ASSERT_TRUE(ManagerInstallStart(entry(id[0] == 'R' ? RunnerId : AppId, "1.0"), FALSE)) << Install.Message;
    ASSERT_EQ(IS_Done, run()) << Install.Message;
  }
  ASSERT_EQ(2, ManagerUpdateCount());
  Install.Shown = TRUE;
  ManagerMenuOpen();
  ManagerEnterState(MS_Tasks);
  for (int i = 0; i < 5; i++) ManagerEvent(EVT_KEY, RKEY_Down, 0);
  ASSERT_STREQ("Install updates (2)", Menu[CurrentMenuLevel].Items[OSDMenuGetCurrentItem()].Text);
  ManagerEvent(EVT_KEY, RKEY_Ok, 0);
  std::vector<dword> order;
  for (int i = 0; i < 6000 && (ManagerUpdatesActive() || ManagerInstallBusy()); i++) {
    if (ManagerInstallBusy() && (order.empty() || order.back() != Install.Items[Install.NrOfItems - 1].TAPID))
      order.push_back(Install.Items[Install.NrOfItems - 1].TAPID);
    EXPECT_FALSE(OSDMenuMessageBoxIsVisible()) << "no result box between the two";
    sim->runTicks(1);
    ManagerEvent(EVT_IDLE, 0, 0);
  }
  EXPECT_EQ((std::vector<dword>{RunnerId, AppId}), order);
  EXPECT_EQ(files["R11/Runner.tap"], readFile("/ProgramFiles/Runner.tap"));
  EXPECT_EQ(files["A/App.tap"], readFile("/ProgramFiles/App.tap"));
  EXPECT_STREQ("2 updates installed", Install.Message);
  EXPECT_EQ(0, ManagerUpdateCount());
  EXPECT_TRUE(Install.Shown && OSDMenuMessageBoxIsVisible()) << "the summary";
  expectClean("after the updates");
  ManagerStop();
}

// The progress box over the menu while a server stops sending; EXIT ends the download and nothing
// changes.
class InstallStalled : public InstallTest {
 protected:
  void configureOptions(pvrsim::Options &o) override { o.netStallAfterBytes = 2000; }
};

TEST_F(InstallStalled, ShowsItsProgressAndExitCancels) {
  pvrsim::osd::reset();
  ASSERT_TRUE(installStandardFonts());
  ASSERT_TRUE(sim->copyToDisk(std::string(BINARY_DIR) + "/payloads/files/Vantero.lng", SettingsDir + "/"));
  LangLoadStrings(MANAGER_LANG_FILE, MANAGER_LANG_TEXTS, 0, MANAGER_PROGRAM_NAME);
  runner10(false);
  Disk before = snapshot();
  ManagerMenuOpen();
  ManagerInstallAsk(entry(RunnerId, "1.1"));
  for (int i = 0; i < 100 && Install.Bytes < 2000; i++) {
    sim->runTicks(1);
    ManagerEvent(EVT_IDLE, 0, 0);
  }
  EXPECT_EQ(2000u, Install.Bytes);
  EXPECT_TRUE(osdtest::MatchesGolden("manager_install_progress", pvrsim::osd::visibleScreen(),
                                     "tests/manager/golden"));
  ManagerEvent(EVT_KEY, RKEY_Exit, 0);
  EXPECT_EQ(IS_Failed, Install.State);
  EXPECT_STREQ("Cancelled: nothing was changed.", Install.Message);
  ManagerEvent(EVT_IDLE, 0, 0);
  EXPECT_TRUE(Install.Shown) << "the result is shown";
  EXPECT_TRUE(before == snapshot());
  expectClean("cancelled");
  ManagerStop();
}

}  // namespace
}  // namespace manager_test
#endif
