// Mjd.cpp - calendar arithmetic of the firmware clock: Modified Julian Dates (MJD 0 =
// 1858-11-17), the split into year, month, day and weekday, and the local
// time TAP_GetTime reports.
//
// Weekdays count as the firmware gives them: 0 = Monday ... 6 = Sunday.
#include "Runtime.h"

namespace pvrsim::core {

namespace {
int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
}  // namespace

// Proleptic Gregorian calendar; the year starts in March internally so that
// the leap day comes last.
int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2;
  const int64_t era = floorDiv(year, 400);
  const int64_t yoe = year - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t days, int &year, int &month, int &day) {
  days += 719468;
  const int64_t era = floorDiv(days, 146097);
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

dword firmwareTime(int64_t unixSeconds) {
  int64_t days = floorDiv(unixSeconds, 86400);
  int64_t secondOfDay = unixSeconds - days * 86400;
  int64_t mjd = days + kMjdOfUnixEpoch;
  if (mjd < 0) return 0;
  if (mjd > 0xFFFF) mjd = 0xFFFF;
  return static_cast<dword>(mjd) << 16 | static_cast<dword>(secondOfDay / 3600) << 8 |
         static_cast<dword>(secondOfDay % 3600 / 60);
}

}  // namespace pvrsim::core

using namespace pvrsim::core;

// Month 0 is December of the year before and day 0 the last day of the month
// before, so dates read from sloppy text still give a number; dates before
// MJD 0 give 0.
extern "C" dword TAP_MakeMjd(word year, byte month, byte day) {
  int64_t months = static_cast<int64_t>(year) * 12 + month - 1;
  int64_t y = floorDiv(months, 12);
  int m = static_cast<int>(months - y * 12) + 1;
  int64_t mjd = daysFromCivil(y, m, 1) + day - 1 + kMjdOfUnixEpoch;
  return mjd < 0 ? 0 : static_cast<dword>(mjd);
}

extern "C" void TAP_ExtractMjd(word mjd, word *year, byte *month, byte *day, byte *weekDay) {
  int y, m, d;
  civilFromDays(static_cast<int64_t>(mjd) - kMjdOfUnixEpoch, y, m, d);
  if (year) *year = static_cast<word>(y);
  if (month) *month = static_cast<byte>(m);
  if (day) *day = static_cast<byte>(d);
  if (weekDay) *weekDay = static_cast<byte>((mjd + 2) % 7);  // MJD 0 was a Wednesday
}

extern "C" int TAP_GetTime(word *mjd, byte *hour, byte *min, byte *sec) {
  int64_t now = wallSeconds();
  int64_t days = floorDiv(now, 86400);
  int64_t secondOfDay = now - days * 86400;
  if (mjd) *mjd = static_cast<word>(days + kMjdOfUnixEpoch);
  if (hour) *hour = static_cast<byte>(secondOfDay / 3600);
  if (min) *min = static_cast<byte>(secondOfDay % 3600 / 60);
  if (sec) *sec = static_cast<byte>(secondOfDay % 60);
  return 0;
}
