// VPDFileTest.cpp - package description files on a simulated disk: the
// exact format-9 image that VPDSave writes, loading it back field for field,
// the older formats 5 to 7, every way a file is rejected (and that a
// rejected file leaves an empty record), deleting and cleaning up.
#include <functional>

#include "Packages.h"

namespace datafiles {
namespace {

class VPDFileTest : public DataFilesSim {
 protected:
  void TearDown() override {
    VPDFree(&vpd);
    DataFilesSim::TearDown();
  }
  tVPD vpd{};
};

TEST_F(VPDFileTest, SaveWritesTheFormat9ImageAndLoadGivesEveryFieldBack) {
  int stringsBefore = StringSpace;
  tVPD sample;
  SamplePackage(sample);
  writeFile(SettingsDir + "/5C3E1A20.vpd", std::string(5000, 'x'));  // a longer old file
  ASSERT_TRUE(VPDSave(&sample, "5C3E1A20.vpd"));
  EXPECT_EQ(Text("VPDDB"), Text(sample.DBMagic));
  EXPECT_EQ(9, sample.DBVersion);
  EXPECT_EQ(0x0B6A1234u, sample.Versions[0].TimeStamp) << "the record keeps the plain values";
  std::string image = getSetting("5C3E1A20.vpd");
  EXPECT_EQ(SampleImage().size(), image.size()) << "no stale tail of the old file";
  EXPECT_TRUE(SampleImage() == image) << "the file differs from the expected format-9 image";
  EXPECT_FALSE(exists(SettingsDir + "/5C3E1A20.vpd.tmp"));

  ASSERT_TRUE(VPDLoadStd(&vpd, 0x5c3e1a20));
  EXPECT_EQ(Text("VPDDB"), Text(vpd.DBMagic));
  EXPECT_EQ(9, vpd.DBVersion);
  ExpectSamePackage(sample, vpd);
  EXPECT_EQ("/ProgramFiles", currentDir());
  EXPECT_TRUE(takeLog().empty());

  VPDFree(&vpd);
  VPDFree(&sample);
  EXPECT_TRUE(IsEmptyPackage(sample));
  EXPECT_EQ(stringsBefore, StringSpace) << "every string of both records was counted off";
}

TEST_F(VPDFileTest, DefaultFoldersAreStoredBelowProgramFilesAndComeBackAsTheyWere) {
  struct Case {
    std::string stored;  // "" = absent
    const char *loaded;
  } cases[] = {
      {"AutoStart\\", "/mnt/hd/ProgramFiles/AutoStart"},
      {"", "/mnt/hd/ProgramFiles"},
      {"/AutoStart", "/mnt/hd/ProgramFiles/AutoStart"},  // as VPDSave stores it: no doubled slash
      {"Settings\\Vantero", "/mnt/hd/ProgramFiles/Settings/Vantero"},
      {"a/b/", "/mnt/hd/ProgramFiles/a/b"},
      {"\\", "/mnt/hd/ProgramFiles"},
  };
  for (const Case &c : cases) {
    Bytes b;
    b.str("VPDDB").dw(9).dw(1).str("").str("").str("").str("").dw(0).dw(0).str("").str("").dw(0).str("").dw(
        0);
    b.str("").dw(1).str("v").dw(0).str("").dw(0).b(0).qw(0).dw(0).dw(0).str("").dw(1);
    b.str("f").str(c.stored).dw(0).dw(0).dw(0).dw(0).b(0).dw(0).dw(0);
    putSetting("Path.vpd", b.data());
    ASSERT_TRUE(VPDLoad(&vpd, "Path.vpd")) << c.stored;
    EXPECT_EQ(Text(c.loaded), Text(vpd.Versions[0].Files[0].DefaultPath)) << "stored '" << c.stored << "'";
    ASSERT_TRUE(VPDSave(&vpd, "Again.vpd"));
    VPDFree(&vpd);
    ASSERT_TRUE(VPDLoad(&vpd, "Again.vpd"));
    EXPECT_EQ(Text(c.loaded), Text(vpd.Versions[0].Files[0].DefaultPath))
        << "saved and loaded again: " << c.stored;
  }
}

// Formats 5 to 7: description and screenshot in every version block (the
// last one wins), no release notes or languages; the password from 6 on,
// the root folder from 7 on.
std::string OldImage(int format) {
  Bytes b;
  b.str("VPDDB").dw(format).dw(SampleId).str("Old").str("Author").dw(1).dw(4).str("url");
  if (format >= 6) b.str("md5").dw(1);
  b.dw(2);
  b.str("0.1").dw(0x00020003 ^ SampleKey32).str("first description").str("a.jpg").dw(3).raw("abc");
  b.b(DM_Beta).qw(42 ^ SampleKey64).dw(5).dw(1).dw(0xDEADBEEF);
  if (format >= 7) b.str("R0");
  b.dw(1);
  SampleFileBlock(b, "old.tap", "AutoStart\\", 10, IM_Overwrite);
  b.str("0.2").dw(0x00040005 ^ SampleKey32).str("second description").str("").dw(0);
  b.b(DM_Final).qw(0 ^ SampleKey64).dw(0).dw(0);
  if (format >= 7) b.str("");
  b.dw(0);
  return b.data();
}

TEST_F(VPDFileTest, OlderFormatsKeepTheLastVersionsDescriptionAndScreenshot) {
  for (int format : {5, 6, 7}) {
    putSetting("Old.vpd", OldImage(format));
    ASSERT_TRUE(VPDLoad(&vpd, "Old.vpd")) << "format " << format;
    EXPECT_EQ(format, vpd.DBVersion);
    EXPECT_EQ(Text("second description"), Text(vpd.DE_Description)) << format;
    EXPECT_EQ(Text(nullptr), Text(vpd.EN_Description)) << format;
    EXPECT_EQ(Text(nullptr), Text(vpd.ScreenShotFile)) << format;
    EXPECT_EQ(0, vpd.ScreenShotSize) << format;
    EXPECT_EQ(nullptr, vpd.Screenshot) << format;
    EXPECT_EQ(Text(nullptr), Text(vpd.Homepage)) << format;
    EXPECT_EQ(Text(format >= 6 ? "md5" : nullptr), Text(vpd.PasswdMD5)) << format;
    EXPECT_EQ(format >= 6, vpd.PasswdReadonly) << format;
    EXPECT_EQ(4u, vpd.Category);
    ASSERT_EQ(2, vpd.NrOfVersions) << format;
    const tVPDVersion &v0 = vpd.Versions[0];
    EXPECT_EQ(0x00020003u, v0.TimeStamp);
    EXPECT_EQ(42u, v0.AlphaPassword);
    EXPECT_EQ(DM_Beta, v0.DeployMode);
    EXPECT_EQ(0u, v0.SupportedLang);
    EXPECT_EQ(Text(nullptr), Text(v0.ReleaseNotes));
    EXPECT_EQ(Text(format >= 7 ? "R0" : nullptr), Text(v0.RootDir)) << format;
    ASSERT_EQ(1, v0.NrOfDependencies);
    EXPECT_EQ(0xDEADBEEFu, v0.Dependencies[0]);
    ASSERT_EQ(1, v0.NrOfFiles);
    EXPECT_EQ(Text("/mnt/hd/ProgramFiles/AutoStart"), Text(v0.Files[0].DefaultPath));
    EXPECT_EQ(13u, v0.Files[0].CRC32);
    EXPECT_EQ(0x00040005u, vpd.Versions[1].TimeStamp);
    EXPECT_EQ(0, vpd.Versions[1].NrOfFiles);
    EXPECT_EQ(nullptr, vpd.Versions[1].Files);
  }
  EXPECT_TRUE(takeLog().empty());
}

TEST_F(VPDFileTest, StringsReplacedByALaterVersionBlockAreReleased) {
  putSetting("Old.vpd", OldImage(6));
  int before = StringSpace;
  ASSERT_TRUE(VPDLoad(&vpd, "Old.vpd"));
  ASSERT_TRUE(VPDLoad(&vpd, "Old.vpd")) << "a loaded record is released first";
  EXPECT_GT(StringSpace, before);
  VPDFree(&vpd);
  EXPECT_EQ(before, StringSpace) << "the first block's description and screenshot name are counted off";
}

struct Rejection {
  const char *what;
  std::string image;
  const char *logLine;
};

std::string Header9(uint32_t tapId = 1) { return Bytes().str("VPDDB").dw(9).dw(tapId).data(); }

TEST_F(VPDFileTest, DamagedOrUnknownFilesAreRejectedWithTheirLogLineAndLeaveAnEmptyRecord) {
  const Rejection cases[] = {
      {"empty", "", "File size of 'X.vpd' is zero"},
      {"magic length 4", Bytes().dw(4).raw("VPDD").dw(9).data(), "Invalid header in 'X.vpd'"},
      {"cut in the magic", Bytes().dw(5).raw("VPD").data(), "Invalid header in 'X.vpd'"},
      {"other magic", Bytes().str("VPDDX").dw(9).data(), "Invalid magic 'VPDDX' in 'X.vpd'"},
      {"version 4", Bytes().str("VPDDB").dw(4).data(), "Unexpected version of 'X.vpd'. Current 9, got 4"},
      {"version 10", Bytes().str("VPDDB").dw(10).data(), "Unexpected version of 'X.vpd'. Current 9, got 10"},
      {"no version", Bytes().str("VPDDB").data(), "Damaged data in 'X.vpd' at byte 9"},
      {"name longer than the file", Header9() + Bytes().dw(1000).raw("short").data(),
       "Damaged data in 'X.vpd' at byte 21"},
      {"name of 2 GB", Header9() + Bytes().dw(0x7FFFFFF0).data(), "Damaged data in 'X.vpd' at byte 21"},
      {"screenshot longer than the file",
       Header9() + Bytes().dw(0).dw(0).dw(0).dw(0).dw(0).dw(0).dw(0).dw(0).dw(0).dw(0).dw(100).data(),
       "Damaged data in 'X.vpd' at byte 61"},
      {"2 billion versions", Header9() + Bytes().dws({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x7FFFFFFF}).data(),
       "Damaged data in 'X.vpd' at byte 69"},
      {"negative version count",
       Header9() + Bytes().dws({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFFFF}).data(),
       "Damaged data in 'X.vpd' at byte 69"},
  };
  int strings = StringSpace;
  for (const Rejection &c : cases) {
    putSetting("X.vpd", c.image);
    tVPD loaded;
    SamplePackage(loaded);  // a filled record is emptied
    EXPECT_FALSE(VPDLoad(&loaded, "X.vpd")) << c.what;
    EXPECT_TRUE(IsEmptyPackage(loaded)) << c.what;
    EXPECT_EQ(strings, StringSpace) << c.what << ": strings left behind";
    EXPECT_EQ(std::vector<std::string>{c.logLine}, takeLog()) << c.what;
    EXPECT_EQ("/ProgramFiles", currentDir()) << c.what;
  }
  EXPECT_FALSE(VPDLoad(&vpd, "Missing.vpd"));
  EXPECT_EQ(std::vector<std::string>{"Failed to open 'Missing.vpd' for read"}, takeLog());
}

// Every cut of a complete file is rejected: no count or length may make the
// reader run past the end, and nothing of a half-read record stays.
TEST_F(VPDFileTest, EveryCutOfACompleteFileIsRejected) {
  const std::string image = SampleImage();
  int strings = StringSpace;
  for (size_t length = 1; length < image.size(); length++) {
    putSetting("Cut.vpd", image.substr(0, length));
    ASSERT_FALSE(VPDLoad(&vpd, "Cut.vpd")) << "cut after " << length << " bytes";
    ASSERT_TRUE(IsEmptyPackage(vpd)) << length;
    ASSERT_EQ(strings, StringSpace) << length;
  }
  putSetting("Cut.vpd", image + "stale tail of an older file");
  EXPECT_TRUE(VPDLoad(&vpd, "Cut.vpd")) << "bytes behind the end are never read";
}

TEST_F(VPDFileTest, LoadingSavingAndRejectingLeaveNoMemoryBehind) {
  putSetting("Sample.vpd", SampleImage());
  putSetting("Old.vpd", OldImage(6));
  putSetting("Cut.vpd", SampleImage().substr(0, SampleImage().size() - 20));
  const struct {
    const char *what;
    std::function<void()> action;
  } cases[] = {
      {"load and free a format-9 file",
       [&] {
         VPDLoad(&vpd, "Sample.vpd");
         VPDFree(&vpd);
       }},
      {"load and free a format-6 file",
       [&] {
         VPDLoad(&vpd, "Old.vpd");
         VPDFree(&vpd);
       }},
      {"reject a cut file", [&] { VPDLoad(&vpd, "Cut.vpd"); }},
      {"load over a loaded record", [&] { VPDLoad(&vpd, "Sample.vpd"); }},
      {"save",
       [&] {
         tVPD sample;
         SamplePackage(sample);
         VPDSave(&sample, "Saved.vpd");
         VPDFree(&sample);
       }},
  };
  for (const auto &c : cases) EXPECT_EQ(0, HeapGrowth(c.action)) << c.what;
}

TEST_F(VPDFileTest, DefaultFolderOutsideProgramFilesIsNotSaved) {
  tVPD sample;
  SamplePackage(sample);
  putSetting("Keep.vpd", "old");
  StringSet(&sample.Versions[0].Files[1].DefaultPath, "/mnt/hd/ProgramFilesX");
  EXPECT_FALSE(VPDSave(&sample, "Keep.vpd"));
  StringSet(&sample.Versions[0].Files[1].DefaultPath, "/mnt/hd");
  EXPECT_FALSE(VPDSave(&sample, "Keep.vpd"));
  EXPECT_EQ("old", getSetting("Keep.vpd"));
  EXPECT_EQ((std::vector<std::string>{"Invalid default path '/mnt/hd/ProgramFilesX' in 'Keep.vpd'",
                                      "Invalid default path '/mnt/hd' in 'Keep.vpd'"}),
            takeLog());
  VPDFree(&sample);
}

// What a loader would reject is never written, and a default folder that
// leaves ProgramFiles by ".." is refused by the writer and the loader.
TEST_F(VPDFileTest, WritersRefuseWhatTheLoadersReject) {
  const std::string escape = "/mnt/hd/ProgramFiles/../../../etc";
  const struct {
    const char *what;
    std::function<void(tVPD &)> change;
    std::string logLine;
  } cases[] = {
      {"text over 1 MiB", [](tVPD &v) { StringSet(&v.TAPName, std::string((1 << 20) + 1, 'n').c_str()); },
       "Cannot write 'Keep.vpd': a text is longer than 1 MiB"},
      {"10001 dependencies",
       [](tVPD &v) {
         TAP_MemFree(v.Versions[0].Dependencies);
         v.Versions[0].Dependencies = static_cast<dword *>(memset(TAP_MemAlloc(40004), 0, 40004));
         v.Versions[0].NrOfDependencies = 10001;
       },
       "Cannot write 'Keep.vpd': a list has more than 10000 entries"},
      {"folder leaving ProgramFiles",
       [&](tVPD &v) { StringSet(&v.Versions[0].Files[1].DefaultPath, escape.c_str()); },
       "Invalid default path '" + escape + "' in 'Keep.vpd'"},
  };
  for (const auto &c : cases) {
    tVPD sample;
    SamplePackage(sample);
    c.change(sample);
    putSetting("Keep.vpd", "old");
    EXPECT_FALSE(VPDSave(&sample, "Keep.vpd")) << c.what;
    EXPECT_EQ("old", getSetting("Keep.vpd")) << c.what;
    EXPECT_EQ(std::vector<std::string>{c.logLine}, takeLog()) << c.what;
    VPDFree(&sample);
  }
  Bytes b;
  b.str("VPDDB").dw(9).dw(1).str("").str("").str("").str("").dw(0).dw(0).str("").str("").dw(0).str("").dw(0);
  b.str("").dw(1).str("v").dw(0).str("").dw(0).b(0).qw(0).dw(0).dw(0).str("").dw(1);
  b.str("f").str("a/../../../etc").dw(0).dw(0).dw(0).dw(0).b(0).dw(0).dw(0);
  putSetting("Escape.vpd", b.data());
  EXPECT_FALSE(VPDLoad(&vpd, "Escape.vpd"));
}

// A text too long to keep is skipped, so the next one is read in its place.
TEST_F(VPDFileTest, ReadStringSkipsATextTooLongToKeep) {
  putSetting("Strings.bin", Bytes().str(std::string((1 << 20) + 5, 'x')).str("abc").data());
  ASSERT_TRUE(HDD_ChangeDir(SettingsDir.c_str()));
  TYPE_File *f = TAP_Hdd_Fopen("Strings.bin");
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(nullptr, ReadString(f));
  char *s = ReadString(f);
  EXPECT_EQ(Text("abc"), Text(s));
  StringClear(&s);
  EXPECT_FALSE(WriteString(f, std::string((1 << 20) + 1, 'w').c_str()));
  TAP_Hdd_Fclose(f);
}

// A text with a line break cannot forge a line of the log.
TEST_F(VPDFileTest, ControlCharactersReachTheLogEscaped) {
  LogVantero("Added '%s' (%8.8x)", "Evil\r\n2026-01-01 00:00:00 Vantero: forged\x1B", 1u);
  LogVantero("  Removing %s\n", "A.vpd");
  EXPECT_EQ((std::vector<std::string>{"Added 'Evil\\r\\n2026-01-01 00:00:00 Vantero: forged\\x1B' (00000001)",
                                      "  Removing A.vpd\n"}),
            takeLog());
}

TEST_F(VPDFileTest, CleanupRemovesTheFilesOfOneIDCaseSensitively) {
  for (const char *name :
       {"5C3E1A20.vpd", "5C3E1A20_Installed.vpd", "5c3e1a20.vpd", "5C3E1A21.vpd", "X5C3E1A20.vpd"})
    putSetting(name, "x");
  makeFolder(SettingsDir + "/5C3E1A20-folder");
  VPDCleanup(0x5C3E1A20);
  EXPECT_FALSE(exists(SettingsDir + "/5C3E1A20.vpd"));
  EXPECT_FALSE(exists(SettingsDir + "/5C3E1A20_Installed.vpd"));
  for (const char *kept : {"5c3e1a20.vpd", "5C3E1A21.vpd", "X5C3E1A20.vpd", "5C3E1A20-folder"})
    EXPECT_TRUE(exists(SettingsDir + "/" + kept)) << kept;
  EXPECT_EQ((std::vector<std::string>{"Performing VPD cleanup of 5c3e1a20", "  Removing 5C3E1A20.vpd\n",
                                      "  Removing 5C3E1A20_Installed.vpd\n"}),
            takeLog());

  VPDDelete("5C3E1A21.vpd");
  EXPECT_FALSE(exists(SettingsDir + "/5C3E1A21.vpd"));
  EXPECT_EQ("/ProgramFiles", currentDir());
}

}  // namespace
}  // namespace datafiles
