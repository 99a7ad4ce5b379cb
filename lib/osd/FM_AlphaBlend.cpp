// Blends one colour channel: coverage 0 gives the background, 255 the
// foreground; in between the mix is divided by 256 and then scaled by the
// anti-aliasing factor, saturating at 255.
#include "Kalib.h"

byte FM_AlphaBlend(byte Alpha, byte FG, byte BG, float AntiAliasFactor) {
  if (Alpha == 0) return BG;
  if (Alpha == 255) return FG;
  dword v = ((255 - Alpha) * (dword)BG + Alpha * (dword)FG) >> 8;
  float scaled = (float)v * AntiAliasFactor;
  if (!(scaled > 0.0f)) return 0;  // also a NaN factor
  if (scaled >= 256.0f) return 255;
  return (byte)(int)scaled;
}
