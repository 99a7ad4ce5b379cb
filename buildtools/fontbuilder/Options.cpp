// Options.cpp - command-line parsing of the font builder.
#include "Options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fontbuilder {

void printHelp(const char *program) {
  std::printf(
      "usage: %s --format ufnt|legacy --face FILE [--fallback FILE]... --cell-height PX\n"
      "          --output FILE [options]\n"
      "\n"
      "Renders a TrueType face with FreeType into an anti-aliased bitmap font for\n"
      "the box.  Every glyph is a full cell: its width is the glyph's rounded\n"
      "advance, its height the cell height, all glyphs on one baseline.\n"
      "\n"
      "formats:\n"
      "  ufnt    UFNT file: U+0020..U+2BFF (without U+007F..U+009F), every code\n"
      "          point the face or a fallback face provides, coverage quantised to\n"
      "          0, 43, 85, 128, 170, 213, 255\n"
      "  legacy  C++ source defining <name>_Bitmap and <name>_FontData (tFontData of\n"
      "          Kalib.h): the 191 characters 0x20..0x7E and 0xA0..0xFF (ISO 8859-1),\n"
      "          bitmaps uncompressed, coverage quantised to\n"
      "          0, 58, 102, 144, 182, 219, 255\n"
      "\n"
      "options:\n"
      "  --format F         ufnt (default) or legacy\n"
      "  --face FILE        primary face\n"
      "  --fallback FILE    face for code points the primary face lacks (repeatable,\n"
      "                     tried in order)\n"
      "  --cell-height PX   height of every glyph cell\n"
      "  --pixel-size PX    em size in pixels (fractions allowed); default: the size\n"
      "                     at which the face's ascent plus descent fill the cell\n"
      "  --baseline PX      baseline row from the top; default: the scaled ascent\n"
      "  --min-width PX     narrowest cell (ink centred in widened cells); default 1\n"
      "  --max-width PX     widest cell (ink centred, overhang clipped); default none\n"
      "  --name NAME        C identifier prefix (legacy format), e.g. Calibri_VPD_12\n"
      "  --output FILE      file to write\n"
      "  --preview FILE TEXT  also write a PGM picture of TEXT (UTF-8)\n"
      "  --quiet            print nothing but errors\n"
      "  --help             this text\n",
      program);
}

namespace {

bool parseNumber(const char *option, const char *text, double minimum, double &value) {
  char *end = nullptr;
  value = std::strtod(text, &end);
  if (end == text || *end != '\0' || value < minimum) {
    std::fprintf(stderr, "fontbuilder: %s needs a number of at least %g, not '%s'\n", option, minimum, text);
    return false;
  }
  return true;
}

bool parseInt(const char *option, const char *text, int minimum, int &value) {
  double number = 0;
  if (!parseNumber(option, text, minimum, number)) return false;
  if (number != static_cast<int>(number) || number > 10000) {
    std::fprintf(stderr, "fontbuilder: %s needs a whole number up to 10000, not '%s'\n", option, text);
    return false;
  }
  value = static_cast<int>(number);
  return true;
}

}  // namespace

bool parseOptions(int argc, char **argv, Options &o, bool &wantHelp) {
  wantHelp = false;
  for (int i = 1; i < argc; ++i) {
    const char *arg = argv[i];
    auto value = [&](int count = 1) -> bool {
      if (i + count >= argc) {
        std::fprintf(stderr, "fontbuilder: %s needs %s\n", arg, count == 1 ? "a value" : "two values");
        return false;
      }
      return true;
    };
    if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
      wantHelp = true;
      return true;
    } else if (!std::strcmp(arg, "--quiet")) {
      o.quiet = true;
    } else if (!std::strcmp(arg, "--format")) {
      if (!value()) return false;
      const char *f = argv[++i];
      if (!std::strcmp(f, "ufnt"))
        o.format = Format::Ufnt;
      else if (!std::strcmp(f, "legacy"))
        o.format = Format::Legacy;
      else {
        std::fprintf(stderr, "fontbuilder: unknown format '%s' (ufnt or legacy)\n", f);
        return false;
      }
    } else if (!std::strcmp(arg, "--face")) {
      if (!value()) return false;
      o.face = argv[++i];
    } else if (!std::strcmp(arg, "--fallback")) {
      if (!value()) return false;
      o.fallbacks.push_back(argv[++i]);
    } else if (!std::strcmp(arg, "--output")) {
      if (!value()) return false;
      o.output = argv[++i];
    } else if (!std::strcmp(arg, "--name")) {
      if (!value()) return false;
      o.name = argv[++i];
    } else if (!std::strcmp(arg, "--cell-height")) {
      if (!value() || !parseInt(arg, argv[++i], 1, o.cellHeight)) return false;
    } else if (!std::strcmp(arg, "--pixel-size")) {
      if (!value() || !parseNumber(arg, argv[++i], 1, o.pixelSize)) return false;
    } else if (!std::strcmp(arg, "--baseline")) {
      if (!value() || !parseInt(arg, argv[++i], 0, o.baseline)) return false;
    } else if (!std::strcmp(arg, "--min-width")) {
      if (!value() || !parseInt(arg, argv[++i], 1, o.minWidth)) return false;
    } else if (!std::strcmp(arg, "--max-width")) {
      if (!value() || !parseInt(arg, argv[++i], 1, o.maxWidth)) return false;
    } else if (!std::strcmp(arg, "--preview")) {
      if (!value(2)) return false;
      o.previewFile = argv[++i];
      o.previewText = argv[++i];
    } else {
      std::fprintf(stderr, "fontbuilder: unknown option '%s' (see --help)\n", arg);
      return false;
    }
  }
  const char *missing = o.face.empty()     ? "--face"
                        : o.output.empty() ? "--output"
                        : !o.cellHeight    ? "--cell-height"
                                           : nullptr;
  if (missing) {
    std::fprintf(stderr, "fontbuilder: %s is required (see --help)\n", missing);
    return false;
  }
  if (o.format == Format::Legacy && o.name.empty()) {
    std::fprintf(stderr, "fontbuilder: the legacy format needs --name\n");
    return false;
  }
  if (o.maxWidth && o.maxWidth < o.minWidth) {
    std::fprintf(stderr, "fontbuilder: --max-width %d is below --min-width %d\n", o.maxWidth, o.minWidth);
    return false;
  }
  if (o.baseline > o.cellHeight) {
    std::fprintf(stderr, "fontbuilder: --baseline %d lies below the cell of %d px\n", o.baseline,
                 o.cellHeight);
    return false;
  }
  return true;
}

}  // namespace fontbuilder
