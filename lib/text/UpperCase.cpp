// UpperCase.cpp - upper-case conversion in place that knows the Latin-1
// letters, both as single ISO 8859-1 bytes and as two-byte UTF-8 characters.
// Sharp s and y diaeresis have no upper-case form in Latin-1 and stay.
#include <string.h>
#include "TextTables.h"

/* à-ý without ÷ (0xE0-0xFD), and À-Ý without × at the same positions. */
const char AnsiLower[30] =
    "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF"
    "\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD";
const char AnsiUpper[30] =
    "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
    "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC\xDD";

/* U+00E0-U+00FE without U+00F7, and U+00C0-U+00DE without U+00D7. */
const char UTF8Lower[64] = "àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ";
const char UTF8Upper[64] = "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ";

static_assert(sizeof("àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ") == 61, "30 two-byte characters");

/* Position of the two-byte character c in a UTF-8 case table, or -1. */
static int FindUTF8Letter(const char *table, const byte *c) {
  for (int i = 0; table[i]; i += 2)
    if ((byte)table[i] == c[0] && (byte)table[i + 1] == c[1]) return i;
  return -1;
}

extern "C" void UpperCase(char *text) {
  if (!text) return;

  byte *p = (byte *)text;
  while (*p) {
    byte len;
    if (isUTF8Char(p, &len)) {
      int pos = len == 2 ? FindUTF8Letter(UTF8Lower, p) : -1;
      if (pos >= 0) {
        p[0] = UTF8Upper[pos];
        p[1] = UTF8Upper[pos + 1];
      }
    } else {
      const char *lower = strchr(AnsiLower, *p);
      if (lower)
        *p = AnsiUpper[lower - AnsiLower];
      else if (*p >= 'a' && *p <= 'z')
        *p -= 'a' - 'A';
    }
    p += len;
  }
}
