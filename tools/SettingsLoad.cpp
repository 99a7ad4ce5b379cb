// SettingsLoad.cpp - reading "Vantero.settings" of any format from 1 to 11;
// items that an older format lacks are 0, and the two enumerations get a
// known value (an unknown one is read as the first), so no menu ever works
// with a mode it does not have.
//
// The file is taken apart into a separate record, which replaces Settings
// only when the whole file was read.  A file that cannot be used (newer
// format, damaged) is kept beside the new default file under a telling name
// before the defaults are written, so a downgrade or a damaged disk loses
// nothing; when it cannot be kept, the defaults are used without writing.
// A file that could not be read for lack of memory is neither: it stays as
// it is, the defaults are used, and SettingsSave leaves the file alone
// until it has been read.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

bool SettingsUnread = false;

static bool ReadBool(tByteReader *r) { return ReaderDword(r) != 0; }

// Smallest master-list record of the format (all strings empty).
static dword MasterListMinSize(int format) { return format >= 8 ? 40 : format >= 7 ? 36 : 32; }

static void ReadMasterList(tByteReader *r, int format, tMasterList *entry) {
  entry->TAPID = ReaderDword(r);
  entry->VPDURL = ReaderString(r);
  entry->Name = ReaderString(r);
  entry->Author = ReaderString(r);
  entry->TopfieldEuropeTimeStamp = ReaderDword(r);
  dword flag = ReaderDword(r);
  entry->NotificationFlag = flag <= NF_Revoked ? (tNotificationFlag)flag : NF_None;
  entry->AckTime = ReaderDword(r);
  entry->NotifyMe = ReadBool(r);
  if (format >= 7) entry->Category = ReaderDword(r);
  if (format >= 8) entry->VPDTimeStamp = ReaderDword(r);
}

static void ReadLists(tByteReader *r, tSettings *s) {
  int passwords = ReaderCount(r, 8);
  s->AlphaPasswords = (int64 *)ReaderAllocate(r, (dword)passwords, sizeof(int64));
  if (s->AlphaPasswords != nullptr) s->NrOfAlphaPasswords = passwords;
  for (int i = 0; i < s->NrOfAlphaPasswords; i++) s->AlphaPasswords[i] = ReaderInt64(r);

  int entries = ReaderCount(r, MasterListMinSize(s->SettingsFormat));
  s->MasterList = (tMasterList *)ReaderAllocate(r, (dword)entries, sizeof(tMasterList));
  if (s->MasterList != nullptr) s->NrOfMasterListEntries = entries;
  for (int i = 0; i < s->NrOfMasterListEntries && !r->Failed; i++)
    ReadMasterList(r, s->SettingsFormat, &s->MasterList[i]);
}

// The items after SettingsFormat, as far as the format has them.
static void ReadItems(tByteReader *r, tSettings *s) {
  int format = s->SettingsFormat;
  s->AutoUpdateChecks = ReadBool(r);
  s->BetaVersions = ReadBool(r);
  s->InstallerTestVersions = ReadBool(r);
  ReadLists(r, s);
  s->DisplayNewMessage = ReadBool(r);
  s->DisplayRevokedMessage = ReadBool(r);
  if (format >= 9) s->AckTime = ReaderDword(r);
  if (format >= 4) s->StartupDelay = ReaderDword(r);
  if (format >= 5) s->ConductorMenu = ReadBool(r);
  if (format >= 6) {
    dword mode = ReaderDword(r);
    s->OverviewWindowMode = mode < OWM_LAST ? (tOverviewWindowMode)mode : OWM_Linear;
  }
  if (format >= 9) s->AutoStopVPD = ReadBool(r);
  if (format >= 10) s->TSRMode = ReadBool(r);
  if (format >= 11) s->InventoryDump = (int)ReaderDword(r);
}

// Moves the settings file to keepName in the settings folder.
static bool KeepSettingsFile(const char *keepName) {
  char from[KALIB_PATH_MAX];
  char to[KALIB_PATH_MAX];
  snprintf(from, sizeof from, "/mnt/hd%s/%s", VANTERO_SETTINGS_DIR, SETTINGS_FILE_NAME);
  int length = snprintf(to, sizeof to, "/mnt/hd%s/%s", VANTERO_SETTINGS_DIR, keepName);
  if (length < 0 || length >= (int)sizeof to || rename(from, to) != 0) return false;
  LogVantero("Kept the old settings file as '%s'", keepName);
  return true;
}

// Defaults instead of the file, which is kept as keepName (null: there is
// nothing to keep) before the defaults are written.
static void UseDefaults(const char *keepName) {
  bool mayWrite = keepName == nullptr || KeepSettingsFile(keepName);
  SettingsDefault();
  if (mayWrite) SettingsSave();
}

// The file's format, or 0 when the file cannot be used (*noMemory: it was
// not read for lack of memory); on success the record holds the file's items.
static int ReadSettingsFile(tSettings *s, bool *newer, bool *noMemory) {
  byte *data = nullptr;
  dword size = 0;
  *newer = false;
  tReadFileResult read = ReadWholeFile(SETTINGS_FILE_NAME, &data, &size);
  if (read != RF_Ok) size = 0;
  tByteReader r;
  ReaderInit(&r, data, size);
  s->SettingsFormat = (int)ReaderDword(&r);
  if (!r.Failed && s->SettingsFormat > SETTINGS_FORMAT) {
    *newer = true;
  } else if (!r.Failed && s->SettingsFormat >= 1) {
    ReadItems(&r, s);
  }
  TAP_MemFree(data);
  *noMemory = read == RF_NoMemory || r.NoMemory;
  return r.Failed || *newer || s->SettingsFormat < 1 ? 0 : s->SettingsFormat;
}

// Releases the lists of a record that did not become Settings.
static void FreeRecord(tSettings *s) {
  tSettings current = Settings;
  Settings = *s;
  SettingsFree();
  Settings = current;
}

static bool LoadFromSettingsDir(void) {
  if (!TAP_Hdd_Exist(SETTINGS_FILE_NAME)) {
    LogVantero("Settings file not found, using default values");
    UseDefaults(nullptr);
    return false;
  }
  tSettings loaded;
  memset(&loaded, 0, sizeof loaded);
  bool newer = false, noMemory = false;
  int format = ReadSettingsFile(&loaded, &newer, &noMemory);
  if (format == 0 && noMemory) {
    LogVantero("Settings file not read for lack of memory, using default values");
    FreeRecord(&loaded);
    SettingsDefault();
    SettingsUnread = true;
    return false;
  }
  if (format == 0) {
    char keepName[64];
    if (newer) {
      LogVantero("Settings version mismatch (expected <= V%d, got V%d), using default values",
                 SETTINGS_FORMAT, loaded.SettingsFormat);
      snprintf(keepName, sizeof keepName, "%s.V%d", SETTINGS_FILE_NAME, loaded.SettingsFormat);
    } else {
      LogVantero("Settings file is damaged, using default values");
      snprintf(keepName, sizeof keepName, "%s.damaged", SETTINGS_FILE_NAME);
    }
    FreeRecord(&loaded);
    UseDefaults(keepName);
    return false;
  }
  SettingsFree();
  Settings = loaded;
  SettingsUnread = false;
  if (format < SETTINGS_FORMAT)
    LogVantero("Settings successfully migrated from V%d to V%d", format, SETTINGS_FORMAT);
  return true;
}

bool SettingsLoad(void) {
  CallTraceEnter("SettingsLoad");
  bool pushed = HDD_TAP_PushDir();
  bool loaded = false;
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) {
    loaded = LoadFromSettingsDir();
  } else {
    LogVantero("Settings file not found, using default values");
    UseDefaults(nullptr);
  }
  if (pushed) HDD_TAP_PopDir();
  CallTraceExit(nullptr);
  return loaded;
}
