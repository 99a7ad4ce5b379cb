// TextOnBox.h - a simulated box for the text tests that need the firmware:
// the test program is the current TAP, sitting in "/DataFiles", with the
// menu language chosen per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Kalib.h"
#include "core/Sim.h"

class TextOnBox : public ::testing::Test {
 protected:
  void TearDown() override {
    LangUnloadStrings();
    INICloseFile();
  }

  void Boot(int osdLanguage, bool utf8Firmware = true) {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = std::string(TEST_TMP_DIR) + "/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(dir);
    pvrsim::Options options;
    options.diskDir = dir + "/disk";
    options.runDir = dir;
    options.osdLanguage = osdLanguage;
    options.utf8Firmware = utf8Firmware;
    sim_ = std::make_unique<pvrsim::Sim>(options);
    std::filesystem::create_directories(sim_->hostPath("/DataFiles"));
    std::filesystem::create_directories(sim_->hostPath("/ProgramFiles/Settings"));
    ASSERT_GE(sim_->adoptCaller("/DataFiles"), 0);
  }

  // Writes a file onto the simulated disk (TAP notation), folders included.
  void Put(const std::string &boxPath, const std::string &content) {
    std::filesystem::path host = sim_->hostPath(boxPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << content;
  }

  static std::string CurrentDir() {
    char dir[KALIB_PATH_MAX] = "";
    HDD_TAP_GetCurrentDir(dir);
    std::string text = dir;
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
  }

  std::unique_ptr<pvrsim::Sim> sim_;
};

// Menu-language numbers of the firmware.
constexpr int kEnglish = 0, kGerman = 2, kDutch = 11;
