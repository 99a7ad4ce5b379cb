// PayloadSim.h - a fresh pvrsim disk per test case for the payload tests,
// the test program acting as a TAP, and the payload files that the build
// made (PAYLOAD_DIR) to compare the disk with.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Kalib.h"
#include "core/Sim.h"

namespace payloads {

namespace fs = std::filesystem;

inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string &path, const std::string &data) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

// The payload file that the build made, by its file name.
inline std::string payloadFile(const std::string &name) { return std::string(PAYLOAD_DIR) + "/" + name; }

// The fonts in the order in which the installer writes them, with the cell
// height every glyph of the font has.
struct FontInfo {
  const char *name;
  int cellHeight;
};
inline const std::vector<FontInfo> &fonts() {
  static const std::vector<FontInfo> table = {
      {"Arial_12B", 19},  {"Arial_14", 22},   {"Calibri_10", 15},  {"Calibri_12", 19},
      {"Calibri_14", 23}, {"Calibri_16", 26}, {"Calibri_18", 29},  {"Calibri_20", 33},
      {"Calibri_20B", 33}, {"Courier_New_13", 20}};
  return table;
}

// A disk with "/ProgramFiles" and a Sim on it, in a folder of the test
// case's own; the test program is the current TAP, working in "/ProgramFiles".
class PayloadSim : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string(TEST_TMP_DIR) + "/" + info->test_suite_name() + "." + info->name();
    fs::remove_all(root_);
    fs::create_directories(root_ + "/disk/ProgramFiles");
    fs::create_directories(root_ + "/run");
    options_.diskDir = root_ + "/disk";
    options_.runDir = root_ + "/run";
    options_.startTime = pvrsim::DateTime{2015, 12, 31, 12, 0, 0};
    startSim();
  }
  void TearDown() override { sim_.reset(); }

  // (Re)starts the run on the same disk with the current options.
  void startSim() {
    sim_.reset();
    sim_ = std::make_unique<pvrsim::Sim>(options_);
    int slot = sim_->adoptCaller("/ProgramFiles");
    ASSERT_GE(slot, 0) << sim_->lastError();
  }

  std::string disk(const std::string &boxPath) const { return options_.diskDir + boxPath; }
  bool exists(const std::string &boxPath) const { return fs::exists(disk(boxPath)); }
  std::string read(const std::string &boxPath) const { return readFile(disk(boxPath)); }
  void put(const std::string &boxPath, const std::string &data) const { writeFile(disk(boxPath), data); }
  unsigned mode(const std::string &boxPath) const {
    struct stat st {};
    return stat(disk(boxPath).c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
  }

  // The TAP's working directory in TAP notation.
  std::string currentDir() const {
    char dir[KALIB_PATH_MAX] = "?";
    EXPECT_EQ(0, HDD_TAP_GetCurrentDir(dir));
    return dir;
  }

  // Every file on the disk whose name ends in the suffix.
  std::vector<std::string> filesEndingIn(const std::string &suffix) const {
    std::vector<std::string> found;
    for (const auto &entry : fs::recursive_directory_iterator(options_.diskDir)) {
      std::string name = entry.path().filename().string();
      if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        found.push_back(entry.path().string().substr(options_.diskDir.size()));
    }
    return found;
  }

  // Expects the file on the disk to hold exactly the payload file's bytes.
  void expectPayload(const std::string &boxPath, const std::string &payloadName) const {
    ASSERT_TRUE(exists(boxPath)) << boxPath;
    std::string expected = readFile(payloadFile(payloadName));
    ASSERT_FALSE(expected.empty()) << payloadName;
    std::string actual = read(boxPath);
    EXPECT_EQ(expected.size(), actual.size()) << boxPath;
    EXPECT_TRUE(expected == actual) << boxPath << " differs from " << payloadName;
  }

  std::string root_;
  pvrsim::Options options_;
  std::unique_ptr<pvrsim::Sim> sim_;
};

}  // namespace payloads
