// OSDMenuInitialize.cpp - resets the current menu level for a new menu.
#include "OSDMenuList.h"

void OSDMenuInitialize(bool UserFlag, bool ValueColumn, bool ShowNumbers, bool WrapAround, const char *Title,
                       const char *SubTitle) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return;
  // The level's previous items go back first: clearing the record would
  // lose the only pointer to them.
  if (level->Items) TAP_MemFree(level->Items);
  TAP_MemSet(level, 0, sizeof *level);
  for (int &preset : level->Preset) preset = 55;

  if (OSDRgn) TAP_Osd_Delete(OSDRgn);
  OSDRgn = 0;
  MyOSDRgn = 0;
  OSDMenuLoadStdFonts();

  level->UserFlag = UserFlag;
  level->ValueColumn = ValueColumn;
  level->ShowNumbers = ShowNumbers;
  level->WrapAround = WrapAround;
  level->ValueColumnX = MENU_VALUE_COLUMN_X;
  level->ClientLeftRight = FALSE;

  // Without an item array the level stays empty: adding items is refused.
  level->Items = (tMenuItem *)TAP_MemAlloc(MENU_MAX_ITEMS * sizeof(tMenuItem));
  if (level->Items) {
    level->MaxItems = MENU_MAX_ITEMS;
    TAP_MemSet(level->Items, 0, MENU_MAX_ITEMS * sizeof(tMenuItem));
  }
  level->TitleFont = &OSDMenuFont_20;
  level->SubTitleFont = &OSDMenuFont_16;
  level->NumberFont = &OSDMenuFont_14;
  level->ItemFont = &OSDMenuFont_14;
  level->ValueFont = &OSDMenuFont_14;
  level->ButtonFont = &OSDMenuFont_12;
  level->MemoFont = &OSDMenuFont_14;

  OSDMenuCopyText(level->Title, sizeof level->Title, Title);
  OSDMenuCopyText(level->SubTitle, sizeof level->SubTitle, SubTitle);
  level->DisplayMode = MD_List;

  ButtonColor = MENU_TITLE_COLOR;
  MenuCursorType = CT_Standard;
  CallbackProcedure = nullptr;
}
