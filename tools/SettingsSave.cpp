// SettingsSave.cpp - writing "Vantero.settings" in format 11: numbers and
// bools as 4-byte little-endian values, strings with a length in front.  The
// file replaces the old one in one step, so a shorter file leaves no stale
// tail and a power cut leaves the old or the new settings.
#include "ToolsInternal.h"

static void WriteBool(tByteWriter *w, bool value) { WriterDword(w, value ? 1 : 0); }

static void WriteMasterList(tByteWriter *w, const tMasterList *entry) {
  WriterDword(w, entry->TAPID);
  WriterString(w, entry->VPDURL);
  WriterString(w, entry->Name);
  WriterString(w, entry->Author);
  WriterDword(w, entry->TopfieldEuropeTimeStamp);
  WriterDword(w, (dword)entry->NotificationFlag);
  WriterDword(w, entry->AckTime);
  WriteBool(w, entry->NotifyMe);
  WriterDword(w, entry->Category);
  WriterDword(w, entry->VPDTimeStamp);
}

static void WriteSettings(tByteWriter *w, const tSettings *s) {
  int passwords = s->AlphaPasswords != nullptr && s->NrOfAlphaPasswords > 0 ? s->NrOfAlphaPasswords : 0;
  int entries = s->MasterList != nullptr && s->NrOfMasterListEntries > 0 ? s->NrOfMasterListEntries : 0;
  WriterDword(w, (dword)s->SettingsFormat);
  WriteBool(w, s->AutoUpdateChecks);
  WriteBool(w, s->BetaVersions);
  WriteBool(w, s->InstallerTestVersions);
  WriterDword(w, (dword)passwords);
  for (int i = 0; i < passwords; i++) WriterInt64(w, s->AlphaPasswords[i]);
  WriterDword(w, (dword)entries);
  for (int i = 0; i < entries; i++) WriteMasterList(w, &s->MasterList[i]);
  WriteBool(w, s->DisplayNewMessage);
  WriteBool(w, s->DisplayRevokedMessage);
  WriterDword(w, s->AckTime);
  WriterDword(w, s->StartupDelay);
  WriteBool(w, s->ConductorMenu);
  WriterDword(w, (dword)s->OverviewWindowMode);
  WriteBool(w, s->AutoStopVPD);
  WriteBool(w, s->TSRMode);
  WriterDword(w, (dword)s->InventoryDump);
}

bool SettingsSave(void) {
  CallTraceEnter("SettingsSave");
  if (SettingsUnread) {
    // Defaults stand in for a file that memory did not let us read.
    LogVantero("Settings not saved: the settings file was not read");
    CallTraceExit(nullptr);
    return false;
  }
  Settings.SettingsFormat = SETTINGS_FORMAT;
  tByteWriter w;
  WriterInit(&w);
  WriteSettings(&w, &Settings);
  bool saved = WriterSave(&w, SETTINGS_FILE_NAME);
  if (!saved) LogVantero("Failed to write settings file");
  CallTraceExit(nullptr);
  return saved;
}
