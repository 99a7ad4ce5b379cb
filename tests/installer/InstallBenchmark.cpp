// InstallBenchmark.cpp - benchmark: one complete IT_Install in pvrsim (answered "No") against
// copying the same payload files with cp.  The installer's own work (its
// steps; also with pvrsim's loading of the TAP) is compared with the copy,
// goal at most 1.1 times: the ratio is printed, never enforced, as times
// drift on a shared machine.
// The manager's first start, which the install ends with, is shown on its
// own line with the bytes it reads; the program fails when that start reads
// more than the files on the disk (the inventory reads each file once).
//
// Environment: INSTALL_BENCHMARK_ROUNDS=N rounds instead of 7;
// INSTALL_BENCHMARK_TICKS=1 prints the ticks of the last install that took
// over 50 us (one step each); INSTALL_BENCHMARK_ONLY=1 leaves out cp, for a
// profiler.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

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

int roundsWanted() {
  const char *given = std::getenv("INSTALL_BENCHMARK_ROUNDS");
  int rounds = given ? std::atoi(given) : 7;
  return rounds > 0 ? rounds : 7;
}
const int kRounds = roundsWanted();
constexpr double kGoal = 1.1;

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Copies the payloads into a fresh folder with cp (run directly: system()
// belongs to the simulated box here); seconds.
double copyRound(const std::string &dir) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<std::string> args = {"cp"};
  for (const auto &p : payloads()) args.push_back(p.hostFile);
  args.push_back(dir + "/");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto t0 = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    execvp("cp", argv.data());
    _exit(127);
  }
  int status = -1;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "install_benchmark: cp into %s failed\n", dir.c_str());
    std::exit(2);
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

struct InstallTimes {
  double start;          // pvrsim loads the installer and runs its TAP_Main
  double steps;          // the idle events that carry out the task
  double managerStart;   // the tick in which the manager started (part of the steps)
  uint64_t managerRead;  // bytes read in that tick
  uint64_t diskBytes;    // bytes of all files on the disk after the install
};

// One IT_Install on a fresh disk, from the installer's start to its end.
// With showTicks, every tick that takes over 50 us is printed (to see which
// step costs what).
InstallTimes installRound(const std::string &root, bool showTicks) {
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
  const int *step = static_cast<const int *>(dlsym(sim.tapHandle(slot), "TaskIndex"));
  auto t1 = Clock::now();
  bool answered = false;
  double managerStart = 0;
  uint64_t managerRead = 0;
  for (int i = 0; i < 20000 && sim.isRunning(installer_test::kInstallerBoxPath); i++) {
    bool managerRan = sim.isRunning("/ProgramFiles/Vantero.tap");
    int stepNow = step ? *step : -1;
    uint64_t read = sim.hddBytesRead();
    auto before = Clock::now();
    sim.tick();
    double took = std::chrono::duration<double>(Clock::now() - before).count();
    if (!managerRan && sim.isRunning("/ProgramFiles/Vantero.tap")) {
      managerStart = took;
      managerRead = sim.hddBytesRead() - read;
    }
    if (showTicks && took > 50e-6)
      std::printf("  tick %u (step %d): %.2f ms\n", sim.now(), stepNow, took * 1000);
    if (!answered && question && *question) {
      sim.scheduleKey(sim.now() + 1, RKEY_Ok);
      answered = true;
    }
  }
  auto t2 = Clock::now();
  if (sim.isRunning(installer_test::kInstallerBoxPath) || !sim.isRunning("/ProgramFiles/Vantero.tap")) {
    std::fprintf(stderr, "install_benchmark: the install did not complete\n");
    std::exit(2);
  }
  uint64_t diskBytes = 0;
  for (const auto &entry : fs::recursive_directory_iterator(o.diskDir))
    if (entry.is_regular_file()) diskBytes += entry.file_size();
  return {std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count(),
          managerStart, managerRead, diskBytes};
}

}  // namespace

int main() {
  const bool showTicks = std::getenv("INSTALL_BENCHMARK_TICKS") != nullptr;
  const bool skipCopy = std::getenv("INSTALL_BENCHMARK_ONLY") != nullptr;
  std::string base = std::string(TEST_TMP_DIR) + "/install_benchmark";
  uint64_t bytes = 0;
  for (const auto &p : payloads()) bytes += fs::file_size(p.hostFile);
  std::vector<double> copies, installs, starts, steps, managerStarts;
  uint64_t managerRead = 0, diskBytes = 0;
  for (int r = 0; r < kRounds; r++) {
    if (!skipCopy) copies.push_back(copyRound(base + "/cp"));
    InstallTimes t = installRound(base + "/install", showTicks && r == kRounds - 1);
    starts.push_back(t.start);
    steps.push_back(t.steps - t.managerStart);
    installs.push_back(t.start + t.steps - t.managerStart);
    managerStarts.push_back(t.managerStart);
    managerRead = std::max(managerRead, t.managerRead);
    diskBytes = t.diskBytes;
  }
  std::printf("IT_Install in pvrsim:      median %.1f ms of %d rounds (without the manager's start)\n",
              median(installs) * 1000, kRounds);
  std::printf("  of which loading the TAP: median %.1f ms\n", median(starts) * 1000);
  std::printf("  of which its steps:       median %.1f ms\n", median(steps) * 1000);
  std::printf("manager's first start:     median %.1f ms, %llu bytes read (disk: %llu bytes)\n",
              median(managerStarts) * 1000, static_cast<unsigned long long>(managerRead),
              static_cast<unsigned long long>(diskBytes));
  if (!skipCopy) {
    double cp = median(copies), install = median(installs);
    std::printf("payload: %zu files, %llu bytes\n", payloads().size(),
                static_cast<unsigned long long>(bytes));
    std::printf("cp of the payloads:        median %.1f ms of %d rounds\n", cp * 1000, kRounds);
    std::printf("ratio steps / cp:          %.2f (goal %.2f, not enforced: times drift)\n",
                median(steps) / cp, kGoal);
    std::printf("ratio install / cp:        %.2f (with pvrsim's loading of the TAP)\n", install / cp);
  }
  fs::remove_all(base);
  if (managerRead > diskBytes) {
    std::printf("the manager's start read more than the files on the disk: a file is read twice\n");
    return 1;
  }
  return 0;
}
