// Rasterizer.h - FreeType rendering of glyph cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Glyph.h"
#include "Options.h"

typedef struct FT_LibraryRec_ *FT_Library;
typedef struct FT_FaceRec_ *FT_Face;

namespace fontbuilder {

// Opens the primary face and its fallbacks at one pixel size and draws any
// code point that one of them provides into a cell of the font's height.
class Rasterizer {
 public:
  Rasterizer() = default;
  Rasterizer(const Rasterizer &) = delete;
  Rasterizer &operator=(const Rasterizer &) = delete;
  ~Rasterizer();

  // Loads the faces and fixes the pixel size and baseline; on failure
  // fills error with a message naming the file.
  bool open(const Options &options, std::string &error);

  // Draws the code point from the first face that has it (a no-break space
  // or soft hyphen that no face has is drawn as a space or hyphen).  False
  // when no face maps it, or when FreeType cannot render it (error then
  // says why).
  bool render(uint32_t code, Glyph &glyph, std::string &error);

  double pixelSize() const { return pixelSize_; }
  int baseline() const { return baseline_; }
  // Number of glyphs taken from each face so far (primary first).
  const std::vector<int> &glyphsPerFace() const { return perFace_; }

 private:
  bool openFace(const std::string &path, std::string &error);
  bool setSize(std::string &error);
  // Draws the shape of code point shape as the glyph of code.
  bool renderFrom(uint32_t code, uint32_t shape, Glyph &glyph, std::string &error);
  void drawCell(FT_Face face, Glyph &glyph) const;

  FT_Library library_ = nullptr;
  std::vector<FT_Face> faces_;
  std::vector<std::string> paths_;
  std::vector<int> perFace_;
  int cellHeight_ = 0;
  int minWidth_ = 1;
  int maxWidth_ = 0;
  double pixelSize_ = 0;
  int baseline_ = 0;
};

// Code points of the combining diacritical marks block, which the text
// renderer centres over the previous glyph.
bool isCombiningMark(uint32_t code);

}  // namespace fontbuilder
