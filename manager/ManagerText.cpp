// ManagerText.cpp - long texts (release notes, descriptions) split into
// screen lines: by the pixel width of the text in the font that draws it,
// at word ends where a line has one, never inside a UTF-8 character and
// never longer than a menu item holds.  ISO 8859 texts are converted to
// UTF-8 first, as the text renderer does when it draws them.
#include <string.h>

#include "Manager.h"

// The advance of the character at p in the font (marks add none, characters
// without a glyph none) and its length in bytes.
static dword CharWidth(tUCFont *font, const char *p, dword *bytes) {
  byte length = 1;
  isUTF8Char((const byte *)p, &length);
  *bytes = length;
  if (font == nullptr || font->GlyphDefs == nullptr) return 0;
  tUCGlyph *glyph = FMUC_GetGlyphData(font, (const byte *)p, &length);
  if (glyph == nullptr || FMUC_IsDiacriticalMark(glyph->Unicode)) return 0;
  return glyph->Width;
}

// Appends a line; false when memory runs out.
static bool AddLine(tManagerText *t, dword start, dword length) {
  if (t->NrLines == t->MaxLines) {
    int most = t->MaxLines > 0 ? 2 * t->MaxLines : 64;
    tManagerLine *lines = (tManagerLine *)TAP_MemAlloc(most * sizeof(tManagerLine));
    if (lines == nullptr) return false;
    if (t->NrLines > 0) memcpy(lines, t->Lines, t->NrLines * sizeof(tManagerLine));
    TAP_MemFree(t->Lines);
    t->Lines = lines;
    t->MaxLines = most;
  }
  t->Lines[t->NrLines].Start = start;
  t->Lines[t->NrLines].Length = length;
  t->NrLines++;
  return true;
}

// A copy of text in UTF-8 (ISO 8859 texts converted); null when memory is short.
static char *Utf8Copy(const char *text) {
  dword length = strlen(text);
  bool hasAnsi = FALSE, hasUTF = FALSE;
  GetStringEncoding(text, &hasAnsi, &hasUTF);
  bool convert = hasAnsi && !hasUTF;
  char *copy = (char *)TAP_MemAlloc(convert ? 3 * length + 1 : length + 1);
  if (copy == nullptr) return nullptr;
  if (convert) {
    copy[0] = '\0';
    StrToUTF8(text, copy, 9);
  } else {
    memcpy(copy, text, length + 1);
  }
  return copy;
}

// The length of the line that starts at p: up to the line end, or cut at
// the last blank that keeps it within width and bytes (at the last whole
// character when it has no blank).  *next is where the next line begins.
static dword LineLength(const char *p, tUCFont *font, dword width, dword maxBytes, dword *next) {
  dword used = 0, pixels = 0, blank = 0;
  bool hasBlank = false;
  while (p[used] != '\0' && p[used] != '\n' && p[used] != '\r') {
    dword bytes = 1;
    dword w = CharWidth(font, p + used, &bytes);
    if (used > 0 && (pixels + w > width || used + bytes > maxBytes)) {
      if (hasBlank) {
        *next = blank + 1;
        return blank;
      }
      *next = used;
      return used;
    }
    if (p[used] == ' ') blank = used, hasBlank = true;
    pixels += w;
    used += bytes;
  }
  *next = used;
  if (p[used] == '\r') (*next)++;
  if (p[*next] == '\n' && (p[used] == '\n' || p[used] == '\r')) (*next)++;
  return used;
}

bool ManagerTextWrap(tManagerText *t, const char *text, tUCFont *font, dword width, dword maxBytes) {
  ManagerTextFree(t);
  if (text == nullptr || maxBytes == 0) return false;
  t->Text = Utf8Copy(text);
  if (t->Text == nullptr) return false;
  dword at = 0;
  while (t->Text[at] != '\0') {
    dword next = 0, length = LineLength(t->Text + at, font, width, maxBytes, &next);
    if (!AddLine(t, at, length)) return false;
    at += next;
  }
  return true;
}

void ManagerTextLine(const tManagerText *t, int line, char *out, dword size) {
  if (size == 0) return;
  out[0] = '\0';
  if (t == nullptr || t->Text == nullptr || line < 0 || line >= t->NrLines) return;
  dword length = t->Lines[line].Length;
  if (length >= size) length = size - 1;
  memcpy(out, t->Text + t->Lines[line].Start, length);
  out[length] = '\0';
}

void ManagerTextFree(tManagerText *t) {
  if (t == nullptr) return;
  TAP_MemFree(t->Text);
  TAP_MemFree(t->Lines);
  memset(t, 0, sizeof *t);
}
