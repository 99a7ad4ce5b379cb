// ToolkitFixture.h - in-process tests of the menu list, the colour picker
// and the event entry: a pvrsim run with the standard fonts on its disk and
// the test program adopted as a TAP whose event handler hands every event
// to OSDMenuEvent.  Text output is recorded instead of drawn (TextRecorder.cpp),
// so layout figures can be checked exactly.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Graphics.h"
#include "Kalib.h"
#include "SimFixture.h"
#include "osd/Osd.h"

namespace toolkit_test {

// One call of FMUC_PutStringAA.
struct TextCall {
  word rgn;
  dword x, y, maxX;
  std::string text;
  dword color;
  const tUCFont *font;
  byte bDot, align;
};
extern std::vector<TextCall> textCalls;

// Texts drawn into a region, in order; the first call drawing a text.
std::vector<TextCall> TextsIn(word rgn);
const TextCall *FindText(const std::string &text);

// What the adopted handler saw and answered, one entry per key event.
struct KeyResult {
  dword key;
  bool result;
  dword keyAfter;
};
extern std::vector<KeyResult> keyResults;

class ToolkitTest : public SimFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A menu on the current level: count items named "Item <index>" with the
  // value "V<index>", unselectable where the mask has 'x' (index = position).
  static void BuildMenu(int count, const std::string &mask = "", bool wrap = false, bool valueColumn = true,
                        bool numbers = true);
  // Calls OSDMenuEvent as a client does; keyAfter is the first parameter afterwards.
  static bool Send(word event, dword key, dword *keyAfter = nullptr);
  // Presses keys through pvrsim, one per tick, and runs until they are delivered.
  void Press(const std::vector<dword> &keys);
  // True when the region shows the graphic's opaque pixels at (x, y).
  static ::testing::AssertionResult ShowsGraphic(word rgn, int x, int y, const TYPE_GrData &graphic);
};

}  // namespace toolkit_test
