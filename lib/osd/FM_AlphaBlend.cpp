// FM_AlphaBlend.cpp - blends one colour channel: coverage 0 gives the background, 255 the
// foreground; in between the mix is divided by 256 and then scaled by the
// anti-aliasing factor, saturating at 255.  Also the scaling itself, exact
// for one value and as a table for a whole text.
//
// The box's FPU is not known, so the factor is applied in integer
// arithmetic on its IEEE single-precision bits, with the result a float
// multiplication would give: the product rounded to 24 significant bits
// (to nearest, ties to even) and then truncated.  A negative, zero or NaN
// factor gives 0.
#include <string.h>

#include "osd/AlphaScale.h"

dword AlphaScaleExact(dword value, float factor) {
  dword bits;
  memcpy(&bits, &factor, sizeof bits);
  dword exponent = (bits >> 23) & 0xFF;
  dword fraction = bits & 0x7FFFFF;
  if ((bits >> 31) != 0 || value == 0 || (exponent == 0 && fraction == 0)) return 0;
  if (exponent == 0xFF) return fraction != 0 ? 0 : 256;  // NaN, infinity
  if (value > 255) value = 255;
  // factor = significand * 2^power
  dword significand = exponent == 0 ? fraction : (fraction | 0x800000);
  int power = (exponent == 0 ? 1 : (int)exponent) - 127 - 23;
  dword product = value * significand;  // 8 bits times 24 bits: below 2^32, never 0
  int length = 32 - __builtin_clz(product);
  if (length > 24) {  // keep 24 significant bits
    int shift = length - 24;
    dword kept = product >> shift;
    dword rest = product & ((1u << shift) - 1);
    dword half = 1u << (shift - 1);
    if (rest > half || (rest == half && (kept & 1) != 0)) kept++;  // at most 2^24
    product = kept;
    power += shift;
  }
  // The result is product * 2^power, product below 2^32 (2^25 when rounded).
  if (power >= 0) return power >= 9 || product >= (256u >> power) ? 256 : product << power;
  if (power <= -32) return 0;
  dword whole = product >> -power;
  return whole >= 256 ? 256 : whole;
}

const byte *AlphaScaleTable(dword factorBits) {
  static bool haveLast = FALSE;
  static dword lastBits;  // the factor's bits: NaN and -0 are kept apart too
  static byte last[256];
  dword bits = factorBits;
  float factor;
  memcpy(&factor, &bits, sizeof factor);
  if (!haveLast || bits != lastBits) {
    for (dword v = 0; v < 256; v++) {
      dword scaled = AlphaScaleExact(v, factor);
      last[v] = scaled >= 256 ? 255 : (byte)scaled;
    }
    lastBits = bits;
    haveLast = TRUE;
  }
  return last;
}

byte FM_AlphaBlend(byte Alpha, byte FG, byte BG, float AntiAliasFactor) {
  if (Alpha == 0) return BG;
  if (Alpha == 255) return FG;
  dword v = ((255 - Alpha) * (dword)BG + Alpha * (dword)FG) >> 8;
  dword scaled = AlphaScaleExact(v, AntiAliasFactor);
  return scaled >= 256 ? 255 : (byte)scaled;
}
