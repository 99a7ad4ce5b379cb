// TAP_Osd_Create_Chk.cpp - TAP_Osd_Create with its coordinates checked against the screen.  The
// call is always made as requested; violations are only reported.
#include "Kalib.h"

static const dword kScreenWidth = 720;
static const dword kScreenHeight = 576;

int TAP_Osd_Create_Chk(const char *Location, dword x, dword y, dword w, dword h, byte lutIdx, int flag) {
  if (Location != nullptr) {
    // Sums in 64 bits: a huge width must not wrap around and pass the check.
    if (x >= kScreenWidth)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_Create_Chk Warning: x(%d) out of range @ %s", (int)x, Location);
    if (y >= kScreenHeight)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_Create_Chk Warning: y(%d) out of range @ %s", (int)y, Location);
    if ((uint64_t)x + w > kScreenWidth)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_Create_Chk Warning: x(%d) + w(%d) out of range @ %s", (int)x, (int)w,
                          Location);
    if ((uint64_t)y + h > kScreenHeight)
      LogEntryKalibPrintf(TRUE, "TAP_Osd_Create_Chk Warning: y(%d) + h(%d) out of range @ %s", (int)y, (int)h,
                          Location);
  }
  int result = TAP_Osd_Create(x, y, w, h, lutIdx, flag);
  if (Location != nullptr && result < 128)
    LogEntryKalibPrintf(TRUE, "TAP_Osd_Create_Chk Warning: TAP_Osd_Create() returned %d @ %s", result,
                        Location);
  return result;
}
