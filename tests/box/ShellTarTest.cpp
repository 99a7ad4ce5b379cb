// ShellTarTest.cpp - busybox tar and df in the box shell: archives that come
// back byte for byte, member names that try to leave the disk, damaged and
// cut archives with busybox's messages, df's layout, and a backup in the
// manager's background command line that takes ticks.
#include "BoxTest.h"
#include "box/TarHeader.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace {
using pvrsim::box::shellLog;
const std::string kBusybox = "/mnt/hd/ProgramFiles/busybox";

class ShellTarTest : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    writeHostFile(disk("ProgramFiles/busybox"), "the box's busybox");
    makeFolder("Backup/Staging");
  }
  // Runs a line; the status, and in `messages` what it logged.
  int run(const std::string &line, std::string *messages = nullptr) {
    size_t before = shellLog().size();
    int status = system(line.c_str()) >> 8;
    std::string log = shellLog().substr(before);
    log = log.substr(log.find('\n') + 1);
    if (messages) *messages = log.substr(0, log.find("[status"));
    return status;
  }
  std::string readDisk(const std::string &path) { return readHostFile(disk(path)); }
  // A plain tar archive of members with the given names and contents.
  std::string rawTar(const std::vector<std::pair<std::string, std::string>> &members) {
    std::string tar;
    for (const auto &[name, data] : members) {
      pvrsim::box::shell::TarEntry entry;
      entry.name = name;
      entry.size = data.size();
      unsigned char block[pvrsim::box::shell::kTarBlock];
      pvrsim::box::shell::encodeTarHeader(entry, block);
      tar += std::string(reinterpret_cast<char *>(block), sizeof block) + data;
      tar.append(pvrsim::box::shell::tarPadding(data.size()), '\0');
    }
    return tar + std::string(1024, '\0');
  }
};

TEST_F(ShellTarTest, ArchivesComeBackByteForByte) {
  const std::string longName = "ProgramFiles/Settings/A/" + std::string(120, 'n') + ".ini";
  const std::map<std::string, std::string> files = {
      {"ProgramFiles/A.tap", std::string(70000, 'a') + std::string(1, '\0') + "end"},
      {"ProgramFiles/Settings/A/empty.dat", ""},
      {"ProgramFiles/Settings/A/Sub/b.ini", "[b]\n"},
      {longName, "long"}};
  for (const auto &[name, data] : files) {
    makeFolder(std::filesystem::path(name).parent_path());
    writeHostFile(disk(name), data);
  }
  const std::string listed =
      "ProgramFiles/A.tap\nProgramFiles/Settings/A/\nProgramFiles/Settings/A/Sub/\n"
      "ProgramFiles/Settings/A/Sub/b.ini\nProgramFiles/Settings/A/empty.dat\n" +
      longName + "\n";
  struct Case {
    const char *create, *list, *extract;
  } cases[] = {{"-czf", "-tzf", "-xzf"}, {"cf", "tf", "xf"}, {"-cvzf", "-tzf", "-xzvf"}};
  for (const Case &c : cases) {
    std::filesystem::remove_all(disk("Backup/Staging"));
    makeFolder("Backup/Staging");
    std::string tar = kBusybox + " tar " + c.create + " '/mnt/hd/Backup/X.tgz' -C '/mnt/hd' " +
                      "'ProgramFiles/A.tap' 'ProgramFiles/Settings/A' > /dev/null";
    ASSERT_EQ(0, run(tar)) << c.create;
    EXPECT_EQ(0, run("tar " + std::string(c.list) + " '/mnt/hd/Backup/X.tgz' > '/mnt/hd/Backup/list.txt'"));
    EXPECT_EQ(listed, readDisk("Backup/list.txt")) << c.list;
    EXPECT_EQ(0, run(kBusybox + " tar " + c.extract + " '/mnt/hd/Backup/X.tgz' -C '/mnt/hd/Backup/Staging'"));
    for (const auto &[name, data] : files) EXPECT_EQ(data, readDisk("Backup/Staging/" + name)) << name;
  }
}

TEST_F(ShellTarTest, MembersThatLeaveTheFolderAreRefused) {
  std::filesystem::create_directory_symlink(root, disk("Backup/Staging/out"));  // leads off the disk
  struct Case {
    const char *what;
    std::string name, refusal;
  } cases[] = {
      {"a parent", "../evil.txt", "tar: skipping unsafe member name '../evil.txt'\n"},
      {"an absolute name", "/evil.txt", "tar: skipping unsafe member name '/evil.txt'\n"},
      {"a parent inside", "a/../../evil.txt", "tar: skipping unsafe member name 'a/../../evil.txt'\n"},
      {"a link off the disk", "out/evil.txt", "tar: can't create '/mnt/hd/Backup/Staging/out/evil.txt': "},
  };
  for (const Case &c : cases) {
    writeHostFile(disk("Backup/bad.tar"), rawTar({{"ok.txt", "ok"}, {c.name, "evil"}}));
    std::string messages;
    EXPECT_EQ(1, run("tar -xf /mnt/hd/Backup/bad.tar -C /mnt/hd/Backup/Staging", &messages)) << c.what;
    EXPECT_EQ(0u, messages.find(c.refusal)) << c.what << ": " << messages;
    EXPECT_EQ("ok", readDisk("Backup/Staging/ok.txt")) << c.what;
    EXPECT_FALSE(std::filesystem::exists(disk("Backup/evil.txt")) ||
                 std::filesystem::exists(disk("evil.txt")) || std::filesystem::exists(root + "/evil.txt"))
        << c.what;
  }
}

TEST_F(ShellTarTest, DamagedArchivesFailAsBusyboxSays) {
  writeHostFile(disk("ProgramFiles/big.bin"), std::string(300000, 'x') + std::string(300000, 'y'));
  ASSERT_EQ(0, run("tar -czf /mnt/hd/Backup/good.tgz -C /mnt/hd ProgramFiles/big.bin"));
  const std::string good = readDisk("Backup/good.tgz");
  std::string badCrc = good;
  badCrc[badCrc.size() - 6] ^= 0x55;
  std::string badHeader = rawTar({{"a.txt", "a"}});
  badHeader[10] = 'X';
  struct Case {
    const char *what;
    std::string archive, options, messages;
  } cases[] = {
      {"cut short", good.substr(0, good.size() / 2), "-xzf",
       "tar: unexpected end of file\ntar: short read\n"},
      {"a wrong checksum", badCrc, "-xzf", "tar: crc error\n"},
      {"no gzip", "just text", "-xzf", "tar: invalid magic\ntar: short read\n"},
      {"a damaged header", badHeader, "-xf", "tar: invalid tar header checksum\n"},
      {"a cut plain tar", rawTar({{"a.txt", std::string(2000, 'a')}}).substr(0, 1024), "-tf",
       "a.txt\ntar: short read\n"},
  };
  for (const Case &c : cases) {
    writeHostFile(disk("Backup/in.tgz"), c.archive);
    std::string messages;
    EXPECT_EQ(1, run("tar " + c.options + " /mnt/hd/Backup/in.tgz -C /mnt/hd/Backup/Staging", &messages))
        << c.what;
    EXPECT_EQ(c.messages, messages) << c.what;
  }
  // What was extracted before the cut stays.
  EXPECT_GT(std::filesystem::file_size(disk("Backup/Staging/ProgramFiles/big.bin")), 0u);
  std::string messages;
  EXPECT_EQ(1, run("tar -xzf /mnt/hd/Backup/none.tgz", &messages));
  EXPECT_EQ("tar: can't open '/mnt/hd/Backup/none.tgz': No such file or directory\n", messages);
  EXPECT_EQ(1, run("tar -czf /mnt/hd/Backup/x.tgz -C /mnt/hd ProgramFiles/busybox nothere", &messages));
  EXPECT_EQ("tar: nothere: No such file or directory\ntar: error exit delayed from previous errors\n",
            messages);
  EXPECT_EQ(127, run("/mnt/hd/Other/busybox tar -tzf /mnt/hd/Backup/x.tgz"));
}

TEST_F(ShellTarTest, DfShowsTheDiskInBusyboxLayout) {
  for (const std::string &line :
       {kBusybox + " df -k '/mnt/hd' > /mnt/hd/df.txt", std::string("df > /mnt/hd/df.txt")}) {
    ASSERT_EQ(0, run(line)) << line;
    std::istringstream text(readDisk("df.txt"));
    std::string header, device, percent, mount, rest;
    unsigned long long total = 0, used = 0, available = 0;
    std::getline(text, header);
    EXPECT_EQ("Filesystem           1K-blocks      Used Available Use% Mounted on", header);
    ASSERT_TRUE(text >> device >> total >> used >> available >> percent >> mount) << line;
    EXPECT_FALSE(text >> rest);
    EXPECT_EQ("/mnt/hd", mount);
    EXPECT_GT(total, 0u);
    EXPECT_LE(used + available, total);
    unsigned long long share = (used * 100 + (used + available) / 2) / (used + available);
    EXPECT_EQ(std::to_string(share) + "%", percent);
  }
  std::string messages;
  EXPECT_EQ(1, run("df /etc", &messages));
}

TEST_F(ShellTarTest, ABackgroundBackupTakesTicksAndWritesItsStatus) {
  writeHostFile(disk("ProgramFiles/A.tap"), std::string(40000, 'a'));
  config_.disk.bytesPerTick = 4096;
  reconfigure();
  const std::string line =
      "( " + kBusybox +
      " tar -czf '/mnt/hd/Backup/X.tgz' -C '/mnt/hd' 'ProgramFiles/A.tap' & echo $! > "
      "'/mnt/hd/Backup/pid'; wait $!; echo $? > '/mnt/hd/Backup/status' ) > /dev/null 2>&1 &";
  ASSERT_EQ(0, run(line));
  EXPECT_FALSE(std::filesystem::exists(disk("Backup/status")));
  int ticks = 0;
  while (pvrsim::box::runningShellJobs() > 0 && ticks < 1000) {
    pvrsim::box::advanceShellJobs();
    ++ticks;
  }
  // 40000 bytes of data, a header and two end blocks: 11 ticks at 4 KiB a
  // tick, and one more for the waiting sub-shell to write the status.
  EXPECT_EQ(12, ticks);
  EXPECT_EQ("0\n", readDisk("Backup/status"));
  EXPECT_EQ(0, run("tar -xzf /mnt/hd/Backup/X.tgz -C /mnt/hd/Backup/Staging"));
  EXPECT_EQ(std::string(40000, 'a'), readDisk("Backup/Staging/ProgramFiles/A.tap"));
}
}  // namespace

// A simulated full disk: tar's writes meet it as the TAP API's do, and df
// shows no more room than is left.
class ShellTarFullDiskTest : public SimFixture {
 protected:
  void configureOptions(pvrsim::Options &o) override { o.diskFullAfterBytes = 20000; }
};

TEST_F(ShellTarFullDiskTest, TarStopsAndDfShowsTheRoomLeft) {
  writeHostFile(disk("ProgramFiles/busybox"), "the box's busybox");
  writeHostFile(disk("ProgramFiles/A.tap"), std::string(50000, 'a'));
  ASSERT_EQ(0, system("df -k /mnt/hd > /mnt/hd/df.txt"));
  std::istringstream before(readHostFile(disk("df.txt")));
  std::string header, device;
  unsigned long long total = 0, used = 0, available = 0;
  std::getline(before, header);
  ASSERT_TRUE(before >> device >> total >> used >> available);
  EXPECT_EQ(19u, available);  // 20000 bytes in 1K blocks
  EXPECT_EQ(1 << 8, system("tar cf /mnt/hd/A.tar -C /mnt/hd ProgramFiles/A.tap 2> /mnt/hd/err.txt"));
  EXPECT_EQ("tar: write error: No space left on device\n", readHostFile(disk("err.txt")));
  EXPECT_EQ(20000u, std::filesystem::file_size(disk("A.tar")));
}
