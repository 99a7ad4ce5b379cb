// FM_InitAlphaLUT.cpp - the blend table of the current foreground over the current background:
// red, green and blue for every coverage below 255 (255 is the foreground
// itself and never looked up).
#include "Kalib.h"

byte AlphaLUT[256][3];

void FM_InitAlphaLUT(dword fgColor, dword bgColor, float AntiAliasFactor) {
  for (int coverage = 0; coverage < 255; coverage++) {
    AlphaLUT[coverage][0] =
        FM_AlphaBlend((byte)coverage, (byte)(fgColor >> 16), (byte)(bgColor >> 16), AntiAliasFactor);
    AlphaLUT[coverage][1] =
        FM_AlphaBlend((byte)coverage, (byte)(fgColor >> 8), (byte)(bgColor >> 8), AntiAliasFactor);
    AlphaLUT[coverage][2] = FM_AlphaBlend((byte)coverage, (byte)fgColor, (byte)bgColor, AntiAliasFactor);
  }
}
