// OSDMenuMessageBox.cpp - the toolkit's modal question: a title, a few lines
// of text and up to five buttons on the centred 380 x 190 panel.  The keys
// reach it through OSDMenuEvent.
#include "OSDMenuBox.h"

#include <string.h>

#define BUTTON_Y 120
#define BUTTON_CAPTION_Y 124
#define BUTTON_COLOR 0xFF242424u
#define BUTTON_CAPTION_COLOR 0xFFE6E6FAu
#define SELECTED_CAPTION_COLOR 0xFF282828u
#define TITLE_Y 10
#define TEXT_CENTRE_Y 77

static void CopyField(char *dest, const char *source) {
  dest[0] = '\0';
  if (source) strncpyUC(dest, source, 256);
  dest[255] = '\0';
}

void OSDMenuMessageBoxInitialize(const char *title, const char *text) {
  if (InfoBoxOSDRgn) OSDMenuInfoBoxDestroy();
  if (MessageBoxOSDRgn) OSDMenuMessageBoxDestroy();
  OSDMenuLoadStdFonts();
  MessageBoxAllowScrollOver = FALSE;
  MessageBox.NrButtons = 0;
  MessageBox.CurrentButton = 0;
  MessageBoxNoNormalMode = FALSE;
  CopyField(MessageBox.Title, title);
  CopyField(MessageBox.Text, text);
}

void OSDMenuMessageBoxButtonAdd(const char *text) {
  if (MessageBox.NrButtons >= MESSAGEBOX_MAX_BUTTONS) return;
  char *slot = MessageBox.ButtonText[MessageBox.NrButtons];
  slot[0] = '\0';
  if (text) strncpy(slot, text, 256);
  slot[255] = '\0';
  MessageBox.NrButtons++;
}

void OSDMenuMessageBoxButtonSelect(dword selectedButton) {
  if (selectedButton >= MessageBox.NrButtons) return;
  MessageBox.CurrentButton = selectedButton;
  if (MessageBoxOSDRgn) OSDMenuMessageBoxShow();
}

static void DrawButton(dword k, bool selected) {
  const TYPE_GrData *bg = &_MessageBoxSelectedButtonBackground_Gd;
  dword step = _InfoBox_Gd.width / (MessageBox.NrButtons + 1);
  dword left = step * (k + 1) - bg->width / 2;
  dword right = left + bg->width;
  if (selected)
    TAP_Osd_PutGd(MessageBoxOSDRgn, left, BUTTON_Y, bg, FALSE);
  else
    TAP_Osd_FillBox(MessageBoxOSDRgn, left, BUTTON_Y, bg->width, bg->height, BUTTON_COLOR);
  OSDMenuPutS(MessageBoxOSDRgn, left, BUTTON_CAPTION_Y, right, MessageBox.ButtonText[k],
              selected ? SELECTED_CAPTION_COLOR : BUTTON_CAPTION_COLOR, 0, OSDMENU_BOX_FONT_SIZE, 0, 1);
}

void OSDMenuMessageBoxShow(void) {
  if (MessageBox.NrButtons == 0) return;
  if (MessageBoxOSDRgn == 0) {
    MessageBoxOSDRgn = OSDMenuBoxOpen();
    if (MessageBoxOSDRgn == 0) return;
  }

  /* Every redraw paints the whole box; the highlighted button comes last so
   * that it lies on top of overlapping neighbours. */
  TAP_Osd_PutGd(MessageBoxOSDRgn, 0, 0, &_InfoBox_Gd, FALSE);
  OSDMenuPutS(MessageBoxOSDRgn, 0, TITLE_Y, _InfoBox_Gd.width, MessageBox.Title, OSDMENU_BOX_TITLE_COLOR, 0,
              OSDMENU_BOX_FONT_SIZE, 0, 1);
  OSDMenuBoxDrawLines(MessageBoxOSDRgn, MessageBox.Text, TEXT_CENTRE_Y, TRUE);
  for (dword k = 0; k < MessageBox.NrButtons; k++)
    if (k != MessageBox.CurrentButton) DrawButton(k, FALSE);
  if (MessageBox.CurrentButton < MessageBox.NrButtons) DrawButton(MessageBox.CurrentButton, TRUE);
  TAP_Osd_Sync();
}

bool OSDMenuMessageBoxIsVisible(void) { return MessageBoxOSDRgn != 0; }

dword OSDMenuMessageBoxLastButton(void) { return MessageBox.CurrentButton; }

void OSDMenuMessageBoxDestroyNoOSDUpdate(void) {
  if (MessageBoxOSDRgn) {
    TAP_Osd_Delete(MessageBoxOSDRgn);
    MessageBoxOSDRgn = 0;
    OSDMenuBoxRestoreBackground();
  }
  OSDMenuFreeStdFonts();
}

void OSDMenuMessageBoxDestroy(void) {
  if (MessageBoxOSDRgn) {
    OSDMenuMessageBoxDestroyNoOSDUpdate();
    TAP_Osd_Sync();
  }
  if (!OSDMenuAnyRegionOpen()) TAP_EnterNormal();
  OSDMenuFreeStdFonts();
}
