// ManagerWindow.cpp - screens with more rows than the toolkit's menu list
// holds (30 items per level): the menu level holds a window of the screen's
// rows, and when the cursor comes near the window's edge the window moves
// so that the rows around the cursor are always in the list.  Row texts are
// asked of the screen's row function for the rows in the window only.
#include <string.h>

#include "Manager.h"

typedef struct {
  int Count;  // rows of the whole screen
  int Top;    // screen row of menu item 0
  tManagerRowFunc Row;
  bool Memo;  // lines of text: the cursor item is the first line shown
} tWindow;

static tWindow Windows[MENU_LEVELS];

// Rows kept before and after the cursor: a list pages by MENU_VISIBLE_ROWS,
// a memo shows MEMO_LINES lines from the cursor and pages by about as many.
#define LIST_PLACE (MENU_MAX_ITEMS / 2)
#define LIST_MARGIN MENU_VISIBLE_ROWS
#define MEMO_LINES 15
#define MEMO_PLACE 3
#define MEMO_AFTER (MENU_MAX_ITEMS - MEMO_PLACE - 3)

static tWindow *Current(void) {
  int level = OSDMenuGetMenuLevel();
  return level >= 0 && level < MENU_LEVELS ? &Windows[level] : nullptr;
}

// Fills the current level with the rows of the window from top.
static void Fill(tWindow *w, int top) {
  int most = w->Count - MENU_MAX_ITEMS;
  if (top > most) top = most;
  if (top < 0) top = 0;
  w->Top = top;
  OSDMenuItemsClear();
  tManagerRow row;
  for (int i = top; i < w->Count && i - top < MENU_MAX_ITEMS; i++) {
    memset(&row, 0, sizeof row);
    row.Colour = MANAGER_COLOUR_NORMAL;
    row.Selectable = TRUE;
    w->Row(i, &row);
    int item = OSDMenuItemAdd(row.Text, row.Value, row.Icon, nullptr, row.Selectable, FALSE, 0);
    OSDMenuItemSetTextColor(item, row.Colour);
  }
}

void ManagerWindowFill(int count, tManagerRowFunc row, bool memo, int cursorRow) {
  tWindow *w = Current();
  if (w == nullptr || row == nullptr) return;
  w->Count = count > 0 ? count : 0;
  w->Row = row;
  w->Memo = memo;
  if (cursorRow >= w->Count) cursorRow = w->Count - 1;
  if (cursorRow < 0) cursorRow = 0;
  Fill(w, cursorRow - (memo ? MEMO_PLACE : LIST_PLACE));
  OSDMenuSetCurrentItem(cursorRow - w->Top);
  if (memo) Menu[CurrentMenuLevel].TopItem = cursorRow - w->Top;
}

int ManagerWindowRow(int item) {
  const tWindow *w = Current();
  if (w == nullptr || item < 0 || item >= Menu[CurrentMenuLevel].NrItems) return -1;
  return w->Row != nullptr ? w->Top + item : item;
}

int ManagerWindowRowCount(void) {
  const tWindow *w = Current();
  return w != nullptr && w->Row != nullptr ? w->Count : -1;
}

int ManagerWindowTop(void) {
  const tWindow *w = Current();
  return w != nullptr ? w->Top : 0;
}

void ManagerWindowForget(void) {
  tWindow *w = Current();
  if (w != nullptr) memset(w, 0, sizeof *w);
}

bool ManagerWindowFollow(void) {
  tWindow *w = Current();
  if (w == nullptr || w->Row == nullptr) return false;
  tMenuLevel *level = &Menu[CurrentMenuLevel];
  int item = level->CurrentItem, items = level->NrItems;
  bool moreAfter = w->Top + items<w->Count, moreBefore = w->Top> 0;
  int before = w->Memo ? 1 : LIST_MARGIN, after = w->Memo ? MEMO_AFTER : LIST_MARGIN;
  if (!(moreAfter && items - 1 - item < after) && !(moreBefore && item < before)) return false;
  int row = w->Top + item, topRow = w->Top + level->TopItem;
  Fill(w, row - (w->Memo ? MEMO_PLACE : LIST_PLACE));
  OSDMenuSetCurrentItem(row - w->Top);
  // The rows on the screen stay where they were; only the list behind them moved.
  int top = topRow - w->Top;
  level->TopItem = w->Memo ? level->CurrentItem : top < 0 ? 0 : top;
  OSDMenuUpdate(FALSE);
  return true;
}
