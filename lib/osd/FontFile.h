// FontFile.h - reading a UFNT font file through its descriptor, shared by
// the loader and the glyph cache.
#ifndef KALIB_OSD_FONTFILE_H
#define KALIB_OSD_FONTFILE_H

#include "Kalib.h"

// The largest glyph a font may hold: one that fills the whole OSD.
#define FMUC_MAX_GLYPH_WIDTH 720
#define FMUC_MAX_GLYPH_HEIGHT 576

// Reads up to size bytes at the current position; whatever the file does not
// provide is left zero.  Returns the bytes read.
dword FMUC_ReadFully(int fd, void *buffer, dword size);

// Length of the open file in bytes (the position is left at its end).
dword FMUC_FileLength(int fd);

// The records that hold a loaded font (an open file or memory), each with the
// values it had when loaded, so that loading into one of them again first
// frees what it holds, while a record that was never loaded (zero, or
// garbage on a caller's stack) is never taken for one.  Room for
// FMUC_MAX_LOADED_FONTS records; beyond that a record is not remembered.
#define FMUC_MAX_LOADED_FONTS 32
void FMUC_RememberLoaded(const tUCFont *font);
void FMUC_ForgetLoaded(const tUCFont *font);
// True when font is a remembered record whose file and tables are still the
// ones it was loaded with.
bool FMUC_HoldsLoadedFont(const tUCFont *font);

#endif
