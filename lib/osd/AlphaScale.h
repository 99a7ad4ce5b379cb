// AlphaScale.h - the anti-aliasing factor's scaling of a blended channel value, computed
// once per factor.
//
// A blend mixes coverage, foreground and background into a value v from 0
// to 254 and then scales v by the factor (truncated, at most 255).  The
// factor is the same for a whole text, so the 256 scaled values are looked
// up in a table instead of multiplying every channel of every pixel.
#ifndef KALIB_OSD_ALPHASCALE_H
#define KALIB_OSD_ALPHASCALE_H

#include <string.h>

#include "Kalib.h"

// v scaled by the factor with the result of a single-precision float
// multiplication, truncated; 256 stands for 256 or more.  Negative, zero
// and NaN factors give 0, infinity 256.  Integer arithmetic only.
dword AlphaScaleExact(dword value, float factor);

// The factor's IEEE single-precision bits, the key of its table.
static inline dword AlphaFactorBits(float factor) {
  dword bits;
  memcpy(&bits, &factor, sizeof bits);
  return bits;
}

// The 256 values AlphaScaleExact(v, factor), 255 for 256, of the factor
// whose bits are factorBits (AlphaFactorBits).  The table of the last factor
// is kept and stays valid until a call with another factor.  The factor is
// passed as its bits: code built for soft-float (TAP code) and for an FPU
// (a test program on MIPS) pass a float first argument in different
// registers, an integer in the same one.
const byte *AlphaScaleTable(dword factorBits);

// The blended channel for a coverage from 1 to 254 (0 and 255 take the
// background or foreground as they are and never come here).
static inline byte AlphaBlendScaled(const byte *table, dword alpha, dword fg, dword bg) {
  return table[((255 - alpha) * bg + alpha * fg) >> 8];
}

// Red, green and blue of FG over BG for a coverage from 1 to 254 (alpha
// byte 0).  Red and blue are mixed in one multiplication: each sum is below
// 2^16, so the two halves of the word never meet.
static inline dword AlphaBlendScaledRGB(const byte *table, dword alpha, dword FG, dword BG) {
  dword inverse = 255 - alpha;
  dword redBlue = (BG & 0xFF00FF) * inverse + (FG & 0xFF00FF) * alpha;
  dword green = ((BG >> 8) & 0xFF) * inverse + ((FG >> 8) & 0xFF) * alpha;
  return (dword)table[redBlue >> 24] << 16 | (dword)table[green >> 8] << 8 | table[(redBlue >> 8) & 0xFF];
}

#endif
