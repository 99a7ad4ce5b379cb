// PerfOps.cpp - one operation of the system, run once between two marker calls, so that an
// instruction counter outside the program (callgrind on the PC, qemu's
// execution log for the MIPS build; see PerfTable.cpp) counts what the
// operation executes and nothing of its set-up.  Prints the OSD bytes the
// operation wrote.  The menu updates leave out the OSD sync: it is the
// firmware's work, the same for every update, and in pvrsim a copy of the
// whole screen.
//
//     perf_ops OPERATION FILES_DIR TEMPLATE_TAP [INSTALLER_TAP]
//
// FILES_DIR holds the fonts (the payload build's files), TEMPLATE_TAP is the
// data-file test TAP that the manager's disk is filled with, INSTALLER_TAP
// the installer that the install operation runs (without it that operation
// cannot run).
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BenchmarkScenes.h"
#include "Kalib.h"
#include "Manager.h"
#include "core/Sim.h"
#include "osd/Osd.h"

TAP_ID(0x7E57F016);

namespace fs = std::filesystem;

// The counters look for these two functions by name: counting starts when
// PerfBegin is entered and ends when PerfEnd is.
extern "C" __attribute__((noinline)) void PerfBegin(void) { __asm__ volatile(""); }
extern "C" __attribute__((noinline)) void PerfEnd(void) { __asm__ volatile(""); }
// callgrind counts everything inside PerfRun.
extern "C" __attribute__((noinline)) void PerfRun(void (*operation)(void)) {
  PerfBegin();
  operation();
  PerfEnd();
}

namespace {

std::string filesDir, templateTap, installerTap, root;
const char kLine[] = "Vantero Setup installs the update manager and its fonts now.";  // 60 characters
const int kTapCount = 100;

std::unique_ptr<pvrsim::Sim> StartSim() {
  fs::remove_all(root);
  pvrsim::Options options;
  options.diskDir = root + "/disk";
  options.runDir = root + "/run";
  fs::create_directories(options.diskDir + "/ProgramFiles/Settings/Vantero");
  fs::create_directories(options.diskDir + "/ProgramFiles/Settings/Fonts");
  auto sim = std::make_unique<pvrsim::Sim>(options);
  for (const char *size : {"10", "12", "14", "16", "18", "20", "20B"})
    fs::copy_file(filesDir + "/Calibri_" + size + ".ufnt",
                  options.diskDir + "/ProgramFiles/Settings/Fonts/Calibri_" + size + ".ufnt");
  if (sim->adoptCaller("/ProgramFiles") < 0) return nullptr;
  return sim;
}

void BuildList(void) {
  benchmark_scene::MenuList25();
  OSDMenuSetCurrentItem(2);
  OSDMenuUpdate(FALSE);
}

// 100 TAP files on the disk and a package file of 8 versions for each.
bool FillManagerDisk(pvrsim::Sim &sim) {
  return benchmark_scene::TapsWithPackages(sim.options().diskDir, templateTap, kTapCount);
}

// The installer run by the install operation: its task IT_Install, the step
// that starts the manager (whose first start is not the installer's work)
// and what the operation watches of it.
const char kInstallerPath[] = "/ProgramFiles/Vantero_Setup.tap";
const dword kTaskInstall = 0;
const int kLaunchStep = 8;
pvrsim::Sim *installSim = nullptr;
bool operationFailed = false;  // the operation did not do all of its work
const int *installerStep = nullptr;
const word *installerQuestion = nullptr;

// Starts the installer on a disk without fonts or settings, as on a box
// that never had the manager; its start-up is not counted.
bool StartInstaller(pvrsim::Sim &sim) {
  if (installerTap.empty()) return false;
  fs::remove_all(sim.options().diskDir + "/ProgramFiles/Settings");
  if (!sim.copyToDisk(installerTap, kInstallerPath) || sim.startTap(kInstallerPath, kTaskInstall) < 0)
    return false;
  void *handle = sim.tapHandle(sim.slotOf(kInstallerPath));
  installerStep = static_cast<const int *>(dlsym(handle, "TaskIndex"));
  installerQuestion = static_cast<const word *>(dlsym(handle, "MessageBoxOSDRgn"));
  installSim = &sim;
  return installerStep != nullptr && installerQuestion != nullptr;
}

// Ticks until the installer reaches the step that starts the manager; the
// question of the install (start from AutoStart?) is answered with OK.
void RunInstallerSteps(void) {
  bool answered = false;
  for (int i = 0; i < 1000 && *installerStep < kLaunchStep && installSim->isRunning(kInstallerPath); i++) {
    installSim->tick();
    if (!answered && *installerQuestion != 0) {
      installSim->scheduleKey(installSim->now() + 1, RKEY_Ok);
      answered = true;
    }
  }
  operationFailed = *installerStep != kLaunchStep;
}

tUCFont textFont;
word textRgn;
std::vector<byte> megabyte;
dword crcResult;

struct Operation {
  const char *name;
  const char *what;
  bool (*setUp)(pvrsim::Sim &sim);  // false: cannot run
  void (*run)(void);
};

const Operation kOperations[] = {
    {"menu_move", "menu list: one cursor move (10 rows)",
     [](pvrsim::Sim &) {
       BuildList();
       return true;
     },
     [] {
       OSDMenuScrollDown();
       OSDMenuUpdate(TRUE);
     }},
    {"menu_full", "menu list: full OSDMenuUpdate (10 rows)",
     [](pvrsim::Sim &) {
       BuildList();
       return true;
     },
     [] {
       OSDDirty = TitleDirty = LogoDirty = ButtonsDirty = ListDirty = TRUE;
       OSDMenuUpdate(TRUE);
     }},
    {"text_row", "one row of anti-aliased text (60 glyphs)",
     [](pvrsim::Sim &) {
       if (!FMUC_LoadFontFile("Calibri_14.ufnt", &textFont)) return false;
       textRgn = (word)TAP_Osd_Create(0, 0, 720, 40, 0, OSD_Flag_MemRgn);
       TAP_Osd_FillBox(textRgn, 0, 0, 720, 40, 0xFF1C2230);
       FMUC_PutStringAA(textRgn, 0, 0, 719, kLine, 0xFFF0F0F0, 0, &textFont, 0, 0, 1.0f);  // warm cache
       return true;
     },
     [] { FMUC_PutStringAA(textRgn, 0, 0, 719, kLine, 0xFFF0F0F0, 0, &textFont, 0, 0, 1.0f); }},
    {"picker_step", "colour picker: one value step",
     [](pvrsim::Sim &) {
       OSDMenuColorPickerShow("Colour", 0xFF406080);
       return ColorPickerOSDRgn != 0;
     },
     [] {
       word event = EVT_KEY;
       dword key = RKEY_Right, unused = 0;
       OSDMenuEvent(&event, &key, &unused);
     }},
    {"overview_move", "manager: overview cursor move",
     [](pvrsim::Sim &sim) {
       if (!FillManagerDisk(sim)) return false;
       ManagerAddPackages();
       TAPsOnBoardFind();
       TAPCacheInitialize();
       ManagerMenuOpen();
       return true;
     },
     [] { ManagerEvent(EVT_KEY, RKEY_Down, 0); }},
    {"crc_1mb", "CRC-32 of 1 MB",
     [](pvrsim::Sim &) {
       megabyte.resize(1 << 20);
       for (size_t i = 0; i < megabyte.size(); i++) megabyte[i] = byte(i * 2654435761u >> 24);
       CRC32(CRC32_INITIAL, megabyte.data(), 16);  // the tables are built
       return true;
     },
     [] { crcResult = CRC32(CRC32_INITIAL, megabyte.data(), (dword)megabyte.size()); }},
    {"manager_start", "manager: start with 100 TAPs",
     [](pvrsim::Sim &sim) {
       if (!FillManagerDisk(sim)) return false;
       SettingsFree();
       return true;
     },
     [] { ManagerStart(); }},
    {"cache_800", "manager: TAP cache of 800 versions",
     [](pvrsim::Sim &sim) {
       if (!FillManagerDisk(sim)) return false;
       ManagerAddPackages();
       TAPsOnBoardFind();
       return true;
     },
     [] { TAPCacheInitialize(); }},
    {"install_steps", "installer: IT_Install up to the launch", StartInstaller, RunInstallerSteps},
};

}  // namespace

int main(int argc, char **argv) {
  if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
    for (const Operation &op : kOperations) std::printf("%s\t%s\n", op.name, op.what);
    return 0;
  }
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr,
                 "usage: perf_ops OPERATION FILES_DIR TEMPLATE_TAP [INSTALLER_TAP] | perf_ops --list\n");
    return 2;
  }
  const Operation *op = nullptr;
  for (const Operation &candidate : kOperations)
    if (std::strcmp(candidate.name, argv[1]) == 0) op = &candidate;
  if (op == nullptr) {
    std::fprintf(stderr, "perf_ops: no operation %s\n", argv[1]);
    return 2;
  }
  filesDir = argv[2];
  templateTap = argv[3];
  if (argc == 5) installerTap = argv[4];
  root = fs::temp_directory_path().string() + "/perf_ops_" + std::to_string(getpid()) + "_" + op->name;
  int status = 1;
  {
    auto sim = StartSim();
    if (sim && op->setUp(*sim)) {
      uint64_t pixels = pvrsim::osd::pixelsWritten();
      PerfRun(op->run);
      std::printf("osd_bytes %llu\n", (unsigned long long)(4 * (pvrsim::osd::pixelsWritten() - pixels)));
      status = operationFailed ? 1 : 0;
      if (operationFailed) std::fprintf(stderr, "perf_ops: %s did not finish its work\n", op->name);
    } else {
      std::fprintf(stderr, "perf_ops: %s: the set-up failed\n", op->name);
    }
  }
  fs::remove_all(root);
  return status;
}
