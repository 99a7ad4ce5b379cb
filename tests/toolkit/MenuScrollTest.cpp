// MenuScrollTest.cpp - menu list cursor movement: the selectable-item search, the four scroll
// operations at their edges and the choice of the first visible row.  Item
// masks: one character per item, 'x' for an unselectable one.
#include "ToolkitFixture.h"

namespace toolkit_test {
namespace {

class MenuScroll : public ToolkitTest {};

TEST_F(MenuScroll, FindSelectableEntries) {
  struct {
    int count;
    const char *mask;
    bool wrap;
    int start, next, previous;
  } const cases[] = {
      {5, "x..x.", false, 0, 1, -1},
      {5, "x..x.", false, 2, 4, 1},
      {5, "x..x.", false, 4, 4, 2},
      {5, "x..x.", true, 4, 1, 2},
      {5, "x..x.", true, 1, 2, 4},
      {5, "x..x.", false, -1, 1, -1},
      {5, "x..x.", true, -1, 1, 4},
      {5, "x..x.", true, 5, 1, 4},
      {3, "xxx", false, 2, -1, -1},
      {3, "xxx", true, 0, -1, -1},
      {0, "", false, 0, -1, -1},
      {1, ".", false, 0, 0, -1},
      {1, ".", true, 0, 0, 0},
      // A full level: the search never looks past the 30th item.
      {30, "..........................x..x", true, 28, 0, 27},
  };
  for (const auto &c : cases) {
    BuildMenu(c.count, c.mask, c.wrap);
    EXPECT_EQ(OSDMenuFindNextSelectableEntry(c.start), c.next)
        << c.mask << (c.wrap ? " wrap" : "") << " next from " << c.start;
    EXPECT_EQ(OSDMenuFindPreviousSelectableEntry(c.start), c.previous)
        << c.mask << (c.wrap ? " wrap" : "") << " previous from " << c.start;
  }
}

enum Op { Up, Down, PageUp, PageDown };

TEST_F(MenuScroll, ScrollOperations) {
  const std::string all25(25, '.');
  const std::string gap19 = std::string(19, '.') + "x" + std::string(5, '.');
  struct {
    const char *what;
    std::string mask;
    bool wrap;
    int current, top;
    Op op;
    int result, after;
  } const cases[] = {
      {"up on the first item", all25, false, 0, 0, Up, -1, 0},
      {"up on the first item, wrapping", all25, true, 0, 0, Up, 24, 24},
      {"up over unselectable items", "..xx.", false, 4, 0, Up, 1, 1},
      {"up to an unselectable start", "x.", false, 1, 0, Up, -1, 1},
      {"down on the last item", all25, false, 24, 15, Down, 24, 24},
      {"down on the last item, wrapping", "x" + all25.substr(1), true, 24, 15, Down, 1, 1},
      {"down over unselectable items", "..xx.", false, 1, 0, Down, 4, 4},
      {"page down from the bottom row", all25, false, 9, 0, PageDown, 19, 19},
      {"page down from the bottom row, 19 unselectable", gap19, false, 9, 0, PageDown, 20, 20},
      {"page down to the bottom row", all25, false, 3, 0, PageDown, 9, 9},
      {"page down near the end", std::string(12, '.'), false, 11, 2, PageDown, 11, 11},
      {"page down in a short list", ".....", false, 0, 0, PageDown, 4, 4},
      {"page down on the last item, wrapping", "x" + all25.substr(1), true, 24, 15, PageDown, 1, 1},
      {"page up from the top row", all25, false, 15, 15, PageUp, 5, 5},
      {"page up from the top row near the start", all25, false, 5, 5, PageUp, 0, 0},
      {"page up onto an unselectable first item", "x" + all25.substr(1), false, 5, 5, PageUp, -1, 5},
      {"page up to the top row", all25, false, 17, 12, PageUp, 12, 12},
      {"page up on the first item, wrapping", all25.substr(1) + "x", true, 0, 0, PageUp, 23, 23},
  };
  for (const auto &c : cases) {
    BuildMenu(int(c.mask.size()), c.mask, c.wrap);
    Menu[0].CurrentItem = c.current;
    Menu[0].TopItem = c.top;
    ListDirty = FALSE;
    int result = c.op == Up       ? OSDMenuScrollUp()
                 : c.op == Down   ? OSDMenuScrollDown()
                 : c.op == PageUp ? OSDMenuScrollPageUp()
                                  : OSDMenuScrollPageDown();
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(OSDMenuGetCurrentItem(), c.after) << c.what;
    EXPECT_EQ(bool(ListDirty), c.result != -1) << c.what;
  }
}

TEST_F(MenuScroll, FirstVisibleRow) {
  struct {
    const char *what;
    int count;
    std::string mask;
    int mode, current, top, expectedTop;
  } const cases[] = {
      {"cursor in view", 25, "", MD_List, 8, 5, 5},
      {"cursor on item 0 above the view", 25, "", MD_List, 0, 5, 0},
      {"above the view, reachable items above", 25, "x.", MD_List, 3, 5, 3},
      {"above the view, only unselectable items above", 25, "xxx", MD_List, 3, 5, 0},
      {"below the view, selectable items below", 25, "", MD_List, 12, 0, 3},
      {"below the view, only unselectable items below", 25, std::string(13, '.') + std::string(12, 'x'),
       MD_List, 12, 0, 15},
      {"below the view on the last item", 25, "", MD_List, 24, 0, 15},
      {"memo: the current line is the first", 25, "", MD_Memo, 7, 0, 7},
  };
  for (const auto &c : cases) {
    BuildMenu(c.count, c.mask);
    OSDMenuSetDisplayMode(c.mode);
    Menu[0].CurrentItem = c.current;
    Menu[0].TopItem = c.top;
    OSDCalcIndices();
    EXPECT_EQ(Menu[0].TopItem, c.expectedTop) << c.what;
  }
}

// Down from the last visible row scrolls at once, so the cursor is drawn on
// a visible row (never on an eleventh one), whatever the cursor type, also
// where only unselectable items follow and stay in view.
TEST_F(MenuScroll, DownPastTheLastVisibleRowShowsTheCursor) {
  struct {
    const char *what;
    std::string mask;
    int row;  // where item 10 is drawn
  } const cases[] = {
      {"selectable items below", std::string(25, '.'), 9},
      {"only unselectable items below", std::string(11, '.') + "xxxx", 5},
  };
  for (const auto &c : cases)
    for (int type : {CT_Standard, CT_Dark, CT_Box}) {
      BuildMenu(static_cast<int>(c.mask.size()), c.mask);
      OSDMenuSetCursorType(type);
      OSDMenuSetCurrentItem(9);
      OSDMenuUpdate(TRUE);
      Send(EVT_KEY, RKEY_Down);
      ASSERT_EQ(OSDMenuGetCurrentItem(), 10) << c.what;
      int y = 95 + 37 * c.row;
      uint32_t frame = 0;
      bool drawn = type == CT_Box    ? pvrsim::osd::regionPixel(OSDRgn, 60, y, frame) && frame == 0xFF5ACDECu
                   : type == CT_Dark ? bool(ShowsGraphic(OSDRgn, 62, y, _SelectionBar_Blue_100x34Dark_Gd))
                                     : bool(ShowsGraphic(OSDRgn, 60, y, _SelectionBar_Blue_100x34_Gd));
      EXPECT_TRUE(drawn) << c.what << ", cursor type " << type;
    }
}

}  // namespace
}  // namespace toolkit_test
