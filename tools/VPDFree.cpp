// VPDFree.cpp - releasing everything a package record owns.
#include <string.h>

#include "ToolsInternal.h"

static void FreeFiles(tVPDVersion *version) {
  for (int i = 0; version->Files != nullptr && i < version->NrOfFiles; i++) {
    tVPDFiles *file = &version->Files[i];
    StringClear(&file->FileName);
    StringClear(&file->CurrentName);
    StringClear(&file->DefaultPath);
    StringClear(&file->CurrentPath);
  }
  TAP_MemFree(version->Files);
  version->Files = nullptr;
}

static void FreeVersion(tVPDVersion *version) {
  FreeFiles(version);
  StringClear(&version->Version);
  StringClear(&version->ReleaseNotes);
  StringClear(&version->RootDir);
  TAP_MemFree(version->Dependencies);
  version->Dependencies = nullptr;
}

void VPDFree(tVPD *vpd) {
  CallTraceEnter("VPDFree");
  if (vpd != nullptr) {
    for (int i = 0; vpd->Versions != nullptr && i < vpd->NrOfVersions; i++) FreeVersion(&vpd->Versions[i]);
    char **strings[] = {&vpd->DBMagic,        &vpd->TAPName,        &vpd->TAPAuthor,
                        &vpd->DE_Description, &vpd->EN_Description, &vpd->URL,
                        &vpd->PasswdMD5,      &vpd->ScreenShotFile, &vpd->Homepage};
    for (char **field : strings) StringClear(field);
    TAP_MemFree(vpd->Screenshot);
    TAP_MemFree(vpd->Versions);
    memset(vpd, 0, sizeof *vpd);
  }
  CallTraceExit(nullptr);
}
