// OSDDrawFrame.cpp - the fixed parts of the menu screen: background, title,
// logo and button hints.  They change rarely; every change marks the whole
// menu for redrawing, because these parts are drawn over the background
// and would not erase what was there before.
#include "OSDMenuList.h"

#define RULE_X 50
#define RULE_Y 479
#define RULE_WIDTH 614
#define RULE_COLOR 0xFF808080u
#define TITLE_X 53
#define TITLE_Y 37
#define SUBTITLE_Y 49
#define SUBTITLE_GAP 5
#define TITLE_RIGHT 658

void OSDDrawBackground(void) {
  if (OSDRgn == 0) return;
  OSDMenuListForget();  // may lie over the list
  TAP_Osd_Draw3dBoxFill(OSDRgn, 0, 0, MENU_SCREEN_WIDTH, MENU_SCREEN_HEIGHT, MENU_BACKGROUND_COLOR,
                        MENU_BACKGROUND_COLOR, MENU_BACKGROUND_COLOR);
  TAP_Osd_FillBox(OSDRgn, RULE_X, RULE_Y, RULE_WIDTH, 2, RULE_COLOR);
}

void OSDDrawTitle(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return;
  OSDMenuText(TITLE_X, TITLE_Y, TITLE_RIGHT, level->Title, MENU_TITLE_COLOR, level->TitleFont, 0, 0);
  // The grey subtitle follows the title and is right-aligned in what is left.
  dword titleWidth = OSDMenuTextWidth(level->Title, level->TitleFont);
  OSDMenuText(TITLE_X + SUBTITLE_GAP + titleWidth, SUBTITLE_Y, TITLE_RIGHT, level->SubTitle,
              MENU_SUBTITLE_COLOR, level->SubTitleFont, 1, 2);
  OSDMenuCallback(MP_Title);
}

void OSDDrawLogo(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return;
  OSDMenuListForget();  // may lie over the list
  if (level->Logo) TAP_Osd_PutGd(OSDRgn, level->LogoX, level->LogoY, level->Logo, FALSE);
  OSDMenuCallback(MP_Logo);
}

void OSDDrawButtons(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return;
  OSDMenuListForget();  // may lie over the list
  for (int i = 0; i < level->NrButtons && i < MENU_MAX_BUTTONS; i++) {
    const tMenuButton *button = &level->Buttons[i];
    if (button->Graphic == nullptr) continue;  // a button without its key symbol is not drawn
    TAP_Osd_PutGd(OSDRgn, button->X, button->Y, button->Graphic, TRUE);
    OSDMenuText(button->X + button->Graphic->width + 2, button->Y, MENU_BUTTON_RIGHT, button->Text,
                button->Color, level->ButtonFont, 0, 0);
  }
  OSDMenuCallback(MP_Buttons);
}
