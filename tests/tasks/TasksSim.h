// TasksSim.h - helpers shared by the task tests: a fresh pvrsim run per test
// case (SimFixture) in which the test program acts as a TAP whose folder is
// "/ProgramFiles", and the record that the test TAPs leave on the disk.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "Kalib.h"
#include "SimFixture.h"

namespace tasks {

// Number of descriptors this process has open.
inline int openDescriptorCount() {
  int count = 0;
  for (auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    count++;
  }
  return count;
}

class SimTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    ownSlot_ = adoptTestProgram("/ProgramFiles", ownHandler());
    ASSERT_GE(ownSlot_, 0);
  }

  // Event handler of the test program's own task slot.
  virtual TAP_EventHandlerFn ownHandler() { return nullptr; }

  // Copies a built TAP onto the disk and starts it; returns its slot.
  int start(const std::string &hostFile, const std::string &boxPath) { return startTap(hostFile, boxPath); }

  // The lines the test TAPs have recorded so far (taps/TapLog.h).
  std::vector<std::string> tapLog() const { return splitLines(readFile("/TaskTap.log")); }
  void clearTapLog() const { std::filesystem::remove(disk("/TaskTap.log")); }

  int ownSlot_ = -1;
};

}  // namespace tasks
