// FMUC_IsDiacriticalMark.cpp - marks drawn over the preceding character without an advance of their own.
#include "Kalib.h"

bool FMUC_IsDiacriticalMark(dword Unicode) {
  if (Unicode >= 0x0300 && Unicode <= 0x036F) return TRUE;  // combining diacritical marks
  if (Unicode >= 0x0E34 && Unicode <= 0x0E3A) return TRUE;  // Thai vowel marks
  if (Unicode >= 0x0E47 && Unicode <= 0x0E4E) return TRUE;  // Thai tone marks
  switch (Unicode) {
    case 0x00A8:
    case 0x00B4:
    case 0x00B8:
    case 0x0384:
    case 0x0385:
    case 0x0E31:
      return TRUE;
    default:
      return FALSE;
  }
}
