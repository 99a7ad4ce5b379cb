// FM_AlphaBlend.cpp - blends one colour channel: coverage 0 gives the background, 255 the
// foreground; in between the mix is divided by 256 and then scaled by the
// anti-aliasing factor, saturating at 255.
//
// The box's FPU is not known, so the factor is applied in integer
// arithmetic on its IEEE single-precision bits, with the result a float
// multiplication would give: the product rounded to 24 significant bits
// (to nearest, ties to even) and then truncated.  A negative, zero or NaN
// factor gives 0.
#include <string.h>

#include "Kalib.h"

// The channel value scaled by the factor, truncated, at most 256.
static dword ScaleChannel(dword value, float factor) {
  dword bits;
  memcpy(&bits, &factor, sizeof bits);
  dword exponent = (bits >> 23) & 0xFF;
  dword fraction = bits & 0x7FFFFF;
  if ((bits >> 31) != 0 || value == 0 || (exponent == 0 && fraction == 0)) return 0;
  if (exponent == 0xFF) return fraction != 0 ? 0 : 256;  // NaN, infinity
  // factor = significand * 2^power
  dword significand = exponent == 0 ? fraction : (fraction | 0x800000);
  int power = (exponent == 0 ? 1 : (int)exponent) - 127 - 23;
  uint64_t product = (uint64_t)value * significand;  // below 2^32
  int length = 0;
  while ((product >> length) != 0) length++;
  if (length > 24) {
    int shift = length - 24;
    uint64_t kept = product >> shift;
    uint64_t rest = product & ((1ULL << shift) - 1);
    uint64_t half = 1ULL << (shift - 1);
    if (rest > half || (rest == half && (kept & 1) != 0)) kept++;
    product = kept << shift;
  }
  if (power >= 0) return power >= 9 || (product << power) >= 256 ? 256 : (dword)(product << power);
  if (power <= -64) return 0;
  uint64_t whole = product >> -power;
  return whole >= 256 ? 256 : (dword)whole;
}

byte FM_AlphaBlend(byte Alpha, byte FG, byte BG, float AntiAliasFactor) {
  if (Alpha == 0) return BG;
  if (Alpha == 255) return FG;
  dword v = ((255 - Alpha) * (dword)BG + Alpha * (dword)FG) >> 8;
  dword scaled = ScaleChannel(v, AntiAliasFactor);
  return scaled >= 256 ? 255 : (byte)scaled;
}
