// TasksSim.h - helpers shared by the task tests: a fresh pvrsim run per test
// case, the test program acting as a TAP, and reading the files that the
// test TAPs and the log writer leave on the disk.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Kalib.h"
#include "core/Sim.h"

namespace tasks {

inline std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(const std::string &path, const std::string &data) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

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

// Number of descriptors this process has open.
inline int openDescriptorCount() {
  int count = 0;
  for (auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    count++;
  }
  return count;
}

// A fresh disk with "/ProgramFiles" and a Sim on it, in a folder of the test
// case's own; the test program acts as a TAP whose folder is "/ProgramFiles".
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string(TEST_TMP_DIR) + "/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ + "/disk/ProgramFiles");
    std::filesystem::create_directories(root_ + "/run");
    options_.diskDir = root_ + "/disk";
    options_.runDir = root_ + "/run";
    options_.startTime = pvrsim::DateTime{2015, 12, 31, 12, 0, 0};
    customizeOptions(options_);
    sim_ = std::make_unique<pvrsim::Sim>(options_);
    ownSlot_ = sim_->adoptCaller("/ProgramFiles", ownHandler());
    ASSERT_GE(ownSlot_, 0) << sim_->lastError();
  }
  void TearDown() override { sim_.reset(); }

  virtual void customizeOptions(pvrsim::Options &) {}
  // Event handler of the test program's own task slot.
  virtual TAP_EventHandlerFn ownHandler() { return nullptr; }

  // Host path of a TAP-notation path on the disk.
  std::string disk(const std::string &boxPath) const { return options_.diskDir + boxPath; }

  // Copies a host file (a built TAP) onto the disk.
  void put(const std::string &hostFile, const std::string &boxPath) {
    ASSERT_TRUE(sim_->copyToDisk(hostFile, boxPath)) << sim_->lastError();
  }

  // Copies a TAP onto the disk and starts it; returns its slot.
  int start(const std::string &hostFile, const std::string &boxPath) {
    put(hostFile, boxPath);
    int slot = sim_->startTap(boxPath);
    EXPECT_GE(slot, 0) << boxPath << ": " << sim_->lastError();
    return slot;
  }

  // The lines the test TAPs have recorded so far.
  std::vector<std::string> tapLog() const { return splitLines(readFile(disk("/TaskTap.log"))); }
  void clearTapLog() const { std::filesystem::remove(disk("/TaskTap.log")); }

  std::string root_;
  pvrsim::Options options_;
  std::unique_ptr<pvrsim::Sim> sim_;
  int ownSlot_ = -1;
};

}  // namespace tasks
