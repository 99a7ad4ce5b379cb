// INIFileTest.cpp - INI files on a simulated box: the folder order and where the working
// directory is left, opening with a final line end supplied, the value
// buffer limits and the entry end limit.
#include <malloc.h>

#include <string>

#include "TextOnBox.h"

TEST_F(TextOnBox, LocateOrderAndWorkingDirectory) {
  Boot(kGerman);
  EXPECT_EQ(INILocateFile("Test.ini", "Vantero Setup"), INI_NotFound);
  EXPECT_EQ(CurrentDir(), "/DataFiles");

  writeFile("/ProgramFiles/Test.ini", "a=1\r\n");
  EXPECT_EQ(INILocateFile("Test.ini", "Vantero Setup"), INI_ProgramFilesDir);
  EXPECT_EQ(CurrentDir(), "/ProgramFiles");

  ASSERT_TRUE(HDD_ChangeDir("/DataFiles"));
  writeFile("/ProgramFiles/Settings/Test.ini", "a=2\r\n");
  EXPECT_EQ(INILocateFile("Test.ini", "Vantero Setup"), INI_SettingsDir);
  EXPECT_EQ(CurrentDir(), "/ProgramFiles/Settings");

  // The application's folder wins over both; the current folder over all.
  ASSERT_TRUE(HDD_ChangeDir("/DataFiles"));
  writeFile("/ProgramFiles/Settings/Vantero Setup/Test.ini", "a=3\r\n");
  EXPECT_EQ(INILocateFile("Test.ini", "Vantero Setup"), INI_AppSettingsDir);
  EXPECT_EQ(CurrentDir(), "/ProgramFiles/Settings/Vantero Setup");
  EXPECT_EQ(INILocateFile("Test.ini", "Vantero Setup"), INI_CurrentDir);

  // Without an application name (or an absolute one) its folder is not tried.
  ASSERT_TRUE(HDD_ChangeDir("/DataFiles"));
  EXPECT_EQ(INILocateFile("Test.ini", nullptr), INI_SettingsDir);
  ASSERT_TRUE(HDD_ChangeDir("/DataFiles"));
  EXPECT_EQ(INILocateFile("Test.ini", "/Vantero Setup"), INI_SettingsDir);
  EXPECT_EQ(INILocateFile(nullptr, "Vantero Setup"), INI_NotFound);
}

TEST_F(TextOnBox, OpenRestoresTheFolderAndEndsTheLastLine) {
  Boot(kGerman);
  writeFile("/ProgramFiles/Settings/Vantero Setup/Test.ini", "key=value");
  EXPECT_EQ(INIOpenFile("Test.ini", "Vantero Setup"), INI_AppSettingsDir);
  EXPECT_EQ(CurrentDir(), "/DataFiles");
  ASSERT_NE(INIBuffer, nullptr);
  EXPECT_STREQ(INIBuffer, "key=value\r\n");
  EXPECT_EQ(BufferSize, 1024u);
  INICloseFile();
  EXPECT_EQ(INIBuffer, nullptr);
  EXPECT_EQ(BufferSize, 0u);

  // A file of exactly 1022 bytes: the CR LF and the terminator still fit.
  writeFile("/DataFiles/Full.ini", "k=" + std::string(1020, 'v'));
  EXPECT_EQ(INIOpenFile("Full.ini", nullptr), INI_CurrentDir);
  EXPECT_EQ(BufferSize, 1536u);
  EXPECT_EQ(std::string(INIBuffer).size(), 1024u);
  INICloseFile();

  EXPECT_EQ(INIOpenFile("New.ini", nullptr), INI_NewFile);
  EXPECT_EQ(BufferSize, 512u);
  EXPECT_STREQ(INIBuffer, "");
  char value[8];
  EXPECT_TRUE(INIGetString("key", value, "dflt", sizeof(value)));
  EXPECT_STREQ(value, "dflt");
  EXPECT_EQ(CurrentDir(), "/DataFiles");
}

TEST_F(TextOnBox, GetStringStaysInsideTheValueBuffer) {
  Boot(kGerman);
  writeFile("/DataFiles/Test.ini", "name=abcdefghij\r\nempty=\r\n");
  ASSERT_EQ(INIOpenFile("Test.ini", nullptr), INI_CurrentDir);

  char value[12];
  memset(value, '#', sizeof(value));
  EXPECT_TRUE(INIGetString("name", value, "", 6));
  EXPECT_STREQ(value, "abcde");
  for (size_t i = 6; i < sizeof(value); i++) EXPECT_EQ(value[i], '#') << i;
  EXPECT_TRUE(INIGetString("NAME", value, "", 1));
  EXPECT_STREQ(value, "");
  EXPECT_TRUE(INIGetString("empty", value, "default", sizeof(value)));
  EXPECT_STREQ(value, "default");
  EXPECT_TRUE(INIGetString("missing", value, "a very long default", sizeof(value)));
  EXPECT_STREQ(value, "a very long");

  EXPECT_FALSE(INIGetString("name", value, "", 0));
  EXPECT_FALSE(INIGetString(nullptr, value, "", 4));
  EXPECT_FALSE(INIGetString("name", nullptr, "", 4));
  EXPECT_FALSE(INIGetString("name", value, nullptr, 4));
}

TEST_F(TextOnBox, FindStartEndLimitsTheEntry) {
  Boot(kGerman);
  writeFile("/DataFiles/Test.ini", ";k=x\r\nk=12345\r\n");
  ASSERT_EQ(INIOpenFile("Test.ini", nullptr), INI_CurrentDir);
  char *start = nullptr, *end = nullptr;
  INIFindStartEnd("k=", &start, &end, 100);
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(std::string(start, end + 1), "k=12345");
  INIFindStartEnd("k=", &start, &end, 4);
  EXPECT_EQ(std::string(start, end + 1), "k=12");
  INIFindStartEnd("x=", &start, &end, 100);
  EXPECT_EQ(start, nullptr);
  EXPECT_EQ(end, nullptr);
  INICloseFile();
  INIFindStartEnd("k=", &start, &end, 100);
  EXPECT_EQ(start, nullptr);
}

TEST_F(TextOnBox, OpeningAgainWithoutCloseFreesTheOpenFile) {
  // Each open holds the whole file; twenty opens without a close must not
  // hold twenty files.
  Boot(kGerman);
  const size_t fileSize = 256 * 1024;
  writeFile("/DataFiles/Big.ini", "k=" + std::string(fileSize, 'v'));
  auto inUse = [] {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
  };
  ASSERT_EQ(INIOpenFile("Big.ini", nullptr), INI_CurrentDir);
  size_t before = inUse();
  for (int i = 0; i < 20; i++) ASSERT_EQ(INIOpenFile("Big.ini", nullptr), INI_CurrentDir);
  EXPECT_LT(inUse(), before + fileSize) << "open buffers were lost";
}
