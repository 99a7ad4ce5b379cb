// FontFile.cpp - reading helpers of the UFNT loader and glyph cache, and
// the list of records that hold a loaded font.
#include <string.h>
#include <unistd.h>

#include "FontFile.h"

dword FMUC_ReadFully(int fd, void *buffer, dword size) {
  byte *p = (byte *)buffer;
  dword done = 0;
  while (done < size) {
    ssize_t n = read(fd, p + done, size - done);
    if (n <= 0) break;
    done += (dword)n;
  }
  if (done < size) memset(p + done, 0, size - done);
  return done;
}

dword FMUC_FileLength(int fd) {
  off_t end = lseek(fd, 0, SEEK_END);
  return end < 0 ? 0 : (end > 0x7FFFFFFF ? 0x7FFFFFFF : (dword)end);
}

namespace {
struct tLoadedFont {
  const tUCFont *Record;  // null: free slot
  int FileHandle;
  const tUCGlyphDef *GlyphDefs;
};
}  // namespace

static tLoadedFont LoadedFonts[FMUC_MAX_LOADED_FONTS];

static tLoadedFont *FindLoaded(const tUCFont *font) {
  for (tLoadedFont &entry : LoadedFonts)
    if (entry.Record == font) return &entry;
  return nullptr;
}

void FMUC_RememberLoaded(const tUCFont *font) {
  if (font == nullptr) return;
  tLoadedFont *entry = FindLoaded(font);
  if (entry == nullptr) entry = FindLoaded(nullptr);
  if (entry == nullptr) return;
  entry->Record = font;
  entry->FileHandle = font->FileHandle;
  entry->GlyphDefs = font->GlyphDefs;
}

void FMUC_ForgetLoaded(const tUCFont *font) {
  tLoadedFont *entry = font != nullptr ? FindLoaded(font) : nullptr;
  if (entry != nullptr) memset(entry, 0, sizeof *entry);
}

bool FMUC_HoldsLoadedFont(const tUCFont *font) {
  const tLoadedFont *entry = font != nullptr ? FindLoaded(font) : nullptr;
  return entry != nullptr && entry->FileHandle == font->FileHandle && entry->GlyphDefs == font->GlyphDefs;
}
