// Options.h - the font builder's command line.
#pragma once

#include <string>
#include <vector>

namespace fontbuilder {

enum class Format { Ufnt, Legacy };

struct Options {
  Format format = Format::Ufnt;
  std::string face;                    // primary TrueType face
  std::vector<std::string> fallbacks;  // tried in order for glyphs the face lacks
  std::string output;
  std::string name;  // C identifier prefix of the legacy font
  int cellHeight = 0;
  double pixelSize = 0;  // 0: derived from the cell height
  int baseline = -1;     // -1: derived from the face's ascent
  int minWidth = 1;
  int maxWidth = 0;         // 0: no limit
  std::string previewFile;  // optional PGM sample picture
  std::string previewText;
  bool quiet = false;
};

// Parses argv; on a mistake prints a message naming the option and returns
// false.  Sets wantHelp for --help.
bool parseOptions(int argc, char **argv, Options &options, bool &wantHelp);
void printHelp(const char *program);

}  // namespace fontbuilder
