// ELFReader.h - bounded helpers of the TAP header reader.
//
// Internal to Kalib.  The public reader steps (ELFOpenFile ... ELFCleanup in
// Kalib.h) work on one file at a time kept in ELF.cpp; these two helpers let
// HDD_TAP_GetInfo copy a section into a fixed-size field without trusting
// the section size that the file claims.
#ifndef KALIB_ELF_READER_H
#define KALIB_ELF_READER_H

#include "Kalib.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Size in bytes of section `sectionIndex` of the open file; 0 when there is
 * no such section (or no file). */
dword ELFGetSectionSize(dword sectionIndex);

/* Reads the first min(section size, maxBytes) bytes of the section into
 * `data`; false on a bad index or a short read. */
bool ELFReadDataPrefix(dword sectionIndex, byte *data, dword maxBytes);

#ifdef __cplusplus
}
#endif

#endif /* KALIB_ELF_READER_H */
