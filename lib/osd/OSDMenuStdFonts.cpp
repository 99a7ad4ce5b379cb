// OSDMenuStdFonts.cpp - the toolkit's standard font set.  The fonts stay
// loaded while any toolkit widget is open and go when the last one closes.
#include "Kalib.h"
#include "OSDMenuBox.h"

tUCFont OSDMenuFont_10;
tUCFont OSDMenuFont_12;
tUCFont OSDMenuFont_14;
tUCFont OSDMenuFont_16;
tUCFont OSDMenuFont_18;
tUCFont OSDMenuFont_20;
tUCFont OSDMenuFont_20B;

namespace {  // file-local record type (static cannot apply to a type)
struct StdFont {
  const char *FileName;
  tUCFont *Font;
};
}  // namespace

/* Load and free order. */
static const StdFont StdFonts[] = {
    {"Calibri_10.ufnt", &OSDMenuFont_10},   {"Calibri_12.ufnt", &OSDMenuFont_12},
    {"Calibri_14.ufnt", &OSDMenuFont_14},   {"Calibri_16.ufnt", &OSDMenuFont_16},
    {"Calibri_18.ufnt", &OSDMenuFont_18},   {"Calibri_20.ufnt", &OSDMenuFont_20},
    {"Calibri_20B.ufnt", &OSDMenuFont_20B},
};

void OSDMenuLoadStdFonts(void) {
  /* A record whose handle is set is loaded, or failed (-1) and is not tried
   * again until it has been freed. */
  for (const StdFont &f : StdFonts)
    if (f.Font->FileHandle == 0) FMUC_LoadFontFile(f.FileName, f.Font);
}

void OSDMenuFreeStdFonts(void) {
  if (OSDMenuAnyRegionOpen()) return;
  for (const StdFont &f : StdFonts) FMUC_FreeFontFile(f.Font);
}
