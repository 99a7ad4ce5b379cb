// MenuListTest.cpp - menu list: initialisation, the limits of the records, the layout of the
// drawn parts (title, rows, numbers, value column, scroll bar, cursor
// styles, memo, buttons), redrawing only what changed, and closing.
#include <cstring>

#include "ToolkitFixture.h"

namespace toolkit_test {
namespace {

class MenuList : public ToolkitTest {
 protected:
  // Callback codes in the order they were reported.
  static std::vector<dword> &Parts() {
    static std::vector<dword> parts;
    return parts;
  }
  static void RecordPart(dword part, word rgn) {
    EXPECT_EQ(rgn, OSDRgn);
    Parts().push_back(part);
  }
  // Texts of a row's y position (as passed: 99 + 37 r + 2).
  static std::vector<TextCall> RowTexts(int row) {
    std::vector<TextCall> out;
    for (const TextCall &c : TextsIn(OSDRgn))
      if (c.y == dword(99 + 37 * row + 2)) out.push_back(c);
    return out;
  }
};

TEST_F(MenuList, InitializeResetsTheLevelAndTheMenuSettings) {
  BuildMenu(4);
  OSDMenuSetCursorType(CT_Box);
  OSDMenuSetCallback(RecordPart);
  OSDMenuUpdate(FALSE);
  word first = OSDRgn;
  OSDMenuInitialize(TRUE, TRUE, FALSE, TRUE, "T", nullptr);
  const tMenuLevel &m = Menu[0];
  EXPECT_TRUE(m.UserFlag && m.ValueColumn && !m.ShowNumbers && m.WrapAround && !m.ClientLeftRight);
  EXPECT_EQ(
      std::vector<int>({m.ValueColumnX, m.MaxItems, m.NrItems, m.DisplayMode, m.Preset[0], m.Preset[3]}),
      std::vector<int>({350, 30, 0, MD_List, 55, 55}));
  ASSERT_NE(m.Items, nullptr);
  EXPECT_EQ(m.Items[3].Text[0], '\0') << "a zeroed item array";
  EXPECT_STREQ(m.SubTitle, "");
  EXPECT_EQ(
      std::vector<const tUCFont *>({m.TitleFont, m.SubTitleFont, m.NumberFont, m.ButtonFont, m.MemoFont}),
      std::vector<const tUCFont *>(
          {&OSDMenuFont_20, &OSDMenuFont_16, &OSDMenuFont_14, &OSDMenuFont_12, &OSDMenuFont_14}));
  EXPECT_EQ(MenuCursorType, CT_Standard);
  EXPECT_EQ(CallbackProcedure, nullptr);
  // The open menu's region goes, without drawing and without normal mode.
  EXPECT_EQ(OSDRgn, 0);
  EXPECT_FALSE(pvrsim::osd::regionExists(first));
  EXPECT_FALSE(sim->normalMode());
}

// Every record limit: refused or cut, never written past.
TEST_F(MenuList, LimitsAreRefusedOrCut) {
  BuildMenu(30);
  EXPECT_EQ(OSDMenuItemAdd("31st", "", nullptr, nullptr, TRUE, FALSE, 0), -1);
  EXPECT_EQ(Menu[0].NrItems, 30);

  std::string longText(300, 'x');
  memset(Menu[0].Items[29].Text, 'y', sizeof Menu[0].Items[29].Text);  // no terminator left from before
  ASSERT_TRUE(OSDMenuItemSetText(29, longText.c_str()));
  ASSERT_TRUE(OSDMenuItemSetValue(29, longText.c_str()));
  EXPECT_EQ(strlen(Menu[0].Items[29].Text), 127u);
  EXPECT_EQ(strlen(Menu[0].Items[29].Value), 127u);
  EXPECT_EQ(Menu[0].Items[29].Icon, nullptr) << "the text ran into the next field";
  OSDMenuSetMenuLevel(1);
  OSDMenuInitialize(FALSE, FALSE, FALSE, FALSE, longText.c_str(), longText.c_str());
  EXPECT_EQ(std::pair(strlen(Menu[1].Title), strlen(Menu[1].SubTitle)), std::pair(size_t(255), size_t(255)));
  OSDMenuSetMenuLevel(0);

  struct {
    const char *what;
    bool refused;
  } const cases[] = {
      {"item -1", !OSDMenuItemSetText(-1, "x")},
      {"item 30", !OSDMenuItemSetColorPatch(30, 1)},
      {"cursor on item 30", !OSDMenuSetCurrentItem(30)},
      {"cursor type 3", !OSDMenuSetCursorType(3)},
      {"display mode 2", !OSDMenuSetDisplayMode(2)},
      {"level 5", !OSDMenuSetMenuLevel(5)},
      {"level -1", !OSDMenuSetMenuLevel(-1)},
      {"null key symbol", OSDMenuButtonAdd(0, nullptr, "x") == -1},
      {"hint line 2", OSDMenuButtonAdd(2, &_Button_ok_Gd, "x") == -1},
  };
  for (const auto &c : cases) EXPECT_TRUE(c.refused) << c.what;
  EXPECT_EQ(CurrentMenuLevel, 0);

  // Twenty buttons fit (ten on each line of small symbols), the 21st not;
  // captions are cut at 255 bytes.
  for (int i = 0; i < 20; i++)
    ASSERT_EQ(OSDMenuButtonAdd(dword(i % 2), &_Button_0_Gd, i == 19 ? longText.c_str() : ""), i) << i;
  EXPECT_EQ(OSDMenuButtonAdd(0, &_Button_1_Gd, "21st"), -1);
  EXPECT_EQ(Menu[0].NrButtons, 20);
  EXPECT_EQ(strlen(Menu[0].Buttons[19].Text), 255u);
}

TEST_F(MenuList, AnInvalidLevelTouchesNothing) {
  BuildMenu(3);
  for (int level : {-1, 5, 1000}) {
    CurrentMenuLevel = level;
    EXPECT_EQ(OSDMenuItemAdd("x", "", nullptr, nullptr, TRUE, FALSE, 0), -1) << level;
    EXPECT_EQ(OSDMenuScrollDown(), -1) << level;
    EXPECT_EQ(OSDMenuGetCurrentItem(), -1) << level;
    OSDMenuInitialize(FALSE, FALSE, FALSE, FALSE, "x", "x");
    OSDMenuUpdate(FALSE);
    EXPECT_EQ(OSDRgn, 0) << level;
  }
  CurrentMenuLevel = 0;
  EXPECT_EQ(Menu[0].NrItems, 3);
  EXPECT_STREQ(Menu[0].Title, "Title");
}

TEST_F(MenuList, TitleSubtitleAndButtons) {
  BuildMenu(3);
  int first = OSDMenuButtonAdd(0, &_Button_ok_Gd, "Open");
  ButtonColor = 0xFF00FF00;
  int second = OSDMenuButtonAdd(0, &_Button_exit_Gd, "Back");
  int below = OSDMenuButtonAdd(1, &_Button_red_Gd, "Red");
  OSDMenuUpdate(FALSE);
  const TextCall *title = FindText("Title"), *sub = FindText("Sub");
  ASSERT_TRUE(title && sub);
  EXPECT_EQ(std::vector<dword>({title->x, title->y, title->maxX, title->color}),
            std::vector<dword>({53, 37, 658, 0xFFE6E6FA}));
  EXPECT_EQ(title->font, &OSDMenuFont_20);
  dword width = FMUC_GetStringWidth("Title", &OSDMenuFont_20);
  EXPECT_GT(width, 20u);
  EXPECT_EQ(std::vector<dword>({sub->x, sub->y, sub->maxX, sub->color, sub->bDot, sub->align}),
            std::vector<dword>({58 + width, 49, 658, 0xFF666666, 1, 2}));

  const tMenuButton *b = Menu[0].Buttons;
  EXPECT_EQ(b[first].X, 53);
  EXPECT_EQ(b[first].Y, 490);
  EXPECT_EQ(b[second].X, b[first].X + 40 + 2 + int(FMUC_GetStringWidth("Open", &OSDMenuFont_12)) + 16);
  EXPECT_EQ(b[second].Color, 0xFF00FF00u);
  EXPECT_EQ(b[below].X, 53);
  EXPECT_EQ(b[below].Y, 516);
  const TextCall *caption = FindText("Back");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(std::vector<dword>({caption->x, caption->y, caption->maxX, caption->color}),
            std::vector<dword>({dword(b[second].X + 40 + 2), 490, 670, 0xFF00FF00}));
  EXPECT_EQ(caption->font, &OSDMenuFont_12);
}

// The number column: at least two digits, and the text column moves right
// for three and four digits.
TEST_F(MenuList, NumbersAndTheTextColumn) {
  struct {
    int number;
    const char *shown;
    dword maxX, textX;
  } const cases[] = {{7, "07", 100, 101},
                     {99, "99", 100, 101},
                     {100, "100", 110, 111},
                     {999, "999", 110, 111},
                     {1000, "1000", 120, 121}};
  for (const auto &c : cases) {
    textCalls.clear();
    BuildMenu(1);
    OSDMenuItemSetNumber(0, c.number);
    OSDMenuUpdate(TRUE);
    auto row = RowTexts(0);
    ASSERT_EQ(row.size(), 3u) << c.number;  // number, text, value
    EXPECT_EQ(row[0].text, c.shown);
    EXPECT_EQ(row[0].x, 71u);
    EXPECT_EQ(row[0].maxX, c.maxX) << c.number;
    EXPECT_EQ(row[1].x, c.textX) << c.number;
    EXPECT_EQ(row[1].maxX, 350u);
  }
  // Number -1 in the third visible row with TopItem 10 shows 13.
  textCalls.clear();
  BuildMenu(25);
  Menu[0].TopItem = 10;
  Menu[0].CurrentItem = 10;
  OSDMenuUpdate(TRUE);
  ASSERT_FALSE(RowTexts(2).empty());
  EXPECT_EQ(RowTexts(2)[0].text, "13");
}

// Icons, value icons and colour patches widen their columns; unselectable
// items are grey; rows past the last item stay empty.
TEST_F(MenuList, RowLayout) {
  BuildMenu(3, ".x.");
  OSDMenuItemSetIcons(0, &_Button_guide_Gd, &_Button_red_Gd);
  OSDMenuItemSetColorPatch(2, 0x00123456);
  OSDMenuItemSetTextColor(2, 0xFF00FF00);
  OSDMenuUpdate(TRUE);
  // Icon column 54 + 8, value column max(18 icon, 50 patch) + 8.
  auto row0 = RowTexts(0), row1 = RowTexts(1), row2 = RowTexts(2);
  ASSERT_EQ(row0.size(), 3u);
  EXPECT_EQ(row0[1].x, 101u + 62);
  EXPECT_EQ(row0[2].x, 350u + 58 + 45);
  EXPECT_EQ(row0[2].maxX, 645u);
  EXPECT_TRUE(ShowsGraphic(OSDRgn, 101, 99 - 10 + 13, _Button_guide_Gd) << "icon");
  ASSERT_EQ(row1.size(), 3u);
  EXPECT_EQ(row1[1].color, 0xFF80808Cu) << "unselectable";
  EXPECT_EQ(row2[1].color, 0xFF00FF00u);
  uint32_t px = 0;
  ASSERT_TRUE(pvrsim::osd::regionPixel(OSDRgn, 395, 99 + 74 + 5, px));
  EXPECT_EQ(px, 0xFF123456u) << "patch, alpha forced";
  ASSERT_TRUE(pvrsim::osd::regionPixel(OSDRgn, 394, 99 + 74 + 4, px));
  EXPECT_EQ(px, 0xFFC0C0C0u) << "patch frame";
  for (int row = 3; row < 10; row++) EXPECT_TRUE(RowTexts(row).empty()) << "row " << row;
}

TEST_F(MenuList, ScrollBarAndKnob) {
  BuildMenu(10);
  OSDMenuUpdate(TRUE);
  EXPECT_TRUE(ShowsGraphic(OSDRgn, 662, 95, _ScrollBarInvisible_Gd));
  // With eleven items the knob runs from y 108 to y 429.
  BuildMenu(11);
  for (auto [item, y] : {std::pair{0, 108}, std::pair{5, 268}, std::pair{10, 429}}) {
    OSDMenuSetCurrentItem(item);
    OSDMenuUpdate(TRUE);
    EXPECT_TRUE(ShowsGraphic(OSDRgn, 663, y, _ScrollBarKnob_Gd)) << "item " << item;
  }
}

// The three cursor styles on the second row (cursor at y 95 + 37).
TEST_F(MenuList, CursorStyles) {
  BuildMenu(3);
  OSDMenuSetCurrentItem(1);
  pvrsim::osd::Image normal, dark;
  for (int type : {CT_Standard, CT_Dark, CT_Box}) {
    OSDMenuSetCursorType(type);
    OSDMenuUpdate(TRUE);
    pvrsim::osd::Image row = pvrsim::osd::regionImage(OSDRgn);
    if (type == CT_Standard) {
      EXPECT_TRUE(ShowsGraphic(OSDRgn, 60, 132, _SelectionBar_Blue_100x34_Gd));
      EXPECT_TRUE(ShowsGraphic(OSDRgn, 560, 132, _SelectionBar_Blue_100x34_Gd));
      EXPECT_EQ(OSDMenuLastCursor, 0);
    } else if (type == CT_Dark) {
      EXPECT_TRUE(ShowsGraphic(OSDRgn, 62, 132, _SelectionBar_Blue_100x34Dark_Gd));
      EXPECT_TRUE(ShowsGraphic(OSDRgn, 462, 132, _SelectionBar_Blue_100x34Dark_Gd));
      uint32_t edge = 0, inner = 0;
      pvrsim::osd::regionPixel(OSDRgn, 658, 150, edge);
      pvrsim::osd::regionPixel(OSDRgn, 657, 150, inner);
      EXPECT_NE(edge, inner) << "a bright edge stays right";
      EXPECT_EQ(OSDMenuLastCursor, 1);
    } else {
      for (auto [x, y] : {std::pair{60, 132}, std::pair{659, 165}, std::pair{300, 133}, std::pair{61, 150}})
        EXPECT_EQ(row.at(x, y), 0xFF5ACDECu) << x << "," << y;
      EXPECT_EQ(row.at(62, 134), 0xFF1E1E1Eu) << "only the frame is drawn";
    }
  }
  // The arrows of a value item: light on the bar, amber (bright) otherwise.
  OSDMenuItemAdd("arrows", "v", nullptr, nullptr, TRUE, TRUE, 0);
  OSDMenuSetCurrentItem(3);
  for (auto [type, bright] :
       {std::pair{CT_Standard, false}, std::pair{CT_Box, true}, std::pair{CT_Dark, true}}) {
    OSDMenuSetCursorType(type);
    OSDMenuUpdate(TRUE);
    uint32_t left = 0, right = 0;
    ASSERT_TRUE(pvrsim::osd::regionPixel(OSDRgn, 370 + 6, 216 + 7, left));
    ASSERT_TRUE(pvrsim::osd::regionPixel(OSDRgn, 640 + 3, 216 + 7, right));
    EXPECT_EQ((left & 0xFF) < 0xC0, bright) << "cursor type " << type;
    EXPECT_EQ((right & 0xFF) < 0xC0, bright) << "cursor type " << type;
    EXPECT_GT((left >> 16) & 0xFF, 0xC0u) << "cursor type " << type;
  }
}

// A cursor move redraws the scroll bar and the list only; the parts set
// dirty by a change are drawn once.
TEST_F(MenuList, OnlyWhatChangedIsRedrawn) {
  BuildMenu(12);
  OSDMenuButtonAdd(0, &_Button_ok_Gd, "OK");
  OSDMenuSetLogo(600, 30, &_Button_guide_Gd);
  OSDMenuSetCallback(RecordPart);
  Parts().clear();
  OSDMenuUpdate(FALSE);
  EXPECT_EQ(Parts(), std::vector<dword>({MP_Title, MP_Logo, MP_Buttons, MP_List}));
  EXPECT_TRUE(ShowsGraphic(OSDRgn, 600, 30, _Button_guide_Gd));
  EXPECT_FALSE(OSDDirty || TitleDirty || LogoDirty || ButtonsDirty || ListDirty);

  Parts().clear();
  textCalls.clear();
  OSDMenuScrollDown();
  OSDMenuUpdate(FALSE);
  EXPECT_EQ(Parts(), std::vector<dword>({MP_List}));
  EXPECT_EQ(FindText("Title"), nullptr);
  EXPECT_EQ(FindText("OK"), nullptr);

  Parts().clear();
  OSDMenuUpdate(FALSE);
  EXPECT_TRUE(Parts().empty()) << "nothing changed";
  OSDMenuButtonAdd(0, &_Button_exit_Gd, "Exit");
  OSDMenuUpdate(FALSE);
  EXPECT_EQ(Parts(), std::vector<dword>({MP_Title, MP_Logo, MP_Buttons, MP_List}));
}

TEST_F(MenuList, MemoShowsFifteenLinesFromTheCurrentOne) {
  BuildMenu(20, "", false, false, false);
  OSDMenuSetDisplayMode(MD_Memo);
  OSDMenuSetCurrentItem(3);
  OSDMenuUpdate(TRUE);
  EXPECT_EQ(Menu[0].TopItem, 3);
  std::vector<std::string> lines;
  for (const TextCall &c : TextsIn(OSDRgn))
    if (c.color == 0xFFFFFFFF) {
      EXPECT_EQ(c.x, 76u);
      EXPECT_EQ(c.y, dword(104 + 24 * lines.size()));
      EXPECT_EQ(c.maxX, 642u);
      EXPECT_EQ(c.font, &OSDMenuFont_14);
      lines.push_back(c.text);
    }
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines.front(), "Item 3");
  EXPECT_EQ(lines.back(), "Item 17");
  // Near the end only the items that exist.
  textCalls.clear();
  OSDMenuSetCurrentItem(18);
  OSDMenuUpdate(TRUE);
  int shown = 0;
  for (const TextCall &c : TextsIn(OSDRgn)) shown += c.color == 0xFFFFFFFF;
  EXPECT_EQ(shown, 2);
}

TEST_F(MenuList, DestroyReleasesEverything) {
  BuildMenu(5);
  OSDMenuUpdate(FALSE);
  OSDMenuSetMenuLevel(1);
  BuildMenu(5);
  OSDMenuUpdate(FALSE);
  EXPECT_FALSE(sim->normalMode());
  EXPECT_EQ(pvrsim::osd::regionCount(), 2);  // menu and cursor tile
  OSDMenuDestroy();
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
  EXPECT_EQ(OSDRgn, 0);
  EXPECT_EQ(OSDMenuSelectionBarRgn, 0);
  for (const tMenuLevel &level : Menu) EXPECT_EQ(level.Items, nullptr);
  EXPECT_EQ(CurrentMenuLevel, 0);
  EXPECT_TRUE(sim->normalMode());
  EXPECT_EQ(OSDMenuFont_14.FileHandle, 0) << "the fonts go with the last widget";
}

}  // namespace
}  // namespace toolkit_test
