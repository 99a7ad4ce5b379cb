// Now.cpp - the firmware's present date and time, packed as MJD << 16 | hour << 8 | minute.
#include "Kalib.h"

dword Now(byte *sec) {
  word mjd = 0;
  byte hour = 0, minute = 0, scratch = 0;
  TAP_GetTime(&mjd, &hour, &minute, sec != nullptr ? sec : &scratch);
  return ((dword)mjd << 16) | ((dword)hour << 8) | minute;
}
