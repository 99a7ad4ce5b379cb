// GalleryMenus.cpp - the gallery's menus: the main menu on level 0 and three
// sub menus on level 1 (a long list, a memo text and the key symbols).
#include <stdio.h>

#include "Gallery.h"

#define GREEN_TEXT 0xFF8CE08Cu
#define AMBER_TEXT 0xFFE89211u

static const char *const kCursorNames[] = {"Blue bar", "Dark bar", "Outline"};

// The hints under a menu: key symbol and caption, on two lines.
typedef struct {
  dword line;
  const TYPE_GrData *key;
  const char *caption;
} tHint;

static void AddHints(const tHint *hints, int count) {
  for (int i = 0; i < count; i++) OSDMenuButtonAdd(hints[i].line, hints[i].key, hints[i].caption);
}

void GalleryRefreshMain(void) {
  if (OSDMenuGetMenuLevel() != 0) return;
  OSDMenuSetCursorType(Gallery.CursorType);
  OSDMenuItemSetValue(GI_CursorStyle, kCursorNames[Gallery.CursorType]);
  OSDMenuItemSetValue(GI_WrapAround, Gallery.WrapAround ? "on" : "off");
  OSDMenuItemSetColorPatch(GI_AccentColour, Gallery.Colours[0]);
  OSDMenuItemSetColorPatch(GI_PanelColour, Gallery.Colours[1]);
  char answer[64];
  snprintf(answer, sizeof answer, "answer: %s", Gallery.Answer);
  OSDMenuItemSetValue(GI_MessageBox, answer);
  OSDMenuUpdate(FALSE);
}

void GalleryShowMain(int currentItem) {
  OSDMenuSetMenuLevel(0);
  OSDMenuInitialize(FALSE, TRUE, TRUE, FALSE, "Kalib toolkit gallery", "main menu");
  OSDMenuSetClientLeftRight(TRUE);  // left/right change values here
  Menu[0].ValueColumnX = 420;       // room for the longer item texts
  OSDMenuItemAdd("Menu list", "", nullptr, nullptr, FALSE, FALSE, 0);
  OSDMenuItemAdd("Cursor style", "", nullptr, nullptr, TRUE, TRUE, 0);
  OSDMenuItemAdd("Wrap-around in the long list", "", nullptr, nullptr, TRUE, TRUE, 0);
  OSDMenuItemAdd("Long list", "25 items", &_Button_list_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemAdd("Memo text", "scrolls by line", &_Button_ttx_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemAdd("Remote-control key symbols", "56 symbols", &_Button_guide_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemAdd("Widgets", "", nullptr, nullptr, FALSE, FALSE, 0);
  OSDMenuItemAdd("Accent colour", "colour picker", &_Button_red_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemAdd("Panel colour", "colour picker", &_Button_blue_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemAdd("Message box over the menu", "", &_Button_ok_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemAdd("Info box with wait spinner", "3 seconds", &_Button_info_Gd, nullptr, TRUE, FALSE, 0);
  OSDMenuItemSetTextColor(GI_MenuHeader, AMBER_TEXT);
  OSDMenuItemSetTextColor(GI_WidgetHeader, AMBER_TEXT);
  static const tHint hints[] = {
      {0, &_Button_ok_Gd, "Open"},      {0, &_Button_exit_Gd, "Quit"}, {0, &_Button_left_Gd, ""},
      {0, &_Button_right_Gd, "Change"}, {1, &_Button_up_Gd, ""},       {1, &_Button_down_Gd, "Move"},
      {1, &_Button_rwd_Gd, ""},         {1, &_Button_ffwd_Gd, "Page"},
  };
  AddHints(hints, sizeof hints / sizeof hints[0]);
  OSDMenuSetCurrentItem(currentItem);
  GalleryRefreshMain();
}

// Shows "current / count" right of the hints whenever the long list was drawn.
static void ShowPosition(dword partCode, word rgn) {
  if (partCode != MP_List || OSDMenuGetMenuLevel() != 1) return;
  char position[32];
  snprintf(position, sizeof position, "%d / %d", OSDMenuGetCurrentItem() + 1, Menu[1].NrItems);
  TAP_Osd_FillBox(rgn, 560, 516, 104, 22, 0xFF101010);
  FMUC_PutStringAA(rgn, 560, 516, 664, position, 0xFF808080, 0, &OSDMenuFont_12, 0, 2, 1.0f);
}

static void OpenSubMenu(const char *title, const char *subTitle, bool valueColumn, bool numbers, bool wrap) {
  OSDMenuSetMenuLevel(1);
  OSDMenuInitialize(FALSE, valueColumn, numbers, wrap, title, subTitle);
  OSDMenuSetCursorType(Gallery.CursorType);
}

void GalleryShowLongList(void) {
  OpenSubMenu("Long list", "numbers, values, patches", TRUE, TRUE, Gallery.WrapAround);
  static const dword patches[] = {0xFFD03030, 0xFF30A040, 0xFF3060D0, 0xFFE0C020, 0xFFA040C0};
  static const TYPE_GrData *const keys[] = {&_Button_red_Gd, &_Button_green_Gd, &_Button_yellow_Gd,
                                            &_Button_blue_Gd, &_Button_white_Gd};
  char text[64], value[32];
  for (int i = 0; i < 25; i++) {
    if (i % 6 == 0) {
      snprintf(text, sizeof text, "Group %d", i / 6 + 1);
      int item = OSDMenuItemAdd(text, "not selectable", nullptr, nullptr, FALSE, FALSE, 0);
      OSDMenuItemSetTextColor(item, AMBER_TEXT);
      continue;
    }
    snprintf(text, sizeof text, "Entry %d", i + 1);
    snprintf(value, sizeof value, "%d%%", i * 4);
    int item = OSDMenuItemAdd(text, value, nullptr, i % 3 == 2 ? keys[i % 5] : nullptr, TRUE, FALSE, 0);
    if (i % 3 == 1) OSDMenuItemSetColorPatch(item, patches[i % 5]);
    if (i % 4 == 3) OSDMenuItemSetTextColor(item, GREEN_TEXT);
  }
  static const tHint hints[] = {
      {0, &_Button_exit_Gd, "Back"}, {0, &_Button_up_Gd, ""},        {0, &_Button_down_Gd, "Move"},
      {0, &_Button_left_Gd, ""},     {0, &_Button_right_Gd, "Page"},
  };
  AddHints(hints, sizeof hints / sizeof hints[0]);
  OSDMenuSetCurrentItem(1);
  OSDMenuSetCallback(ShowPosition);
  OSDMenuUpdate(FALSE);
}

void GalleryShowMemo(void) {
  OpenSubMenu("Memo text", "the items as plain lines", FALSE, FALSE, FALSE);
  OSDMenuSetDisplayMode(MD_Memo);
  static const char *const lines[] = {
      "The menu list of the Kalib toolkit has two display modes.",
      "In list mode every item is a row with a number, an icon,",
      "a text and a value column; the cursor marks one of them.",
      "In memo mode the same item texts are shown as plain lines,",
      "fifteen at a time, and the up and down keys scroll them.",
      "",
      "Every widget keeps its state in module variables and opens",
      "its own OSD region.  The client hands each event to",
      "OSDMenuEvent first: the widget on top takes the keys it",
      "knows, and the others stay with the client.",
      "",
      "Order of the widgets: info box, message box, colour picker,",
      "menu list.  A box opened over the menu gets the keys first;",
      "the menu keeps its place and is redrawn when the box closes.",
      "",
      "A cursor move redraws only the list and the scroll bar;",
      "titles, logo and button hints are drawn again only when",
      "they change.",
      "",
      "Press EXIT to go back to the main menu.",
  };
  for (const char *line : lines) OSDMenuItemAdd(line, "", nullptr, nullptr, TRUE, FALSE, 0);
  static const tHint hints[] = {
      {0, &_Button_exit_Gd, "Back"}, {0, &_Button_up_Gd, ""}, {0, &_Button_down_Gd, "Scroll"}};
  AddHints(hints, sizeof hints / sizeof hints[0]);
  OSDMenuUpdate(FALSE);
}

void GalleryShowKeySymbols(void) {
  OpenSubMenu("Remote-control key symbols", "_Button_<name>_Gd", TRUE, FALSE, TRUE);
  Menu[1].ValueColumnX = 300;
  // Two symbols per item, 28 items.
  for (int i = 0; i + 1 < KEY_SYMBOL_COUNT; i += 2)
    OSDMenuItemAdd(KeySymbols[i].Name, KeySymbols[i + 1].Name, KeySymbols[i].Symbol, KeySymbols[i + 1].Symbol,
                   TRUE, FALSE, 0);
  static const tHint hints[] = {
      {0, &_Button_exit_Gd, "Back"}, {0, &_Button_rwd_Gd, ""}, {0, &_Button_ffwd_Gd, "Page"}};
  AddHints(hints, sizeof hints / sizeof hints[0]);
  OSDMenuUpdate(FALSE);
}
