// KeyNames.cpp - names of remote-control keys and menu languages on the command line.
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace pvrsim {

namespace {
// Every remote-control key pvrsim knows by name, one stable name per key
// (the key symbols of the toolkit use the same names, _Button_<name>_Gd).
constexpr KeyName kKeys[] = {
    {"0", RKEY_0},
    {"1", RKEY_1},
    {"2", RKEY_2},
    {"3", RKEY_3},
    {"4", RKEY_4},
    {"5", RKEY_5},
    {"6", RKEY_6},
    {"7", RKEY_7},
    {"8", RKEY_8},
    {"9", RKEY_9},
    {"recall", RKEY_Recall},
    {"left", RKEY_Left},
    {"up", RKEY_Up},
    {"right", RKEY_Right},
    {"exit", RKEY_Exit},
    {"down", RKEY_Down},
    {"ok", RKEY_Ok},
    {"green", RKEY_Green},
    {"blue", RKEY_Blue},
    {"red", RKEY_Red},
    {"rwd", RKEY_Rewind},
    {"ffwd", RKEY_Forward},
    {"jumpstart", RKEY_JumpStart},
    {"jumpend", RKEY_JumpEnd},
    {"menu", RKEY_Menu},
};

// Firmware menu-language numbers in order.
constexpr const char *kLanguages[] = {"en", "fr", "de", "it", "es", "ar", "el", "tr", "da", "sv",
                                      "no", "nl", "ru", "pl", "fa", "fi", "sk", "th", "cs", "bg"};

// Decimal or "0x" hexadecimal up to 0xFFFFFFFF; strtoull reports a number
// too large even for 64 bits, the comparison one too large for 32.
bool parseNumber(const std::string &text, unsigned long &value) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || std::isspace(static_cast<unsigned char>(text[0])))
    return false;
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  char *end = nullptr;
  errno = 0;
  unsigned long long number = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (errno == ERANGE || *end != '\0' || end == text.c_str() || number > 0xFFFFFFFFull) return false;
  value = static_cast<unsigned long>(number);
  return true;
}
}  // namespace

const std::vector<KeyName> &keyNames() {
  static const std::vector<KeyName> table(std::begin(kKeys), std::end(kKeys));
  return table;
}

const char *keyNameOf(dword code) {
  for (const KeyName &key : kKeys)
    if (key.code == code) return key.name;
  return nullptr;
}

std::string keyNameList() {
  std::string list;
  for (const KeyName &key : kKeys) list += (list.empty() ? "" : " ") + std::string(key.name);
  return list;
}

bool parseKeyName(const std::string &name, dword &code) {
  // A NUL would end the name early for the comparison below ("ok\0menu").
  if (name.find('\0') != std::string::npos) return false;
  for (const KeyName &key : kKeys)
    if (strcasecmp(key.name, name.c_str()) == 0) return code = key.code, true;
  unsigned long value;
  if (name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X') && parseNumber(name, value))
    return code = static_cast<dword>(value), true;
  return false;
}

bool parseLanguage(const std::string &text, int &number) {
  for (int i = 0; i < static_cast<int>(sizeof kLanguages / sizeof *kLanguages); ++i)
    if (strcasecmp(kLanguages[i], text.c_str()) == 0) return number = i, true;
  unsigned long value;
  if (!parseNumber(text, value) || value >= sizeof kLanguages / sizeof *kLanguages) return false;
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
