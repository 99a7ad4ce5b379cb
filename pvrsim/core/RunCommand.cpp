// RunCommand.cpp - the pvrsim program's run: set up the disk, start the TAP, run the ticks,
// print a summary.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "osd/Osd.h"

namespace fs = std::filesystem;

namespace pvrsim {

namespace {

// The TAP-notation path of the TAP to start: a file already on the disk, or
// a host file copied into /ProgramFiles.  Empty on failure (error set).
std::string placeTapFile(Sim &sim, const std::string &given, std::string &error) {
  std::error_code ec;
  if (!given.empty() && given[0] == '/') {
    std::string onDisk = sim.hostPath(given);
    if (!onDisk.empty() && fs::is_regular_file(onDisk, ec)) return given;
  }
  if (fs::is_regular_file(given, ec)) {
    std::string boxPath = "/ProgramFiles/" + fs::path(given).filename().string();
    if (sim.copyToDisk(given, boxPath)) return boxPath;
    error = sim.lastError();
    return "";
  }
  error = given + ": no such file on the disk (" + sim.options().diskDir + ") or on the host";
  return "";
}

// A start parameter reaches the TAP as on the box: pvrsim's launcher TAP
// reads the request file, starts the TAP through the library's
// HDD_TAP_Start (the shared-memory hand-over) and ends.  The request file and
// the launcher's copy are taken off the disk again afterwards.
bool startWithLauncher(Sim &sim, const std::string &tapPath, dword param, std::string &error) {
  const std::string launcher = "/ProgramFiles/Launcher.tap", request = "/ProgramFiles/Launcher.txt";
  std::error_code ec;
  if (sim.isRunning(launcher) || fs::exists(sim.hostPath(request), ec)) {
    error = std::string(request) + " or " + launcher + " is in use on the disk";
    return false;
  }
  {
    std::ofstream out(sim.hostPath(request), std::ios::binary);
    out << tapPath << "\n" << param << "\n";
    if (!out) {
      error = "cannot write " + request;
      return false;
    }
  }
  bool started = false;
  if (!sim.copyToDisk(PVRSIM_LAUNCHER_TAP, launcher) ||
      (sim.startTap(launcher) < 0 && !sim.lastError().empty())) {
    error = sim.lastError();
  } else {
    started = true;  // the TAP itself may have ended in its TAP_Main
  }
  fs::remove(sim.hostPath(request), ec);
  if (!sim.isRunning(launcher)) fs::remove(sim.hostPath(launcher), ec);
  return started;
}

// The disk and run folders exist afterwards, or error says which cannot be
// a folder: a run must not start on a file it would silently not use.
bool makeFolder(const char *option, const std::string &dir, std::string &error) {
  std::error_code ec;
  if (fs::is_directory(dir, ec)) return true;
  if (fs::exists(dir, ec)) {
    error = std::string(option) + ": \"" + dir + "\" is not a folder";
    return false;
  }
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir, ec)) {
    error = std::string(option) + ": \"" + dir + "\" cannot be created";
    return false;
  }
  return true;
}

void printSummary(const Sim &sim, dword ticks) {
  std::printf("pvrsim: ran %u ticks (%u.%02u s of box time)\n", static_cast<unsigned>(ticks),
              static_cast<unsigned>(ticks / 100), static_cast<unsigned>(ticks % 100));
  std::string running;
  for (int slot = 0; slot < TAP_MAX_TASKS; ++slot)
    if (sim.isRunning(slot)) running += "\n  slot " + std::to_string(slot) + ": " + sim.tapFile(slot);
  std::printf("pvrsim: TAPs still running: %d%s\n", sim.taskCount(), running.c_str());
  if (!sim.returnedKeys().empty())
    std::printf("pvrsim: keys returned to the firmware: %zu\n", sim.returnedKeys().size());
  // What TAPs left behind: memory they did not free, regions they did not delete.
  if (sim.options().failAllocation)
    std::printf("pvrsim: allocations for TAPs: %llu, made to fail: %llu\n",
                static_cast<unsigned long long>(sim.allocations()),
                static_cast<unsigned long long>(sim.failedAllocations()));
  if (sim.blocksTakenBack() > 0)
    std::printf("pvrsim: memory blocks still held by TAPs when they ended: %zu\n", sim.blocksTakenBack());
  if (osd::regionCount() > 0) std::printf("pvrsim: OSD regions still open: %d\n", osd::regionCount());
  std::printf("pvrsim: disk: %s\n", sim.options().diskDir.c_str());
  std::printf("pvrsim: console capture: %s/console.raw\n", sim.options().runDir.c_str());
}

// Runs the ticks the command line asks for, or fewer when the front end
// asks to stop; returns why the run ended, with the box's tick.
std::string runTicks(Sim &sim, const CommandLine &commandLine, const RunHooks &hooks) {
  auto stop = [&] { return hooks.stopRequested && hooks.stopRequested(); };
  auto atTick = [&] { return " at tick " + std::to_string(sim.now()); };
  const dword limit = commandLine.ticks ? *commandLine.ticks : commandLine.maxTicks;
  for (dword ran = 0; ran < limit && (commandLine.ticks || sim.tapCount() > 0); ++ran) {
    if (stop()) return "stopped" + atTick();
    sim.tick();
  }
  if (commandLine.ticks) return "ran the " + std::to_string(limit) + " ticks asked for, ended" + atTick();
  if (sim.tapCount() == 0) return "no TAP left" + atTick();
  std::printf("pvrsim: stopped at the safety limit of %u ticks\n", static_cast<unsigned>(limit));
  return "stopped at the safety limit of " + std::to_string(limit) + " ticks" + atTick();
}

}  // namespace

int runCommandLine(const CommandLine &commandLine, const RunHooks &hooks) {
  std::string error;
  if (!makeFolder("--disk", commandLine.options.diskDir, error) ||
      !makeFolder("--run", commandLine.options.runDir, error)) {
    std::fprintf(stderr, "pvrsim: %s\n", error.c_str());
    return 2;
  }
  Sim sim(commandLine.options);
  if (hooks.started) hooks.started(sim);
  auto fail = [&](const std::string &message) {
    std::fprintf(stderr, "pvrsim: %s\n", message.c_str());
    if (hooks.finished) hooks.finished(sim, message);
    return 1;
  };
  for (const auto &copy : commandLine.copies)
    if (!sim.copyToDisk(copy.first, copy.second)) return fail(sim.lastError());
  std::string tapPath = placeTapFile(sim, commandLine.tapFile, error);
  if (tapPath.empty()) return fail(error);
  for (const ScheduledKey &key : commandLine.keys) sim.scheduleKey(key.tick, key.code);
  // The box starts its AutoStart TAPs before anything else; the TAP named on
  // the command line is started once, by the command line (with its parameter).
  std::vector<std::string> skipped;
  sim.bootAutoStart(tapPath, &skipped);
  for (const std::string &failure : skipped)
    std::fprintf(stderr, "pvrsim: AutoStart TAP skipped, it cannot be started: %s\n", failure.c_str());

  const dword startTick = sim.now();
  if (commandLine.param) {
    if (!startWithLauncher(sim, tapPath, *commandLine.param, error))
      return fail("the TAP cannot be started: " + error);
  } else if (sim.startTap(tapPath) < 0 && !sim.lastError().empty()) {
    return fail("the TAP cannot be started: " + sim.lastError());
  }
  const std::string why = runTicks(sim, commandLine, hooks);
  printSummary(sim, sim.now() - startTick);
  if (hooks.finished) hooks.finished(sim, why);
  return 0;
}

}  // namespace pvrsim
