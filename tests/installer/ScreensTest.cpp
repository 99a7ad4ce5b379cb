// ScreensTest.cpp - what IT_Install shows: the AutoStart question with "No" highlighted, the
// progress box at step 4 of 9 and the notice of an install that failed,
// against golden images (regenerate with UPDATE_GOLDEN=1 and look at them
// before committing), and the bar's fill.
#include <dlfcn.h>

#include <cstdlib>

#include "InstallerScenario.h"

namespace installer_test {
namespace {

const std::string kGoldenDir = std::string(SOURCE_DIR) + "/tests/installer/golden/";

class Screens : public Scenario {
 protected:
  void expectGolden(const std::string &name) { expectGolden(name, pvrsim::osd::visibleScreen()); }
  void expectGolden(const std::string &name, const pvrsim::osd::Image &shown) {
    std::string path = kGoldenDir + name;
    std::string error;
    if (std::getenv("UPDATE_GOLDEN")) {
      ASSERT_TRUE(pvrsim::osd::writePng(path, shown, false, &error)) << error;
      return;
    }
    pvrsim::osd::Image golden;
    ASSERT_TRUE(pvrsim::osd::readPng(path, golden, &error)) << error;
    ASSERT_EQ(golden.width, shown.width);
    ASSERT_EQ(golden.height, shown.height);
    int differing = 0;
    for (size_t i = 0; i < shown.argb.size(); i++)
      differing += (golden.argb[i] & 0xFFFFFF) != (shown.argb[i] & 0xFFFFFF);
    if (differing) pvrsim::osd::writePng(root + "/" + name, shown, false);
    EXPECT_EQ(differing, 0) << name << ": the screen differs; see " << root << "/" << name;
  }

  template <typename T>
  T installerVar(const char *name) {
    void *p = dlsym(sim->tapHandle(sim->slotOf(kInstallerBoxPath)), name);
    EXPECT_NE(p, nullptr) << name;
    return p ? *static_cast<T *>(p) : T{};
  }
};

TEST_F(Screens, QuestionWithNoHighlighted) {
  startInstaller();
  ASSERT_TRUE(runUntilLogHas("  IT_Install step 2"));
  EXPECT_TRUE(installerVar<word>("MessageBoxOSDRgn"));
  EXPECT_FALSE(installerVar<word>("InfoBoxOSDRgn"));  // the progress box made room
  expectGolden("question_no.png");
}

TEST_F(Screens, ProgressAtStepFourOfNine) {
  startInstaller();
  ASSERT_TRUE(runUntilLogHas("  IT_Install step 2"));
  pressKey(RKEY_Ok);
  ASSERT_TRUE(runUntilLogHas("  IT_Install step 4"));
  expectGolden("progress_4_of_9.png");

  // 252 x 4 / 9 = 112 columns come from the full bar, the rest from the
  // empty one.
  word bar = installerVar<word>("ProgressbarRgn"), full = installerVar<word>("ProgressbarFullRgn");
  ASSERT_TRUE(bar && full);
  pvrsim::osd::Image shown = pvrsim::osd::regionImage(bar), fullBar = pvrsim::osd::regionImage(full);
  ASSERT_EQ(shown.width, 252);
  int emptyRgn = TAP_Osd_Create(0, 0, 252, 18, 0, OSD_Flag_MemRgn);
  ASSERT_GT(emptyRgn, 0);
  TAP_Osd_PutGd(emptyRgn, 0, 0, &_InputBox_Gd, FALSE);
  pvrsim::osd::Image emptyBar = pvrsim::osd::regionImage(emptyRgn);
  int columnsDiffering = 0;
  for (int x = 0; x < 252; x++)
    for (int y = 0; y < 18; y++) {
      EXPECT_EQ(shown.at(x, y), x < 112 ? fullBar.at(x, y) : emptyBar.at(x, y)) << x << "," << y;
      if (y == 9) columnsDiffering += fullBar.at(x, y) != emptyBar.at(x, y);
    }
  EXPECT_GT(columnsDiffering, 200) << "the two bar graphics look alike";
  EXPECT_EQ(installerVar<dword>("LastStep"), 4u);
}

// A disk that fills up after the fonts and the language file: the programs
// and the manager cannot be written.  Each is logged, and the install ends
// saying that it failed, in the log's last line and on the last screen.
TEST_F(Screens, IncompleteInstallSaysSoLast) {
  uint64_t fontsAndTexts = 0;
  for (const Payload &p : payloads())
    if (!p.boxPath.empty() && p.boxPath.rfind("/ProgramFiles/Settings/", 0) == 0)
      fontsAndTexts += fs::file_size(p.hostFile);
  bootOptions = [fontsAndTexts](pvrsim::Options &o) { o.diskFullAfterBytes = fontsAndTexts; };
  boot();
  std::string frames = root + "/frames";
  ASSERT_TRUE(pvrsim::osd::setFramesFolder(frames));
  startInstaller();
  ASSERT_TRUE(runUntilLogHas("  IT_Install step 2"));
  pressKey(RKEY_Ok);
  ASSERT_TRUE(runToEnd());

  auto l = log();
  for (const Payload &p : payloads()) {
    std::string path = p.boxPath.empty() ? "/ProgramFiles/Vantero.tap" : p.boxPath;
    bool written = readFile(path) == readHostFile(p.hostFile);
    std::string line = "  Failed to write " + path + ": only 0 of " +
                       std::to_string(fs::file_size(p.hostFile)) + " bytes written";
    EXPECT_NE(written, std::find(l.begin(), l.end(), line) != l.end()) << path;
  }
  EXPECT_EQ(l.back(), "Failed to complete IT_Install (payload files not written: 3)");
  EXPECT_FALSE(exists("/ProgramFiles/Vantero.tap"));

  // The notice stays 300 ticks, then the box goes.
  pvrsim::osd::Image notice, gone;
  unsigned long ticks = 0;
  ASSERT_NO_FATAL_FAILURE(lastTwoFrames(frames, notice, gone, ticks));
  EXPECT_EQ(ticks, 300u);
  expectGolden("install_failed.png", notice);
}

}  // namespace
}  // namespace installer_test
