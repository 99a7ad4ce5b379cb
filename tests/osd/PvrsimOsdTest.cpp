// PvrsimOsdTest.cpp - pvrsim's OSD: regions and the OSD map, clipping of every drawing call,
// graphics, saved boxes, copies, the composed screen and the frames folder.
#include <algorithm>
#include <vector>

#include "../../graphics/GrCompression.h"
#include "Graphics.h"
#include "OsdFixture.h"

using namespace osdtest;
namespace posd = pvrsim::osd;

namespace {
TYPE_OsdMapEntry *OsdMap() { return static_cast<TYPE_OsdMapEntry *>(FIS_vOsdMap()); }
}  // namespace

class PvrsimOsd : public OsdTest {};

TEST_F(PvrsimOsd, RegionsStartAt128AndFillTheOsdMap) {
  int a = TAP_Osd_Create(10, 20, 100, 50, 0, 0);
  int b = TAP_Osd_Create(0, 0, 1000, 50, 0, OSD_Flag_MemRgn);
  ASSERT_EQ(128, a);
  ASSERT_EQ(129, b);
  ASSERT_NE(nullptr, OsdMap());
  EXPECT_EQ(10, OsdMap()[a].x);
  EXPECT_EQ(20, OsdMap()[a].y);
  EXPECT_EQ(100, OsdMap()[a].width);
  EXPECT_EQ(50, OsdMap()[a].height);
  EXPECT_EQ(1000, OsdMap()[b].width);
  EXPECT_FALSE(posd::regionIsOnScreen(word(b)));
  EXPECT_EQ(2, posd::regionCount());

  EXPECT_EQ(0, TAP_Osd_Delete(word(a)));
  EXPECT_EQ(0, OsdMap()[a].width);
  EXPECT_EQ(0, OsdMap()[a].x);
  EXPECT_EQ(-1, TAP_Osd_Delete(word(a)));
  EXPECT_EQ(128, TAP_Osd_Create(0, 0, 5, 5, 0, 0));  // the number is free again
  EXPECT_LT(TAP_Osd_Create(0, 0, 0, 5, 0, 0), 0);
  EXPECT_LT(TAP_Osd_Create(0, 0, 5, 100000, 0, 0), 0);
}

TEST_F(PvrsimOsd, DrawingIsClippedToTheRegion) {
  word outer = Region(0, 0, 40, 40, 0xFF000000);
  word rgn = Region(10, 10, 20, 20, 0xFF101010);
  EXPECT_EQ(0, TAP_Osd_FillBox(rgn, 15, 15, 100, 100, 0xFFFF0000));
  EXPECT_EQ(0xFFFF0000u, Pixel(rgn, 19, 19));
  EXPECT_EQ(0xFF101010u, Pixel(rgn, 14, 14));
  EXPECT_EQ(0, TAP_Osd_FillBox(rgn, 0xFFFFFFF0u, 0, 0x20, 1, 0xFF00FF00));  // wraps past 2^32
  EXPECT_EQ(0xFF101010u, Pixel(rgn, 0, 0));
  EXPECT_EQ(-1, TAP_Osd_FillBox(999, 0, 0, 1, 1, 0));

  TAP_Osd_DrawRectangle(rgn, 2, 2, 10, 8, 2, 0xFF0000FF);
  EXPECT_EQ(0xFF0000FFu, Pixel(rgn, 2, 2));
  EXPECT_EQ(0xFF0000FFu, Pixel(rgn, 3, 9));
  EXPECT_EQ(0xFF0000FFu, Pixel(rgn, 11, 5));
  EXPECT_EQ(0xFF101010u, Pixel(rgn, 4, 4));  // inside the frame
  EXPECT_EQ(0xFF101010u, Pixel(rgn, 12, 5));

  TAP_Osd_Draw3dBoxFill(rgn, 0, 0, 5, 5, 0xFFFFFFFF, 0xFF808080, 0xFF202020);
  EXPECT_EQ(0xFFFFFFFFu, Pixel(rgn, 0, 2));
  EXPECT_EQ(0xFF808080u, Pixel(rgn, 4, 2));
  EXPECT_EQ(0xFF202020u, Pixel(rgn, 2, 2));
  // The other region is untouched by all of it.
  posd::Image image = posd::regionImage(outer);
  for (uint32_t p : image.argb) ASSERT_EQ(0xFF000000u, p);
}

TEST_F(PvrsimOsd, SaveBoxReadsOutsidePixelsAsZeroAndRestoreClips) {
  word rgn = Region(0, 0, 10, 10, 0xFF123456);
  TAP_Osd_FillBox(rgn, 8, 8, 2, 2, 0xFFABCDEF);
  dword *saved = reinterpret_cast<dword *>(TAP_Osd_SaveBox(rgn, 8, 8, 4, 3));
  ASSERT_NE(nullptr, saved);
  EXPECT_EQ(0xFFABCDEFu, saved[0]);
  EXPECT_EQ(0xFFABCDEFu, saved[5]);
  EXPECT_EQ(0u, saved[2]);  // x 10: outside
  EXPECT_EQ(0u, saved[8]);  // y 10: outside
  for (int i = 0; i < 12; i++) saved[i] = 0xFF00FF00;
  TAP_Osd_RestoreBox(rgn, 8, 8, 4, 3, saved);
  EXPECT_EQ(0xFF00FF00u, Pixel(rgn, 9, 9));
  EXPECT_EQ(0xFF123456u, Pixel(rgn, 7, 9));
  TAP_MemFree(saved);
  EXPECT_EQ(nullptr, TAP_Osd_SaveBox(rgn, 0, 0, 0, 5));
  EXPECT_EQ(nullptr, TAP_Osd_SaveBox(777, 0, 0, 1, 1));
}

TEST_F(PvrsimOsd, CopyClipsToBothRegionsAndBlendsSprites) {
  word src = Region(0, 0, 8, 8, 0x80FF0000, OSD_Flag_MemRgn);
  word dst = Region(100, 100, 6, 6, 0xFF0000FF);
  EXPECT_EQ(0, TAP_Osd_Copy(src, dst, 4, 4, 10, 10, 3, 3, FALSE));
  EXPECT_EQ(0x80FF0000u, Pixel(dst, 3, 3));
  EXPECT_EQ(0x80FF0000u, Pixel(dst, 5, 5));
  EXPECT_EQ(0xFF0000FFu, Pixel(dst, 2, 2));

  TAP_Osd_FillBox(dst, 0, 0, 6, 6, 0xFF0000FF);
  EXPECT_EQ(0, TAP_Osd_Copy(src, dst, 0, 0, 2, 2, 0, 0, TRUE));
  dword blended = Pixel(dst, 0, 0);
  EXPECT_EQ(0xFFu, blended >> 24);
  EXPECT_NEAR(0x80, (blended >> 16) & 0xFF, 1);
  EXPECT_NEAR(0x7F, blended & 0xFF, 1);

  // Overlapping copy inside one region moves the original pixels.
  word same = Region(0, 0, 4, 1, 0xFF000000, OSD_Flag_MemRgn);
  for (dword x = 0; x < 4; x++) TAP_Osd_FillBox(same, x, 0, 1, 1, 0xFF000000 + x);
  TAP_Osd_Copy(same, same, 0, 0, 3, 1, 1, 0, FALSE);
  EXPECT_EQ(0xFF000000u, Pixel(same, 1, 0));
  EXPECT_EQ(0xFF000001u, Pixel(same, 2, 0));
  EXPECT_EQ(0xFF000002u, Pixel(same, 3, 0));
  EXPECT_EQ(-1, TAP_Osd_Copy(same, 4242, 0, 0, 1, 1, 0, 0, FALSE));
}

TEST_F(PvrsimOsd, PutGdDecodesTheEmbeddedGraphics) {
  for (const TYPE_GrData *gd : {&_InfoBox_Gd, &_MessageBoxSelectedButtonBackground_Gd, &_WaitSpinner_All_Gd,
                                &_InputBox_Gd, &_Progressbar_Gd}) {
    EXPECT_EQ(1, gd->version);
    EXPECT_EQ(0, gd->reserved);
    EXPECT_EQ(1, gd->dataFormat);
    EXPECT_EQ(2, gd->compessMethod);
    EXPECT_EQ(dword(gd->width) * gd->height * 4, gd->dataSize);
  }
  EXPECT_EQ(380, _InfoBox_Gd.width);
  EXPECT_EQ(190, _InfoBox_Gd.height);
  EXPECT_EQ(100, _MessageBoxSelectedButtonBackground_Gd.width);
  EXPECT_EQ(25, _MessageBoxSelectedButtonBackground_Gd.height);
  EXPECT_EQ(1000, _WaitSpinner_All_Gd.width);
  EXPECT_EQ(50, _WaitSpinner_All_Gd.height);
  EXPECT_EQ(252, _InputBox_Gd.width);
  EXPECT_EQ(18, _Progressbar_Gd.height);

  // The packed pixels decode to exactly the committed PNG.
  posd::Image png;
  ASSERT_TRUE(posd::readPng(std::string(SOURCE_DIR) + "/graphics/InfoBox.png", png));
  word rgn = Region(0, 0, 380, 190, 0x12345678, OSD_Flag_MemRgn);
  EXPECT_EQ(0, TAP_Osd_PutGd(rgn, 0, 0, &_InfoBox_Gd, FALSE));
  EXPECT_EQ(png.argb, posd::regionImage(rgn).argb);
}

TEST_F(PvrsimOsd, PutGdSpriteBlendsAndClips) {
  uint32_t pixels[4] = {0xFFFF0000, 0x00FF0000, 0x8000FF00, 0xFF0000FF};
  std::vector<uint8_t> packed = gr::grEncode(pixels, 4);
  TYPE_GrData gd = {1, 0, 1, 2, packed.data(), 16, 2, 2};
  word rgn = Region(0, 0, 3, 3, 0xFF000000);
  EXPECT_EQ(0, TAP_Osd_PutGd(rgn, 2, 2, &gd, TRUE));  // only the top-left pixel lands
  EXPECT_EQ(0xFFFF0000u, Pixel(rgn, 2, 2));
  EXPECT_EQ(0, TAP_Osd_PutGd(rgn, 0, 0, &gd, TRUE));
  EXPECT_EQ(0xFF000000u, Pixel(rgn, 1, 0));  // transparent over black
  EXPECT_NEAR(0x80, (Pixel(rgn, 0, 1) >> 8) & 0xFF, 1);
  EXPECT_EQ(0, TAP_Osd_PutGd(rgn, 0, 0, &gd, FALSE));
  EXPECT_EQ(0x00FF0000u, Pixel(rgn, 1, 0));  // copied as it is
  gd.compessMethod = 1;
  EXPECT_EQ(-1, TAP_Osd_PutGd(rgn, 0, 0, &gd, FALSE));
}

TEST_F(PvrsimOsd, CompressionRoundTripsAndSurvivesShortStreams) {
  std::vector<uint32_t> pixels;
  for (int i = 0; i < 1000; i++) pixels.push_back(i < 300 ? 0xFF000000 : uint32_t(i * 2654435761u));
  for (int i = 0; i < 200; i++) pixels.push_back(0x11223344);
  std::vector<uint8_t> packed = gr::grEncode(pixels.data(), pixels.size());
  std::vector<uint32_t> back(pixels.size());
  EXPECT_TRUE(gr::grDecode(packed.data(), packed.size(), back.data(), back.size()));
  EXPECT_EQ(pixels, back);
  EXPECT_LT(packed.size(), pixels.size() * 4);
  EXPECT_FALSE(gr::grDecode(packed.data(), packed.size() / 2, back.data(), back.size()));
  EXPECT_EQ(0u, back.back());  // the part the stream lacks is zero
}

TEST_F(PvrsimOsd, ScreenComposesShownRegionsInCreationOrder) {
  const posd::Image &tv = posd::tvPicture();
  EXPECT_EQ(posd::kScreenWidth, tv.width);
  word first = Region(0, 0, 20, 20, 0xFFFF0000);
  word second = Region(10, 10, 20, 20, 0x800000FF);
  Region(0, 0, 720, 576, 0xFF00FF00, OSD_Flag_MemRgn);  // never shown
  posd::Image screen = posd::composeScreen();
  EXPECT_EQ(0xFFFF0000u, screen.at(5, 5));
  dword mixed = screen.at(15, 15);  // half blue over red
  EXPECT_NEAR(0x7F, (mixed >> 16) & 0xFF, 1);
  EXPECT_NEAR(0x80, mixed & 0xFF, 1);
  EXPECT_EQ(tv.at(100, 100), screen.at(100, 100));
  TAP_Osd_Delete(first);
  TAP_Osd_Delete(second);
  EXPECT_EQ(tv.argb, posd::composeScreen().argb);
}

TEST_F(PvrsimOsd, SyncWritesAFrameOnlyWhenTheScreenChanged) {
  std::string frames = root + "/frames";
  ASSERT_TRUE(posd::setFramesFolder(frames));
  word rgn = Region(100, 100, 50, 50, 0xFFFF0000);
  TAP_Osd_Sync();
  sim->runTicks(5);
  TAP_Osd_Sync();  // nothing changed
  TAP_Osd_FillBox(rgn, 0, 0, 10, 10, 0xFFFF0000);
  TAP_Osd_Sync();  // drawn, but the same pixels
  word memory = Region(0, 0, 10, 10, 0xFF00FF00, OSD_Flag_MemRgn);
  TAP_Osd_Sync();  // off-screen only
  TAP_Osd_Copy(memory, rgn, 0, 0, 10, 10, 0, 0, FALSE);
  TAP_Osd_Sync();
  EXPECT_EQ(2, posd::framesWritten());
  std::vector<std::string> names;
  for (auto &entry : fs::directory_iterator(frames)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(2u, names.size());
  EXPECT_EQ(0u, names[0].rfind("000000-t", 0));
  EXPECT_EQ("000001-t" + std::string(8 - std::to_string(sim->now()).size(), '0') +
                std::to_string(sim->now()) + ".png",
            names[1]);
  posd::Image written;
  ASSERT_TRUE(posd::readPng(frames + "/" + names[1], written));
  EXPECT_EQ(0xFF00FF00u, written.at(105, 105));
  EXPECT_EQ(0xFFFF0000u, written.at(145, 145));
}

TEST_F(PvrsimOsd, ScreenshotShowsTheScreenOfTheLastSync) {
  word rgn = Region(0, 0, 10, 10, 0xFFFF0000);
  TAP_Osd_Sync();
  TAP_Osd_FillBox(rgn, 0, 0, 10, 10, 0xFF00FF00);  // not synced yet
  std::string path = root + "/shot.png";
  ASSERT_TRUE(posd::writeScreenshot(path));
  posd::Image shot;
  ASSERT_TRUE(posd::readPng(path, shot));
  EXPECT_EQ(0xFFFF0000u, shot.at(3, 3));
  std::string error;
  EXPECT_FALSE(posd::writePng(root + "/no/such/folder/x.png", shot, false, &error));
  EXPECT_NE(std::string::npos, error.find("no/such/folder/x.png"));
}

TEST_F(PvrsimOsd, FirmwareTextIsMeasuredClippedAndAligned) {
  int w0 = TAP_Osd_GetW("Hello", 0, 0), w2 = TAP_Osd_GetW("Hello", 0, 2);
  EXPECT_GT(w0, 20);
  EXPECT_GT(w2, w0);
  EXPECT_EQ(TAP_Osd_GetW("Hello", 0, 2), TAP_Osd_GetW("Hello", 0, 7));    // larger sizes count as 2
  EXPECT_EQ(TAP_Osd_GetW("\xC3\xA4", 0, 1), TAP_Osd_GetW("\xE4", 0, 1));  // UTF-8 or ISO 8859-1

  word rgn = Region(0, 0, 200, 40, 0xFF000000);
  TAP_Osd_PutS(rgn, 50, 5, 100, "WWWWWWWWWWWWWWWW", 0xFFFFFFFF, 0xFF0000FF, 0, 2, 0, 0);
  posd::Image img = posd::regionImage(rgn);
  for (int y = 0; y < 40; y++)
    for (int x = 0; x < 200; x++)
      if (x < 50 || x >= 100) {
        ASSERT_EQ(0xFF000000u, img.at(x, y)) << x << "," << y;
      }
  EXPECT_EQ(0xFF0000FFu, img.at(99, 5));  // the background strip reaches maxX

  // Right alignment puts the last ink near maxX, left alignment near x.
  word r2 = Region(0, 50, 200, 30, 0xFF000000);
  TAP_Osd_PutS(r2, 0, 0, 200, "I", 0xFFFFFFFF, 0, 0, 2, 0, 2);
  posd::Image right = posd::regionImage(r2);
  int lastInk = -1;
  for (int y = 0; y < 30; y++)
    for (int x = 0; x < 200; x++)
      if (right.at(x, y) != 0xFF000000u && x > lastInk) lastInk = x;
  EXPECT_GT(lastInk, 190);
}
