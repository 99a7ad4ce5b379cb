// ManagerStart.cpp - what the manager does when it starts: its texts and
// settings, the package files it finds in its settings folder (each adds
// its TAP to the master list), the on-board inventory and the TAP cache.
// A damaged or missing file is logged by its loader and the start goes on
// with what could be read.
#include <stdio.h>
#include <string.h>

#include "Manager.h"

int ManagerMasterIndex(dword tapId) {
  for (int i = 0; i < Settings.NrOfMasterListEntries && Settings.MasterList != nullptr; i++)
    if (Settings.MasterList[i].TAPID == tapId) return i;
  return -1;
}

// Copies the package's text into the entry's field, cut to maxLength;
// false when the copy could not be allocated (the field stays null).
static bool CopyEntryText(char **field, const char *text, dword maxLength) {
  StringSetCut(field, text, maxLength);
  return text == nullptr || *field != nullptr;
}

// Fills the new entry's texts; false, with the entry's texts released,
// when memory runs out.  An entry without its name or address would be
// saved with the settings and never be filled in again, since a package
// already in the master list is not added anew.
static bool SetEntryTexts(tMasterList *m, const tVPD *vpd) {
  if (CopyEntryText(&m->Name, vpd->TAPName, MASTERLIST_TEXT_MAX) &&
      CopyEntryText(&m->Author, vpd->TAPAuthor, MASTERLIST_TEXT_MAX) &&
      CopyEntryText(&m->VPDURL, vpd->URL, MASTERLIST_URL_MAX))
    return true;
  StringClear(&m->Name);
  StringClear(&m->Author);
  StringClear(&m->VPDURL);
  return false;
}

// Appends an entry for the package; false when memory runs out or the list
// is full.  Of the package's texts only what a screen line (or a path) can
// show is kept, so that any number of packages leaves settings the writer
// can write.
static bool AppendMasterListEntry(const tVPD *vpd) {
  int count = Settings.MasterList != nullptr ? Settings.NrOfMasterListEntries : 0;
  if (count >= MASTERLIST_MAX_ENTRIES) {
    LogVantero("Package %8.8x not added: the master list holds %d TAPs", (unsigned)vpd->TAPID, count);
    return false;
  }
  tMasterList *list = (tMasterList *)TAP_MemAlloc((count + 1) * sizeof(tMasterList));
  if (list == nullptr) {
    LogVantero("Package %8.8x not added: out of memory", (unsigned)vpd->TAPID);
    return false;
  }
  if (count > 0) memcpy(list, Settings.MasterList, count * sizeof(tMasterList));
  tMasterList *m = &list[count];
  memset(m, 0, sizeof *m);
  m->TAPID = vpd->TAPID;
  if (!SetEntryTexts(m, vpd)) {
    LogVantero("Package %8.8x not added: out of memory", (unsigned)vpd->TAPID);
    TAP_MemFree(list);
    return false;
  }
  m->Category = vpd->Category;
  m->NotifyMe = TRUE;
  m->PositionInMasterList = count;
  TAP_MemFree(Settings.MasterList);
  Settings.MasterList = list;
  Settings.NrOfMasterListEntries = count + 1;
  return true;
}

// The value of a hexadecimal digit, -1 for another character.
static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The TAP ID of a package file; false unless the name is exactly the one
// VPDLoadStd opens for that ID ("XXXXXXXX.vpd", upper-case digits).
static bool PackageFileId(const char *name, dword *tapId) {
  if (strlen(name) != 12 || strcmp(name + 8, ".vpd") != 0) return false;
  dword value = 0;
  for (int i = 0; i < 8; i++) {
    int digit = HexDigit(name[i]);
    if (digit < 0) return false;
    value = value << 4 | (dword)digit;
  }
  char standard[VPD_STD_NAME_SIZE];
  VPDStdFileName(value, standard);
  if (strcmp(name, standard) != 0) return false;
  *tapId = value;
  return true;
}

// Loads the package file of a TAP the master list lacks and adds the TAP;
// true when added.
static bool AddPackage(dword tapId) {
  char name[VPD_STD_NAME_SIZE];
  VPDStdFileName(tapId, name);
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  bool added = false;
  if (!VPDLoad(&vpd, name)) {
    // VPDLoad has logged why.
  } else if (vpd.TAPID != tapId) {
    LogVantero("Package file %s ignored: it describes TAP %8.8x", name, (unsigned)vpd.TAPID);
  } else if (AppendMasterListEntry(&vpd)) {
    LogVantero("Added '%s' (%8.8x) to the master list", vpd.TAPName != nullptr ? vpd.TAPName : "",
               (unsigned)tapId);
    added = true;
  }
  VPDFree(&vpd);
  return added;
}

// What the listing of the settings folder found: the IDs of packages the
// master list lacks (every one, in a growing heap array) and the names
// that are no package's (kept for the log up to a limit).
typedef struct {
  dword *Ids;
  int Count;
  int Capacity;
  char Ignored[64][MENU_ITEM_TEXT_BYTES];
  int NrIgnored;
  int MoreIgnored;
} tPackageFiles;

static void NotePackageFile(tPackageFiles *files, const char *name) {
  dword tapId = 0;
  if (!PackageFileId(name, &tapId)) {
    // The installer's marker "<TAPID>_Installed.vpd" is no package.
    if (strstr(name, "_Installed") != nullptr) return;
    if (files->NrIgnored < 64)
      snprintf(files->Ignored[files->NrIgnored++], sizeof files->Ignored[0], "%s", name);
    else
      files->MoreIgnored++;
    return;
  }
  if (ManagerMasterIndex(tapId) >= 0) return;
  if (files->Count == files->Capacity) {
    int capacity = files->Capacity < 64 ? 64 : 2 * files->Capacity;
    dword *ids = (dword *)TAP_MemAlloc((dword)capacity * sizeof(dword));
    if (ids == nullptr) {
      LogVantero("Package file %s not added: out of memory", name);
      return;
    }
    if (files->Count > 0) memcpy(ids, files->Ids, (dword)files->Count * sizeof(dword));
    TAP_MemFree(files->Ids);
    files->Ids = ids;
    files->Capacity = capacity;
  }
  files->Ids[files->Count++] = tapId;
}

int ManagerAddPackages(void) {
  CallTraceEnter("ManagerAddPackages");
  int added = 0;
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) {
    // The listing first, every entry of it: loading a package changes the
    // folder listing's state.  Known TAPs are left out before anything is
    // kept, so no number of them keeps a new one out.
    static tPackageFiles files;
    memset(&files, 0, sizeof files);
    TYPE_FolderEntry entry;
    dword entries = TAP_Hdd_FindFirst(&entry, "vpd");
    for (dword i = 0; i < entries; i++) {
      entry.name[sizeof entry.name - 1] = '\0';
      if (entry.attr == ATTR_NORMAL) NotePackageFile(&files, entry.name);
      if (i + 1 < entries) TAP_Hdd_FindNext(&entry);
    }
    for (int i = 0; i < files.NrIgnored; i++)
      LogVantero("Package file %s ignored: its name is not <TAPID>.vpd", files.Ignored[i]);
    if (files.MoreIgnored > 0) LogVantero("%d more package files ignored", files.MoreIgnored);
    for (int i = 0; i < files.Count; i++)
      if (ManagerMasterIndex(files.Ids[i]) < 0) added += AddPackage(files.Ids[i]);
    TAP_MemFree(files.Ids);
  }
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
  return added;
}

void ManagerRefreshCache(void) {
  CallTraceEnter("ManagerRefreshCache");
  TAPCacheInitialize();
  TAPCacheSave();
  CallTraceExit(nullptr);
}

void ManagerStart(void) {
  CallTraceEnter("ManagerStart");
  CreateSettingsDir();
  ManagerTasksStart();
  // A change of the AutoStart order or a restore cut short is finished or
  // undone before any file it touches is read.
  ManagerTasksRecover();
  if (LangLoadStrings(MANAGER_LANG_FILE, MANAGER_LANG_TEXTS, 0, MANAGER_PROGRAM_NAME) == INI_NotFound)
    WriteLog(MANAGER_PROGRAM_NAME, "Language file Vantero.lng not found");
  SettingsLoad();
  // Before the inventory is scanned: a set of file changes cut short is finished or undone first.
  ManagerInstallRecover();
  ManagerAddPackages();
  TAPCacheReadFile(nullptr, nullptr);
  ManagerRefreshCache();
  TAPsOnBoardFree();
  SettingsSave();
  LogVantero("%d TAPs in the master list, %d TAPs on the disk", Settings.NrOfMasterListEntries,
             TAPsOnBoardCount);
  ManagerQueryArm();
  CallTraceExit(nullptr);
}
