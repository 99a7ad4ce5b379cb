// TextCanvas.cpp - reading and writing back the rectangle of a line of text.
#include "TextCanvas.h"

#include <string.h>

bool TextCanvasOpen(tTextCanvas *canvas, word rgn, dword x, dword y, dword width, dword height, dword fg,
                    bool useLUT, float factor) {
  canvas->rgn = rgn;
  canvas->x = x;
  canvas->y = y;
  canvas->width = width;
  canvas->height = height;
  canvas->fg = fg;
  canvas->useLUT = useLUT;
  if (!useLUT) memcpy(canvas->scale, AlphaScaleTable(AlphaFactorBits(factor)), sizeof canvas->scale);
  canvas->haveLast = FALSE;
  canvas->pixels = (dword *)TAP_Osd_SaveBox(rgn, x, y, width, height);
  return canvas->pixels != nullptr;
}

void TextCanvasClose(tTextCanvas *canvas) {
  if (canvas->pixels == nullptr) return;
  TAP_Osd_RestoreBox(canvas->rgn, canvas->x, canvas->y, canvas->width, canvas->height, canvas->pixels);
  TAP_MemFree(canvas->pixels);
  canvas->pixels = nullptr;
}
