// FMUC_PutStringAA.cpp - one line of UTF-8 (or ISO 8859) text in a Unicode font, anti-aliased:
// shortened to fit between x and maxX (optionally with an ellipsis),
// aligned, optionally on a filled background, and blended glyph by glyph
// into a copy of the text's rectangle.
#include <string.h>

#include "TextCanvas.h"

// Start of the character before p, never before start (a stray
// continuation byte at the start of the text must not lead outside it).
static byte *PreviousChar(byte *start, byte *p) {
  do p--;
  while (p > start && (*p & 0xC0) == 0x80);
  return p;
}

// The advance a glyph adds to a line: diacritical marks add none.
static dword Advance(const tUCGlyph *glyph) {
  return glyph == nullptr || FMUC_IsDiacriticalMark(glyph->Unicode) ? 0 : glyph->Width;
}

// The work copy: converted to UTF-8 when the text is ISO 8859 only, then
// cleaned of control characters and line feeds; its buffer's size into
// *size.  Null when out of memory.
static char *MakeWorkCopy(const char *str, dword *size) {
  dword length = strlen(str);
  bool hasAnsi = FALSE, hasUTF = FALSE;
  GetStringEncoding(str, &hasAnsi, &hasUTF);
  char *copy;
  if (hasAnsi && !hasUTF) {
    *size = 4 * length + 20;
    copy = (char *)TAP_MemAlloc(*size);
    if (copy == nullptr) return nullptr;
    copy[0] = '\0';
    StrToUTF8Sized(str, copy, *size, 9);
  } else {
    *size = length + 20;
    copy = (char *)TAP_MemAlloc(*size);
    if (copy == nullptr) return nullptr;
    memcpy(copy, str, length + 1);
  }
  MakeValidFileName(copy, LC_ControlChars | LC_LineFeeds);
  return copy;
}

// Removes characters from the end until end fits maxX (truncation modes 0
// and 1).  The first character always stays.
static void CutFromEnd(char *copy, tUCFont *font, dword &end, dword maxX) {
  byte *start = (byte *)copy;
  byte *p = start + strlen(copy);
  dword steps = (dword)(p - start), lastWidth = 0;
  for (dword step = 0; end > maxX && step < steps; step++) {
    if (p <= start) break;
    byte *prev = PreviousChar(start, p);
    if (prev == start) break;  // never the first character
    tUCGlyph *glyph = FMUC_GetGlyphData(font, prev, nullptr);
    if (glyph != nullptr) {
      end -= Advance(glyph);
      lastWidth = glyph->Width;
      *prev = '\0';
    }
    p = prev;
    if (lastWidth == 0) break;  // nothing removed yet, or a glyph without width
  }
}

// Passes over characters from the front until end fits maxX (mode 2);
// returns the number of characters passed.
static int SkipFromFront(const char *copy, tUCFont *font, dword &end, dword maxX) {
  const byte *p = (const byte *)copy;
  dword steps = strlen(copy), lastWidth = 0;
  int passed = 0;
  for (dword step = 0; end > maxX && step < steps && *p != 0; step++) {
    byte length = 1;
    tUCGlyph *glyph = FMUC_GetGlyphData(font, p, &length);
    if (glyph != nullptr) {
      end -= Advance(glyph);
      lastWidth = glyph->Width;
    }
    for (byte i = 0; i < length && *p != 0; i++) p++;
    passed++;
    if (lastWidth == 0) break;
  }
  return passed;
}

// Shortens the copy by the truncation mode; false when it cannot be drawn.
static bool Shorten(char *copy, dword copySize, tUCFont *font, dword &end, dword maxX, byte bDot) {
  switch (bDot) {
    case 0:
      CutFromEnd(copy, font, end, maxX);
      break;
    case 1:
      end += FMUC_GetStringWidth("... ", font);
      CutFromEnd(copy, font, end, maxX);
      InsertAtSized(copy, copySize, strlenUC(copy), "...");
      break;
    case 2: {
      end += FMUC_GetStringWidth("...", font);
      int passed = SkipFromFront(copy, font, end, maxX);
      DeleteAt(copy, 0, passed);
      InsertAtSized(copy, copySize, 0, "...");
      break;
    }
    default:
      break;
  }
  return end <= maxX;
}

static void DrawGlyphs(tTextCanvas *canvas, const char *copy, tUCFont *font) {
  int pen = 0, lastCentre = 0;
  const byte *p = (const byte *)copy;
  while (*p != 0) {
    byte length = 1;
    tUCGlyph *glyph = FMUC_GetGlyphData(font, p, &length);
    for (byte i = 0; i < length && *p != 0; i++) p++;
    if (glyph == nullptr) continue;
    int column;
    if (FMUC_IsDiacriticalMark(glyph->Unicode)) {
      column = lastCentre - glyph->Width / 2;
    } else {
      column = pen;
      lastCentre = pen + glyph->Width / 2;
      pen += glyph->Width;
    }
    const byte *bitmap = glyph->Bitmap;
    for (int row = 0; row < glyph->Height; row++)
      for (int col = 0; col < glyph->Width; col++) TextCanvasPut(canvas, column + col, row, *bitmap++);
  }
}

void FMUC_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                      tUCFont *FontData, byte bDot, byte align, float AntiAliasFactor) {
  if (str == nullptr || str[0] == '\0' || FontData == nullptr || x >= maxX) return;
  dword rgnWidth = GetOSDRegionWidth(rgn);
  if (rgnWidth != 0 && maxX >= rgnWidth) maxX = rgnWidth - 1;
  if (x >= maxX) return;

  dword copySize = 0;
  char *copy = MakeWorkCopy(str, &copySize);
  if (copy == nullptr) return;
  dword end = x + FMUC_GetStringWidth(copy, FontData);
  if (end > maxX && !Shorten(copy, copySize, FontData, end, maxX, bDot)) {
    TAP_MemFree(copy);
    return;
  }

  dword h = FMUC_GetStringHeight(copy, FontData);
  dword w = end - x;
  dword left = TextLeftEdge(x, maxX, end, w, align);
  bool background = (bcolor >> 24) != 0;
  if (background) {
    TAP_Osd_FillBox(rgn, x, y, maxX - x, h + 1, bcolor);
    FM_InitAlphaLUT(fcolor, bcolor, AntiAliasFactor);
  }
  tTextCanvas canvas;
  if (TextCanvasOpen(&canvas, rgn, left, y, w + 1, h + 1, fcolor, background, AntiAliasFactor)) {
    DrawGlyphs(&canvas, copy, FontData);
    TextCanvasClose(&canvas);
  }
  TAP_MemFree(copy);
}
