// OsdFixture.h - a pvrsim run per test case for the screen tests (the
// shared SimFixture) with a fresh OSD, the font folder on the disk and the
// test program adopted as the current TAP; helpers to write font files, to
// read the console and to make and read regions.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "Kalib.h"
#include "SimFixture.h"
#include "box/Box.h"
#include "osd/Osd.h"

namespace osdtest {

namespace fs = std::filesystem;

class OsdTest : public SimFixture {
 protected:
  void SetUp() override {
    pvrsim::osd::reset();  // also when the cases run in one process
    kal_rgn = 0;
    SimFixture::SetUp();
    makeFolder(kFontFolder);
    ASSERT_GE(adoptTestProgram(), 0);
  }

  static constexpr const char *kFontFolder = "/ProgramFiles/Settings/Fonts/";
  std::string FontFolder() const { return disk(kFontFolder); }
  // Written in place, not replaced: a font the library holds open must see the new bytes.
  void WriteFont(const std::string &name, const std::string &bytes) const {
    std::ofstream(disk(kFontFolder + std::string(name)), std::ios::binary) << bytes;
  }
  // Installs one of the fonts built into the build tree under its own name.
  bool InstallBuiltFont(const std::string &name) const {
    std::error_code ec;
    fs::copy_file(std::string(BINARY_DIR) + "/payloads/files/" + name, FontFolder() + name,
                  fs::copy_options::overwrite_existing, ec);
    return !ec;
  }
  static bool ConsoleHas(const std::string &text) {
    return pvrsim::box::consoleText().find(text) != std::string::npos;
  }
  static int ConsoleCount(const std::string &text) {
    std::string console = pvrsim::box::consoleText();
    int count = 0;
    for (size_t pos = console.find(text); pos != std::string::npos; pos = console.find(text, pos + 1))
      count++;
    return count;
  }
  // A region filled with one colour.
  static word Region(dword x, dword y, dword w, dword h, dword fill, int flags = 0) {
    int rgn = TAP_Osd_Create(x, y, w, h, 0, flags);
    EXPECT_GE(rgn, 128);
    TAP_Osd_FillBox((word)rgn, 0, 0, w, h, fill);
    return (word)rgn;
  }
  static dword Pixel(word rgn, int x, int y) {
    uint32_t argb = 0xDEADBEEF;
    EXPECT_TRUE(pvrsim::osd::regionPixel(rgn, x, y, argb)) << x << "," << y;
    return argb;
  }
};

}  // namespace osdtest
