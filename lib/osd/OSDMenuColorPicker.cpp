// OSDMenuColorPicker.cpp - the colour picker: three sliders for red, green
// and blue (0 to 255), the selected component's value and a preview patch,
// on a 360 x 155 panel centred on the screen.  The keys reach it through
// OSDMenuEvent, which calls the drawing and closing below.
#include "OSDMenuBox.h"

#define PICKER_X ((720 - 360) / 2)
#define PICKER_Y ((576 - 155) / 2)
#define TITLE_Y 10
#define TITLE_COLOR 0xFFE89211u
#define CURSOR_OFFSET 8
#define LABEL_CENTRE 310
#define LABEL_FILL_X 280
#define LABEL_FILL_WIDTH 60
#define LABEL_FILL_HEIGHT 17
#define LABEL_FILL_COLOR 0xFF282828u
#define LABEL_COLOR 0xFFC0C0C0u
#define SELECTED_LABEL_COLOR 0xFF282828u
#define LABEL_FONT_SIZE 12
#define PREVIEW_X 211
#define PREVIEW_Y 116
#define PREVIEW_WIDTH 60
#define PREVIEW_HEIGHT 18
#define PREVIEW_FRAME_COLOR 0xFFC0C0C0u

// Where a component is drawn: its bits in the colour, the slider row, the
// value label and the x of the cursor drawn last.
typedef struct {
  int shift;
  int rowY, labelY;
  int *lastCursor;
} tPickerRow;

static bool PickerRow(int component, tPickerRow *row) {
  switch (component) {
    case 0:
      *row = {16, 56, 44, &ColorPickerLastCursorRed};
      return true;
    case 1:
      *row = {8, 78, 66, &ColorPickerLastCursorGreen};
      return true;
    case 2:
      *row = {0, 100, 88, &ColorPickerLastCursorBlue};
      return true;
    default:
      *row = {0, 0, 0, nullptr};
      return false;
  }
}

void OSDMenuColorPickerDrawCursor(int Component, bool Selected) {
  word rgn = ColorPickerOSDRgn;
  if (rgn == 0) return;
  tPickerRow row;
  int x = 0;
  if (PickerRow(Component, &row)) {
    x = (int)((ColorPickerColor >> row.shift) & 0xFF) + CURSOR_OFFSET;
    int previous = *row.lastCursor;
    *row.lastCursor = x;
    if (previous >= 0) TAP_Osd_PutGd(rgn, previous, row.rowY, &_ColorPicker_CursorNone_Gd, FALSE);
  } else {
    TAP_Osd_PutGd(rgn, 0, 0, &_ColorPicker_CursorNone_Gd, FALSE);
  }
  TAP_Osd_PutGd(rgn, x, row.rowY, &_ColorPicker_CursorDeselected_Gd, FALSE);

  char label[16];
  TAP_SPrint(label, "%d", x - CURSOR_OFFSET);
  const TYPE_GrData *selectedBackground = &_ColorPicker_ValueBackroundSelected_Gd;
  int labelLeft = LABEL_CENTRE - selectedBackground->width / 2;
  if (Selected)
    TAP_Osd_PutGd(rgn, labelLeft, row.labelY, selectedBackground, FALSE);
  else
    TAP_Osd_FillBox(rgn, LABEL_FILL_X, row.labelY, LABEL_FILL_WIDTH, LABEL_FILL_HEIGHT, LABEL_FILL_COLOR);
  OSDMenuPutS(rgn, labelLeft, row.labelY, labelLeft + selectedBackground->width, label,
              Selected ? SELECTED_LABEL_COLOR : LABEL_COLOR, 0, LABEL_FONT_SIZE, 0, 1);

  TAP_Osd_FillBox(rgn, PREVIEW_X, PREVIEW_Y, PREVIEW_WIDTH, PREVIEW_HEIGHT, ColorPickerColor | 0xFF000000u);
  TAP_Osd_DrawRectangle(rgn, PREVIEW_X - 1, PREVIEW_Y - 1, PREVIEW_WIDTH + 2, PREVIEW_HEIGHT + 2, 1,
                        PREVIEW_FRAME_COLOR);
}

static bool OpenPicker(void) {
  // The picker lies inside the boxes' panel area and shares their saved
  // background, so an open box goes first.
  if (InfoBoxOSDRgn) OSDMenuInfoBoxDestroyNoOSDUpdate();
  if (MessageBoxOSDRgn) OSDMenuMessageBoxDestroyNoOSDUpdate();
  OSDMenuBoxSaveBackground();
  int rgn = TAP_Osd_Create(PICKER_X, PICKER_Y, _ColorPicker_Gd.width, _ColorPicker_Gd.height, 0, 0);
  if (rgn <= 0 || rgn > 0xFFFF) {
    if (InfoBoxSaveArea) TAP_MemFree(InfoBoxSaveArea);
    InfoBoxSaveArea = nullptr;
    return false;
  }
  ColorPickerOSDRgn = (word)rgn;
  TAP_ExitNormal();
  return true;
}

void OSDMenuColorPickerShow(const char *Title, dword Color) {
  if (ColorPickerOSDRgn == 0 && !OpenPicker()) return;
  OSDMenuLoadStdFonts();
  ColorPickerColor = Color;
  ColorPickerDefaultColor = Color;
  CurrentColorSelected = 0;
  ColorPickerLastCursorRed = ColorPickerLastCursorGreen = ColorPickerLastCursorBlue = -1;
  TAP_Osd_PutGd(ColorPickerOSDRgn, 0, 0, &_ColorPicker_Gd, FALSE);
  OSDMenuPutS(ColorPickerOSDRgn, 0, TITLE_Y, _ColorPicker_Gd.width, Title, TITLE_COLOR, 0, 14, 0, 1);
  OSDMenuColorPickerDrawCursor(0, TRUE);
  OSDMenuColorPickerDrawCursor(1, FALSE);
  OSDMenuColorPickerDrawCursor(2, FALSE);
  TAP_Osd_Sync();
}

void OSDMenuColorPickerDestroy(void) {
  if (ColorPickerOSDRgn == 0) return;
  TAP_Osd_Delete(ColorPickerOSDRgn);
  ColorPickerOSDRgn = 0;
  // No slider cursor is on the screen any more.
  ColorPickerLastCursorRed = ColorPickerLastCursorGreen = ColorPickerLastCursorBlue = -1;
  OSDMenuBoxRestoreBackground();
  TAP_Osd_Sync();
  if (!OSDMenuAnyRegionOpen()) TAP_EnterNormal();
  // The fonts that Show loaded go when nothing else of the toolkit is open
  // (a picker used without a menu would otherwise keep them).
  OSDMenuFreeStdFonts();
}
