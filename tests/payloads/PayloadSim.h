// PayloadSim.h - the payload tests' pvrsim run (SimFixture with the test
// program acting as a TAP) and the payload files that the build made
// (PAYLOAD_DIR) to compare the disk with.
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
#include "SimFixture.h"
#include "core/Sim.h"

namespace payloads {

namespace fs = std::filesystem;

// The payload file that the build made, by its file name.
inline std::string payloadFile(const std::string &name) { return std::string(PAYLOAD_DIR) + "/" + name; }

// The fonts in the order in which the installer writes them, with the cell
// height every glyph of the font has.
struct FontInfo {
  const char *name;
  int cellHeight;
};
inline const std::vector<FontInfo> &fonts() {
  static const std::vector<FontInfo> table = {{"Arial_12B", 19},     {"Arial_14", 22},   {"Calibri_10", 15},
                                              {"Calibri_12", 19},    {"Calibri_14", 23}, {"Calibri_16", 26},
                                              {"Calibri_18", 29},    {"Calibri_20", 33}, {"Calibri_20B", 33},
                                              {"Courier_New_13", 20}};
  return table;
}

// SimFixture's fresh disk with "/ProgramFiles", the test program acting as
// the current TAP in that folder, and checks of the disk against the
// payload files.
class PayloadSim : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    adoptTestProgram();
  }

  // Starts the run again on the same disk, with the options as they are now.
  void restartSim() {
    SimFixture::restartSim();
    adoptTestProgram();
  }

  unsigned mode(const std::string &boxPath) const {
    struct stat st {};
    return stat(disk(boxPath).c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
  }

  // Every file on the disk whose name ends in the suffix.
  std::vector<std::string> filesEndingIn(const std::string &suffix) const {
    std::vector<std::string> found;
    for (const auto &entry : fs::recursive_directory_iterator(options.diskDir)) {
      std::string name = entry.path().filename().string();
      if (name.size() >= suffix.size() &&
          name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        found.push_back(entry.path().string().substr(options.diskDir.size()));
    }
    return found;
  }

  // Expects the file on the disk to hold exactly the payload file's bytes.
  void expectPayload(const std::string &boxPath, const std::string &payloadName) const {
    ASSERT_TRUE(exists(boxPath)) << boxPath;
    std::string expected = readHostFile(payloadFile(payloadName));
    ASSERT_FALSE(expected.empty()) << payloadName;
    std::string actual = readFile(boxPath);
    EXPECT_EQ(expected.size(), actual.size()) << boxPath;
    EXPECT_TRUE(expected == actual) << boxPath << " differs from " << payloadName;
  }
};

}  // namespace payloads
