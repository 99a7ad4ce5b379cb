// FM_GetStringHeight.cpp - height of an 8-bit text in a legacy font: its tallest drawable byte.
#include "Kalib.h"

dword FM_GetStringHeight(const char *Text, const tFontData *FontData) {
  if (Text == nullptr || Text[0] == '\0' || FontData == nullptr || FontData->pFontData == nullptr) return 0;
  dword height = 0;
  for (const byte *p = (const byte *)Text; *p != 0; p++)
    if (FM_isValidCharacter(*p) && FontData->FontDef[FM_CharToIndex(*p)].Height > height)
      height = FontData->FontDef[FM_CharToIndex(*p)].Height;
  return height;
}
