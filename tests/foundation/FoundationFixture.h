// FoundationFixture.h - a pvrsim run per test case for the foundation tests:
// the shared DiskFixture (a fresh disk) with a fixed firmware clock
// (2015-12-29 13:05:09), the run started once the test has set its options,
// and the console cut into the library's PrintNet pieces.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Kalib.h"
#include "box/Box.h"
#include "SimFixture.h"
#include "core/Sim.h"

namespace foundation {

namespace fs = std::filesystem;

class SimTest : public DiskFixture {
 protected:
  std::unique_ptr<pvrsim::Sim> sim;

  void TearDown() override {
    sim.reset();
    DiskFixture::TearDown();
  }

  std::string folderGroup() const override { return "foundation"; }
  void configureOptions(pvrsim::Options &o) override {
    o.startTime = pvrsim::DateTime{2015, 12, 29, 13, 5, 9};
  }

  // Starts the run with the options as set by the test.
  void Start() {
    sim = std::make_unique<pvrsim::Sim>(options);
    makeFolder("/ProgramFiles");
  }

  // Starts the run (when needed) and makes the test program the current TAP
  // with the given working directory.
  int Adopt(const std::string &folder, const std::string &fileName = "Test.tap") {
    if (!sim) Start();
    makeFolder(folder);
    int slot = sim->adoptCaller(folder, nullptr, fileName);
    EXPECT_GE(slot, 0) << sim->lastError();
    return slot;
  }

  // The console bytes cut at every NUL: one piece per PrintNet.
  std::vector<std::string> ConsolePieces() const {
    std::vector<std::string> pieces;
    std::string raw = pvrsim::box::consoleRaw(), piece;
    for (char c : raw) {
      if (c == '\0') {
        pieces.push_back(piece);
        piece.clear();
      } else {
        piece += c;
      }
    }
    return pieces;
  }
};

}  // namespace foundation
