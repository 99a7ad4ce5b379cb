// Gallery.cpp - "Kalib Gallery", a TAP that shows every widget of the
// toolkit, driven by the remote control: a two-level menu list, the colour
// picker opened from an item, a message box over the menu and an info box
// with the wait spinner.  The event handler shows how a client shares the
// keys with the toolkit: every event goes to OSDMenuEvent first, and a key
// that is still there afterwards is the gallery's.
#include "Gallery.h"

TAP_HEADER();
TAP_ID(GALLERY_TAPID);
TAP_PROGRAM_NAME("Kalib Gallery");
TAP_PROGRAM_VERSION("V1.0");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("The widgets of the Kalib toolkit");
TAP_ETCINFO(__DATE__);

extern "C" {
int TAP_Main(void);
dword TAP_EventHandler(word event, dword param1, dword param2);
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)

tGallery Gallery = {CT_Standard, FALSE, {0xFFE89211, 0xFF3A5A8C}, -1, "none"};

int TAP_Main(void) {
  GalleryShowMain(GI_CursorStyle);
  return 1;
}

// Closes whatever is open and ends the TAP; nothing stays on screen or in
// memory.
static void Quit(void) {
  OSDMenuInfoBoxDestroy();
  OSDMenuMessageBoxDestroy();
  OSDMenuColorPickerDestroy();
  OSDMenuDestroy();
  TAP_Exit();
}

static void AskQuestion(void) {
  OSDMenuMessageBoxInitialize("Message box", "Reset the gallery's settings?\nThe menu waits behind the box.");
  OSDMenuMessageBoxButtonAdd("Yes");
  OSDMenuMessageBoxButtonAdd("No");
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
}

static void QuestionAnswered(void) {
  dword answer = OSDMenuMessageBoxLastButton();
  Gallery.Answer = answer == 0 ? "Yes" : answer == 1 ? "No" : "cancelled";
  if (answer == 0) {
    Gallery.CursorType = CT_Standard;
    Gallery.WrapAround = FALSE;
    Gallery.Colours[0] = 0xFFE89211;
    Gallery.Colours[1] = 0xFF3A5A8C;
  }
  GalleryRefreshMain();
}

static void PickColour(int item) {
  Gallery.PickerItem = item;
  OSDMenuColorPickerShow(item == GI_AccentColour ? "Accent colour" : "Panel colour",
                         Gallery.Colours[item - GI_AccentColour]);
}

static void ColourPicked(void) {
  // ColorPickerColor holds the new colour, or the old one after a cancel.
  Gallery.Colours[Gallery.PickerItem - GI_AccentColour] = ColorPickerColor | 0xFF000000u;
  Gallery.PickerItem = -1;
  GalleryRefreshMain();
}

static void ChangeValue(int item, int step) {
  if (item == GI_CursorStyle)
    Gallery.CursorType = (Gallery.CursorType + 3 + step) % 3;
  else if (item == GI_WrapAround)
    Gallery.WrapAround = !Gallery.WrapAround;
  else
    return;
  GalleryRefreshMain();
}

static void MainMenuKey(dword key) {
  int item = OSDMenuGetCurrentItem();
  switch (key) {
    case RKEY_Left:
      ChangeValue(item, -1);
      break;
    case RKEY_Right:
      ChangeValue(item, +1);
      break;
    case RKEY_Exit:
      Quit();
      break;
    case RKEY_Ok:
      switch (item) {
        case GI_CursorStyle:
        case GI_WrapAround:
          ChangeValue(item, +1);
          break;
        case GI_LongList:
          GalleryShowLongList();
          break;
        case GI_Memo:
          GalleryShowMemo();
          break;
        case GI_KeySymbols:
          GalleryShowKeySymbols();
          break;
        case GI_AccentColour:
        case GI_PanelColour:
          PickColour(item);
          break;
        case GI_MessageBox:
          AskQuestion();
          break;
        case GI_InfoBox:
          OSDMenuInfoBoxShow("Info box", "Please wait ...\nCloses after 3 seconds or with EXIT", 300);
          OSDMenuWaitSpinnerInit();
          break;
      }
      break;
  }
}

// A key the menu list left to the gallery.
static void MenuKey(dword key) {
  if (OSDMenuGetMenuLevel() == 0) {
    MainMenuKey(key);
    return;
  }
  if (key == RKEY_Exit) {
    // Back to the main menu, with the cursor where it was.
    OSDMenuSetMenuLevel(0);
    OSDMenuUpdate(FALSE);
  }
}

dword TAP_EventHandler(word event, dword param1, dword param2) {
  if (event == EVT_STOP) {
    Quit();
    return 0;
  }
  bool picking = ColorPickerOSDRgn != 0, asking = MessageBoxOSDRgn != 0;
  bool taken = OSDMenuEvent(&event, &param1, &param2);
  if (picking && ColorPickerOSDRgn == 0) ColourPicked();
  if (asking && MessageBoxOSDRgn == 0) QuestionAnswered();
  if (event != EVT_KEY) return 0;
  if (!taken && param1 != 0 && OSDRgn) MenuKey(param1);
  // While the gallery is on screen, the firmware gets no key.
  return 0;
}
