// ProgressbarTest.cpp - the installer's progress bar in-process against pvrsim: when it redraws,
// how far it fills, and what hiding it closes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "Graphics.h"
#include "Progressbar.h"
#include "SimFixture.h"
#include "osd/Osd.h"

// The installer code traces its calls, which names the TAP's own ID.
extern "C" dword __tap_ud__;
dword __tap_ud__ = 0x7E570001;

namespace {

class Progressbar : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    ASSERT_GE(sim->adoptCaller("/ProgramFiles"), 0);
  }

  // The bar shows the full graphic's pixels left of column w and the empty
  // graphic's from there on.
  ::testing::AssertionResult showsFilled(int w) {
    pvrsim::osd::Image bar = pvrsim::osd::regionImage(ProgressbarRgn);
    pvrsim::osd::Image full = pvrsim::osd::regionImage(ProgressbarFullRgn);
    if (bar.width != 252 || bar.height != 18) return ::testing::AssertionFailure() << "no 252 x 18 bar";
    int emptyRgn = TAP_Osd_Create(0, 0, 252, 18, 0, OSD_Flag_MemRgn);
    TAP_Osd_PutGd(emptyRgn, 0, 0, &_InputBox_Gd, FALSE);
    pvrsim::osd::Image empty = pvrsim::osd::regionImage(emptyRgn);
    TAP_Osd_Delete(emptyRgn);
    for (int x = 0; x < 252; x++)
      for (int y = 0; y < 18; y++)
        if (bar.at(x, y) != (x < w ? full.at(x, y) : empty.at(x, y)))
          return ::testing::AssertionFailure()
                 << "pixel " << x << "," << y << " is wrong for a fill of " << w;
    return ::testing::AssertionSuccess();
  }
};

TEST_F(Progressbar, FillsByStep) {
  Progressbar_Draw("Vantero", "Installing wget", 0, 9);
  ASSERT_NE(ProgressbarRgn, 0);
  ASSERT_NE(InfoBoxOSDRgn, 0);
  EXPECT_FALSE(pvrsim::osd::regionIsOnScreen(ProgressbarFullRgn));
  const TYPE_OsdMapEntry *map = (const TYPE_OsdMapEntry *)FIS_vOsdMap();
  EXPECT_EQ(map[ProgressbarRgn].x, 233);
  EXPECT_EQ(map[ProgressbarRgn].y, 330);
  EXPECT_TRUE(showsFilled(0));
  Progressbar_Draw("Vantero", "x", 4, 9);
  EXPECT_TRUE(showsFilled(112));
  Progressbar_Draw("Vantero", "x", 9, 9);
  EXPECT_TRUE(showsFilled(252));
  EXPECT_EQ(pvrsim::osd::regionCount(), 3);  // box, bar and the off-screen full bar, made once
}

TEST_F(Progressbar, SameStepDrawsNothing) {
  Progressbar_Draw("Vantero", "first", 3, 9);
  int syncs = pvrsim::osd::syncCount();
  pvrsim::osd::Image before = pvrsim::osd::regionImage(InfoBoxOSDRgn);
  Progressbar_Draw("Vantero", "second text", 3, 9);
  EXPECT_EQ(pvrsim::osd::syncCount(), syncs);
  EXPECT_EQ(pvrsim::osd::regionImage(InfoBoxOSDRgn).argb, before.argb);
}

TEST_F(Progressbar, HideClosesEverythingAndForgetsTheStep) {
  Progressbar_Draw("Vantero", "x", 3, 9);
  Progressbar_Hide();
  EXPECT_EQ(ProgressbarRgn, 0);
  EXPECT_EQ(ProgressbarFullRgn, 0);
  EXPECT_EQ(InfoBoxOSDRgn, 0);
  EXPECT_EQ(LastStep, dword(PROGRESSBAR_NO_STEP));
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
  EXPECT_TRUE(sim->normalMode());
  Progressbar_Draw("Vantero", "x", 3, 9);  // the same step shows again
  EXPECT_NE(ProgressbarRgn, 0);
  EXPECT_TRUE(showsFilled(84));

  // Hiding with only an info box open closes that box too.
  Progressbar_Hide();
  OSDMenuInfoBoxShow("T", "x", 0);
  LastStep = 5;
  Progressbar_Hide();
  EXPECT_EQ(InfoBoxOSDRgn, 0);
  EXPECT_EQ(LastStep, dword(PROGRESSBAR_NO_STEP));
}

TEST_F(Progressbar, OutOfRangeStepsStayInsideTheBar) {
  Progressbar_Draw("Vantero", "x", 12, 9);
  EXPECT_TRUE(showsFilled(252));
  Progressbar_Draw("Vantero", "x", 0xFFFFFFF0u, 0xFFFFFFFFu);
  EXPECT_TRUE(showsFilled(251));
  Progressbar_Draw("Vantero", "x", 2, 0);
  EXPECT_TRUE(showsFilled(0));
}

}  // namespace
