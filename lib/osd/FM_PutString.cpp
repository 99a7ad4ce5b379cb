// FM_PutString.cpp - legacy-font text without an anti-aliasing factor of its own.
#include "Kalib.h"

void FM_PutString(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                  const tFontData *FontData, byte bDot, byte align) {
  FM_PutStringAA(rgn, x, y, maxX, str, fcolor, bcolor, FontData, bDot, align, 1.0f);
}
