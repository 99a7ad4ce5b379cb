// Json.h - the records of the data files as JSON, both ways.  Keys are the
// records' field names; numbers are JSON numbers, bools JSON bools, absent
// strings null; texts are shown as the box's screen shows them (see
// OsdText); the screenshot is base64.
#pragma once

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

#include "Tools.h"

namespace vdtool {

using Json = nlohmann::ordered_json;

// A problem with the input, with the place it was found ("Versions[1].Files[0].Size: ...").
struct InputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A text as the box's text renderer shows it: a text in a single-byte
// character set (no UTF-8 in it) is converted to UTF-8 with StrToUTF8 and
// the default table 9; UTF-8 stays as it is.  Null for null.
Json OsdText(const char *text);
// Sets json[key] to OsdText(text); when that is not the text's own bytes
// (ISO 8859 or mixed), json[key + "Bytes"] keeps them in base64, so that
// make-vpd stores the very bytes again.
void PutText(Json &json, const char *key, const char *text);

std::string Base64Encode(const byte *data, size_t size);
// False for anything but base64 (padding optional, no blanks).
bool Base64Decode(const std::string &text, std::string &data);

Json PackageToJson(const tVPD &vpd);
// Fills an empty record (heap strings and arrays, to be released with
// VPDFree) from JSON; throws InputError.
void JsonToPackage(const Json &json, tVPD &vpd);

Json SettingsToJson(const tSettings &settings);
Json InventoryToJson(const tTAPsOnBoard *entries, int count);

}  // namespace vdtool
