// FMUC_GetGlyphData.cpp - looks up the glyph of one UTF-8 character: first in the glyph cache, then
// in the directory, reading the bitmap from the font file on first use.
// Cached entries never move, so a returned pointer stays valid until the
// font is freed.  A glyph refused for an unusable bitmap is cached without
// a bitmap, so that it is reported once, not at every look-up.
#include <string.h>
#include <unistd.h>

#include "FontFile.h"

static tUCGlyph *FindCached(tUCFont *font, dword unicode) {
  for (dword i = 0; i < font->CacheCount; i++)
    if (font->GlyphCache[i].Unicode == unicode) return &font->GlyphCache[i];
  return nullptr;
}

static const tUCGlyphDef *FindDefinition(const tUCFont *font, dword unicode) {
  if (font->GlyphDefs == nullptr) return nullptr;
  for (dword i = 0; i < font->GlyphCount; i++)
    if (font->GlyphDefs[i].Unicode == unicode) return &font->GlyphDefs[i];
  return nullptr;
}

// A bitmap must have a size, stay within the OSD's size and lie inside the
// file; anything else comes from a damaged or hostile file.
static bool IsSound(const tUCGlyphDef *def, dword fileLength) {
  if (def->Width == 0 || def->Height == 0) return FALSE;
  if (def->Width > FMUC_MAX_GLYPH_WIDTH || def->Height > FMUC_MAX_GLYPH_HEIGHT) return FALSE;
  dword size = (dword)def->Width * def->Height;
  return def->Offset <= fileLength && size <= fileLength - def->Offset;
}

tUCGlyph *FMUC_GetGlyphData(tUCFont *FontData, const byte *UTF8Character, byte *BytesPerChar) {
  if (FontData == nullptr || UTF8Character == nullptr || UTF8Character[0] == 0) return nullptr;
  byte first = UTF8Character[0];
  if (first < 0x20 || (first >= 0x80 && first <= 0x9F)) {
    if (BytesPerChar != nullptr) *BytesPerChar = 1;
    return nullptr;
  }
  byte length = 1;
  dword unicode = UTF8ToUTF32(UTF8Character, &length);
  if (length == 0) length = 1;
  if (BytesPerChar != nullptr) *BytesPerChar = length;

  // A font that is not loaded has no glyphs; its loader has reported it.
  if (FontData->FileHandle <= 0) return nullptr;
  tUCGlyph *glyph = FindCached(FontData, unicode);
  if (glyph != nullptr) return glyph->Bitmap != nullptr ? glyph : nullptr;

  const tUCGlyphDef *def = FindDefinition(FontData, unicode);
  if (def == nullptr) {
    LogEntryKalibPrintf(TRUE, "Glyph %x not found", (unsigned)unicode);
    return nullptr;
  }
  if (FontData->GlyphCache == nullptr || FontData->CacheCount >= FontData->GlyphCount) return nullptr;
  glyph = &FontData->GlyphCache[FontData->CacheCount];
  if (!IsSound(def, FMUC_FileLength(FontData->FileHandle))) {
    LogEntryKalibPrintf(TRUE, "FontManager UC: glyph %x has an unusable bitmap", (unsigned)unicode);
    glyph->Unicode = unicode;
    glyph->Bitmap = nullptr;
    glyph->Width = glyph->Height = 0;
    FontData->CacheCount++;
    return nullptr;
  }

  dword size = (dword)def->Width * def->Height;
  glyph->Bitmap = (byte *)FMUC_ReserveMemory("FMUC_GetGlyphData GlyphData", size);
  if (glyph->Bitmap == nullptr) {
    LogEntryKalibPrintf(TRUE, "FontManager UC: failed to reserve %d bytes for a glyph", (int)size);
    return nullptr;
  }
  glyph->Unicode = unicode;
  glyph->Width = def->Width;
  glyph->Height = def->Height;
  lseek(FontData->FileHandle, def->Offset, SEEK_SET);
  FMUC_ReadFully(FontData->FileHandle, glyph->Bitmap, size);
  FontData->CacheCount++;
  return glyph;
}
