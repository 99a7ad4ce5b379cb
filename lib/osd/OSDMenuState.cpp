// OSDMenuState.cpp - module state that the toolkit's widgets share: region
// handles, the saved background under a box, the last unprocessed key, the
// message-box record, the menu levels and the colour picker's state.
#include <stddef.h>

#include "Kalib.h"

word OSDRgn = 0;
word InfoBoxOSDRgn = 0;
word MessageBoxOSDRgn = 0;
word ColorPickerOSDRgn = 0;
word ProgressBarOSDRgn = 0;
word WaitSpinnerRgn = 0;
word MyOSDRgn = 0;

byte *InfoBoxSaveArea = nullptr;
int InfoBoxSaveAreaX = 0;
int InfoBoxSaveAreaY = 0;

dword LastUnprocessedOSDMenuKey = 0;

tMessageBox MessageBox;
bool MessageBoxAllowScrollOver = FALSE;
bool MessageBoxNoNormalMode = FALSE;

dword InfoBoxTimeOut = 0;
int WaitSpinnerIndex = 0;
dword WaitSpinnerTimeout = 0;

tMenuLevel Menu[MENU_LEVELS];
int CurrentMenuLevel = 0;
word OSDMenuSelectionBarRgn = 0;
int OSDMenuLastCursor = 2;  // neither tile built yet
int MenuCursorType = CT_Standard;
tMenuCallback CallbackProcedure = nullptr;
dword ButtonColor = 0xFFE6E6FA;
bool OSDDirty = FALSE;
bool TitleDirty = FALSE;
bool LogoDirty = FALSE;
bool ButtonsDirty = FALSE;
bool ListDirty = FALSE;

dword ColorPickerColor = 0;
dword ColorPickerDefaultColor = 0;
int CurrentColorSelected = 0;
int ColorPickerLastCursorRed = -1;
int ColorPickerLastCursorGreen = -1;
int ColorPickerLastCursorBlue = -1;

// The menu records keep their layout on every target.
static_assert(sizeof(tMenuItem) == 284, "tMenuItem layout");
static_assert(offsetof(tMenuItem, Icon) == 256, "tMenuItem.Icon");
static_assert(offsetof(tMenuItem, Spare) == 276, "tMenuItem.Spare");
static_assert(sizeof(tMenuButton) == 272, "tMenuButton layout");
static_assert(offsetof(tMenuLevel, Buttons) == 32, "tMenuLevel.Buttons");
