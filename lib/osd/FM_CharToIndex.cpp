// FM_CharToIndex.cpp - glyph index of a byte in a legacy font: 0-94 for 0x20-0x7E, 95-190 for
// 0xA0-0xFF; 0 for a byte that is not drawn.
#include "Kalib.h"

byte FM_CharToIndex(byte c) {
  if (!FM_isValidCharacter(c)) return 0;
  return c < 0x7F ? (byte)(c - 32) : (byte)(c - 65);
}
