// Preview.cpp - a PGM sample picture of a font.
#include <algorithm>
#include <map>

#include "Rasterizer.h"
#include "Writers.h"

namespace fontbuilder {

namespace {

// Decodes UTF-8; invalid bytes stand for themselves (as ISO 8859-1).
std::vector<uint32_t> decodeUtf8(const std::string &text) {
  std::vector<uint32_t> codes;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    uint32_t code = length == 1 ? c : c & (0x7F >> length);
    bool valid = i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      code = c;
      length = 1;
    }
    codes.push_back(code);
    i += length;
  }
  return codes;
}

}  // namespace

bool writePreview(const std::string &path, const std::string &utf8Text, const std::vector<Glyph> &glyphs,
                  std::string &error) {
  std::map<uint32_t, const Glyph *> byCode;
  int height = 1;
  for (const Glyph &glyph : glyphs) {
    byCode[glyph.code] = &glyph;
    height = std::max(height, glyph.height);
  }
  // Lay out: each glyph's left edge; marks are centred over the previous cell.
  struct Placed {
    const Glyph *glyph;
    int x;
  };
  std::vector<Placed> placed;
  int pen = 4, previousX = 4, previousWidth = 0;
  for (uint32_t code : decodeUtf8(utf8Text)) {
    auto found = byCode.find(code);
    if (found == byCode.end()) continue;
    const Glyph *glyph = found->second;
    if (isCombiningMark(code)) {
      placed.push_back({glyph, previousX + (previousWidth - glyph->width) / 2});
      continue;
    }
    placed.push_back({glyph, pen});
    previousX = pen;
    previousWidth = glyph->width;
    pen += glyph->width;
  }
  const int width = pen + 4, rows = height + 8;
  std::string out = "P5\n" + std::to_string(width) + " " + std::to_string(rows) + "\n255\n";
  std::string pixels(static_cast<size_t>(width) * rows, '\0');
  for (const Placed &p : placed)
    for (int y = 0; y < p.glyph->height; ++y)
      for (int x = 0; x < p.glyph->width; ++x) {
        int px = p.x + x;
        if (px < 0 || px >= width) continue;
        unsigned char &target =
            reinterpret_cast<unsigned char &>(pixels[static_cast<size_t>(y + 4) * width + px]);
        target =
            std::max<unsigned char>(target, p.glyph->coverage[static_cast<size_t>(y) * p.glyph->width + x]);
      }
  out += pixels;
  return saveFile(path, out, error);
}

}  // namespace fontbuilder
