// FMUC_GetStringHeight.cpp - height of a UTF-8 text in a Unicode font: its tallest glyph.
#include "Kalib.h"

dword FMUC_GetStringHeight(const char *Text, tUCFont *FontData) {
  if (Text == nullptr || Text[0] == '\0' || FontData == nullptr) return 0;
  dword height = 0;
  const byte *p = (const byte *)Text;
  while (*p != 0) {
    byte length = 1;
    tUCGlyph *glyph = FMUC_GetGlyphData(FontData, p, &length);
    if (glyph != nullptr && glyph->Height > height) height = glyph->Height;
    for (byte i = 0; i < length && *p != 0; i++) p++;
  }
  return height;
}
