// OsdDraw.cpp - drawing into regions: boxes, rectangles, 3D boxes, saving and restoring
// pixels, and copies between regions.  Every operation is clipped to its
// region; pixels outside it never change.
#include <algorithm>
#include <cstring>
#include <vector>

#include "OsdState.h"

using namespace pvrsim::osd;

namespace {

void fill(Region &r, const Clip &c, uint32_t color) {
  wrote(c.area());
  for (int y = c.y0; y < c.y1; y++)
    for (int x = c.x0; x < c.x1; x++) r.pixels.at(x, y) = color;
}

void fillRect(Region &r, int64_t x, int64_t y, int64_t w, int64_t h, uint32_t color) {
  Clip c = clipTo(r, x, y, w, h);
  if (!c.empty()) fill(r, c, color);
}

}  // namespace

extern "C" int TAP_Osd_FillBox(word rgn, dword x, dword y, dword w, dword h, dword color) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr) return -1;
  fillRect(*r, x, y, w, h, color);
  touched(*r);
  return 0;
}

// A frame of thickness t drawn inside the rectangle.
extern "C" int TAP_Osd_DrawRectangle(word rgn, dword x, dword y, dword w, dword h, dword t, dword color) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr) return -1;
  int64_t X = x, Y = y, W = w, H = h, T = t;
  if (T * 2 >= W || T * 2 >= H) {
    fillRect(*r, X, Y, W, H, color);  // the frame covers everything
  } else {
    fillRect(*r, X, Y, W, T, color);
    fillRect(*r, X, Y + H - T, W, T, color);
    fillRect(*r, X, Y + T, T, H - 2 * T, color);
    fillRect(*r, X + W - T, Y + T, T, H - 2 * T, color);
  }
  touched(*r);
  return 0;
}

// A raised box: light edge c1 on top and left, dark edge c2 on the bottom
// and right, filled with fc inside.
extern "C" int TAP_Osd_Draw3dBoxFill(word rgn, dword x, dword y, dword w, dword h, dword c1, dword c2,
                                     dword fc) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr) return -1;
  int64_t X = x, Y = y, W = w, H = h;
  fillRect(*r, X, Y, W, H, fc);
  fillRect(*r, X, Y, W, 1, c1);
  fillRect(*r, X, Y, 1, H, c1);
  fillRect(*r, X, Y + H - 1, W, 1, c2);
  fillRect(*r, X + W - 1, Y, 1, H, c2);
  touched(*r);
  return 0;
}

// Returns w x h pixels from TAP_MemAlloc (freed by the caller with
// TAP_MemFree); pixels outside the region read as 0.
extern "C" byte *TAP_Osd_SaveBox(word rgn, dword x, dword y, dword w, dword h) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr || w == 0 || h == 0 || w > dword(kMaxRegionSide) || h > dword(kMaxRegionSide))
    return nullptr;
  dword *buffer = static_cast<dword *>(TAP_MemAlloc(w * h * 4));
  if (buffer == nullptr) return nullptr;
  // Pixels outside the region read as 0.
  std::memset(buffer, 0, size_t(w) * h * 4);
  Clip c = clipTo(*r, x, y, w, h);
  for (int py = c.y0; py < c.y1; py++)
    std::memcpy(&buffer[size_t(py - int64_t(y)) * w + size_t(c.x0 - int64_t(x))], &r->pixels.at(c.x0, py),
                size_t(c.x1 - c.x0) * 4);
  return reinterpret_cast<byte *>(buffer);
}

extern "C" void TAP_Osd_RestoreBox(word rgn, dword x, dword y, dword w, dword h, const void *data) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr || data == nullptr) return;
  Clip c = clipTo(*r, x, y, w, h);
  if (c.empty()) return;
  const dword *pixels = static_cast<const dword *>(data);
  wrote(c.area());
  for (int py = c.y0; py < c.y1; py++)
    std::memcpy(&r->pixels.at(c.x0, py), &pixels[size_t(py - int64_t(y)) * w + size_t(c.x0 - int64_t(x))],
                size_t(c.x1 - c.x0) * 4);
  touched(*r);
}

// Copies a rectangle between (or within) regions; with the sprite flag the
// source is blended over the target by its alpha.  Only the part that lies
// inside both regions is copied.
extern "C" int TAP_Osd_Copy(word src, word dst, dword x, dword y, dword w, dword h, dword dx, dword dy,
                            bool sprite) {
  Lock lock(state().mutex);
  Region *from = findRegion(src);
  Region *to = findRegion(dst);
  if (from == nullptr || to == nullptr) return -1;
  Clip s = clipTo(*from, x, y, w, h);
  if (s.empty()) return 0;
  // The source part, shifted to the target and clipped there.
  int64_t tx = int64_t(dx) + (s.x0 - int64_t(x)), ty = int64_t(dy) + (s.y0 - int64_t(y));
  Clip t = clipTo(*to, tx, ty, s.x1 - s.x0, s.y1 - s.y0);
  if (t.empty()) return 0;
  int w2 = t.x1 - t.x0, h2 = t.y1 - t.y0;
  int sx = int(s.x0 + (t.x0 - tx)), sy = int(s.y0 + (t.y0 - ty));
  std::vector<uint32_t> block(size_t(w2) * h2);  // copy first: regions may be the same
  wrote(int64_t(w2) * h2);
  // Rows are contiguous in both regions: whole rows are copied at once.
  for (int row = 0; row < h2; row++)
    std::copy_n(&from->pixels.at(sx, sy + row), w2, &block[size_t(row) * w2]);
  for (int row = 0; row < h2; row++) {
    uint32_t *target = &to->pixels.at(t.x0, t.y0 + row);
    const uint32_t *source = &block[size_t(row) * w2];
    if (!sprite) {
      std::copy_n(source, w2, target);
      continue;
    }
    for (int col = 0; col < w2; col++) target[col] = blendOver(source[col], target[col]);
  }
  touched(*to);
  return 0;
}
