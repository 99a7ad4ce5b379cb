// isOSDRegionAlive.cpp - a region is alive while the OSD map gives it a size.
#include "Kalib.h"

bool isOSDRegionAlive(word OSDRgn) {
  return GetOSDRegionWidth(OSDRgn) != 0 && GetOSDRegionHeight(OSDRgn) != 0;
}
