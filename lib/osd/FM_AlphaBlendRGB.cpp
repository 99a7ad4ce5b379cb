// FM_AlphaBlendRGB.cpp - blends red, green and blue separately; the result's alpha byte is 0.
// The three channels share one factor and so one scaling table.
#include "osd/AlphaScale.h"

dword FM_AlphaBlendRGB(byte Alpha, dword FG, dword BG, float AntiAliasFactor) {
  if (Alpha == 0) return BG & 0xFFFFFF;
  if (Alpha == 255) return FG & 0xFFFFFF;
  return AlphaBlendScaledRGB(AlphaScaleTable(AlphaFactorBits(AntiAliasFactor)), Alpha, FG, BG);
}
