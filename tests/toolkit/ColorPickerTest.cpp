// ColorPickerTest.cpp - colour picker: opening, one component's cursor, value and preview, the
// keys that change the colour, and closing.
#include "ToolkitFixture.h"

namespace toolkit_test {
namespace {

class ColorPicker : public ToolkitTest {
 protected:
  static uint32_t Pixel(int x, int y) {
    uint32_t argb = 0;
    EXPECT_TRUE(pvrsim::osd::regionPixel(ColorPickerOSDRgn, x, y, argb)) << x << "," << y;
    return argb;
  }
  static std::vector<TextCall> Labels() {
    std::vector<TextCall> out;
    for (const TextCall &c : TextsIn(ColorPickerOSDRgn))
      if (c.font == &OSDMenuFont_12) out.push_back(c);
    return out;
  }
};

TEST_F(ColorPicker, ShowOpensACentredPanel) {
  OSDMenuColorPickerShow("Colour", 0x80102030);
  ASSERT_NE(ColorPickerOSDRgn, 0);
  const TYPE_OsdMapEntry *map = (const TYPE_OsdMapEntry *)FIS_vOsdMap();
  EXPECT_EQ(std::vector<int>({map[ColorPickerOSDRgn].x, map[ColorPickerOSDRgn].y,
                              map[ColorPickerOSDRgn].width, map[ColorPickerOSDRgn].height}),
            std::vector<int>({180, 210, 360, 155}));
  EXPECT_EQ(ColorPickerColor, 0x80102030u);
  EXPECT_EQ(ColorPickerDefaultColor, 0x80102030u);
  EXPECT_EQ(CurrentColorSelected, 0);
  EXPECT_EQ(
      std::vector<int>({ColorPickerLastCursorRed, ColorPickerLastCursorGreen, ColorPickerLastCursorBlue}),
      std::vector<int>({0x10 + 8, 0x20 + 8, 0x30 + 8}));
  // Red selected, green and blue not: their labels in light grey.
  auto labels = Labels();
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(std::vector<std::string>({labels[0].text, labels[1].text, labels[2].text}),
            std::vector<std::string>({"16", "32", "48"}));
  EXPECT_EQ(std::vector<dword>({labels[0].color, labels[1].color, labels[2].color}),
            std::vector<dword>({0xFF282828, 0xFFC0C0C0, 0xFFC0C0C0}));
  EXPECT_FALSE(sim->normalMode());
  const TextCall *title = FindText("Colour");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->color, 0xFFE89211u);
}

TEST_F(ColorPicker, DrawingOneComponent) {
  OSDMenuColorPickerShow("C", 0x00FF8000);
  textCalls.clear();
  OSDMenuColorPickerDrawCursor(1, TRUE);
  EXPECT_EQ(ColorPickerLastCursorGreen, 136);
  EXPECT_TRUE(ShowsGraphic(ColorPickerOSDRgn, 136, 78, _ColorPicker_CursorDeselected_Gd));
  EXPECT_TRUE(ShowsGraphic(ColorPickerOSDRgn, 283, 66, _ColorPicker_ValueBackroundSelected_Gd));
  auto labels = Labels();
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, "128");
  EXPECT_EQ(std::vector<dword>({labels[0].x, labels[0].y, labels[0].maxX, labels[0].color, labels[0].align}),
            std::vector<dword>({283, 66 - 3, 337, 0xFF282828, 1}));
  EXPECT_EQ(Pixel(211, 116), 0xFFFF8000u) << "preview, fully opaque";
  EXPECT_EQ(Pixel(270, 133), 0xFFFF8000u);
  EXPECT_EQ(Pixel(210, 115), 0xFFC0C0C0u) << "frame";

  // Not selected: the label on the dark fill, in light grey.
  OSDMenuColorPickerDrawCursor(1, FALSE);
  EXPECT_EQ(Pixel(280, 66), 0xFF282828u);
  EXPECT_EQ(Pixel(339, 82), 0xFF282828u);

  // A moved cursor erases the old one; the same value redraws in place.
  ColorPickerColor = 0x00FF9000;
  OSDMenuColorPickerDrawCursor(1, FALSE);
  EXPECT_TRUE(ShowsGraphic(ColorPickerOSDRgn, 136, 78, _ColorPicker_CursorNone_Gd));
  EXPECT_TRUE(ShowsGraphic(ColorPickerOSDRgn, 152, 78, _ColorPicker_CursorDeselected_Gd));
  OSDMenuColorPickerDrawCursor(1, FALSE);
  EXPECT_TRUE(ShowsGraphic(ColorPickerOSDRgn, 152, 78, _ColorPicker_CursorDeselected_Gd));

  // With no cursor drawn before, nothing is erased.
  TAP_Osd_FillBox(ColorPickerOSDRgn, 0, 100, 8, 9, 0xFF0000FF);
  ColorPickerLastCursorBlue = -1;
  OSDMenuColorPickerDrawCursor(2, FALSE);
  EXPECT_EQ(Pixel(0, 100), 0xFF0000FFu);
}

TEST_F(ColorPicker, DrawingWhileClosedDoesNothing) {
  int syncs = pvrsim::osd::syncCount();
  OSDMenuColorPickerDrawCursor(0, TRUE);
  OSDMenuColorPickerDestroy();
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
  EXPECT_EQ(pvrsim::osd::syncCount(), syncs);
  EXPECT_EQ(ColorPickerLastCursorRed, -1);
}

TEST_F(ColorPicker, KeysChangeTheColour) {
  struct {
    const char *what;
    dword color;
    int selected;
    dword key;
    dword expected;
    int selectedAfter;
    bool redrawn;
  } const cases[] = {
      {"red +10 to the top", 0x00FA0000, 0, RKEY_Up, 0x00FF0000, 0, true},
      {"red +10 at the top stays and redraws", 0x00FF0000, 0, RKEY_Up, 0x00FF0000, 0, true},
      {"green -10", 0x00003000, 1, RKEY_Down, 0x00002600, 1, true},
      {"green -10 stops at 0", 0x00000500, 1, RKEY_Down, 0x00000000, 1, true},
      {"blue +1", 0x11223344, 2, RKEY_Right, 0x11223345, 2, true},
      {"blue -1 at 0 draws nothing", 0x11223300, 2, RKEY_Left, 0x11223300, 2, false},
      {"blue +1 at 255 draws nothing", 0x112233FF, 2, RKEY_Right, 0x112233FF, 2, false},
      {"select green", 0x00000000, 0, RKEY_Green, 0x00000000, 1, true},
      {"select blue", 0x00000000, 0, RKEY_Blue, 0x00000000, 2, true},
      {"select red", 0x00000000, 2, RKEY_Red, 0x00000000, 0, true},
      {"green again draws nothing", 0x00000000, 1, RKEY_Green, 0x00000000, 1, false},
  };
  for (const auto &c : cases) {
    OSDMenuColorPickerShow("C", c.color);
    if (c.selected) {
      CurrentColorSelected = c.selected;
      OSDMenuColorPickerDrawCursor(c.selected, TRUE);
    }
    int syncs = pvrsim::osd::syncCount();
    dword left = 1;
    EXPECT_TRUE(Send(EVT_KEY, c.key, &left)) << c.what;
    EXPECT_EQ(left, 0u) << c.what << ": consumed";
    EXPECT_EQ(ColorPickerColor, c.expected) << c.what;
    EXPECT_EQ(CurrentColorSelected, c.selectedAfter) << c.what;
    EXPECT_EQ(pvrsim::osd::syncCount() > syncs, c.redrawn) << c.what;
    OSDMenuColorPickerDestroy();
  }
}

TEST_F(ColorPicker, ConfirmKeepsCancelRestores) {
  for (auto [key, expected] :
       {std::pair{dword(RKEY_Ok), 0x00141E00u}, std::pair{dword(RKEY_Exit), 0x00000000u}}) {
    OSDMenuColorPickerShow("C", 0x00000000);
    Press({RKEY_Up, RKEY_Up, RKEY_Green, RKEY_Up, RKEY_Up, RKEY_Up, RKEY_Red, key});
    EXPECT_EQ(ColorPickerOSDRgn, 0);
    EXPECT_EQ(ColorPickerColor, expected) << key;
    EXPECT_TRUE(sim->normalMode());
    EXPECT_TRUE(sim->returnedKeys().empty()) << "every key was the picker's";
  }
  // A key the picker does not know stays with the caller.
  OSDMenuColorPickerShow("C", 0);
  dword left = 0;
  EXPECT_TRUE(Send(EVT_KEY, RKEY_5, &left));
  EXPECT_EQ(left, dword(RKEY_5));
  EXPECT_EQ(LastUnprocessedOSDMenuKey, dword(RKEY_5));
}

TEST_F(ColorPicker, ClosingRestoresTheMenuUnderIt) {
  BuildMenu(3);
  OSDMenuUpdate(FALSE);
  pvrsim::osd::Image before = pvrsim::osd::regionImage(OSDRgn);
  OSDMenuColorPickerShow("C", 0);
  ASSERT_NE(InfoBoxSaveArea, nullptr);
  EXPECT_EQ(std::pair(InfoBoxSaveAreaX, InfoBoxSaveAreaY), std::pair(170, 193));
  TAP_Osd_FillBox(OSDRgn, 170, 193, 380, 190, 0xFFFF00FF);  // something drew into the menu meanwhile
  OSDMenuColorPickerDestroy();
  EXPECT_EQ(InfoBoxSaveArea, nullptr);
  EXPECT_EQ(pvrsim::osd::regionImage(OSDRgn).argb, before.argb);
  EXPECT_FALSE(sim->normalMode()) << "the menu is still open";
  EXPECT_GT(OSDMenuFont_14.FileHandle, 0) << "the menu still needs the fonts";
}

}  // namespace
}  // namespace toolkit_test
