// MenuStateTest.cpp - the menu-state stack (19 states, the cursor item travelling with its
// state) and the alpha password box driven key by key in-process: digits,
// the back key, "OK" and "Cancel", 29 digits at most, values beyond 2^64.
#include "ManagerSim.h"

namespace manager_test {
namespace {

class MenuStateTest : public ManagerData {
 protected:
  void SetUp() override {
    ManagerData::SetUp();
    MenuStateReset();
  }
  // Pushes a state while the menu's cursor stands on an item.
  static void PushAt(int cursor, tMenuState state) {
    Menu[0].CurrentItem = cursor;
    MenuStatePush(state);
  }
};

TEST_F(MenuStateTest, PushAndPopCarryEachStatesCursorItem) {
  PushAt(7, MS_Overview);
  PushAt(3, MS_VersionList);
  PushAt(5, MS_ReleaseNotes);
  struct Expect {
    tMenuState state;
    int cursor;
  };
  const Expect expected[] = {{MS_ReleaseNotes, 0}, {MS_VersionList, 5}, {MS_Overview, 3}, {MS_Inactive, 7}};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(expected[i].state, MenuStateStack[i]) << i;
    EXPECT_EQ(expected[i].cursor, MenuStatePosition[i]) << i;
  }
  for (const Expect &back : {Expect{MS_VersionList, 5}, Expect{MS_Overview, 3}, Expect{MS_Inactive, 7}}) {
    MenuStatePop();
    EXPECT_EQ(back.state, MenuStateStack[0]);
    EXPECT_EQ(back.cursor, MenuStatePosition[0]) << "the cursor of state " << back.state;
  }
  MenuStatePop();
  EXPECT_EQ(MS_Inactive, MenuStateStack[0]) << "popping an empty stack leaves it empty";
}

// Twenty pushes without a pop: the last 19 states are held, entry 19 is
// MS_Inactive, and nothing beyond the 20 entries changes.
TEST_F(MenuStateTest, TheStackHolds19States) {
  for (int i = 1; i <= 20; i++) PushAt(100 + i, static_cast<tMenuState>(i % 16));
  for (int i = 0; i < 19; i++) {
    EXPECT_EQ(static_cast<tMenuState>((20 - i) % 16), MenuStateStack[i]) << i;
    EXPECT_EQ(i == 0 ? 0 : 100 + 20 - i + 1, MenuStatePosition[i]) << i;
  }
  EXPECT_EQ(MS_Inactive, MenuStateStack[19]);
  for (int i = 0; i < 25; i++) MenuStatePop();
  EXPECT_EQ(MS_Inactive, MenuStateStack[0]);
  MenuStatePosition[0] = 9;
  MenuStatePosition[1] = 8;
  PushAt(4, MS_Options);
  MenuStateReset();
  for (int i = 0; i < MENU_STATE_DEPTH; i++) EXPECT_EQ(MS_Inactive, MenuStateStack[i]) << i;
  EXPECT_EQ(0, MenuStatePosition[0]);
  EXPECT_EQ(4, MenuStatePosition[1]) << "a reset clears only the current cursor";
}

class InputBoxTest : public MenuStateTest {
 protected:
  void SetUp() override {
    MenuStateTest::SetUp();
    ASSERT_TRUE(installStandardFonts());
  }
  void TearDown() override {
    OSDMenuMessageBoxDestroy();
    OSDMenuFreeStdFonts();
    MenuStateTest::TearDown();
  }
  static void Key(dword key) {
    word event = EVT_KEY;
    dword p1 = key, p2 = 0;
    EXPECT_EQ(0u, InputBox_EventHandler(&event, &p1, &p2));
  }
};

TEST_F(InputBoxTest, DigitsBackKeyOkAndCancel) {
  const std::string nines(29, '9');
  struct Case {
    const char *what;
    std::string keys;  // digits, 'b' back key, 'o' OK, 'c' cancel (exit), '>' next button
    const char *shownBeforeClose;
    bool added;
    uint64_t password;
  } cases[] = {
      {"three digits", "123o", "123", true, 123},
      {"back key", "12b5o", "15", true, 15},
      {"back key on nothing", "bb7o", "7", true, 7},
      {"empty", "o", "", true, 0},
      {"cancel", "42c", "42", false, 0},
      {"the Cancel button", "42>o", "42", false, 0},
      {"30 digits", nines + "9o", nines.c_str(), true, 7886392056514347007ull},
      {"2^64 + 1 wraps", "18446744073709551617o", "18446744073709551617", true, 1},
  };
  for (const Case &c : cases) {
    SettingsDefault();
    FlagDoServerQuery = FALSE;
    PushAt(2, MS_Overview);
    PushAt(3, MS_Dialog_AlphaInput);
    InputBox_MenuDraw();
    ASSERT_NE(0, InputRgn) << c.what;
    ASSERT_TRUE(OSDMenuMessageBoxIsVisible()) << c.what;
    for (size_t i = 0; i < c.keys.size(); i++) {
      char k = c.keys[i];
      if (i + 1 == c.keys.size()) {
        EXPECT_STREQ(c.shownBeforeClose, InputText) << c.what;
      }
      Key(k >= '0' && k <= '9' ? RKEY_0 + (k - '0')
          : k == 'b'           ? RKEY_Recall
          : k == 'o'           ? RKEY_Ok
          : k == '>'           ? RKEY_Right
                               : RKEY_Exit);
    }
    EXPECT_EQ(c.added ? 1 : 0, Settings.NrOfAlphaPasswords) << c.what;
    if (c.added && Settings.NrOfAlphaPasswords == 1) {
      EXPECT_EQ(c.password, Settings.AlphaPasswords[0]) << c.what;
    }
    EXPECT_EQ(c.added, FlagDoServerQuery) << c.what;
    EXPECT_EQ(0, InputRgn) << c.what << ": the field stays";
    EXPECT_FALSE(OSDMenuMessageBoxIsVisible()) << c.what;
    EXPECT_EQ(MS_Overview, MenuStateStack[0]) << c.what << ": the dialog's state was not popped";
    EXPECT_EQ(3, MenuStatePosition[0]) << c.what << ": the cursor when the box opened";
    MenuStateReset();
  }
  word event = EVT_KEY;
  dword key = RKEY_1;
  EXPECT_EQ(0u, InputBox_EventHandler(nullptr, &key, nullptr));
  EXPECT_EQ(0u, InputBox_EventHandler(&event, nullptr, nullptr));
  EXPECT_EQ(MS_Inactive, MenuStateStack[0]) << "null events change nothing";
}

// With no OSD region left the box never opens: nothing is added, no
// region 0xFFFF is drawn into, and the dialog's state is left.
TEST_F(InputBoxTest, ABoxThatDidNotOpenAddsNothing) {
  std::vector<int> regions;
  for (int r; regions.size() < 1000 && (r = TAP_Osd_Create(0, 0, 8, 8, 0, 0)) >= 0;) regions.push_back(r);
  SettingsDefault();
  PushAt(2, MS_Overview);
  PushAt(3, MS_Dialog_AlphaInput);
  InputBox_MenuDraw();
  EXPECT_EQ(0, InputRgn);
  Key(RKEY_1);
  EXPECT_EQ(0, Settings.NrOfAlphaPasswords);
  EXPECT_EQ(MS_Overview, MenuStateStack[0]);
  for (int r : regions) TAP_Osd_Delete(static_cast<word>(r));
}

// A password is kept once and saved at once; the list has a limit.
TEST_F(InputBoxTest, AlphaPasswordAddKeepsEachPasswordOnceAndSavesIt) {
  AlphaPasswordAdd(5);
  AlphaPasswordAdd(0xFFFFFFFFFFFFFFFFull);
  AlphaPasswordAdd(5);
  ASSERT_EQ(2, Settings.NrOfAlphaPasswords);
  EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, Settings.AlphaPasswords[1]);
  SettingsFree();
  ASSERT_TRUE(SettingsLoad());
  ASSERT_EQ(2, Settings.NrOfAlphaPasswords);
  EXPECT_EQ(5u, Settings.AlphaPasswords[0]);
  for (int i = 0; i < ALPHA_PASSWORDS_MAX + 3; i++) AlphaPasswordAdd(1000 + i);
  EXPECT_EQ(ALPHA_PASSWORDS_MAX, Settings.NrOfAlphaPasswords);
  EXPECT_EQ(1000u + ALPHA_PASSWORDS_MAX - 3, Settings.AlphaPasswords[ALPHA_PASSWORDS_MAX - 1]);
  std::vector<std::string> log = takeLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "Alpha password already known"), log.end());
  EXPECT_EQ(5, std::count(log.begin(), log.end(), "Alpha password not added: the list holds 100 passwords"));
}

}  // namespace
}  // namespace manager_test
