// ToolkitTest.cpp - message box, info box, wait spinner and the toolkit's event entry, run
// in-process against pvrsim.  Text output is recorded instead of drawn (the
// test defines FMUC_PutStringAA), so the layout figures can be checked
// exactly; everything else draws into pvrsim's regions.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Graphics.h"
#include "Kalib.h"
#include "SimFixture.h"
#include "osd/Osd.h"

namespace {

struct TextCall {
  word rgn;
  dword x, y, maxX;
  std::string text;
  dword fg, bg;
  const tUCFont *font;
  byte bDot, align;
};
std::vector<TextCall> textCalls;

}  // namespace

// Replaces the renderer: records what the widgets ask to draw.
extern "C" void FMUC_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fgColor,
                                 dword bgColor, tUCFont *font, byte bDot, byte align, float antiAliasFactor) {
  (void)antiAliasFactor;
  textCalls.push_back({rgn, x, y, maxX, str ? str : "", fgColor, bgColor, font, bDot, align});
}

namespace {

constexpr dword kTitleColor = 0xFFE89211, kTextColor = 0xFFC0C0C0;
constexpr dword kButtonColor = 0xFF242424, kCaptionColor = 0xFFE6E6FA, kSelectedCaptionColor = 0xFF282828;

class Toolkit : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    ASSERT_GE(sim->adoptCaller("/ProgramFiles"), 0);
    textCalls.clear();
  }

  // Texts drawn into one region with a given colour, in order.
  static std::vector<TextCall> texts(word rgn, dword color) {
    std::vector<TextCall> out;
    for (const TextCall &c : textCalls)
      if (c.rgn == rgn && c.fg == color) out.push_back(c);
    return out;
  }
  // y positions as the widgets pass them to OSDMenuPutS (3 above the text).
  static std::vector<int> lineYs(word rgn) {
    std::vector<int> ys;
    for (const TextCall &c : texts(rgn, kTextColor)) ys.push_back(int(c.y) + 3);
    return ys;
  }

  void openQuestion(const char *text, int buttons = 2) {
    OSDMenuMessageBoxInitialize("Title", text);
    const char *captions[] = {"Yes", "No", "Maybe", "Later", "Never", "Sixth"};
    for (int i = 0; i < buttons; i++) OSDMenuMessageBoxButtonAdd(captions[i]);
    OSDMenuMessageBoxShow();
  }

  // Sends one event through the toolkit's entry.
  bool send(word event, dword &key) {
    dword p2 = 0x1234;
    bool r = OSDMenuEvent(&event, &key, &p2);
    EXPECT_EQ(p2, 0x1234u);
    return r;
  }
  bool key(dword code, dword *left = nullptr) {
    dword k = code;
    bool r = send(EVT_KEY, k);
    if (left) *left = k;
    return r;
  }
};

TEST_F(Toolkit, MessageBoxLayoutWithTwoButtons) {
  OSDMenuMessageBoxInitialize("Vantero Setup", "Launch TAP via AutoStart?");
  OSDMenuMessageBoxButtonAdd("Yes");
  OSDMenuMessageBoxButtonAdd("No");
  OSDMenuMessageBoxButtonSelect(1);
  textCalls.clear();
  OSDMenuMessageBoxShow();
  word rgn = MessageBoxOSDRgn;
  ASSERT_NE(rgn, 0);
  EXPECT_TRUE(OSDMenuMessageBoxIsVisible());

  // The panel is centred: 380 x 190 at (170, 193).
  const TYPE_OsdMapEntry *map = (const TYPE_OsdMapEntry *)FIS_vOsdMap();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map[rgn].x, 170);
  EXPECT_EQ(map[rgn].y, 193);
  EXPECT_EQ(map[rgn].width, 380);
  EXPECT_EQ(map[rgn].height, 190);

  auto title = texts(rgn, kTitleColor);
  ASSERT_EQ(title.size(), 1u);
  EXPECT_EQ(title[0].text, "Vantero Setup");
  EXPECT_EQ(title[0].x, 0u);
  EXPECT_EQ(title[0].y, 7u);
  EXPECT_EQ(title[0].maxX, 380u);
  EXPECT_EQ(title[0].font, &OSDMenuFont_14);
  EXPECT_EQ(title[0].align, 1);
  EXPECT_EQ(title[0].bDot, 0);
  EXPECT_EQ(title[0].bg, 0u);
  EXPECT_EQ(lineYs(rgn), std::vector<int>({67}));

  // Buttons centred at 126 and 252; "Yes" plain, "No" highlighted, drawn last.
  auto plain = texts(rgn, kCaptionColor), selected = texts(rgn, kSelectedCaptionColor);
  ASSERT_EQ(plain.size(), 1u);
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(plain[0].text, "Yes");
  EXPECT_EQ(plain[0].x, 76u);
  EXPECT_EQ(plain[0].maxX, 176u);
  EXPECT_EQ(plain[0].y, 121u);
  EXPECT_EQ(selected[0].text, "No");
  EXPECT_EQ(selected[0].x, 202u);
  EXPECT_EQ(selected[0].maxX, 302u);
  EXPECT_EQ(textCalls.back().text, "No");

  uint32_t px;
  ASSERT_TRUE(pvrsim::osd::regionPixel(rgn, 76, 120, px));
  EXPECT_EQ(px, kButtonColor);
  ASSERT_TRUE(pvrsim::osd::regionPixel(rgn, 175, 144, px));
  EXPECT_EQ(px, kButtonColor);
  ASSERT_TRUE(pvrsim::osd::regionPixel(rgn, 176, 130, px));
  EXPECT_NE(px, kButtonColor);
  // The highlighted box shows the button graphic, not the plain fill.
  pvrsim::osd::Image box = pvrsim::osd::regionImage(rgn);
  int differing = 0;
  for (int y = 120; y < 145; y++)
    for (int x = 202; x < 302; x++) differing += box.at(x, y) != kButtonColor;
  EXPECT_GT(differing, 0);
}

TEST_F(Toolkit, ButtonCentresForThreeToFiveButtons) {
  for (int n = 3; n <= 5; n++) {
    textCalls.clear();
    openQuestion("Q", n);
    int step = 380 / (n + 1);
    std::vector<dword> lefts;
    for (const TextCall &c : texts(MessageBoxOSDRgn, kCaptionColor)) lefts.push_back(c.x);
    for (const TextCall &c : texts(MessageBoxOSDRgn, kSelectedCaptionColor)) lefts.push_back(c.x);
    ASSERT_EQ(lefts.size(), size_t(n));
    // Plain ones rising (buttons 1..n-1), the highlighted button 0 last.
    for (int k = 1; k < n; k++) EXPECT_EQ(lefts[k - 1], dword(step * (k + 1) - 50));
    EXPECT_EQ(lefts.back(), dword(step - 50));
    OSDMenuMessageBoxDestroy();
  }
}

TEST_F(Toolkit, MessageBoxTextLines) {
  openQuestion("one\ntwo");
  EXPECT_EQ(lineYs(MessageBoxOSDRgn), std::vector<int>({57, 77}));
  textCalls.clear();
  openQuestion("one\rtwo\nthree\n");
  EXPECT_EQ(lineYs(MessageBoxOSDRgn), std::vector<int>({47, 67, 87}));
  textCalls.clear();
  openQuestion("A\r\nB");
  auto lines = texts(MessageBoxOSDRgn, kTextColor);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "A");
  EXPECT_EQ(lines[1].text, "");
  EXPECT_EQ(lines[2].text, "B");
  textCalls.clear();
  openQuestion("");
  EXPECT_TRUE(lineYs(MessageBoxOSDRgn).empty());
}

TEST_F(Toolkit, LinesOutsideTheBoxAreNotDrawn) {
  // Twelve lines: the first would start above the panel, the last run into
  // its bottom edge.  A line covers y - 3 to y - 3 + 23 (the font cell and
  // one row); every line that fits in the 190 rows is drawn, in the info box
  // the tenth (L9, at y 169) exactly.
  std::string text;
  for (int i = 0; i < 12; i++) text += "L" + std::to_string(i) + "\n";
  auto drawn = [](word rgn) {
    std::string names;
    for (const TextCall &c : texts(rgn, kTextColor)) {
      EXPECT_GE(int(c.y), 0) << c.text;
      EXPECT_LE(int(c.y) + 24, 190) << c.text;
      names += c.text + " ";
    }
    return names;
  };
  openQuestion(text.c_str());
  EXPECT_EQ(drawn(MessageBoxOSDRgn), "L3 L4 L5 L6 L7 L8 L9 L10 ");
  textCalls.clear();
  OSDMenuInfoBoxShow("T", text.c_str(), 0);
  EXPECT_EQ(drawn(InfoBoxOSDRgn), "L1 L2 L3 L4 L5 L6 L7 L8 L9 ");
}

TEST_F(Toolkit, LongFieldsAreCut) {
  std::string longText(400, 'x');
  OSDMenuMessageBoxInitialize(longText.c_str(), longText.c_str());
  EXPECT_EQ(strlen(MessageBox.Title), 255u);
  EXPECT_EQ(strlen(MessageBox.Text), 255u);
  for (int i = 0; i < 6; i++) OSDMenuMessageBoxButtonAdd(longText.c_str());
  EXPECT_EQ(MessageBox.NrButtons, 5u);
  EXPECT_EQ(strlen(MessageBox.ButtonText[4]), 255u);
  OSDMenuMessageBoxButtonSelect(5);
  EXPECT_EQ(MessageBox.CurrentButton, 0u);
}

TEST_F(Toolkit, ShowWithoutButtonsOpensNothing) {
  OSDMenuMessageBoxInitialize("T", "x");
  OSDMenuMessageBoxShow();
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
}

TEST_F(Toolkit, MessageBoxKeys) {
  openQuestion("Q", 3);
  dword left;
  // Left on button 0 without scroll-over: consumed, nothing moves.
  EXPECT_TRUE(key(RKEY_Left, &left));
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(MessageBox.CurrentButton, 0u);
  EXPECT_TRUE(key(RKEY_Right, &left));
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(MessageBox.CurrentButton, 1u);
  key(RKEY_Right);
  key(RKEY_Right);
  EXPECT_EQ(MessageBox.CurrentButton, 2u);
  // With scroll-over the highlight wraps both ways.
  MessageBoxAllowScrollOver = TRUE;
  key(RKEY_Right);
  EXPECT_EQ(MessageBox.CurrentButton, 0u);
  key(RKEY_Left);
  EXPECT_EQ(MessageBox.CurrentButton, 2u);

  // Keys the box does not act on stay with the caller.
  LastUnprocessedOSDMenuKey = 0;
  EXPECT_TRUE(key(RKEY_5, &left));
  EXPECT_EQ(left, dword(RKEY_5));
  EXPECT_EQ(LastUnprocessedOSDMenuKey, dword(RKEY_5));
  // Idle events change nothing.
  dword idle = 0;
  EXPECT_FALSE(send(EVT_IDLE, idle));
  EXPECT_EQ(LastUnprocessedOSDMenuKey, dword(RKEY_5));

  key(RKEY_Left);
  EXPECT_TRUE(key(RKEY_Ok, &left));
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(LastUnprocessedOSDMenuKey, 0u);
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
  EXPECT_EQ(OSDMenuMessageBoxLastButton(), 1u);
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
  EXPECT_TRUE(sim->normalMode());

  // No widget open: not the toolkit's event.
  EXPECT_FALSE(key(RKEY_Ok, &left));
  EXPECT_EQ(left, dword(RKEY_Ok));
}

TEST_F(Toolkit, CancelAnswersAllOnes) {
  openQuestion("Q");
  OSDMenuMessageBoxButtonSelect(1);
  EXPECT_FALSE(sim->normalMode());
  EXPECT_TRUE(key(RKEY_Exit));
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
  EXPECT_EQ(OSDMenuMessageBoxLastButton(), MESSAGEBOX_CANCELLED);
  EXPECT_TRUE(sim->normalMode());
}

TEST_F(Toolkit, NoNormalModeLeavesTheFirmwareOutside) {
  openQuestion("Q");
  MessageBoxNoNormalMode = TRUE;
  int before = sim->enterNormalCalls();
  key(RKEY_Ok);
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
  EXPECT_EQ(sim->enterNormalCalls(), before);
  EXPECT_FALSE(sim->normalMode());
}

TEST_F(Toolkit, InfoBoxLinePositions) {
  OSDMenuInfoBoxShow("T", "a", 0);
  EXPECT_EQ(lineYs(InfoBoxOSDRgn), std::vector<int>({99}));
  textCalls.clear();
  OSDMenuInfoBoxShow("T", "a\nb", 0);
  EXPECT_EQ(lineYs(InfoBoxOSDRgn), std::vector<int>({89, 109}));
  textCalls.clear();
  OSDMenuInfoBoxShow("T", "a\nb\rc", 0);
  EXPECT_EQ(lineYs(InfoBoxOSDRgn), std::vector<int>({79, 99, 119}));
  auto title = texts(InfoBoxOSDRgn, kTitleColor);
  ASSERT_EQ(title.size(), 1u);
  EXPECT_EQ(title[0].y, 7u);
  EXPECT_EQ(InfoBoxTimeOut, 0xFFFFFFFFu);
  EXPECT_EQ(pvrsim::osd::regionCount(), 1);  // a repeated Show reuses the region
}

TEST_F(Toolkit, InfoBoxTimesOutOnIdle) {
  OSDMenuInfoBoxShow("T", "x", 300);
  dword start = sim->now();
  dword k = 0;
  while (sim->now() <= start + 300) {
    EXPECT_FALSE(send(EVT_IDLE, k));
    ASSERT_NE(InfoBoxOSDRgn, 0) << "closed early at tick " << sim->now() - start;
    sim->tick();
  }
  sim->tick();
  EXPECT_FALSE(send(EVT_IDLE, k));
  EXPECT_EQ(InfoBoxOSDRgn, 0);
  EXPECT_TRUE(sim->normalMode());
}

TEST_F(Toolkit, InfoBoxKeys) {
  OSDMenuInfoBoxShow("T", "x", 0);
  dword left;
  EXPECT_TRUE(key(RKEY_Ok, &left));
  EXPECT_EQ(left, dword(RKEY_Ok));
  EXPECT_EQ(LastUnprocessedOSDMenuKey, dword(RKEY_Ok));
  EXPECT_NE(InfoBoxOSDRgn, 0);
  EXPECT_TRUE(key(RKEY_Exit, &left));
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(LastUnprocessedOSDMenuKey, 0u);
  EXPECT_EQ(InfoBoxOSDRgn, 0);
}

TEST_F(Toolkit, BoxesReplaceEachOther) {
  openQuestion("Q");
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuInfoBoxShow("T", "x", 0);
  EXPECT_FALSE(OSDMenuMessageBoxIsVisible());
  EXPECT_EQ(OSDMenuMessageBoxLastButton(), 1u);  // no answer set
  EXPECT_NE(InfoBoxOSDRgn, 0);
  OSDMenuMessageBoxInitialize("T", "y");
  EXPECT_EQ(InfoBoxOSDRgn, 0);
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
}

TEST_F(Toolkit, WaitSpinnerAdvancesAtMostEvery100ms) {
  EXPECT_FALSE(OSDMenuWaitSpinnerInit());  // only inside an info box
  OSDMenuInfoBoxShow("T", "x", 0);
  ASSERT_TRUE(OSDMenuWaitSpinnerInit());
  ASSERT_NE(WaitSpinnerRgn, 0);
  EXPECT_FALSE(pvrsim::osd::regionIsOnScreen(WaitSpinnerRgn));
  sim->tick();
  dword k = 0;
  send(EVT_IDLE, k);
  int first = WaitSpinnerIndex;
  sim->runTicks(5);
  send(EVT_IDLE, k);
  EXPECT_EQ(WaitSpinnerIndex, first);
  sim->runTicks(6);
  send(EVT_IDLE, k);
  EXPECT_EQ(WaitSpinnerIndex, (first + 1) % 20);

  // The frame shown is the strip's frame of that index.
  pvrsim::osd::Image strip = pvrsim::osd::regionImage(WaitSpinnerRgn);
  pvrsim::osd::Image box = pvrsim::osd::regionImage(InfoBoxOSDRgn);
  for (int y = 0; y < 50; y += 7)
    for (int x = 0; x < 50; x += 7)
      EXPECT_EQ(box.at(15 + x, 130 + y), strip.at(50 * WaitSpinnerIndex + x, y));

  WaitSpinnerIndex = 19;
  sim->runTicks(11);
  send(EVT_IDLE, k);
  EXPECT_EQ(WaitSpinnerIndex, 0);

  OSDMenuInfoBoxDestroy();
  EXPECT_EQ(WaitSpinnerRgn, 0);
  EXPECT_EQ(pvrsim::osd::regionCount(), 0);
}

TEST_F(Toolkit, ClientRegionUnderTheBoxIsRestored) {
  int client = TAP_Osd_Create(100, 150, 500, 300, 0, 0);
  ASSERT_GT(client, 0);
  TAP_Osd_FillBox(client, 0, 0, 500, 300, 0xFF123456);
  MyOSDRgn = client;
  openQuestion("Q");
  ASSERT_NE(InfoBoxSaveArea, nullptr);
  EXPECT_EQ(InfoBoxSaveAreaX, 170);
  EXPECT_EQ(InfoBoxSaveAreaY, 193);
  // Something draws over the client's pixels under the box meanwhile.
  TAP_Osd_FillBox(client, 70, 43, 380, 190, 0xFF000000);
  OSDMenuMessageBoxDestroy();
  EXPECT_EQ(InfoBoxSaveArea, nullptr);
  EXPECT_EQ(MyOSDRgn, 0);
  pvrsim::osd::Image img = pvrsim::osd::regionImage(client);
  EXPECT_EQ(img.at(70, 43), 0xFF123456u);
  EXPECT_EQ(img.at(449, 232), 0xFF123456u);
  TAP_Osd_Delete(client);
}

TEST_F(Toolkit, StandardFontsLiveWhileAWidgetIsOpen) {
  std::string fonts = std::string(BINARY_DIR) + "/payloads/files/";
  for (const char *f :
       {"Calibri_10", "Calibri_12", "Calibri_14", "Calibri_16", "Calibri_18", "Calibri_20", "Calibri_20B"})
    ASSERT_TRUE(sim->copyToDisk(fonts + f + ".ufnt", "/ProgramFiles/Settings/Fonts/")) << sim->lastError();
  OSDMenuInfoBoxShow("T", "x", 0);
  for (tUCFont *f : {&OSDMenuFont_10, &OSDMenuFont_12, &OSDMenuFont_14, &OSDMenuFont_16, &OSDMenuFont_18,
                     &OSDMenuFont_20, &OSDMenuFont_20B})
    EXPECT_GT(f->FileHandle, 0);
  OSDRgn = 200;  // a menu stands open: the fonts stay
  OSDMenuInfoBoxDestroy();
  EXPECT_GT(OSDMenuFont_14.FileHandle, 0);
  OSDRgn = 0;
  OSDMenuFreeStdFonts();
  EXPECT_EQ(OSDMenuFont_14.FileHandle, 0);
  EXPECT_EQ(OSDMenuFont_20B.FileHandle, 0);
}

TEST_F(Toolkit, MissingFontsAreReportedOnceNotPerGlyph) {
  // No font on the disk: each box is drawn (its lines placed with the
  // standard cell) without a "Glyph ... not found" per letter and draw.
  for (int i = 0; i < 3; i++) {
    openQuestion("one\ntwo");
    OSDMenuMessageBoxDestroy();
    OSDMenuInfoBoxShow("T", "a\nb", 0);
    OSDMenuInfoBoxDestroy();
  }
  std::string console = sim->consoleText();
  EXPECT_NE(console.find("failed to load Calibri_14.ufnt"), std::string::npos);
  EXPECT_EQ(console.find("Glyph"), std::string::npos) << console;
}

TEST_F(Toolkit, PutSPicksTheFontBySize) {
  OSDMenuPutS(1, 5, 20, 100, "x", 1, 0, 18, 0, 0);
  EXPECT_TRUE(textCalls.empty());
  const std::pair<byte, tUCFont *> sizes[] = {{10, &OSDMenuFont_10},
                                              {12, &OSDMenuFont_12},
                                              {14, &OSDMenuFont_14},
                                              {16, &OSDMenuFont_16},
                                              {20, &OSDMenuFont_20}};
  for (auto [size, font] : sizes) {
    textCalls.clear();
    OSDMenuPutS(1, 5, 20, 100, "x", 1, 2, size, 1, 2);
    ASSERT_EQ(textCalls.size(), 1u);
    EXPECT_EQ(textCalls[0].font, font);
    EXPECT_EQ(textCalls[0].y, 17u);
    EXPECT_EQ(textCalls[0].bDot, 1);
    EXPECT_EQ(textCalls[0].align, 2);
  }
}

}  // namespace
