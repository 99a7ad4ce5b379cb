// TextOnBox.h - a simulated box for the text tests that need the firmware
// (the shared DiskFixture): the test program is the current TAP, sitting in
// "/DataFiles", with the menu language chosen per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "Kalib.h"
#include "SimFixture.h"
#include "core/Sim.h"

class TextOnBox : public DiskFixture {
 protected:
  void TearDown() override {
    LangUnloadStrings();
    INICloseFile();
    sim_.reset();
    DiskFixture::TearDown();
  }

  // The texts do not depend on the date: the run keeps pvrsim's own clock.
  void configureOptions(pvrsim::Options &o) override { o.startTime = pvrsim::Options().startTime; }

  void Boot(int osdLanguage, bool utf8Firmware = true) {
    options.osdLanguage = osdLanguage;
    options.utf8Firmware = utf8Firmware;
    sim_ = std::make_unique<pvrsim::Sim>(options);
    makeFolder("/DataFiles");
    makeFolder("/ProgramFiles/Settings");
    ASSERT_GE(sim_->adoptCaller("/DataFiles"), 0);
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
