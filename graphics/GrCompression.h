// GrCompression.h - compression method 2 of the embedded graphics.
//
// A graphic (TYPE_GrData with dataFormat 1 and compessMethod 2) stores
// width x height 32-bit ARGB pixels, row by row from the top, as a sequence
// of packets.  Each packet starts with one header byte h:
//
//   h = 0x00..0x7F  literal packet: h + 1 pixels follow, 4 bytes each
//   h = 0x80..0xFF  run packet: one pixel follows (4 bytes) and stands for
//                   (h - 0x80) + 1 equal pixels
//
// Pixels are stored little-endian (blue, green, red, alpha), as a dword
// 0xAARRGGBB lies in memory on the box and on the PC.  Packets may cross row
// ends; the stream holds exactly width x height pixels.
//
// The graphic packer (buildtools/grpacker) encodes with grEncode, pvrsim's
// TAP_Osd_PutGd decodes with grDecode.  Header only, no allocation in the
// decoder, usable from any C++ code.
#ifndef GR_COMPRESSION_H
#define GR_COMPRESSION_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#include <algorithm>
#include <vector>

namespace gr {

constexpr int kMethodRunLength = 2;  // the compessMethod value of this form
constexpr size_t kMaxPacketPixels = 128;

inline uint32_t loadPixel(const uint8_t *p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void storePixel(std::vector<uint8_t> &out, uint32_t pixel) {
  for (int i = 0; i < 4; i++) out.push_back(uint8_t(pixel >> (8 * i)));
}

// Decodes pixelCount pixels from src (srcSize bytes) into dst.  Returns false
// when the stream ends early; dst then holds what was decoded and zero for
// the rest.  Extra bytes after the last pixel are ignored.
inline bool grDecode(const uint8_t *src, size_t srcSize, uint32_t *dst, size_t pixelCount) {
  size_t in = 0, out = 0;
  while (out < pixelCount) {
    if (in >= srcSize) break;
    uint8_t header = src[in++];
    size_t count = size_t(header & 0x7F) + 1;
    if (count > pixelCount - out) count = pixelCount - out;
    if (header & 0x80) {
      if (srcSize - in < 4) break;
      uint32_t pixel = loadPixel(src + in);
      in += 4;
      std::fill_n(dst + out, count, pixel);
      out += count;
    } else {
      if ((srcSize - in) / 4 < count) break;
      for (size_t i = 0; i < count; i++, in += 4) dst[out++] = loadPixel(src + in);
    }
  }
  bool complete = out == pixelCount;
  while (out < pixelCount) dst[out++] = 0;
  return complete;
}

// Encodes pixelCount pixels: runs of two or more equal pixels become run
// packets, everything else literal packets.
inline std::vector<uint8_t> grEncode(const uint32_t *pixels, size_t pixelCount) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < pixelCount) {
    size_t run = 1;
    while (i + run < pixelCount && run < kMaxPacketPixels && pixels[i + run] == pixels[i]) run++;
    if (run >= 2) {
      out.push_back(uint8_t(0x80 | (run - 1)));
      storePixel(out, pixels[i]);
      i += run;
      continue;
    }
    // Literal: extend until the next run of two equal pixels starts.
    size_t len = 1;
    while (i + len < pixelCount && len < kMaxPacketPixels &&
           !(i + len + 1 < pixelCount && pixels[i + len] == pixels[i + len + 1]))
      len++;
    out.push_back(uint8_t(len - 1));
    for (size_t k = 0; k < len; k++) storePixel(out, pixels[i + k]);
    i += len;
  }
  return out;
}

}  // namespace gr
#endif  // __cplusplus

#endif  // GR_COMPRESSION_H
