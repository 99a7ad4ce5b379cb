// MenuBenchmark.cpp - what a cursor move costs against a full redraw of the
// menu list: time and OSD bytes written per OSDMenuUpdate of a 10-row list
// of 25 items (numbers, value column, patches), for each cursor style, with
// the real fonts and pvrsim's OSD.
//
//     build/host/tests/toolkit/toolkit_menu_bench [ROUNDS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchmarkScenes.h"
#include "Graphics.h"
#include "Kalib.h"
#include "core/Sim.h"
#include "osd/Osd.h"

namespace {

struct Cost {
  double microseconds;
  double bytes;
};

// Runs one step `rounds` times; time and OSD bytes per step.
template <typename Step>
Cost Measure(int rounds, Step step) {
  uint64_t pixels = pvrsim::osd::pixelsWritten();
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; i++) step();
  std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
  return {elapsed.count() / rounds, 4.0 * double(pvrsim::osd::pixelsWritten() - pixels) / rounds};
}

}  // namespace

int main(int argc, char **argv) {
  int rounds = argc > 1 ? std::atoi(argv[1]) : 500;
  if (rounds <= 0) {
    std::fprintf(stderr, "usage: toolkit_menu_bench [ROUNDS > 0]\n");
    return 2;
  }
  std::string root = std::string(TEST_TMP_DIR) + "/menu_bench";
  std::filesystem::remove_all(root);
  pvrsim::Options options;
  options.diskDir = root + "/disk";
  options.runDir = root + "/run";
  pvrsim::Sim sim(options);
  for (const char *size : {"10", "12", "14", "16", "18", "20", "20B"})
    if (!sim.copyToDisk(std::string(BINARY_DIR) + "/payloads/files/Calibri_" + size + ".ufnt",
                        "/ProgramFiles/Settings/Fonts/")) {
      std::fprintf(stderr, "toolkit_menu_bench: %s\n", sim.lastError().c_str());
      return 1;
    }
  sim.adoptCaller("/ProgramFiles");
  benchmark_scene::MenuList25();
  OSDMenuUpdate(FALSE);

  std::printf("OSDMenuUpdate of a 10-row list, %d rounds each (time per update, OSD bytes written)\n",
              rounds);
  std::printf("%-12s %14s %14s   %14s %14s   %s\n", "cursor", "move: us", "move: bytes", "full: us",
              "full: bytes", "move/full bytes");
  const char *const names[] = {"blue bar", "dark bar", "outline"};
  for (int type = CT_Standard; type <= CT_Box; type++) {
    OSDMenuSetCursorType(type);
    OSDMenuUpdate(FALSE);
    // Down and up between two rows of the page: the list does not scroll.
    OSDMenuSetCurrentItem(2);
    OSDMenuUpdate(FALSE);
    Cost move = Measure(rounds, [] {
      static bool down = true;
      if (down)
        OSDMenuScrollDown();
      else
        OSDMenuScrollUp();
      down = !down;
      OSDMenuUpdate(FALSE);
    });
    Cost full = Measure(rounds, [] {
      OSDDirty = TitleDirty = LogoDirty = ButtonsDirty = ListDirty = TRUE;
      OSDMenuUpdate(FALSE);
    });
    std::printf("%-12s %14.1f %14.0f   %14.1f %14.0f   %5.1f %%\n", names[type], move.microseconds,
                move.bytes, full.microseconds, full.bytes, 100.0 * move.bytes / full.bytes);
  }
  OSDMenuDestroy();
  return 0;
}
