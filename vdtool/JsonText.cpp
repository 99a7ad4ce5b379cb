// JsonText.cpp - texts as the box's screen shows them, and base64 for the
// screenshot's bytes.
#include <vector>

#include "Json.h"

namespace vdtool {

Json OsdText(const char *text) {
  if (text == nullptr) return nullptr;
  bool hasAnsi = false, hasUTF = false;
  GetStringEncoding(text, &hasAnsi, &hasUTF);
  if (!hasAnsi) return std::string(text);
  if (hasUTF) {
    // Mixed: the renderer takes each valid UTF-8 sequence as it is and any
    // other byte as the character of that number (ISO 8859-1).
    std::string shown;
    for (const byte *p = reinterpret_cast<const byte *>(text); *p != 0;) {
      byte length = 1, out[5] = {0};
      dword unicode = UTF8ToUTF32(p, &length);
      UTF32ToUTF8(unicode, out, nullptr);
      shown += reinterpret_cast<const char *>(out);
      p += length;
    }
    return shown;
  }
  // Three bytes per source byte at most, as the renderer allows for.
  std::vector<char> utf8(4 * strlen(text) + 20, '\0');
  StrToUTF8Sized(text, utf8.data(), dword(utf8.size()), 9);
  return std::string(utf8.data());
}

void PutText(Json &json, const char *key, const char *text) {
  Json shown = OsdText(text);
  json[key] = shown;
  if (text != nullptr && shown.get_ref<const std::string &>() != text)
    json[std::string(key) + "Bytes"] = Base64Encode(reinterpret_cast<const byte *>(text), strlen(text));
}

namespace {
const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
  const char *p = c != '\0' ? strchr(Alphabet, c) : nullptr;
  return p != nullptr ? static_cast<int>(p - Alphabet) : -1;
}
}  // namespace

std::string Base64Encode(const byte *data, size_t size) {
  std::string out;
  for (size_t i = 0; i < size; i += 3) {
    uint32_t group = static_cast<uint32_t>(data[i]) << 16;
    if (i + 1 < size) group |= static_cast<uint32_t>(data[i + 1]) << 8;
    if (i + 2 < size) group |= data[i + 2];
    out += Alphabet[group >> 18 & 63];
    out += Alphabet[group >> 12 & 63];
    out += i + 1 < size ? Alphabet[group >> 6 & 63] : '=';
    out += i + 2 < size ? Alphabet[group & 63] : '=';
  }
  return out;
}

bool Base64Decode(const std::string &text, std::string &data) {
  data.clear();
  size_t length = text.size();
  while (length > 0 && text[length - 1] == '=') length--;
  if (text.size() - length > 2 || length % 4 == 1) return false;
  uint32_t group = 0;
  int bits = 0;
  for (size_t i = 0; i < length; i++) {
    int value = Sextet(text[i]);
    if (value < 0) return false;
    group = group << 6 | static_cast<uint32_t>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      data += static_cast<char>(group >> bits & 0xFF);
    }
  }
  return true;
}

}  // namespace vdtool
