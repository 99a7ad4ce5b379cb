// OSDMenuLevel.cpp - the menu list's shared helpers: the level in use, dirty
// marks, bounded text copies and text output.
#include <string.h>

#include "OSDMenuList.h"

tMenuLevel *OSDMenuCurrentLevel(void) {
  if (CurrentMenuLevel < 0 || CurrentMenuLevel >= MENU_LEVELS) return nullptr;
  return &Menu[CurrentMenuLevel];
}

tMenuItem *OSDMenuItem(int item) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || level->Items == nullptr || item < 0 || item >= level->NrItems) return nullptr;
  return &level->Items[item];
}

void OSDMenuMarkAllDirty(void) { OSDDirty = TitleDirty = LogoDirty = ButtonsDirty = ListDirty = TRUE; }

void OSDMenuCopyText(char *dest, size_t size, const char *source) {
  if (size == 0) return;
  dest[0] = '\0';
  if (source) strncpy(dest, source, size - 1);
  dest[size - 1] = '\0';
}

bool OSDMenuFontLoaded(const tUCFont *font) { return font != nullptr && font->FileHandle > 0; }

dword OSDMenuTextWidth(const char *text, tUCFont *font) {
  return OSDMenuFontLoaded(font) ? FMUC_GetStringWidth(text, font) : 0;
}

void OSDMenuText(dword x, dword y, dword maxX, const char *text, dword color, tUCFont *font, byte bDot,
                 byte align) {
  if (!OSDMenuFontLoaded(font) || text == nullptr || text[0] == '\0') return;
  FMUC_PutStringAA(OSDRgn, x, y, maxX, text, color, 0, font, bDot, align, 1.0f);
}

void OSDMenuCallback(dword partCode) {
  if (CallbackProcedure) CallbackProcedure(partCode, OSDRgn);
}
