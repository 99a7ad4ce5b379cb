// The payload writers on a simulated disk: what they write where, what they
// leave alone, the modes of the programs and the working directory each
// leaves behind.
#include <cstring>

#include "Payloads.h"
#include "PayloadSim.h"
#include "Setup.h"
#include "box/Box.h"

namespace payloads {
namespace {

const char *const kFontDir = "/ProgramFiles/Settings/Fonts";
const char *const kSettingsDir = "/ProgramFiles/Settings/Vantero";

std::string fontPath(const std::string &name) { return std::string(kFontDir) + "/" + name + ".ufnt"; }

TEST(EmbeddedPayloads, HoldTheBytesOfTheirFiles) {
  struct Embedded {
    const byte *data;
    int32_t size;
    std::string file;
  };
  const std::vector<Embedded> all = {
      {_Vantero_Bitmap, _Vantero_Size, "Vantero.tap"},
      {_wget_Bitmap, _wget_Size, "wget"},
      {_busybox_Bitmap, _busybox_Size, "busybox"},
      {_VanteroLng_Bitmap, _VanteroLng_Size, "Vantero.lng"},
      {_Arial_12B_Bitmap, _Arial_12B_Size, "Arial_12B.ufnt"},
      {_Arial_14_Bitmap, _Arial_14_Size, "Arial_14.ufnt"},
      {_Calibri_10_Bitmap, _Calibri_10_Size, "Calibri_10.ufnt"},
      {_Calibri_12_Bitmap, _Calibri_12_Size, "Calibri_12.ufnt"},
      {_Calibri_14_Bitmap, _Calibri_14_Size, "Calibri_14.ufnt"},
      {_Calibri_16_Bitmap, _Calibri_16_Size, "Calibri_16.ufnt"},
      {_Calibri_18_Bitmap, _Calibri_18_Size, "Calibri_18.ufnt"},
      {_Calibri_20_Bitmap, _Calibri_20_Size, "Calibri_20.ufnt"},
      {_Calibri_20B_Bitmap, _Calibri_20B_Size, "Calibri_20B.ufnt"},
      {_Courier_New_13_Bitmap, _Courier_New_13_Size, "Courier_New_13.ufnt"},
  };
  for (const Embedded &e : all) {
    std::string expected = readHostFile(payloadFile(e.file));
    ASSERT_FALSE(expected.empty()) << e.file;
    ASSERT_EQ(static_cast<int32_t>(expected.size()), e.size) << e.file;
    EXPECT_EQ(0, std::memcmp(expected.data(), e.data, expected.size())) << e.file;
  }
}

class WritersTest : public PayloadSim {};

TEST_F(WritersTest, EmptyDiskReceivesEveryPayload) {
  InstallFonts();
  EXPECT_EQ(kFontDir, currentDir());
  for (const FontInfo &font : fonts()) expectPayload(fontPath(font.name), std::string(font.name) + ".ufnt");

  fs::create_directories(disk(kSettingsDir));
  InstallLanguage();
  EXPECT_EQ(kSettingsDir, currentDir());
  expectPayload(std::string(kSettingsDir) + "/Vantero.lng", "Vantero.lng");

  InstallWget();
  EXPECT_EQ("/ProgramFiles", currentDir());
  InstallBusybox();
  EXPECT_EQ("/ProgramFiles", currentDir());
  for (const char *program : {"wget", "busybox"}) {
    expectPayload(std::string("/ProgramFiles/") + program, program);
    EXPECT_EQ(0555u, mode(std::string("/ProgramFiles/") + program)) << program;
  }

  fs::create_directories(disk("/ProgramFiles/AutoStart"));
  InstallVantero("/ProgramFiles/AutoStart", "Vantero.tap");
  EXPECT_EQ("/ProgramFiles/AutoStart", currentDir());
  expectPayload("/ProgramFiles/AutoStart/Vantero.tap", "Vantero.tap");

  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
}

TEST_F(WritersTest, PresentFontIsLeftAsItIs) {
  writeFile(fontPath("Calibri_14"), "");
  InstallFonts();
  EXPECT_EQ("", readFile(fontPath("Calibri_14")));
  for (const FontInfo &font : fonts())
    if (std::string(font.name) != "Calibri_14") expectPayload(fontPath(font.name), std::string(font.name) + ".ufnt");
}

TEST_F(WritersTest, PresentProgramIsKeptButGetsMode555) {
  writeFile("/ProgramFiles/wget", "old wget");
  fs::permissions(disk("/ProgramFiles/wget"), fs::perms(0644));
  InstallWget();
  EXPECT_EQ("old wget", readFile("/ProgramFiles/wget"));
  EXPECT_EQ(0555u, mode("/ProgramFiles/wget"));

  writeFile("/ProgramFiles/busybox", "old busybox");
  InstallBusybox();
  EXPECT_EQ("old busybox", readFile("/ProgramFiles/busybox"));
  EXPECT_EQ(0555u, mode("/ProgramFiles/busybox"));
}

TEST_F(WritersTest, ManagerAndLanguageFileAreAlwaysReplaced) {
  writeFile("/ProgramFiles/XStart/MyVantero.tap", "old manager");
  writeFile(std::string(kSettingsDir) + "/Vantero.lng", "en_000=old\r\n");
  InstallVantero("/ProgramFiles/XStart", "MyVantero.tap");
  EXPECT_EQ("/ProgramFiles/XStart", currentDir());
  expectPayload("/ProgramFiles/XStart/MyVantero.tap", "Vantero.tap");
  InstallLanguage();
  expectPayload(std::string(kSettingsDir) + "/Vantero.lng", "Vantero.lng");
  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
}

TEST_F(WritersTest, FolderThatCannotBeEnteredGetsNothing) {
  InstallVantero("/ProgramFiles/Missing", "Vantero.tap");
  InstallVantero(nullptr, "Vantero.tap");
  EXPECT_TRUE(filesEndingIn("Vantero.tap").empty());
  // The language file needs the settings folder made beforehand.
  InstallLanguage();
  EXPECT_FALSE(exists(kSettingsDir));
  EXPECT_TRUE(filesEndingIn("Vantero.lng").empty());
  // A file where the settings folder belongs keeps the fonts out.
  writeFile("/ProgramFiles/Settings", "not a folder");
  InstallFonts();
  EXPECT_TRUE(filesEndingIn(".ufnt").empty());
  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
}

TEST_F(WritersTest, LeftoverTemporaryFilesAreWrittenAgain) {
  // What an interrupted earlier run leaves behind.
  writeFile(fontPath("Calibri_10") + PAYLOAD_TEMP_SUFFIX, "cut");
  writeFile(std::string("/ProgramFiles/busybox") + PAYLOAD_TEMP_SUFFIX, "cut");
  InstallFonts();
  InstallBusybox();
  expectPayload(fontPath("Calibri_10"), "Calibri_10.ufnt");
  expectPayload("/ProgramFiles/busybox", "busybox");
  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
}

TEST_F(WritersTest, CreateFontFileWritesIntoTheCurrentFolderOnlyWhenMissing) {
  fs::create_directories(disk("/ProgramFiles/Other"));
  ASSERT_TRUE(HDD_ChangeDir("/ProgramFiles/Other"));
  const byte data[] = {'U', 'F', 'N', 'T', 0, 0, 0, 0};
  CreateFontFile("Test.ufnt", data, sizeof data);
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(data), sizeof data), readFile("/ProgramFiles/Other/Test.ufnt"));
  const byte other[] = {'x'};
  CreateFontFile("Test.ufnt", other, sizeof other);
  EXPECT_EQ(sizeof data, readFile("/ProgramFiles/Other/Test.ufnt").size());
  EXPECT_EQ("/ProgramFiles/Other", currentDir());
}

TEST_F(WritersTest, TemporaryNameIsNeverTakenForATap) {
  // FindTAP looks at files ending in ".tap": the temporary name must not.
  std::string temp = std::string("Vantero.tap") + PAYLOAD_TEMP_SUFFIX;
  EXPECT_FALSE(StringEndsWith(temp.c_str(), ".tap"));
}

TEST_F(WritersTest, BodiesAreBracketedForCallTracing) {
  CallTraceInit();
  CallTraceEnable(TRUE);
  dword level = CallLevel;
  fs::create_directories(disk(kSettingsDir));
  InstallFonts();
  InstallLanguage();
  InstallWget();
  InstallBusybox();
  InstallVantero("/ProgramFiles", "Vantero.tap");
  InstallVantero("/ProgramFiles/Missing", "Vantero.tap");
  EXPECT_EQ(level, CallLevel);
  std::string console = pvrsim::box::consoleText();
  for (const char *name : {"InstallFonts", "CreateFontFile", "InstallLanguage", "InstallWget", "InstallBusybox",
                           "InstallVantero", "WritePayloadFile"})
    EXPECT_NE(std::string::npos, console.find(name)) << name;
  CallTraceEnable(FALSE);
}

}  // namespace
}  // namespace payloads
