// FMUC_FreeFontFile.cpp - frees a font's cached bitmaps, cache table and directory, closes its file
// and returns the record to the unloaded state (all zero).  Safe on an
// unloaded or half-loaded record.
#include <string.h>
#include <unistd.h>

#include "FontFile.h"

void FMUC_FreeFontFile(tUCFont *FontData) {
  if (FontData == nullptr) return;
  if (FontData->GlyphCache != nullptr) {
    for (dword i = 0; i < FontData->CacheCount; i++)
      FMUC_FreeMemory("FMUC_FreeFontFile", FontData->GlyphCache[i].Bitmap);
    FMUC_FreeMemory("FMUC_FreeFontFile", FontData->GlyphCache);
  }
  if (FontData->GlyphDefs != nullptr) FMUC_FreeMemory("FMUC_FreeFontFile", FontData->GlyphDefs);
  // -1 is the mark of a failed open: there is nothing to close.
  if (FontData->FileHandle > 0) close(FontData->FileHandle);
  FMUC_ForgetLoaded(FontData);
  memset(FontData, 0, sizeof *FontData);
}
