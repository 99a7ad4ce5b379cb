// ManagerSim.h - the manager tests' pvrsim run (the data-file tests' set-up:
// the test program as a TAP, the settings folder, the log, template TAPs
// with any ID) and the two packages of the prepared disk as vdtool JSON.
#pragma once

#include <string>

#include "DataFilesSim.h"

namespace manager_test {

using datafiles::SettingsDir;

const uint32_t AlphaId = 0xA1000001, BetaId = 0xB2000002, GammaId = 0xC3000003;
const uint64_t AlphaPassword = 4711;

// "Alpha Tool": 1.0 installed (its CRC given), 1.1 newer, 1.2 an alpha version.
inline std::string AlphaPackage(uint32_t installedCrc) {
  char json[2048];
  snprintf(json, sizeof json, R"({"TAPID": "0xA1000001", "TAPName": "Alpha Tool", "TAPAuthor": "Vantero Tests",
    "Category": 3, "Versions": [
    {"Version": "1.0", "TimeStamp": "2015-03-01 10:00:00", "DeployMode": "DM_Final", "ReleaseNotes": "First release.",
     "Files": [{"FileName": "Alpha.tap", "DefaultPath": "/mnt/hd/ProgramFiles/AutoStart", "CRC32": %u, "TAPID": "0xA1000001"}]},
    {"Version": "1.1", "TimeStamp": "2015-09-01 10:00:00", "DeployMode": "DM_Final",
     "ReleaseNotes": "Faster start.\nThe list keeps its place when a recording starts, and the timer page shows the channel logo next to every entry of the week.\nFixed: a crash after a channel change.",
     "Files": [{"FileName": "Alpha.tap", "DefaultPath": "/mnt/hd/ProgramFiles/AutoStart", "CRC32": 287454020, "TAPID": "0xA1000001"}]},
    {"Version": "1.2", "TimeStamp": "2015-12-01 10:00:00", "DeployMode": "DM_Alpha", "AlphaPassword": %llu,
     "ReleaseNotes": "Test build.",
     "Files": [{"FileName": "Alpha.tap", "DefaultPath": "/mnt/hd/ProgramFiles/AutoStart", "CRC32": 305419896, "TAPID": "0xA1000001"}]}]})",
           installedCrc, static_cast<unsigned long long>(AlphaPassword));
  return json;
}

// "Beta Recorder": 2.0, and 2.1 installed (its CRC given) but revoked.
inline std::string BetaPackage(uint32_t installedCrc) {
  char json[1024];
  snprintf(json, sizeof json, R"({"TAPID": "0xB2000002", "TAPName": "Beta Recorder", "TAPAuthor": "Vantero Tests",
    "Category": 5, "Versions": [
    {"Version": "2.0", "TimeStamp": "2015-01-10 08:00:00", "DeployMode": "DM_Final",
     "Files": [{"FileName": "Beta.tap", "DefaultPath": "/mnt/hd/ProgramFiles", "CRC32": 19088743, "TAPID": "0xB2000002"}]},
    {"Version": "2.1", "TimeStamp": "2015-02-10 08:00:00", "DeployMode": "DM_Revoke",
     "Files": [{"FileName": "Beta.tap", "DefaultPath": "/mnt/hd/ProgramFiles", "CRC32": %u, "TAPID": "0xB2000002"}]}]})",
           installedCrc);
  return json;
}

class ManagerSim : public datafiles::DataFilesSim {
 protected:
  // CRC-32/MPEG-2 of a file on the disk, as the inventory computes it.
  uint32_t crcOf(const std::string &boxPath) {
    std::string bytes = readFile(boxPath);
    return CRC32(CRC32_INITIAL, bytes.data(), static_cast<dword>(bytes.size()));
  }
};

}  // namespace manager_test
