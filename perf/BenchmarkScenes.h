// BenchmarkScenes.h - the scenes that the benchmarks and the instruction counts share: the
// 25-item menu list and a disk of TAP files with a package file of 8
// versions each (100 of them make the manager's 800-version cache).
#pragma once

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "Graphics.h"
#include "Kalib.h"
#include "Tools.h"

namespace benchmark_scene {

// 25 items: every sixth one unselectable, numbers, value column, a colour
// patch on every third; two button hints.  Nothing drawn yet.
inline void MenuList25(void) {
  OSDMenuInitialize(FALSE, TRUE, TRUE, TRUE, "Benchmark", "25 items");
  char text[32];
  for (int i = 0; i < 25; i++) {
    snprintf(text, sizeof text, "Entry %d", i + 1);
    int item = OSDMenuItemAdd(text, "value", nullptr, nullptr, i % 6 != 0, FALSE, 0);
    if (i % 3 == 1) OSDMenuItemSetColorPatch(item, 0xFF3060D0);
  }
  OSDMenuButtonAdd(0, &_Button_ok_Gd, "Select");
  OSDMenuButtonAdd(0, &_Button_exit_Gd, "Back");
}

const int kVersionsPerTap = 8;

// "<ID>.vpd" in the current folder: 8 versions, the third one with the CRC
// of the TAP on the disk.
inline void WritePackage(dword id, dword crc) {
  tVPD vpd{};
  vpd.TAPID = id;
  StringSet(&vpd.TAPName, "Benchmark TAP");
  vpd.NrOfVersions = kVersionsPerTap;
  vpd.Versions = static_cast<tVPDVersion *>(TAP_MemAlloc(kVersionsPerTap * sizeof(tVPDVersion)));
  memset(vpd.Versions, 0, kVersionsPerTap * sizeof(tVPDVersion));
  for (int v = 0; v < kVersionsPerTap; v++) {
    char text[16];
    snprintf(text, sizeof text, "1.%d", v);
    StringSet(&vpd.Versions[v].Version, text);
    vpd.Versions[v].TimeStamp = 1000 + v;
    vpd.Versions[v].DeployMode = v % 4 == 3 ? DM_Beta : DM_Final;
    vpd.Versions[v].NrOfFiles = 1;
    vpd.Versions[v].Files = static_cast<tVPDFiles *>(TAP_MemAlloc(sizeof(tVPDFiles)));
    memset(vpd.Versions[v].Files, 0, sizeof(tVPDFiles));
    StringSet(&vpd.Versions[v].Files[0].FileName, "T.tap");
    StringSet(&vpd.Versions[v].Files[0].DefaultPath, "/mnt/hd/ProgramFiles");
    vpd.Versions[v].Files[0].CRC32 = v == 2 ? crc : 0x1000 + v;
    vpd.Versions[v].Files[0].TAPID = id;
  }
  char name[16];
  snprintf(name, sizeof name, "%08X.vpd", id);
  VPDSave(&vpd, name);
  VPDFree(&vpd);
}

// taps copies of the template TAP (each with its own TAP ID) in
// diskDir/ProgramFiles and a package file for each in the current folder;
// false when the template cannot be used.
inline bool TapsWithPackages(const std::string &diskDir, const std::string &templateTap, int taps) {
  std::ifstream in(templateTap, std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const uint32_t templateId = 0xD47AF11E;
  size_t at = image.find(std::string(reinterpret_cast<const char *>(&templateId), 4));
  if (at == std::string::npos) return false;
  CallTraceInit();
  CallTraceEnable(FALSE);
  SettingsDefault();
  for (int i = 0; i < taps; i++) {
    uint32_t id = 0x20000 + i;
    std::string tap = image;
    tap.replace(at, 4, reinterpret_cast<const char *>(&id), 4);
    tap += std::to_string(i);
    std::ofstream(diskDir + "/ProgramFiles/T" + std::to_string(i) + ".tap", std::ios::binary) << tap;
    WritePackage(id, CRC32(CRC32_INITIAL, tap.data(), static_cast<dword>(tap.size())));
  }
  return true;
}

}  // namespace benchmark_scene
