// Rasterizer.cpp - FreeType rendering of glyph cells.
#include "Rasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace fontbuilder {

namespace {

std::string ftError(FT_Error code) {
  const char *text = FT_Error_String(code);
  return text ? text : "FreeType error " + std::to_string(code);
}

// The face's vertical extent in font units: the Windows ascent and descent
// of the OS/2 table, which are meant to enclose every glyph including
// accented capitals, else the horizontal header's values.
void faceExtent(FT_Face face, double &ascent, double &descent) {
  auto *os2 = static_cast<TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  } else {
    ascent = face->ascender;
    descent = -face->descender;
  }
}

}  // namespace

bool isCombiningMark(uint32_t code) { return code >= 0x0300 && code <= 0x036F; }

Rasterizer::~Rasterizer() {
  for (FT_Face face : faces_) FT_Done_Face(face);
  if (library_) FT_Done_FreeType(library_);
}

bool Rasterizer::openFace(const std::string &path, std::string &error) {
  FT_Face face = nullptr;
  FT_Error code = FT_New_Face(library_, path.c_str(), 0, &face);
  if (code) {
    error = path + ": cannot open the face (" + ftError(code) + ")";
    return false;
  }
  if (!FT_IS_SCALABLE(face)) {
    FT_Done_Face(face);
    error = path + ": not a scalable face";
    return false;
  }
  faces_.push_back(face);
  paths_.push_back(path);
  perFace_.push_back(0);
  return true;
}

bool Rasterizer::setSize(std::string &error) {
  FT_Face primary = faces_.front();
  double ascent = 0, descent = 0;
  faceExtent(primary, ascent, descent);
  double units = primary->units_per_EM;
  if (pixelSize_ <= 0) pixelSize_ = cellHeight_ * units / (ascent + descent);
  if (baseline_ < 0)
    baseline_ = std::min(cellHeight_, static_cast<int>(std::lround(pixelSize_ * ascent / units)));
  FT_F26Dot6 size = static_cast<FT_F26Dot6>(std::lround(pixelSize_ * 64));
  for (size_t i = 0; i < faces_.size(); ++i) {
    FT_Error code = FT_Set_Char_Size(faces_[i], 0, size, 72, 72);
    if (code) {
      error = paths_[i] + ": cannot set the size (" + ftError(code) + ")";
      return false;
    }
  }
  return true;
}

bool Rasterizer::open(const Options &options, std::string &error) {
  FT_Error code = FT_Init_FreeType(&library_);
  if (code) {
    error = "cannot start FreeType (" + ftError(code) + ")";
    return false;
  }
  if (!openFace(options.face, error)) return false;
  for (const std::string &path : options.fallbacks)
    if (!openFace(path, error)) return false;
  cellHeight_ = options.cellHeight;
  minWidth_ = options.minWidth;
  maxWidth_ = options.maxWidth;
  pixelSize_ = options.pixelSize;
  baseline_ = options.baseline;
  return setSize(error);
}

// Characters that some faces leave out but that Latin-1 text uses, drawn
// like the character they stand in for.
static uint32_t standIn(uint32_t code) {
  switch (code) {
    case 0x00A0:
      return 0x0020;  // no-break space
    case 0x00AD:
      return 0x002D;  // soft hyphen
    default:
      return 0;
  }
}

bool Rasterizer::render(uint32_t code, Glyph &glyph, std::string &error) {
  if (renderFrom(code, code, glyph, error)) return true;
  if (!error.empty()) return false;
  uint32_t other = standIn(code);
  return other && renderFrom(code, other, glyph, error);
}

bool Rasterizer::renderFrom(uint32_t code, uint32_t shape, Glyph &glyph, std::string &error) {
  error.clear();
  for (size_t i = 0; i < faces_.size(); ++i) {
    FT_Face face = faces_[i];
    FT_UInt index = FT_Get_Char_Index(face, shape);
    if (!index) continue;
    FT_Error status = FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL);
    if (!status) status = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL);
    if (status) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", code);
      error = paths_[i] + ": cannot render " + hex + " (" + ftError(status) + ")";
      return false;
    }
    glyph.code = code;
    drawCell(face, glyph);
    ++perFace_[i];
    return true;
  }
  error.clear();
  return false;
}

// Copies the rendered bitmap into the advance cell.  A glyph without an
// advance (a combining mark as most faces draw it) gets the width of its
// ink; a cell widened or narrowed to the width limits keeps its ink centred.
// Other ink outside the cell is clipped.
void Rasterizer::drawCell(FT_Face face, Glyph &glyph) const {
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap &bitmap = slot->bitmap;
  const int inkWidth = static_cast<int>(bitmap.width);
  int width = static_cast<int>((slot->advance.x + 32) >> 6);
  int left = slot->bitmap_left;
  if (width <= 0) {
    width = inkWidth;
    left = 0;
  }
  int limited = std::max(width, minWidth_);
  if (maxWidth_) limited = std::min(limited, maxWidth_);
  if (limited != width) {
    width = limited;
    left = (width - inkWidth) / 2;
  }
  glyph.width = width;
  glyph.height = cellHeight_;
  glyph.coverage.assign(static_cast<size_t>(width) * cellHeight_, 0);

  int top = baseline_ - slot->bitmap_top;
  // A mark that a face draws higher or lower than the cell (above a
  // capital, say) is moved inside it rather than cut off: it is drawn over
  // another glyph anyway.
  const int rows = static_cast<int>(bitmap.rows);
  if (isCombiningMark(glyph.code) && rows <= cellHeight_) top = std::clamp(top, 0, cellHeight_ - rows);
  for (int row = 0; row < rows; ++row) {
    int y = top + row;
    if (y < 0 || y >= cellHeight_) continue;
    const unsigned char *source = bitmap.buffer + row * bitmap.pitch;
    for (int column = 0; column < inkWidth; ++column) {
      int x = left + column;
      if (x < 0 || x >= width) continue;
      uint8_t value = 0;
      if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
        value = (source[column >> 3] & (0x80 >> (column & 7))) ? 255 : 0;
      else
        value = static_cast<uint8_t>(source[column] * 255 / std::max(1, bitmap.num_grays - 1));
      glyph.coverage[static_cast<size_t>(y) * width + x] = value;
    }
  }
}

}  // namespace fontbuilder
