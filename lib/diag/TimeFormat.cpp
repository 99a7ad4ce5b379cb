// TimeFormat.cpp - formats a packed firmware date and time in one of the time-stamp styles.
#include <stdio.h>

#include "Kalib.h"

// The callers' result buffers hold at least this many bytes.
static const size_t kResultSize = 40;

char *TimeFormat(dword dateTime, byte sec, tTimeStampStyle style, char *result) {
  if (result == nullptr) return nullptr;
  word mjd = (word)(dateTime >> 16);
  word year = 0;
  byte month = 0, day = 0, weekDay = 0;
  if (mjd != 0) TAP_ExtractMjd(mjd, &year, &month, &day, &weekDay);
  int hour = (dateTime >> 8) & 0xFF, minute = dateTime & 0xFF;

  switch (style) {
    case TIMESTAMP_HM:
      snprintf(result, kResultSize, "%02d:%02d", hour, minute);
      break;
    case TIMESTAMP_HMS:
      snprintf(result, kResultSize, "%02d:%02d:%02d", hour, minute, sec);
      break;
    case TIMESTAMP_YMD:
      snprintf(result, kResultSize, "%02d-%02d-%02d", year, month, day);
      break;
    case TIMESTAMP_YMDHM:
      snprintf(result, kResultSize, "%04d-%02d-%02d %02d:%02d", year, month, day, hour, minute);
      break;
    case TIMESTAMP_YMDHMS:
      snprintf(result, kResultSize, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, sec);
      break;
    case TIMESTAMP_FNYMDHM:
      snprintf(result, kResultSize, "%04d%02d%02d_%02d%02d", year, month, day, hour, minute);
      break;
    default:
      result[0] = '\0';
      break;
  }
  return result;
}
