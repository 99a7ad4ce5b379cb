// GoldenToolkitTest.cpp - golden images of the toolkit's widgets with the shipped fonts: a 25-item
// menu list, the dark and the outline cursor, memo mode, the colour picker,
// a message box over a menu and a sheet of every remote-control key symbol.
#include "Golden.h"
#include "Graphics.h"
#include "OsdFixture.h"
#include "osd/OSDMenuList.h"

using namespace osdtest;
namespace posd = pvrsim::osd;

namespace {

class GoldenToolkit : public OsdTest {
 protected:
  void SetUp() override {
    OsdTest::SetUp();
    ASSERT_TRUE(installStandardFonts());
  }
  void TearDown() override {
    OSDMenuMessageBoxDestroy();
    OSDMenuColorPickerDestroy();
    OSDMenuDestroy();
    OsdTest::TearDown();
  }

  // 25 items: group headers that cannot be selected, icons, values, colour
  // patches and value icons, and two button lines.
  static void Build25(bool wrap = false) {
    OSDMenuInitialize(FALSE, TRUE, TRUE, wrap, "Toolkit gallery", "25 items");
    static const TYPE_GrData *const icons[] = {&_Button_red_Gd, &_Button_green_Gd, &_Button_yellow_Gd,
                                               &_Button_blue_Gd, &_Button_white_Gd};
    static const dword patches[] = {0xFFD03030, 0xFF30A040, 0xFF3060D0, 0xFFE0C020, 0xFFA040C0};
    char text[32], value[32];
    for (int i = 0; i < 25; i++) {
      bool header = i % 6 == 0;
      snprintf(text, sizeof text, header ? "Group %d" : "Entry %d", header ? i / 6 + 1 : i + 1);
      snprintf(value, sizeof value, "%d%%", 4 * i);
      int item = OSDMenuItemAdd(text, header ? "" : value, i == 2 ? &_Button_ok_Gd : nullptr,
                                i % 3 == 2 ? icons[i % 5] : nullptr, !header, i == 3, 0);
      if (i % 3 == 1) OSDMenuItemSetColorPatch(item, patches[i % 5]);
      if (i == 4) OSDMenuItemSetTextColor(item, 0xFF8CE08C);
    }
    OSDMenuButtonAdd(0, &_Button_ok_Gd, "Select");
    OSDMenuButtonAdd(0, &_Button_exit_Gd, "Back");
    OSDMenuButtonAdd(0, &_Button_left_Gd, "");
    OSDMenuButtonAdd(0, &_Button_right_Gd, "Page");
    OSDMenuButtonAdd(1, &_Button_red_Gd, "Colour");
  }
  static posd::Image ListArea() { return Crop(posd::regionImage(OSDRgn), 56, 92, 626, 374); }
};

TEST_F(GoldenToolkit, MenuWith25Items) {
  Build25();
  OSDMenuSetCurrentItem(3);
  OSDMenuUpdate(FALSE);
  EXPECT_EQ(0, ConsoleCount("not found"));
  EXPECT_TRUE(MatchesGolden("menu_25_items", posd::regionImage(OSDRgn)));
}

TEST_F(GoldenToolkit, DarkAndOutlineCursors) {
  Build25();
  OSDMenuSetCurrentItem(3);
  OSDMenuSetCursorType(CT_Dark);
  OSDMenuUpdate(FALSE);
  EXPECT_TRUE(MatchesGolden("menu_cursor_dark", ListArea()));
  OSDMenuSetCursorType(CT_Box);
  OSDMenuScrollDown();
  OSDMenuUpdate(FALSE);
  EXPECT_TRUE(MatchesGolden("menu_cursor_outline", ListArea()));
}

// A cursor move redraws only the rows that changed; the screen must be the
// one the whole list drawn again gives, after every kind of move, with each
// cursor style, across unselectable group headers and in memo mode.
TEST_F(GoldenToolkit, CursorMovesDrawWhatTheWholeListDraws) {
  struct Case {
    int cursor, mode;
    bool wrap;
  };
  const Case cases[] = {{CT_Standard, MD_List, true},
                        {CT_Dark, MD_List, false},
                        {CT_Box, MD_List, true},
                        {CT_Standard, MD_Memo, false}};
  enum Move { Up, Down, PageUp, PageDown };
  const Move moves[] = {Down, Down,     Down,     Down,   Up,   Up,       Up,       Up,
                        Up,   PageDown, PageDown, Down,   Up,   PageDown, PageDown, PageDown,
                        Down, Up,       PageUp,   PageUp, Down, PageUp,   PageUp,   PageUp};
  for (const Case &c : cases) {
    Build25(c.wrap);
    OSDMenuSetCursorType(c.cursor);
    OSDMenuSetDisplayMode(c.mode);
    OSDMenuSetCurrentItem(1);
    OSDMenuUpdate(FALSE);
    for (size_t m = 0; m < sizeof moves / sizeof moves[0]; m++) {
      int (*const scroll[])(void) = {OSDMenuScrollUp, OSDMenuScrollDown, OSDMenuScrollPageUp,
                                     OSDMenuScrollPageDown};
      scroll[moves[m]]();
      OSDMenuUpdate(FALSE);
      posd::Image moved = posd::regionImage(OSDRgn);
      EXPECT_TRUE(OSDMenuItem(OSDMenuGetCurrentItem())->Selectable) << "move " << m;
      OSDMenuListForget();
      ListDirty = TRUE;
      OSDMenuUpdate(FALSE);
      posd::Image whole = posd::regionImage(OSDRgn);
      int differing = 0;
      for (size_t i = 0; i < whole.argb.size(); i++) differing += whole.argb[i] != moved.argb[i];
      EXPECT_EQ(0, differing) << "cursor " << c.cursor << " mode " << c.mode << ", after move " << m
                              << " to item " << OSDMenuGetCurrentItem();
    }
  }
}

TEST_F(GoldenToolkit, MemoMode) {
  OSDMenuInitialize(FALSE, FALSE, FALSE, FALSE, "Memo", "plain lines");
  const char *lines[] = {
      "In memo mode the item texts are plain lines, fifteen at a time.",
      "The up and down keys scroll them by one line.", "",
      "A line too long for the box ends in an ellipsis instead of running over the scroll bar "
      "and out of the list box."};
  for (int i = 0; i < 20; i++) OSDMenuItemAdd(lines[i % 4], "", nullptr, nullptr, TRUE, FALSE, 0);
  OSDMenuSetDisplayMode(MD_Memo);
  OSDMenuSetCurrentItem(1);
  OSDMenuButtonAdd(0, &_Button_up_Gd, "");
  OSDMenuButtonAdd(0, &_Button_down_Gd, "Scroll");
  OSDMenuUpdate(FALSE);
  EXPECT_TRUE(MatchesGolden("menu_memo", posd::regionImage(OSDRgn)));
}

TEST_F(GoldenToolkit, ColourPicker) {
  OSDMenuColorPickerShow("Accent colour", 0xFFE89211);
  word event = EVT_KEY;
  dword key = RKEY_Green, param2 = 0;
  OSDMenuEvent(&event, &key, &param2);  // green selected
  EXPECT_TRUE(MatchesGolden("colour_picker", posd::regionImage(ColorPickerOSDRgn)));
}

TEST_F(GoldenToolkit, MessageBoxOverAMenu) {
  Build25();
  OSDMenuSetCurrentItem(8);
  OSDMenuUpdate(FALSE);
  OSDMenuMessageBoxInitialize("Message box", "Reset the gallery's settings?\nThe menu waits behind the box.");
  OSDMenuMessageBoxButtonAdd("Yes");
  OSDMenuMessageBoxButtonAdd("No");
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
  EXPECT_TRUE(MatchesGolden("message_box_over_menu", posd::visibleScreen()));
}

TEST_F(GoldenToolkit, EveryKeySymbol) {
  const int columns = 8, cellW = 80, cellH = 44;
  word rgn = Region(0, 0, columns * cellW, 7 * cellH, 0xFF101010, OSD_Flag_MemRgn);
  OSDMenuLoadStdFonts();
  for (int i = 0; i < KEY_SYMBOL_COUNT; i++) {
    int x = (i % columns) * cellW, y = (i / columns) * cellH;
    const TYPE_GrData *symbol = KeySymbols[i].Symbol;
    // Sizes: colour keys 18 x 18, the wide keys 40 or 54 x 20, the others 24 x 20.
    int wantW = i < 5 ? 18 : i < 13 ? 40 : i == 13 ? 54 : 24, wantH = i < 5 ? 18 : 20;
    EXPECT_EQ(std::pair(int(symbol->width), int(symbol->height)), std::pair(wantW, wantH))
        << KeySymbols[i].Name;
    TAP_Osd_PutGd(rgn, x + (cellW - symbol->width) / 2, y + 4, symbol, TRUE);
    OSDMenuPutS(rgn, x, y + 30, x + cellW, KeySymbols[i].Name, 0xFFC0C0C0, 0, 10, 0, 1);
  }
  EXPECT_TRUE(MatchesGolden("key_symbols", posd::regionImage(rgn)));
  TAP_Osd_Delete(rgn);
  OSDMenuFreeStdFonts();
}

}  // namespace
