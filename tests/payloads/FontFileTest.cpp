// FontFileTest.cpp - the generated fonts: the UFNT files the installer ships and the built-in
// legacy font, checked against the format and the shipped conventions.
#include <cstdint>
#include <cstring>
#include <set>

#include "PayloadSim.h"

namespace payloads {
namespace {

uint32_t u32(const std::string &data, size_t at) {
  return static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8 |
         static_cast<uint8_t>(data[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(data[at + 3])) << 24;
}
uint16_t u16(const std::string &data, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(data[at]) | static_cast<uint8_t>(data[at + 1]) << 8);
}

struct GlyphDef {
  uint32_t code, offset;
  uint16_t width, height;
};

class UfntFontTest : public ::testing::TestWithParam<FontInfo> {
 protected:
  void SetUp() override {
    data_ = readHostFile(payloadFile(std::string(GetParam().name) + ".ufnt"));
    ASSERT_GE(data_.size(), 8u);
    ASSERT_EQ(0, std::memcmp(data_.data(), "UFNT", 4));
    uint32_t count = u32(data_, 4);
    ASSERT_LE(8 + 12 * static_cast<uint64_t>(count), data_.size());
    for (uint32_t i = 0; i < count; ++i) {
      size_t at = 8 + 12 * i;
      defs_.push_back({u32(data_, at), u32(data_, at + 4), u16(data_, at + 8), u16(data_, at + 10)});
    }
  }
  std::string data_;
  std::vector<GlyphDef> defs_;
};

TEST_P(UfntFontTest, DirectoryIsSortedAndBitmapsArePackedBehindIt) {
  uint64_t next = 8 + 12 * static_cast<uint64_t>(defs_.size());
  uint32_t previous = 0;
  for (const GlyphDef &def : defs_) {
    EXPECT_GT(def.code, previous) << std::hex << def.code;
    EXPECT_GE(def.code, 0x20u);
    EXPECT_LE(def.code, 0x2BFFu);
    EXPECT_EQ(next, def.offset) << std::hex << def.code;
    EXPECT_GE(def.width, 1) << std::hex << def.code;
    EXPECT_EQ(GetParam().cellHeight, def.height) << std::hex << def.code;
    next = def.offset + static_cast<uint64_t>(def.width) * def.height;
    ASSERT_LE(next, data_.size()) << std::hex << def.code;
    previous = def.code;
  }
  EXPECT_EQ(next, data_.size());
  // The builder completes the faces from DejaVu: several thousand glyphs.
  EXPECT_GT(defs_.size(), 4500u);
}

TEST_P(UfntFontTest, HasTheCharactersTheMenusNeed) {
  std::set<uint32_t> codes;
  for (const GlyphDef &def : defs_) codes.insert(def.code);
  for (uint32_t code = 0x20; code <= 0x7E; ++code) EXPECT_TRUE(codes.count(code)) << std::hex << code;
  for (uint32_t code = 0xA0; code <= 0xFF; ++code) EXPECT_TRUE(codes.count(code)) << std::hex << code;
  for (uint32_t code :
       {0xC4u, 0xD6u, 0xDCu, 0xE4u, 0xF6u, 0xFCu, 0xDFu, 0x20ACu, 0x2190u, 0x2191u, 0x2192u, 0x2193u})
    EXPECT_TRUE(codes.count(code)) << std::hex << code;
  for (uint32_t code = 0x7F; code <= 0x9F; ++code) EXPECT_FALSE(codes.count(code)) << std::hex << code;
}

TEST_P(UfntFontTest, CoverageUsesTheSevenSteps) {
  const std::set<uint8_t> steps = {0, 43, 85, 128, 170, 213, 255};
  std::set<uint8_t> used;
  for (size_t at = 8 + 12 * defs_.size(); at < data_.size(); ++at)
    used.insert(static_cast<uint8_t>(data_[at]));
  for (uint8_t value : used) EXPECT_TRUE(steps.count(value)) << int(value);
  EXPECT_EQ(steps, used);  // anti-aliased: the middle steps occur too
}

TEST_P(UfntFontTest, GlyphsHaveInkAndAdvanceTheirWidth) {
  // Letters have ink inside their cell; "W" is wider than "i".
  auto find = [&](uint32_t code) -> const GlyphDef & {
    for (const GlyphDef &def : defs_)
      if (def.code == code) return def;
    ADD_FAILURE() << std::hex << code;
    return defs_.front();
  };
  for (uint32_t code : {0x41u, 0x67u, 0xC4u, 0x20ACu, 0x2192u}) {
    const GlyphDef &def = find(code);
    size_t ink = 0;
    for (size_t i = 0; i < size_t(def.width) * def.height; ++i) ink += data_[def.offset + i] != 0;
    EXPECT_GT(ink, 0u) << std::hex << code;
  }
  const GlyphDef &space = find(0x20);
  for (size_t i = 0; i < size_t(space.width) * space.height; ++i) ASSERT_EQ(0, data_[space.offset + i]);
  if (std::string(GetParam().name) != "Courier_New_13")
    EXPECT_GT(find('W').width, find('i').width);
  else
    EXPECT_EQ(find('W').width, find('i').width);
}

INSTANTIATE_TEST_SUITE_P(Shipped, UfntFontTest, ::testing::ValuesIn(fonts()),
                         [](const ::testing::TestParamInfo<FontInfo> &info) {
                           return std::string(info.param.name);
                         });

TEST(LegacyFont, Calibri_VPD_12HasItsShape) {
  const std::set<uint8_t> steps = {0, 58, 102, 144, 182, 219, 255};
  std::set<uint8_t> used;
  EXPECT_EQ(0u, Calibri_VPD_12_FontData.FontDef[0].BitmapIndex);  // uncompressed
  EXPECT_EQ(Calibri_VPD_12_Bitmap, Calibri_VPD_12_FontData.pFontData);
  dword next = 0;
  for (const tFontDef &def : Calibri_VPD_12_FontData.FontDef) {
    EXPECT_EQ(19u, def.Height);
    EXPECT_GE(def.Width, 4u);
    EXPECT_LE(def.Width, 14u);
    EXPECT_EQ(next, def.BitmapIndex);
    for (dword i = 0; i < def.Width * def.Height; ++i)
      used.insert(Calibri_VPD_12_Bitmap[def.BitmapIndex + i]);
    next += def.Width * def.Height;
  }
  EXPECT_EQ(steps, used);
  // Glyph index of 'W' is 'W' - 32, of 'ä' 0xE4 - 65: both are drawn.
  EXPECT_GT(Calibri_VPD_12_FontData.FontDef['W' - 32].Width, Calibri_VPD_12_FontData.FontDef['i' - 32].Width);
  EXPECT_GT(Calibri_VPD_12_FontData.FontDef[0xE4 - 65].Width, 4u);
}

}  // namespace
}  // namespace payloads
