// FirmwareServices.cpp - small firmware internals: time conversion, the MAC address from the
// EEPROM and the UTF-8 repair routine of a UTF-8 firmware.
#include "FirmwareFunctions.h"
#include "Runtime.h"

using namespace pvrsim::core;

// Packed firmware time (bits 31-16 MJD, 15-8 hour, 7-0 minute) to seconds
// since 1970; the firmware time counts as UTC.  Times before 1970 give 0.
extern "C" __attribute__((visibility("default"))) dword PvrTimeToLinux(dword packed) {
  int64_t mjd = packed >> 16;
  int64_t seconds =
      (mjd - kMjdOfUnixEpoch) * 86400 + int64_t{(packed >> 8) & 0xFF} * 3600 + int64_t{packed & 0xFF} * 60;
  return seconds < 0 ? 0 : static_cast<dword>(seconds);
}

// Stores a pointer to the six MAC bytes; the scratch value is not used.
extern "C" __attribute__((visibility("default"))) void DevEeprom_GetMacAddr(byte **out, void *scratch8) {
  (void)scratch8;
  if (out) *out = rt().options.macAddress;
}

namespace {
// Length of the valid UTF-8 sequence at p (at most avail bytes), 0 when invalid.
int validSequence(const unsigned char *p, int avail) {
  unsigned char c = p[0];
  int len;
  unsigned lowest;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0)
    len = 2, lowest = 0x80;
  else if ((c & 0xF0) == 0xE0)
    len = 3, lowest = 0x800;
  else if ((c & 0xF8) == 0xF0)
    len = 4, lowest = 0x10000;
  else
    return 0;
  if (len > avail) return 0;
  unsigned code = c & (0x7F >> len);
  for (int i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    code = code << 6 | (p[i] & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return len;
}
}  // namespace

// Replaces every byte that does not belong to a valid UTF-8 sequence with
// '?', within size bytes or up to the terminator; returns the replacements.
int Appl_ConvertToValidUTF8Str(unsigned char *text, int size) {
  if (!text) return 0;
  int end = 0;
  while (end < size && text[end]) ++end;
  int replaced = 0;
  for (int i = 0; i < end;) {
    int len = validSequence(text + i, end - i);
    if (len == 0) {
      text[i++] = '?';
      ++replaced;
    } else {
      i += len;
    }
  }
  return replaced;
}
