// Names of remote-control keys and menu languages on the command line.
#include <strings.h>

#include <cstdlib>
#include <string>

#include "CommandLine.h"

namespace pvrsim {

namespace {
struct Named {
  const char *name;
  dword code;
};

constexpr Named kKeys[] = {
    {"left", RKEY_Left}, {"right", RKEY_Right}, {"up", RKEY_Up},       {"down", RKEY_Down},
    {"ok", RKEY_Ok},     {"exit", RKEY_Exit},   {"red", RKEY_Red},     {"green", RKEY_Green},
    {"blue", RKEY_Blue}, {"recall", RKEY_Recall},
};

// Firmware menu-language numbers in order.
constexpr const char *kLanguages[] = {"en", "fr", "de", "it", "es", "ar", "el", "tr", "da", "sv",
                                      "no", "nl", "ru", "pl", "fa", "fi", "sk", "th", "cs", "bg"};

bool parseNumber(const std::string &text, unsigned long &value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char *end = nullptr;
  value = std::strtoul(text.c_str(), &end, hex ? 16 : 10);
  return *end == '\0' && value <= 0xFFFFFFFFul;
}
}  // namespace

bool parseKeyName(const std::string &name, dword &code) {
  for (const Named &key : kKeys)
    if (strcasecmp(key.name, name.c_str()) == 0) return code = key.code, true;
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return code = RKEY_0 + (name[0] - '0'), true;
  unsigned long value;
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X') && parseNumber(name, value))
    return code = static_cast<dword>(value), true;
  return false;
}

bool parseLanguage(const std::string &text, int &number) {
  for (int i = 0; i < static_cast<int>(sizeof kLanguages / sizeof *kLanguages); ++i)
    if (strcasecmp(kLanguages[i], text.c_str()) == 0) return number = i, true;
  unsigned long value;
  if (!parseNumber(text, value) || value > 255) return false;
  number = static_cast<int>(value);
  return true;
}

bool parseDword(const std::string &text, dword &value) {
  unsigned long v;
  if (!parseNumber(text, v)) return false;
  value = static_cast<dword>(v);
  return true;
}

}  // namespace pvrsim
