// OsdRegions.cpp - OSD regions: TAP_Osd_Create, TAP_Osd_Delete, the firmware's OSD map
// _osdInfo and the region part of the test API.
#include <cstring>

#include "OsdState.h"

// The firmware's OSD map, indexed by region number: screen x, y, width,
// height; all zero for a region number that is not in use.  One entry for
// every possible 16-bit number, so that no reader can index past its end.
extern "C" __attribute__((visibility("default"))) TYPE_OsdMapEntry _osdInfo[65536];
TYPE_OsdMapEntry _osdInfo[65536];

namespace pvrsim::osd {

OsdState &state() {
  static OsdState s;
  return s;
}

Region *findRegion(word rgn) {
  auto it = state().regions.find(rgn);
  return it == state().regions.end() ? nullptr : &it->second;
}

void touched(const Region &region) {
  if (region.onScreen) state().screenChanged = true;
}

Clip clipTo(const Region &region, int64_t x, int64_t y, int64_t w, int64_t h) {
  Clip c;
  int64_t x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
  int64_t x1 = x + w, y1 = y + h;
  if (x1 > region.pixels.width) x1 = region.pixels.width;
  if (y1 > region.pixels.height) y1 = region.pixels.height;
  if (w <= 0 || h <= 0 || x0 >= x1 || y0 >= y1) return c;
  c.x0 = int(x0), c.y0 = int(y0), c.x1 = int(x1), c.y1 = int(y1);
  return c;
}

uint32_t blendOver(uint32_t src, uint32_t dst) {
  unsigned sa = src >> 24;
  if (sa == 255) return src;
  if (sa == 0) return dst;
  unsigned da = dst >> 24;
  unsigned dw = da * (255 - sa);  // weight of dst, scaled by 255
  unsigned outA255 = sa * 255 + dw;
  uint32_t out = uint32_t((outA255 + 127) / 255) << 24;
  for (int shift = 0; shift <= 16; shift += 8) {
    unsigned s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    unsigned c = (s * sa * 255 + d * dw + outA255 / 2) / outA255;
    out |= uint32_t(c > 255 ? 255 : c) << shift;
  }
  return out;
}

uint32_t mixByCoverage(uint32_t fg, uint32_t dst, unsigned coverage) {
  if (coverage >= 255) return fg;
  if (coverage == 0) return dst;
  uint32_t out = 0;
  for (int shift = 0; shift <= 24; shift += 8) {
    unsigned f = (fg >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= uint32_t((f * coverage + d * (255 - coverage) + 127) / 255) << shift;
  }
  return out;
}

int regionCount() {
  Lock lock(state().mutex);
  return int(state().regions.size());
}

bool regionExists(word rgn) {
  Lock lock(state().mutex);
  return findRegion(rgn) != nullptr;
}

bool regionIsOnScreen(word rgn) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  return r != nullptr && r->onScreen;
}

bool regionPixel(word rgn, int x, int y, uint32_t &argb) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr || x < 0 || y < 0 || x >= r->pixels.width || y >= r->pixels.height) return false;
  argb = r->pixels.at(x, y);
  return true;
}

Image regionImage(word rgn) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  return r == nullptr ? Image() : r->pixels;
}

void reset() {
  Lock lock(state().mutex);
  OsdState &s = state();
  for (auto &entry : s.regions) std::memset(&_osdInfo[entry.first], 0, sizeof(TYPE_OsdMapEntry));
  s.regions.clear();
  s.screenChanged = false;
  s.haveVisible = false;
  s.visible = Image();
  s.syncedRegions.clear();
  s.visibleStale = false;
  s.framesFolder.clear();
  s.framesWritten = 0;
  s.syncs = 0;
}

}  // namespace pvrsim::osd

using namespace pvrsim::osd;

extern "C" int TAP_Osd_Create(dword x, dword y, dword w, dword h, byte lutIdx, int flag) {
  (void)lutIdx;  // one true-colour palette only
  Lock lock(state().mutex);
  OsdState &s = state();
  if (w == 0 || h == 0 || w > dword(kMaxRegionSide) || h > dword(kMaxRegionSide)) return -1;
  if (x > 0xFFFF || y > 0xFFFF) return -1;  // the OSD map holds 16-bit positions
  if (s.regions.size() >= size_t(kMaxRegions)) return -1;
  word rgn = kFirstRegion;
  while (s.regions.count(rgn) != 0) rgn++;
  Region &r = s.regions[rgn];
  r.x = int(x);
  r.y = int(y);
  r.onScreen = (flag & OSD_Flag_MemRgn) == 0;
  r.order = s.nextOrder++;
  r.pixels = Image(int(w), int(h), 0);
  TYPE_OsdMapEntry &entry = _osdInfo[rgn];
  std::memset(&entry, 0, sizeof entry);
  entry.x = word(x);
  entry.y = word(y);
  entry.width = word(w);
  entry.height = word(h);
  // A new region is transparent: the screen only changes when it is drawn.
  return rgn;
}

extern "C" int TAP_Osd_Delete(word rgn) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr) return -1;
  touched(*r);
  state().regions.erase(rgn);
  std::memset(&_osdInfo[rgn], 0, sizeof(TYPE_OsdMapEntry));
  return 0;
}
