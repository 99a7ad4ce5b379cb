// OsdState.h - the OSD's regions and screen state inside pvrsim, shared by
// the TAP_Osd_* implementations.  Not part of the test API (Osd.h).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Osd.h"

namespace pvrsim::osd {

struct Region {
  int x = 0, y = 0;  // screen position
  bool onScreen = true;
  uint64_t order = 0;  // creation order, for composing
  Image pixels;
};

struct OsdState {
  std::recursive_mutex mutex;
  std::map<word, Region> regions;  // by region number
  uint64_t nextOrder = 0;
  bool screenChanged = false;  // an on-screen pixel changed since the last sync
  Image visible;               // the screen as shown at the last sync
  bool haveVisible = false;
  // Without a frames folder nobody looks at every synced screen, so a sync
  // only keeps the shown regions and the screen is composed when asked for.
  std::vector<Region> syncedRegions;  // shown regions at the last sync, in creation order
  bool visibleStale = false;          // visible must be composed from syncedRegions
  std::string framesFolder;
  SyncObserver syncObserver;
  int framesWritten = 0;
  int syncs = 0;
  uint64_t pixelsWritten = 0;     // region pixels written by drawing calls
  std::vector<uint32_t> decoded;  // PutGd's unpacked graphic, reused between calls
};

OsdState &state();
using Lock = std::lock_guard<std::recursive_mutex>;

// The region with that number, or null.
Region *findRegion(word rgn);
// Marks the screen changed when the region is shown.
void touched(const Region &region);
// Counts region pixels written by a drawing call.
inline void wrote(int64_t pixels) { state().pixelsWritten += uint64_t(pixels); }

// A rectangle clipped to a region; empty when nothing of it lies inside.
struct Clip {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x1, y1 exclusive
  bool empty() const { return x0 >= x1 || y0 >= y1; }
  int64_t area() const { return empty() ? 0 : int64_t(x1 - x0) * (y1 - y0); }
};
Clip clipTo(const Region &region, int64_t x, int64_t y, int64_t w, int64_t h);

// Source-over blending of straight (not premultiplied) ARGB pixels.
uint32_t blendOver(uint32_t src, uint32_t dst);
// Mixes fg into dst by a coverage of 0..255, every channel including alpha.
uint32_t mixByCoverage(uint32_t fg, uint32_t dst, unsigned coverage);

}  // namespace pvrsim::osd
