// StrToISO.cpp - UTF-8 text to ISO 8859-1 (the log files' character set),
// and the encoding test that decides whether a text needs converting.
//
// Text that holds single bytes of 0xA0 and above is taken as ISO text
// already and copied unchanged, as is text without any UTF-8 character.
// The result is never longer than the source; StrToISOSized cuts it at the
// end of a smaller buffer.
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

/* Copies source into dest (destSize bytes, at least 1) byte for byte, cut
 * behind the last whole character (a UTF-8 sequence or a single byte) that
 * fits. */
static void CopyCut(const char *source, char *dest, dword destSize) {
  const byte *s = (const byte *)source;
  dword written = 0;
  byte len;
  for (; *s; s += len) {
    isUTF8Char(s, &len);
    if (len > destSize - 1 - written) break;
    memcpy(dest + written, s, len);
    written += len;
  }
  dest[written] = 0;
}

extern "C" void StrToISOSized(const char *source, char *dest, dword destSize) {
  if (!source || !dest || destSize == 0) return;

  bool ansi, utf;
  GetStringEncoding(source, &ansi, &utf);
  if (ansi || !utf) {
    CopyCut(source, dest, destSize);
    return;
  }

  // Selector bytes lie below 0x80 and go through like any other byte.
  const byte *s = (const byte *)source;
  const byte *end = s + strlen(source);
  byte *d = (byte *)dest, *last = d + destSize - 1;
  while (s < end) {
    byte len;
    dword unicode = UTF8ToUTF32(s, &len);
    if (unicode >= 0x100)
      LogEntryKalibPrintf(true, "StrToISO: character 0x%4.4x ignored", (unsigned)unicode);
    else if (d < last)
      *d++ = (byte)unicode;
    else
      break;
    s += len;
  }
  *d = 0;
}

extern "C" void StrToISO(const char *source, char *dest) {
  if (!source) return;
  StrToISOSized(source, dest, strlen(source) + 1);
}

extern "C" void StrToISOAlloc(const char *source, char **dest) {
  if (!dest) return;
  if (!source) {
    *dest = nullptr;
    return;
  }
  dword size = strlen(source) + 1;
  *dest = (char *)TAP_MemAlloc(size);
  StrToISOSized(source, *dest, size);
}
