// StrReplace.cpp - replace every occurrence of a text, and find a text
// regardless of case.
#include <ctype.h>
#include <string.h>
#include <strings.h>
#include "Kalib.h"

/* Replacement not longer than the search text: the text only shrinks. */
static void ReplaceInPlace(char *text, const char *find, const char *replace) {
  size_t findLen = strlen(find), replaceLen = strlen(replace);
  char *p = strstr(text, find);
  while (p) {
    memcpy(p, replace, replaceLen);  // NOLINT(bugprone-not-null-terminated-result): inside the text
    if (findLen != replaceLen) memmove(p + replaceLen, p + findLen, strlen(p + findLen) + 1);
    p = strstr(p + replaceLen, find);
  }
}

/* Room StrReplace assumes: the caller vouches for it. */
static const dword kUnknownRoom = 0xFFFFFFFF;

/* Longer replacement: build the result in a work buffer, then copy it back
 * over the text.  False, the text unchanged, when the result would not fit
 * textSize bytes or the work buffer cannot be had. */
static bool ReplaceGrowing(char *text, dword textSize, const char *find, const char *replace) {
  size_t findLen = strlen(find), replaceLen = strlen(replace);
  dword count = 0;
  for (const char *p = strstr(text, find); p; p = strstr(p + findLen, find)) count++;

  // Counted wide: a long replacement times many occurrences must not wrap
  // round to a small buffer.
  uint64_t length = strlen(text) + (uint64_t)(replaceLen - findLen) * count;
  if (length >= textSize || length > 0x7FFFFFF0u) return false;
  dword size = (dword)length + 2;
  char *work = (char *)TAP_MemAlloc(size);
  if (!work) return false;
  memset(work, 0, size);
  char *w = work;
  const char *s = text;
  for (const char *p = strstr(s, find); p; p = strstr(s, find)) {
    memcpy(w, s, p - s);  // NOLINT(bugprone-not-null-terminated-result): work is zero-filled
    w += p - s;
    memcpy(w, replace, replaceLen);  // NOLINT(bugprone-not-null-terminated-result): work is zero-filled
    w += replaceLen;
    s = p + findLen;
  }
  strcpy(w, s);
  strcpy(text, work);
  TAP_MemFree(work);
  return true;
}

static bool Replace(char *text, dword textSize, const char *find, const char *replace) {
  if (!text || !find || !replace || !text[0] || !find[0]) return false;
  if (!strstr(text, find)) return false;

  if (strlen(replace) <= strlen(find)) {
    ReplaceInPlace(text, find, replace);
    return true;
  }
  return ReplaceGrowing(text, textSize, find, replace);
}

extern "C" bool StrReplace(char *text, const char *find, const char *replace) {
  return Replace(text, kUnknownRoom, find, replace);
}

extern "C" bool StrReplaceSized(char *text, dword textSize, const char *find, const char *replace) {
  if (text && strnlen(text, textSize) >= textSize) return false;
  return Replace(text, textSize, find, replace);
}

/* ASCII case folding, as toupper/tolower/strncasecmp do in the POSIX locale. */
static inline byte FoldCase(byte c) { return (byte)(c - 'A') < 26 ? (byte)(c + ('a' - 'A')) : c; }

/* The len bytes at p equal find, ignoring ASCII case.  The text's
 * terminator never equals a byte of find, so the compare stops there. */
static bool MatchesIgnoringCase(const char *p, const char *find, size_t len) {
  for (size_t i = 0; i < len; i++)
    if (FoldCase((byte)p[i]) != FoldCase((byte)find[i])) return false;
  return true;
}

/* Index of the first byte of find that has only one case (no ASCII
 * letter), or len when every byte is a letter. */
static size_t CaselessByte(const char *find, size_t len) {
  for (size_t i = 0; i < len; i++)
    if ((byte)(FoldCase((byte)find[i]) - 'a') >= 26) return i;
  return len;
}

/* The texts' language files are searched for every text key ("en_007=")
 * from the start: where the search text holds a byte without case, memchr
 * finds its occurrences (the candidates in order), and only those are
 * compared. */
extern "C" char *stricstr(const char *text, const char *find) {
  if (!text || !find) return nullptr;
  find = SkipCharTableBytes(find);
  if (!find[0]) return nullptr;
  const char *p = SkipCharTableBytes(text);
  size_t findLen = strlen(find);
  size_t anchor = CaselessByte(find, findLen);

  if (anchor == findLen) {
    for (; *p; p++)
      if (FoldCase((byte)*p) == FoldCase((byte)find[0]) && MatchesIgnoringCase(p, find, findLen))
        return (char *)p;
    return nullptr;
  }

  const char *end = p + strlen(p);
  for (const char *from = p + anchor; from < end;) {
    const char *hit = (const char *)memchr(from, find[anchor], end - from);
    if (!hit) break;
    const char *start = hit - anchor;
    if (MatchesIgnoringCase(start, find, findLen)) return (char *)start;
    from = hit + 1;
  }
  return nullptr;
}
