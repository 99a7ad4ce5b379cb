// ShellCommandsTest.cpp - the box shell's commands on the disk: mkdir, rm, chmod, mv, cat, ifconfig.
#include "BoxTest.h"

#include <sys/stat.h>

#include <cstdlib>

using pvrsim::box::shellLog;

class ShellCommandsTest : public BoxTest {
 protected:
  static int exitCode(int status) { return status >> 8; }

  bool loggedLine(const std::string &line) { return shellLog().find(line + "\n") != std::string::npos; }

  mode_t modeOf(const std::string &hostPath) {
    struct stat st;
    return ::stat(hostPath.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }
};

TEST_F(ShellCommandsTest, MkdirWithAndWithoutParents) {
  EXPECT_EQ(system("mkdir -p /mnt/hd/ProgramFiles/AutoStart"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(disk("ProgramFiles/AutoStart")));
  EXPECT_EQ(system("mkdir -p /mnt/hd/ProgramFiles/AutoStart"), 0);  // existing: fine
  EXPECT_EQ(system("mkdir -p /mnt/hd"), 0);
  EXPECT_EQ(exitCode(system("mkdir /mnt/hd/ProgramFiles")), 1);
  EXPECT_TRUE(loggedLine("mkdir: can't create directory '/mnt/hd/ProgramFiles': File exists"));
  EXPECT_EQ(exitCode(system("mkdir /mnt/hd/a/b")), 1);
  EXPECT_FALSE(std::filesystem::exists(disk("a")));
  writeHostFile(disk("file"), "x");
  EXPECT_EQ(exitCode(system("mkdir -p /mnt/hd/file/sub")), 1);
  EXPECT_EQ(exitCode(system("mkdir -x /mnt/hd/c")), 1);
  EXPECT_TRUE(loggedLine("mkdir: invalid option -- 'x'"));
}

TEST_F(ShellCommandsTest, RmRecursiveWithTheDoubledSlash) {
  writeHostFile(disk("ProgramFiles/Settings/Vantero/Vantero.log"), "log");
  writeHostFile(disk("ProgramFiles/Settings/Vantero/Cache/TAPCache.bin"), "bin");
  writeHostFile(disk("ProgramFiles/Settings/Kalib.log"), "");
  EXPECT_EQ(system("rm -r /mnt/hd//ProgramFiles/Settings/Vantero"), 0);
  EXPECT_FALSE(std::filesystem::exists(disk("ProgramFiles/Settings/Vantero")));
  EXPECT_TRUE(std::filesystem::exists(disk("ProgramFiles/Settings/Kalib.log")));
}

TEST_F(ShellCommandsTest, RmFilesFoldersAndMissingPaths) {
  writeHostFile(disk("dir/file"), "x");
  EXPECT_EQ(exitCode(system("rm /mnt/hd/dir")), 1);
  EXPECT_TRUE(loggedLine("rm: can't remove '/mnt/hd/dir': Is a directory"));
  EXPECT_EQ(system("rm /mnt/hd/dir/file"), 0);
  EXPECT_FALSE(std::filesystem::exists(disk("dir/file")));
  EXPECT_EQ(exitCode(system("rm /mnt/hd/dir/file")), 1);
  EXPECT_TRUE(loggedLine("rm: can't remove '/mnt/hd/dir/file': No such file or directory"));
  EXPECT_EQ(system("rm -f /mnt/hd/dir/file"), 0);
  EXPECT_EQ(system("rm -rf /mnt/hd/dir"), 0);
  EXPECT_FALSE(std::filesystem::exists(disk("dir")));
}

TEST_F(ShellCommandsTest, RmNeverTakesTheDiskItself) {
  writeHostFile(disk("ProgramFiles/keep"), "x");
  EXPECT_EQ(exitCode(system("rm -rf /mnt/hd/")), 1);
  EXPECT_EQ(exitCode(system("rm -r /mnt/hd/ProgramFiles/..")), 1);
  EXPECT_TRUE(loggedLine("rm: can't remove '.' or '..'"));
  EXPECT_EQ(exitCode(system("rm -r /mnt/hd/..")), 1);
  EXPECT_TRUE(std::filesystem::exists(disk("ProgramFiles/keep")));
}

TEST_F(ShellCommandsTest, Chmod555IsVisibleWithStat) {
  writeHostFile(disk("ProgramFiles/wget"), "elf");
  ASSERT_EQ(system("chmod 555 /mnt/hd/ProgramFiles/wget"), 0);
  EXPECT_EQ(modeOf(disk("ProgramFiles/wget")), 0555u);
  ASSERT_EQ(system("chmod 0644 /mnt/hd/ProgramFiles/wget"), 0);
  EXPECT_EQ(modeOf(disk("ProgramFiles/wget")), 0644u);
  writeHostFile(disk("tree/sub/file"), "x");
  ASSERT_EQ(system("chmod -R 700 /mnt/hd/tree"), 0);
  EXPECT_EQ(modeOf(disk("tree/sub/file")), 0700u);
  EXPECT_EQ(modeOf(disk("tree")), 0700u);
  EXPECT_EQ(exitCode(system("chmod 855 /mnt/hd/ProgramFiles/wget")), 1);
  EXPECT_TRUE(loggedLine("chmod: invalid mode '855'"));
  EXPECT_EQ(exitCode(system("chmod 555 /mnt/hd/ProgramFiles/busybox")), 1);
  EXPECT_TRUE(loggedLine("chmod: /mnt/hd/ProgramFiles/busybox: No such file or directory"));
}

TEST_F(ShellCommandsTest, MvIntoAFolderOrToANewName) {
  writeHostFile(disk("ProgramFiles/AutoStart/Vantero_Setup.tap"), "setup");
  ASSERT_EQ(system("mv /mnt/hd/ProgramFiles/AutoStart/Vantero_Setup.tap /mnt/hd/ProgramFiles"), 0);
  EXPECT_EQ(readHostFile(disk("ProgramFiles/Vantero_Setup.tap")), "setup");
  EXPECT_FALSE(std::filesystem::exists(disk("ProgramFiles/AutoStart/Vantero_Setup.tap")));

  ASSERT_EQ(system("mv /mnt/hd/ProgramFiles/Vantero_Setup.tap /mnt/hd/ProgramFiles/Setup.tap"), 0);
  EXPECT_EQ(readHostFile(disk("ProgramFiles/Setup.tap")), "setup");

  writeHostFile(disk("a"), "1");
  writeHostFile(disk("b"), "2");
  ASSERT_EQ(system("mv /mnt/hd/a /mnt/hd/b /mnt/hd/ProgramFiles/AutoStart/"), 0);
  EXPECT_EQ(readHostFile(disk("ProgramFiles/AutoStart/a")), "1");
  EXPECT_EQ(readHostFile(disk("ProgramFiles/AutoStart/b")), "2");

  ASSERT_EQ(system("mv /mnt/hd/ProgramFiles/AutoStart /mnt/hd/Moved"), 0);  // folders too
  EXPECT_TRUE(std::filesystem::exists(disk("Moved/a")));
}

TEST_F(ShellCommandsTest, MvFailures) {
  writeHostFile(disk("a"), "1");
  writeHostFile(disk("b"), "2");
  EXPECT_EQ(exitCode(system("mv /mnt/hd/a /mnt/hd/b /mnt/hd/c")), 1);
  EXPECT_TRUE(loggedLine("mv: '/mnt/hd/c' is not a directory"));
  EXPECT_EQ(exitCode(system("mv /mnt/hd/missing /mnt/hd/c")), 1);
  EXPECT_TRUE(loggedLine("mv: can't rename '/mnt/hd/missing': No such file or directory"));
  EXPECT_EQ(exitCode(system("mv /mnt/hd/a")), 1);
  EXPECT_EQ(exitCode(system("mv /mnt/hd /mnt/hd/b")), 1);
  EXPECT_EQ(readHostFile(disk("a")), "1");
}

TEST_F(ShellCommandsTest, NetworkLogFromIfconfigAndResolvConf) {
  config_.macAddress[5] = 0x99;
  reconfigure();
  ASSERT_EQ(system("mkdir -p /mnt/hd/ProgramFiles/Settings/Vantero"), 0);
  ASSERT_EQ(system("ifconfig eth0 > /mnt/hd/ProgramFiles/Settings/Vantero/network.log"), 0);
  ASSERT_EQ(system("cat /etc/resolv.conf >> /mnt/hd/ProgramFiles/Settings/Vantero/network.log"), 0);
  std::string log = readHostFile(disk("ProgramFiles/Settings/Vantero/network.log"));
  EXPECT_EQ(log.rfind("eth0      Link encap:Ethernet  HWaddr 00:1C:A2:3E:1A:99", 0), 0u);
  EXPECT_NE(log.find("inet addr:192.168.1.50  Bcast:192.168.1.255  Mask:255.255.255.0\n"), std::string::npos);
  EXPECT_NE(log.find("\nnameserver 192.168.1.1\n"), std::string::npos);
  EXPECT_EQ(log.find("lo "), std::string::npos);
  EXPECT_EQ(exitCode(system("ifconfig eth1")), 1);
  EXPECT_EQ(exitCode(system("ifconfig eth0 10.0.0.1")), 1);
}

TEST_F(ShellCommandsTest, CatConcatenatesIntoTheLog) {
  writeHostFile(disk("one"), "1\n");
  writeHostFile(disk("two"), "2\n");
  ASSERT_EQ(system("cat /mnt/hd/one /mnt/hd/two"), 0);
  EXPECT_EQ(shellLog(), "$ cat /mnt/hd/one /mnt/hd/two\n1\n2\n");
  EXPECT_EQ(exitCode(system("cat /mnt/hd")), 1);
  EXPECT_TRUE(loggedLine("cat: read error: Is a directory"));
}

TEST_F(ShellCommandsTest, PathsOutsideTheDiskAreRefused) {
  std::string hostDir = root + "/host";
  std::filesystem::create_directories(hostDir);
  writeHostFile(hostDir + "/file", "host");
  EXPECT_EQ(exitCode(system("rm /etc/x")), 1);
  EXPECT_TRUE(loggedLine("rm: can't remove '/etc/x': Permission denied"));
  EXPECT_EQ(exitCode(system(("rm -rf " + hostDir).c_str())), 1);
  EXPECT_EQ(exitCode(system(("mkdir -p " + hostDir + "/new").c_str())), 1);
  EXPECT_EQ(exitCode(system(("chmod 000 " + hostDir + "/file").c_str())), 1);
  EXPECT_EQ(exitCode(system(("cat " + hostDir + "/file").c_str())), 1);
  EXPECT_EQ(exitCode(system(("mv " + hostDir + "/file /mnt/hd/stolen").c_str())), 1);
  EXPECT_EQ(exitCode(system(("mv /mnt/hd/x " + hostDir).c_str())), 1);
  EXPECT_EQ(exitCode(system("rm relative")), 1);
  EXPECT_EQ(exitCode(system("rm -r /mnt/hd/../..")), 1);
  EXPECT_EQ(readHostFile(hostDir + "/file"), "host");
  EXPECT_FALSE(std::filesystem::exists(hostDir + "/new"));
  EXPECT_FALSE(std::filesystem::exists(disk("stolen")));
}
