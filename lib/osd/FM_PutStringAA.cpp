// FM_PutStringAA.cpp - one line of 8-bit text in a legacy font compiled into the program
// (tFontData), anti-aliased like FMUC_PutStringAA: shortened to fit between
// x and maxX, aligned, optionally on a filled background, and blended into
// a copy of the text's rectangle.  Bytes that the font does not draw take
// no space.
#include <string.h>

#include "TextCanvas.h"

static const dword kTextBytes = 256;  // the work copy holds the text's first 256 bytes
// Room for those bytes, an ellipsis added after cutting and the terminator.
static const dword kWorkSize = kTextBytes + 4;

static dword ByteWidth(const tFontData *font, byte c) {
  return FM_isValidCharacter(c) ? font->FontDef[FM_CharToIndex(c)].Width : 0;
}

// Removes bytes from the end until end fits maxX (modes 0 and 1); the first
// byte always stays.
static void CutFromEnd(char *text, const tFontData *font, dword &end, dword maxX) {
  dword length = strlen(text), lastWidth = 0;
  for (dword step = 0; end > maxX && step < length; step++) {
    dword last = length - 1 - step;
    if (last == 0) break;  // never the first character
    lastWidth = ByteWidth(font, (byte)text[last]);
    end -= lastWidth;
    text[last] = '\0';
    if (lastWidth == 0) break;
  }
}

// Passes over bytes from the front until end fits maxX (mode 2); returns
// how many were passed.
static dword SkipFromFront(const char *text, const tFontData *font, dword &end, dword maxX) {
  dword length = strlen(text), lastWidth = 0, passed = 0;
  while (end > maxX && passed < length) {
    lastWidth = ByteWidth(font, (byte)text[passed]);
    end -= lastWidth;
    passed++;
    if (lastWidth == 0) break;
  }
  return passed;
}

static bool Shorten(char *text, const tFontData *font, dword &end, dword maxX, byte bDot) {
  switch (bDot) {
    case 0:
      CutFromEnd(text, font, end, maxX);
      break;
    case 1:
      end += FM_GetStringWidth("...", font);
      CutFromEnd(text, font, end, maxX);
      strcat(text, "...");
      break;
    case 2: {
      end += FM_GetStringWidth("...", font);
      dword passed = SkipFromFront(text, font, end, maxX);
      dword rest = strlen(text + passed);
      memmove(text + 3, text + passed, rest + 1);
      memcpy(text, "...", 3);  // NOLINT(bugprone-not-null-terminated-result): the text goes on behind it
      break;
    }
    default:
      break;
  }
  return end <= maxX;
}

// Draws glyph `index` with its left edge at column.  Glyph 0 always starts
// at the beginning of the bitmap block; in a run-length encoded block a
// coverage of 0 or 255 is followed by its repeat count.
static void DrawGlyph(tTextCanvas *canvas, const tFontData *font, byte index, int column) {
  const tFontDef *def = &font->FontDef[index];
  bool runLength = font->FontDef[0].BitmapIndex != 0;
  const byte *src = font->pFontData + (index == 0 ? 0 : def->BitmapIndex);
  dword total = def->Width * def->Height, n = 0;
  while (n < total) {
    byte coverage = *src++;
    dword run = 1;
    if (runLength && (coverage == 0 || coverage == 255)) run = *src++;
    for (; run > 0 && n < total; run--, n++)
      TextCanvasPut(canvas, column + (int)(n % def->Width), (int)(n / def->Width), coverage);
  }
}

void FM_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                    const tFontData *FontData, byte bDot, byte align, float AntiAliasFactor) {
  if (str == nullptr || str[0] == '\0' || FontData == nullptr || FontData->pFontData == nullptr || x >= maxX)
    return;
  dword rgnWidth = GetOSDRegionWidth(rgn);
  if (rgnWidth != 0 && maxX >= rgnWidth) maxX = rgnWidth - 1;
  if (x >= maxX) return;

  char text[kWorkSize];
  strncpy(text, str, kTextBytes);
  text[kTextBytes] = '\0';
  dword end = x + FM_GetStringWidth(text, FontData);
  if (end > maxX && !Shorten(text, FontData, end, maxX, bDot)) return;

  dword h = FM_GetStringHeight(text, FontData);
  dword w = end - x;
  dword left = TextLeftEdge(x, maxX, end, w, align);
  bool background = (bcolor >> 24) != 0;
  if (background) {
    TAP_Osd_FillBox(rgn, x, y, maxX - x, h + 1, bcolor);
    FM_InitAlphaLUT(fcolor, bcolor, AntiAliasFactor);
  }
  tTextCanvas canvas;
  if (!TextCanvasOpen(&canvas, rgn, left, y, w + 1, h + 1, fcolor, background, AntiAliasFactor)) return;
  int pen = 0;
  for (const byte *p = (const byte *)text; *p != 0; p++) {
    if (!FM_isValidCharacter(*p)) continue;
    byte index = FM_CharToIndex(*p);
    DrawGlyph(&canvas, FontData, index, pen);
    pen += (int)FontData->FontDef[index].Width;
  }
  TextCanvasClose(&canvas);
}
