// Benchmark: one complete IT_Install in pvrsim (answered "No") against
// copying the same payload files with cp.  Prints both medians and fails
// when the install takes more than 1.5 times as long as the copy.
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "InstallerScenario.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using installer_test::payloads;

namespace {

constexpr int kRounds = 7;
constexpr double kLimit = 1.5;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string quoted(const std::string &s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Copies the payloads into a fresh folder, as cp does it; seconds.
double copyRound(const std::string &dir) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string cmd = "cp";
  for (const auto &p : payloads()) cmd += " " + quoted(p.hostFile);
  cmd += " " + quoted(dir) + "/";
  auto t0 = Clock::now();
  if (std::system(cmd.c_str()) != 0) {
    std::fprintf(stderr, "install_benchmark: '%s' failed\n", cmd.c_str());
    std::exit(2);
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// One IT_Install on a fresh disk, from the installer's start to its end;
// seconds.
double installRound(const std::string &root) {
  fs::remove_all(root);
  fs::create_directories(root + "/disk/ProgramFiles");
  pvrsim::Options o;
  o.diskDir = root + "/disk";
  o.runDir = root + "/run";
  pvrsim::Sim sim(o);
  if (!sim.copyToDisk(TAP_Vantero_Setup, installer_test::kInstallerBoxPath)) {
    std::fprintf(stderr, "install_benchmark: %s\n", sim.lastError().c_str());
    std::exit(2);
  }
  auto t0 = Clock::now();
  if (sim.startTap(installer_test::kInstallerBoxPath, installer_test::kInstall) < 0) {
    std::fprintf(stderr, "install_benchmark: cannot start the installer: %s\n", sim.lastError().c_str());
    std::exit(2);
  }
  int slot = sim.slotOf(installer_test::kInstallerBoxPath);
  const word *question = static_cast<const word *>(dlsym(sim.tapHandle(slot), "MessageBoxOSDRgn"));
  bool answered = false;
  for (int i = 0; i < 20000 && sim.isRunning(installer_test::kInstallerBoxPath); i++) {
    sim.tick();
    if (!answered && question && *question) {
      sim.scheduleKey(sim.now() + 1, RKEY_Ok);
      answered = true;
    }
  }
  double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
  if (sim.isRunning(installer_test::kInstallerBoxPath) || !sim.isRunning("/ProgramFiles/Vantero.tap")) {
    std::fprintf(stderr, "install_benchmark: the install did not complete\n");
    std::exit(2);
  }
  return seconds;
}

}  // namespace

int main() {
  std::string base = std::string(TEST_TMP_DIR) + "/install_benchmark";
  uint64_t bytes = 0;
  for (const auto &p : payloads()) bytes += fs::file_size(p.hostFile);
  std::vector<double> copies, installs;
  for (int r = 0; r < kRounds; r++) {
    copies.push_back(copyRound(base + "/cp"));
    installs.push_back(installRound(base + "/install"));
  }
  double cp = median(copies), install = median(installs);
  std::printf("payload: %zu files, %llu bytes\n", payloads().size(), static_cast<unsigned long long>(bytes));
  std::printf("cp of the payloads:        median %.1f ms of %d rounds\n", cp * 1000, kRounds);
  std::printf("IT_Install in pvrsim:      median %.1f ms of %d rounds\n", install * 1000, kRounds);
  std::printf("ratio install / cp:        %.2f (limit %.2f)\n", install / cp, kLimit);
  fs::remove_all(base);
  return install <= kLimit * cp ? 0 : 1;
}
