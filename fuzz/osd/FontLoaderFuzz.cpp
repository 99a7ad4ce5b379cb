// FontLoaderFuzz.cpp - libFuzzer target for the UFNT font loader, the glyph
// cache and the text output on top of it.
//
// Every input is a font file: it is written to an in-memory file that the
// loader's open() of the font folder receives (link with
// -Wl,--wrap=open).  A loaded font is then asked for the glyphs its
// directory names and for a line of text drawn into a stand-in OSD region,
// whose pixel buffers are allocated to their exact size so that the
// sanitizers see every stray read or write.  Each run must leave no memory
// allocated and no descriptor open.
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FuzzMemory.h"
#include "Kalib.h"

namespace {
int InputFd = -1;
ino_t InputInode = 0;
// Descriptors of the font file handed to the loader in this run.  A leak is
// one that still refers to the input file afterwards (a number alone could
// have been reused by the fuzzer's or the sanitizer's own threads).
int HandedOut[16];
int HandedOutCount = 0;

const dword kRegion = 200;  // the stand-in region's number
const dword kRegionWidth = 160, kRegionHeight = 48;
dword RegionPixels[kRegionWidth * kRegionHeight];
TYPE_OsdMapEntry OsdMap[256];

void Fail(const char *what) {
  fprintf(stderr, "FontLoaderFuzz: %s\n", what);
  abort();
}

void Setup() {
  InputFd = memfd_create("ufnt", 0);
  if (InputFd < 0) Fail("memfd_create failed");
  struct stat st;
  if (fstat(InputFd, &st) != 0) Fail("fstat failed");
  InputInode = st.st_ino;
  OsdMap[kRegion].width = kRegionWidth;
  OsdMap[kRegion].height = kRegionHeight;
}

bool StillOpenOnInput(int fd) {
  struct stat st;
  return fcntl(fd, F_GETFD) != -1 && fstat(fd, &st) == 0 && st.st_ino == InputInode;
}

bool InsideRegion(dword x, dword y, dword w, dword h) {
  return x <= kRegionWidth && y <= kRegionHeight && w <= kRegionWidth - x && h <= kRegionHeight - y;
}
}  // namespace

// ---- the font file ----
extern "C" int __real_open(const char *path, int flags, ...);
extern "C" int __wrap_open(const char *path, int flags, ...) {
  if (strncmp(path, FMUC_FONT_FOLDER, strlen(FMUC_FONT_FOLDER)) == 0) {
    if (strcmp(path + strlen(FMUC_FONT_FOLDER), "fuzz.ufnt") != 0) return -1;
    int fd = dup(InputFd);
    lseek(fd, 0, SEEK_SET);
    if (fd >= 0 && HandedOutCount < 16) HandedOut[HandedOutCount++] = fd;
    return fd;
  }
  va_list args;
  va_start(args, flags);
  int mode = va_arg(args, int);
  va_end(args);
  return __real_open(path, flags, mode);
}

// ---- stand-ins for the firmware and the rest of the library ----
extern "C" void LogEntryKalibPrintf(bool, const char *, ...) {}
extern "C" void ShowMessageWin(const char *, const char *, const char *, dword) {}
extern "C" void ConvertPathType(const char *source, char *dest, tPathKind) {
  const char *slash = strrchr(source, '/');
  snprintf(dest, KALIB_PATH_MAX, "%s", slash != nullptr ? slash + 1 : source);
}
extern "C" void *FIS_vOsdMap(void) { return OsdMap; }
extern "C" bool isUTFToppy(void) { return TRUE; }

extern "C" int TAP_Osd_FillBox(word rgn, dword x, dword y, dword w, dword h, dword color) {
  if (rgn != kRegion) return -1;
  for (dword row = y; row < y + h && row < kRegionHeight; row++)
    for (dword col = x; col < x + w && col < kRegionWidth; col++)
      RegionPixels[row * kRegionWidth + col] = color;
  return 0;
}
extern "C" byte *TAP_Osd_SaveBox(word rgn, dword x, dword y, dword w, dword h) {
  if (rgn != kRegion || w == 0 || h == 0 || w > 4096 || h > 4096) return nullptr;
  dword *box = (dword *)TAP_MemAlloc(w * h * 4);
  for (dword row = 0; row < h; row++)
    for (dword col = 0; col < w; col++)
      box[row * w + col] =
          InsideRegion(x + col, y + row, 1, 1) ? RegionPixels[(y + row) * kRegionWidth + x + col] : 0;
  return (byte *)box;
}
extern "C" void TAP_Osd_RestoreBox(word rgn, dword x, dword y, dword w, dword h, const void *data) {
  if (rgn != kRegion) return;
  const dword *box = (const dword *)data;
  for (dword row = 0; row < h; row++)
    for (dword col = 0; col < w; col++)
      if (InsideRegion(x + col, y + row, 1, 1))
        RegionPixels[(y + row) * kRegionWidth + x + col] = box[row * w + col];
}

// ---- the target ----
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (InputFd < 0) Setup();
  if (ftruncate(InputFd, 0) != 0) Fail("ftruncate failed");
  if (size > 0 && pwrite(InputFd, data, size, 0) != (ssize_t)size) Fail("pwrite failed");

  tUCFont font;
  if (FMUC_LoadFontFile("/anywhere/fuzz.ufnt", &font)) {
    // Every glyph the directory names (the first 64), looked up twice.
    for (dword i = 0; i < font.GlyphCount && i < 64; i++) {
      byte utf8[5] = {0}, length = 0;
      UTF32ToUTF8(font.GlyphDefs[i].Unicode & 0x1FFFFF, utf8, &length);
      tUCGlyph *glyph = FMUC_GetGlyphData(&font, utf8, nullptr);
      if (glyph != nullptr && glyph != FMUC_GetGlyphData(&font, utf8, nullptr)) Fail("cached glyph moved");
      if (glyph != nullptr && (glyph->Width == 0 || glyph->Height == 0)) Fail("glyph without a size cached");
    }
    for (byte mode = 0; mode < 3; mode++)
      FMUC_PutStringAA(kRegion, 3, 2, 150,
                       "A\xC3\xA4"
                       "e\xCC\x81 Wg...xyz 0123",
                       0xFFFFFFFF, mode == 1 ? 0xFF000040 : 0, &font, mode, mode, 1.0f);
  }
  FMUC_FreeFontFile(&font);

  if (BlocksInUse != 0) Fail("loader left memory allocated");
  for (int i = 0; i < HandedOutCount; i++)
    if (StillOpenOnInput(HandedOut[i])) Fail("loader left a descriptor open");
  HandedOutCount = 0;
  return 0;
}
