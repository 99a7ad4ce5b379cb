// OSDDrawList.cpp - the moving parts of the menu: which items are visible,
// the scroll bar, the ten list rows and the memo text.  All of them are
// drawn over opaque backgrounds of their own, so they can be redrawn alone.
//
// What the rows show is kept after every list drawing, so that a cursor
// move redraws only the rows whose item or cursor changed.  Each row owns a
// band of 37 lines (cursor bar, text, separator); a row is redrawn by
// filling its band with the list colour and drawing it as the full list
// does, which gives the same pixels as long as nothing of any row reaches
// beyond its band.  Whatever else could differ (another first row, other
// fonts or columns, tall icons or glyphs, other parts drawn meanwhile)
// makes the whole list be drawn.
#include <string.h>

#include "OSDMenuList.h"

#define SCROLLBAR_X 662
#define SCROLLBAR_Y 95
#define KNOB_X 663
#define KNOB_TOP 108
#define KNOB_TRAVEL 321
#define ROW_Y 99
#define CURSOR_Y 95
#define SEPARATOR_Y 130
#define SEPARATOR_COLOR 0xFF101010u
#define ARROW_Y 105
#define ARROW_LEFT_OFFSET 20
#define ARROW_RIGHT_X 640
#define NUMBER_X 71
#define PLAIN_TEXT_X 76
#define VALUE_OFFSET 45
#define PATCH_WIDTH 50
#define PATCH_HEIGHT 18
#define COLUMN_GAP 8
#define MEMO_X 76
#define MEMO_Y 104
#define MEMO_LINE_HEIGHT 24
#define MEMO_RIGHT 642
#define BAND_TOP 95     /* first line of row 0's band: the cursor bar */
#define BAND_BOTTOM 131 /* last line of row 0's band: the separator */
#define LIST_BOTTOM (MENU_LIST_Y + MENU_LIST_HEIGHT - 1)
#define LIST_RIGHT (MENU_LIST_X + MENU_LIST_WIDTH)
#define ICON_MAX_HEIGHT 35 /* y - height / 2 + 13 stays inside the band */
#define GLYPH_MAX_HEIGHT 30
#define NO_TILE 2 /* OSDMenuLastCursor when no bar tile could be made */

namespace {
// A font as the rows were drawn with it.
typedef struct {
  const tUCFont *font;
  int handle;
  const tUCGlyphDef *defs;
  dword count;
  dword tallest;  // tallest glyph of the font
} tDrawnFont;

// The list as it was drawn last.
typedef struct {
  bool valid;
  word rgn;
  int menuLevel;
  tMenuItem *items;
  int nrItems, maxItems, top, current, valueColumnX, cursorType, iconWidth, valueIconWidth;
  bool valueColumn, showNumbers;
  tDrawnFont fonts[3];  // number, item and value font
  bool exists[MENU_VISIBLE_ROWS];
  tMenuItem rows[MENU_VISIBLE_ROWS];
} tDrawnList;
}  // namespace

static tDrawnList Drawn;

static bool AnySelectable(const tMenuLevel *level, int from, int to) {
  for (int i = from; i < to; i++)
    if (level->Items[i].Selectable) return true;
  return false;
}

void OSDCalcIndices(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return;
  int current = level->CurrentItem;
  if (level->DisplayMode == MD_Memo) {
    level->TopItem = current;
    return;
  }
  bool items = level->Items != nullptr;
  int count = level->NrItems < level->MaxItems ? level->NrItems : level->MaxItems;
  if (current < level->TopItem) {
    // Unselectable items above the cursor stay in view when nothing above
    // them can be reached.
    if (current <= 0 || (items && AnySelectable(level, 0, current)))
      level->TopItem = current;
    else
      level->TopItem = 0;
  }
  if (level->TopItem + MENU_VISIBLE_ROWS - 1 < current) {
    if (current >= count - 1 || (items && AnySelectable(level, current + 1, count)))
      level->TopItem = current - (MENU_VISIBLE_ROWS - 1);
    else
      level->TopItem = count - MENU_VISIBLE_ROWS;
  }
  if (level->TopItem < 0) level->TopItem = 0;
}

void OSDDrawScrollBar(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return;
  if (level->NrItems <= MENU_VISIBLE_ROWS) {
    TAP_Osd_PutGd(OSDRgn, SCROLLBAR_X, SCROLLBAR_Y, &_ScrollBarInvisible_Gd, FALSE);
    return;
  }
  TAP_Osd_PutGd(OSDRgn, SCROLLBAR_X, SCROLLBAR_Y, &_ScrollBarVisible_Gd, FALSE);
  int current = level->CurrentItem;
  if (current < 0) current = 0;
  if (current > level->NrItems - 1) current = level->NrItems - 1;
  TAP_Osd_PutGd(OSDRgn, KNOB_X, KNOB_TOP + current * KNOB_TRAVEL / (level->NrItems - 1), &_ScrollBarKnob_Gd,
                FALSE);
}

// Widths of the icon column and of the value column's icon or patch, each
// with its gap, 0 when no item has one.
static void ColumnWidths(const tMenuLevel *level, int *iconWidth, int *valueIconWidth) {
  int w1 = 0, w2 = 0;
  for (int i = 0; i < level->NrItems; i++) {
    const tMenuItem *item = &level->Items[i];
    if (item->Icon && item->Icon->width > w1) w1 = item->Icon->width;
    int w = item->ColorPatch ? PATCH_WIDTH : item->ValueIcon ? item->ValueIcon->width : 0;
    if (w > w2) w2 = w;
  }
  *iconWidth = w1 ? w1 + COLUMN_GAP : 0;
  *valueIconWidth = w2 ? w2 + COLUMN_GAP : 0;
}

// The number column: returns the x where the icon and text column starts.
static dword DrawNumber(const tMenuLevel *level, const tMenuItem *item, int index, dword y, dword color) {
  int n = item->Number >= 0 ? item->Number : index + 1;
  dword maxX = n < 100 ? 100 : n < 1000 ? 110 : 120;
  char number[16];
  TAP_SPrint(number, "%2.2d", n);
  OSDMenuText(NUMBER_X, y + 2, maxX, number, color, level->NumberFont, 0, 0);
  return maxX + 1;
}

static void DrawValueColumn(const tMenuLevel *level, const tMenuItem *item, int valueIconWidth, dword y,
                            dword color) {
  dword column = level->ValueColumnX + VALUE_OFFSET;
  OSDMenuText(column + valueIconWidth, y + 2, MENU_TEXT_RIGHT, item->Value, color, level->ValueFont, 1, 0);
  if (item->ColorPatch) {
    TAP_Osd_FillBox(OSDRgn, column, y + 5, PATCH_WIDTH, PATCH_HEIGHT, item->ColorPatch | 0xFF000000u);
    TAP_Osd_DrawRectangle(OSDRgn, column - 1, y + 4, PATCH_WIDTH + 2, PATCH_HEIGHT + 2, 1, MENU_FRAME_COLOR);
  } else if (item->ValueIcon) {
    TAP_Osd_PutGd(OSDRgn, column, y - item->ValueIcon->height / 2 + 13, item->ValueIcon, TRUE);
  }
}

static void DrawRow(const tMenuLevel *level, int row, int iconWidth, int valueIconWidth) {
  int index = level->TopItem + row;
  dword y = ROW_Y + MENU_ROW_HEIGHT * row;
  bool exists = level->Items != nullptr && index >= 0 && index < level->NrItems;
  if (exists && index == level->CurrentItem) {
    OSDMenuDrawCursor(MENU_LIST_X, CURSOR_Y + MENU_ROW_HEIGHT * row, MENU_LIST_WIDTH);
    if (level->ValueColumn && level->Items[index].ValueArrows) {
      bool bright = MenuCursorType != CT_Standard;
      dword arrowY = ARROW_Y + MENU_ROW_HEIGHT * row;
      TAP_Osd_PutGd(OSDRgn, level->ValueColumnX + ARROW_LEFT_OFFSET, arrowY,
                    bright ? &_pfeil_l_bright_Gd : &_pfeil_l_Gd, TRUE);
      TAP_Osd_PutGd(OSDRgn, ARROW_RIGHT_X, arrowY, bright ? &_pfeil_r_bright_Gd : &_pfeil_r_Gd, TRUE);
    }
  } else {
    TAP_Osd_DrawRectangle(OSDRgn, MENU_LIST_X, SEPARATOR_Y + MENU_ROW_HEIGHT * row, MENU_LIST_WIDTH, 2, 1,
                          SEPARATOR_COLOR);
  }
  // Rows past the last item stay empty.
  if (!exists) return;
  const tMenuItem *item = &level->Items[index];
  dword color = item->Selectable ? item->TextColor : MENU_GREYED_COLOR;
  dword textRight = level->ValueColumn ? level->ValueColumnX : MENU_TEXT_RIGHT;
  dword x = level->ShowNumbers ? DrawNumber(level, item, index, y, color) : PLAIN_TEXT_X;
  if (item->Icon) TAP_Osd_PutGd(OSDRgn, x, y - item->Icon->height / 2 + 13, item->Icon, TRUE);
  OSDMenuText(x + iconWidth, y + 2, textRight, item->Text, color, level->ItemFont, 1, 0);
  if (level->ValueColumn) DrawValueColumn(level, item, valueIconWidth, y, color);
}

// The fonts of the rows as they are now; the tallest glyph is counted
// again only for a font that changed.
static void DescribeFonts(const tMenuLevel *level, tDrawnFont *fonts) {
  const tUCFont *now[3] = {level->NumberFont, level->ItemFont, level->ValueFont};
  for (int f = 0; f < 3; f++) {
    tDrawnFont d = {now[f], 0, nullptr, 0, 0};
    if (now[f] != nullptr) {
      d.handle = now[f]->FileHandle;
      d.defs = now[f]->GlyphDefs;
      d.count = now[f]->GlyphCount;
    }
    if (Drawn.fonts[f].font == d.font && Drawn.fonts[f].handle == d.handle && Drawn.fonts[f].defs == d.defs &&
        Drawn.fonts[f].count == d.count) {
      d.tallest = Drawn.fonts[f].tallest;
    } else if (d.defs != nullptr) {
      for (dword g = 0; g < d.count; g++)
        if (d.defs[g].Height > d.tallest) d.tallest = d.defs[g].Height;
    }
    fonts[f] = d;
  }
}

static bool RowExists(const tMenuLevel *level, int index) {
  return level->Items != nullptr && index >= 0 && index < level->NrItems;
}

// True when nothing of the item's row reaches beyond its band and the list.
static bool FitsBand(const tMenuLevel *level, const tMenuItem *item, int valueIconWidth) {
  int x = level->ShowNumbers ? 121 : PLAIN_TEXT_X;  // the widest number column
  if (item->Icon && (item->Icon->height > ICON_MAX_HEIGHT || x + (int)item->Icon->width > LIST_RIGHT))
    return false;
  if (!level->ValueColumn) return true;
  int column = level->ValueColumnX + VALUE_OFFSET;
  if (level->ValueColumnX + ARROW_LEFT_OFFSET < MENU_LIST_X || column - 1 < MENU_LIST_X ||
      column + valueIconWidth + PATCH_WIDTH + 2 > LIST_RIGHT)
    return false;
  return item->ValueIcon == nullptr || item->ValueIcon->height <= ICON_MAX_HEIGHT;
}

// Keeps what the rows show now.
static void Remember(const tMenuLevel *level, const tDrawnFont *fonts, int iconWidth, int valueIconWidth) {
  Drawn.valid = TRUE;
  Drawn.rgn = OSDRgn;
  Drawn.menuLevel = CurrentMenuLevel;
  Drawn.items = level->Items;
  Drawn.nrItems = level->NrItems;
  Drawn.maxItems = level->MaxItems;
  Drawn.top = level->TopItem;
  Drawn.current = level->CurrentItem;
  Drawn.valueColumnX = level->ValueColumnX;
  Drawn.cursorType = MenuCursorType;
  Drawn.iconWidth = iconWidth;
  Drawn.valueIconWidth = valueIconWidth;
  Drawn.valueColumn = level->ValueColumn;
  Drawn.showNumbers = level->ShowNumbers;
  memcpy(Drawn.fonts, fonts, sizeof Drawn.fonts);
  for (int row = 0; row < MENU_VISIBLE_ROWS; row++) {
    int index = level->TopItem + row;
    Drawn.exists[row] = RowExists(level, index);
    if (Drawn.exists[row])
      memcpy(&Drawn.rows[row], &level->Items[index], sizeof(tMenuItem));  // padding too: see RowChanged
    else
      memset(&Drawn.rows[row], 0, sizeof Drawn.rows[row]);
  }
}

void OSDMenuListForget(void) { Drawn.valid = FALSE; }

void OSDDrawList(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return;
  int iconWidth = 0, valueIconWidth = 0;
  if (level->Items) ColumnWidths(level, &iconWidth, &valueIconWidth);
  TAP_Osd_Draw3dBoxFill(OSDRgn, MENU_LIST_X, MENU_LIST_Y, MENU_LIST_WIDTH, MENU_LIST_HEIGHT, MENU_LIST_COLOR,
                        MENU_LIST_COLOR, MENU_LIST_COLOR);
  for (int row = 0; row < MENU_VISIBLE_ROWS; row++) DrawRow(level, row, iconWidth, valueIconWidth);
  tDrawnFont fonts[3];
  DescribeFonts(level, fonts);
  Remember(level, fonts, iconWidth, valueIconWidth);
  OSDMenuCallback(MP_List);
}

// True when the rows drawn last can be brought up to date one by one.
static bool RowsCanChangeAlone(const tMenuLevel *level, const tDrawnFont *fonts, int iconWidth,
                               int valueIconWidth) {
  if (!Drawn.valid || Drawn.rgn != OSDRgn || Drawn.menuLevel != CurrentMenuLevel ||
      Drawn.items != level->Items || Drawn.nrItems != level->NrItems || Drawn.maxItems != level->MaxItems ||
      Drawn.top != level->TopItem || Drawn.valueColumnX != level->ValueColumnX ||
      Drawn.cursorType != MenuCursorType || Drawn.valueColumn != level->ValueColumn ||
      Drawn.showNumbers != level->ShowNumbers || Drawn.iconWidth != iconWidth ||
      Drawn.valueIconWidth != valueIconWidth || level->DisplayMode != MD_List)
    return false;
  for (int f = 0; f < 3; f++)
    if (fonts[f].font != Drawn.fonts[f].font || fonts[f].defs != Drawn.fonts[f].defs ||
        fonts[f].count != Drawn.fonts[f].count || fonts[f].handle != Drawn.fonts[f].handle ||
        fonts[f].tallest > GLYPH_MAX_HEIGHT)
      return false;
  for (int row = 0; row < MENU_VISIBLE_ROWS; row++) {
    int index = level->TopItem + row;
    if (!FitsBand(level, &Drawn.rows[row], valueIconWidth)) return false;
    if (RowExists(level, index) && !FitsBand(level, &level->Items[index], valueIconWidth)) return false;
  }
  return true;
}

// True when the row shows something else than it was drawn with.
static bool RowChanged(const tMenuLevel *level, int row) {
  int index = level->TopItem + row;
  bool exists = RowExists(level, index);
  if (exists != Drawn.exists[row]) return true;
  if ((exists && index == level->CurrentItem) != (exists && index == Drawn.current)) return true;
  // The bytes as copied, padding included: equal bytes are equal fields; a
  // difference in padding alone only draws the row again.
  // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
  return exists && memcmp(&level->Items[index], &Drawn.rows[row], sizeof(tMenuItem)) != 0;
}

bool OSDDrawListChanges(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return false;
  int iconWidth = 0, valueIconWidth = 0;
  if (level->Items) ColumnWidths(level, &iconWidth, &valueIconWidth);
  tDrawnFont fonts[3];
  DescribeFonts(level, fonts);
  if (!RowsCanChangeAlone(level, fonts, iconWidth, valueIconWidth)) return false;
  for (int row = 0; row < MENU_VISIBLE_ROWS; row++) {
    if (!RowChanged(level, row)) continue;
    // The row's band within the list box; the cursor bar of the first row
    // reaches one line above the box and the last separator two lines below
    // it, where the full list drawing does not fill either.
    int top = BAND_TOP + MENU_ROW_HEIGHT * row, bottom = BAND_BOTTOM + MENU_ROW_HEIGHT * row;
    if (top < MENU_LIST_Y) top = MENU_LIST_Y;
    if (bottom > LIST_BOTTOM) bottom = LIST_BOTTOM;
    // An opaque cursor bar covers its lines of the band: only the lines
    // below it are filled.  Should the bar's tile not be made, the whole
    // band is filled and the row drawn again.
    int index = level->TopItem + row;
    bool bar = MenuCursorType != CT_Box && RowExists(level, index) && index == level->CurrentItem;
    int fillTop = bar ? BAND_TOP + MENU_ROW_HEIGHT * row + MENU_CURSOR_HEIGHT : top;
    if (fillTop < top) fillTop = top;
    TAP_Osd_FillBox(OSDRgn, MENU_LIST_X, fillTop, MENU_LIST_WIDTH, bottom - fillTop + 1, MENU_LIST_COLOR);
    DrawRow(level, row, iconWidth, valueIconWidth);
    if (bar && OSDMenuLastCursor == NO_TILE) {
      TAP_Osd_FillBox(OSDRgn, MENU_LIST_X, top, MENU_LIST_WIDTH, bottom - top + 1, MENU_LIST_COLOR);
      DrawRow(level, row, iconWidth, valueIconWidth);
    }
  }
  Remember(level, fonts, iconWidth, valueIconWidth);
  OSDMenuCallback(MP_List);
  return true;
}

void OSDDrawMemo(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || OSDRgn == 0) return;
  OSDMenuListForget();
  TAP_Osd_Draw3dBoxFill(OSDRgn, MENU_LIST_X, MENU_LIST_Y, MENU_LIST_WIDTH, MENU_LIST_HEIGHT, MENU_LIST_COLOR,
                        MENU_LIST_COLOR, MENU_LIST_COLOR);
  for (int line = 0; line < MENU_MEMO_LINES && level->Items; line++) {
    int index = level->TopItem + line;
    if (index < 0 || index >= level->NrItems) continue;
    OSDMenuText(MEMO_X, MEMO_Y + MEMO_LINE_HEIGHT * line, MEMO_RIGHT, level->Items[index].Text,
                MENU_MEMO_COLOR, level->MemoFont, 1, 0);
  }
  OSDMenuCallback(MP_List);
}
