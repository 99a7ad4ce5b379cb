// Glyph.h - one rendered glyph cell as the font builder passes it between
// the rasterizer and the writers.
#pragma once

#include <cstdint>
#include <vector>

namespace fontbuilder {

// A glyph drawn into its full advance cell: Width x Height coverage bytes,
// rows top to bottom, 0 = background, 255 = fully covered (not yet
// quantised; the writers quantise to their own steps).
struct Glyph {
  uint32_t code = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;
};

}  // namespace fontbuilder
