// Setup_Language.cpp - writes the language file into the manager's settings folder; always
// replaced, so that the texts match this installer.
#include "Payloads.h"
#include "Setup.h"

void InstallLanguage(void) {
  CallTraceEnter("InstallLanguage");
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR))
    WritePayloadFile("Vantero.lng", _VanteroLng_Bitmap, _VanteroLng_Size);
  else
    ReportPayloadFailure(VANTERO_SETTINGS_DIR, "Vantero.lng", "cannot enter the folder");
  CallTraceExit(nullptr);
}
