// SettingsLoad.cpp - reading "Vantero.settings" of any format from 1 to 11;
// items that an older format lacks are 0, and the two enumerations get a
// known value (an unknown one is read as the first), so no menu ever works
// with a mode it does not have.
//
// The file is taken apart into a separate record, which replaces Settings
// only when the whole file was read.  A file that cannot be used (newer
// format, damaged) is kept beside the new default file under a telling name
// that no earlier copy holds before the defaults are written, so a downgrade
// or a damaged disk loses nothing.  A file that could not be read at all
// (open or read failed, or memory ran out) is not damaged, and one that could not be
// kept must not be lost: both stay as they are, and the run goes on with the
// defaults without ever saving over them.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

static bool ReadBool(tByteReader *r) { return ReaderDword(r) != 0; }

// Smallest master-list record of the format (all strings empty).
static dword MasterListMinSize(int format) { return format >= 8 ? 40 : format >= 7 ? 36 : 32; }

static void ReadMasterList(tByteReader *r, int format, tMasterList *entry) {
  entry->TAPID = ReaderDword(r);
  entry->VPDURL = ReaderString(r);
  entry->Name = ReaderString(r);
  entry->Author = ReaderString(r);
  // Older files may hold longer texts than a screen line; they are cut as
  // a newly added package's are.
  StringSetCut(&entry->VPDURL, entry->VPDURL, MASTERLIST_URL_MAX);
  StringSetCut(&entry->Name, entry->Name, MASTERLIST_TEXT_MAX);
  StringSetCut(&entry->Author, entry->Author, MASTERLIST_TEXT_MAX);
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

bool SettingsSaveBlocked = false;

// Copies kept of one kind: keepName, then keepName with ".2" to ".9".
static const int KeptCopies = 9;

// Moves the settings file to keepName, or to the first of its numbered
// names that nothing in the settings folder holds yet.
static bool KeepSettingsFile(const char *keepName) {
  char from[KALIB_PATH_MAX];
  char to[KALIB_PATH_MAX];
  char name[64];
  snprintf(from, sizeof from, "/mnt/hd%s/%s", VANTERO_SETTINGS_DIR, SETTINGS_FILE_NAME);
  for (int copy = 1; copy <= KeptCopies; copy++) {
    int length = copy == 1 ? snprintf(name, sizeof name, "%s", keepName)
                           : snprintf(name, sizeof name, "%s.%d", keepName, copy);
    if (length < 0 || length >= (int)sizeof name || TAP_Hdd_Exist(name)) continue;
    length = snprintf(to, sizeof to, "/mnt/hd%s/%s", VANTERO_SETTINGS_DIR, name);
    if (length < 0 || length >= (int)sizeof to || rename(from, to) != 0) break;
    LogVantero("Kept the old settings file as '%s'", name);
    return true;
  }
  LogVantero("The old settings file could not be kept as '%s'; it stays and is not saved over", keepName);
  return false;
}

// Defaults instead of the file, which is kept as keepName (null: there is
// nothing to keep) before the defaults are written.  A file that cannot be
// kept blocks every save of this run.
static void UseDefaults(const char *keepName) {
  bool mayWrite = keepName == nullptr || KeepSettingsFile(keepName);
  SettingsDefault();
  SettingsSaveBlocked = !mayWrite;
  SettingsUnsaved = !mayWrite;
  if (mayWrite) SettingsSave();
}

typedef enum { SR_Read, SR_Unusable, SR_Unreadable, SR_NoMemory } tSettingsRead;

// Whether the file could be read and used; on SR_Read the record holds the
// file's items.  *newer tells a newer format from a damaged file.
static tSettingsRead ReadSettingsFile(tSettings *s, bool *newer) {
  byte *data = nullptr;
  dword size = 0;
  *newer = false;
  tReadFileResult result = ReadWholeFile(SETTINGS_FILE_NAME, &data, &size);
  if (result == RF_Missing || result == RF_ReadError) return SR_Unreadable;
  if (result == RF_NoMemory) return SR_NoMemory;
  if (result != RF_Ok) size = 0;
  tByteReader r;
  ReaderInit(&r, data, size);
  s->SettingsFormat = (int)ReaderDword(&r);
  if (!r.Failed && s->SettingsFormat > SETTINGS_FORMAT) {
    *newer = true;
  } else if (!r.Failed && s->SettingsFormat >= 1) {
    ReadItems(&r, s);
  }
  TAP_MemFree(data);
  if (r.NoMemory) return SR_NoMemory;
  return r.Failed || *newer || s->SettingsFormat < 1 ? SR_Unusable : SR_Read;
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
  bool newer = false;
  tSettingsRead read = ReadSettingsFile(&loaded, &newer);
  if (read == SR_Unreadable || read == SR_NoMemory) {
    // Neither is a damaged file: it stays, and the defaults are never saved over it.
    if (read == SR_NoMemory)
      LogVantero("Settings file not read for lack of memory, using default values");
    else
      LogVantero("Settings file cannot be read, using default values; it stays and is not saved over");
    FreeRecord(&loaded);
    SettingsDefault();
    SettingsSaveBlocked = true;
    SettingsUnsaved = true;
    return false;
  }
  int format = loaded.SettingsFormat;
  if (read == SR_Unusable) {
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
  if (format < SETTINGS_FORMAT)
    LogVantero("Settings successfully migrated from V%d to V%d", format, SETTINGS_FORMAT);
  return true;
}

bool SettingsLoad(void) {
  CallTraceEnter("SettingsLoad");
  tWorkDir saved = WorkDirSave();
  bool loaded = false;
  SettingsSaveBlocked = false;
  SettingsUnsaved = false;
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) {
    loaded = LoadFromSettingsDir();
  } else {
    LogVantero("Settings file not found, using default values");
    UseDefaults(nullptr);
  }
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
  return loaded;
}
