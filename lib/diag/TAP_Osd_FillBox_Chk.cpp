// TAP_Osd_FillBox_Chk.cpp - TAP_Osd_FillBox with its rectangle checked against the region's size from
// the OSD map.  The call is always made as requested.
#include "Kalib.h"

int TAP_Osd_FillBox_Chk(const char *Location, word rgn, dword x, dword y, dword w, dword h, dword color) {
  if (Location != nullptr) {
    dword rgnW = GetOSDRegionWidth(rgn);
    dword rgnH = GetOSDRegionHeight(rgn);
    if (!isOSDRegionAlive(rgn))
      LogEntryKalibPrintf(TRUE, "TAP_Osd_FillBox_Chk Warning: rgn(%d) points to an undefined region @ %s",
                          rgn, Location);
    if (x >= rgnW)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_FillBox_Chk Warning: x(%d) out of range @ %s", (int)x, Location);
    if (y >= rgnH)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_FillBox_Chk Warning: y(%d) out of range @ %s", (int)y, Location);
    if ((uint64_t)x + w > rgnW)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_FillBox_Chk Warning: x(%d) + w(%d) out of range @ %s", (int)x,
                          (int)w, Location);
    if ((uint64_t)y + h > rgnH)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_FillBox_Chk Warning: y(%d) + h(%d) out of range @ %s", (int)y,
                          (int)h, Location);
  }
  int result = TAP_Osd_FillBox(rgn, x, y, w, h, color);
  if (Location != nullptr && result != 0)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_FillBox_Chk Warning: TAP_Osd_Create() returned %d @ %s", result,
                        Location);
  return result;
}
