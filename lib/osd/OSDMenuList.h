// OSDMenuList.h - helpers that the menu list's operations share (not part of
// the public API): the current level, the screen layout, the dirty marks and
// the menu's text output.
#ifndef KALIB_OSD_MENU_LIST_H
#define KALIB_OSD_MENU_LIST_H

#include <stddef.h>

#include "Graphics.h"
#include "Kalib.h"

// Screen layout of the full-screen menu (pixels).
#define MENU_SCREEN_WIDTH 720
#define MENU_SCREEN_HEIGHT 576
#define MENU_BACKGROUND_COLOR 0xFF101010u
#define MENU_LIST_COLOR 0xFF1E1E1Eu
#define MENU_TITLE_COLOR 0xFFE6E6FAu
#define MENU_SUBTITLE_COLOR 0xFF666666u
#define MENU_GREYED_COLOR 0xFF80808Cu
#define MENU_FRAME_COLOR 0xFFC0C0C0u
#define MENU_MEMO_COLOR 0xFFFFFFFFu
#define MENU_LIST_X 60
#define MENU_LIST_Y 96
#define MENU_LIST_WIDTH 600
#define MENU_LIST_HEIGHT 367
#define MENU_ROW_HEIGHT 37
#define MENU_CURSOR_HEIGHT 34
#define MENU_TEXT_RIGHT 645
#define MENU_VALUE_COLUMN_X 350
#define MENU_MEMO_LINES 15
#define MENU_BUTTON_LINES 2
#define MENU_BUTTON_RIGHT 670

// Menu[CurrentMenuLevel], or null while CurrentMenuLevel lies outside 0 to 4.
tMenuLevel *OSDMenuCurrentLevel(void);

// Item of the current level, or null for an index outside 0 .. NrItems - 1.
tMenuItem *OSDMenuItem(int item);

// Marks every part of the menu for the next OSDMenuUpdate.
void OSDMenuMarkAllDirty(void);

// Copies text into a field of size bytes, cut at size - 1 bytes; null
// gives the empty text.
void OSDMenuCopyText(char *dest, size_t size, const char *source);

// True when a font record holds a loaded font.
bool OSDMenuFontLoaded(const tUCFont *font);

// Width of a text in a font; 0 while the font is not loaded.
dword OSDMenuTextWidth(const char *text, tUCFont *font);

// One line of menu text into OSDRgn (background 0, factor 1.0); nothing
// without a loaded font.
void OSDMenuText(dword x, dword y, dword maxX, const char *text, dword color, tUCFont *font, byte bDot,
                 byte align);

// Redraws only the list rows whose item or cursor changed since the list was
// drawn last, with the pixels a full OSDDrawList would give; false, having
// drawn nothing, when the whole list must be drawn.
bool OSDDrawListChanges(void);

// The list on screen is no longer what was drawn last (something else was
// drawn over it): the next list drawing draws every row.
void OSDMenuListForget(void);

// Tells the client that a part of the menu was drawn.
void OSDMenuCallback(dword partCode);

#endif
