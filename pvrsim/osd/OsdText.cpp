// OsdText.cpp - the firmware's own text output: TAP_Osd_PutS and TAP_Osd_GetW with the
// built-in font (font type 0, sizes 0 to 2; see make_firmware_font.py).
// Texts are UTF-8 where they form valid sequences and ISO 8859-1 bytes
// otherwise; characters the font lacks are shown as '?'.
#include <cstring>
#include <vector>

#include "OsdState.h"

namespace {

struct FirmwareGlyph {
  unsigned codePoint;
  int width;
  const char *rows;  // height x width coverage digits
};
struct FirmwareFont {
  int height;
  const FirmwareGlyph *glyphs;
  size_t count;
};

#include "FirmwareFont.inc"

const FirmwareFont &fontOfSize(byte fontSize) {
  if (fontSize == 0) return kFirmwareFont0;
  if (fontSize == 1) return kFirmwareFont1;
  return kFirmwareFont2;
}

const FirmwareGlyph *findGlyph(const FirmwareFont &font, unsigned cp) {
  size_t index;
  if (cp >= 0x20 && cp <= 0x7E)
    index = cp - 0x20;
  else if (cp >= 0xA0 && cp <= 0xFF)
    index = cp - 0xA0 + 0x5F;
  else
    return findGlyph(font, '?');
  return index < font.count ? &font.glyphs[index] : nullptr;
}

unsigned coverageAt(const FirmwareGlyph &g, int x, int y) {
  char c = g.rows[y * g.width + x];
  if (c >= '1' && c <= '9') return unsigned(c - '0') * 17;
  if (c >= 'A' && c <= 'F') return unsigned(c - 'A' + 10) * 17;
  return 0;
}

// Decodes one character: a valid UTF-8 sequence, else the byte itself.
unsigned decode(const unsigned char *p, size_t &length) {
  length = 1;
  unsigned b = p[0];
  if (b < 0xC2 || b > 0xF4) return b;
  int more = b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
  unsigned cp = b & (0x3F >> more);
  for (int i = 1; i <= more; i++) {
    if ((p[i] & 0xC0) != 0x80) return b;
    cp = cp << 6 | (p[i] & 0x3F);
  }
  length = size_t(more) + 1;
  return cp;
}

std::vector<const FirmwareGlyph *> shape(const FirmwareFont &font, const char *text) {
  std::vector<const FirmwareGlyph *> glyphs;
  const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
  while (*p != 0) {
    size_t length;
    unsigned cp = decode(p, length);
    p += length;
    if (cp < 0x20) continue;  // control characters take no space
    if (const FirmwareGlyph *g = findGlyph(font, cp)) glyphs.push_back(g);
  }
  return glyphs;
}

int widthOf(const std::vector<const FirmwareGlyph *> &glyphs) {
  int w = 0;
  for (const FirmwareGlyph *g : glyphs) w += g->width;
  return w;
}

// Cuts glyphs from the end until the line fits, with "..." when dot is set.
void fitInto(const FirmwareFont &font, std::vector<const FirmwareGlyph *> &glyphs, int64_t room, bool dot) {
  if (widthOf(glyphs) <= room) return;
  const FirmwareGlyph *period = findGlyph(font, '.');
  int dots = dot ? 3 * period->width : 0;
  while (!glyphs.empty() && widthOf(glyphs) + dots > room) glyphs.pop_back();
  if (dot && dots <= room)
    for (int i = 0; i < 3; i++) glyphs.push_back(period);
}

}  // namespace

using namespace pvrsim::osd;

extern "C" int TAP_Osd_GetW(const char *str, byte fontType, byte fontSize) {
  (void)fontType;
  if (str == nullptr) return 0;
  return widthOf(shape(fontOfSize(fontSize), str));
}

// Draws one line between x and maxX (exclusive) with its top at y.  A
// background colour with a non-zero alpha first fills the line's cell from
// x to maxX; alignment 0 is left, 1 centred, 2 right; with bDot a text that
// does not fit ends in "...".
extern "C" int TAP_Osd_PutS(word rgn, dword x, dword y, dword maxX, const char *str, dword fc, dword bc,
                            byte fontType, byte fontSize, byte bDot, byte align) {
  (void)fontType;
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr) return -1;
  if (str == nullptr || maxX <= x) return 0;
  const FirmwareFont &font = fontOfSize(fontSize);
  int64_t room = int64_t(maxX) - x;
  if ((bc >> 24) != 0) {
    Clip c = clipTo(*r, x, y, room, font.height);
    wrote(c.area());
    for (int py = c.y0; py < c.y1; py++)
      for (int px = c.x0; px < c.x1; px++) r->pixels.at(px, py) = bc;
  }
  std::vector<const FirmwareGlyph *> glyphs = shape(font, str);
  fitInto(font, glyphs, room, bDot != 0);
  int64_t pen = x;
  if (align == 1) pen += (room - widthOf(glyphs)) / 2;
  if (align == 2) pen += room - widthOf(glyphs);
  Clip line = clipTo(*r, x, y, room, font.height);  // nothing beyond maxX
  for (const FirmwareGlyph *g : glyphs) {
    for (int gy = 0; gy < font.height; gy++)
      for (int gx = 0; gx < g->width; gx++) {
        int64_t px = pen + gx, py = int64_t(y) + gy;
        if (px < line.x0 || px >= line.x1 || py < line.y0 || py >= line.y1) continue;
        unsigned coverage = coverageAt(*g, gx, gy);
        if (coverage == 0) continue;
        uint32_t &p = r->pixels.at(int(px), int(py));
        p = mixByCoverage(fc, p, coverage);
        wrote(1);
      }
    pen += g->width;
  }
  touched(*r);
  return 0;
}
