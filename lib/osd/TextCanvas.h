// TextCanvas.h - the pixel rectangle that a line of text is blended into.
//
// Both text families read the text's rectangle from the region once
// (TAP_Osd_SaveBox), blend every glyph pixel into that copy by its coverage
// and write it back once (TAP_Osd_RestoreBox).
#ifndef KALIB_OSD_TEXTCANVAS_H
#define KALIB_OSD_TEXTCANVAS_H

#include "osd/AlphaScale.h"

typedef struct {
  word rgn;
  dword x, y, width, height;
  dword *pixels;  // width x height, row by row
  dword fg;
  bool useLUT;      // a background was filled: blends come from AlphaLUT
  byte scale[256];  // the factor's scaling table (AlphaScaleTable)
  // The last blend, reused for runs of equal coverage over equal pixels.
  bool haveLast;
  byte lastCoverage;
  dword lastPixel, lastResult;
} tTextCanvas;

// Left edge of a text of width w (ending at end when drawn from x) between
// x and maxX: 0 left, 1 centred, 2 right; other values align left.
static inline dword TextLeftEdge(dword x, dword maxX, dword end, dword w, byte align) {
  if (align == 1) return x + (maxX - end) / 2;
  if (align == 2) return maxX - w;
  return x;
}

// Reads the rectangle; false when the region gives no pixels.
bool TextCanvasOpen(tTextCanvas *canvas, word rgn, dword x, dword y, dword width, dword height, dword fg,
                    bool useLUT, float factor);
// Writes the rectangle back and frees it.
void TextCanvasClose(tTextCanvas *canvas);

// Blends one glyph pixel at (x, y) of the rectangle; points outside it are
// left alone.
static inline void TextCanvasPut(tTextCanvas *c, int x, int y, byte coverage) {
  if (coverage == 0 || x < 0 || y < 0 || (dword)x >= c->width || (dword)y >= c->height) return;
  dword *p = &c->pixels[(dword)y * c->width + (dword)x];
  if (coverage == 255) {
    *p = c->fg;
    return;
  }
  if (c->haveLast && c->lastCoverage == coverage && c->lastPixel == *p) {
    *p = c->lastResult;
    return;
  }
  dword blended;
  if (c->useLUT)
    blended = (dword)AlphaLUT[coverage][0] << 16 | (dword)AlphaLUT[coverage][1] << 8 | AlphaLUT[coverage][2];
  else
    blended = AlphaBlendScaledRGB(c->scale, coverage, c->fg, *p);
  c->haveLast = TRUE;
  c->lastCoverage = coverage;
  c->lastPixel = *p;
  c->lastResult = (c->fg & 0xFF000000) | blended;
  *p = c->lastResult;
}

#endif
