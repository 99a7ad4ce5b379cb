// FM_AlphaBlendRGB.cpp - blends red, green and blue separately; the result's alpha byte is 0.
#include "Kalib.h"

dword FM_AlphaBlendRGB(byte Alpha, dword FG, dword BG, float AntiAliasFactor) {
  dword result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    byte channel = FM_AlphaBlend(Alpha, (byte)(FG >> shift), (byte)(BG >> shift), AntiAliasFactor);
    result |= (dword)channel << shift;
  }
  return result;
}
