// FoundationFixture.h - a pvrsim run per test case for the foundation tests:
// a fresh disk, a fixed firmware clock (2015-12-29 13:05:09) and helpers to
// make the test program the current TAP and to look at the disk.
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
#include "core/Sim.h"

namespace foundation {

namespace fs = std::filesystem;

class SimTest : public ::testing::Test {
 protected:
  pvrsim::Options options;
  std::unique_ptr<pvrsim::Sim> sim;
  std::string base;

  SimTest() {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    base = std::string(TEST_TMP_DIR) + "/foundation/" + info->test_suite_name() + "." + info->name();
    fs::remove_all(base);
    options.diskDir = base + "/disk";
    options.runDir = base + "/run";
    options.startTime = pvrsim::DateTime{2015, 12, 29, 13, 5, 9};
  }

  // Starts the run with the options as set by the test.
  void Start() {
    sim = std::make_unique<pvrsim::Sim>(options);
    MakeDir("/ProgramFiles");
  }

  // Starts the run (when needed) and makes the test program the current TAP
  // with the given working directory.
  int Adopt(const std::string &folder, const std::string &fileName = "Test.tap") {
    if (!sim) Start();
    MakeDir(folder);
    int slot = sim->adoptCaller(folder, nullptr, fileName);
    EXPECT_GE(slot, 0) << sim->lastError();
    return slot;
  }

  std::string Host(const std::string &boxPath) const { return options.diskDir + boxPath; }
  void MakeDir(const std::string &boxPath) const { fs::create_directories(Host(boxPath)); }
  void WriteFile(const std::string &boxPath, const std::string &content = "x") const {
    fs::create_directories(fs::path(Host(boxPath)).parent_path());
    std::ofstream(Host(boxPath), std::ios::binary) << content;
  }
  bool Exists(const std::string &boxPath) const { return fs::exists(Host(boxPath)); }
  std::string ReadFile(const std::string &boxPath) const {
    std::ifstream in(Host(boxPath), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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
  std::string CurrentDir() const {
    char dir[KALIB_PATH_MAX] = "?";
    EXPECT_EQ(0, HDD_TAP_GetCurrentDir(dir));
    return dir;
  }
};

}  // namespace foundation
