// URLCoding.cpp - escaping and unescaping the characters of a URL that a
// download address may not carry as they are.  Both directions share one
// table; "%" is escaped first and unescaped last, so an escape never turns
// into another one.
#include <string.h>

#include "ToolsInternal.h"

struct tURLEscape {
  const char *Plain;
  const char *Escaped;
};

static const tURLEscape URLEscapes[] = {
    {" ", "%20"}, {"!", "%21"}, {"#", "%23"}, {"$", "%24"}, {"&", "%26"}, {"'", "%27"}, {"(", "%28"},
    {")", "%29"}, {"*", "%2A"}, {"+", "%2B"}, {",", "%2C"}, {"/", "%2F"}, {":", "%3A"}, {";", "%3B"},
    {"=", "%3D"}, {"?", "%3F"}, {"@", "%40"}, {"[", "%5B"}, {"]", "%5D"},
};

/* Bytes of text once escaped: every escaped character grows by two. */
static size_t EncodedLength(const char *text) {
  size_t length = 0;
  for (const char *p = text; *p; p++) {
    bool escaped = *p == '%';
    for (const tURLEscape &escape : URLEscapes) escaped = escaped || *p == escape.Plain[0];
    length += escaped ? 3 : 1;
  }
  return length;
}

static void Encode(char *text, dword textSize) {
  StrReplaceSized(text, textSize, "%", "%25");
  for (const tURLEscape &escape : URLEscapes) StrReplaceSized(text, textSize, escape.Plain, escape.Escaped);
}

void URLEncode(char *text) {
  CallTraceEnter("URLEncode");
  if (text != nullptr) Encode(text, 3 * strlen(text) + 1);
  CallTraceExit(nullptr);
}

// A half-escaped address would name another file, so a text whose escaped
// form does not fit is left as it is.
bool URLEncodeSized(char *text, dword textSize) {
  CallTraceEnter("URLEncodeSized");
  bool fits = text != nullptr && strnlen(text, textSize) < textSize && EncodedLength(text) < textSize;
  if (fits) Encode(text, textSize);
  CallTraceExit(nullptr);
  return fits;
}

void URLDecode(char *text) {
  CallTraceEnter("URLDecode");
  if (text != nullptr) {
    for (const tURLEscape &escape : URLEscapes) StrReplace(text, escape.Escaped, escape.Plain);
    StrReplace(text, "%25", "%");
  }
  CallTraceExit(nullptr);
}
