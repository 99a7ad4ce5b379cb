// UTF8Char.cpp - decoding, encoding and recognising one UTF-8 character.
//
// A lead byte counts as a multi-byte character only when all the
// continuation bytes it announces follow; otherwise it (like a stray
// continuation byte) is a character of one byte.  The tests stop at the first
// byte that is not a continuation byte, so a text's terminating zero is never
// passed.  Overlong forms and surrogates are accepted.
#include "Kalib.h"

static inline bool IsContinuation(byte b) { return (b & 0xC0) == 0x80; }

/* Length (2 to 4) of the complete multi-byte character at p, or 1. */
static int MultiByteLength(const byte *p) {
  int needed;
  if ((p[0] & 0xE0) == 0xC0)
    needed = 1;
  else if ((p[0] & 0xF0) == 0xE0)
    needed = 2;
  else if ((p[0] & 0xF8) == 0xF0)
    needed = 3;
  else
    return 1;

  for (int i = 1; i <= needed; i++)
    if (!IsContinuation(p[i])) return 1;
  return needed + 1;
}

extern "C" dword UTF8ToUTF32(const byte *utf8Char, byte *bytesPerChar) {
  if (bytesPerChar) *bytesPerChar = 1;
  if (!utf8Char) return 0;

  int len = MultiByteLength(utf8Char);
  if (bytesPerChar) *bytesPerChar = len;
  switch (len) {
    case 2:
      return ((dword)(utf8Char[0] & 0x1F) << 6) | (utf8Char[1] & 0x3F);
    case 3:
      return ((dword)(utf8Char[0] & 0x0F) << 12) | ((dword)(utf8Char[1] & 0x3F) << 6) | (utf8Char[2] & 0x3F);
    case 4:
      return ((dword)(utf8Char[0] & 0x07) << 18) | ((dword)(utf8Char[1] & 0x3F) << 12) |
             ((dword)(utf8Char[2] & 0x3F) << 6) | (utf8Char[3] & 0x3F);
    default:
      return utf8Char[0];
  }
}

extern "C" void UTF32ToUTF8(dword unicode, byte *utf8Char, byte *bytesPerChar) {
  byte buf[4];
  int len;
  if (unicode < 0x80) {
    buf[0] = (byte)unicode;
    len = 1;
  } else if (unicode < 0x800) {
    buf[0] = 0xC0 | (unicode >> 6);
    buf[1] = 0x80 | (unicode & 0x3F);
    len = 2;
  } else if (unicode < 0x10000) {
    buf[0] = 0xE0 | (unicode >> 12);
    buf[1] = 0x80 | ((unicode >> 6) & 0x3F);
    buf[2] = 0x80 | (unicode & 0x3F);
    len = 3;
  } else {
    buf[0] = 0xF0 | ((unicode >> 18) & 0x07);
    buf[1] = 0x80 | ((unicode >> 12) & 0x3F);
    buf[2] = 0x80 | ((unicode >> 6) & 0x3F);
    buf[3] = 0x80 | (unicode & 0x3F);
    len = 4;
  }
  if (utf8Char)
    for (int i = 0; i < len; i++) utf8Char[i] = buf[i];
  if (bytesPerChar) *bytesPerChar = len;
}

extern "C" bool isUTF8Char(const byte *p, byte *bytesPerChar) {
  int len = p ? MultiByteLength(p) : 1;
  if (bytesPerChar) *bytesPerChar = len;
  return len > 1;
}
