// main.cpp - fontbuilder: renders TrueType faces into the box's bitmap fonts.  See
// printHelp() in Options.cpp for the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "Coverage.h"
#include "Options.h"
#include "Rasterizer.h"
#include "Writers.h"

using namespace fontbuilder;

namespace {

// Code points of a UFNT font: U+0020..U+2BFF without the C1 controls.
std::vector<uint32_t> ufntRange() {
  std::vector<uint32_t> codes;
  for (uint32_t code = 0x20; code <= 0x2BFF; ++code)
    if (code < 0x7F || code > 0x9F) codes.push_back(code);
  return codes;
}

// Characters of the legacy font in glyph order: 0x20..0x7E, 0xA0..0xFF.
std::vector<uint32_t> legacyRange() {
  std::vector<uint32_t> codes;
  for (uint32_t code = 0x20; code <= 0x7E; ++code) codes.push_back(code);
  for (uint32_t code = 0xA0; code <= 0xFF; ++code) codes.push_back(code);
  return codes;
}

std::string baseName(const std::string &path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool renderAll(Rasterizer &rasterizer, const Options &options, std::vector<Glyph> &glyphs,
               std::string &error) {
  const bool legacy = options.format == Format::Legacy;
  for (uint32_t code : legacy ? legacyRange() : ufntRange()) {
    Glyph glyph;
    if (rasterizer.render(code, glyph, error)) {
      quantise(glyph.coverage, legacy ? kLegacySteps : kUfntSteps);
      glyphs.push_back(std::move(glyph));
    } else if (!error.empty()) {
      return false;
    } else if (legacy) {
      char text[80];
      std::snprintf(text, sizeof text, ": no face provides 0x%02X for the legacy font", code);
      error = options.face + text;
      return false;
    }
  }
  return true;
}

void report(const Options &options, const Rasterizer &rasterizer, size_t count) {
  std::printf("fontbuilder: %s: %zu glyphs, cell %d px, pixel size %.2f, baseline %d (",
              baseName(options.output).c_str(), count, options.cellHeight, rasterizer.pixelSize(),
              rasterizer.baseline());
  const std::vector<int> &perFace = rasterizer.glyphsPerFace();
  for (size_t i = 0; i < perFace.size(); ++i)
    std::printf("%s%s %d", i ? ", " : "", baseName(i ? options.fallbacks[i - 1] : options.face).c_str(),
                perFace[i]);
  std::printf(")\n");
}

}  // namespace

int main(int argc, char **argv) {
  Options options;
  bool wantHelp = false;
  if (!parseOptions(argc, argv, options, wantHelp)) return 2;
  if (wantHelp) {
    printHelp(argv[0]);
    return 0;
  }
  Rasterizer rasterizer;
  std::string error;
  std::vector<Glyph> glyphs;
  if (!rasterizer.open(options, error) || !renderAll(rasterizer, options, glyphs, error)) {
    std::fprintf(stderr, "fontbuilder: %s\n", error.c_str());
    return 1;
  }
  bool written = options.format == Format::Legacy
                     ? writeLegacy(options.output, options.name, glyphs, baseName(options.face), error)
                     : writeUfnt(options.output, glyphs, error);
  if (written && !options.previewFile.empty())
    written = writePreview(options.previewFile, options.previewText, glyphs, error);
  if (!written) {
    std::fprintf(stderr, "fontbuilder: %s\n", error.c_str());
    return 1;
  }
  if (!options.quiet) report(options, rasterizer, glyphs.size());
  return 0;
}
