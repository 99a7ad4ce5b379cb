// ConsoleTest.cpp - the console on /dev/pts/N: raw capture with the NUL bytes the library
// sends, the text without them, and the echo to stdout.
#include "BoxTest.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using pvrsim::box::consoleRaw;
using pvrsim::box::consoleText;
using pvrsim::box::TapCallScope;

class ConsoleTest : public BoxTest {
 protected:
  // Sends a text the way PrintNet does: with its terminating NUL.
  static void printNet(int fd, const char *text) {
    ASSERT_EQ(write(fd, text, strlen(text) + 1), static_cast<ssize_t>(strlen(text) + 1));
  }
};

TEST_F(ConsoleTest, CapturesRawBytesAndText) {
  TapCallScope tap;
  int fd = open("/dev/pts/0", O_RDWR);
  ASSERT_GE(fd, 0) << strerror(errno);
  printNet(fd, "2015-12-29 13:05:09 KALIB - first\n");
  ASSERT_EQ(close(fd), 0);
  fd = open("/dev/pts/3", O_RDWR);
  ASSERT_GE(fd, 0);
  printNet(fd, "second");
  close(fd);
  EXPECT_EQ(consoleRaw(), std::string("2015-12-29 13:05:09 KALIB - first\n\0second\0", 42));
  EXPECT_EQ(consoleText(), "2015-12-29 13:05:09 KALIB - first\nsecond");
}

TEST_F(ConsoleTest, TwentyTerminalsExist) {
  TapCallScope tap;
  int fd = open("/dev/pts/19", O_RDWR);
  EXPECT_GE(fd, 0);
  close(fd);
  for (const char *missing : {"/dev/pts/20", "/dev/pts/01", "/dev/pts/x", "/dev/pts/"}) {
    errno = 0;
    EXPECT_EQ(open(missing, O_RDWR), -1) << missing;
    EXPECT_EQ(errno, ENOENT) << missing;
  }
}

TEST_F(ConsoleTest, NoConsoleWhenUnavailable) {
  config_.consoleAvailable = false;
  reconfigure();
  for (int n = 0; n < 20; ++n) {
    std::string name = "/dev/pts/" + std::to_string(n);
    errno = 0;
    EXPECT_EQ(open(name.c_str(), O_RDWR), -1);
    EXPECT_EQ(errno, ENOENT);
  }
  EXPECT_EQ(consoleRaw(), "");
}

TEST_F(ConsoleTest, EchoCopiesTextWithoutNulToStdout) {
  config_.consoleEcho = true;
  reconfigure();
  int fd = open("/dev/pts/0", O_RDWR);
  ASSERT_GE(fd, 0);
  testing::internal::CaptureStdout();
  printNet(fd, "hello ");
  printNet(fd, "box\n");
  std::string echoed = testing::internal::GetCapturedStdout();
  close(fd);
  EXPECT_EQ(echoed, "hello box\n");
}

TEST_F(ConsoleTest, NoEchoUnlessAsked) {
  int fd = open("/dev/pts/0", O_RDWR);
  ASSERT_GE(fd, 0);
  testing::internal::CaptureStdout();
  printNet(fd, "quiet");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  close(fd);
  EXPECT_EQ(consoleText(), "quiet");
}

TEST_F(ConsoleTest, ClosedDescriptorIsNoLongerConsole) {
  config_.consoleEcho = true;
  reconfigure();
  int console = open("/dev/pts/0", O_RDWR);
  ASSERT_GE(console, 0);
  close(console);
  // The next open usually gets the same number back.
  int file = open("/mnt/hd/plain.txt", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(file, 0);
  testing::internal::CaptureStdout();
  ASSERT_EQ(write(file, "data", 4), 4);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  close(file);
  EXPECT_EQ(readHostFile(disk("plain.txt")), "data");
  EXPECT_EQ(consoleRaw(), "");
}

TEST_F(ConsoleTest, ANewRunStartsWithAnEmptyCapture) {
  int fd = open("/dev/pts/0", O_RDWR);
  ASSERT_GE(fd, 0);
  printNet(fd, "old run");
  close(fd);
  ASSERT_EQ(consoleText(), "old run");
  reconfigure();
  EXPECT_EQ(consoleRaw(), "");
}

TEST_F(ConsoleTest, StreamsReachTheCaptureToo) {
  FILE *stream = fopen("/dev/pts/1", "w");
  ASSERT_NE(stream, nullptr);
  fputs("via stream", stream);
  fclose(stream);
  EXPECT_EQ(consoleText(), "via stream");
}
