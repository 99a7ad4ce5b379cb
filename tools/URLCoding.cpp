// URLCoding.cpp - escaping and unescaping the characters of a URL that a
// download address may not carry as they are.  Both directions share one
// table; "%" is escaped first and unescaped last, so an escape never turns
// into another one.
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

void URLEncode(char *text) {
  CallTraceEnter("URLEncode");
  if (text != nullptr) {
    StrReplace(text, "%", "%25");
    for (const tURLEscape &escape : URLEscapes) StrReplace(text, escape.Plain, escape.Escaped);
  }
  CallTraceExit(nullptr);
}

void URLDecode(char *text) {
  CallTraceEnter("URLDecode");
  if (text != nullptr) {
    for (const tURLEscape &escape : URLEscapes) StrReplace(text, escape.Escaped, escape.Plain);
    StrReplace(text, "%25", "%");
  }
  CallTraceExit(nullptr);
}
