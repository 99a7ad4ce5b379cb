// GoldenTextTest.cpp - golden images of text in the ten shipped fonts and in the built-in legacy
// font: ASCII, German umlauts, a combining acute, the three truncation
// modes, the three alignments, with and without a background fill.
#include <cstdlib>

#include "Golden.h"
#include "OsdFixture.h"

using namespace osdtest;
namespace posd = pvrsim::osd;

namespace {
const dword kPanel = 0xFF1C2230;  // region colour under transparent text
const dword kInk = 0xFFF2F2F2;
const dword kAccent = 0xFFE89211;
const dword kBackground = 0xFF3A5A8C;  // the filled background strips
const dword kSpanMark = 0xFF6A7080;    // marks the span x .. maxX of a line
const int kWidth = 400;

// One line of the specimen: text, span, truncation mode, alignment, fill.
struct SpecimenLine {
  const char *text;
  dword x, maxX;
  byte mode, align;
  dword fg, bg;
};

const SpecimenLine kSpecimen[] = {
    {"The quick brown fox jumps over the lazy dog 0123456789", 4, 396, 0, 0, kInk, 0},
    {"Gr\xC3\xB6\xC3\x9F"
     "e \xC3\x9C"
     "bergabe: \xC3\xA4\xC3\xB6\xC3\xBC \xC3\x84\xC3\x96\xC3\x9C \xC3\x9F",
     4, 396, 0, 0, kAccent, 0},
    {"Cafe\xCC\x81 e\xCC\x81te\xCC\x81 \xE2\x86\x92 r\xC3\xA9sum\xC3\xA9", 4, 396, 0, 0, kInk, kBackground},
    {"Truncated at the end without any ellipsis at all", 4, 200, 0, 0, kInk, 0},
    {"Truncated at the end with an ellipsis behind it", 4, 200, 1, 0, kInk, kBackground},
    {"Truncated at the front with an ellipsis before it", 4, 200, 2, 0, kInk, 0},
    {"Left", 100, 300, 0, 0, kInk, kBackground},
    {"Centred", 100, 300, 0, 1, kInk, kBackground},
    {"Right", 100, 300, 0, 2, kInk, 0},
};

const char *const kFonts[] = {"Calibri_10", "Calibri_12",  "Calibri_14", "Calibri_16", "Calibri_18",
                              "Calibri_20", "Calibri_20B", "Arial_12B",  "Arial_14",   "Courier_New_13"};
}  // namespace

class GoldenText : public OsdTest, public ::testing::WithParamInterface<const char *> {
 protected:
  // Draws the specimen with `put` into a region of nine lines of lineHeight.
  template <typename Put>
  posd::Image Specimen(dword lineHeight, Put put) {
    dword height = lineHeight * (sizeof kSpecimen / sizeof kSpecimen[0]);
    int rgn = TAP_Osd_Create(0, 0, kWidth, height, 0, OSD_Flag_MemRgn);
    EXPECT_GE(rgn, 128);
    TAP_Osd_FillBox(word(rgn), 0, 0, kWidth, height, kPanel);
    dword y = 0;
    for (const SpecimenLine &line : kSpecimen) {
      // A one-pixel mark at both ends of the span shows where x and maxX are.
      TAP_Osd_FillBox(word(rgn), line.x - 1, y, 1, lineHeight - 2, kSpanMark);
      TAP_Osd_FillBox(word(rgn), line.maxX, y, 1, lineHeight - 2, kSpanMark);
      put(word(rgn), line, y);
      y += lineHeight;
    }
    posd::Image image = posd::regionImage(word(rgn));
    TAP_Osd_Delete(word(rgn));
    return image;
  }
};

TEST_P(GoldenText, SpecimenInUnicodeFont) {
  std::string name = std::string(GetParam()) + ".ufnt";
  ASSERT_TRUE(InstallBuiltFont(name)) << "the build has not made " << name << " (target payload_files)";
  tUCFont font{};
  ASSERT_TRUE(FMUC_LoadFontFile(name.c_str(), &font));
  dword lineHeight = FMUC_GetStringHeight("Ag", &font) + 3;
  posd::Image image = Specimen(lineHeight, [&](word rgn, const SpecimenLine &line, dword y) {
    FMUC_PutStringAA(rgn, line.x, y, line.maxX, line.text, line.fg, line.bg, &font, line.mode, line.align,
                     1.0f);
  });
  EXPECT_EQ(0, ConsoleCount("not found"));  // every character of the specimen is in the font
  FMUC_FreeFontFile(&font);
  EXPECT_TRUE(MatchesGolden(std::string("text_") + GetParam(), image));
}

INSTANTIATE_TEST_SUITE_P(ShippedFonts, GoldenText, ::testing::ValuesIn(kFonts),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                           return std::string(info.param);
                         });

TEST_F(GoldenText, SpecimenInLegacyFont) {
  dword lineHeight = FM_GetStringHeight("Ag", &Calibri_VPD_12_FontData) + 3;
  posd::Image image = Specimen(lineHeight, [&](word rgn, const SpecimenLine &line, dword y) {
    // The legacy font draws ISO 8859-1: the UTF-8 lines are converted first.
    char iso[256];
    StrToISO(line.text, iso);
    FM_PutString(rgn, line.x, y, line.maxX, iso, line.fg, line.bg, &Calibri_VPD_12_FontData, line.mode,
                 line.align);
  });
  EXPECT_TRUE(MatchesGolden("text_Calibri_VPD_12_legacy", image));
}

// The comparison itself: a missing reference and a changed pixel fail, and
// a mismatch leaves the actual and the difference image in the build tree.
TEST(GoldenCheck, MissingReferenceAndMismatchFail) {
  if (std::getenv("UPDATE_GOLDEN") != nullptr) GTEST_SKIP() << "references are being rewritten";
  posd::Image image(4, 3, 0xFF102030);
  ::testing::AssertionResult missing = MatchesGolden("no_such_reference", image);
  EXPECT_FALSE(missing);
  EXPECT_NE(std::string::npos, std::string(missing.message()).find("UPDATE_GOLDEN=1"));

  posd::Image reference;
  ASSERT_TRUE(posd::readPng(std::string(SOURCE_DIR) + "/tests/osd/golden/message_window.png", reference));
  EXPECT_TRUE(MatchesGolden("message_window", reference));
  reference.at(7, 5) ^= 0x00010000;
  ::testing::AssertionResult changed = MatchesGolden("message_window", reference);
  EXPECT_FALSE(changed);
  EXPECT_NE(std::string::npos, std::string(changed.message()).find("first difference at (7, 5)"));
  std::string out = std::string(BINARY_DIR) + "/tests/osd/golden-out/message_window";
  EXPECT_TRUE(fs::exists(out + ".actual.png"));
  posd::Image diff;
  ASSERT_TRUE(posd::readPng(out + ".diff.png", diff));
  EXPECT_EQ(0xFFFF0000u, diff.at(7, 5));
  EXPECT_NE(0xFFFF0000u, diff.at(8, 5));
}
