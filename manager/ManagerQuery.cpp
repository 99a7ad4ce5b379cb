// ManagerQuery.cpp - the query of the package repository: the master list
// first, then the package description of each TAP that is new or whose
// VPDTimeStamp changed, each through the box's wget in the background of
// the box shell.  The event handler never waits: every idle event looks at
// the files wget writes (the download itself, its process id, its exit
// status) and moves on when the status is there.  A download replaces a
// local file only when its loader accepts it, and only as a whole file.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "Manager.h"
#include "ToolsInternal.h"

#define QUERY_OUT "Query.download"
#define QUERY_STATUS "Query.status"
#define QUERY_PID "Query.pid"

tManagerQuery Query;

// The repository's address from "Repository.ini" ("URL=..."), else the default.
void ManagerRepositoryURL(char *url, dword size) {
  if (size == 0) return;
  snprintf(url, size, "%s", MANAGER_REPOSITORY_DEFAULT);
  bool pushed = HDD_TAP_PushDir();
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR) && TAP_Hdd_Exist(MANAGER_REPOSITORY_INI)) {
    char value[REPO_URL_MAX];
    if (INIOpenFile(MANAGER_REPOSITORY_INI, MANAGER_PROGRAM_NAME) != INI_NotFound &&
        INIGetString("URL", value, "", sizeof value) && value[0] != '\0')
      snprintf(url, size, "%s", value);
    INICloseFile();
  }
  if (pushed) HDD_TAP_PopDir();
}

// The query's download, in the settings folder.
static void InitDownload(void) {
  ManagerDownloadInit(&Query.Download, VANTERO_SETTINGS_DIR, QUERY_OUT, QUERY_STATUS, QUERY_PID);
}

// Removes the files of the last download.
static void DeleteQueryFiles(void) {
  InitDownload();
  ManagerDownloadClean(&Query.Download, true);
}

// Reads a small file of the settings folder; false when it is not there.
static bool ReadSettingsFile(const char *name, byte **data, dword *size) {
  *data = nullptr;
  *size = 0;
  bool pushed = HDD_TAP_PushDir();
  tReadFileResult result = HDD_ChangeDir(VANTERO_SETTINGS_DIR) ? ReadWholeFile(name, data, size) : RF_Missing;
  if (pushed) HDD_TAP_PopDir();
  return result == RF_Ok || result == RF_Empty;
}

static bool StartDownload(const char *url) { return ManagerDownloadStart(&Query.Download, url); }
static void StopDownload(void) { ManagerDownloadStop(&Query.Download); }
static int PollDownload(void) { return ManagerDownloadPoll(&Query.Download); }

// Takes the repository's list into the settings' master list: new TAPs come
// in marked NF_New, each new or changed one is marked VPDUpdated; the time
// stamp is taken over only when its package arrived.
static bool ApplyMasterList(const tRepoMasterList *list) {
  int count = Settings.MasterList != nullptr ? Settings.NrOfMasterListEntries : 0, added = 0;
  for (int i = 0; i < list->NrOfEntries; i++)
    if (ManagerMasterIndex(list->Entries[i].TAPID) < 0) added++;
  if (added > 0) {
    tMasterList *grown = (tMasterList *)TAP_MemAlloc((dword)(count + added) * sizeof(tMasterList));
    if (grown == nullptr) return false;
    memset(grown, 0, (dword)(count + added) * sizeof(tMasterList));
    if (count > 0) memcpy(grown, Settings.MasterList, (dword)count * sizeof(tMasterList));
    TAP_MemFree(Settings.MasterList);
    Settings.MasterList = grown;
  }
  Query.Total = 0;
  for (int i = 0; i < list->NrOfEntries; i++) {
    const tMasterList *r = &list->Entries[i];
    int at = ManagerMasterIndex(r->TAPID);
    tMasterList *m = at >= 0 ? &Settings.MasterList[at] : &Settings.MasterList[count];
    if (at < 0) {
      m->TAPID = r->TAPID;
      m->NotificationFlag = NF_New;
      m->NotifyMe = TRUE;
      m->PositionInMasterList = count;
      Settings.NrOfMasterListEntries = ++count;
      m->VPDUpdated = TRUE;
    } else {
      m->VPDUpdated = m->VPDTimeStamp != r->VPDTimeStamp;
    }
    StringSet(&m->VPDURL, r->VPDURL);
    StringSet(&m->Name, r->Name);
    StringSet(&m->Author, r->Author);
    m->TopfieldEuropeTimeStamp = r->TopfieldEuropeTimeStamp;
    m->Category = r->Category;
    m->FoundInMasterList = TRUE;
    if (m->VPDUpdated) Query.Total++;
  }
  return true;
}

// The next entry whose package is to be fetched, from Query.Next on; -1 none.
static int NextPackage(void) {
  for (int i = Query.Next; i < Settings.NrOfMasterListEntries; i++)
    if (Settings.MasterList[i].VPDUpdated) return i;
  return -1;
}

// Starts the download of the next package; false when none is left.
static bool StartNextPackage(void) {
  for (int i = NextPackage(); i >= 0; i = NextPackage()) {
    Query.Next = i + 1;
    Query.Entry = i;
    char url[REPO_URL_MAX];
    if (RepoBuildURL(Query.Repository, Settings.MasterList[i].VPDURL, url, sizeof url) && StartDownload(url))
      return true;
    Query.Failed++;
  }
  return false;
}

// The downloaded package of entry Query.Entry: kept as "<TAPID>.vpd" when
// its loader takes it and it describes that TAP.
static void TakePackage(void) {
  tMasterList *m = &Settings.MasterList[Query.Entry];
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  bool good = VPDLoad(&vpd, QUERY_OUT) && vpd.TAPID == m->TAPID;
  if (!good && vpd.DBMagic != nullptr)
    LogVantero("Package from %s rejected: it describes TAP %8.8x", Query.Download.URL, (unsigned)vpd.TAPID);
  else if (!good)
    LogVantero("Package from %s rejected: damaged", Query.Download.URL);
  VPDFree(&vpd);
  byte *data = nullptr;
  dword size = 0;
  char name[16], reason[128];
  snprintf(name, sizeof name, "%8.8X.vpd", (unsigned)m->TAPID);
  if (good && ReadSettingsFile(QUERY_OUT, &data, &size)) {
    bool pushed = HDD_TAP_PushDir();
    good = HDD_ChangeDir(VANTERO_SETTINGS_DIR) && ReplaceWholeFile(name, data, size, reason, sizeof reason);
    if (pushed) HDD_TAP_PopDir();
    if (!good) LogVantero("Package %s not written: %s", name, reason);
  }
  TAP_MemFree(data);
  if (good) {
    // Only a package that arrived takes the new time stamp; the others are
    // fetched again by the next query.
    m->VPDTimeStamp = Query.NewStamps[Query.Entry];
    m->VPDUpdated = FALSE;
    Query.Done++;
  } else {
    Query.Failed++;
  }
}

static bool Armed = false;
static dword ArmedAt = 0;

void ManagerQueryArm(void) {
  Armed = Settings.AutoUpdateChecks;
  ArmedAt = TAP_GetTick();
}

bool ManagerAutoQueryDue(void) {
  if (!Armed || TAP_GetTick() - ArmedAt < Settings.StartupDelay * 100) return false;
  Armed = false;
  return true;
}

bool ManagerQueryStart(void) {
  CallTraceEnter("ManagerQueryStart");
  memset(&Query, 0, sizeof Query);
  InitDownload();
  FlagDoServerQuery = FALSE;
  Armed = false;  // a query at start would only repeat this one
  ManagerRepositoryURL(Query.Repository, sizeof Query.Repository);
  char url[REPO_URL_MAX];
  Query.State = QS_MasterList;
  LogVantero("Querying %s", Query.Repository);
  if (!RepoBuildURL(Query.Repository, REPO_MASTERLIST_NAME, url, sizeof url) || !StartDownload(url)) {
    Query.State = QS_Failed;
    Query.Problem = MT_ServerUnreachable;
  }
  CallTraceExit(nullptr);
  return Query.State == QS_MasterList;
}

// The master list arrived: checked, taken over, and the packages begin.
static void MasterListArrived(void) {
  byte *data = nullptr;
  dword size = 0;
  tRepoMasterList list;
  memset(&list, 0, sizeof list);
  char reason[128] = "";
  bool good = ReadSettingsFile(QUERY_OUT, &data, &size) &&
              RepoMasterListParse(data, size, &list, reason, sizeof reason);
  TAP_MemFree(data);
  Query.State = QS_Failed;
  Query.Problem = MT_MasterListDamaged;
  if (!good) {
    LogVantero("Master list from %s rejected: %s", Query.Download.URL,
               reason[0] != '\0' ? reason : "not readable");
  } else if (!ApplyMasterList(&list)) {
    LogVantero("Not enough memory for a master list of %d TAPs", list.NrOfEntries);
  } else {
    // The new time stamps wait beside the list until each package arrived.
    Query.NewStamps = (dword *)TAP_MemAlloc((dword)Settings.NrOfMasterListEntries * sizeof(dword) + 4);
    for (int i = 0; i < Settings.NrOfMasterListEntries && Query.NewStamps != nullptr; i++) {
      int r = RepoMasterListFind(&list, Settings.MasterList[i].TAPID);
      Query.NewStamps[i] = r >= 0 ? list.Entries[r].VPDTimeStamp : Settings.MasterList[i].VPDTimeStamp;
    }
    if (Query.NewStamps != nullptr) Query.State = QS_Packages, Query.Problem = 0;
  }
  RepoMasterListFree(&list);
  if (Query.State == QS_Packages && !StartNextPackage()) Query.State = QS_Done;
}

// The end of a query: what arrived is kept, the cache rebuilt, all saved.
static void Finish(void) {
  DeleteQueryFiles();
  for (int i = 0; i < Settings.NrOfMasterListEntries; i++) Settings.MasterList[i].VPDUpdated = FALSE;
  TAP_MemFree(Query.NewStamps);
  Query.NewStamps = nullptr;
  if (Query.State != QS_Failed) {
    ManagerRefreshCache();
    TAPsOnBoardFree();
    LogVantero("Query done: %d of %d packages fetched, %d failed", Query.Done, Query.Total, Query.Failed);
  }
  SettingsSave();
}

bool ManagerQueryIdle(void) {
  if (Query.State != QS_MasterList && Query.State != QS_Packages) return false;
  CallTraceEnter("ManagerQueryIdle");
  int state = PollDownload();
  if (state != QD_Running) {
    if (Query.State == QS_MasterList && state == QD_Done) {
      MasterListArrived();
    } else if (Query.State == QS_MasterList) {
      Query.State = QS_Failed;
      Query.Problem = MT_ServerUnreachable;
    } else {
      if (state == QD_Done)
        TakePackage();
      else
        Query.Failed++;
      if (Query.Cancelled || !StartNextPackage()) Query.State = QS_Done;
    }
    if (Query.State == QS_Done || Query.State == QS_Failed) Finish();
  }
  CallTraceExit(nullptr);
  return true;
}

void ManagerQueryStop(void) {
  if (Query.State == QS_MasterList || Query.State == QS_Packages) StopDownload();
  DeleteQueryFiles();
  TAP_MemFree(Query.NewStamps);
  memset(&Query, 0, sizeof Query);
}

void ManagerQueryCancel(void) {
  if (Query.State == QS_MasterList) {
    StopDownload();
    Query.State = QS_Failed;
    Query.Problem = 0;
    LogVantero("Query of %s cancelled", Query.Repository);
    Finish();
  } else if (Query.State == QS_Packages) {
    // The package on its way may still arrive; nothing starts after it.
    Query.Cancelled = TRUE;
  }
}
