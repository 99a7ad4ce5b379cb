// StringEndsWith.cpp - suffix test on zero-terminated texts.
#include <string.h>

#include "Kalib.h"

bool StringEndsWith(const char *text, const char *suffix) {
  if (text == nullptr || suffix == nullptr || *text == '\0' || *suffix == '\0') return false;
  size_t textLen = strlen(text);
  size_t suffixLen = strlen(suffix);
  if (suffixLen > textLen) return false;
  return TAP_MemCmp(text + textLen - suffixLen, suffix, suffixLen) == 0;
}
