// CheckedOsdTest.cpp - checked OSD calls, the OSD map readers and the emergency message window.
#include "Golden.h"
#include "OsdFixture.h"

using namespace osdtest;
namespace posd = pvrsim::osd;

class CheckedOsd : public OsdTest {};

TEST_F(CheckedOsd, MapReadersFollowTheRegionsLife) {
  int rgn = TAP_Osd_Create(5, 6, 70, 80, 0, 0);
  EXPECT_EQ(70, GetOSDRegionWidth(word(rgn)));
  EXPECT_EQ(80, GetOSDRegionHeight(word(rgn)));
  EXPECT_TRUE(isOSDRegionAlive(word(rgn)));
  TAP_Osd_Delete(word(rgn));
  EXPECT_FALSE(isOSDRegionAlive(word(rgn)));
  EXPECT_EQ(0, GetOSDRegionWidth(65535));
}

TEST_F(CheckedOsd, CreateReportsEachViolationAndStillCreates) {
  TAP_Osd_Create_Chk("edge", 620, 476, 100, 100, 0, 0);  // ends exactly at both edges: fits
  int rgn = TAP_Osd_Create_Chk("here", 700, 10, 100, 20, 0, 0);
  EXPECT_GE(rgn, 128);  // the call is made as requested
  EXPECT_EQ(100, GetOSDRegionWidth(word(rgn)));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Create_Chk Warning: x(700) + w(100) out of range @ here"));
  EXPECT_EQ(1, ConsoleCount("TAP_Osd_Create_Chk Warning"));

  TAP_Osd_Create_Chk("there", 720, 600, 10, 10, 0, 0);
  EXPECT_TRUE(ConsoleHas("x(720) out of range @ there"));
  EXPECT_TRUE(ConsoleHas("y(600) out of range @ there"));
  EXPECT_TRUE(ConsoleHas("x(720) + w(10) out of range @ there"));
  EXPECT_TRUE(ConsoleHas("y(600) + h(10) out of range @ there"));

  // A width that wraps a 32-bit sum is still reported.
  TAP_Osd_Create_Chk("wrap", 10, 0, 0xFFFFFFFFu, 5, 0, 0);
  EXPECT_TRUE(ConsoleHas("x(10) + w(-1) out of range @ wrap"));

  int failed = TAP_Osd_Create_Chk("zero", 0, 0, 0, 0, 0, 0);
  EXPECT_LT(failed, 0);
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Create_Chk Warning: TAP_Osd_Create() returned -1 @ zero"));
  int before = ConsoleCount("Warning");
  TAP_Osd_Create_Chk(nullptr, 700, 700, 100, 100, 0, 0);
  TAP_Osd_Create_Chk(nullptr, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(before, ConsoleCount("Warning"));
}

TEST_F(CheckedOsd, FillBoxOnAnUndefinedRegionReportsAllAndFillsWithinSize) {
  TAP_Osd_FillBox_Chk("nowhere", 300, 0, 0, 1, 1, 0xFFFFFFFF);
  EXPECT_TRUE(ConsoleHas("TAP_Osd_FillBox_Chk Warning: rgn(300) points to an undefined region @ nowhere"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_FillBox_Chk Warning: x(0) out of range @ nowhere"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_FillBox_Chk Warning: y(0) out of range @ nowhere"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_FillBox_Chk Warning: TAP_Osd_Create() returned -1 @ nowhere"));

  word rgn = Region(0, 0, 10, 10, 0xFF000000);
  int before = ConsoleCount("Warning");
  EXPECT_EQ(0, TAP_Osd_FillBox_Chk("fits", rgn, 0, 0, 10, 10, 0xFFFFFFFF));
  EXPECT_EQ(before, ConsoleCount("Warning"));
  TAP_Osd_FillBox_Chk("wide", rgn, 5, 9, 6, 2, 0xFF00FF00);
  EXPECT_TRUE(ConsoleHas("x(5) + w(6) out of range @ wide"));
  EXPECT_TRUE(ConsoleHas("y(9) + h(2) out of range @ wide"));
  EXPECT_EQ(0xFF00FF00u, Pixel(rgn, 9, 9));  // drawn anyway, clipped
}

TEST_F(CheckedOsd, CopyChecksSourceThenTarget) {
  word src = Region(0, 0, 50, 40, 0xFF000000, OSD_Flag_MemRgn);
  word dst = Region(0, 0, 50, 40, 0xFF000000);
  int before = ConsoleCount("Warning");
  EXPECT_EQ(0, TAP_Osd_Copy_Chk("same", src, dst, 0, 0, 50, 40, 0, 0, FALSE));
  EXPECT_EQ(before, ConsoleCount("Warning"));

  TAP_Osd_Copy_Chk("bad", src, dst, 50, 40, 10, 10, 45, 35, FALSE);
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: srcX(50) >= srcRgnW(50) @ bad"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: srcY(40) >= srcRgnH(40) @ bad"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: (srcX(50) + w(10)) > srcRgnW(50) @ bad"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: (srcY(40) + h(10)) > srcRgnH(40) @ bad"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: (dstX(45) + w(10)) > dstRgnW(50) @ bad"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: (dstY(35) + h(10)) > dstRgnH(40) @ bad"));
  EXPECT_FALSE(ConsoleHas("dstX(45) >= "));

  TAP_Osd_Copy_Chk("gone", src, 999, 0, 0, 1, 1, 0, 0, FALSE);
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: dstX(0) >= srcRgnW(0) @ gone"));
  EXPECT_TRUE(ConsoleHas("TAP_Osd_Copy_Chk Warning: TAP_Osd_Copy() returned -1 @ gone"));
}

class MessageWindow : public OsdTest {
 protected:
  static TYPE_OsdMapEntry Entry(dword rgn) { return static_cast<TYPE_OsdMapEntry *>(FIS_vOsdMap())[rgn]; }
};

TEST_F(MessageWindow, ShowsTitleAndLinesCentred) {
  ShowMessageWin("Vantero", "failed to load Calibri_14.ufnt", "Please install the font", 0);
  ASSERT_NE(0u, kal_rgn);
  EXPECT_EQ(1, posd::regionCount());  // the off-screen work region is gone
  TYPE_OsdMapEntry e = Entry(kal_rgn);
  EXPECT_EQ(10 + 3 * 26, e.height);
  EXPECT_EQ((720 - e.width) / 2, e.x);
  EXPECT_EQ((576 - e.height) / 2, e.y);
  EXPECT_EQ(dword(TAP_Osd_GetW("failed to load Calibri_14.ufnt", 0, 2) + 20), e.width);
  // Frame (5 pixels) and background colours.
  EXPECT_EQ(0xFF9C9C9Cu, Pixel(word(kal_rgn), 0, 0));
  EXPECT_EQ(0xFF9C9C9Cu, Pixel(word(kal_rgn), 4, e.height - 1));
  EXPECT_EQ(0xFF192952u, Pixel(word(kal_rgn), 5, 5));
  posd::Image screen = posd::visibleScreen();
  EXPECT_TRUE(MatchesGolden("message_window", Crop(screen, e.x - 10, e.y - 10, e.width + 20, e.height + 20)));

  EndMessageWin();
  EXPECT_EQ(0u, kal_rgn);
  EXPECT_EQ(0, posd::regionCount());
  EXPECT_EQ(posd::tvPicture().argb, posd::visibleScreen().argb);
}

TEST_F(MessageWindow, FortyLinesStopAboveTheScreensBottom) {
  std::vector<std::string> texts;
  std::vector<char *> content = {const_cast<char *>("Title")};
  for (int i = 0; i < 40; i++) texts.push_back("Line " + std::to_string(i));
  for (auto &t : texts) content.push_back(t.data());
  content.push_back(nullptr);
  ShowMessageWindow(content.data(), 720, 576, 2, 1, 0xFF9C9C9C, 0xFFFFFF52, 0xFFE6FFE6, 0xFF192952, 0);
  EXPECT_EQ(556, Entry(kal_rgn).height);  // title and 20 lines
  EXPECT_EQ((576 - 556) / 2, Entry(kal_rgn).y);
  EXPECT_TRUE(MatchesGolden("message_window_40_lines", posd::regionImage(word(kal_rgn))));
}

TEST_F(MessageWindow, PlacedWindowIsCutAtTheScreensEdgeAndReplacesTheOldOne) {
  ShowMessageWin("first", "one", nullptr, 0);
  dword first = kal_rgn;
  std::string wide(40, 'W');
  ASSERT_GT(TAP_Osd_GetW(wide.c_str(), 0, 0), 300);
  char *content[] = {nullptr, wide.data(), nullptr};
  ShowMessageWindow(content, 600, 100, 0, 0, 0xFF9C9C9C, 0xFFFFFF52, 0xFFE6FFE6, 0xFF192952, 0);
  EXPECT_EQ(120, Entry(kal_rgn).width);
  EXPECT_EQ(600, Entry(kal_rgn).x);
  EXPECT_EQ(100, Entry(kal_rgn).y);
  EXPECT_EQ(10 + 19, Entry(kal_rgn).height);  // no title, one line of size 0
  EXPECT_EQ(1, posd::regionCount());          // the first window is gone
  EXPECT_TRUE(first == kal_rgn || !posd::regionExists(word(first)));
}

// A line is added only while the window then ends above the screen's last row.
TEST_F(MessageWindow, ALineEndingAtTheScreensBottomIsLeftOut) {
  char *content[] = {const_cast<char *>("T"), const_cast<char *>("line"), nullptr};
  for (auto [y, height] : {std::pair{527, 10 + 2 * 19}, std::pair{528, 10 + 19}}) {
    ShowMessageWindow(content, 100, dword(y), 0, 0, 0xFF9C9C9C, 0xFFFFFF52, 0xFFE6FFE6, 0xFF192952, 0);
    EXPECT_EQ(height, Entry(kal_rgn).height) << "at y " << y;
  }
}

TEST_F(MessageWindow, DelayRemovesTheWindowAfterwards) {
  dword start = sim->now();
  ShowMessageWin("Vantero", "bye", nullptr, 50);
  EXPECT_GE(sim->now() - start, 50u);
  EXPECT_EQ(0u, kal_rgn);
  EXPECT_EQ(0, posd::regionCount());
}

TEST_F(MessageWindow, SecondLineShowsWithoutAFirstOne) {
  ShowMessageWin("T", nullptr, "second", 0);
  EXPECT_EQ(10 + 2 * 26, Entry(kal_rgn).height);
}
