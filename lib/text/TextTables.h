// TextTables.h - tables shared by the character-set and string helpers of
// lib/text (not part of the public interface).
#ifndef KALIB_TEXT_TABLES_H
#define KALIB_TEXT_TABLES_H

#include "Kalib.h"

/* ISO 6937 mark-and-letter pairs (2 bytes each) and their UTF-8 results
 * (2 bytes each) at the same positions. */
extern const char ISO6937DiacriticalPairs[];
extern const char ISO6937DiacriticalUTF8[];

/* Latin-1 case tables: 29 single bytes each, the UTF-8 tables 30 two-byte
 * characters each (they include thorn, the single-byte tables do not). */
extern const char AnsiLower[30];
extern const char AnsiUpper[30];
extern const char UTF8Lower[64];
extern const char UTF8Upper[64];

/* Length in bytes of a selector at the start of a text (0 when it has none). */
int CharTableSelectorLength(const char *text);

#endif
