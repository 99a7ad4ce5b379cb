// CharTableSelector.cpp - texts that may begin with a broadcast character-
// table selector: skipping it, counting and copying such texts.
//
// The selector is the first byte when that lies below 0x20: 0x10 is followed
// by two more bytes (the third names the ISO 8859 part), 0x1F by one; every
// other selector byte stands alone.  The text ends at its first zero byte,
// inside the selector as well.  The text behind the selector is plain or
// UTF-8 text.
#include <string.h>
#include "TextTables.h"

int CharTableSelectorLength(const char *text) {
  byte first = (byte)text[0];
  if (first == 0 || first >= 0x20) return 0;

  int length = first == 0x10 ? 3 : first == 0x1F ? 2 : 1;
  // A selector cut short by the end of the text ends at the terminator, so
  // nobody reads past it.  That holds for 0x10 too: a zero second byte is
  // where the text ends (a copy of "0x10 0x00 part" made as a string keeps
  // only its first byte), and what follows it in memory is not the text's.
  for (int i = 1; i < length; i++)
    if (text[i] == 0) return i;
  return length;
}

extern "C" const char *SkipCharTableBytes(const char *text) {
  if (!text) return nullptr;
  return text + CharTableSelectorLength(text);
}

extern "C" int strlenUC(const char *text) {
  if (!text || !text[0]) return 0;

  const byte *p = (const byte *)SkipCharTableBytes(text);
  const byte *end = p + strlen((const char *)p);
  int count = 0;
  while (p < end) {
    byte len;
    isUTF8Char(p, &len);
    p += len;
    count++;
  }
  return count;
}

extern "C" char *strncpyUC(char *dest, const char *source, size_t n) {
  if (!dest || !source) return nullptr;

  size_t selector = CharTableSelectorLength(source);
  size_t head = selector < n ? selector : n;
  memcpy(dest, source, head);
  if (n > selector) strncpy(dest + selector, source + selector, n - selector);
  return dest;
}
