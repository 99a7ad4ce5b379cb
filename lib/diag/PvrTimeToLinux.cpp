// PvrTimeToLinux.cpp - packed firmware date and time to Linux time, by the firmware's own routine.
#include "Kalib.h"

// What callers get when the firmware lacks the conversion.
static const dword kNoConversion = 0xFE00;

dword PvrTimeToLinux(dword pvrTime) {
  typedef dword (*TimeToLinuxFn)(dword);
  TimeToLinuxFn convert = (TimeToLinuxFn)FIS_fwTimeToLinux();
  return convert != nullptr ? convert(pvrTime) : kNoConversion;
}
