// EndMessageWin.cpp - removes the emergency message window.
#include "Kalib.h"

void EndMessageWin(void) {
  if (kal_rgn != 0) TAP_Osd_Delete((word)kal_rgn);
  kal_rgn = 0;
  TAP_Osd_Sync();
}
