// DispatchTest.cpp - the toolkit's event entry over all widgets: the contract towards the
// caller (result, first parameter, LastUnprocessedOSDMenuKey), the menu
// list's keys pressed through pvrsim, and a message box over a menu.
#include "ToolkitFixture.h"
#include "core/CommandLine.h"

namespace toolkit_test {
namespace {

class Dispatch : public ToolkitTest {
 protected:
  static void Open(const std::string &widget) {
    if (widget == "menu" || widget == "message box over menu") {
      BuildMenu(12);
      OSDMenuUpdate(FALSE);
    }
    if (widget == "info box") OSDMenuInfoBoxShow("T", "x", 0);
    if (widget == "message box" || widget == "message box over menu") {
      OSDMenuMessageBoxInitialize("T", "x");
      OSDMenuMessageBoxButtonAdd("A");
      OSDMenuMessageBoxButtonAdd("B");
      OSDMenuMessageBoxShow();
    }
    if (widget == "colour picker") OSDMenuColorPickerShow("T", 0);
  }
};

TEST_F(Dispatch, ContractTowardsTheCaller) {
  const dword kBefore = 0xABCD;  // LastUnprocessedOSDMenuKey before the call
  struct {
    const char *widget;
    word event;
    dword key;
    bool result;
    dword keyAfter, lastUnprocessed;
  } const cases[] = {
      {"none", EVT_KEY, RKEY_Ok, false, RKEY_Ok, kBefore},
      {"menu", EVT_IDLE, 0, false, 0, kBefore},
      {"menu", EVT_KEY, RKEY_Down, true, 0, 0},
      {"menu", EVT_KEY, RKEY_Up, true, 0, 0},
      {"menu", EVT_KEY, RKEY_Ok, false, RKEY_Ok, RKEY_Ok},
      {"menu", EVT_KEY, RKEY_Exit, false, RKEY_Exit, RKEY_Exit},
      {"menu", EVT_KEY, RKEY_Rewind, true, 0, 0},
      {"menu", EVT_KEY, RKEY_JumpEnd, true, 0, 0},
      {"menu", EVT_STOP, 0, false, 0, kBefore},
      {"colour picker", EVT_IDLE, 0, false, 0, kBefore},
      {"colour picker", EVT_KEY, RKEY_Right, true, 0, 0},
      {"colour picker", EVT_KEY, RKEY_3, true, RKEY_3, RKEY_3},
      {"message box", EVT_KEY, RKEY_Right, true, 0, 0},
      {"message box", EVT_KEY, RKEY_Down, true, RKEY_Down, RKEY_Down},
      {"message box over menu", EVT_KEY, RKEY_Down, true, RKEY_Down, RKEY_Down},
      {"info box", EVT_KEY, RKEY_Ok, true, RKEY_Ok, RKEY_Ok},
      {"info box", EVT_KEY, RKEY_Exit, true, 0, 0},
  };
  for (const auto &c : cases) {
    Open(c.widget);
    LastUnprocessedOSDMenuKey = kBefore;
    dword keyAfter = 0;
    EXPECT_EQ(Send(c.event, c.key, &keyAfter), c.result) << c.widget << ", key " << std::hex << c.key;
    EXPECT_EQ(keyAfter, c.keyAfter) << c.widget << ", key " << std::hex << c.key;
    EXPECT_EQ(LastUnprocessedOSDMenuKey, c.lastUnprocessed) << c.widget << ", key " << std::hex << c.key;
    TearDown();
    SetUp();
  }
  // Null pointers with a menu open: nothing happens.
  Open("menu");
  word event = EVT_KEY;
  dword key = RKEY_Down;
  EXPECT_FALSE(OSDMenuEvent(&event, nullptr, nullptr));
  EXPECT_FALSE(OSDMenuEvent(nullptr, &key, nullptr));
  EXPECT_EQ(OSDMenuGetCurrentItem(), 0);
}

// Keys pressed through pvrsim reach the menu through the client's handler;
// the menu redraws after every move.
TEST_F(Dispatch, MenuKeysThroughPvrsim) {
  struct {
    const char *what;
    std::string mask;
    bool wrap;
    std::vector<dword> keys;
    int current;
  } const cases[] = {
      {"down over unselectable items", "..xx..", false, {RKEY_Down, RKEY_Down}, 4},
      {"down stops at the end", "....", false, {RKEY_Down, RKEY_Down, RKEY_Down, RKEY_Down}, 3},
      {"down wraps to the first selectable", "x...", true, {RKEY_Down, RKEY_Down, RKEY_Down}, 1},
      {"up stops at the first selectable", "x...", false, {RKEY_Up, RKEY_Up}, 1},
      {"up wraps over unselectable items", ".xx.x", true, {RKEY_Up}, 3},
      {"right pages down", std::string(25, '.'), false, {RKEY_Right}, 9},
      {"right twice pages twice", std::string(25, '.'), false, {RKEY_Right, RKEY_Right}, 19},
      {"fast forward and rewind", std::string(25, '.'), false, {RKEY_Forward, RKEY_Forward, RKEY_Rewind}, 10},
      {"skip keys", std::string(25, '.'), false, {RKEY_JumpEnd, RKEY_JumpStart}, 0},
  };
  for (const auto &c : cases) {
    BuildMenu(int(c.mask.size()), c.mask, c.wrap);
    OSDMenuSetCurrentItem(OSDMenuFindNextSelectableEntry(-1));
    OSDMenuUpdate(FALSE);
    int syncs = pvrsim::osd::syncCount();
    keyResults.clear();
    Press(c.keys);
    EXPECT_EQ(OSDMenuGetCurrentItem(), c.current) << c.what;
    EXPECT_EQ(pvrsim::osd::syncCount() - syncs, int(c.keys.size())) << c.what << ": one redraw per key";
    ASSERT_EQ(keyResults.size(), c.keys.size()) << c.what;
    for (const KeyResult &r : keyResults) EXPECT_TRUE(r.result && r.keyAfter == 0) << c.what;
  }
  EXPECT_TRUE(sim->returnedKeys().empty());
}

TEST_F(Dispatch, ClientLeftRightGoesBackToTheClient) {
  BuildMenu(25);
  OSDMenuSetClientLeftRight(TRUE);
  OSDMenuUpdate(FALSE);
  Press({RKEY_Left, RKEY_Right, RKEY_Ok});
  EXPECT_EQ(OSDMenuGetCurrentItem(), 0);
  ASSERT_EQ(sim->returnedKeys().size(), 3u);
  EXPECT_EQ(sim->returnedKeys()[0].code, dword(RKEY_Left));
  EXPECT_EQ(sim->returnedKeys()[1].code, dword(RKEY_Right));
  EXPECT_EQ(LastUnprocessedOSDMenuKey, dword(RKEY_Ok));
  // Other levels page with them as before.
  OSDMenuSetMenuLevel(1);
  BuildMenu(25);
  OSDMenuUpdate(FALSE);
  Press({RKEY_Right});
  EXPECT_EQ(OSDMenuGetCurrentItem(), 9);
}

// A message box over a menu gets every key first; the menu moves only
// after the box has closed, and shows its pixels again.
TEST_F(Dispatch, MessageBoxOverAMenu) {
  BuildMenu(12);
  OSDMenuUpdate(FALSE);
  pvrsim::osd::Image menu = pvrsim::osd::regionImage(OSDRgn);
  OSDMenuMessageBoxInitialize("Question", "Over the menu");
  OSDMenuMessageBoxButtonAdd("Yes");
  OSDMenuMessageBoxButtonAdd("No");
  OSDMenuMessageBoxShow();
  Press({RKEY_Down, RKEY_Down, RKEY_Right, RKEY_Forward});
  EXPECT_EQ(OSDMenuGetCurrentItem(), 0) << "the menu got none of the keys";
  EXPECT_EQ(MessageBox.CurrentButton, 1u);
  EXPECT_EQ(pvrsim::osd::regionImage(OSDRgn).argb, menu.argb) << "the menu was not redrawn";
  ASSERT_EQ(sim->returnedKeys().size(), 3u) << "keys the box does not act on stay with the client";

  Press({RKEY_Ok, RKEY_Down});
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
  EXPECT_EQ(OSDMenuMessageBoxLastButton(), 1u);
  EXPECT_EQ(OSDMenuGetCurrentItem(), 1) << "after the box the menu has the keys again";
  EXPECT_FALSE(sim->normalMode()) << "the menu is still open";
}

// The remote's key names in pvrsim are the names of the key symbols, so a
// hint can show the symbol of any key pvrsim can press.
TEST(KeyNames, EveryNamedKeyHasItsSymbol) {
  for (const pvrsim::KeyName &key : pvrsim::keyNames()) {
    int found = 0;
    for (const tKeySymbol &symbol : KeySymbols) found += std::string(symbol.Name) == key.name;
    EXPECT_EQ(found, 1) << key.name;
    EXPECT_STREQ(pvrsim::keyNameOf(key.code), key.name);
  }
}

}  // namespace
}  // namespace toolkit_test
