// GetOSDRegionHeight.cpp - height of an OSD region as the firmware's OSD map records it.
#include "Kalib.h"

word GetOSDRegionHeight(word OSDRgn) {
  TYPE_OsdMapEntry *map = (TYPE_OsdMapEntry *)FIS_vOsdMap();
  return map == nullptr ? 0 : map[OSDRgn].height;
}
