// FMUC_LoadFontFile.cpp - opens a UFNT font from the font folder and reads its glyph directory.
// The bitmaps are read later, one glyph at a time (FMUC_GetGlyphData); the
// file stays open while the font is loaded.
//
// A font file lies on a disk anyone can write to: a glyph count that the
// file cannot hold is cut to the definitions actually present, so nothing
// is ever allocated or read beyond what the file provides.
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "FontFile.h"

// The TAP's program name from its identity section; absent outside a TAP.
extern "C" char __tap_program_name__[] __attribute__((weak));

static const dword kHeaderSize = 8;  // "UFNT" and the glyph count

static void ReportMissingFont(const char *fileName) {
  char line[KALIB_PATH_MAX + 32];
  snprintf(line, sizeof line, "failed to load %s", fileName);
  LogEntryKalibPrintf(TRUE, "FontManager UC: %s", line);
  const char *title = __tap_program_name__ != nullptr ? __tap_program_name__ : "";
  ShowMessageWin(title, line, "Please install the font", 300);
}

static void CloseUnloaded(tUCFont *font) {
  close(font->FileHandle);
  font->FileHandle = 0;
  FMUC_ForgetLoaded(font);
}

// Glyph definitions that fit into the file behind the header.
static dword DefinitionsPresent(dword fileLength) {
  return fileLength < kHeaderSize ? 0 : (fileLength - kHeaderSize) / sizeof(tUCGlyphDef);
}

bool FMUC_LoadFontFile(const char *FontFileName, tUCFont *FontData) {
  // Loading into a record that holds a font replaces it: its memory and file
  // go first, or clearing the record would lose them.
  if (FMUC_HoldsLoadedFont(FontData)) FMUC_FreeFontFile(FontData);
  FMUC_ForgetLoaded(FontData);
  if (FontData != nullptr) memset(FontData, 0, sizeof *FontData);
  if (FontFileName == nullptr || FontFileName[0] == '\0' || FontData == nullptr) return FALSE;

  char fileName[KALIB_PATH_MAX];
  ConvertPathType(FontFileName, fileName, PK_FileName);
  char path[sizeof FMUC_FONT_FOLDER + KALIB_PATH_MAX];
  snprintf(path, sizeof path, "%s%s", FMUC_FONT_FOLDER, fileName);

  FontData->FileHandle = open(path, O_RDONLY);
  if (FontData->FileHandle < 0) {
    ReportMissingFont(fileName);
    return FALSE;
  }
  int fd = FontData->FileHandle;
  dword fileLength = FMUC_FileLength(fd);
  lseek(fd, 0, SEEK_SET);

  char magic[4];
  if (FMUC_ReadFully(fd, magic, 4) != 4 || memcmp(magic, "UFNT", 4) != 0 || fileLength < kHeaderSize) {
    CloseUnloaded(FontData);
    LogEntryKalibPrintf(TRUE, "FontManager UC: '%s' has invalid header", fileName);
    return FALSE;
  }

  dword count = 0;
  FMUC_ReadFully(fd, &count, 4);
  dword present = DefinitionsPresent(fileLength);
  if (count > present) {
    LogEntryKalibPrintf(TRUE, "FontManager UC: '%s' holds only %d of its %d glyph definitions", fileName,
                        (int)present, (int)count);
    count = present;
  }
  FontData->GlyphCount = count;
  FMUC_RememberLoaded(FontData);
  if (count == 0) return TRUE;  // a font without glyphs: every lookup misses

  dword tableSize = count * sizeof(tUCGlyphDef);
  FontData->GlyphDefs = (tUCGlyphDef *)FMUC_ReserveMemory("FMUC_LoadFontFile FontDef", tableSize);
  if (FontData->GlyphDefs == nullptr) {
    CloseUnloaded(FontData);
    FontData->GlyphCount = 0;
    LogEntryKalibPrintf(TRUE, "FontManager UC: failed to allocate %d bytes for the FontDef table of '%s'",
                        (int)tableSize, fileName);
    return FALSE;
  }
  FMUC_ReadFully(fd, FontData->GlyphDefs, tableSize);
  FMUC_RememberLoaded(FontData);

  FontData->CacheCount = 0;
  dword cacheSize = count * sizeof(tUCGlyph);
  FontData->GlyphCache = (tUCGlyph *)FMUC_ReserveMemory("FMUC_LoadFontFile GlyphCache", cacheSize);
  if (FontData->GlyphCache == nullptr) {
    LogEntryKalibPrintf(TRUE, "FontManager UC: failed to allocate %d bytes for the FontCache table of '%s'",
                        (int)cacheSize, fileName);
    return FALSE;
  }
  return TRUE;
}
