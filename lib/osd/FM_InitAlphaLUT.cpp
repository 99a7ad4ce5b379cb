// FM_InitAlphaLUT.cpp - the blend table of the current foreground over the current background:
// red, green and blue for every coverage below 255 (255 is the foreground
// itself and never looked up).
#include "osd/AlphaScale.h"

byte AlphaLUT[256][3];

void FM_InitAlphaLUT(dword fgColor, dword bgColor, float AntiAliasFactor) {
  AlphaLUT[0][0] = (byte)(bgColor >> 16);  // coverage 0: the background as it is
  AlphaLUT[0][1] = (byte)(bgColor >> 8);
  AlphaLUT[0][2] = (byte)bgColor;
  const byte *table = AlphaScaleTable(AlphaFactorBits(AntiAliasFactor));
  for (dword coverage = 1; coverage < 255; coverage++) {
    dword blended = AlphaBlendScaledRGB(table, coverage, fgColor, bgColor);
    AlphaLUT[coverage][0] = (byte)(blended >> 16);
    AlphaLUT[coverage][1] = (byte)(blended >> 8);
    AlphaLUT[coverage][2] = (byte)blended;
  }
}
