// FM_GetStringWidth.cpp - width of an 8-bit text in a legacy font: the widths of its drawable bytes.
#include "Kalib.h"

dword FM_GetStringWidth(const char *Text, const tFontData *FontData) {
  if (Text == nullptr || Text[0] == '\0' || FontData == nullptr || FontData->pFontData == nullptr) return 0;
  dword width = 0;
  for (const byte *p = (const byte *)Text; *p != 0; p++)
    if (FM_isValidCharacter(*p)) width += FontData->FontDef[FM_CharToIndex(*p)].Width;
  return width;
}
