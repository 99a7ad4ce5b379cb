// TAP_Osd_Copy_Chk.cpp - TAP_Osd_Copy with the source rectangle checked against the source region
// and the target rectangle against the target region.  The call is always
// made as requested.
#include "Kalib.h"

static void CheckSource(const char *Location, word rgn, dword x, dword y, dword w, dword h) {
  dword rgnW = GetOSDRegionWidth(rgn), rgnH = GetOSDRegionHeight(rgn);
  if (x >= rgnW)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: srcX(%d) >= srcRgnW(%d) @ %s", (int)x, (int)rgnW,
                        Location);
  if (y >= rgnH)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: srcY(%d) >= srcRgnH(%d) @ %s", (int)y, (int)rgnH,
                        Location);
  if ((uint64_t)x + w > rgnW)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: (srcX(%d) + w(%d)) > srcRgnW(%d) @ %s", (int)x,
                        (int)w, (int)rgnW, Location);
  if ((uint64_t)y + h > rgnH)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: (srcY(%d) + h(%d)) > srcRgnH(%d) @ %s", (int)y,
                        (int)h, (int)rgnH, Location);
}

static void CheckTarget(const char *Location, word rgn, dword x, dword y, dword w, dword h) {
  dword rgnW = GetOSDRegionWidth(rgn), rgnH = GetOSDRegionHeight(rgn);
  // This message has always called the target width "srcRgnW"; log
  // readers search for the text as it is.
  if (x >= rgnW)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: dstX(%d) >= srcRgnW(%d) @ %s", (int)x, (int)rgnW,
                        Location);
  if ((uint64_t)x + w > rgnW)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: (dstX(%d) + w(%d)) > dstRgnW(%d) @ %s", (int)x,
                        (int)w, (int)rgnW, Location);
  if ((uint64_t)y + h > rgnH)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: (dstY(%d) + h(%d)) > dstRgnH(%d) @ %s", (int)y,
                        (int)h, (int)rgnH, Location);
}

int TAP_Osd_Copy_Chk(const char *Location, word srcRgnNum, word dstRgnNum, dword srcX, dword srcY, dword w,
                     dword h, dword dstX, dword dstY, bool sprite) {
  if (Location != nullptr) {
    CheckSource(Location, srcRgnNum, srcX, srcY, w, h);
    CheckTarget(Location, dstRgnNum, dstX, dstY, w, h);
  }
  int result = TAP_Osd_Copy(srcRgnNum, dstRgnNum, srcX, srcY, w, h, dstX, dstY, sprite);
  if (Location != nullptr && result != 0)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Copy_Chk Warning: TAP_Osd_Copy() returned %d @ %s", result, Location);
  return result;
}
