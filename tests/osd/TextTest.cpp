// TextTest.cpp - anti-aliased text: blending figures, the legacy character map, and
// FMUC_PutStringAA's cleaning, shortening, alignment and blending, each
// compared with a reference drawing of the text it must come down to.
#include <cmath>
#include <cstring>
#include <vector>

#include "OsdFixture.h"
#include "osd/AlphaScale.h"
#include "UfntBuilder.h"

using namespace osdtest;
namespace posd = pvrsim::osd;

namespace {
const dword kInk = 0xFFF0E0D0;
const dword kPaper = 0xFF203040;
}  // namespace

TEST(AlphaBlend, Figures) {
  EXPECT_EQ(127, FM_AlphaBlend(128, 255, 0, 1.0f));
  EXPECT_EQ(254, FM_AlphaBlend(128, 255, 0, 2.0f));
  EXPECT_EQ(255, FM_AlphaBlend(200, 255, 255, 2.0f));
  EXPECT_EQ(17, FM_AlphaBlend(0, 99, 17, 2.0f));    // coverage 0: the background as it is
  EXPECT_EQ(99, FM_AlphaBlend(255, 99, 17, 0.5f));  // coverage 255: the foreground as it is
  EXPECT_EQ(0x007F7F00u, FM_AlphaBlendRGB(128, 0xFFFFFF00, 0x00000000, 1.0f));
  FM_InitAlphaLUT(0xFFFF0000, 0xFF0000FF, 1.0f);
  EXPECT_EQ(FM_AlphaBlend(100, 0xFF, 0, 1.0f), AlphaLUT[100][0]);
  EXPECT_EQ(FM_AlphaBlend(100, 0, 0xFF, 1.0f), AlphaLUT[100][2]);
  EXPECT_EQ(0xFF, AlphaLUT[0][2]);
}

// The box's FPU is not known, so the blend scales in integer arithmetic; it
// must give what the float multiplication gives, for every channel value and
// a sweep of factors with the edge cases (rounding up to a whole number,
// tiny and huge, negative, infinite and NaN factors).
TEST(AlphaBlend, ScalingAgreesWithFloatMultiplication) {
  auto reference = [](byte alpha, byte fg, byte bg, float factor) -> byte {
    dword v = ((255 - alpha) * (dword)bg + alpha * (dword)fg) >> 8;
    volatile float scaled = (float)v * factor;  // rounded to single precision, also on x87
    if (!(scaled > 0.0f)) return 0;
    if (scaled >= 256.0f) return 255;
    return (byte)(int)scaled;
  };
  // 128/127 and 97/3: 127 x 1.0078740 and 3 x 32.333332 lie just below 128 and 97 and round up to them.
  std::vector<float> factors = {0.0f,         -0.0f,  -1.0f,      1e-45f,   1e-30f,    0.5f,
                                0.99999994f,  1.0f,   1.0000001f, 1.5f,     2.0f,      128.0f / 127.0f,
                                97.0f / 3.0f, 255.0f, 3e38f,      INFINITY, -INFINITY, NAN};
  for (uint32_t bits = 0x3A000000; bits < 0x44000000; bits += 0x3A1D) {
    float factor;
    std::memcpy(&factor, &bits, sizeof factor);
    factors.push_back(factor);
  }
  int mismatches = 0;
  for (float factor : factors) {
    for (int alpha = 1; alpha < 255; alpha++) {
      for (byte bg : {0, 255}) {
        byte want = reference(alpha, 255, bg, factor), got = FM_AlphaBlend(alpha, 255, bg, factor);
        if (got != want && mismatches++ < 5)
          ADD_FAILURE() << "alpha " << alpha << " bg " << int(bg) << " factor " << factor << ": " << int(got)
                        << ", float gives " << int(want);
      }
    }
  }
  EXPECT_EQ(0, mismatches);
  // The table a text scales by, for every channel value.
  for (float factor : factors) {
    const byte *table = AlphaScaleTable(AlphaFactorBits(factor));
    for (dword v = 0; v < 256; v++) {
      volatile float scaled = (float)v * factor;
      byte want = !(scaled > 0.0f) ? 0 : scaled >= 256.0f ? 255 : (byte)(int)scaled;
      if (table[v] != want && mismatches++ < 5)
        ADD_FAILURE() << "table of factor " << factor << " at " << v << ": " << int(table[v])
                      << ", float gives " << int(want);
    }
  }
  EXPECT_EQ(0, mismatches);
}

// Red and blue are mixed in one multiplication: over every coverage and
// every pair of channel values the packed blend equals three single blends.
TEST(AlphaBlend, PackedChannelsAgreeWithSingleBlends) {
  int mismatches = 0;
  for (float factor : {1.0f, 97.0f / 3.0f}) {
    for (dword alpha = 1; alpha < 255; alpha++)
      for (dword fg = 0; fg < 256; fg++)
        for (dword bg = 0; bg < 256; bg++) {
          dword FG = fg << 16 | bg << 8 | (255 - fg), BG = bg << 16 | fg << 8 | (bg ^ 0x5A);
          dword want = (dword)FM_AlphaBlend(alpha, fg, bg, factor) << 16 |
                       (dword)FM_AlphaBlend(alpha, bg, fg, factor) << 8 |
                       FM_AlphaBlend(alpha, 255 - fg, bg ^ 0x5A, factor);
          dword got = FM_AlphaBlendRGB(alpha, FG | 0xFF000000, BG | 0xFF000000, factor);
          if (got != want && mismatches++ < 5)
            ADD_FAILURE() << std::hex << "alpha " << alpha << " FG " << FG << " BG " << BG << ": " << got
                          << ", single blends give " << want;
        }
  }
  EXPECT_EQ(0, mismatches);
}

TEST(LegacyCharacters, IndexAndValidity) {
  EXPECT_EQ(33, FM_CharToIndex('A'));
  EXPECT_EQ(95, FM_CharToIndex(0xA0));
  EXPECT_EQ(190, FM_CharToIndex(0xFF));
  EXPECT_EQ(0, FM_CharToIndex(0x0A));
  EXPECT_EQ(0, FM_CharToIndex(0x80));
  EXPECT_TRUE(FM_isValidCharacter(' '));
  EXPECT_TRUE(FM_isValidCharacter('~'));
  EXPECT_FALSE(FM_isValidCharacter(0x7F));
  EXPECT_FALSE(FM_isValidCharacter(0x9F));
  EXPECT_TRUE(FM_isValidCharacter(0xA0));
}

class TextOutput : public OsdTest {
 protected:
  tUCFont font{};
  void SetUp() override {
    OsdTest::SetUp();
    WriteFont("Small.ufnt", BuildUfnt(SmallFont()));
    ASSERT_TRUE(FMUC_LoadFontFile("Small.ufnt", &font));
  }
  void TearDown() override {
    FMUC_FreeFontFile(&font);
    OsdTest::TearDown();
  }

  // Draws into a fresh 200 x 20 region of paper colour and returns its pixels.
  posd::Image Draw(const char *text, dword x, dword maxX, byte mode = 0, byte align = 0, dword bc = 0,
                   dword width = 200) {
    word rgn = Region(0, 0, width, 20, kPaper, OSD_Flag_MemRgn);
    FMUC_PutStringAA(rgn, x, 3, maxX, text, kInk, bc, &font, mode, align, 1.0f);
    posd::Image image = posd::regionImage(rgn);
    TAP_Osd_Delete(rgn);
    return image;
  }
  dword Width(const char *text) { return FMUC_GetStringWidth(text, &font); }
  static bool Blank(const posd::Image &image) {
    for (uint32_t p : image.argb)
      if (p != kPaper) return false;
    return true;
  }
  // Leftmost and rightmost column with ink.
  static std::pair<int, int> InkColumns(const posd::Image &image) {
    int first = -1, last = -1;
    for (int x = 0; x < image.width; x++)
      for (int y = 0; y < image.height; y++)
        if (image.at(x, y) != kPaper) {
          if (first < 0) first = x;
          last = x;
        }
    return {first, last};
  }
};

TEST_F(TextOutput, NothingForAnEmptySpan) {
  EXPECT_TRUE(Blank(Draw("AB", 50, 50)));
  EXPECT_TRUE(Blank(Draw("AB", 60, 50)));
  EXPECT_TRUE(Blank(Draw("", 0, 100)));
  EXPECT_TRUE(Blank(Draw(nullptr, 0, 100)));
}

TEST_F(TextOutput, MaxXBeyondTheRegionIsItsLastColumn) {
  posd::Image image = Draw("AB", 0, 1000, 0, 2);
  EXPECT_EQ(Draw("AB", 199 - Width("AB"), 199).argb, image.argb);
}

TEST_F(TextOutput, IsoTextIsConvertedAndControlsDisappear) {
  EXPECT_EQ(Draw("\xC3\xBC"
                 "x",
                 10, 150)
                .argb,
            Draw("\xFC"
                 "x",
                 10, 150)
                .argb);
  EXPECT_EQ(Draw("AB", 10, 150).argb, Draw("A\nB", 10, 150).argb);
  // A lone E9 among UTF-8 sequences stays unconverted: no glyph, no space.
  EXPECT_EQ(Draw("\xC3\xA4"
                 "x",
                 10, 150)
                .argb,
            Draw("\xC3\xA4\xE9x", 10, 150).argb);
}

TEST_F(TextOutput, LongTextsAreCutByTheCleaning) {
  std::string text(200, 'x');
  posd::Image image = Draw(text.c_str(), 0, 4000, 0, 0, 0, 4000);
  EXPECT_EQ(std::make_pair(0, 126 * 5 - 1), InkColumns(image));
  std::string huge(600, 'x');  // cut alike, not emptied
  EXPECT_EQ(std::make_pair(0, 126 * 5 - 1), InkColumns(Draw(huge.c_str(), 0, 4000, 0, 0, 0, 4000)));
}

TEST_F(TextOutput, ShortenedTextsDrawWhatTheyComeDownTo) {
  // Widths: A 7, e 6, "..." 9, "... " 13; the acute (U+0301) has no advance;
  // U+3042 has no glyph.  kept: the text as drawn when it fits (nullptr:
  // nothing is drawn).
  struct Case {
    const char *text;
    dword span;
    byte mode;
    const char *kept;
  };
  const char *acutes =
      "AAe\xCC\x81"
      "e\xCC\x81";  // 26 wide
  const Case cases[] = {
      {"AAAA", 14, 0, "AA"},
      {"AAAA", 14, 3, nullptr},  // mode 3 never shortens
      {"AAAA", 200, 3, "AAAA"},  // but draws what fits
      {"AAAA", 24, 1, "A..."},   // room for one A and "... "
      {"AAAA", 27, 1, "AA..."},
      {"\xC3\xA4\xC3\xB6\xC3\xBC"
       "abcdef",
       51, 2,
       "...\xC3\xBC"
       "abcdef"},  // a and o umlaut go
      // Narrower than the first character: nothing at all, no ellipsis.
      {"AAAA", 5, 0, nullptr},
      {"AAAA", 13, 1, nullptr},
      {"AAAA", 5, 2, nullptr},
      {"A", 6, 0, nullptr},
      // A mark goes with no width of its own; the letter under it frees 6.
      {acutes, 22, 0, "AAe\xCC\x81"},
      {acutes, 25, 1, "A..."},
      // A character without a glyph stays and frees nothing: at the end it
      // ends the shortening at once, so the text does not fit; before the
      // end it is passed over.
      {"AAAA\xE3\x81\x82", 14, 0, nullptr},
      {"AAAA\xE3\x81\x82", 20, 1, nullptr},
      {"AAA\xE3\x81\x82"
       "A",
       14, 0, "AA"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "\"" << c.text << "\" in " << c.span << ", mode " << int(c.mode));
    posd::Image image = Draw(c.text, 10, 10 + c.span, c.mode);
    if (c.kept == nullptr) {
      EXPECT_TRUE(Blank(image));
    } else {
      EXPECT_TRUE(Draw(c.kept, 10, 150).argb == image.argb) << "drawn differently from \"" << c.kept << "\"";
    }
  }
}

TEST_F(TextOutput, AlignmentPlacesTheText) {
  dword w = Width("AB");
  EXPECT_EQ(std::make_pair(20, 20 + int(w) - 1), InkColumns(Draw("AB", 20, 120, 0, 0)));
  auto centred = InkColumns(Draw("AB", 20, 120, 0, 1));
  EXPECT_EQ(20 + int(120 - (20 + w)) / 2, centred.first);
  EXPECT_EQ(std::make_pair(120 - int(w), 119), InkColumns(Draw("AB", 20, 120, 0, 2)));
  EXPECT_EQ(Draw("AB", 20, 120, 0, 0).argb, Draw("AB", 20, 120, 0, 7).argb);
}

TEST_F(TextOutput, OpaqueBackgroundFillsTheStripFirst) {
  const dword bc = 0xFF405060;
  posd::Image image = Draw("A", 30, 100, 0, 1, bc);
  for (int y = 0; y < 20; y++)
    for (int x = 0; x < 200; x++) {
      bool strip = x >= 30 && x < 100 && y >= 3 && y < 3 + 10 + 1;
      if (!strip) {
        ASSERT_EQ(kPaper, image.at(x, y)) << x << "," << y;
      } else if (x < 60 || x >= 70) {
        ASSERT_EQ(bc, image.at(x, y)) << x << "," << y;
      }
    }
  // Glyph pixels blend over the background through the table.
  const TestGlyph a = SmallFont()[0];
  dword left = 30 + (100 - (30 + 7)) / 2;
  for (int i = 0; i < 70; i++) {
    byte c = a.coverage[i];
    dword expected = c == 0     ? bc
                     : c == 255 ? kInk
                                : (kInk & 0xFF000000) | FM_AlphaBlendRGB(c, kInk, bc, 1.0f);
    ASSERT_EQ(expected, image.at(int(left) + i % 7, 3 + i / 7)) << i;
  }
}

TEST_F(TextOutput, TransparentBackgroundBlendsOverTheRegion) {
  posd::Image image = Draw("A", 30, 100);
  const TestGlyph a = SmallFont()[0];
  for (int i = 0; i < 70; i++) {
    byte c = a.coverage[i];
    dword expected = c == 0     ? kPaper
                     : c == 255 ? kInk
                                : (kInk & 0xFF000000) | FM_AlphaBlendRGB(c, kInk, kPaper, 1.0f);
    ASSERT_EQ(expected, image.at(30 + i % 7, 3 + i / 7)) << i;
  }
}

TEST_F(TextOutput, CombiningMarkIsCentredOverItsLetter) {
  // e (6 wide) with a 4 wide acute: the mark starts at 3 - 2 = 1 in e's cell;
  // the x behind it does not move.
  posd::Image marked = Draw("e\xCC\x81x", 40, 150);
  EXPECT_EQ(InkColumns(Draw("ex", 40, 150)), InkColumns(marked));
  posd::Image onlyMark = Draw("\xCC\x81", 40, 150);  // at the very start: cut at the left edge
  auto ink = InkColumns(onlyMark);
  EXPECT_GE(ink.first, 40);
  EXPECT_LE(ink.second, 40 + 1);
}
