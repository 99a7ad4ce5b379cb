// LauncherTest.cpp - pvrsim's launcher TAP starts the TAP named in its
// request file with the library's HDD_TAP_Start, handing over the parameter
// from the request or its own start parameter.
#include <string>
#include <vector>

#include "TasksSim.h"
#include "box/Box.h"

namespace {

class LauncherTest : public tasks::SimTest {
 protected:
  void SetUp() override {
    tasks::SimTest::SetUp();
    ASSERT_TRUE(copyTap(TAP_pvrsim_launcher, "/ProgramFiles/Launcher.tap"));
    ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/PeerA.tap"));
  }
  void request(const std::string &text) { writeFile("/ProgramFiles/Launcher.txt", text); }
  // Starts the launcher, which ends after its TAP_Main.
  void launch(std::optional<dword> param = std::nullopt) {
    EXPECT_EQ(sim->startTap("/ProgramFiles/Launcher.tap", param), -1);
    EXPECT_EQ(sim->lastError(), "");
    EXPECT_FALSE(sim->isRunning("/ProgramFiles/Launcher.tap"));
    EXPECT_EQ(pvrsim::box::shmSegmentCount(), 0u);
  }
  std::string peerMain(const std::string &rest) {
    return "PeerA main param=" + rest.substr(0, rest.find(' ')) +
           " slot=" + std::to_string(sim->slotOf("/ProgramFiles/PeerA.tap")) + rest.substr(rest.find(' '));
  }
};

TEST_F(LauncherTest, StartsTheRequestedTapWithTheRequestedParameter) {
  request("/ProgramFiles/PeerA.tap\r\n3\r\n");
  launch(7);
  EXPECT_EQ(tapLog(), std::vector<std::string>{peerMain("3 batch=0")});
  EXPECT_NE(
      sim->consoleText().find("Launcher: started /ProgramFiles/PeerA.tap (0x7e570a01) with parameter 3"),
      std::string::npos);
}

TEST_F(LauncherTest, HandsOnItsOwnParameterWhenTheRequestNamesNone) {
  request("PeerA.tap\n\nbatch\n");
  launch(5);
  EXPECT_EQ(tapLog(), std::vector<std::string>{peerMain("5 batch=1")});
}

TEST_F(LauncherTest, WithoutAnyParameterTheTapGetsNone) {
  request("/mnt/hd/ProgramFiles/PeerA.tap");
  launch();
  EXPECT_EQ(tapLog(), std::vector<std::string>{peerMain("none batch=0")});
  EXPECT_NE(sim->consoleText().find("without parameter"), std::string::npos);
}

TEST_F(LauncherTest, ReportsAMissingRequestOrAFileThatIsNotATap) {
  launch();
  EXPECT_NE(sim->consoleText().find("Launcher: no TAP named in /ProgramFiles/Launcher.txt"),
            std::string::npos);
  request("/ProgramFiles/Launcher.txt\n1\n");
  launch();
  EXPECT_NE(sim->consoleText().find("Launcher: could not start /ProgramFiles/Launcher.txt"),
            std::string::npos);
  EXPECT_TRUE(tapLog().empty());
  EXPECT_EQ(sim->taskCount(), 1);
}

}  // namespace
