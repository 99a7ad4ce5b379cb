// Settings.cpp - the manager's settings record: its defaults and the release
// of its two lists.
#include <string.h>

#include "ToolsInternal.h"

tSettings Settings;

void SettingsFree(void) {
  CallTraceEnter("SettingsFree");
  for (int i = 0; Settings.MasterList != nullptr && i < Settings.NrOfMasterListEntries; i++) {
    tMasterList *entry = &Settings.MasterList[i];
    StringClear(&entry->VPDURL);
    StringClear(&entry->Name);
    StringClear(&entry->Author);
  }
  TAP_MemFree(Settings.MasterList);
  TAP_MemFree(Settings.AlphaPasswords);
  Settings.MasterList = nullptr;
  Settings.AlphaPasswords = nullptr;
  Settings.NrOfMasterListEntries = 0;
  Settings.NrOfAlphaPasswords = 0;
  CallTraceExit(nullptr);
}

void SettingsDefault(void) {
  CallTraceEnter("SettingsDefault");
  SettingsFree();
  memset(&Settings, 0, sizeof Settings);
  Settings.SettingsFormat = SETTINGS_FORMAT;
  Settings.AutoUpdateChecks = true;
  Settings.StartupDelay = 10;
  Settings.OverviewWindowMode = OWM_Linear;
  Settings.TSRMode = true;
  CallTraceExit(nullptr);
}
