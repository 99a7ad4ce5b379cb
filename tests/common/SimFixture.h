// SimFixture.h - the one per-test set-up of the tests: a fresh folder per
// test case (testCaseFolder), host-file helpers (readHostFile,
// writeHostFile), DiskFixture (the disk and run folders of a pvrsim run,
// the disk seen in TAP notation) and SimFixture (DiskFixture with the Sim
// made, the test program adopted as a TAP, built TAPs copied and started).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Kalib.h"
#include "core/Sim.h"

// The folder of the running test case: TEST_TMP_DIR/[<group>/]<suite>.<test>,
// in a "strict_api" folder of its own under PVRSIM_STRICT_API, so that both
// runs of a test may run at the same time.
inline std::string testCaseFolder(const std::string &group = "") {
  const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string base = std::string(TEST_TMP_DIR) + (std::getenv("PVRSIM_STRICT_API") ? "/strict_api/" : "/");
  if (!group.empty()) base += group + "/";
  return base + info->test_suite_name() + "." + info->name();
}

// testCaseFolder, emptied (what an earlier run left is removed) and made.
inline std::string freshTestCaseFolder(const std::string &group = "") {
  std::string folder = testCaseFolder(group);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// A host file's bytes; empty when missing.
inline std::string readHostFile(const std::string &hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Lines without their LF or CR LF.
inline std::vector<std::string> splitLines(const std::string &text) {
  std::vector<std::string> lines;
  std::stringstream s(text);
  std::string line;
  while (std::getline(s, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Writes a host file, making its folder.  The file is written under a
// temporary name and moved over the old one, as a running TAP's file must be
// changed from outside pvrsim (pvrsim maps TAP files; see
// box::separateBeforeWrite).
inline void writeHostFile(const std::string &hostPath, const std::string &content) {
  std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
  std::string temp = hostPath + ".test-new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << content;
  }
  std::filesystem::rename(temp, hostPath);
}

// The per-test disk: a fresh folder for the running test case with the
// disk folder and run folder of a pvrsim run in `options` (started 2015-12-31
// 12:00:00), and the disk seen in TAP notation.  No Sim is made: fixtures
// that set options first make it themselves; SimFixture makes it in SetUp.
class DiskFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    root = freshTestCaseFolder(folderGroup());
    options.diskDir = root + "/disk";
    options.runDir = root + "/run";
    options.startTime = pvrsim::DateTime{2015, 12, 31, 12, 0, 0};
    // ctest's strict_api tests run a suite again with only what the
    // firmware promises (TAP_Hdd_FindNext's result, TAP_Hdd_Flen).
    options.strictApi = std::getenv("PVRSIM_STRICT_API") != nullptr;
    configureOptions(options);
  }
  // A passed test leaves nothing behind (the installer's runs alone take
  // gigabytes); a failed one keeps its folder to be looked at.
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(root);
  }

  // A subfolder of TEST_TMP_DIR for the test cases of this fixture.
  virtual std::string folderGroup() const { return ""; }
  // Changes the options before the run is made.
  virtual void configureOptions(pvrsim::Options &) {}

  // Host path of a TAP-notation path ("/ProgramFiles/X.tap"; "a/b" counts as "/a/b").
  std::string disk(const std::string &boxPath) const {
    return options.diskDir + (boxPath.empty() || boxPath[0] != '/' ? "/" : "") + boxPath;
  }

  // Makes a folder on the disk (with its parents).
  void makeFolder(const std::string &boxPath) const { std::filesystem::create_directories(disk(boxPath)); }

  // Writes a file on the disk, making its folder (see writeHostFile).
  void writeFile(const std::string &boxPath, const std::string &content) const {
    writeHostFile(disk(boxPath), content);
  }

  // Content of a file on the disk; empty when missing.
  std::string readFile(const std::string &boxPath) const { return readHostFile(disk(boxPath)); }

  bool exists(const std::string &boxPath) const { return std::filesystem::exists(disk(boxPath)); }

  // The current TAP's working directory in TAP notation ("?" when unknown).
  static std::string currentDir() {
    char dir[KALIB_PATH_MAX] = "?";
    EXPECT_EQ(0, HDD_TAP_GetCurrentDir(dir));
    return dir;
  }

  std::string root;
  pvrsim::Options options;
};

// DiskFixture with the Sim made in SetUp.  Override configureOptions to
// change the options first.  With PVRSIM_STRICT_API set in the environment
// the Sim promises only what the firmware does (Options::strictApi).
class SimFixture : public DiskFixture {
 protected:
  void SetUp() override {
    DiskFixture::SetUp();
    sim = std::make_unique<pvrsim::Sim>(options);
  }
  void TearDown() override {
    sim.reset();
    DiskFixture::TearDown();
  }

  // Starts the run again on the same disk, with the options as they are now.
  void restartSim() {
    sim.reset();
    sim = std::make_unique<pvrsim::Sim>(options);
  }

  // Makes the test program the current TAP with its working directory in
  // folder (made when missing); returns its slot, -1 (and a failure) when
  // pvrsim refuses.
  int adoptTestProgram(const std::string &folder = "/ProgramFiles", TAP_EventHandlerFn handler = nullptr) {
    makeFolder(folder);
    int slot = sim->adoptCaller(folder, handler);
    EXPECT_GE(slot, 0) << sim->lastError();
    return slot;
  }

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

  // Copies a built file (a TAP) onto the disk; false (and a failure) when it cannot.
  bool copyTap(const std::string &hostFile, const std::string &boxPath) {
    bool copied = sim->copyToDisk(hostFile, boxPath);
    EXPECT_TRUE(copied) << hostFile << " -> " << boxPath << ": " << sim->lastError();
    return copied;
  }

  // Copies a built TAP onto the disk and starts it; returns the slot.
  int startTap(const std::string &hostFile, const std::string &boxPath) {
    copyTap(hostFile, boxPath);
    int slot = sim->startTap(boxPath);
    EXPECT_GE(slot, 0) << boxPath << ": " << sim->lastError();
    return slot;
  }

  std::unique_ptr<pvrsim::Sim> sim;
};
