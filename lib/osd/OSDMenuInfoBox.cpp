// OSDMenuInfoBox.cpp - the toolkit's notice panel: a title and a few lines
// of text on the centred panel, closed by the client, by the cancel key or
// after a time-out (both through OSDMenuEvent).  Showing it again on an
// open box redraws it in place.
#include "OSDMenuBox.h"

#define TITLE_Y 10
#define TEXT_CENTRE_Y 109
#define NO_TIMEOUT 0xFFFFFFFFu

void OSDMenuInfoBoxShow(const char *title, const char *text, dword timeout) {
  if (MessageBoxOSDRgn) OSDMenuMessageBoxDestroy();
  OSDMenuLoadStdFonts();
  if (InfoBoxOSDRgn == 0) {
    InfoBoxOSDRgn = OSDMenuBoxOpen();
    if (InfoBoxOSDRgn == 0) return;
  }

  TAP_Osd_PutGd(InfoBoxOSDRgn, 0, 0, &_InfoBox_Gd, FALSE);
  OSDMenuPutS(InfoBoxOSDRgn, 0, TITLE_Y, _InfoBox_Gd.width, title, OSDMENU_BOX_TITLE_COLOR, 0,
              OSDMENU_BOX_FONT_SIZE, 0, 1);
  OSDMenuBoxDrawLines(InfoBoxOSDRgn, text, TEXT_CENTRE_Y, FALSE);
  InfoBoxTimeOut = timeout ? TAP_GetTick() + timeout : NO_TIMEOUT;
  TAP_Osd_Sync();
}

void OSDMenuInfoBoxDestroyNoOSDUpdate(void) {
  /* The spinner lives inside the box and goes with it. */
  if (WaitSpinnerRgn) {
    TAP_Osd_Delete(WaitSpinnerRgn);
    WaitSpinnerRgn = 0;
  }
  if (InfoBoxOSDRgn) {
    TAP_Osd_Delete(InfoBoxOSDRgn);
    InfoBoxOSDRgn = 0;
    OSDMenuBoxRestoreBackground();
  }
  OSDMenuFreeStdFonts();
}

void OSDMenuInfoBoxDestroy(void) {
  if (InfoBoxOSDRgn) {
    OSDMenuInfoBoxDestroyNoOSDUpdate();
    TAP_Osd_Sync();
  }
  if (!OSDMenuAnyRegionOpen()) TAP_EnterNormal();
  OSDMenuFreeStdFonts();
}
