// WritersTest.cpp - the payload writers on a simulated disk: what they write where, what they
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
    if (std::string(font.name) != "Calibri_14")
      expectPayload(fontPath(font.name), std::string(font.name) + ".ufnt");
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

// A payload whose folder cannot be entered is written nowhere else, and the
// log says which and why.
struct UnreachableFolder {
  const char *name;
  const char *fileInTheWay;  // a file where a folder belongs, or null
  void (*write)();
  const char *suffix;  // of the payload's file name
  dword failures;
  const char *line;  // the first line logged
};

class UnreachableFolderTest : public WritersTest, public ::testing::WithParamInterface<UnreachableFolder> {};

TEST_P(UnreachableFolderTest, GetsNothingAndIsReported) {
  const UnreachableFolder &row = GetParam();
  if (row.fileInTheWay) writeFile(row.fileInTheWay, "not a folder");
  dword before = PayloadFailures;
  row.write();
  EXPECT_TRUE(filesEndingIn(row.suffix).empty());
  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
  EXPECT_EQ(PayloadFailures - before, row.failures);
  // The console has every log line, also where no log file can be written.
  std::string console = pvrsim::box::consoleText();
  EXPECT_NE(console.find(std::string("Vantero Setup: ") + row.line + "\n"), std::string::npos) << console;
}

INSTANTIATE_TEST_SUITE_P(
    Writers, UnreachableFolderTest,
    ::testing::Values(
        UnreachableFolder{"MissingFolder", nullptr,
                          [] { InstallVantero("/ProgramFiles/Missing", "Vantero.tap"); }, "Vantero.tap", 1,
                          "  Failed to write /ProgramFiles/Missing/Vantero.tap: cannot enter the folder"},
        UnreachableFolder{"NoFolder", nullptr, [] { InstallVantero(nullptr, "Vantero.tap"); }, "Vantero.tap",
                          1, "  Failed to write /Vantero.tap: cannot enter the folder"},
        // The language file needs the settings folder made beforehand.
        UnreachableFolder{
            "NoSettingsFolder", "/ProgramFiles/Settings/Vantero", [] { InstallLanguage(); }, "Vantero.lng", 1,
            "  Failed to write /ProgramFiles/Settings/Vantero/Vantero.lng: cannot enter the folder"},
        UnreachableFolder{
            "FontsFolderIsAFile", "/ProgramFiles/Settings/Fonts", [] { InstallFonts(); }, ".ufnt", 10,
            "  Failed to write /ProgramFiles/Settings/Fonts/Arial_12B.ufnt: cannot enter the folder"}),
    [](const ::testing::TestParamInfo<UnreachableFolder> &info) { return std::string(info.param.name); });

// A write that fails or that the disk does not keep leaves the old file as
// it was and is reported with the path and the reason; a disk that keeps
// everything needs nothing but the firmware's promises (strict API).
TEST_F(WritersTest, FailedWritesLeaveTheOldFileAndAreReported) {
  const std::string size = std::to_string(_Vantero_Size);
  struct Row {
    const char *what;
    void (*fault)(pvrsim::Options &);
    void (*write)();
    const char *file;
    std::string logged;  // "" : written, nothing reported
  } rows[] = {
      {"disk full", [](pvrsim::Options &o) { o.diskFullAfterBytes = 1000; },
       [] { InstallVantero("/ProgramFiles", "Vantero.tap"); }, "/ProgramFiles/Vantero.tap",
       "  Failed to write /ProgramFiles/Vantero.tap: only 1000 of " + size + " bytes written"},
      {"disk loses writes", [](pvrsim::Options &o) { o.lostWritesAfterBytes = 4096; },
       [] { InstallVantero("/ProgramFiles", "Vantero.tap"); }, "/ProgramFiles/Vantero.tap",
       "  Failed to write /ProgramFiles/Vantero.tap: only 4096 of " + size + " bytes written"},
      {"disk loses everything", [](pvrsim::Options &o) { o.lostWritesAfterBytes = 0; },
       [] { InstallLanguage(); }, "/ProgramFiles/Settings/Vantero/Vantero.lng",
       "  Failed to write /ProgramFiles/Settings/Vantero/Vantero.lng: only 0 of " +
           std::to_string(_VanteroLng_Size) + " bytes written"},
      {"strict API", [](pvrsim::Options &o) { o.strictApi = true; },
       [] { InstallVantero("/ProgramFiles", "Vantero.tap"); }, "/ProgramFiles/Vantero.tap", ""},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.what);
    options.diskFullAfterBytes.reset();
    options.lostWritesAfterBytes.reset();
    options.strictApi = false;
    row.fault(options);
    restartSim();
    makeFolder("/ProgramFiles/Settings/Vantero");
    writeFile(row.file, "the file before");
    dword before = PayloadFailures;
    row.write();
    std::string console = pvrsim::box::consoleText();
    if (row.logged.empty()) {
      EXPECT_EQ(PayloadFailures, before);
      EXPECT_EQ(console.find("Failed to write"), std::string::npos) << console;
      EXPECT_EQ(readFile(row.file).size(), static_cast<size_t>(_Vantero_Size));
    } else {
      EXPECT_EQ(PayloadFailures, before + 1);
      EXPECT_NE(console.find("Vantero Setup: " + row.logged + "\n"), std::string::npos) << console;
      EXPECT_EQ(readFile(row.file), "the file before");
    }
    EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
  }
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
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(data), sizeof data),
            readFile("/ProgramFiles/Other/Test.ufnt"));
  const byte other[] = {'x'};
  CreateFontFile("Test.ufnt", other, sizeof other);
  EXPECT_EQ(sizeof data, readFile("/ProgramFiles/Other/Test.ufnt").size());
  EXPECT_EQ("/ProgramFiles/Other", currentDir());
}

// What the one whole-file writer refuses, with a reason that fits any buffer.
TEST_F(WritersTest, ReplaceWholeFileRefusesWhatItCannotWrite) {
  const std::string longName(KALIB_PATH_MAX - 3, 'n');  // a name, but not with the suffix
  struct Row {
    const char *name;
    const char *data;
    dword size;
    dword reasonSize;
    const char *reason;
  } rows[] = {{nullptr, "x", 1, 128, "no file name or no data"},
              {"Data.bin", nullptr, 1, 4, "no "},
              {longName.c_str(), "x", 1, 128, "the name is too long"},
              {"Data.bin", "x", 1, 0, ""}};  // written, without a reason buffer
  ASSERT_TRUE(HDD_ChangeDir("/ProgramFiles"));
  for (const Row &row : rows) {
    char reason[130];
    memset(reason, '#', sizeof reason - 1);
    reason[sizeof reason - 1] = '\0';
    bool written =
        ReplaceWholeFile(row.name, row.data, row.size, row.reasonSize > 0 ? reason : nullptr, row.reasonSize);
    EXPECT_EQ(row.reasonSize == 0, written) << row.reason;
    if (row.reasonSize > 0) {
      EXPECT_STREQ(row.reason, reason);
    }
    EXPECT_EQ('#', reason[row.reasonSize]) << "written beyond ReasonSize: " << row.reason;
  }
  EXPECT_EQ("x", readFile("/ProgramFiles/Data.bin"));
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
  for (const char *name : {"InstallFonts", "CreateFontFile", "InstallLanguage", "InstallWget",
                           "InstallBusybox", "InstallVantero", "WritePayloadFile"})
    EXPECT_NE(std::string::npos, console.find(name)) << name;
  CallTraceEnable(FALSE);
}

}  // namespace
}  // namespace payloads
