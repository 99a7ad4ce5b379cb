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

#endif
