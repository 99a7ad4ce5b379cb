// JsonFields.cpp - strict reading of JSON objects into record fields.
#include "JsonFields.h"

#include <cinttypes>
#include <cstdio>

#include "ToolsInternal.h"

namespace vdtool {

namespace {
const Json EmptyArray = Json::array();

// A hexadecimal text "0x..." or "0X..." as a number; false for anything else.
bool ParseHex(const std::string &text, uint64_t &value) {
  if (text.size() < 3 || text.size() > 18 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
    return false;
  value = 0;
  for (size_t i = 2; i < text.size(); i++) {
    char c = text[i];
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) return false;
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  return true;
}

int DaysInMonth(int year, int month) {
  static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : Days[month - 1];
}

// Days since 2000-01-01 of a civil date (proleptic Gregorian).
int64_t DaysSince2000(int year, int month, int day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  int64_t yoe = year - era * 400;
  int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 - 10957;
}
}  // namespace

JsonFields::JsonFields(const Json &object, const std::string &path, std::initializer_list<const char *> keys)
    : object_(object), path_(path) {
  if (!object.is_object())
    throw InputError((path.empty() ? std::string("the document") : path) + ": expected an object");
  for (const auto &item : object.items()) {
    bool known = false;
    // A text may come with its exact bytes beside it ("<key>Bytes").
    for (const char *key : keys)
      known = known || item.key() == key || item.key() == std::string(key) + "Bytes";
    if (!known) throw InputError(where(item.key().c_str()) + ": unknown key");
  }
}

const Json *JsonFields::find(const char *key) const {
  auto it = object_.find(key);
  return it == object_.end() || it->is_null() ? nullptr : &*it;
}

std::string JsonFields::where(const char *key) const { return path_.empty() ? key : path_ + "." + key; }

void JsonFields::fail(const char *key, const std::string &message) const {
  throw InputError(where(key) + ": " + message);
}

char *JsonFields::text(const char *key) const {
  const Json *value = find(key);
  if (value == nullptr) return nullptr;
  if (!value->is_string()) fail(key, "expected a text or null, got " + value->dump());
  // The box keeps a text up to its first NUL and reads none longer than
  // DATAFILE_MAX_STRING: such a text would be stored otherwise than given.
  std::string text = value->get<std::string>();
  std::string bytesKey = std::string(key) + "Bytes";
  const Json *bytes = find(bytesKey.c_str());
  if (bytes != nullptr && (!bytes->is_string() || !Base64Decode(bytes->get<std::string>(), text)))
    fail(bytesKey.c_str(), "expected the text's bytes in base64, got " + bytes->dump());
  if (text.find('\0') != std::string::npos) fail(key, "a text must not hold a NUL character (\\u0000)");
  if (text.size() > DATAFILE_MAX_STRING)
    fail(key, "a text of " + std::to_string(text.size()) + " bytes is longer than the box reads (" +
                  std::to_string(DATAFILE_MAX_STRING) + ")");
  char *field = nullptr;
  StringSet(&field, text.c_str());
  return field;
}

uint64_t JsonFields::number(const char *key, int64_t low, uint64_t high) const {
  return Number(find(key), where(key), low, high);
}

uint64_t JsonFields::Number(const Json *value, const std::string &where, int64_t low, uint64_t high) {
  if (value == nullptr) return 0;
  uint64_t v = 0;
  std::string range = "expected a number from " + std::to_string(low) + " to " + std::to_string(high);
  if (value->is_string() && low >= 0 && ParseHex(value->get<std::string>(), v)) {
    if (v <= high) return v;
  } else if (value->is_number_unsigned()) {
    v = value->get<uint64_t>();
    if (v <= high) return v;
  } else if (value->is_number_integer()) {
    if (value->get<int64_t>() >= low) return static_cast<uint64_t>(value->get<int64_t>());
  } else {
    range += low >= 0 ? " or a text \"0x...\"" : "";
  }
  throw InputError(where + ": " + range + ", got " + value->dump());
}

dword JsonFields::Dword32(const Json &value, const std::string &where) {
  return static_cast<dword>(Number(&value, where, 0, 0xFFFFFFFFu));
}

dword JsonFields::dword32(const char *key) const { return static_cast<dword>(number(key, 0, 0xFFFFFFFFu)); }

int JsonFields::int32(const char *key) const { return static_cast<int>(number(key, INT32_MIN, INT32_MAX)); }

int64 JsonFields::unsigned64(const char *key) const { return number(key, 0, UINT64_MAX); }

bool JsonFields::flag(const char *key) const {
  const Json *value = find(key);
  if (value == nullptr) return false;
  if (value->is_boolean()) return value->get<bool>();
  if (value->is_number_integer() && (value->get<int64_t>() == 0 || value->get<int64_t>() == 1))
    return value->get<int64_t>() == 1;
  fail(key, "expected true or false, got " + value->dump());
}

int JsonFields::enumeration(const char *key, const std::vector<const char *> &names) const {
  const Json *value = find(key);
  if (value != nullptr && value->is_string()) {
    for (size_t i = 0; i < names.size(); i++)
      if (value->get<std::string>() == names[i]) return static_cast<int>(i);
    std::string list;
    for (const char *name : names) list += std::string(list.empty() ? "" : ", ") + name;
    fail(key, "expected a number or one of " + list + ", got " + value->dump());
  }
  return static_cast<int>(number(key, 0, 255));
}

dword JsonFields::timeStamp(const char *key) const {
  const Json *value = find(key);
  if (value == nullptr || !value->is_string()) return dword32(key);
  int year, month, day, hour, minute, second;
  char end;
  std::string text = value->get<std::string>();
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour, &minute, &second,
                  &end) != 6 ||
      year < 2000 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0 ||
      DaysSince2000(year, month, day) > 0x7FFF)
    fail(key, "expected a packed time stamp or \"YYYY-MM-DD HH:MM:SS\" (2000 to 2089), got " + value->dump());
  return static_cast<dword>(DaysSince2000(year, month, day)) << 17 |
         static_cast<dword>(hour * 3600 + minute * 60 + second);
}

const Json &JsonFields::array(const char *key, const char *countKey) const {
  const Json *value = find(key);
  if (value != nullptr && !value->is_array()) fail(key, "expected an array or null, got " + value->dump());
  const Json &items = value != nullptr ? *value : EmptyArray;
  if (items.size() > DATAFILE_MAX_COUNT)
    fail(key, "has " + std::to_string(items.size()) + " entries, more than the box reads (" +
                  std::to_string(DATAFILE_MAX_COUNT) + ")");
  if (countKey != nullptr && find(countKey) != nullptr &&
      static_cast<size_t>(int32(countKey)) != items.size())
    fail(countKey, "is " + find(countKey)->dump() + " but " + key + " has " + std::to_string(items.size()) +
                       " entries");
  return items;
}

}  // namespace vdtool
