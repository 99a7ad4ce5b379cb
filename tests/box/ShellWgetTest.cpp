// ShellWgetTest.cpp - the box's wget in the box shell against a local
// repository server: busybox's exit codes, messages and partial files, the
// network faults, and the manager's background command line (Tools.h's
// BuildWgetCommand) moving on tick by tick, ended by kill.
#include "BoxTest.h"
#include "serve/RepoServer.h"
#include "Tools.h"

#include <cstdlib>

// The program's own TAP identity, which the tool module's call tracing reads.
TAP_ID(0x7E570031);
TAP_PROGRAM_NAME("Box wget tests");

using pvrsim::box::advanceShellJobs;
using pvrsim::box::runningShellJobs;
using pvrsim::box::shellLog;

pvrsim::box::Config::Network net(bool down = false, std::optional<uint64_t> breakAfter = std::nullopt) {
  pvrsim::box::Config::Network network;
  network.down = down;
  network.breakAfter = breakAfter;
  return network;
}

class ShellWgetTest : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    writeHostFile(disk("ProgramFiles/wget"), "the box's wget");
    writeHostFile(root + "/repo/list.bin", std::string(10000, 'L'));
    repo = std::make_unique<pvrsim::serve::RepoServer>(root + "/repo");
  }
  void TearDown() override {
    repo.reset();
    BoxTest::TearDown();
  }
  std::string get(const std::string &args) { return "/mnt/hd/ProgramFiles/wget -q " + args; }
  std::unique_ptr<pvrsim::serve::RepoServer> repo;
};

TEST_F(ShellWgetTest, ExitCodesMessagesAndFilesAsBusyboxHasThem) {
  const std::string list = repo->url() + "/list.bin";
  struct Case {
    const char *what;
    std::string command;
    pvrsim::box::Config::Network network;
    int status;
    long long fileSize;  // -1: no file
    const char *message;
  } cases[] = {
      {"a file", get("-O /mnt/hd/out " + list), net(), 0, 10000, ""},
      {"not on the server", get("-O /mnt/hd/out " + repo->url() + "/none"), net(), 1, -1,
       "wget: server returned error: HTTP/1.1 404 Not Found\n"},
      {"another host", get("-O /mnt/hd/out http://example.com/x"), net(), 1, -1,
       "wget: bad address 'example.com'\n"},
      {"another address", get("-O /mnt/hd/out http://10.0.0.1/x"), net(), 1, -1,
       "wget: can't connect to remote host (10.0.0.1): Network is unreachable\n"},
      {"the cable pulled", get("-O /mnt/hd/out " + list), net(true), 1, -1,
       "wget: can't connect to remote host (127.0.0.1): Network is unreachable\n"},
      {"a broken connection", get("-O /mnt/hd/out " + list), net(false, 2500), 1, 2500,
       "wget: connection closed prematurely\n"},
      {"--spider", get("--spider " + list), net(), 0, -1, ""},
      {"nobody listening", get("-O /mnt/hd/out http://127.0.0.1:1/x"), net(), 1, -1,
       "wget: can't connect to remote host (127.0.0.1): Connection refused\n"},
      {"no wget on the disk", "/mnt/hd/ProgramFiles/Other/wget -q " + list, net(), 127, -1,
       "sh: /mnt/hd/ProgramFiles/Other/wget: not found\n"},
  };
  for (const Case &c : cases) {
    std::filesystem::remove(disk("out"));
    config_.network = c.network;
    reconfigure();
    EXPECT_EQ(c.status << 8, system(c.command.c_str())) << c.what;
    std::error_code ec;
    EXPECT_EQ(c.fileSize,
              std::filesystem::exists(disk("out")) ? (long long)std::filesystem::file_size(disk("out")) : -1)
        << c.what;
    std::string log = shellLog();
    EXPECT_EQ(c.message, log.substr(log.find('\n') + 1, log.rfind("[status") - log.find('\n') - 1)) << c.what;
  }
}

TEST_F(ShellWgetTest, ContinueAppendsTheRestOfAPartialFile) {
  writeHostFile(disk("out"), std::string(4000, 'L'));
  ASSERT_EQ(0, system(get("-c -O /mnt/hd/out " + repo->url() + "/list.bin").c_str())) << shellLog();
  EXPECT_EQ(std::string(10000, 'L'), readHostFile(disk("out")));
}

TEST_F(ShellWgetTest, TheManagersBackgroundDownloadMovesOnPerTickAndEndsByKill) {
  struct Case {
    const char *what;
    std::optional<uint64_t> stallAfter;
    int ticks;  // advanced before the kill (none when the download ends)
    const char *status;
    size_t size;
  } cases[] = {
      {"completes", std::nullopt, 3, "0\n", 10000},  // 4096 bytes per tick
      {"stalls and is killed", 5000, 50, "143\n", 5000},
  };
  for (const Case &c : cases) {
    for (const char *name : {"o", "st", "pid"}) std::filesystem::remove(disk(name));
    config_.network = net();
    config_.network.stallAfter = c.stallAfter;
    reconfigure();
    char command[1024];
    ASSERT_TRUE(BuildWgetCommand((repo->url() + "/list.bin").c_str(), "/mnt/hd/o", "/mnt/hd/st",
                                 "/mnt/hd/pid", command, sizeof command));
    ASSERT_EQ(0, system(command)) << shellLog();
    EXPECT_FALSE(std::filesystem::exists(disk("st"))) << c.what << ": system() does not wait";
    int pid = std::atoi(readHostFile(disk("pid")).c_str());
    EXPECT_GT(pid, 0) << c.what;
    for (int i = 1; i <= c.ticks; i++) {
      EXPECT_FALSE(std::filesystem::exists(disk("st"))) << c.what << " tick " << i;
      advanceShellJobs();
      size_t expected = std::min<size_t>(c.size, 4096u * i);
      EXPECT_EQ(expected, std::filesystem::file_size(disk("o"))) << c.what << " tick " << i;
    }
    if (c.stallAfter) {
      ASSERT_EQ(0, system(("kill " + std::to_string(pid)).c_str())) << shellLog();
    }
    advanceShellJobs();
    EXPECT_EQ(c.status, readHostFile(disk("st"))) << c.what;
    EXPECT_EQ(c.size, std::filesystem::file_size(disk("o"))) << c.what;
    EXPECT_EQ(0, runningShellJobs()) << c.what;
  }
  EXPECT_EQ(2, repo->requests("/list.bin"));
}
