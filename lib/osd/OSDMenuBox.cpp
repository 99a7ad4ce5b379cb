// OSDMenuBox.cpp - the panel that the message box and the info box share:
// where it goes, the pixels saved under it and its lines of text.
#include "OSDMenuBox.h"

#include <string.h>

#define SCREEN_WIDTH 720
#define SCREEN_HEIGHT 576

bool OSDMenuAnyRegionOpen(void) {
  return OSDRgn || ProgressBarOSDRgn || InfoBoxOSDRgn || MessageBoxOSDRgn || ColorPickerOSDRgn;
}

/* Screen position of a region, from the firmware's OSD map. */
static bool RegionScreenPos(word rgn, int *x, int *y) {
  const TYPE_OsdMapEntry *map = (const TYPE_OsdMapEntry *)FIS_vOsdMap();
  if (map == nullptr) return false;
  *x = map[rgn].x;
  *y = map[rgn].y;
  return true;
}

static void SaveBackground(int x, int y, dword w, dword h) {
  if (OSDRgn == 0 && MyOSDRgn == 0) return;
  if (InfoBoxSaveArea) { /* never two saved areas at once */
    TAP_MemFree(InfoBoxSaveArea);
    InfoBoxSaveArea = nullptr;
  }
  InfoBoxSaveAreaX = x;
  InfoBoxSaveAreaY = y;
  if (MyOSDRgn) {
    int rx, ry;
    if (RegionScreenPos(MyOSDRgn, &rx, &ry))
      InfoBoxSaveArea = TAP_Osd_SaveBox(MyOSDRgn, x - rx, y - ry, w, h);
  } else {
    InfoBoxSaveArea = TAP_Osd_SaveBox(OSDRgn, x, y, w, h);
  }
}

void OSDMenuBoxSaveBackground(void) {
  dword w = _InfoBox_Gd.width, h = _InfoBox_Gd.height;
  SaveBackground((SCREEN_WIDTH - (int)w) / 2, (SCREEN_HEIGHT - (int)h) / 2, w, h);
}

word OSDMenuBoxOpen(void) {
  dword w = _InfoBox_Gd.width, h = _InfoBox_Gd.height;
  int x = (SCREEN_WIDTH - (int)w) / 2, y = (SCREEN_HEIGHT - (int)h) / 2;
  OSDMenuBoxSaveBackground();
  int rgn = TAP_Osd_Create(x, y, w, h, 0, 0);
  if (rgn <= 0 || rgn > 0xFFFF) {
    /* No region: nothing is on screen, so nothing must be restored later. */
    if (InfoBoxSaveArea) TAP_MemFree(InfoBoxSaveArea);
    InfoBoxSaveArea = nullptr;
    return 0;
  }
  TAP_ExitNormal();
  return (word)rgn;
}

void OSDMenuBoxRestoreBackground(void) {
  if (InfoBoxSaveArea == nullptr) return;
  dword w = _InfoBox_Gd.width, h = _InfoBox_Gd.height;
  int rx, ry;
  if (MyOSDRgn && RegionScreenPos(MyOSDRgn, &rx, &ry))
    TAP_Osd_RestoreBox(MyOSDRgn, InfoBoxSaveAreaX - rx, InfoBoxSaveAreaY - ry, w, h, InfoBoxSaveArea);
  else if (OSDRgn)
    TAP_Osd_RestoreBox(OSDRgn, InfoBoxSaveAreaX, InfoBoxSaveAreaY, w, h, InfoBoxSaveArea);
  TAP_MemFree(InfoBoxSaveArea);
  InfoBoxSaveArea = nullptr;
  MyOSDRgn = 0;
}

/* Splits buf in place; returns the number of lines.  CR and LF both end a
 * line, so CR LF leaves an empty line between its halves; a separator at the
 * very end adds no line. */
static int SplitLines(char *buf, char **lines) {
  int n = 0;
  char *p = buf, *end = buf + strlen(buf);
  while (p < end) {
    lines[n++] = p;
    char *sep = p + strcspn(p, "\r\n");
    if (sep >= end) break;
    *sep = '\0';
    p = sep + 1;
  }
  return n;
}

void OSDMenuBoxDrawLines(word rgn, const char *text, int firstLineY, bool keepSelector) {
  if (text == nullptr) return;
  char buf[OSDMENU_BOX_TEXT_BYTES];
  if (keepSelector)
    strncpyUC(buf, text, OSDMENU_BOX_TEXT_BYTES - 1);
  else
    strncpy(buf, text, OSDMENU_BOX_TEXT_BYTES);
  buf[OSDMENU_BOX_TEXT_BYTES - 1] = '\0';

  char *lines[OSDMENU_BOX_TEXT_BYTES];
  int n = SplitLines(buf, lines);
  int boxW = _InfoBox_Gd.width, boxH = _InfoBox_Gd.height;
  /* Height of the strip a line covers: the font's cell, or the standard
   * Calibri 14 cell while the font is not loaded. */
  int cellH = FMUC_GetStringHeight("Ag", &OSDMenuFont_14);
  if (cellH <= 0) cellH = OSDMENU_BOX_CELL_HEIGHT;
  for (int i = 0; i < n; i++) {
    int y = firstLineY - 10 * n + 20 * i;
    /* OSDMenuPutS draws from y - 3 down over one font cell (and one row
     * more); keep that strip inside the panel. */
    if (y - 3 < 0 || y - 3 + cellH + 1 > boxH) continue;
    OSDMenuPutS(rgn, 0, y, boxW, lines[i], OSDMENU_BOX_TEXT_COLOR, 0, OSDMENU_BOX_FONT_SIZE, 0, 1);
  }
}
