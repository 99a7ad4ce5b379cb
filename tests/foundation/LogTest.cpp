// LogTest.cpp - time stamps, log lines in files and on the console, and the library log.
#include <sys/stat.h>

#include "FoundationFixture.h"

using namespace foundation;
namespace box = pvrsim::box;

namespace {
const dword kDec29 = (57385u << 16) | (13u << 8) | 5u;  // 2015-12-29 13:05

std::string Format(dword dateTime, byte sec, int style) {
  char result[40];
  return TimeFormat(dateTime, sec, (tTimeStampStyle)style, result);
}
}  // namespace

using TimeTest = SimTest;

TEST_F(TimeTest, Styles) {
  Start();
  EXPECT_EQ("", Format(kDec29, 9, 0));
  EXPECT_EQ("13:05", Format(kDec29, 9, 1));
  EXPECT_EQ("13:05:09", Format(kDec29, 9, 2));
  EXPECT_EQ("2015-12-29", Format(kDec29, 9, 3));
  EXPECT_EQ("2015-12-29 13:05", Format(kDec29, 9, 4));
  EXPECT_EQ("2015-12-29 13:05:09", Format(kDec29, 9, 5));
  EXPECT_EQ("20151229_1305", Format(kDec29, 9, 6));
  EXPECT_EQ("", Format(kDec29, 9, 7));
  EXPECT_EQ("0000-00-00 13:05:09", Format(13u << 8 | 5u, 9, 5));
  EXPECT_EQ(nullptr, TimeFormat(kDec29, 9, TIMESTAMP_YMDHMS, nullptr));
}

TEST_F(TimeTest, NowPacksTheFirmwareClock) {
  Start();
  byte sec = 0;
  EXPECT_EQ(kDec29, Now(&sec));
  EXPECT_EQ(9, sec);
  EXPECT_EQ(kDec29, Now(nullptr));
}

class LogEntryTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Adopt("/ProgramFiles/Settings");
  }
};

TEST_F(LogEntryTest, FileAndConsole) {
  LogEntry("/ProgramFiles/Settings/Test.log", "Prog", TRUE, TIMESTAMP_YMDHMS, "Hello");
  LogEntry("/ProgramFiles/Settings/Test.log", "Prog", FALSE, TIMESTAMP_YMDHMS, "again");
  EXPECT_EQ("2015-12-29 13:05:09 Hello\r\n2015-12-29 13:05:09 again\r\n",
            readFile("/ProgramFiles/Settings/Test.log"));
  EXPECT_EQ((std::vector<std::string>{"2015-12-29 13:05:09 ", "Prog: ", "Hello", "\n"}), ConsolePieces());
}

TEST_F(LogEntryTest, StyleZeroHasNoStampAndNoBlank) {
  LogEntry("Plain.log", "", TRUE, TIMESTAMP_NONE, "Hello");  // relative to the current folder
  EXPECT_EQ("Hello\r\n", readFile("/ProgramFiles/Settings/Plain.log"));
  EXPECT_EQ((std::vector<std::string>{"Hello", "\n"}), ConsolePieces());
}

TEST_F(LogEntryTest, EmptyAndNullTexts) {
  LogEntry("Empty.log", nullptr, TRUE, TIMESTAMP_HM, "");
  EXPECT_EQ("13:05 \r\n", readFile("/ProgramFiles/Settings/Empty.log"));
  EXPECT_EQ((std::vector<std::string>{"13:05 ", "\n"}), ConsolePieces());
  LogEntry("Null.log", "Prog", TRUE, TIMESTAMP_HM, nullptr);
  EXPECT_FALSE(exists("/ProgramFiles/Settings/Null.log"));
  EXPECT_EQ(2u, ConsolePieces().size());
}

TEST_F(LogEntryTest, ConsoleOnlyAndConsoleInLatin1) {
  LogEntry(nullptr, "Prog", TRUE, TIMESTAMP_NONE, "Gr\xC3\xBC\xC3\x9F");
  LogEntry("Utf8.log", nullptr, FALSE, TIMESTAMP_NONE, "Gr\xC3\xBC\xC3\x9F");
  EXPECT_EQ((std::vector<std::string>{"Prog: ", "Gr\xFC\xDF", "\n"}), ConsolePieces());
  EXPECT_EQ("Gr\xC3\xBC\xC3\x9F\r\n", readFile("/ProgramFiles/Settings/Utf8.log"));  // the file keeps UTF-8
}

TEST_F(LogEntryTest, LongConsoleTextGoesOutIn510CharacterPieces) {
  std::string text;
  for (int i = 0; i < 1200; i++) text += (char)('a' + i % 26);
  LogEntry(nullptr, nullptr, TRUE, TIMESTAMP_NONE, text.c_str());
  std::vector<std::string> pieces = ConsolePieces();
  ASSERT_EQ(4u, pieces.size());
  EXPECT_EQ(text.substr(0, 510), pieces[0]);
  EXPECT_EQ(text.substr(510, 510), pieces[1]);
  EXPECT_EQ(text.substr(1020), pieces[2]);
  EXPECT_EQ("\n", pieces[3]);
}

TEST_F(LogEntryTest, ConsoleTextOf510CharactersIsTwoPieces) {
  std::string text(510, 'x');
  LogEntry(nullptr, nullptr, TRUE, TIMESTAMP_NONE, text.c_str());
  EXPECT_EQ((std::vector<std::string>{text, "\n"}), ConsolePieces());
}

TEST_F(LogEntryTest, LogFileCarriesTheFirmwareTime) {
  LogEntry("Timed.log", nullptr, FALSE, TIMESTAMP_YMDHMS, "x");
  struct stat st;
  ASSERT_EQ(0, stat(disk("/ProgramFiles/Settings/Timed.log").c_str(), &st));
  EXPECT_EQ((time_t)PvrTimeToLinux(Now(nullptr)), st.st_mtime);
}

TEST_F(LogEntryTest, FoldersAreNoLogFiles) {
  LogEntry("/ProgramFiles/Settings/", "Prog", TRUE, TIMESTAMP_NONE, "still on the console");
  EXPECT_EQ((std::vector<std::string>{"Prog: ", "still on the console", "\n"}), ConsolePieces());
}

TEST_F(SimTest, NoConsoleStillWritesTheFile) {
  options.consoleAvailable = false;
  Adopt("/ProgramFiles");
  LogEntry("Test.log", "Prog", TRUE, TIMESTAMP_NONE, "Hello");
  PrintNet("lost");
  EXPECT_EQ("", box::consoleRaw());
  EXPECT_EQ("Hello\r\n", readFile("/ProgramFiles/Test.log"));
}

TEST_F(SimTest, PrintNetSendsTheTerminator) {
  Start();
  PrintNet("abc");
  PrintNet(nullptr);
  EXPECT_EQ(std::string("abc\0", 4), box::consoleRaw());
}

using KalibLogTest = SimTest;

TEST_F(KalibLogTest, OnlyWhenTheUserCreatedTheFile) {
  Start();
  fs::remove_all(disk("/ProgramFiles/Settings"));
  LogEntryKalibPrintf(TRUE, "x=%d", 5);
  EXPECT_TRUE(fs::is_directory(disk("/ProgramFiles/Settings")));
  EXPECT_FALSE(exists("/ProgramFiles/Settings/Kalib.log"));
  EXPECT_EQ((std::vector<std::string>{"2015-12-29 13:05:09  KALIB - x=5\n"}), ConsolePieces());

  writeFile("/ProgramFiles/Settings/Kalib.log", "old\r\n");
  LogEntryKalibPrintf(FALSE, "%s", "second");
  LogEntryKalibPrintf(FALSE, nullptr);
  EXPECT_EQ("old\r\n2015-12-29 13:05:09 second\r\n", readFile("/ProgramFiles/Settings/Kalib.log"));
  EXPECT_EQ(1u, ConsolePieces().size());
}

TEST_F(KalibLogTest, LongMessagesAreCut) {
  Start();
  writeFile("/ProgramFiles/Settings/Kalib.log", "");
  std::string message(700, 'm');
  LogEntryKalibPrintf(TRUE, "%s", message.c_str());
  EXPECT_EQ("2015-12-29 13:05:09 " + message.substr(0, 511) + "\r\n",
            readFile("/ProgramFiles/Settings/Kalib.log"));
}
