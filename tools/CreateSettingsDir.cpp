// CreateSettingsDir.cpp - makes sure that the update manager's settings folder exists.
#include "Tools.h"

void CreateSettingsDir(void) {
  CallTraceEnter("CreateSettingsDir");
  tWorkDir saved = WorkDirSave();
  HDD_ChangeDir("/ProgramFiles");
  if (!TAP_Hdd_Exist("Settings")) TAP_Hdd_Create("Settings", ATTR_FOLDER);
  HDD_ChangeDir("Settings");
  if (!TAP_Hdd_Exist("Vantero")) {
    WriteLog("Vantero", "Created Vantero settings folder");
    TAP_Hdd_Create("Vantero", ATTR_FOLDER);
  }
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
}
