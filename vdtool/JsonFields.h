// JsonFields.h - reading one JSON object into a record's fields, strictly:
// unknown keys, wrong types and numbers out of range are errors that name
// the field's place in the document.  Absent keys and null give 0 or null.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "Json.h"

namespace vdtool {

class JsonFields {
 public:
  // path: the object's place ("" for the document, "Versions[0]" ...).
  JsonFields(const Json &object, const std::string &path, std::initializer_list<const char *> keys);

  // Null when the key is absent or null.
  const Json *find(const char *key) const;
  std::string where(const char *key) const;
  [[noreturn]] void fail(const char *key, const std::string &message) const;

  char *text(const char *key) const;     // a heap string (StringSet), or null
  dword dword32(const char *key) const;  // 0 ... 4294967295, or "0x..." text
  int int32(const char *key) const;
  int64 unsigned64(const char *key) const;  // also "0x..." text
  bool flag(const char *key) const;         // true/false or 1/0
  // A number or one of the names (the value is the name's index).
  int enumeration(const char *key, const std::vector<const char *> &names) const;
  // A packed release time stamp, or "YYYY-MM-DD HH:MM:SS" from 2000 on.
  dword timeStamp(const char *key) const;
  // One number of an array, at the place where.
  static dword Dword32(const Json &value, const std::string &where);

  // The array under the key (empty when absent); a count key given beside
  // it must agree with the array's length.
  const Json &array(const char *key, const char *countKey) const;

 private:
  uint64_t number(const char *key, int64_t low, uint64_t high) const;
  static uint64_t Number(const Json *value, const std::string &where, int64_t low, uint64_t high);
  const Json &object_;
  std::string path_;
};

}  // namespace vdtool
