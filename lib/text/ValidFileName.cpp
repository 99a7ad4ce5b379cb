// ValidFileName.cpp - judge single characters by a rule mask and strip a
// text of the characters that the rules forbid (for file names and for
// texts on the screen).
#include <string.h>
#include "Kalib.h"

/* Longest cleaned text: the firmware's file names hold 127 bytes and a
 * multi-byte character may start at byte 125. */
static const dword MaxCleanBytes = 126;

static bool ForbiddenControlChar(const byte *c) {
  if (isUTF8Char(c, nullptr)) return false;
  if (*c < 0x20) return *c != 0x0A;
  if (*c >= 0x7F && *c <= 0x9F) return *c != 0x80 && *c != 0x8A && *c != 0x91 && *c != 0x92;
  return false;
}

extern "C" bool isLegalChar(const byte *c, dword ruleMask) {
  if (!c) return false;
  if ((ruleMask & LC_ControlChars) && ForbiddenControlChar(c)) return false;
  if ((ruleMask & LC_LineFeeds) && (*c == 0x0A || *c == 0x8A)) return false;
  if ((ruleMask & LC_FileSystemChars) && *c && strchr("\"*/:<>?\\|", *c)) return false;
  if ((ruleMask & LC_PrintableASCII) && (*c < 0x20 || *c > 0x7E)) return false;
  return true;
}

/* Copies the legal characters of text into result, at most MaxCleanBytes
 * bytes, and terminates it.  Never writes ahead of the byte it reads, so
 * result may be text itself. */
static void CopyLegal(const char *text, dword ruleMask, char *result) {
  const byte *s = (const byte *)text;
  dword written = 0;
  while (*s && written < MaxCleanBytes) {
    byte len = 1;
    bool legal = isLegalChar(s, ruleMask);
    if (legal) isUTF8Char(s, &len);
    if (legal) {
      memmove(result + written, s, len);
      written += len;
    }
    s += len;
  }
  result[written] = 0;
}

extern "C" char *ValidFileName(const char *text, dword ruleMask, char *result, dword resultSize) {
  if (!result) return result;
  if (resultSize) result[0] = 0;
  if (!text || !text[0] || strlen(text) >= resultSize) return result;

  // The text is shorter than the buffer and the result never longer than
  // the text, so the copy stays inside the buffer.
  CopyLegal(text, ruleMask, result);
  return result;
}

// In place the result fits whatever the text's length: it never grows.
extern "C" void MakeValidFileName(char *text, dword ruleMask) {
  if (!text || !text[0]) return;
  CopyLegal(text, ruleMask, text);
}
