// GetOSDRegionWidth.cpp - width of an OSD region as the firmware's OSD map records it.
#include "Kalib.h"

word GetOSDRegionWidth(word OSDRgn) {
  TYPE_OsdMapEntry *map = (TYPE_OsdMapEntry *)FIS_vOsdMap();
  return map == nullptr ? 0 : map[OSDRgn].width;
}
