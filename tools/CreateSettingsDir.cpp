// CreateSettingsDir.cpp - makes sure that the update manager's settings folder exists.
#include "Tools.h"

void CreateSettingsDir(void) {
  CallTraceEnter("CreateSettingsDir");
  bool pushed = HDD_TAP_PushDir();
  HDD_ChangeDir("/ProgramFiles");
  if (!TAP_Hdd_Exist("Settings")) TAP_Hdd_Create("Settings", ATTR_FOLDER);
  HDD_ChangeDir("Settings");
  if (!TAP_Hdd_Exist("Vantero")) {
    WriteLog("Vantero", "Created Vantero settings folder");
    TAP_Hdd_Create("Vantero", ATTR_FOLDER);
  }
  if (pushed) HDD_TAP_PopDir();
  CallTraceExit(nullptr);
}
