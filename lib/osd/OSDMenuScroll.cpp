// OSDMenuScroll.cpp - cursor movement in the menu list: the search for the
// next and previous selectable item and the four scroll operations.  They
// change CurrentItem and mark the list dirty; OSDMenuUpdate draws.
#include "OSDMenuList.h"

// Items that can be looked at: those in use, never more than the array holds.
static int ItemCount(const tMenuLevel *level) {
  if (level->Items == nullptr) return 0;
  return level->NrItems < level->MaxItems ? level->NrItems : level->MaxItems;
}

static bool AnySelectable(const tMenuLevel *level, int count) {
  for (int i = 0; i < count; i++)
    if (level->Items[i].Selectable) return true;
  return false;
}

int OSDMenuFindNextSelectableEntry(int Start) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return -1;
  int count = ItemCount(level);
  // A list without a selectable item has no cursor position at all, also
  // when the cursor stands on its last item.
  if (count < 1 || !AnySelectable(level, count)) return -1;
  if (Start >= count - 1 && !level->WrapAround) return Start;
  int i = Start < -1 ? -1 : Start;
  // A selectable item exists, so at most count + 1 steps find one.
  for (int steps = 0; steps <= count; steps++) {
    i++;
    if (i >= count) {
      if (!level->WrapAround) return -1;
      i = 0;
    }
    if (level->Items[i].Selectable) return i;
  }
  return -1;
}

int OSDMenuFindPreviousSelectableEntry(int Start) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return -1;
  if (Start < 0 && !level->WrapAround) return -1;
  int count = ItemCount(level);
  if (count < 1 || !AnySelectable(level, count)) return -1;
  int i = Start > count ? count : Start;
  for (int steps = 0; steps <= count; steps++) {
    i--;
    if (i < 0) {
      if (!level->WrapAround) return -1;
      i = count - 1;
    }
    if (level->Items[i].Selectable) return i;
  }
  return -1;
}

// Moves the cursor to a found index; -1 changes nothing.
static int MoveTo(int index) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || index == -1) return -1;
  level->CurrentItem = index;
  ListDirty = TRUE;
  return index;
}

int OSDMenuScrollUp(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return -1;
  return MoveTo(OSDMenuFindPreviousSelectableEntry(level->CurrentItem));
}

int OSDMenuScrollDown(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return -1;
  return MoveTo(OSDMenuFindNextSelectableEntry(level->CurrentItem));
}

int OSDMenuScrollPageUp(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return -1;
  int current = level->CurrentItem;
  if (current == 0 && level->WrapAround) return MoveTo(OSDMenuFindPreviousSelectableEntry(level->NrItems));
  // From the top row a page further up, otherwise up to the top row.
  if (current == level->TopItem) {
    int start = current - MENU_VISIBLE_ROWS > 0 ? current - MENU_VISIBLE_ROWS : 0;
    return MoveTo(OSDMenuFindPreviousSelectableEntry(start + 1));
  }
  return MoveTo(OSDMenuFindPreviousSelectableEntry(level->TopItem + 1));
}

int OSDMenuScrollPageDown(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return -1;
  int current = level->CurrentItem, count = level->NrItems;
  if (current == count - 1 && level->WrapAround) return MoveTo(OSDMenuFindNextSelectableEntry(-1));
  // From the bottom row a page further down, otherwise down to the bottom row.
  if (current == level->TopItem + MENU_VISIBLE_ROWS - 1) {
    int target = level->TopItem + 2 * MENU_VISIBLE_ROWS - 2;
    if (target >= count) target = count - 2;
    if (target < count - 1) return MoveTo(OSDMenuFindNextSelectableEntry(target));
    // The last item: the cursor stops only on a selectable one, so an
    // unselectable last item gives the selectable one before it.
    const tMenuItem *last = OSDMenuItem(target);
    return MoveTo(last != nullptr && last->Selectable ? target : OSDMenuFindPreviousSelectableEntry(target));
  }
  int start = level->TopItem + MENU_VISIBLE_ROWS - 2;
  return MoveTo(OSDMenuFindNextSelectableEntry(start < count ? start : count - 2));
}
