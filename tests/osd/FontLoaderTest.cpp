// FontLoaderTest.cpp - UFNT font files: loading from the font folder, the glyph cache, lookups,
// measuring, and files that are damaged or hostile.
#include <algorithm>
#include <cstring>

#include "Golden.h"
#include "OsdFixture.h"
#include "UfntBuilder.h"

using namespace osdtest;

class FontLoader : public OsdTest {
 protected:
  tUCFont font;
  void SetUp() override {
    OsdTest::SetUp();
    std::memset(&font, 0, sizeof font);
  }
  void TearDown() override {
    FMUC_FreeFontFile(&font);
    OsdTest::TearDown();
  }
  bool Load(const std::vector<TestGlyph> &glyphs, int64_t count = -1) {
    WriteFont("Test.ufnt", BuildUfnt(glyphs, count));
    return FMUC_LoadFontFile("Test.ufnt", &font);
  }
  static bool AllZero(const tUCFont &f) {
    static const tUCFont zero = {};
    return std::memcmp(&f, &zero, sizeof f) == 0;
  }
  tUCGlyph *Glyph(const char *utf8, byte *length = nullptr) {
    return FMUC_GetGlyphData(&font, reinterpret_cast<const byte *>(utf8), length);
  }
};

TEST_F(FontLoader, LoadsTheFileNamePartFromTheFontFolder) {
  WriteFont("Calibri_14.ufnt", BuildUfnt(SmallFont()));
  ASSERT_TRUE(FMUC_LoadFontFile("/x/y/Calibri_14.ufnt", &font));
  EXPECT_GT(font.FileHandle, 0);
  EXPECT_EQ(15u, font.GlyphCount);
  ASSERT_NE(nullptr, font.GlyphDefs);
  EXPECT_EQ(dword('A'), font.GlyphDefs[0].Unicode);
  EXPECT_EQ(8u + 12 * 15, font.GlyphDefs[0].Offset);
  EXPECT_EQ(7, font.GlyphDefs[0].Width);
  EXPECT_EQ(0u, font.CacheCount);
  EXPECT_NE(nullptr, font.GlyphCache);
}

TEST_F(FontLoader, MissingFileReportsAndShowsTheMessageWindow) {
  dword start = sim->now();
  int syncs = pvrsim::osd::syncCount();
  std::string frames = root + "/frames";
  ASSERT_TRUE(pvrsim::osd::setFramesFolder(frames));
  EXPECT_FALSE(FMUC_LoadFontFile("Nope.ufnt", &font));
  EXPECT_EQ(-1, font.FileHandle);
  EXPECT_EQ(0u, font.GlyphCount);
  EXPECT_EQ(nullptr, font.GlyphDefs);
  EXPECT_TRUE(ConsoleHas("KALIB - FontManager UC: failed to load Nope.ufnt\n"));
  EXPECT_GE(sim->now() - start, 300u);  // the window stayed three seconds
  EXPECT_GE(pvrsim::osd::syncCount(), syncs + 2);
  EXPECT_EQ(0u, kal_rgn);
  // Two frames: the window with the program's name as title, then without.
  ASSERT_EQ(2, pvrsim::osd::framesWritten());
  std::vector<std::string> names;
  for (auto &entry : fs::directory_iterator(frames)) names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  pvrsim::osd::Image shown;
  ASSERT_TRUE(pvrsim::osd::readPng(names[0], shown));
  EXPECT_TRUE(MatchesGolden("font_missing_window", Crop(shown, 160, 230, 400, 116)));
  // The font has no glyphs, and its absence is not reported again glyph by
  // glyph, neither after the failed load nor before any load.
  for (int pass = 0; pass < 2; pass++) {
    EXPECT_EQ(nullptr, Glyph("A"));
    EXPECT_EQ(0u, FMUC_GetStringWidth("Ag", &font));
    EXPECT_EQ(0u, FMUC_GetStringHeight("Ag", &font));
    FMUC_FreeFontFile(&font);  // a failed record is freed harmlessly
    EXPECT_TRUE(AllZero(font));
  }
  EXPECT_EQ(0, ConsoleCount("Glyph"));
}

TEST_F(FontLoader, WrongMagicOrShortHeaderLeavesTheRecordEmpty) {
  // Whole headers (built with their length: they hold zero bytes) whose magic
  // is wrong, and headers cut short.
  const std::pair<const char *, std::string> files[] = {
      {"Bad.ufnt", std::string("UFNX\x01\x00\x00\x00", 8)},
      {"Lower.ufnt", std::string("ufnt\x00\x00\x00\x00", 8)},
      {"Short.ufnt", std::string("UFNT\x01", 5)},
      {"Empty.ufnt", std::string()},
  };
  for (const auto &[name, bytes] : files) {
    SCOPED_TRACE(name);
    WriteFont(name, bytes);
    EXPECT_FALSE(FMUC_LoadFontFile(name, &font));
    EXPECT_TRUE(AllZero(font));
    EXPECT_TRUE(ConsoleHas(std::string("FontManager UC: '") + name + "' has invalid header"));
  }
  EXPECT_FALSE(FMUC_LoadFontFile("", &font));
  EXPECT_FALSE(FMUC_LoadFontFile(nullptr, &font));
  EXPECT_FALSE(FMUC_LoadFontFile("Bad.ufnt", nullptr));
}

TEST_F(FontLoader, GlyphBitmapIsReadOnceAndCached) {
  ASSERT_TRUE(Load(SmallFont()));
  byte length = 0;
  tUCGlyph *a = Glyph("A", &length);
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(1, length);
  EXPECT_EQ(1u, font.CacheCount);
  EXPECT_EQ(7, a->Width);
  EXPECT_EQ(10, a->Height);
  std::vector<uint8_t> expected = SmallFont()[0].coverage;
  EXPECT_EQ(0, std::memcmp(expected.data(), a->Bitmap, expected.size()));

  // Overwrite the file's bitmaps: a second lookup must not read them again.
  std::string file = BuildUfnt(SmallFont());
  std::memset(&file[8 + 12 * 15], 0x11, file.size() - (8 + 12 * 15));
  WriteFont("Test.ufnt", file);
  EXPECT_EQ(a, Glyph("A"));
  EXPECT_EQ(1u, font.CacheCount);
  EXPECT_EQ(0, std::memcmp(expected.data(), a->Bitmap, expected.size()));
  tUCGlyph *b = Glyph("B");
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(2u, font.CacheCount);
  EXPECT_EQ(&font.GlyphCache[1], b);
  EXPECT_EQ(0x11, b->Bitmap[0]);  // read now, from the file as it is
}

TEST_F(FontLoader, MissingGlyphsAreLoggedEveryTimeAndTakeNoSpace) {
  ASSERT_TRUE(Load(SmallFont()));
  byte length = 0;
  EXPECT_EQ(nullptr, Glyph("\xE3\x81\x82", &length));  // U+3042
  EXPECT_EQ(3, length);
  EXPECT_EQ(dword(6), FMUC_GetStringWidth("a\xE3\x81\x82", &font));
  EXPECT_EQ(2, ConsoleCount("KALIB - Glyph 3042 not found\n"));
  // Control bytes and C1 bytes have no glyph and log nothing.
  EXPECT_EQ(nullptr, Glyph("\n", &length));
  EXPECT_EQ(1, length);
  EXPECT_EQ(nullptr, Glyph("\x85"));
  EXPECT_EQ(0, ConsoleCount("Glyph a not found"));
  EXPECT_EQ(nullptr, Glyph(""));
}

TEST_F(FontLoader, MeasuresWithoutMarksAndLineFeeds) {
  ASSERT_TRUE(Load(SmallFont()));
  EXPECT_EQ(14u, FMUC_GetStringWidth("A\xCC\x81"
                                     "B",
                                     &font));  // combining acute: no advance
  EXPECT_EQ(14u, FMUC_GetStringWidth("A\nB", &font));
  EXPECT_EQ(FMUC_GetStringWidth("\xC3\xA4x", &font), FMUC_GetStringWidth("\xE4x", &font));
  EXPECT_EQ(11u, FMUC_GetStringWidth("\xE4x", &font));
  EXPECT_EQ(10u, FMUC_GetStringHeight("Ax", &font));
  EXPECT_EQ(0u, FMUC_GetStringHeight("\xE3\x81\x82", &font));
  EXPECT_EQ(0u, FMUC_GetStringWidth("", &font));
  EXPECT_EQ(0u, FMUC_GetStringWidth("A", nullptr));
  EXPECT_EQ(0u, FMUC_GetStringHeight(nullptr, &font));
}

TEST_F(FontLoader, Utf8Stepping) {
  const char text[] =
      "\xC3\xA4"
      "A";
  EXPECT_EQ(text + 2, FMUC_FindNextUTF8(text));
  EXPECT_EQ(text, FMUC_FindUTF8Start(text + 1));
  EXPECT_EQ(text + 2, FMUC_FindUTF8Start(text + 2));
  EXPECT_EQ(nullptr, FMUC_FindNextUTF8(nullptr));
  EXPECT_EQ(nullptr, FMUC_FindUTF8Start(nullptr));
}

TEST_F(FontLoader, DiacriticalMarks) {
  for (dword mark :
       {0x300u, 0x36Fu, 0xE34u, 0xE3Au, 0xE47u, 0xE4Eu, 0xA8u, 0xB4u, 0xB8u, 0x384u, 0x385u, 0xE31u})
    EXPECT_TRUE(FMUC_IsDiacriticalMark(mark)) << std::hex << mark;
  for (dword other : {0x2FFu, 0x370u, 0xE33u, 0xE3Bu, 0xE46u, 0xE4Fu, 0x41u, 0xE4u, 0x386u})
    EXPECT_FALSE(FMUC_IsDiacriticalMark(other)) << std::hex << other;
}

TEST_F(FontLoader, FreeTwiceIsHarmless) {
  ASSERT_TRUE(Load(SmallFont()));
  ASSERT_NE(nullptr, Glyph("A"));
  FMUC_FreeFontFile(&font);
  EXPECT_TRUE(AllZero(font));
  FMUC_FreeFontFile(&font);
  EXPECT_TRUE(AllZero(font));
  FMUC_FreeFontFile(nullptr);
}

// ---- damaged and hostile files ----

TEST_F(FontLoader, CountBeyondTheFileLoadsTheDefinitionsPresent) {
  ASSERT_TRUE(Load(SmallFont(), 1000));
  EXPECT_EQ((BuildUfnt(SmallFont()).size() - 8) / 12, font.GlyphCount);  // bitmaps read as definitions
  EXPECT_TRUE(ConsoleHas("FontManager UC: 'Test.ufnt' holds only"));
  EXPECT_NE(nullptr, Glyph("A"));
  FMUC_FreeFontFile(&font);

  ASSERT_TRUE(Load({MakeGlyph('A', 3, 3)}, 0xFFFFFFFF));  // 12 x N would wrap in 32 bits
  EXPECT_EQ(1u, font.GlyphCount);
  EXPECT_NE(nullptr, Glyph("A"));
  FMUC_FreeFontFile(&font);

  ASSERT_TRUE(Load({}, 0));
  EXPECT_EQ(0u, font.GlyphCount);
  EXPECT_EQ(nullptr, Glyph("A"));
}

TEST_F(FontLoader, UnsoundBitmapsAreRefusedWithoutReading) {
  std::vector<TestGlyph> glyphs = {MakeGlyph('A', 4, 4), MakeGlyph('B', 4, 4), MakeGlyph('C', 0, 4),
                                   MakeGlyph('D', 4, 0), MakeGlyph('E', 2, 2), MakeGlyph('F', 3, 2, 9)};
  std::string file = BuildUfnt(glyphs);
  auto setField = [&](int glyph, int offset, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; i++) file[8 + 12 * glyph + offset + i] = char((value >> (8 * i)) & 0xFF);
  };
  setField(0, 4, 0xFFFFFFF0u, 4);                // A: offset far past the end
  setField(1, 4, uint32_t(file.size() - 8), 4);  // B: 16 bytes starting 8 before the end
  setField(4, 8, 60000, 2);                      // E: absurdly wide
  setField(4, 10, 60000, 2);
  WriteFont("Test.ufnt", file);
  ASSERT_TRUE(FMUC_LoadFontFile("Test.ufnt", &font));
  // Each refusal is reported once, however often the glyph is asked for.
  for (int pass = 0; pass < 3; pass++)
    for (const char *c : {"A", "B", "C", "D", "E"}) EXPECT_EQ(nullptr, Glyph(c)) << c;
  EXPECT_EQ(5, ConsoleCount("has an unusable bitmap"));
  EXPECT_EQ(1, ConsoleCount("glyph 41 has an unusable bitmap"));
  EXPECT_EQ(0u, FMUC_GetStringWidth("ABCDE", &font));
  // A sound glyph of the same font is read as ever.
  tUCGlyph *f = Glyph("F");
  ASSERT_NE(nullptr, f);
  EXPECT_EQ(3, f->Width);
  EXPECT_EQ(9, f->Bitmap[5]);
  EXPECT_EQ(f, Glyph("F"));
  EXPECT_EQ(3u, FMUC_GetStringWidth("AF", &font));
}

TEST_F(FontLoader, LoadingAgainReplacesTheLoadedFont) {
  // Descriptors of this process open on the font file.
  auto openOnFont = [] {
    int n = 0;
    for (auto &entry : fs::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      fs::path target = fs::read_symlink(entry.path(), error);
      n += !error && target.filename() == "Test.ufnt";
    }
    return n;
  };
  ASSERT_TRUE(Load(SmallFont()));
  ASSERT_NE(nullptr, Glyph("A"));  // a cached bitmap as well
  ASSERT_TRUE(Load(SmallFont()));
  EXPECT_EQ(1, openOnFont());
  // A record that was never loaded is cleared, not freed: its bytes are garbage.
  tUCFont garbage;
  std::memset(&garbage, 0xA5, sizeof garbage);
  ASSERT_TRUE(FMUC_LoadFontFile("Test.ufnt", &garbage));
  EXPECT_EQ(2, openOnFont());
  FMUC_FreeFontFile(&garbage);
}
