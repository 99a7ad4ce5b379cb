// InstallBenchmark.cpp - installing a version of one 5 MB file from a local repository (the test
// server on 127.0.0.1) through the manager in pvrsim - wget in the box shell, the staging folder,
// the size and CRC check, the journal's swap, the inventory and cache rebuilt - beside the host's
// own wget and cp of the same file.  Prints both wall-clock times and their ratio (goal: at most
// 1.5); a program run on demand, CI does not time it.
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "Manager.h"
#include "core/Sim.h"
#include "serve/RepoServer.h"

TAP_ID(0x7E57F016);

namespace fs = std::filesystem;

namespace {

const dword kTapId = 0x7E570B16;
const size_t kBytes = 5u << 20;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The package description of one version with the one file "Big/Big.dat".
bool WritePackage(const std::string &bytes) {
  tVPD vpd{};
  vpd.TAPID = kTapId;
  StringSet(&vpd.TAPName, "Big");
  vpd.NrOfVersions = 1;
  vpd.Versions = static_cast<tVPDVersion *>(TAP_MemAlloc(sizeof(tVPDVersion)));
  memset(vpd.Versions, 0, sizeof(tVPDVersion));
  tVPDVersion &v = vpd.Versions[0];
  StringSet(&v.Version, "1.0");
  v.DeployMode = DM_Final;
  StringSet(&v.RootDir, "Big");
  v.NrOfFiles = 1;
  v.Files = static_cast<tVPDFiles *>(TAP_MemAlloc(sizeof(tVPDFiles)));
  memset(v.Files, 0, sizeof(tVPDFiles));
  StringSet(&v.Files[0].FileName, "Big.dat");
  StringSet(&v.Files[0].DefaultPath, "/mnt/hd/ProgramFiles/Big");
  v.Files[0].Size = static_cast<int>(bytes.size());
  v.Files[0].CRC32 = CRC32(CRC32_INITIAL, bytes.data(), static_cast<dword>(bytes.size()));
  char name[VPD_STD_NAME_SIZE];
  VPDStdFileName(kTapId, name);
  bool saved = VPDSave(&vpd, name);
  VPDFree(&vpd);
  return saved;
}

// One install through the manager; its wall-clock seconds, negative when it failed.
double ManagerInstall(const std::string &root, const std::string &url, const std::string &bytes) {
  fs::remove_all(root + "/box");
  pvrsim::Options options;
  options.diskDir = root + "/box/disk";
  options.runDir = root + "/box/run";
  options.netBytesPerTick = 1u << 20;  // a fast network: the install's own work is measured
  fs::create_directories(options.diskDir + VANTERO_SETTINGS_DIR);
  std::ofstream(options.diskDir + VANTERO_SETTINGS_DIR "/Repository.ini") << "URL=" << url << "/\r\n";
  std::ofstream(options.diskDir + "/ProgramFiles/wget") << "the box's wget";
  pvrsim::Sim sim(options);
  if (sim.adoptCaller("/ProgramFiles") < 0 || !WritePackage(bytes)) return -1;
  SettingsDefault();
  ManagerAddPackages();
  ManagerRefreshCache();
  auto start = std::chrono::steady_clock::now();
  if (!ManagerInstallStart(ManagerNewestVisibleEntry(kTapId), FALSE)) return -1;
  for (int i = 0; i < 100000 && ManagerInstallBusy(); i++) {
    sim.runTicks(1);
    ManagerInstallIdle();
  }
  double seconds = Seconds(start);
  bool good = Install.State == IS_Done &&
              fs::file_size(options.diskDir + "/ProgramFiles/Big/Big.dat") == bytes.size();
  if (!good) std::fprintf(stderr, "install failed: %s\n", Install.Message);
  TAPCacheFree();
  SettingsFree();
  return good ? seconds : -1;
}

double HostWgetAndCopy(const std::string &root, const std::string &url) {
  fs::create_directories(root + "/host/dest");
  std::string command = "wget -q --no-proxy -O '" + root + "/host/Big.dat' '" + url +
                        "/Big/Big.dat' && cp '" + root + "/host/Big.dat' '" + root + "/host/dest/Big.dat'";
  // Through /bin/sh itself: system() of this program is the box shell's (the box libc is wrapped).
  const char *argv[] = {"sh", "-c", command.c_str(), nullptr};
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ) != 0 ||
      waitpid(pid, &status, 0) != pid)
    return -1;
  return status == 0 ? Seconds(start) : -1;
}

}  // namespace

int main() {
  std::string root = std::string(TEST_TMP_DIR) + "/install_benchmark";
  fs::remove_all(root);
  std::string bytes(kBytes, '\0');
  std::mt19937 random(5);
  for (char &c : bytes) c = static_cast<char>(random());
  fs::create_directories(root + "/repo/Big");
  std::ofstream(root + "/repo/Big/Big.dat", std::ios::binary) << bytes;
  pvrsim::serve::RepoServer server(root + "/repo", 100, 300);
  double host = 1e9, manager = 1e9;
  for (int round = 0; round < 3; round++) {  // the best of three of each
    double h = HostWgetAndCopy(root, server.url()), m = ManagerInstall(root, server.url(), bytes);
    if (h < 0 || m < 0) {
      std::fprintf(stderr, "a run failed (host %.3f s, manager %.3f s)\n", h, m);
      return 1;
    }
    host = std::min(host, h);
    manager = std::min(manager, m);
  }
  std::printf(
      "install of a 5 MB version: manager in pvrsim %.3f s, host wget + cp %.3f s, ratio %.2f (goal <= "
      "1.5)\n",
      manager, host, manager / host);
  fs::remove_all(root);
  return 0;
}
