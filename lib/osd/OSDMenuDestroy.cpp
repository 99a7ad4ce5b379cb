// OSDMenuDestroy.cpp - closes the menu list: its region, the cursor tile and
// the item arrays of every level.
#include "OSDMenuBox.h"
#include "OSDMenuList.h"

void OSDMenuDestroyNoOSDUpdate(void) {
  if (OSDRgn) TAP_Osd_Delete(OSDRgn);
  OSDRgn = 0;
  if (OSDMenuSelectionBarRgn) TAP_Osd_Delete(OSDMenuSelectionBarRgn);
  OSDMenuSelectionBarRgn = 0;
  OSDMenuLastCursor = 2;
  for (tMenuLevel &level : Menu) {
    if (level.Items) TAP_MemFree(level.Items);
    TAP_MemSet(&level, 0, sizeof level);
  }
  CurrentMenuLevel = 0;
  OSDDirty = TitleDirty = LogoDirty = ButtonsDirty = ListDirty = FALSE;
  OSDMenuFreeStdFonts();
}

void OSDMenuDestroy(void) {
  bool wasOpen = OSDRgn != 0;
  OSDMenuDestroyNoOSDUpdate();
  if (wasOpen) TAP_Osd_Sync();
  if (!OSDMenuAnyRegionOpen()) TAP_EnterNormal();
}
