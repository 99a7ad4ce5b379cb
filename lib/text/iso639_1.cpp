// iso639_1.cpp - the firmware's menu-language number as a two-letter
// ISO 639-1 code (the language keys of language files).
#include "Kalib.h"

extern "C" const char *iso639_1(int osdLanguage) {
  static const char *const codes[] = {"en", "fr", "de", "it", "es", "ar", "el", "tr", "da", "sv",
                                      "no", "nl", "ru", "pl", "fa", "fi", "sk", "th", "cs", "bg"};
  if (osdLanguage < 0 || osdLanguage >= (int)(sizeof(codes) / sizeof(codes[0]))) return nullptr;
  return codes[osdLanguage];
}
