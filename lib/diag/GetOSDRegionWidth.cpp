// GetOSDRegionWidth.cpp - width of an OSD region as the firmware's OSD map records it.
// The map holds KALIB_OSD_MAP_ENTRIES entries: a number outside it reads nothing.
#include "Kalib.h"

word GetOSDRegionWidth(word OSDRgn) {
  TYPE_OsdMapEntry *map = (TYPE_OsdMapEntry *)FIS_vOsdMap();
  return map == nullptr || OSDRgn >= KALIB_OSD_MAP_ENTRIES ? 0 : map[OSDRgn].width;
}
