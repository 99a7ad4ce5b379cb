// OSDMenuSettings.cpp - settings of the menu and of its current level, and
// the choice of the level.  Each marks what it changes for the next
// OSDMenuUpdate; values outside their range are refused.
#include "OSDMenuList.h"

void OSDMenuSetLogo(int X, int Y, const TYPE_GrData *Logo) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return;
  level->LogoX = X;
  level->LogoY = Y;
  level->Logo = Logo;
  OSDMenuMarkAllDirty();  // an old logo is erased by the background only
}

void OSDMenuSetCallback(tMenuCallback Callback) { CallbackProcedure = Callback; }

bool OSDMenuSetCursorType(int CursorType) {
  if (CursorType < CT_Standard || CursorType > CT_Box) return FALSE;
  MenuCursorType = CursorType;
  ListDirty = TRUE;
  return TRUE;
}

void OSDMenuSetClientLeftRight(bool ClientLeftRight) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level) level->ClientLeftRight = ClientLeftRight;
}

bool OSDMenuSetDisplayMode(int DisplayMode) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || (DisplayMode != MD_List && DisplayMode != MD_Memo)) return FALSE;
  level->DisplayMode = DisplayMode;
  ListDirty = TRUE;
  return TRUE;
}

bool OSDMenuSetMenuLevel(int Level) {
  if (Level < 0 || Level >= MENU_LEVELS) return FALSE;
  CurrentMenuLevel = Level;
  OSDMenuMarkAllDirty();
  return TRUE;
}

int OSDMenuGetMenuLevel(void) { return CurrentMenuLevel; }

bool OSDMenuSetCurrentItem(int Item) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (OSDMenuItem(Item) == nullptr) return FALSE;
  level->CurrentItem = Item;
  ListDirty = TRUE;
  return TRUE;
}

int OSDMenuGetCurrentItem(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  return level ? level->CurrentItem : -1;
}
