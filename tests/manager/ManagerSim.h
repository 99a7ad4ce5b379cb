// ManagerSim.h - the manager tests' pvrsim run (the data-file tests' set-up:
// the test program as a TAP, the settings folder, the log, template TAPs
// with any ID), package files, master-list entries and alpha passwords
// made for a test, and the two packages of the prepared disk as vdtool JSON.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "DataFilesSim.h"

namespace manager_test {

using datafiles::SettingsDir;

const uint32_t AlphaId = 0xA1000001, BetaId = 0xB2000002, GammaId = 0xC3000003;
const uint64_t AlphaPassword = 4711;

// One version of a package as vdtool JSON, with one TAP file of the given CRC.
inline std::string VersionJson(const char *version, const char *time, const char *mode, uint32_t crc,
                               const char *tapId, const char *folder, const std::string &extra = "") {
  char json[512];
  snprintf(json, sizeof json,
           R"({"Version": "%s", "TimeStamp": "%s", "DeployMode": "%s", %s "Files": [{"FileName": "X.tap",)"
           R"( "DefaultPath": "/mnt/hd/ProgramFiles%s", "CRC32": %u, "TAPID": "%s"}]})",
           version, time, mode, extra.c_str(), folder, crc, tapId);
  return json;
}

// "Alpha Tool": 1.0 installed (its CRC given), 1.1 newer, 1.2 an alpha version.
inline std::string AlphaPackage(uint32_t installedCrc) {
  const char *id = "0xA1000001", *folder = "/AutoStart";
  std::string notes =
      "Faster start.\\nThe list keeps its place when a recording starts, and the timer page shows the "
      "channel logo next to every entry of the week.\\nFixed: a crash after a channel change.";
  return std::string(R"({"TAPID": "0xA1000001", "TAPName": "Alpha Tool", "TAPAuthor": "Vantero Tests",)") +
         R"( "Category": 3, "Versions": [)" +
         VersionJson("1.0", "2015-03-01 10:00:00", "DM_Final", installedCrc, id, folder,
                     R"("ReleaseNotes": "First release.",)") +
         ", " +
         VersionJson("1.1", "2015-09-01 10:00:00", "DM_Final", 287454020, id, folder,
                     R"("ReleaseNotes": ")" + notes + "\",") +
         ", " +
         VersionJson(
             "1.2", "2015-12-01 10:00:00", "DM_Alpha", 305419896, id, folder,
             R"("ReleaseNotes": "Test build.", "AlphaPassword": )" + std::to_string(AlphaPassword) + ",") +
         "]}";
}

// "Beta Recorder": 2.0, and 2.1 installed (its CRC given) but revoked.
inline std::string BetaPackage(uint32_t installedCrc) {
  const char *id = "0xB2000002";
  return std::string(R"({"TAPID": "0xB2000002", "TAPName": "Beta Recorder", "TAPAuthor": "Vantero Tests",)") +
         R"( "Category": 5, "Versions": [)" +
         VersionJson("2.0", "2015-01-10 08:00:00", "DM_Final", 19088743, id, "") + ", " +
         VersionJson("2.1", "2015-02-10 08:00:00", "DM_Revoke", installedCrc, id, "") + "]}";
}

struct Version {
  const char *text;
  dword timeStamp;
  tDeployMode mode;
  uint64_t password = 0;
  dword crc = 0;        // CRC32 of the version's one file; 0: no file
  dword fileFlags = 0;  // bit 1 settings file, bit 4 not for AutoStart
  dword fileTapId = 0;  // TAPID of the file; 0: the package's own
};

class ManagerSim : public datafiles::DataFilesSim {
 protected:
  // Writes "<id>.vpd" with the versions in the order given.
  void package(uint32_t id, const std::vector<Version> &versions, int screenShotSize = 0) {
    tVPD vpd{};
    vpd.TAPID = id;
    StringSet(&vpd.TAPName, "Package");
    vpd.Category = 9;
    vpd.ScreenShotSize = screenShotSize;
    if (screenShotSize > 0) vpd.Screenshot = static_cast<byte *>(TAP_MemAlloc(screenShotSize));
    vpd.NrOfVersions = static_cast<int>(versions.size());
    vpd.Versions = static_cast<tVPDVersion *>(TAP_MemAlloc(versions.size() * sizeof(tVPDVersion)));
    memset(vpd.Versions, 0, versions.size() * sizeof(tVPDVersion));
    for (size_t i = 0; i < versions.size(); i++) {
      const Version &in = versions[i];
      tVPDVersion &v = vpd.Versions[i];
      StringSet(&v.Version, in.text);
      v.TimeStamp = in.timeStamp;
      v.DeployMode = in.mode;
      v.AlphaPassword = in.password;
      if (in.crc == 0) continue;
      v.NrOfFiles = 1;
      v.Files = static_cast<tVPDFiles *>(TAP_MemAlloc(sizeof(tVPDFiles)));
      memset(v.Files, 0, sizeof(tVPDFiles));
      StringSet(&v.Files[0].FileName, "X.tap");
      StringSet(&v.Files[0].DefaultPath, "/mnt/hd/ProgramFiles");
      v.Files[0].CRC32 = in.crc;
      v.Files[0].TAPID = in.fileTapId != 0 ? in.fileTapId : id;
      v.Files[0].Flags = in.fileFlags;
    }
    char name[16];
    snprintf(name, sizeof name, "%08X.vpd", id);
    ASSERT_TRUE(VPDSave(&vpd, name));
    VPDFree(&vpd);
  }
  // Appends a master-list entry.
  tMasterList &master(uint32_t id, const char *name, dword ackTime = 0) {
    int n = Settings.NrOfMasterListEntries;
    auto *list = static_cast<tMasterList *>(TAP_MemAlloc((n + 1) * sizeof(tMasterList)));
    if (n > 0) memcpy(list, Settings.MasterList, n * sizeof(tMasterList));
    memset(&list[n], 0, sizeof(tMasterList));
    TAP_MemFree(Settings.MasterList);
    Settings.MasterList = list;
    Settings.NrOfMasterListEntries = n + 1;
    list[n].TAPID = id;
    StringSet(&list[n].Name, name);
    list[n].AckTime = ackTime;
    return list[n];
  }
  void passwords(std::vector<uint64_t> codes) {
    TAP_MemFree(Settings.AlphaPasswords);
    Settings.AlphaPasswords =
        static_cast<int64 *>(TAP_MemAlloc(std::max<size_t>(1, codes.size()) * sizeof(int64)));
    std::copy(codes.begin(), codes.end(), Settings.AlphaPasswords);
    Settings.NrOfAlphaPasswords = static_cast<int>(codes.size());
  }
  // An installed TAP file of this ID; returns its CRC.
  dword installed(uint32_t id, const std::string &folder = "/ProgramFiles") {
    std::string path = folder + "/" + std::to_string(id) + ".tap";
    putTap(path, id, std::to_string(id));
    return crcOf(path);
  }
  // CRC-32/MPEG-2 of a file on the disk, as the inventory computes it.
  uint32_t crcOf(const std::string &boxPath) {
    std::string bytes = readFile(boxPath);
    return CRC32(CRC32_INITIAL, bytes.data(), static_cast<dword>(bytes.size()));
  }
};

// The manager's data in-process: default settings to start from; the cache
// and the inventory forgotten afterwards, so that no test sees another's.
class ManagerData : public ManagerSim {
 protected:
  void SetUp() override {
    ManagerSim::SetUp();
    SettingsDefault();
  }
  void TearDown() override {
    TAPCacheFree();
    if (TAPsOnBoard != nullptr) memset(TAPsOnBoard, 0, TOB_MAX_ENTRIES * sizeof(tTAPsOnBoard));
    TAPsOnBoardCount = 0;
    ManagerSim::TearDown();
  }
};

}  // namespace manager_test
