// ShellTest.cpp - the box shell: quoting, lists, redirections, the log and the status.
#include "BoxTest.h"

#include <cstdlib>

using pvrsim::box::runShell;
using pvrsim::box::shellLog;

class ShellTest : public BoxTest {
 protected:
  static int exitCode(int status) { return status >> 8; }
};

TEST_F(ShellTest, ShellIsAvailableAndStatusIsAWaitStatus) {
  EXPECT_NE(system(nullptr), 0);
  EXPECT_EQ(system("true"), 0);
  EXPECT_EQ(system("false"), 1 << 8);
  EXPECT_EQ(runShell("false"), 1 << 8);
}

TEST_F(ShellTest, SingleQuotesKeepBlanksAndSemicolons) {
  writeHostFile(disk("a b;c"), "payload");
  EXPECT_EQ(system("mv '/mnt/hd/a b;c' /mnt/hd/x"), 0);
  EXPECT_EQ(readHostFile(disk("x")), "payload");
  EXPECT_FALSE(std::filesystem::exists(disk("a b;c")));
  EXPECT_EQ(shellLog(), "$ mv '/mnt/hd/a b;c' /mnt/hd/x\n");  // nothing else ran
}

TEST_F(ShellTest, DoubleQuotesAndBackslashes) {
  ASSERT_EQ(system("echo \"say \\\"hi\\\" \\\\ \\$HOME \\n\" > /mnt/hd/out"), 0);
  EXPECT_EQ(readHostFile(disk("out")), "say \"hi\" \\ $HOME \\n\n");
  ASSERT_EQ(system("echo a\\ \\;b 'c'\"d\" > /mnt/hd/out"), 0);
  EXPECT_EQ(readHostFile(disk("out")), "a ;b cd\n");
  ASSERT_EQ(system("mkdir /mnt/hd/my\\ folder \"/mnt/hd/it's\""), 0);
  EXPECT_TRUE(std::filesystem::is_directory(disk("my folder")));
  EXPECT_TRUE(std::filesystem::is_directory(disk("it's")));
  ASSERT_EQ(system("echo '' x > /mnt/hd/out"), 0);  // an empty word is a word
  EXPECT_EQ(readHostFile(disk("out")), " x\n");
  ASSERT_EQ(system("echo a#b > /mnt/hd/out # a comment"), 0);  // only a word's first '#' starts one
  EXPECT_EQ(readHostFile(disk("out")), "a#b\n");
}

TEST_F(ShellTest, ListsFollowTheStatus) {
  EXPECT_EQ(system("false; echo one > /mnt/hd/1"), 0);
  EXPECT_TRUE(std::filesystem::exists(disk("1")));
  EXPECT_EQ(system("false && echo two > /mnt/hd/2"), 1 << 8);
  EXPECT_FALSE(std::filesystem::exists(disk("2")));
  EXPECT_EQ(system("false || echo three > /mnt/hd/3"), 0);
  EXPECT_TRUE(std::filesystem::exists(disk("3")));
  // A skipped command keeps the status of the one before it.
  EXPECT_EQ(system("false && true || echo four > /mnt/hd/4"), 0);
  EXPECT_TRUE(std::filesystem::exists(disk("4")));
  EXPECT_EQ(system("true && false"), 1 << 8);
  EXPECT_EQ(system("echo a > /mnt/hd/5;"), 0);  // a trailing ';' ends the list
}

TEST_F(ShellTest, RedirectionTruncatesAppendsAndSeparatesStderr) {
  ASSERT_EQ(system("echo first > /mnt/hd/f"), 0);
  ASSERT_EQ(system("echo second >> /mnt/hd/f"), 0);
  EXPECT_EQ(readHostFile(disk("f")), "first\nsecond\n");
  ASSERT_EQ(system("echo third >/mnt/hd/f"), 0);
  EXPECT_EQ(readHostFile(disk("f")), "third\n");

  EXPECT_EQ(exitCode(system("cat /mnt/hd/missing 2> /mnt/hd/err > /mnt/hd/out")), 1);
  EXPECT_EQ(readHostFile(disk("err")), "cat: can't open '/mnt/hd/missing': No such file or directory\n");
  EXPECT_EQ(readHostFile(disk("out")), "");
  EXPECT_EQ(exitCode(system("cat /mnt/hd/missing > /mnt/hd/both 2>&1")), 1);
  EXPECT_NE(readHostFile(disk("both")).find("can't open"), std::string::npos);
  ASSERT_EQ(system("echo 2>/mnt/hd/e x"), 0);  // "2>" mid-line; "x" is an argument
  ASSERT_EQ(system("echo x2>/mnt/hd/g"), 0);   // "x2" is a word, not a descriptor
  EXPECT_EQ(readHostFile(disk("g")), "x2\n");
  ASSERT_EQ(system("> /mnt/hd/empty"), 0);
  EXPECT_TRUE(std::filesystem::exists(disk("empty")));
  ASSERT_EQ(system("echo gone > /dev/null"), 0);
}

TEST_F(ShellTest, RedirectionTargetsOutsideTheDiskAreRefused) {
  std::string hostFile = root + "/host.txt";
  int status = system(("echo x > " + hostFile).c_str());
  EXPECT_EQ(exitCode(status), 1);
  EXPECT_FALSE(std::filesystem::exists(hostFile));
  EXPECT_NE(shellLog().find("sh: can't create " + hostFile + ": Permission denied\n"), std::string::npos);
  EXPECT_EQ(exitCode(system("echo x > /etc/resolv.conf")), 1);
  EXPECT_EQ(exitCode(system("echo x > /mnt/hd/no/such/folder")), 1);
}

TEST_F(ShellTest, UnknownCommandIsNotFound) {
  EXPECT_EQ(system("foo bar"), 127 << 8);
  EXPECT_EQ(system("/mnt/hd/ProgramFiles/busybox ls"), 127 << 8);
  EXPECT_EQ(shellLog(),
            "$ foo bar\nsh: foo: not found\n[status 127]\n"
            "$ /mnt/hd/ProgramFiles/busybox ls\nsh: /mnt/hd/ProgramFiles/busybox: not found\n[status 127]\n");
}

TEST_F(ShellTest, SyntaxErrorsRunNothing) {
  EXPECT_EQ(system("echo 'open > /mnt/hd/x"), 2 << 8);
  EXPECT_EQ(system("echo a | cat"), 2 << 8);
  EXPECT_EQ(system("echo a > /mnt/hd/y &&"), 2 << 8);
  EXPECT_EQ(system("; echo a"), 2 << 8);
  EXPECT_EQ(system("echo >"), 2 << 8);
  EXPECT_EQ(system("echo a > /mnt/hd/z < /mnt/hd/x"), 2 << 8);  // no input redirection
  EXPECT_FALSE(std::filesystem::exists(disk("x")));
  EXPECT_FALSE(std::filesystem::exists(disk("y")));
  EXPECT_FALSE(std::filesystem::exists(disk("z")));
  EXPECT_NE(shellLog().find("sh: syntax error: unterminated quoted string\n"), std::string::npos);
}

TEST_F(ShellTest, OutputGoesToTheLogNotTheTerminal) {
  testing::internal::CaptureStdout();
  ASSERT_EQ(system("echo to the log"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(shellLog(), "$ echo to the log\nto the log\n");

  config_.consoleEcho = true;
  reconfigure();
  EXPECT_EQ(shellLog(), "");  // a new run starts a new log
  testing::internal::CaptureStdout();
  ASSERT_EQ(system("echo echoed # a comment"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "echoed\n");
}

TEST_F(ShellTest, StatusParametersSubShellsAndBackgroundJobs) {
  struct Case {
    const char *command;
    const char *out;  // content of /mnt/hd/out afterwards
  } cases[] = {
      {"false; echo $? \"$?\" '$?' > /mnt/hd/out", "1 1 $?\n"},
      {"( echo a; false; echo b ) > /mnt/hd/out", "a\nb\n"},  // truncated once for the whole group
      {"( false ) || echo $? > /mnt/hd/out", "1\n"},
      {"echo $! > /mnt/hd/out", "\n"},  // no job yet
      {"echo job > /mnt/hd/out & wait $!; echo $? >> /mnt/hd/out", "job\n0\n"},
      {"( false & wait $!; echo $? > /mnt/hd/out ) &", "1\n"},  // system() returns first; nothing waits
      {"kill 999 2> /mnt/hd/out", "sh: kill: can't kill pid 999: No such process\n"},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(system(c.command) >> 8, std::string(c.command).rfind("kill", 0) == 0 ? 1 : 0) << c.command;
    EXPECT_EQ(readHostFile(disk("out")), c.out) << c.command;
  }
}
