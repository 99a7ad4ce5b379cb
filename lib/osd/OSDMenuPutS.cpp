// OSDMenuPutS.cpp - text output of the toolkit with the standard fonts.
#include "Kalib.h"

static tUCFont *StdFontBySize(byte fontSize) {
  switch (fontSize) {
    case 10:
      return &OSDMenuFont_10;
    case 12:
      return &OSDMenuFont_12;
    case 14:
      return &OSDMenuFont_14;
    case 16:
      return &OSDMenuFont_16;
    case 20:
      return &OSDMenuFont_20;
    default:
      return nullptr; /* 18 and 20B are for clients drawing themselves */
  }
}

void OSDMenuPutS(word rgn, dword x, dword y, dword maxX, const char *str, dword fgColor, dword bgColor,
                 byte fontSize, byte bDot, byte align) {
  tUCFont *font = StdFontBySize(fontSize);
  if (font == nullptr) return;
  /* The font cells carry space above the glyphs; lift the text so that y is
   * where the letters begin. */
  FMUC_PutStringAA(rgn, x, y - 3, maxX, str, fgColor, bgColor, font, bDot, align, 1.0f);
}
