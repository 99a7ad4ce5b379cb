// OsdPutGd.cpp - TAP_Osd_PutGd: draws an embedded graphic (32-bit ARGB, compression
// method 2) into a region, copied or, with the sprite flag, blended by the
// graphic's alpha.
#include <cstring>
#include <vector>

#include "../../graphics/GrCompression.h"
#include "OsdState.h"

using namespace pvrsim::osd;

extern "C" int TAP_Osd_PutGd(word rgn, int x, int y, const TYPE_GrData *gd, bool sprite) {
  Lock lock(state().mutex);
  Region *r = findRegion(rgn);
  if (r == nullptr || gd == nullptr || gd->data == nullptr) return -1;
  if (gd->dataFormat != 1 || gd->compessMethod != gr::kMethodRunLength) return -1;
  size_t count = size_t(gd->width) * gd->height;
  if (count == 0 || gd->dataSize != count * 4) return -1;
  std::vector<uint32_t> &pixels = state().decoded;
  pixels.resize(count);
  // The descriptor does not record the packed size; a packet holds at least
  // one pixel in at most five bytes, which bounds a well-formed stream.
  gr::grDecode(static_cast<const uint8_t *>(gd->data), count * 5, pixels.data(), count);
  Clip c = clipTo(*r, x, y, gd->width, gd->height);
  const size_t rowPixels = c.empty() ? 0 : size_t(c.x1 - c.x0);
  wrote(c.area());
  for (int py = c.y0; py < c.y1 && rowPixels; py++) {
    const uint32_t *from = &pixels[size_t(py - y) * gd->width + size_t(c.x0 - x)];
    uint32_t *to = &r->pixels.at(c.x0, py);
    if (!sprite) {
      std::memcpy(to, from, rowPixels * sizeof *to);
      continue;
    }
    for (size_t i = 0; i < rowPixels; i++) to[i] = blendOver(from[i], to[i]);
  }
  if (!c.empty()) touched(*r);
  return 0;
}
