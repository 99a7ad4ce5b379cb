// Setup_Fonts.cpp - writes the ten fonts into "/ProgramFiles/Settings/Fonts"; a font that is
// already there stays as it is.
#include "Payloads.h"
#include "Setup.h"

namespace {  // file-local record type (static cannot apply to a type)
struct FontPayload {
  const char *FileName;
  const byte *Data;
  const int32_t *Size;
};
}  // namespace

// In the order in which they are written.
static const FontPayload kFonts[] = {
    {"Arial_12B.ufnt", _Arial_12B_Bitmap, &_Arial_12B_Size},
    {"Arial_14.ufnt", _Arial_14_Bitmap, &_Arial_14_Size},
    {"Calibri_10.ufnt", _Calibri_10_Bitmap, &_Calibri_10_Size},
    {"Calibri_12.ufnt", _Calibri_12_Bitmap, &_Calibri_12_Size},
    {"Calibri_14.ufnt", _Calibri_14_Bitmap, &_Calibri_14_Size},
    {"Calibri_16.ufnt", _Calibri_16_Bitmap, &_Calibri_16_Size},
    {"Calibri_18.ufnt", _Calibri_18_Bitmap, &_Calibri_18_Size},
    {"Calibri_20.ufnt", _Calibri_20_Bitmap, &_Calibri_20_Size},
    {"Calibri_20B.ufnt", _Calibri_20B_Bitmap, &_Calibri_20B_Size},
    {"Courier_New_13.ufnt", _Courier_New_13_Bitmap, &_Courier_New_13_Size},
};

// Creates the folder below the current one unless it exists, and enters it.
static bool EnterFolder(const char *name) {
  if (!TAP_Hdd_Exist(name)) TAP_Hdd_Create(name, ATTR_FOLDER);
  return HDD_ChangeDir(name);
}

void CreateFontFile(const char *FileName, const byte *FontData, int DataSize) {
  CallTraceEnter("CreateFontFile");
  if (FileName != nullptr && !TAP_Hdd_Exist(FileName)) WritePayloadFile(FileName, FontData, DataSize);
  CallTraceExit(nullptr);
}

void InstallFonts(void) {
  CallTraceEnter("InstallFonts");
  // No font goes anywhere but into the font folder.
  bool entered = HDD_ChangeDir("/ProgramFiles") && EnterFolder("Settings") && EnterFolder("Fonts");
  for (const FontPayload &font : kFonts) {
    if (entered)
      CreateFontFile(font.FileName, font.Data, *font.Size);
    else
      ReportPayloadFailure("/ProgramFiles/Settings/Fonts", font.FileName, "cannot enter the folder");
  }
  CallTraceExit(nullptr);
}
