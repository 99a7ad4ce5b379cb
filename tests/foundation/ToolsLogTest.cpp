// ToolsLogTest.cpp - the installer's log writer and the settings folder of the tool module.
#include "FoundationFixture.h"
#include "Tools.h"
#include "firmware/WorkDir.h"

using namespace foundation;

// As in a TAP's start: tracing initialised and switched off.
class ToolsLogTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Start();
    CallTraceInit();
    CallTraceEnable(FALSE);
  }
  const std::string logFile = "/ProgramFiles/Settings/Vantero/Vantero.log";
};

TEST_F(ToolsLogTest, FirstWriteMakesTheFoldersAndKeepsTheDirectory) {
  Adopt("/DataFiles");
  ASSERT_FALSE(exists("/ProgramFiles/Settings"));
  WriteLog("Vantero Setup", "first line");
  WriteLog("Vantero", "second line");
  EXPECT_EQ("2015-12-29 13:05:09 first line\r\n2015-12-29 13:05:09 second line\r\n", readFile(logFile));
  EXPECT_EQ("/DataFiles", currentDir());
  EXPECT_EQ(-1, TAPDirStackDepth);
  EXPECT_EQ(0u, CallLevel);
  EXPECT_EQ((std::vector<std::string>{"2015-12-29 13:05:09 ", "Vantero Setup: ", "first line", "\n",
                                      "2015-12-29 13:05:09 ", "Vantero: ", "second line", "\n"}),
            ConsolePieces());
}

TEST_F(ToolsLogTest, KeepsTheCallersSavedDirectories) {
  Adopt("/DataFiles");
  makeFolder("/ProgramFiles/Other");
  ASSERT_TRUE(HDD_TAP_PushDir());
  ASSERT_TRUE(HDD_ChangeDir("/ProgramFiles/Other"));
  WriteLog("Vantero", "inside");
  EXPECT_EQ("/ProgramFiles/Other", currentDir());
  EXPECT_EQ(0, TAPDirStackDepth);
  EXPECT_TRUE(HDD_TAP_PopDir());
  EXPECT_EQ("/DataFiles", currentDir());
}

TEST_F(ToolsLogTest, FullDirectoryStackLeavesTheCallersEntries) {
  Adopt("/DataFiles");
  for (int i = 0; i < 16; i++) ASSERT_TRUE(HDD_TAP_PushDir());
  WriteLog("Vantero", "no room to save the folder");
  EXPECT_EQ(15, TAPDirStackDepth);
  EXPECT_TRUE(exists(logFile));
}

TEST_F(ToolsLogTest, SettingsFolderIsAnnouncedWhenMade) {
  Adopt("/DataFiles");
  CreateSettingsDir();
  EXPECT_TRUE(fs::is_directory(disk("/ProgramFiles/Settings/Vantero")));
  EXPECT_EQ("2015-12-29 13:05:09 Created Vantero settings folder\r\n", readFile(logFile));
  EXPECT_EQ("/DataFiles", currentDir());

  CreateSettingsDir();  // present now: nothing more is logged
  EXPECT_EQ("2015-12-29 13:05:09 Created Vantero settings folder\r\n", readFile(logFile));
  EXPECT_EQ("/DataFiles", currentDir());
  EXPECT_EQ(-1, TAPDirStackDepth);
}
