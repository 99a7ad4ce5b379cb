// Gallery.h - the gallery TAP's menus and what they show; shared by its
// event handling (Gallery.cpp) and the menu building (GalleryMenus.cpp).
#pragma once

#include "Graphics.h"
#include "Kalib.h"

#define GALLERY_TAPID 0x4B41B0E1

// Items of the main menu (level 0).
enum {
  GI_MenuHeader,
  GI_CursorStyle,
  GI_WrapAround,
  GI_LongList,
  GI_Memo,
  GI_KeySymbols,
  GI_WidgetHeader,
  GI_AccentColour,
  GI_PanelColour,
  GI_MessageBox,
  GI_InfoBox,
  GI_Count
};

// What the gallery remembers between its menus.
typedef struct {
  int CursorType;      // CT_Standard, CT_Dark or CT_Box
  bool WrapAround;     // of the long list
  dword Colours[2];    // accent and panel colour, edited with the picker
  int PickerItem;      // GI_AccentColour or GI_PanelColour while the picker is open
  const char *Answer;  // the message box's last answer
} tGallery;

extern tGallery Gallery;

// Builds the main menu on level 0 with the cursor on an item and draws it.
void GalleryShowMain(int currentItem);
// Builds one of the sub menus on level 1 and draws it.
void GalleryShowLongList(void);
void GalleryShowMemo(void);
void GalleryShowKeySymbols(void);
// Redraws the values of the main menu's items from Gallery.
void GalleryRefreshMain(void);
