// Osd.h - pvrsim's on-screen display, as a C++ API for tests and for the
// pvrsim program.
//
// The firmware's OSD is 720 x 576 pixels of 32-bit ARGB (0xAARRGGBB).  TAPs
// draw into regions made with TAP_Osd_Create: on-screen regions, which the
// screen shows composed in creation order over a TV picture, and off-screen
// memory regions (flag 0x8000), which are only drawn into and copied from.
// Region numbers start at 128; each live region has its entry in the
// firmware's OSD map _osdInfo.  What a person sees changes at TAP_Osd_Sync;
// with a frames folder every sync that changed the screen is written as a
// PNG named after the frame number and the tick.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tap.h"

namespace pvrsim::osd {

constexpr int kScreenWidth = 720;
constexpr int kScreenHeight = 576;
constexpr word kFirstRegion = 128;    // lowest region number handed out
constexpr int kMaxRegions = 512;      // live regions at a time
constexpr int kMaxRegionSide = 4096;  // largest width or height of a region

// A picture of 32-bit ARGB pixels, row by row.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;

  Image() = default;
  Image(int w, int h, uint32_t fill = 0) : width(w), height(h), argb(size_t(w) * h, fill) {}
  uint32_t at(int x, int y) const { return argb[size_t(y) * width + x]; }
  uint32_t &at(int x, int y) { return argb[size_t(y) * width + x]; }
};

// ---- regions ----
int regionCount();  // live regions, on- and off-screen
bool regionExists(word rgn);
bool regionIsOnScreen(word rgn);
// Pixel of a region at region coordinates; false outside it or for no region.
bool regionPixel(word rgn, int x, int y, uint32_t &argb);
// All pixels of a region; an empty image for no region.
Image regionImage(word rgn);
// Deletes every region and forgets the frames folder and the screen shown
// (a new run).
void reset();

// ---- the screen ----
// The TV picture under the OSD: colour bars over a grey ramp, opaque.
const Image &tvPicture();
// The screen as composed now from the on-screen regions over the TV picture.
Image composeScreen();
uint32_t screenPixel(int x, int y);
// The screen as shown at the last TAP_Osd_Sync (the TV picture before the
// first sync).
Image visibleScreen();

// ---- PNG files ----
// Writes an image as PNG; withAlpha false writes opaque RGB.  On failure
// returns false and sets error to a message naming the file.
bool writePng(const std::string &path, const Image &image, bool withAlpha, std::string *error = nullptr);
bool readPng(const std::string &path, Image &image, std::string *error = nullptr);
// Writes the screen shown at the last sync (for --screenshot at exit).
bool writeScreenshot(const std::string &path, std::string *error = nullptr);

// ---- frames ----
// With a folder set (created when missing), every TAP_Osd_Sync that changed
// the screen writes <folder>/<frame, 6 digits>-t<tick, 8 digits>.png, e.g.
// frames/000012-t00000345.png.  An empty folder switches this off.
bool setFramesFolder(const std::string &folder, std::string *error = nullptr);
int framesWritten();
int syncCount();  // TAP_Osd_Sync calls so far
// Region pixels written by the drawing calls (fills, rectangles, graphics,
// text, copies, restored boxes) since pvrsim started; 4 bytes each.
uint64_t pixelsWritten();

// Called at every TAP_Osd_Sync that changed the screen, with the screen now
// shown, on the thread of the TAP that synced and with the OSD locked: it
// must only copy what it needs.  An empty function removes it; reset() keeps it.
using SyncObserver = std::function<void(const Image &screen, dword tick)>;
void setSyncObserver(SyncObserver observer);

// A PNG file's bytes in memory (withAlpha as for writePng), compressed for
// speed rather than size; false with error set when libpng fails.
bool encodePng(const Image &image, bool withAlpha, std::vector<uint8_t> &png, std::string *error = nullptr);

}  // namespace pvrsim::osd
