// UCPosition.cpp - editing texts by character position: find the byte of
// the n-th character, insert and delete.  Positions count from behind a
// character-table selector, and a multi-byte UTF-8 character counts as one.
#include <string.h>
#include "Kalib.h"

/* The byte n characters behind p, or p's terminator when the text is shorter. */
static char *StepCharacters(const char *p, int n) {
  while (n > 0 && *p) {
    byte len;
    UTF8ToUTF32((const byte *)p, &len);
    p += len;
    n--;
  }
  return (char *)p;
}

extern "C" char *GetUCPos(const char *text, int charPos) {
  if (!text) return nullptr;
  return StepCharacters(SkipCharTableBytes(text), charPos);
}

/* Inserts before character charPos; the caller has made sure of the room. */
static void Insert(char *text, int charPos, const char *insertText) {
  size_t insertLen = strlen(insertText);
  if (charPos >= strlenUC(text)) {
    memcpy(text + strlen(text), insertText, insertLen + 1);
    return;
  }
  char *at = GetUCPos(text, charPos < 0 ? 0 : charPos);
  memmove(at + insertLen, at, strlen(at) + 1);
  memcpy(at, insertText, insertLen);  // NOLINT(bugprone-not-null-terminated-result): inside the text
}

extern "C" void InsertAt(char *text, int charPos, const char *insertText) {
  if (!text || !insertText) return;
  Insert(text, charPos, insertText);
}

// A text cut in the middle would lose its end without a trace, so an
// insertion that does not fit is refused whole.
extern "C" bool InsertAtSized(char *text, dword textSize, int charPos, const char *insertText) {
  if (!text || !insertText) return false;
  size_t textLen = strnlen(text, textSize);
  if (textLen >= textSize || strlen(insertText) >= textSize - textLen) return false;
  Insert(text, charPos, insertText);
  return true;
}

extern "C" void DeleteAt(char *text, int charPos, int nrChars) {
  if (!text || !text[0] || nrChars <= 0) return;
  if (charPos < 0) charPos = 0;
  if (charPos >= strlenUC(text)) return;

  // The range is counted in characters from its start; a control byte there
  // is an ordinary character, not a selector, so exactly nrChars go.
  char *from = GetUCPos(text, charPos);
  char *to = StepCharacters(from, nrChars);
  memmove(from, to, strlen(to) + 1);
}
