// ScreenshotToGrData.cpp - a package's screenshot as a graphic that the
// firmware's TAP_Osd_PutGd draws.  The bytes come from a download, so the
// packet stream is walked once before the firmware sees it: a stream that
// ends early or runs past the picture would make the firmware read or
// write beyond its buffers.
#include <string.h>

#include "ToolsInternal.h"

static const dword MaxWidth = 720;
static const dword MaxHeight = 576;

// True when the packets hold exactly pixels pixels and nothing follows.
static bool PacketsComplete(const byte *packets, dword size, dword pixels) {
  dword in = 0;
  dword out = 0;
  while (out < pixels && in < size) {
    byte header = packets[in++];
    dword count = (dword)(header & 0x7F) + 1;
    dword bytes = header & 0x80 ? 4 : 4 * count;
    if (count > pixels - out || bytes > size - in) return false;
    in += bytes;
    out += count;
  }
  return out == pixels && in == size;
}

bool ScreenshotToGrData(const byte *data, dword size, TYPE_GrData *gd) {
  if (gd == nullptr) return false;
  memset(gd, 0, sizeof *gd);
  if (data == nullptr || size < SCREENSHOT_HEADER_SIZE || memcmp(data, SCREENSHOT_MAGIC, 4) != 0)
    return false;
  dword width = (dword)data[4] | (dword)data[5] << 8;
  dword height = (dword)data[6] | (dword)data[7] << 8;
  if (width == 0 || height == 0 || width > MaxWidth || height > MaxHeight) return false;
  if (!PacketsComplete(data + SCREENSHOT_HEADER_SIZE, size - SCREENSHOT_HEADER_SIZE, width * height))
    return false;
  gd->version = 1;
  gd->dataFormat = 1;
  gd->compessMethod = 2;
  gd->data = (void *)(data + SCREENSHOT_HEADER_SIZE);
  gd->dataSize = width * height * 4;
  gd->width = (word)width;
  gd->height = (word)height;
  return true;
}
