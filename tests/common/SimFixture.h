// SimFixture.h - a gtest fixture with a fresh pvrsim run per test case: an
// empty disk folder and run folder under TEST_TMP_DIR/<suite>.<test> and a
// Sim on them.  Override configureOptions to change the options first.
// With PVRSIM_STRICT_API set in the environment the Sim promises only what
// the firmware does (Options::strictApi).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "core/Sim.h"

// The folder of the running test case: TEST_TMP_DIR/<suite>.<test>, in a
// "strict_api" folder of its own under PVRSIM_STRICT_API, so that both runs
// of a test may run at the same time.
inline std::string testCaseFolder() {
  const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string base = std::string(TEST_TMP_DIR) + (std::getenv("PVRSIM_STRICT_API") ? "/strict_api/" : "/");
  return base + info->test_suite_name() + "." + info->name();
}

class SimFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    root = testCaseFolder();
    std::filesystem::remove_all(root);
    options.diskDir = root + "/disk";
    options.runDir = root + "/run";
    options.startTime = pvrsim::DateTime{2015, 12, 31, 12, 0, 0};
    // ctest's strict_api tests run a suite again with only what the
    // firmware promises (TAP_Hdd_FindNext's result, TAP_Hdd_Flen).
    options.strictApi = std::getenv("PVRSIM_STRICT_API") != nullptr;
    configureOptions(options);
    sim = std::make_unique<pvrsim::Sim>(options);
  }
  void TearDown() override { sim.reset(); }

  virtual void configureOptions(pvrsim::Options &) {}

  // Host path of a TAP-notation path ("/ProgramFiles/X.tap").
  std::string disk(const std::string &boxPath) const { return options.diskDir + boxPath; }

  // Makes a folder on the disk (with its parents).
  void makeFolder(const std::string &boxPath) const { std::filesystem::create_directories(disk(boxPath)); }

  // Writes a file on the disk, making its folder.  The file is written under
  // a temporary name and moved over the old one, as a running TAP's file
  // must be changed from outside pvrsim (see box::separateBeforeWrite).
  void writeFile(const std::string &boxPath, const std::string &content) const {
    std::filesystem::create_directories(std::filesystem::path(disk(boxPath)).parent_path());
    std::string temp = disk(boxPath) + ".test-new";
    std::ofstream(temp, std::ios::binary) << content;
    std::filesystem::rename(temp, disk(boxPath));
  }

  // Content of a file on the disk; empty when missing.
  std::string readFile(const std::string &boxPath) const {
    std::ifstream in(disk(boxPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  bool exists(const std::string &boxPath) const { return std::filesystem::exists(disk(boxPath)); }

  // Puts the toolkit's seven standard fonts, as the build made them, into
  // the font folder; false (with a failure reported) when one is missing.
  bool installStandardFonts() {
    for (const char *size : {"10", "12", "14", "16", "18", "20", "20B"}) {
      std::string font = std::string(BINARY_DIR) + "/payloads/files/Calibri_" + size + ".ufnt";
      if (!sim->copyToDisk(font, "/ProgramFiles/Settings/Fonts/")) {
        ADD_FAILURE() << sim->lastError() << " (the build makes the fonts: target payload_files)";
        return false;
      }
    }
    return true;
  }

  // Copies a built TAP onto the disk and starts it; returns the slot.
  int startTap(const std::string &hostFile, const std::string &boxPath) {
    EXPECT_TRUE(sim->copyToDisk(hostFile, boxPath)) << sim->lastError();
    int slot = sim->startTap(boxPath);
    EXPECT_GE(slot, 0) << boxPath << ": " << sim->lastError();
    return slot;
  }

  std::string root;
  pvrsim::Options options;
  std::unique_ptr<pvrsim::Sim> sim;
};
