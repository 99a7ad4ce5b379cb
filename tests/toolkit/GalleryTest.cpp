// GalleryTest.cpp - the gallery TAP in pvrsim, driven by the remote: its values and the long
// list, then every widget opened and closed, which leaves no region and no
// memory behind.
#include <dlfcn.h>

#include "Graphics.h"
#include "Kalib.h"
#include "SimFixture.h"
#include "osd/Osd.h"

// The gallery's own record (gallery/Gallery.h).
typedef struct {
  int CursorType;
  bool WrapAround;
  dword Colours[2];
  int PickerItem;
  const char *Answer;
} tGallery;

namespace {

// Items of the gallery's main menu.
enum { kCursorStyle = 1, kWrapAround = 2, kLongList = 3, kAccent = 7, kMessageBox = 9, kInfoBox = 10 };

class GalleryTest : public SimFixture {
 protected:
  void SetUp() override {
    pvrsim::osd::reset();
    SimFixture::SetUp();
    ASSERT_TRUE(installStandardFonts());
    slot = startTap(TAP_Gallery, "/ProgramFiles/Gallery.tap");
    ASSERT_GE(slot, 0);
    handle = sim->tapHandle(slot);
  }

  // A variable of the running gallery (its own copy of the library).
  template <typename T>
  T &Var(const char *name) {
    void *p = dlsym(handle, name);
    EXPECT_NE(p, nullptr) << name;
    static T none{};
    return p ? *static_cast<T *>(p) : none;
  }
  int CurrentItem() {
    int level = Var<int>("CurrentMenuLevel");
    return Var<tMenuLevel[MENU_LEVELS]>("Menu")[level].CurrentItem;
  }
  // Presses keys half a second apart and runs until the last one is handled.
  void Press(const std::vector<dword> &keys) {
    for (dword key : keys) {
      sim->scheduleKey(sim->now() + 1, key);
      sim->runTicks(50);
    }
  }
  void MoveTo(int item) {
    while (sim->isRunning(slot) && CurrentItem() != item)
      Press({dword(CurrentItem() < item ? RKEY_Down : RKEY_Up)});
  }

  int slot = -1;
  void *handle = nullptr;
};

// Left and right change values on the main menu; the long list wraps when
// that is switched on there.
TEST_F(GalleryTest, ValuesAndTheLongList) {
  Press({RKEY_Right, RKEY_Right});
  EXPECT_EQ(Var<tGallery>("Gallery").CursorType, CT_Box);
  EXPECT_EQ(Var<int>("MenuCursorType"), CT_Box);
  Press({RKEY_Left});
  EXPECT_EQ(Var<int>("MenuCursorType"), CT_Dark);
  EXPECT_EQ(CurrentItem(), kCursorStyle) << "left and right did not page";

  for (bool wrap : {false, true}) {
    MoveTo(kWrapAround);
    if (Var<tGallery>("Gallery").WrapAround != wrap) Press({RKEY_Right});
    MoveTo(kLongList);
    Press({RKEY_Ok});
    ASSERT_EQ(Var<int>("CurrentMenuLevel"), 1);
    EXPECT_EQ(Var<tMenuLevel[MENU_LEVELS]>("Menu")[1].NrItems, 25);
    EXPECT_EQ(Var<int>("MenuCursorType"), CT_Dark) << "the style carries over";
    Press({RKEY_Up});
    // Items 0 and 24 are group headers, which the cursor skips.
    EXPECT_EQ(CurrentItem(), wrap ? 23 : 1) << (wrap ? "wraps" : "stops") << " at the first selectable item";
    Press({RKEY_Exit});
    ASSERT_EQ(Var<int>("CurrentMenuLevel"), 0);
    EXPECT_EQ(CurrentItem(), kLongList) << "back where it was";
  }
}

// Every widget opened and closed in turn, then the gallery ends: no region
// stays, no memory is left for the firmware to take back, and the firmware
// is in normal mode again.
TEST_F(GalleryTest, OpeningAndClosingEverythingLeavesNothing) {
  MoveTo(kLongList);
  Press({RKEY_Ok, RKEY_Forward, RKEY_Exit, RKEY_Down, RKEY_Ok, RKEY_Down, RKEY_Exit, RKEY_Down, RKEY_Ok,
         RKEY_JumpEnd, RKEY_Exit});
  // The accent colour: green +20 and blue +1 kept; then a cancelled change.
  MoveTo(kAccent);
  Press({RKEY_Ok, RKEY_Green, RKEY_Up, RKEY_Up, RKEY_Blue, RKEY_Right, RKEY_Ok});
  EXPECT_EQ(Var<tMenuLevel[MENU_LEVELS]>("Menu")[0].Items[kAccent].ColorPatch, 0xFFE8A612u);
  Press({RKEY_Ok, RKEY_Down, RKEY_Exit});
  EXPECT_EQ(Var<tGallery>("Gallery").Colours[0], 0xFFE8A612u);
  // A message box over the menu: EXIT cancels the box, not the gallery.
  MoveTo(kMessageBox);
  Press({RKEY_Ok, RKEY_Down, RKEY_Exit});
  EXPECT_EQ(CurrentItem(), kMessageBox) << "the menu got no key while the box was open";
  EXPECT_STREQ(Var<tGallery>("Gallery").Answer, "cancelled");
  Press({RKEY_Ok, RKEY_Left, RKEY_Ok});
  EXPECT_STREQ(Var<tGallery>("Gallery").Answer, "Yes");
  EXPECT_STREQ(Var<tMenuLevel[MENU_LEVELS]>("Menu")[0].Items[kMessageBox].Value, "answer: Yes");
  MoveTo(kInfoBox);
  Press({RKEY_Ok});
  ASSERT_NE(Var<word>("InfoBoxOSDRgn"), 0);
  EXPECT_NE(Var<word>("WaitSpinnerRgn"), 0);
  sim->runTicks(300);
  EXPECT_EQ(Var<word>("InfoBoxOSDRgn"), 0) << "the info box timed out";
  Press({RKEY_Ok});
  Press({RKEY_Exit});
  EXPECT_EQ(Var<word>("InfoBoxOSDRgn"), 0);
  EXPECT_TRUE(sim->isRunning(slot));

  Press({RKEY_Exit});
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
  EXPECT_EQ(sim->blocksTakenBack(), 0u) << "the gallery ended holding memory";
  EXPECT_TRUE(sim->normalMode());
  EXPECT_TRUE(sim->returnedKeys().empty()) << "the gallery keeps every key while it is on screen";
}

}  // namespace
