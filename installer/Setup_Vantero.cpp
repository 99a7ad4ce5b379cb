// Setup_Vantero.cpp - writes the update manager's TAP file; always replaced.
#include "Payloads.h"
#include "Setup.h"

void InstallVantero(const char *Folder, const char *FileName) {
  CallTraceEnter("InstallVantero");
  if (HDD_ChangeDir(Folder))
    WritePayloadFile(FileName, _Vantero_Bitmap, _Vantero_Size);
  else
    ReportPayloadFailure(Folder, FileName, "cannot enter the folder");
  CallTraceExit(nullptr);
}
