// OsdScreen.cpp - the screen a person sees: the on-screen regions composed in creation
// order over a TV picture; TAP_Osd_Sync shows it and, with a frames folder,
// writes each changed screen as a PNG.
#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

#include "OsdState.h"

namespace pvrsim::osd {

namespace {

uint32_t rgb(unsigned r, unsigned g, unsigned b) { return 0xFF000000u | r << 16 | g << 8 | b; }

// Colour bars in the upper two thirds, a grey ramp below, and a fine
// checker strip at the bottom, so that transparency and blending show.
Image makeTvPicture() {
  Image img(kScreenWidth, kScreenHeight);
  const uint32_t bars[8] = {rgb(192, 192, 192), rgb(192, 192, 0), rgb(0, 192, 192), rgb(0, 192, 0),
                            rgb(192, 0, 192),   rgb(192, 0, 0),   rgb(0, 0, 192),   rgb(16, 16, 16)};
  for (int y = 0; y < kScreenHeight; y++)
    for (int x = 0; x < kScreenWidth; x++) {
      uint32_t c;
      if (y < 384) {
        c = bars[x * 8 / kScreenWidth];
      } else if (y < 528) {
        unsigned v = unsigned(x * 255 / (kScreenWidth - 1));
        c = rgb(v, v, v);
      } else {
        c = ((x / 8 + y / 8) % 2) ? rgb(235, 235, 235) : rgb(20, 20, 20);
      }
      img.at(x, y) = c;
    }
  return img;
}

std::vector<const Region *> shownRegions() {
  std::vector<const Region *> shown;
  for (auto &entry : state().regions)
    if (entry.second.onScreen) shown.push_back(&entry.second);
  std::sort(shown.begin(), shown.end(), [](const Region *a, const Region *b) { return a->order < b->order; });
  return shown;
}

std::string frameName(int frame, dword tick) {
  char name[40];
  std::snprintf(name, sizeof name, "%06d-t%08u.png", frame, unsigned(tick));
  return name;
}

}  // namespace

const Image &tvPicture() {
  static const Image picture = makeTvPicture();
  return picture;
}

namespace {
Image composeRegions(const std::vector<const Region *> &regions) {
  Image screen = tvPicture();
  for (const Region *r : regions) {
    Clip c = clipTo(*r, -int64_t(r->x), -int64_t(r->y), kScreenWidth, kScreenHeight);
    for (int y = c.y0; y < c.y1; y++)
      for (int x = c.x0; x < c.x1; x++) {
        uint32_t &p = screen.at(r->x + x, r->y + y);
        p = blendOver(r->pixels.at(x, y), p) | 0xFF000000u;
      }
  }
  return screen;
}

// The screen of the last sync, composed now from the regions kept then.
void composeStaleVisible() {
  OsdState &s = state();
  if (!s.visibleStale) return;
  std::vector<const Region *> kept;
  for (const Region &r : s.syncedRegions) kept.push_back(&r);
  s.visible = composeRegions(kept);
  s.syncedRegions.clear();
  s.visibleStale = false;
}
}  // namespace

Image composeScreen() {
  Lock lock(state().mutex);
  return composeRegions(shownRegions());
}

uint32_t screenPixel(int x, int y) {
  if (x < 0 || y < 0 || x >= kScreenWidth || y >= kScreenHeight) return 0;
  return composeScreen().at(x, y);
}

Image visibleScreen() {
  Lock lock(state().mutex);
  composeStaleVisible();
  return state().haveVisible ? state().visible : tvPicture();
}

bool writeScreenshot(const std::string &path, std::string *error) {
  return writePng(path, visibleScreen(), false, error);
}

bool setFramesFolder(const std::string &folder, std::string *error) {
  Lock lock(state().mutex);
  if (!folder.empty()) {
    struct stat st;
    bool exists = ::stat(folder.c_str(), &st) == 0;
    if (exists && !S_ISDIR(st.st_mode)) {
      if (error) *error = folder + ": not a folder (frames folder)";
      return false;
    }
    if (!exists && ::mkdir(folder.c_str(), 0777) != 0) {
      if (error) *error = folder + ": cannot create the frames folder";
      return false;
    }
  }
  state().framesFolder = folder;
  return true;
}

void setSyncObserver(SyncObserver observer) {
  Lock lock(state().mutex);
  state().syncObserver = std::move(observer);
}

int framesWritten() {
  Lock lock(state().mutex);
  return state().framesWritten;
}

int syncCount() {
  Lock lock(state().mutex);
  return state().syncs;
}

uint64_t pixelsWritten() {
  Lock lock(state().mutex);
  return state().pixelsWritten;
}

}  // namespace pvrsim::osd

using namespace pvrsim::osd;

extern "C" int TAP_Osd_Sync(void) {
  Lock lock(state().mutex);
  OsdState &s = state();
  s.syncs++;
  if (!s.screenChanged && s.haveVisible) return 0;
  s.screenChanged = false;
  if (s.framesFolder.empty() && !s.syncObserver) {
    // Assigned over the kept copies, so that their pixel buffers are reused
    // (a sync per step must not allocate and fault in fresh pages each time).
    std::vector<const Region *> shown = shownRegions();
    s.syncedRegions.resize(shown.size());
    for (size_t i = 0; i < shown.size(); i++) s.syncedRegions[i] = *shown[i];
    s.visibleStale = true;
    s.haveVisible = true;
    return 0;
  }
  composeStaleVisible();
  Image screen = composeScreen();
  bool changed = !s.haveVisible || screen.argb != s.visible.argb;
  s.visible = std::move(screen);
  s.haveVisible = true;
  if (changed && s.syncObserver) s.syncObserver(s.visible, TAP_GetTick());
  if (changed && !s.framesFolder.empty()) {
    std::string error;
    std::string path = s.framesFolder + "/" + frameName(s.framesWritten, TAP_GetTick());
    if (writePng(path, s.visible, false, &error))
      s.framesWritten++;
    else
      std::fprintf(stderr, "pvrsim: %s\n", error.c_str());
  }
  return 0;
}
