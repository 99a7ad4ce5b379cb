// UfntBuilder.h - makes small UFNT font files for tests: glyphs with given
// code points and coverage bitmaps, written in the file layout (header,
// directory, bitmaps), with hooks to damage the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace osdtest {

struct TestGlyph {
  uint32_t unicode;
  uint16_t width, height;
  std::vector<uint8_t> coverage;  // width x height
};

// A glyph of the given size whose pixels are all `value`, or, with
// value < 0, a pattern that differs from pixel to pixel.
inline TestGlyph MakeGlyph(uint32_t unicode, uint16_t width, uint16_t height, int value = 255) {
  TestGlyph g{unicode, width, height, {}};
  for (int i = 0; i < width * height; i++)
    g.coverage.push_back(uint8_t(value >= 0 ? value : (i * 37 + unicode) & 0xFF));
  return g;
}

inline void Put32(std::string &s, uint32_t v) {
  for (int i = 0; i < 4; i++) s += char((v >> (8 * i)) & 0xFF);
}
inline void Put16(std::string &s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}

// The file: "UFNT", the count (countOverride when >= 0), the directory and
// the bitmaps packed behind it.
inline std::string BuildUfnt(const std::vector<TestGlyph> &glyphs, int64_t countOverride = -1) {
  std::string file = "UFNT";
  Put32(file, countOverride >= 0 ? uint32_t(countOverride) : uint32_t(glyphs.size()));
  uint32_t offset = 8 + 12 * uint32_t(glyphs.size());
  for (const TestGlyph &g : glyphs) {
    Put32(file, g.unicode);
    Put32(file, offset);
    Put16(file, g.width);
    Put16(file, g.height);
    offset += uint32_t(g.coverage.size());
  }
  for (const TestGlyph &g : glyphs) file.append(g.coverage.begin(), g.coverage.end());
  return file;
}

// A font of one cell height: A and B (7 wide), e (6), ä ö ü (6), x (5),
// '.' (3), ' ' (4), a combining acute (4) and the letters b c d f (6).
inline std::vector<TestGlyph> SmallFont() {
  return {MakeGlyph('A', 7, 10, -1),   MakeGlyph('B', 7, 10, -1),  MakeGlyph('e', 6, 10, -1),
          MakeGlyph(0xE4, 6, 10, -1),  MakeGlyph(0xF6, 6, 10, -1), MakeGlyph(0xFC, 6, 10, -1),
          MakeGlyph('x', 5, 10, -1),   MakeGlyph('.', 3, 10, -1),  MakeGlyph(' ', 4, 10, 0),
          MakeGlyph(0x301, 4, 10, -1), MakeGlyph('a', 6, 10, -1),  MakeGlyph('b', 6, 10, -1),
          MakeGlyph('c', 6, 10, -1),   MakeGlyph('d', 6, 10, -1),  MakeGlyph('f', 6, 10, -1)};
}

}  // namespace osdtest
