// PathsTest.cpp - path kinds and conversions, the working-directory change with its learned
// success value and UTF-8 retry, the directory stack and file times.
#include <utime.h>

#include "ChangeDirRecorder.h"
#include "FoundationFixture.h"
#include "firmware/WorkDir.h"

using namespace foundation;
using pvrsim::box::TapCallScope;

namespace {
std::string Convert(const char *source, tPathKind kind) {
  char dest[KALIB_PATH_MAX];
  memset(dest, '#', sizeof dest);
  dest[sizeof dest - 1] = '\0';
  ConvertPathType(source, dest, kind);
  return dest;
}
}  // namespace

class PathTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Adopt("/ProgramFiles");
    makeFolder("/ProgramFiles/Settings");
    writeFile("/ProgramFiles/Test.tap", "x");
  }
  TapCallScope scope;  // relative names must not reach the host's own folders
};

TEST_F(PathTest, Kinds) {
  struct Case {
    const char *path;
    tPathKind kind;
  } cases[] = {
      {"", PK_FileName},
      {nullptr, PK_FileName},
      {".", PK_TapFolder},
      {"./Settings", PK_TapFolder},
      {"/", PK_TapFolder},
      {"Vantero.tap", PK_FileName},
      {"/ProgramFiles/Vantero.tap", PK_TapFile},
      {"Settings/Vantero.ini", PK_TapFile},
      {"/ProgramFiles/", PK_TapFolder},
      {"/ProgramFiles", PK_TapFolder},  // no slash, but a folder on the disk
      {"Settings", PK_TapFolder},       // relative to the current directory
      {"/mnt/hd/ProgramFiles", PK_LinuxFolder},
      {"/mnt/hd/ProgramFiles/New/", PK_LinuxFolder},
      {"/mnt/hd/ProgramFiles/none.tap", PK_LinuxFile},
      {"/mnt/hd/ProgramFiles/Test.tap", PK_LinuxFile},
  };
  for (const Case &c : cases) EXPECT_EQ(c.kind, GetPathType(c.path)) << (c.path ? c.path : "(null)");
}

TEST_F(PathTest, Conversions) {
  struct Case {
    const char *source;
    tPathKind kind;
    const char *expected;
  } cases[] = {
      // TAP file
      {"/ProgramFiles/Vantero.tap", PK_FileName, "Vantero.tap"},
      {"/ProgramFiles/Vantero.tap", PK_TapFolder, "/ProgramFiles/"},
      {"/ProgramFiles/Vantero.tap", PK_LinuxFolder, "/mnt/hd/ProgramFiles/"},
      {"/ProgramFiles/Vantero.tap", PK_TapFile, "/ProgramFiles/Vantero.tap"},
      {"/ProgramFiles/Vantero.tap", PK_LinuxFile, "/mnt/hd/ProgramFiles/Vantero.tap"},
      {"Settings/Vantero.ini", PK_TapFolder, "Settings/"},
      {"Settings/Vantero.ini", PK_LinuxFolder, "/mnt/hd/ProgramFiles/Settings/"},
      {"Settings/Vantero.ini", PK_LinuxFile, "/mnt/hd/ProgramFiles/Settings/Vantero.ini"},
      {"/Top.tap", PK_TapFolder, "/"},
      {"/Top.tap", PK_LinuxFolder, "/mnt/hd/"},
      // Linux file
      {"/mnt/hd/ProgramFiles/Vantero.tap", PK_FileName, "Vantero.tap"},
      {"/mnt/hd/ProgramFiles/Vantero.tap", PK_TapFolder, "/ProgramFiles/"},
      {"/mnt/hd/ProgramFiles/Vantero.tap", PK_LinuxFolder, "/mnt/hd/ProgramFiles/"},
      {"/mnt/hd/ProgramFiles/Vantero.tap", PK_TapFile, "/ProgramFiles/Vantero.tap"},
      {"/mnt/hd/Top.tap", PK_TapFolder, "/"},
      {"/mnt/usb/x.tap", PK_TapFolder, ""},
      {"/mnt/usb/x.tap", PK_TapFile, ""},
      {"/mnt/hdd/x.tap", PK_TapFile, ""},  // another disk, not /mnt/hd
      // file name
      {"Vantero.tap", PK_TapFolder, "/ProgramFiles/"},
      {"Vantero.tap", PK_LinuxFolder, "/mnt/hd/ProgramFiles/"},
      {"Vantero.tap", PK_TapFile, "/ProgramFiles/Vantero.tap"},
      {"Vantero.tap", PK_LinuxFile, "/mnt/hd/ProgramFiles/Vantero.tap"},
      {"Vantero.tap", PK_FileName, "Vantero.tap"},
      // folders
      {"/ProgramFiles", PK_TapFolder, "/ProgramFiles/"},
      {"/ProgramFiles/", PK_LinuxFolder, "/mnt/hd/ProgramFiles/"},
      {"Settings", PK_LinuxFolder, "/mnt/hd/ProgramFiles/Settings/"},
      {".", PK_LinuxFolder, "/mnt/hd/ProgramFiles/./"},
      {"/", PK_LinuxFolder, "/mnt/hd/"},
      {"/ProgramFiles/", PK_FileName, ""},
      {"/ProgramFiles/", PK_TapFile, ""},
      {"/ProgramFiles/", PK_LinuxFile, ""},
      {"/mnt/hd/ProgramFiles", PK_TapFolder, "/ProgramFiles/"},
      {"/mnt/hd/ProgramFiles", PK_LinuxFolder, "/mnt/hd/ProgramFiles/"},
      {"/mnt/hd", PK_TapFolder, "/"},
      {"/mnt/hd/ProgramFiles", PK_FileName, ""},
      {"/mnt/hd/ProgramFiles", PK_TapFile, ""},
      {"/mnt/hd/ProgramFiles", PK_LinuxFile, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.expected, Convert(c.source, c.kind)) << c.source << " -> " << c.kind;
}

TEST_F(PathTest, ConversionEdges) {
  EXPECT_EQ(std::string(KALIB_PATH_MAX - 1, '#'), Convert("/ProgramFiles/x", (tPathKind)5));  // left alone
  EXPECT_EQ(std::string(KALIB_PATH_MAX - 1, '#'), Convert(nullptr, PK_TapFile));

  char buffer[KALIB_PATH_MAX] = "/ProgramFiles/Vantero.tap";
  ConvertPathType(buffer, buffer, PK_LinuxFile);  // in place
  EXPECT_STREQ("/mnt/hd/ProgramFiles/Vantero.tap", buffer);
}

TEST_F(PathTest, OverlongResultsAreRefused) {
  std::string name(500, 'n');  // fits a path buffer, but not behind the folder
  EXPECT_EQ("", Convert(name.c_str(), PK_TapFile));
  EXPECT_EQ("", Convert(name.c_str(), PK_LinuxFile));
  std::string file = "/" + std::string(505, 'f') + ".tap";  // 510 characters
  EXPECT_EQ(file, Convert(file.c_str(), PK_TapFile));
  EXPECT_EQ("", Convert(file.c_str(), PK_LinuxFile));
  std::string tooLong = "/" + std::string(600, 'f');
  EXPECT_EQ("", Convert(tooLong.c_str(), PK_TapFile));
  EXPECT_EQ("", Convert((tooLong + "/x.tap").c_str(), PK_TapFolder));
}

TEST_F(PathTest, LinuxPathOfANameInTheCurrentFolder) {
  const std::string fits(511 - strlen("/mnt/hd/ProgramFiles/"), 'f'), tooLong = fits + "f";
  char path[KALIB_PATH_MAX];
  ASSERT_TRUE(LinuxPathInCurrentDir(fits.c_str(), path));
  EXPECT_EQ("/mnt/hd/ProgramFiles/" + fits, path);  // 511 characters
  for (const char *refused : {tooLong.c_str(), "", static_cast<const char *>(nullptr)}) {
    EXPECT_FALSE(LinuxPathInCurrentDir(refused, path));
    EXPECT_STREQ("", path);
  }
}

TEST(StringEndsWithTest, Cases) {
  EXPECT_TRUE(StringEndsWith("Vantero.tap", ".tap"));
  EXPECT_TRUE(StringEndsWith("tap", "tap"));
  EXPECT_FALSE(StringEndsWith("Vantero.tap", ".TAP"));
  EXPECT_FALSE(StringEndsWith("ap", "tap"));  // never looks before the text
  EXPECT_FALSE(StringEndsWith("tap", ""));
  EXPECT_FALSE(StringEndsWith("", "tap"));
  EXPECT_FALSE(StringEndsWith(nullptr, "tap"));
  EXPECT_FALSE(StringEndsWith("tap", nullptr));
}

using ChangeDirTest = SimTest;

TEST_F(ChangeDirTest, LearnsTheSuccessValueOnce) {
  options.chdirSuccessValue = 0x1234;
  Adopt("/DataFiles");
  makeFolder("/ProgramFiles/Settings");
  ChangeDirCalls().clear();

  EXPECT_TRUE(HDD_ChangeDir("/ProgramFiles/Settings"));
  EXPECT_EQ((std::vector<std::string>{"/ProgramFiles", "/DataFiles/", "/ProgramFiles/Settings/"}),
            ChangeDirCalls());
  EXPECT_EQ(0x1234u, ChDirSuccessful);
  EXPECT_EQ(0u, ReturnTypeToBeChecked);
  EXPECT_EQ(-1, TAPDirStackDepth);
  EXPECT_EQ("/ProgramFiles/Settings", currentDir());

  ChangeDirCalls().clear();
  EXPECT_TRUE(HDD_ChangeDir("/DataFiles"));
  EXPECT_EQ(std::vector<std::string>{"/DataFiles/"}, ChangeDirCalls());
  EXPECT_EQ("/DataFiles", currentDir());
}

TEST_F(ChangeDirTest, LearnsEvenWithoutAnArgument) {
  options.chdirSuccessValue = 0x1234;
  Adopt("/DataFiles");
  EXPECT_FALSE(HDD_ChangeDir(nullptr));
  EXPECT_EQ(0x1234u, ChDirSuccessful);
  EXPECT_FALSE(HDD_ChangeDir(""));
  EXPECT_EQ("/DataFiles", currentDir());
}

TEST_F(ChangeDirTest, RelativeAndRejectedFolders) {
  options.chdirSuccessValue = 0x1234;
  Adopt("/ProgramFiles");
  makeFolder("/ProgramFiles/Settings/Vantero");
  EXPECT_TRUE(HDD_ChangeDir("Settings"));
  EXPECT_EQ("/ProgramFiles/Settings", currentDir());
  EXPECT_TRUE(HDD_ChangeDir("/mnt/hd/ProgramFiles/Settings/Vantero"));
  EXPECT_EQ("/ProgramFiles/Settings/Vantero", currentDir());
  EXPECT_FALSE(HDD_ChangeDir("/NoSuchFolder"));
  EXPECT_FALSE(HDD_ChangeDir("/mnt/usb/Stick"));  // not convertible
  EXPECT_FALSE(HDD_ChangeDir(std::string(600, 'a').c_str()));
  EXPECT_EQ("/ProgramFiles/Settings/Vantero", currentDir());
}

TEST_F(ChangeDirTest, RetriesInUtf8OnUtf8Firmware) {
  Adopt("/ProgramFiles");
  makeFolder("/ProgramFiles/M\xC3\xBCll");
  ChangeDirCalls().clear();
  EXPECT_TRUE(HDD_ChangeDir("/ProgramFiles/M\xFCll"));  // ISO 8859 name
  EXPECT_EQ("/ProgramFiles/M\xC3\xBCll", currentDir());
  ASSERT_EQ(4u, ChangeDirCalls().size());  // learning (2), plain, UTF-8
  EXPECT_EQ("/ProgramFiles/M\xFCll/", ChangeDirCalls()[2]);
  EXPECT_EQ("/ProgramFiles/M\xC3\xBCll/", ChangeDirCalls()[3]);
}

TEST_F(ChangeDirTest, NoRetryOnOlderFirmware) {
  options.utf8Firmware = false;
  Adopt("/ProgramFiles");
  makeFolder("/ProgramFiles/M\xC3\xBCll");
  EXPECT_FALSE(HDD_ChangeDir("/ProgramFiles/M\xFCll"));
  EXPECT_EQ("/ProgramFiles", currentDir());
}

using DirStackTest = SimTest;

TEST_F(DirStackTest, SixteenEntriesDeep) {
  Adopt("/ProgramFiles");
  for (int i = 0; i < 16; i++) EXPECT_TRUE(HDD_TAP_PushDir()) << i;
  EXPECT_FALSE(HDD_TAP_PushDir());
  EXPECT_EQ(15, TAPDirStackDepth);
  for (int i = 0; i < 16; i++) EXPECT_TRUE(HDD_TAP_PopDir()) << i;
  EXPECT_FALSE(HDD_TAP_PopDir());
  EXPECT_EQ(-1, TAPDirStackDepth);
}

TEST_F(DirStackTest, PopReturnsToThePushedFolder) {
  Adopt("/ProgramFiles");
  makeFolder("/DataFiles");
  ASSERT_TRUE(HDD_TAP_PushDir());
  ASSERT_TRUE(HDD_ChangeDir("/DataFiles"));
  ASSERT_TRUE(HDD_TAP_PushDir());
  ASSERT_TRUE(HDD_ChangeDir("/"));
  EXPECT_TRUE(HDD_TAP_PopDir());
  EXPECT_EQ("/DataFiles", currentDir());
  EXPECT_TRUE(HDD_TAP_PopDir());
  EXPECT_EQ("/ProgramFiles", currentDir());
}

// The first HDD_ChangeDir of a run pushes and pops for itself; a pop that
// happens to be that first call must still return to the saved folder.
TEST_F(DirStackTest, FirstChangeInsideAPop) {
  Adopt("/ProgramFiles");
  makeFolder("/DataFiles");
  ASSERT_TRUE(HDD_TAP_PushDir());
  TAP_Hdd_ChangeDir("/DataFiles");  // the firmware's own call: nothing learned yet
  ASSERT_EQ("/DataFiles", currentDir());
  EXPECT_TRUE(HDD_TAP_PopDir());
  EXPECT_EQ("/ProgramFiles", currentDir());
  EXPECT_EQ(-1, TAPDirStackDepth);
}

TEST_F(DirStackTest, FolderLongerThanAnEntryIsRefused) {
  std::string fits = "/ProgramFiles/" + std::string(100, 'a') + "/" + std::string(199 - 115, 'b');
  ASSERT_EQ(199u, fits.size());
  std::string tooLong = fits + "c";
  Adopt(tooLong);
  EXPECT_FALSE(HDD_TAP_PushDir());
  EXPECT_EQ(-1, TAPDirStackDepth);

  makeFolder(fits);
  ASSERT_TRUE(HDD_ChangeDir(fits.c_str()));
  EXPECT_TRUE(HDD_TAP_PushDir());
  EXPECT_STREQ(fits.c_str(), TAPDirStack[0]);
  ASSERT_TRUE(HDD_ChangeDir("/"));
  EXPECT_TRUE(HDD_TAP_PopDir());
  EXPECT_EQ(fits, currentDir());
}

using FileTimeTest = SimTest;

TEST_F(FileTimeTest, ModificationTimeInAnyNotation) {
  Adopt("/ProgramFiles");
  writeFile("/ProgramFiles/Stamp.txt", "x");
  struct utimbuf times = {1234567890, 1234567890};
  ASSERT_EQ(0, utime(disk("/ProgramFiles/Stamp.txt").c_str(), &times));
  TapCallScope scope;
  EXPECT_EQ(1234567890u, HDD_GetFileTimeByFileName("/ProgramFiles/Stamp.txt"));
  EXPECT_EQ(1234567890u, HDD_GetFileTimeByFileName("Stamp.txt"));
  EXPECT_EQ(1234567890u, HDD_GetFileTimeByFileName("/mnt/hd/ProgramFiles/Stamp.txt"));
  EXPECT_EQ(0u, HDD_GetFileTimeByFileName("Missing.txt"));
  EXPECT_EQ(0u, HDD_GetFileTimeByFileName(""));
  EXPECT_EQ(0u, HDD_GetFileTimeByFileName(nullptr));
  EXPECT_EQ(0u, HDD_GetFileTimeByFileName("/ProgramFiles/"));
}
