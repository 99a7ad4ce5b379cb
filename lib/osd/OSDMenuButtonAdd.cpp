// OSDMenuButtonAdd.cpp - button hints under the menu: a key symbol and its
// caption, placed one after the other on two hint lines.
#include "OSDMenuList.h"

#define BUTTON_FIRST_X 53
#define BUTTON_LINE_Y 490
#define BUTTON_LINE_HEIGHT 26
#define BUTTON_CAPTION_GAP 2
#define BUTTON_GAP 16

// Where the next button on a line goes: after the last one on that line.
static int NextButtonX(const tMenuLevel *level, int y) {
  int x = BUTTON_FIRST_X;
  for (int i = 0; i < level->NrButtons; i++) {
    const tMenuButton *button = &level->Buttons[i];
    if (button->Y != y || button->Graphic == nullptr) continue;
    dword caption = OSDMenuTextWidth(button->Text, level->ButtonFont);
    int end = button->X + button->Graphic->width + BUTTON_CAPTION_GAP + (int)caption + BUTTON_GAP;
    if (end > x) x = end;
  }
  return x;
}

int OSDMenuButtonAdd(dword Line, const TYPE_GrData *Graphic, const char *Text) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || Graphic == nullptr || Line >= MENU_BUTTON_LINES) return -1;
  if (level->NrButtons < 0 || level->NrButtons >= MENU_MAX_BUTTONS) return -1;
  int y = BUTTON_LINE_Y + BUTTON_LINE_HEIGHT * (int)Line;
  int x = NextButtonX(level, y);
  if (x + Graphic->width > MENU_BUTTON_RIGHT) return -1;  // the line is full
  int index = level->NrButtons;
  tMenuButton *button = &level->Buttons[index];
  button->X = x;
  button->Y = y;
  button->Graphic = Graphic;
  button->Color = ButtonColor;
  OSDMenuCopyText(button->Text, sizeof button->Text, Text);
  level->NrButtons = index + 1;
  OSDMenuMarkAllDirty();
  return index;
}

void OSDMenuButtonsClear(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return;
  level->NrButtons = 0;
  OSDMenuMarkAllDirty();
}
