// isUTFToppy.cpp - does the running firmware keep its file names and texts
// in UTF-8?  Only firmware that does carries Appl_ConvertToValidUTF8Str.
// The answer cannot change while the TAP runs, so it is looked up once.
#include "Kalib.h"

static bool UTFToppyFirstCall = true;
static bool UTFToppy = false;

extern "C" bool isUTFToppy(void) {
  if (UTFToppyFirstCall) {
    UTFToppy = FIS_fwAppl_ConvertToValidUTF8Str() != nullptr;
    UTFToppyFirstCall = false;
  }
  return UTFToppy;
}
