// StrToISO.cpp - UTF-8 text to ISO 8859-1 (the log files' character set),
// and the encoding test that decides whether a text needs converting.
//
// Text that holds single bytes of 0xA0 and above is taken as ISO text
// already and copied unchanged, as is text without any UTF-8 character.
#include <string.h>
#include "TextTables.h"

extern "C" void GetStringEncoding(const char *text, bool *hasAnsiChars, bool *hasUTFChars) {
  bool ansi = false, utf = false;
  if (text && text[0]) {
    const byte *p = (const byte *)SkipCharTableBytes(text);
    while (*p) {
      byte len;
      if (isUTF8Char(p, &len))
        utf = true;
      else if (*p >= 0xA0)
        ansi = true;
      p += len;
    }
  }
  if (hasAnsiChars) *hasAnsiChars = ansi;
  if (hasUTFChars) *hasUTFChars = utf;
}

extern "C" void StrToISO(const char *source, char *dest) {
  if (!source || !dest) return;

  bool ansi, utf;
  GetStringEncoding(source, &ansi, &utf);
  if (ansi || !utf) {
    strcpy(dest, source);
    return;
  }

  // Selector bytes lie below 0x80 and go through like any other byte.
  const byte *s = (const byte *)source;
  const byte *end = s + strlen(source);
  byte *d = (byte *)dest;
  while (s < end) {
    byte len;
    dword unicode = UTF8ToUTF32(s, &len);
    if (unicode < 0x100)
      *d++ = (byte)unicode;
    else
      LogEntryKalibPrintf(true, "StrToISO: character 0x%4.4x ignored", (unsigned)unicode);
    s += len;
  }
  *d = 0;
}

extern "C" void StrToISOAlloc(const char *source, char **dest) {
  if (!dest) return;
  if (!source) {
    *dest = nullptr;
    return;
  }
  *dest = (char *)TAP_MemAlloc(strlen(source) + 1);
  StrToISO(source, *dest);
}
