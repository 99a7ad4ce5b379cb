// ShellQuote.cpp - quoting of one shell argument.
#include "ShellQuote.h"

#include <string.h>

bool ShellQuote(const char *text, char *dest, size_t destSize) {
  if (dest == nullptr || destSize == 0) return false;
  dest[0] = '\0';
  if (text == nullptr) return false;
  static const char kQuotedQuote[] = "'\\''";  // close, escaped quote, reopen
  size_t out = 0;
  // Room for one more piece of `len` bytes plus the closing quote and NUL.
  auto put = [&](const char *piece, size_t len) {
    if (out + len + 2 > destSize) return false;
    memcpy(dest + out, piece, len);
    out += len;
    return true;
  };
  bool fits = put("'", 1);
  for (const char *p = text; fits && *p != '\0'; p++)
    fits = *p == '\'' ? put(kQuotedQuote, sizeof kQuotedQuote - 1) : put(p, 1);
  if (!fits) {
    dest[0] = '\0';
    return false;
  }
  dest[out++] = '\'';
  dest[out] = '\0';
  return true;
}
