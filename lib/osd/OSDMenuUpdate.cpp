// OSDMenuUpdate.cpp - draws the parts of the menu that changed.  Each dirty
// flag is cleared before its part is drawn, so a cursor move redraws only
// the scroll bar and the list rows that changed, while a part that a
// callback marks again is drawn at the next update.
#include "OSDMenuList.h"

static bool OpenMenuRegion(void) {
  OSDMenuMarkAllDirty();
  int rgn = TAP_Osd_Create(0, 0, MENU_SCREEN_WIDTH, MENU_SCREEN_HEIGHT, 0, 0);
  if (rgn <= 0 || rgn > 0xFFFF) return false;
  OSDRgn = (word)rgn;
  TAP_ExitNormal();
  return true;
}

void OSDMenuUpdate(bool NoSync) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return;
  if (OSDRgn == 0 && !OpenMenuRegion()) return;

  // Any other part may lie over the list: then every row is drawn again.
  if (OSDDirty || TitleDirty || LogoDirty || ButtonsDirty) OSDMenuListForget();
  if (OSDDirty) {
    OSDDirty = FALSE;
    OSDDrawBackground();
  }
  if (TitleDirty) {
    TitleDirty = FALSE;
    OSDDrawTitle();
  }
  if (LogoDirty) {
    LogoDirty = FALSE;
    OSDDrawLogo();
  }
  if (ButtonsDirty) {
    ButtonsDirty = FALSE;
    OSDDrawButtons();
  }
  OSDCalcIndices();
  if (ListDirty) {
    ListDirty = FALSE;
    OSDDrawScrollBar();
    if (level->DisplayMode == MD_List) {
      if (!OSDDrawListChanges()) OSDDrawList();
    } else if (level->DisplayMode == MD_Memo) {
      OSDDrawMemo();
    }
  }
  if (!NoSync) TAP_Osd_Sync();
}
