// FMUC_GetStringWidth.cpp - width of a UTF-8 text in a Unicode font: the advances of all glyphs found,
// diacritical marks excepted (they sit on the character before them).
#include "Kalib.h"

dword FMUC_GetStringWidth(const char *Text, tUCFont *FontData) {
  if (Text == nullptr || Text[0] == '\0' || FontData == nullptr) return 0;
  dword width = 0;
  const byte *p = (const byte *)Text;
  while (*p != 0) {
    byte length = 1;
    tUCGlyph *glyph = FMUC_GetGlyphData(FontData, p, &length);
    if (glyph != nullptr && !FMUC_IsDiacriticalMark(glyph->Unicode)) width += glyph->Width;
    for (byte i = 0; i < length && *p != 0; i++) p++;  // never past the terminator
  }
  return width;
}
