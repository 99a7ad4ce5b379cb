// TextBoundsTest.cpp - the UTF-8 walkers and the OSD map readers stay inside what they were
// given: a text that begins with continuation bytes, the terminator, a
// region number beyond the firmware's map.
#include "OsdFixture.h"

extern "C" TYPE_OsdMapEntry _osdInfo[65536];

namespace {

// Bytes around the text: a lead byte before it and continuation bytes
// behind its terminator, which a walk that leaves the text would take in.
struct Walk {
  const char *what;
  const char *bytes;  // bytes[1] is the text's first byte
  int at;             // offset of p in bytes
  char *(*call)(const char *text, const char *p);
  int expect;  // offset of the result in bytes
};

char *StartIn(const char *text, const char *p) { return FMUC_FindUTF8StartIn(text, p); }
char *Start(const char *, const char *p) { return FMUC_FindUTF8Start(p); }
char *Next(const char *, const char *p) { return FMUC_FindNextUTF8(p); }

TEST(TextBounds, Utf8WalksStayInsideTheText) {
  const Walk walks[] = {
      {"stray continuation at the start", "\xC3\x80\x80\x41", 2, StartIn, 2},
      {"continuation as the first byte", "\xC3\x80\x41", 1, StartIn, 1},
      {"whole character", "x\xC3\xA4\x62", 2, StartIn, 1},
      {"four-byte character", "x\xF0\x9F\x98\x80", 4, StartIn, 1},
      {"no lead byte within three", "\xC3\x80\x80\x80\x80", 4, Start, 4},
      {"lead byte three back", "x\xF0\x9F\x98\x80", 4, Start, 1},
      {"next at the terminator", "xA\0\x80\x80", 2, Next, 2},
      {"next behind a character", "x\xC3\xA4\x41", 1, Next, 3},
  };
  for (const Walk &w : walks) EXPECT_EQ(w.call(w.bytes + 1, w.bytes + w.at), w.bytes + w.expect) << w.what;
  EXPECT_EQ(FMUC_FindUTF8StartIn(walks[0].bytes + 2, walks[0].bytes + 1), nullptr);  // p before the text
}

using OsdMapBounds = osdtest::OsdTest;

TEST_F(OsdMapBounds, ReadersStopAtTheMapsEnd) {
  // The entry just behind the map holds what a firmware keeps there.
  TYPE_OsdMapEntry &behind = _osdInfo[KALIB_OSD_MAP_ENTRIES];
  behind.width = 7;
  behind.height = 9;
  _osdInfo[KALIB_OSD_MAP_ENTRIES - 1] = behind;
  EXPECT_EQ(0, GetOSDRegionWidth(KALIB_OSD_MAP_ENTRIES));
  EXPECT_EQ(0, GetOSDRegionHeight(KALIB_OSD_MAP_ENTRIES));
  EXPECT_EQ(9, GetOSDRegionHeight(KALIB_OSD_MAP_ENTRIES - 1));  // the last entry is still read
  behind = _osdInfo[KALIB_OSD_MAP_ENTRIES - 1] = TYPE_OsdMapEntry{};
}

}  // namespace
