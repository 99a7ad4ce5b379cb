// FMUC_FindUTF8Start.cpp - first byte of the UTF-8 character that contains the given byte.
// A character is at most four bytes long, so the walk back passes at most
// three continuation bytes; FMUC_FindUTF8StartIn also stops at the text's
// first byte, for texts that may begin with stray continuation bytes.
#include "Kalib.h"

// Continuation bytes (10xxxxxx) a UTF-8 character can hold behind its lead byte.
static const int kMaxContinuationBytes = 3;

static bool IsContinuation(const char *p) { return ((byte)*p & 0xC0) == 0x80; }

char *FMUC_FindUTF8StartIn(const char *Text, const char *p) {
  if (Text == nullptr || p == nullptr || p < Text) return nullptr;
  const char *start = p;
  for (int steps = 0; start > Text && IsContinuation(start) && steps < kMaxContinuationBytes; steps++)
    start--;
  // No lead byte within reach (or only the text's start): the byte is a
  // character of its own.
  return (char *)(IsContinuation(start) ? p : start);
}

char *FMUC_FindUTF8Start(const char *p) {
  if (p == nullptr) return nullptr;
  const char *start = p;
  for (int steps = 0; IsContinuation(start) && steps < kMaxContinuationBytes; steps++) start--;
  return (char *)(IsContinuation(start) ? p : start);
}
