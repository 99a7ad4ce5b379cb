// WriteBenchmark.cpp - benchmark: all payloads written onto an empty simulated disk through the
// installer's writers, against copying the same files with cp.  One run of
// each; prints both times and their ratio.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Setup.h"
#include "core/Sim.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char *const kFonts[] = {"Arial_12B",  "Arial_14",   "Calibri_10", "Calibri_12",  "Calibri_14",
                              "Calibri_16", "Calibri_18", "Calibri_20", "Calibri_20B", "Courier_New_13"};

std::string payload(const std::string &name) { return std::string(PAYLOAD_DIR) + "/" + name; }

double seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs cp with the arguments (fork and exec: system() belongs to the box
// shell in this program).
void runCp(const std::vector<std::string> &arguments) {
  std::vector<char *> argv{const_cast<char *>("cp")};
  for (const std::string &a : arguments) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    execvp("cp", argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "payload_write_benchmark: cp into %s failed\n", arguments.back().c_str());
    std::exit(1);
  }
}

// The same files into the same folders with one cp per folder, as a shell
// script would install them.
double copyWithCp(const std::string &root) {
  for (const char *dir :
       {"/ProgramFiles/Settings/Fonts", "/ProgramFiles/Settings/Vantero", "/ProgramFiles/AutoStart"})
    fs::create_directories(root + dir);
  std::vector<std::string> fonts;
  for (const char *font : kFonts) fonts.push_back(payload(std::string(font) + ".ufnt"));
  fonts.push_back(root + "/ProgramFiles/Settings/Fonts/");
  const std::vector<std::vector<std::string>> copies = {
      fonts,
      {payload("Vantero.lng"), root + "/ProgramFiles/Settings/Vantero/"},
      {payload("wget"), payload("busybox"), root + "/ProgramFiles/"},
      {payload("Vantero.tap"), root + "/ProgramFiles/AutoStart/"},
  };
  Clock::time_point start = Clock::now();
  for (const auto &arguments : copies) runCp(arguments);
  return seconds(start);
}

double writeWithWriters(const std::string &root) {
  fs::create_directories(root + "/ProgramFiles/Settings/Vantero");
  fs::create_directories(root + "/ProgramFiles/AutoStart");
  pvrsim::Options options;
  options.diskDir = root;
  options.runDir = root + ".run";
  pvrsim::Sim sim(options);
  if (sim.adoptCaller("/ProgramFiles") < 0) {
    std::fprintf(stderr, "payload_write_benchmark: %s\n", sim.lastError().c_str());
    std::exit(1);
  }
  Clock::time_point start = Clock::now();
  InstallFonts();
  InstallLanguage();
  InstallWget();
  InstallBusybox();
  InstallVantero("/ProgramFiles/AutoStart", "Vantero.tap");
  return seconds(start);
}

uintmax_t treeBytes(const std::string &root) {
  uintmax_t total = 0;
  for (const auto &entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) total += entry.file_size();
  return total;
}

}  // namespace

int main() {
  const std::string base = std::string(TEST_TMP_DIR) + "/write_benchmark";
  fs::remove_all(base);
  const double writers = writeWithWriters(base + "/writers");
  const double cp = copyWithCp(base + "/cp");
  const uintmax_t written = treeBytes(base + "/writers"), copied = treeBytes(base + "/cp");
  if (written != copied) {
    std::fprintf(stderr, "payload_write_benchmark: writers wrote %ju bytes, cp %ju\n", written, copied);
    return 1;
  }
  std::printf("payloads: %ju bytes in 14 files\n", written);
  std::printf("writers: %.1f ms, cp: %.1f ms, ratio writers/cp: %.2f\n", writers * 1e3, cp * 1e3,
              writers / cp);
  fs::remove_all(base);
  return 0;
}
