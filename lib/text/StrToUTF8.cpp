// StrToUTF8.cpp - broadcast or single-byte ISO text to UTF-8.
//
// A selector at the start of the text overrides the caller's default table.
// Text that is already UTF-8 passes through unchanged, so converting twice
// does no harm.  With table 0 (ISO 6937) a diacritical mark and the letter
// behind it become one precomposed Latin-1 letter.
//
// StrToUTF8Sized writes at most destSize bytes and never splits a character
// at the end: a text that does not fit is cut behind its last whole
// character.  StrToUTF8 is the same with the room of the worst case, three
// bytes per source byte and the terminator.
#include <string.h>
#include "TextTables.h"

/* Upper-half table of ISO 8859 part N; ISO 6937 for 0, 12 and above 16. */
static const word *LookupTable(int tableNumber) {
  static const word *const parts[17] = {
      UTFLookupISO6937,    UTFLookupISO8859_1,  UTFLookupISO8859_2, UTFLookupISO8859_3,  UTFLookupISO8859_4,
      UTFLookupISO8859_5,  UTFLookupISO8859_6,  UTFLookupISO8859_7, UTFLookupISO8859_8,  UTFLookupISO8859_9,
      UTFLookupISO8859_10, UTFLookupISO8859_11, UTFLookupISO6937,   UTFLookupISO8859_13, UTFLookupISO8859_14,
      UTFLookupISO8859_15, UTFLookupISO8859_16};
  return tableNumber >= 0 && tableNumber <= 16 ? parts[tableNumber] : UTFLookupISO6937;
}

/* UTF-8 form (2 bytes) of an ISO 6937 mark-and-letter pair, or null. */
static const char *FindDiacriticalPair(const byte *pair) {
  for (const char *p = ISO6937DiacriticalPairs; *p; p += 2)
    if ((byte)p[0] == pair[0] && (byte)p[1] == pair[1])
      return ISO6937DiacriticalUTF8 + (p - ISO6937DiacriticalPairs);
  return nullptr;
}

/* Appends len bytes at *d when they fit before end (the terminator's byte,
 * which stays free); false, writing nothing, when they do not. */
static bool Put(byte **d, const byte *end, const void *bytes, dword len) {
  if ((dword)(end - *d) < len) return false;
  memcpy(*d, bytes, len);
  *d += len;
  return true;
}

/* Copies source into dest (destSize bytes, at least 1), cut behind the last
 * whole character that fits. */
static void CopyWholeCharacters(const char *source, char *dest, dword destSize) {
  const byte *s = (const byte *)source;
  byte *d = (byte *)dest, *end = d + destSize - 1;
  byte len;
  for (; *s; s += len) {
    isUTF8Char(s, &len);
    if (!Put(&d, end, s, len)) break;
  }
  *d = 0;
}

extern "C" bool StrToUTF8Sized(const char *source, char *dest, dword destSize, byte defaultISO8859CharSet) {
  if (!source || !dest || destSize == 0) return false;

  int tableNumber = defaultISO8859CharSet;
  byte first = (byte)source[0];
  int selectorLength = CharTableSelectorLength(source);
  if (first >= 0x01 && first <= 0x0B)
    tableNumber = first + 4;
  else if (first == 0x10 && selectorLength == 3)  // 0x10, any byte, part
    tableNumber = (byte)source[2];
  else if (first == 0x15) {
    CopyWholeCharacters(source + 1, dest, destSize);
    return false;
  }
  const byte *s = (const byte *)source + selectorLength;

  const word *table = LookupTable(tableNumber);
  byte *d = (byte *)dest, *end = d + destSize - 1;
  bool converted = false, fits = true;
  while (*s && fits) {
    byte len;
    if (*s < 0x80) {
      fits = Put(&d, end, s, 1);
      s++;
    } else if (isUTF8Char(s, &len)) {
      fits = Put(&d, end, s, len);
      s += len;
    } else if (tableNumber == 0 && *s >= 0xC0 && *s <= 0xCF) {
      converted = true;
      if (s[1] == 0) break;  // a mark without its letter
      const char *precomposed = FindDiacriticalPair(s);
      if (precomposed)
        fits = Put(&d, end, precomposed, 2);
      else
        LogEntryKalibPrintf(true, "StrToUTF8: ISO6937 diacritical char %2.2x %2.2x has been ignored", s[0],
                            s[1]);
      s += 2;
    } else {
      dword unicode = *s < 0xA0 ? *s : table[*s - 0xA0];
      byte utf8[4];
      UTF32ToUTF8(unicode, utf8, &len);
      fits = Put(&d, end, utf8, len);
      s++;
      converted = true;
    }
  }
  *d = 0;
  return converted;
}

extern "C" bool StrToUTF8(const char *source, char *dest, byte defaultISO8859CharSet) {
  if (!source) return false;
  return StrToUTF8Sized(source, dest, 3 * strlen(source) + 1, defaultISO8859CharSet);
}
