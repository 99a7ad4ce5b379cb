// LegacyTextTest.cpp - the legacy 8-bit text family with a tiny font of its own: plain and
// run-length encoded bitmaps, byte-wise shortening, and the 256-byte work
// copy.
#include <cstring>

#include "OsdFixture.h"

using namespace osdtest;
namespace posd = pvrsim::osd;

namespace {
const dword kInk = 0xFFFFFFFF;
const dword kPaper = 0xFF000000;

// Glyph 0 (blank) 2 x 2, '.' 1 x 2, 'A' 3 x 2 with the coverage
// 255 255 255 / 10 0 0; every other glyph is empty.
struct TinyFont {
  byte block[32];
  tFontData data;

  explicit TinyFont(bool runLength) {
    std::memset(&data, 0, sizeof data);
    data.pFontData = block;
    data.FontDef[0] = {2, 2, 0};
    data.FontDef[FM_CharToIndex('.')] = {1, 2, 0};
    data.FontDef[FM_CharToIndex('A')] = {3, 2, 0};
    if (runLength) {
      const byte packed[] = {0, 4, /* '.' */ 255, 2, /* 'A' */ 255, 3, 10, 0, 2};
      std::memcpy(block, packed, sizeof packed);
      data.FontDef[0].BitmapIndex = 99;  // not 0: marks the block as run-length encoded
      data.FontDef[FM_CharToIndex('.')].BitmapIndex = 2;
      data.FontDef[FM_CharToIndex('A')].BitmapIndex = 4;
    } else {
      const byte plain[] = {0, 0, 0, 0, /* '.' */ 255, 255, /* 'A' */ 255, 255, 255, 10, 0, 0};
      std::memcpy(block, plain, sizeof plain);
      data.FontDef[FM_CharToIndex('.')].BitmapIndex = 4;
      data.FontDef[FM_CharToIndex('A')].BitmapIndex = 6;
    }
  }
};
}  // namespace

class LegacyText : public OsdTest {
 protected:
  TinyFont plain{false}, packed{true};

  posd::Image Draw(const tFontData *font, const char *text, dword maxX, byte mode = 0, byte align = 0) {
    word rgn = Region(0, 0, 40, 4, kPaper, OSD_Flag_MemRgn);
    FM_PutString(rgn, 2, 1, maxX, text, kInk, 0, font, mode, align);
    posd::Image image = posd::regionImage(rgn);
    TAP_Osd_Delete(rgn);
    return image;
  }
};

TEST_F(LegacyText, PlainAndRunLengthBitmapsDrawAlike) {
  posd::Image image = Draw(&plain.data, "A", 30);
  EXPECT_EQ(kInk, image.at(2, 1));
  EXPECT_EQ(kInk, image.at(4, 1));
  EXPECT_EQ(0xFF000000u | FM_AlphaBlendRGB(10, kInk, kPaper, 1.0f), image.at(2, 2));
  EXPECT_EQ(kPaper, image.at(3, 2));
  EXPECT_EQ(kPaper, image.at(5, 1));
  EXPECT_EQ(image.argb, Draw(&packed.data, "A", 30).argb);
  EXPECT_EQ(Draw(&plain.data, "A. A", 30).argb, Draw(&packed.data, "A. A", 30).argb);
}

TEST_F(LegacyText, MeasuresDrawableBytesOnly) {
  EXPECT_EQ(6u, FM_GetStringWidth("A\x01"
                                  "A",
                                  &plain.data));
  EXPECT_EQ(2u, FM_GetStringHeight("A\x85", &plain.data));
  EXPECT_EQ(0u, FM_GetStringWidth("", &plain.data));
  EXPECT_EQ(0u, FM_GetStringWidth("A", nullptr));
  tFontData empty{};
  EXPECT_EQ(0u, FM_GetStringHeight("A", &empty));
  EXPECT_EQ(Draw(&plain.data, "AA", 30).argb, Draw(&plain.data,
                                                   "A\x01"
                                                   "A",
                                                   30)
                                                  .argb);
}

TEST_F(LegacyText, ShortensBytewise) {
  // Span 2..12: "AAAA" is 12 wide.
  EXPECT_EQ(Draw(&plain.data, "AAA", 30).argb, Draw(&plain.data, "AAAA", 12, 0).argb);
  EXPECT_EQ(Draw(&plain.data, "AA...", 30).argb, Draw(&plain.data, "AAAA", 12, 1).argb);
  EXPECT_EQ(Draw(&plain.data, "...AA", 30).argb, Draw(&plain.data, "AAAA", 12, 2).argb);
  posd::Image none = Draw(&plain.data, "AAAA", 12, 5);
  for (uint32_t p : none.argb) ASSERT_EQ(kPaper, p);
}

TEST_F(LegacyText, LongTextsStayInsideTheWorkCopy) {
  std::string text(600, 'A');
  for (byte mode = 0; mode < 3; mode++) {
    posd::Image image = Draw(&plain.data, text.c_str(), 20, mode);
    EXPECT_EQ(kInk, image.at(2, 1)) << int(mode);
  }
}

TEST_F(LegacyText, BuiltInFontHasTheDocumentedShape) {
  const tFontData &f = Calibri_VPD_12_FontData;
  ASSERT_NE(nullptr, f.pFontData);
  EXPECT_EQ(0u, f.FontDef[0].BitmapIndex);
  for (int i = 0; i < 191; i++) {
    EXPECT_EQ(19u, f.FontDef[i].Height) << i;
    EXPECT_GE(f.FontDef[i].Width, 4u) << i;
    EXPECT_LE(f.FontDef[i].Width, 14u) << i;
  }
}
