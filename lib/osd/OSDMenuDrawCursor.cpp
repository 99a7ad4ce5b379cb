// OSDMenuDrawCursor.cpp - the highlighted row: an outline frame, or a bar
// tiled from a 100 x 34 graphic kept in an off-screen region.  The region
// holds one tile at a time and is rebuilt only when another tile is needed.
#include "OSDMenuList.h"

#define TILE_WIDTH 100
#define FRAME_COLOR 0xFF5ACDECu
#define FRAME_WIDTH 2
#define DARK_EDGE 2
#define TILE_NORMAL 0
#define TILE_DARK 1
#define TILE_NONE 2

static bool LoadTile(const TYPE_GrData *tile, int kind) {
  if (OSDMenuSelectionBarRgn) TAP_Osd_Delete(OSDMenuSelectionBarRgn);
  OSDMenuSelectionBarRgn = 0;
  OSDMenuLastCursor = TILE_NONE;
  int rgn = TAP_Osd_Create(0, 0, TILE_WIDTH, MENU_CURSOR_HEIGHT, 0, OSD_Flag_MemRgn);
  if (rgn <= 0 || rgn > 0xFFFF) return false;
  OSDMenuSelectionBarRgn = (word)rgn;
  TAP_Osd_PutGd(OSDMenuSelectionBarRgn, 0, 0, tile, FALSE);
  OSDMenuLastCursor = kind;
  return true;
}

// Copies the tile across w pixels from x: whole tiles, then the rest.
static void TileAcross(dword x, dword y, dword w) {
  dword whole = w / TILE_WIDTH, rest = w % TILE_WIDTH;
  for (dword i = 0; i < whole; i++)
    TAP_Osd_Copy(OSDMenuSelectionBarRgn, OSDRgn, 0, 0, TILE_WIDTH, MENU_CURSOR_HEIGHT, x + TILE_WIDTH * i, y,
                 FALSE);
  if (rest)
    TAP_Osd_Copy(OSDMenuSelectionBarRgn, OSDRgn, 0, 0, rest, MENU_CURSOR_HEIGHT, x + TILE_WIDTH * whole, y,
                 FALSE);
}

// Copies columns first .. first + count - 1 of the tiled bar that starts at x.
static void TileColumns(dword x, dword y, dword first, dword count) {
  for (dword c = first; c < first + count; c++)
    TAP_Osd_Copy(OSDMenuSelectionBarRgn, OSDRgn, c % TILE_WIDTH, 0, 1, MENU_CURSOR_HEIGHT, x + c, y, FALSE);
}

static void DrawFrame(dword x, dword y, dword w) {
  dword h = MENU_CURSOR_HEIGHT;
  if (w < FRAME_WIDTH) return;
  TAP_Osd_FillBox(OSDRgn, x, y, w, FRAME_WIDTH, FRAME_COLOR);
  TAP_Osd_FillBox(OSDRgn, x + w - FRAME_WIDTH, y, FRAME_WIDTH, h, FRAME_COLOR);
  TAP_Osd_FillBox(OSDRgn, x, y + h - FRAME_WIDTH, w, FRAME_WIDTH, FRAME_COLOR);
  TAP_Osd_FillBox(OSDRgn, x, y, FRAME_WIDTH, h, FRAME_COLOR);
}

void OSDMenuDrawCursor(dword x, dword y, dword w) {
  if (OSDRgn == 0) return;
  if (MenuCursorType == CT_Box) {
    DrawFrame(x, y, w);
    return;
  }
  if (OSDMenuLastCursor != TILE_NORMAL && !LoadTile(&_SelectionBar_Blue_100x34_Gd, TILE_NORMAL)) return;
  if (MenuCursorType != CT_Dark || w <= 2 * DARK_EDGE) {
    TileAcross(x, y, w);
    return;
  }
  // The dark tile leaves the normal bar showing as a bright edge left and
  // right: only those columns of the normal bar are copied.
  TileColumns(x, y, 0, DARK_EDGE);
  TileColumns(x, y, w - DARK_EDGE, DARK_EDGE);
  if (OSDMenuLastCursor != TILE_DARK && !LoadTile(&_SelectionBar_Blue_100x34Dark_Gd, TILE_DARK)) return;
  TileAcross(x + DARK_EDGE, y, w - 2 * DARK_EDGE);
}
