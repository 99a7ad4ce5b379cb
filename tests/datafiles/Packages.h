// Packages.h - a sample package record with every kind of field, its file
// image in format 9 built byte by byte, and a field-by-field comparison of
// two package records.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "DataFilesSim.h"
#include "Tools.h"

namespace datafiles {

const uint32_t SampleId = 0x5C3E1A20;
// Scrambling with a key XORs a constant: the scrambled 0 under SampleId.
const uint32_t SampleKey32 = 0x963298D3u;
const uint64_t SampleKey64 = 0x963298D3963298D3ull;
const std::string SampleScreenshot("\x89PNG\0\x01", 6);

inline std::string Text(const char *s) { return s != nullptr ? std::string("'") + s + "'" : "null"; }

inline char *HeapText(const char *s) {
  char *field = nullptr;
  StringSet(&field, s);
  return field;
}

template <typename T>
T *HeapArray(int count) {
  T *p = static_cast<T *>(TAP_MemAlloc(count * sizeof(T)));
  memset(p, 0, count * sizeof(T));
  return p;
}

inline void SetFile(tVPDFiles &f, const char *name, const char *path, dword base, tInstallMode mode) {
  f.FileName = HeapText(name);
  f.DefaultPath = HeapText(path);
  f.Time = base + 1;
  f.Size = static_cast<int>(base + 2);
  f.CRC32 = base + 3;
  f.TAPID = base + 4;
  f.InstallMode = mode;
  f.Flags = base + 5;
  f.SettingsVersion = static_cast<int>(base + 6);
}

// Two versions: a final one with dependencies and three files (AutoStart,
// a subfolder, the root folder), an alpha one with a root folder and no files.
inline void SamplePackage(tVPD &vpd) {
  memset(&vpd, 0, sizeof vpd);
  vpd.TAPID = SampleId;
  vpd.TAPName = HeapText("Vantero");
  vpd.TAPAuthor = HeapText("Vantero Team");
  vpd.DE_Description = HeapText("Beschreibung");
  vpd.EN_Description = HeapText("Description");
  vpd.Hosting = 2;
  vpd.Category = 7;
  vpd.URL = HeapText("http://example.invalid/5C3E1A20.vpd");
  vpd.PasswdReadonly = true;
  vpd.ScreenShotFile = HeapText("shot.png");
  vpd.ScreenShotSize = static_cast<int>(SampleScreenshot.size());
  vpd.Screenshot = HeapArray<byte>(vpd.ScreenShotSize);
  memcpy(vpd.Screenshot, SampleScreenshot.data(), SampleScreenshot.size());
  vpd.Homepage = HeapText("home");
  vpd.NrOfVersions = 2;
  vpd.Versions = HeapArray<tVPDVersion>(2);

  tVPDVersion &v0 = vpd.Versions[0];
  v0.Version = HeapText("1.0");
  v0.TimeStamp = 0x0B6A1234;
  v0.ReleaseNotes = HeapText("first");
  v0.SupportedLang = 3;
  v0.DeployMode = DM_Final;
  v0.Flags = 0x10;
  v0.NrOfDependencies = 2;
  v0.Dependencies = HeapArray<dword>(2);
  v0.Dependencies[0] = 0x11111111;
  v0.Dependencies[1] = 0x22222222;
  v0.NrOfFiles = 3;
  v0.Files = HeapArray<tVPDFiles>(3);
  SetFile(v0.Files[0], "Vantero.tap", "/mnt/hd/ProgramFiles/AutoStart", 100, IM_OverwriteIfNewer);
  SetFile(v0.Files[1], "Vantero.lng", "/mnt/hd/ProgramFiles/Settings/Vantero", 200, IM_CreateIfNonexistant);
  SetFile(v0.Files[2], "root.dat", "/mnt/hd/ProgramFiles", 300, IM_AlwaysDelete);

  tVPDVersion &v1 = vpd.Versions[1];
  v1.Version = HeapText("2.0 beta");
  v1.TimeStamp = 0x0C000001;
  v1.DeployMode = DM_Alpha;
  v1.AlphaPassword = 0x0123456789ABCDEFull;
  v1.RootDir = HeapText("Root");
}

inline void SampleFileBlock(Bytes &b, const char *name, const std::string &folder, uint32_t base,
                            uint8_t mode) {
  b.str(name).str(folder).dw(base + 1).dw(base + 2).dw(base + 3).dw(base + 4).b(mode).dw(base + 5).dw(base +
                                                                                                      6);
}

// The sample package as VPDSave must write it.
inline std::string SampleImage() {
  Bytes b;
  b.str("VPDDB").dw(9).dw(SampleId).str("Vantero").str("Vantero Team").str("Beschreibung").str("Description");
  b.dw(2)
      .dw(7)
      .str("http://example.invalid/5C3E1A20.vpd")
      .str("")
      .dw(1)
      .str("shot.png")
      .dw(6)
      .raw(SampleScreenshot);
  b.str("home").dw(2);
  b.str("1.0").dw(0x0B6A1234 ^ SampleKey32).str("first").dw(3).b(DM_Final).qw(0 ^ SampleKey64).dw(0x10);
  b.dw(2).dw(0x11111111).dw(0x22222222).str("").dw(3);
  SampleFileBlock(b, "Vantero.tap", "/AutoStart", 100, IM_OverwriteIfNewer);
  SampleFileBlock(b, "Vantero.lng", "/Settings/Vantero", 200, IM_CreateIfNonexistant);
  SampleFileBlock(b, "root.dat", "", 300, IM_AlwaysDelete);
  b.str("2.0 beta")
      .dw(0x0C000001 ^ SampleKey32)
      .str("")
      .dw(0)
      .b(DM_Alpha)
      .qw(0x0123456789ABCDEFull ^ SampleKey64);
  b.dw(0).dw(0).str("Root").dw(0);
  return b.data();
}

inline void ExpectSameFile(const tVPDFiles &a, const tVPDFiles &b, const std::string &where) {
  EXPECT_EQ(Text(a.FileName), Text(b.FileName)) << where;
  EXPECT_EQ(Text(a.CurrentName), Text(b.CurrentName)) << where;
  EXPECT_EQ(Text(a.DefaultPath), Text(b.DefaultPath)) << where;
  EXPECT_EQ(Text(a.CurrentPath), Text(b.CurrentPath)) << where;
  EXPECT_EQ(a.Time, b.Time) << where;
  EXPECT_EQ(a.Size, b.Size) << where;
  EXPECT_EQ(a.CRC32, b.CRC32) << where;
  EXPECT_EQ(a.TAPID, b.TAPID) << where;
  EXPECT_EQ(a.InstallMode, b.InstallMode) << where;
  EXPECT_EQ(a.Flags, b.Flags) << where;
  EXPECT_EQ(a.SettingsVersion, b.SettingsVersion) << where;
}

inline void ExpectSameVersion(const tVPDVersion &a, const tVPDVersion &b, const std::string &where) {
  EXPECT_EQ(Text(a.Version), Text(b.Version)) << where;
  EXPECT_EQ(a.TimeStamp, b.TimeStamp) << where;
  EXPECT_EQ(Text(a.ReleaseNotes), Text(b.ReleaseNotes)) << where;
  EXPECT_EQ(a.SupportedLang, b.SupportedLang) << where;
  EXPECT_EQ(a.DeployMode, b.DeployMode) << where;
  EXPECT_EQ(a.AlphaPassword, b.AlphaPassword) << where;
  EXPECT_EQ(a.Flags, b.Flags) << where;
  ASSERT_EQ(a.NrOfDependencies, b.NrOfDependencies) << where;
  for (int i = 0; i < a.NrOfDependencies; i++) EXPECT_EQ(a.Dependencies[i], b.Dependencies[i]) << where;
  EXPECT_EQ(Text(a.RootDir), Text(b.RootDir)) << where;
  ASSERT_EQ(a.NrOfFiles, b.NrOfFiles) << where;
  EXPECT_EQ(a.Files == nullptr, b.Files == nullptr) << where;
  for (int i = 0; i < a.NrOfFiles; i++)
    ExpectSameFile(a.Files[i], b.Files[i], where + " file " + std::to_string(i));
}

// Every field but DBMagic and DBVersion, which only a load or a save sets.
inline void ExpectSamePackage(const tVPD &a, const tVPD &b) {
  EXPECT_EQ(a.TAPID, b.TAPID);
  EXPECT_EQ(Text(a.TAPName), Text(b.TAPName));
  EXPECT_EQ(Text(a.TAPAuthor), Text(b.TAPAuthor));
  EXPECT_EQ(Text(a.DE_Description), Text(b.DE_Description));
  EXPECT_EQ(Text(a.EN_Description), Text(b.EN_Description));
  EXPECT_EQ(a.Hosting, b.Hosting);
  EXPECT_EQ(a.Category, b.Category);
  EXPECT_EQ(Text(a.URL), Text(b.URL));
  EXPECT_EQ(Text(a.PasswdMD5), Text(b.PasswdMD5));
  EXPECT_EQ(a.PasswdReadonly, b.PasswdReadonly);
  EXPECT_EQ(Text(a.ScreenShotFile), Text(b.ScreenShotFile));
  ASSERT_EQ(a.ScreenShotSize, b.ScreenShotSize);
  ASSERT_EQ(a.Screenshot == nullptr, b.Screenshot == nullptr);
  if (a.Screenshot != nullptr) {
    EXPECT_EQ(0, memcmp(a.Screenshot, b.Screenshot, a.ScreenShotSize));
  }
  EXPECT_EQ(Text(a.Homepage), Text(b.Homepage));
  ASSERT_EQ(a.NrOfVersions, b.NrOfVersions);
  for (int i = 0; i < a.NrOfVersions; i++)
    ExpectSameVersion(a.Versions[i], b.Versions[i], "version " + std::to_string(i));
}

inline bool IsEmptyPackage(const tVPD &vpd) {
  tVPD zero;
  memset(&zero, 0, sizeof zero);
  return memcmp(&zero, &vpd, sizeof vpd) == 0;
}

}  // namespace datafiles
