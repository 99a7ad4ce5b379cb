// OSDMenuItems.cpp - filling the current menu level: adding items, changing
// them and clearing the list.  Texts are cut to their fields; an item past
// the level's capacity is refused.  Every change marks the list dirty.
#include "OSDMenuList.h"

#define DEFAULT_TEXT_COLOR 0xFFE6E6FAu

int OSDMenuItemAdd(const char *Text, const char *Value, const TYPE_GrData *Icon, const TYPE_GrData *ValueIcon,
                   bool Selectable, bool ValueArrows, dword Spare) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr || level->Items == nullptr || level->NrItems < 0 || level->NrItems >= level->MaxItems)
    return -1;
  int index = level->NrItems;
  tMenuItem *item = &level->Items[index];
  TAP_MemSet(item, 0, sizeof *item);
  OSDMenuCopyText(item->Text, sizeof item->Text, Text);
  OSDMenuCopyText(item->Value, sizeof item->Value, Value);
  item->Icon = Icon;
  item->ValueIcon = ValueIcon;
  item->TextColor = DEFAULT_TEXT_COLOR;
  item->Selectable = Selectable;
  item->ValueArrows = ValueArrows;
  item->Spare = Spare;
  item->Number = -1;
  level->NrItems = index + 1;
  ListDirty = TRUE;
  return index;
}

// The item to change, with the list marked dirty; null for a bad index.
static tMenuItem *ChangeItem(int index) {
  tMenuItem *item = OSDMenuItem(index);
  if (item) ListDirty = TRUE;
  return item;
}

bool OSDMenuItemSetText(int Item, const char *Text) {
  tMenuItem *item = ChangeItem(Item);
  if (item) OSDMenuCopyText(item->Text, sizeof item->Text, Text);
  return item != nullptr;
}

bool OSDMenuItemSetValue(int Item, const char *Value) {
  tMenuItem *item = ChangeItem(Item);
  if (item) OSDMenuCopyText(item->Value, sizeof item->Value, Value);
  return item != nullptr;
}

bool OSDMenuItemSetIcons(int Item, const TYPE_GrData *Icon, const TYPE_GrData *ValueIcon) {
  tMenuItem *item = ChangeItem(Item);
  if (item) {
    item->Icon = Icon;
    item->ValueIcon = ValueIcon;
  }
  return item != nullptr;
}

bool OSDMenuItemSetColorPatch(int Item, dword Color) {
  tMenuItem *item = ChangeItem(Item);
  if (item) item->ColorPatch = Color;
  return item != nullptr;
}

bool OSDMenuItemSetTextColor(int Item, dword Color) {
  tMenuItem *item = ChangeItem(Item);
  if (item) item->TextColor = Color;
  return item != nullptr;
}

bool OSDMenuItemSetNumber(int Item, int Number) {
  tMenuItem *item = ChangeItem(Item);
  if (item) item->Number = Number;
  return item != nullptr;
}

bool OSDMenuItemSetSelectable(int Item, bool Selectable) {
  tMenuItem *item = ChangeItem(Item);
  if (item) item->Selectable = Selectable;
  return item != nullptr;
}

void OSDMenuItemsClear(void) {
  tMenuLevel *level = OSDMenuCurrentLevel();
  if (level == nullptr) return;
  if (level->Items) TAP_MemSet(level->Items, 0, level->MaxItems * sizeof(tMenuItem));
  level->NrItems = 0;
  level->CurrentItem = 0;
  level->TopItem = 0;
  ListDirty = TRUE;
}
