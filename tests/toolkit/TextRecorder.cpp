// TextRecorder.cpp - the shared part of the toolkit tests: the recording
// text renderer, the adopted TAP's event handler and the fixture.
#include <filesystem>

#include "ToolkitFixture.h"

namespace toolkit_test {

std::vector<TextCall> textCalls;
std::vector<KeyResult> keyResults;

std::vector<TextCall> TextsIn(word rgn) {
  std::vector<TextCall> out;
  for (const TextCall &c : textCalls)
    if (c.rgn == rgn) out.push_back(c);
  return out;
}

const TextCall *FindText(const std::string &text) {
  for (const TextCall &c : textCalls)
    if (c.text == text) return &c;
  return nullptr;
}

// The client: every event goes to the toolkit; a key it leaves goes back
// to the firmware.
static dword Handler(word event, dword param1, dword param2) {
  dword key = param1;
  bool result = OSDMenuEvent(&event, &param1, &param2);
  if (event == EVT_KEY) keyResults.push_back({key, result, param1});
  return event == EVT_KEY ? param1 : 0;
}

void ToolkitTest::SetUp() {
  pvrsim::osd::reset();
  SimFixture::SetUp();
  ASSERT_TRUE(installStandardFonts());
  ASSERT_GE(adoptTestProgram("/ProgramFiles", Handler), 0);
  textCalls.clear();
  keyResults.clear();
}

void ToolkitTest::TearDown() {
  OSDMenuInfoBoxDestroy();
  OSDMenuMessageBoxDestroy();
  OSDMenuColorPickerDestroy();
  OSDMenuDestroy();
  SimFixture::TearDown();
}

void ToolkitTest::BuildMenu(int count, const std::string &mask, bool wrap, bool valueColumn, bool numbers) {
  OSDMenuInitialize(FALSE, valueColumn, numbers, wrap, "Title", "Sub");
  for (int i = 0; i < count; i++) {
    bool selectable = i >= int(mask.size()) || mask[i] != 'x';
    std::string text = "Item " + std::to_string(i), value = "V" + std::to_string(i);
    OSDMenuItemAdd(text.c_str(), value.c_str(), nullptr, nullptr, selectable, FALSE, 0);
  }
}

bool ToolkitTest::Send(word event, dword key, dword *keyAfter) {
  dword param2 = 0x1234;
  bool result = OSDMenuEvent(&event, &key, &param2);
  EXPECT_EQ(param2, 0x1234u) << "the second parameter is never written";
  if (keyAfter) *keyAfter = key;
  return result;
}

void ToolkitTest::Press(const std::vector<dword> &keys) {
  dword tick = sim->now() + 1;
  for (dword key : keys) sim->scheduleKey(tick++, key);
  sim->runTicks(dword(keys.size()) + 1);
}

::testing::AssertionResult ToolkitTest::ShowsGraphic(word rgn, int x, int y, const TYPE_GrData &graphic) {
  int scratch = TAP_Osd_Create(0, 0, graphic.width, graphic.height, 0, OSD_Flag_MemRgn);
  TAP_Osd_PutGd(word(scratch), 0, 0, &graphic, FALSE);
  pvrsim::osd::Image want = pvrsim::osd::regionImage(word(scratch));
  TAP_Osd_Delete(word(scratch));
  for (int gy = 0; gy < graphic.height; gy++)
    for (int gx = 0; gx < graphic.width; gx++) {
      uint32_t have = 0;
      if (want.at(gx, gy) >> 24 != 0xFF) continue;  // a sprite's edge mixes with what lies below
      if (!pvrsim::osd::regionPixel(rgn, x + gx, y + gy, have) || have != want.at(gx, gy))
        return ::testing::AssertionFailure()
               << "pixel (" << x + gx << ", " << y + gy << ") differs from the graphic";
    }
  return ::testing::AssertionSuccess();
}

}  // namespace toolkit_test

using toolkit_test::textCalls;

// Replaces the renderer: records what the widgets ask to draw.
extern "C" void FMUC_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fgColor,
                                 dword bgColor, tUCFont *font, byte bDot, byte align, float antiAliasFactor) {
  (void)bgColor;
  (void)antiAliasFactor;
  textCalls.push_back({rgn, x, y, maxX, str ? str : "", fgColor, font, bDot, align});
}
