// LibcFilesTest.cpp - the wrapped libc file calls: disk paths act on the disk folder, the canned
// system file reads back, and host paths are reachable from test code only.
#include "BoxTest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

using pvrsim::box::TapCallScope;

class LibcFilesTest : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    previousMask_ = umask(0);
  }
  void TearDown() override { umask(previousMask_); }

  // Reads a whole stream opened by the wrapped fopen.
  static std::string readStream(FILE *stream) {
    std::string text;
    char buffer[256];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, got);
    return text;
  }

  mode_t previousMask_ = 0;
};

TEST_F(LibcFilesTest, OpenCreatesOnTheDiskWithTheGivenMode) {
  TapCallScope tap;
  int fd = open("/mnt/hd/ProgramFiles/../new.txt", O_WRONLY | O_CREAT | O_APPEND, 0640);
  ASSERT_GE(fd, 0) << strerror(errno);
  ASSERT_EQ(write(fd, "abc", 3), 3);
  ASSERT_EQ(close(fd), 0);
  EXPECT_EQ(readHostFile(disk("new.txt")), "abc");
  struct stat st;
  ASSERT_EQ(::stat(disk("new.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(LibcFilesTest, Lstat64SeesDiskFilesAndFoldersWithoutFollowingLinks) {
  writeHostFile(disk("ProgramFiles/a.tap"), "12345");
  std::filesystem::create_symlink("a.tap", disk("ProgramFiles/link"));
  TapCallScope tap;
  struct stat64 st;
  ASSERT_EQ(lstat64("/mnt/hd/ProgramFiles/a.tap", &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_size, 5);
  ASSERT_EQ(lstat64("/mnt/hd/ProgramFiles", &st), 0);
  EXPECT_EQ(st.st_mode & 0xF000, 0x4000u);
  ASSERT_EQ(lstat64("/mnt/hd/ProgramFiles/link", &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  errno = 0;
  EXPECT_EQ(lstat64("/mnt/hd/ProgramFiles/none.tap", &st), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(LibcFilesTest, UtimeSetsBothTimes) {
  writeHostFile(disk("Settings/Kalib.log"), "");
  TapCallScope tap;
  struct utimbuf times = {1450000000, 1451394309};
  ASSERT_EQ(utime("/mnt/hd/Settings/Kalib.log", &times), 0);
  struct stat64 st;
  ASSERT_EQ(lstat64("/mnt/hd/Settings/Kalib.log", &st), 0);
  EXPECT_EQ(st.st_atime, 1450000000);
  EXPECT_EQ(st.st_mtime, 1451394309);
}

TEST_F(LibcFilesTest, MkdirAndRenameStayOnTheDisk) {
  TapCallScope tap;
  ASSERT_EQ(mkdir("/mnt/hd/ProgramFiles", 0777), 0);
  errno = 0;
  EXPECT_EQ(mkdir("/mnt/hd/ProgramFiles", 0777), -1);
  EXPECT_EQ(errno, EEXIST);
  ASSERT_EQ(mkdir("/mnt/hd/ProgramFiles/AutoStart", 0777), 0);
  writeHostFile(disk("ProgramFiles/Vantero.tap"), "tap");
  ASSERT_EQ(rename("/mnt/hd/ProgramFiles/Vantero.tap", "/mnt/hd/ProgramFiles/AutoStart/Vantero.tap"), 0);
  EXPECT_EQ(readHostFile(disk("ProgramFiles/AutoStart/Vantero.tap")), "tap");
  EXPECT_FALSE(std::filesystem::exists(disk("ProgramFiles/Vantero.tap")));
  errno = 0;
  EXPECT_EQ(rename("/mnt/hd/ProgramFiles/missing", "/mnt/hd/x"), -1);
  EXPECT_EQ(errno, ENOENT);
  errno = 0;
  EXPECT_EQ(rename("/mnt/hd", "/mnt/hd/x"), -1);
  EXPECT_EQ(errno, EBUSY);
}

TEST_F(LibcFilesTest, FopenPassesTheMode) {
  TapCallScope tap;
  FILE *out = fopen("/mnt/hd/notes.txt", "w");
  ASSERT_NE(out, nullptr);
  fputs("first\n", out);
  fclose(out);
  out = fopen("/mnt/hd/notes.txt", "a");
  ASSERT_NE(out, nullptr);
  fputs("second\n", out);
  fclose(out);
  EXPECT_EQ(readHostFile(disk("notes.txt")), "first\nsecond\n");
  // "r+" never creates: the library's own log exists only when made by hand.
  errno = 0;
  EXPECT_EQ(fopen("/mnt/hd/ProgramFiles/Settings/Kalib.log", "r+"), nullptr);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(LibcFilesTest, ResolvConfIsACannedReadOnlyFile) {
  TapCallScope tap;
  FILE *in = fopen("/etc/resolv.conf", "r");
  ASSERT_NE(in, nullptr);
  std::string text = readStream(in);
  fclose(in);
  EXPECT_NE(text.find("nameserver 192.168.1.1\n"), std::string::npos);

  int fd = open("/etc//resolv.conf", O_RDONLY);
  ASSERT_GE(fd, 0);
  char buffer[256] = {};
  EXPECT_EQ(read(fd, buffer, sizeof buffer - 1), static_cast<ssize_t>(text.size()));
  close(fd);
  EXPECT_EQ(std::string(buffer), text);

  struct stat64 st;
  ASSERT_EQ(lstat64("/etc/resolv.conf", &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_size, static_cast<off64_t>(text.size()));

  errno = 0;
  EXPECT_EQ(fopen("/etc/resolv.conf", "w"), nullptr);
  EXPECT_EQ(errno, EACCES);
  errno = 0;
  EXPECT_EQ(open("/etc/resolv.conf", O_RDWR), -1);
  EXPECT_EQ(errno, EACCES);
}

TEST_F(LibcFilesTest, TapCodeCannotReachTheHost) {
  std::string hostFile = root + "/host.txt";
  writeHostFile(hostFile, "host");
  TapCallScope tap;
  struct stat64 st;
  errno = 0;
  EXPECT_EQ(lstat64(hostFile.c_str(), &st), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(open(hostFile.c_str(), O_RDONLY), -1);
  EXPECT_EQ(fopen(hostFile.c_str(), "r"), nullptr);
  EXPECT_EQ(mkdir((root + "/made").c_str(), 0777), -1);
  EXPECT_EQ(utime(hostFile.c_str(), nullptr), -1);
  EXPECT_EQ(open("relative.txt", O_WRONLY | O_CREAT, 0644), -1);
  EXPECT_FALSE(std::filesystem::exists(root + "/made"));
  EXPECT_EQ(readHostFile(hostFile), "host");
}

TEST_F(LibcFilesTest, EscapesAreRefusedEvenForTestCode) {
  std::string escape = "/mnt/hd/.." + root + "/escaped";
  errno = 0;
  EXPECT_EQ(open(escape.c_str(), O_WRONLY | O_CREAT, 0644), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(mkdir("/mnt/hdd", 0777), -1);
  EXPECT_FALSE(std::filesystem::exists(root + "/escaped"));
}

TEST_F(LibcFilesTest, TestCodeReachesTheHostButNotAcrossTheDisk) {
  std::string hostFile = root + "/host.txt";
  int fd = open(hostFile.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  close(fd);
  EXPECT_TRUE(std::filesystem::exists(hostFile));
  errno = 0;
  EXPECT_EQ(rename(hostFile.c_str(), "/mnt/hd/host.txt"), -1);
  EXPECT_EQ(errno, EXDEV);
  ASSERT_EQ(rename(hostFile.c_str(), (root + "/moved.txt").c_str()), 0);
  EXPECT_TRUE(std::filesystem::exists(root + "/moved.txt"));
}

TEST_F(LibcFilesTest, TapCallsNest) {
  EXPECT_FALSE(pvrsim::box::insideTapCall());
  {
    TapCallScope outer;
    {
      TapCallScope inner;  // a TAP's handler called from another TAP
      EXPECT_TRUE(pvrsim::box::insideTapCall());
    }
    EXPECT_TRUE(pvrsim::box::insideTapCall());
  }
  EXPECT_FALSE(pvrsim::box::insideTapCall());
  pvrsim::box::setInsideTapCall(true);
  reconfigure();  // a new run starts outside TAP code
  EXPECT_FALSE(pvrsim::box::insideTapCall());
}
