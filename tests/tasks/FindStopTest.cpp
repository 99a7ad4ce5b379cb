// FindStopTest.cpp - FindTAP and StopTAP with real TAPs in pvrsim: the
// breadth-first search below "/ProgramFiles", the excluded settings folder,
// and the three ways a stop can end, with their lines in "Vantero.log".
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "TasksSim.h"
#include "Tools.h"

// The program's own TAP ID, which the call tracer of the tool module reads.
TAP_ID(0x7E57F00D);

namespace {

const dword ManagerId = VANTERO_TAPID;

class FindTAPTest : public tasks::SimTest {
 protected:
  // Result of FindTAP with both outputs pre-filled, so that untouched
  // outputs show.
  bool find(dword id = ManagerId) {
    strcpy(tapName_, "untouched");
    strcpy(folderName_, "untouched");
    return FindTAP(id, tapName_, folderName_);
  }
  std::string workingDir() { return sim->currentDir(ownSlot_); }

  char tapName_[128];
  char folderName_[KALIB_PATH_MAX];
};

TEST_F(FindTAPTest, AFileDirectlyInProgramFilesComesBeforeOneInASubfolder) {
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/AAA/Vantero.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/Other.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_ignore, "/ProgramFiles/zzz.tap"));
  ASSERT_TRUE(HDD_ChangeDir("/ProgramFiles/AAA"));
  ASSERT_TRUE(find());
  EXPECT_STREQ(tapName_, "zzz.tap");
  EXPECT_STREQ(folderName_, "/ProgramFiles");
  EXPECT_EQ(workingDir(), "/mnt/hd/ProgramFiles");
}

TEST_F(FindTAPTest, SearchesBreadthFirstAndLeavesTheWorkingDirectoryAtTheMatch) {
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/A/B/Deep.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Z/Manager.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/A/PeerA.tap"));
  writeFile("/ProgramFiles/A/Broken.tap", "not a TAP");
  ASSERT_TRUE(find());
  EXPECT_STREQ(tapName_, "Manager.tap");
  EXPECT_STREQ(folderName_, "/ProgramFiles/Z");
  EXPECT_EQ(workingDir(), "/mnt/hd/ProgramFiles/Z");

  ASSERT_TRUE(find(0x7E570A01));
  EXPECT_STREQ(tapName_, "PeerA.tap");
  EXPECT_STREQ(folderName_, "/ProgramFiles/A");

  std::filesystem::remove(disk("/ProgramFiles/Z/Manager.tap"));
  ASSERT_TRUE(FindTAP(ManagerId, nullptr, nullptr));
  EXPECT_EQ(workingDir(), "/mnt/hd/ProgramFiles/A/B");
}

TEST_F(FindTAPTest, TheManagersSettingsFolderIsNeverSearched) {
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Settings/Vantero/Vantero.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Settings/Vantero/Backup/Vantero.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/Settings/PeerA.tap"));
  EXPECT_FALSE(find());
  EXPECT_STREQ(tapName_, "untouched");
  EXPECT_STREQ(folderName_, "untouched");
  // The working directory is the last folder entered.
  EXPECT_EQ(workingDir(), "/mnt/hd/ProgramFiles/Settings");
  // A link elsewhere to a folder below it leads into it all the same.
  std::filesystem::create_directory_symlink("Settings/Vantero/Backup", disk("/ProgramFiles/Shortcut"));
  EXPECT_FALSE(find());
  EXPECT_STREQ(folderName_, "untouched");

  // Only that exact folder is left out.
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Settings/Vantero2/Vantero.tap"));
  ASSERT_TRUE(find());
  EXPECT_STREQ(folderName_, "/ProgramFiles/Settings/Vantero2");
}

TEST_F(FindTAPTest, OnlyTapFilesAreRead) {
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Vantero.bak"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Vantero"));
  EXPECT_FALSE(find());
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/VANTERO.TAP"));
  EXPECT_TRUE(find());
  EXPECT_STREQ(tapName_, "VANTERO.TAP");
}

TEST_F(FindTAPTest, PathsTooLongForAPathBufferAreLeftOut) {
  // Folder names of 120 characters: five levels make a folder path of 618
  // characters, which is not queued; four levels one of 497, which is
  // searched, but the Linux path of a file in it (516) does not fit either.
  std::string level = "/" + std::string(120, 'd');
  std::string threeLevels = "/ProgramFiles" + level + level + level;
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, threeLevels + level + level + "/Vantero.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, threeLevels + level + "/Vantero.tap"));
  EXPECT_FALSE(find());
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, threeLevels + "/Vantero.tap"));
  ASSERT_TRUE(find());
  EXPECT_EQ(std::string(folderName_), threeLevels);
}

// ---- StopTAP -------------------------------------------------------------

// A log line as the log writer appends it: time stamp, one blank, the text.
struct LogLine {
  std::string time;  // "HH:MM:SS"
  std::string text;
};

class StopTAPTest : public tasks::SimTest {
 protected:
  std::vector<LogLine> vanteroLog() {
    std::vector<LogLine> lines;
    std::string raw = readFile("/ProgramFiles/Settings/Vantero/Vantero.log");
    const std::regex pattern(R"(^2015-12-31 (\d\d:\d\d:\d\d) (.*)$)");
    for (const std::string &line : splitLines(raw)) {
      std::smatch m;
      EXPECT_TRUE(std::regex_match(line, m, pattern)) << line;
      if (!m.empty()) lines.push_back({m[1], m[2]});
    }
    // Every line ends with CR LF.
    size_t newlines = std::count(raw.begin(), raw.end(), '\n');
    size_t crlf = 0;
    for (size_t p = raw.find("\r\n"); p != std::string::npos; p = raw.find("\r\n", p + 2)) crlf++;
    EXPECT_EQ(crlf, newlines);
    return lines;
  }
  std::vector<std::string> logTexts() {
    std::vector<std::string> texts;
    for (const LogLine &line : vanteroLog()) texts.push_back(line.text);
    return texts;
  }
  int startManager(const char *hostFile) {
    int slot = start(hostFile, "/ProgramFiles/Vantero.tap");
    clearTapLog();
    return slot;
  }
  std::string stopEventLine(const char *name, int slot) {
    return std::string(name) + " event=0x0900 p1=1 p2=0 cur=" + std::to_string(slot);
  }
};

TEST_F(StopTAPTest, AManagerThatDoesNotRunIsNotDisturbed) {
  start(TAP_tasks_peer_a, "/ProgramFiles/PeerA.tap");
  clearTapLog();
  EXPECT_TRUE(StopTAP(ManagerId));
  EXPECT_EQ(logTexts(), std::vector<std::string>{"TAP 0x5c3e1a20 is not running"});
  EXPECT_TRUE(tapLog().empty());
}

TEST_F(StopTAPTest, AManagerThatEndsOnTheStopEvent) {
  // Stopped from inside a TAP, as the installer does: the manager ends in its
  // handler, which runs inside StopTAP.
  int slot = startManager(TAP_tasks_manager_exit);
  ASSERT_TRUE(copyTap(TAP_tasks_stopper, "/ProgramFiles/Stopper.tap"));
  EXPECT_EQ(sim->startTap("/ProgramFiles/Stopper.tap", ManagerId), -1);  // ends after its TAP_Main
  EXPECT_EQ(sim->lastError(), "");
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_EQ(logTexts(), (std::vector<std::string>{"Trying to stop 0x5c3e1a20", "Successful via EVT_STOP"}));
  EXPECT_EQ(tapLog(),
            (std::vector<std::string>{stopEventLine("ManagerExit", slot), "Stopper stopped=1 ticks=1"}));
}

TEST_F(StopTAPTest, AManagerThatIgnoresTheStopEventIsKilled) {
  int slot = startManager(TAP_tasks_manager_ignore);
  dword before = sim->now();
  EXPECT_TRUE(StopTAP(ManagerId));
  dword waited = sim->now() - before;
  EXPECT_GE(waited, 300u);
  EXPECT_LE(waited, 303u);
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_EQ(logTexts(), (std::vector<std::string>{"Trying to stop 0x5c3e1a20",
                                                  "TAP is still running, trying to set kill bit",
                                                  "Successful via kill bit"}));
  EXPECT_EQ(tapLog(), (std::vector<std::string>{stopEventLine("ManagerIgnore", slot),
                                                stopEventLine("ManagerIgnore", slot)}));
}

TEST_F(StopTAPTest, AManagerThatSurvivesTheKillIsReportedAfterSixSeconds) {
  int slot = startManager(TAP_tasks_manager_ignore);
  sim->setIgnoreKill(slot);
  dword before = sim->now();
  EXPECT_FALSE(StopTAP(ManagerId));
  dword waited = sim->now() - before;
  EXPECT_GE(waited, 600u);
  EXPECT_LE(waited, 606u);
  EXPECT_TRUE(sim->isRunning(slot));
  std::vector<LogLine> log = vanteroLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].text, "Trying to stop 0x5c3e1a20");
  EXPECT_EQ(log[1].text, "TAP is still running, trying to set kill bit");
  EXPECT_EQ(log[2].text, "TAP is still running :-(");
  EXPECT_EQ(log[0].time, "12:00:00");
  EXPECT_EQ(log[1].time, "12:00:03");
  EXPECT_EQ(log[2].time, "12:00:06");
}

}  // namespace
