// Writers.h - the output formats of the font builder.
#pragma once

#include <string>
#include <vector>

#include "Glyph.h"

namespace fontbuilder {

// Writes a UFNT file: "UFNT", the glyph count, one 12-byte definition per
// glyph (code point, absolute bitmap offset, width, height; little-endian)
// sorted by code point, then the bitmaps in the same order.  Glyphs must be
// sorted and quantised.  The file appears under its name only when complete.
bool writeUfnt(const std::string &path, const std::vector<Glyph> &glyphs, std::string &error);

// Writes C++ source defining `const byte <name>_Bitmap[]` and
// `tFontData <name>_FontData` (Kalib.h) for the 191 glyphs in font order
// (0x20..0x7E, 0xA0..0xFF), bitmaps uncompressed and back to back.
bool writeLegacy(const std::string &path, const std::string &name, const std::vector<Glyph> &glyphs,
                 const std::string &source, std::string &error);

// Writes an 8-bit PGM picture of text drawn with the glyphs (a quick look
// at a font).  Combining marks are centred over the previous glyph as the
// box's renderer does.
bool writePreview(const std::string &path, const std::string &utf8Text, const std::vector<Glyph> &glyphs,
                  std::string &error);

// Saves data into path through a temporary file in the same folder.
bool saveFile(const std::string &path, const std::string &data, std::string &error);

}  // namespace fontbuilder
