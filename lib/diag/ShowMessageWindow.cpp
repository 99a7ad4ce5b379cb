// ShowMessageWindow.cpp - the emergency message window: a title and text lines in a framed box,
// drawn with the firmware's own font, so that it works without font files.
#include "Kalib.h"

dword kal_rgn = 0;

static const dword kScreenWidth = 720;
static const dword kScreenHeight = 576;

namespace {  // file-local record type (static cannot apply to a type)
struct Metrics {
  dword lineHeight;
  dword margin;
};
}  // namespace
static const Metrics kMetrics[3] = {{19, 14}, {22, 16}, {26, 20}};

// Counts the text lines (behind the title) that keep the window above the
// screen's bottom, growing the window's height and width as it goes.
static int FitLines(char **lines, dword y, bool centreY, byte fntSize, const Metrics &m, dword &H, dword &W) {
  int count = 0;
  for (; lines[count] != nullptr; count++) {
    dword top = centreY ? 0 : y;
    if (!(top + H + m.lineHeight < kScreenHeight)) break;
    H += m.lineHeight;
    dword w = (dword)TAP_Osd_GetW(lines[count], 0, fntSize) + m.margin;
    if (w > W) W = w;
  }
  return count;
}

void ShowMessageWindow(char **content, dword pos_x, dword pos_y, byte fntSize, byte align, dword bdcolor,
                       dword titlecolor, dword msgcolor, dword bgcolor, dword delay) {
  if (content == nullptr) return;
  const char *title = content[0];
  if (title == nullptr && content[1] == nullptr) title = "";
  if (fntSize > 2) fntSize = 2;
  const Metrics &m = kMetrics[fntSize];
  bool centreX = pos_x >= kScreenWidth, centreY = pos_y >= kScreenHeight;

  dword H = 10, W = 0;
  if (title != nullptr) {
    H = m.lineHeight + 10;
    W = (dword)TAP_Osd_GetW(title, 0, fntSize) + m.margin;
  }
  char **lines = content + 1;
  int nLines = FitLines(lines, pos_y, centreY, fntSize, m, H, W);

  dword x = pos_x, y = pos_y;
  if (centreX) {
    if (W > kScreenWidth) W = kScreenWidth;
    x = (kScreenWidth - W) / 2;
  } else if (W > kScreenWidth - x) {
    W = kScreenWidth - x;
  }
  if (centreY) y = (kScreenHeight - H) / 2;

  dword B = m.margin / 4;
  dword T = align == 1 ? B : m.margin / 2;

  int memRgn = TAP_Osd_Create_Chk("ShowMessageWindow A", x, y, W, H, 0, OSD_Flag_MemRgn);
  if (memRgn < 128) return;  // no region to draw into; the check has reported it
  word rgn = (word)memRgn;
  TAP_Osd_FillBox_Chk("ShowMessageWindow A", rgn, 0, 0, W, H, bdcolor);
  TAP_Osd_FillBox_Chk("ShowMessageWindow B", rgn, B, B, W - 2 * B, H - 2 * B, bgcolor);

  dword lineY = 5;
  if (title != nullptr) {
    TAP_Osd_PutS(rgn, B, lineY, W - B, title, titlecolor, bgcolor, 0, fntSize, 0, 1);
    lineY += m.lineHeight;
  }
  for (int i = 0; i < nLines; i++, lineY += m.lineHeight)
    TAP_Osd_PutS(rgn, T, lineY, W - T, lines[i], msgcolor, bgcolor, 0, fntSize, 0, align);

  if (kal_rgn != 0) TAP_Osd_Delete((word)kal_rgn);
  kal_rgn = 0;
  int shown = TAP_Osd_Create_Chk("ShowMessageWindow B", x, y, W, H, 0, 0);
  if (shown >= 128) {
    kal_rgn = (dword)shown;
    TAP_Osd_Copy_Chk("ShowMessageWindow A", rgn, (word)kal_rgn, 0, 0, W, H, 0, 0, FALSE);
  }
  TAP_Osd_Delete(rgn);
  TAP_Osd_Sync();

  if (delay != 0 && kal_rgn != 0) {
    TAP_Delay(delay);
    EndMessageWin();
  }
}
