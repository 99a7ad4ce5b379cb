// ManagerInstall.cpp - installing a version, whole or not at all.  For each package of the order
// (dependencies first) the files are planned by their install mode, the plan is written as a file
// journal, and every file to be written is downloaded into the staging folder under a temporary
// name and checked (PackageFileCheck) before anything on the disk changes.  Only then is the TAP
// stopped when it runs, the whole set put in place by the journal's commit (old files kept as
// backups until all new ones are in), the TAP started again and the inventory and cache rebuilt.
// A failure, EXIT or a power cut before the commit leaves the disk as it was; a power cut during
// it is finished or undone by ManagerInstallRecover at the next start.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include "firmware/BoundedString.h"
#include "Manager.h"
#include "ManagerInstallPlan.h"

tManagerInstall Install;

static tManagerDownload Download;
static tInstallPlan Plan;
static int Pending = -1;     // the planned file being downloaded
static dword BytesDone = 0;  // of the files downloaded and checked

// df's answer, read and deleted again, beside the install journal.
#define INSTALL_DF_FILE PACKAGE_LINUX_SETTINGS_DIR "/Install.df"
// Room left over on top of the downloads: the settings, logs and inventory written meanwhile.
#define INSTALL_SPACE_MARGIN (1024 * 1024)

bool ManagerInstallBusy(void) { return Install.State == IS_Running; }

// Ends the package being installed with a message: the download ended, the staged files and the
// journal deleted (the disk as it was), the TAP started again when it was stopped.
static void Fail(const char *format, const char *detail) {
  snprintf(Install.Message, sizeof Install.Message, format, detail);
  LogVantero("Install of %s failed: %s", Install.Title, Install.Message);
  if (Pending >= 0) {
    ManagerDownloadStop(&Download);
    Pending = -1;
  }
  ManagerDownloadClean(&Download, true);
  InstallPlanDrop(&Plan);
  Install.State = IS_Failed;
  Install.Shown = FALSE;
}

// The next planned file to download from index from on; -1 none.
static int NextDownload(int from) {
  for (int i = from; i < Plan.NrOfFiles; i++)
    if (Plan.Files[i].Staged[0] != '\0') return i;
  return -1;
}

// Starts the download of planned file i; false (failed) when it cannot start.
static bool StartDownload(int i) {
  const tPlannedFile *p = &Plan.Files[i];
  char url[REPO_URL_MAX], repo[REPO_URL_MAX];
  ManagerRepositoryURL(repo, sizeof repo);
  ManagerDownloadInit(&Download, MANAGER_STAGING_DIR, p->StagedName, "Download.status", "Download.pid");
  Pending = i;
  Install.File++;
  if (!RepoBuildURL(repo, p->RemoteName, url, sizeof url) || !ManagerDownloadStart(&Download, url)) {
    Fail("%s cannot be downloaded: its address is too long", p->Record->FileName);
    return false;
  }
  return true;
}

// Puts the checked set in place and moves on to the next package.
static void Swap(void);
static void StartItem(void);

// A download ended well: the file is checked against its package, then the next one starts.
static void FileArrived(void) {
  const tPlannedFile *p = &Plan.Files[Pending];
  char reason[MANAGER_TEXT_SIZE];
  ManagerDownloadClean(&Download, false);
  if (!PackageFileCheck(p->Record, p->Staged, reason, sizeof reason)) {
    Fail("Damaged download, nothing changed: %s", reason);
    return;
  }
  BytesDone += (dword)p->Record->Size;
  int next = NextDownload(Pending + 1);
  Pending = -1;
  if (next >= 0)
    StartDownload(next);
  else
    Swap();
}

static void Swap(void) {
  char reason[MANAGER_TEXT_SIZE];
  if (!InstallPlanCommit(&Plan, reason, sizeof reason)) {
    Fail("Not installed: %s", reason);
    return;
  }
  LogVantero("Installed %.100s", Install.Title);
  ManagerInstallRescan();
  Install.Item++;
  StartItem();
}

// Plans the next package of the order and starts its first download; finishes the whole install
// when none is left.
static void StartItem(void) {
  if (Install.Item >= Install.NrOfItems) {
    snprintf(Install.Message, sizeof Install.Message, "Installed %.100s", Install.Title);
    Install.State = IS_Done;
    Install.Shown = FALSE;
    return;
  }
  const tInstallItem *item = &Install.Items[Install.Item];
  char reason[MANAGER_TEXT_SIZE];
  if (!InstallPlanMake(&Plan, item, Install.AutoStart, TRUE, Install.Title, sizeof Install.Title, reason,
                       sizeof reason)) {
    Fail("Not installed: %s", reason);
    return;
  }
  Install.NrOfFiles = Plan.NrOfDownloads;
  Install.File = 0;
  Install.TotalBytes = Plan.DownloadBytes;
  Install.Bytes = BytesDone = 0;
  int first = NextDownload(0);
  if (first >= 0)
    StartDownload(first);
  else
    Swap();  // nothing to download: deletions only, or nothing at all
}

// Whether the disk holds bytes more beside what it holds now, with room to spare: the old files
// stay as backups until the swap, so the new set must fit beside them.  When df cannot tell, the
// install goes on (logged): each download's size check and the journal still keep the disk whole.
static bool RoomFor(long64 bytes) {
  dword freeKB = 0;
  if (!ManagerDiskFreeKB(INSTALL_DF_FILE, "Install", &freeKB)) return true;
  if ((long64)freeKB * 1024 >= bytes + INSTALL_SPACE_MARGIN) return true;
  LogVantero("Install: %u kB free, %u kB to download", (unsigned)freeKB, (unsigned)(bytes / 1024));
  return false;
}

// Plans every package of the order without writing anything, so that a refused file of the last
// one keeps its dependencies from being installed in vain, and checks that all their downloads fit
// on the disk; false (failed, nothing downloaded) when a file is refused or the space is short.
static bool CheckAllItems(void) {
  char reason[MANAGER_TEXT_SIZE], title[MANAGER_TEXT_SIZE];
  long64 downloadBytes = 0;
  for (int i = 0; i < Install.NrOfItems; i++) {
    bool good = InstallPlanMake(&Plan, &Install.Items[i], Install.AutoStart, FALSE, title, sizeof title,
                                reason, sizeof reason);
    downloadBytes += Plan.DownloadBytes;
    InstallPlanDrop(&Plan);
    if (!good) {
      Fail("Not installed: %s", reason);
      return false;
    }
  }
  if (downloadBytes > 0 && !RoomFor(downloadBytes)) {
    Fail("%s", ManagerText(MT_NotEnoughSpace));
    return false;
  }
  return true;
}

bool ManagerInstallStart(int cacheEntry, bool autoStart) {
  CallTraceEnter("ManagerInstallStart");
  bool started = false;
  if (Install.State == IS_Running) {
    CallTraceExit(nullptr);
    return false;
  }
  memset(&Install, 0, sizeof Install);
  Install.AutoStart = autoStart;
  if (cacheEntry >= 0 && cacheEntry < TAPCacheSize)
    snprintf(Install.Title, sizeof Install.Title, "%.60s %.40s",
             TAPCache[cacheEntry].MasterList != nullptr && TAPCache[cacheEntry].MasterList->Name != nullptr
                 ? TAPCache[cacheEntry].MasterList->Name
                 : "?",
             TAPCache[cacheEntry].Version != nullptr ? TAPCache[cacheEntry].Version : "?");
  Install.State = IS_Running;
  struct stat64 st;
  char message[MANAGER_TEXT_SIZE];
  if (lstat64(MANAGER_JOURNAL_FILE, &st) == 0) {
    Fail("%s", "An earlier install is unfinished; start the manager again to finish it");
  } else {
    Install.NrOfItems =
        ManagerInstallOrder(cacheEntry, Install.Items, INSTALL_MAX_PACKAGES, message, sizeof message);
    if (Install.NrOfItems < 0) {
      Install.NrOfItems = 0;
      Fail("%s", message);
    } else if (CheckAllItems()) {
      LogVantero("Installing %s (%d packages)", Install.Title, Install.NrOfItems);
      StartItem();
    }
  }
  started = Install.State != IS_Failed;
  CallTraceExit(nullptr);
  return started;
}

bool ManagerInstallIdle(void) {
  if (Install.State != IS_Running) return false;
  // StopTAP lets the firmware dispatch events while it waits: an idle event then must not step in.
  static bool inside = false;
  if (inside || Pending < 0) return true;
  inside = true;
  int state = ManagerDownloadPoll(&Download);
  Install.Bytes = BytesDone + Download.Bytes;
  if (state == QD_Failed)
    Fail("%s could not be downloaded (missing on the server, or no connection); nothing changed",
         Plan.Files[Pending].Record->FileName);
  else if (state == QD_Done)
    FileArrived();
  inside = false;
  return true;
}

void ManagerInstallCancel(void) {
  if (Install.State != IS_Running) return;
  Fail("%s", ManagerText(MT_InstallCancelled));
}

bool ManagerRemoveStart(dword tapId, bool withSettings) {
  CallTraceEnter("ManagerRemoveStart");
  if (Install.State == IS_Running) {
    CallTraceExit(nullptr);
    return false;
  }
  memset(&Install, 0, sizeof Install);
  int entry = TAPCacheGetInstalledVersionIndex(tapId);
  snprintf(
      Install.Title, sizeof Install.Title, "%.60s",
      entry >= 0 && TAPCache[entry].MasterList->Name != nullptr ? TAPCache[entry].MasterList->Name : "?");
  Install.State = IS_Running;
  char reason[MANAGER_TEXT_SIZE];
  struct stat64 st;
  if (entry < 0) {
    Fail("%s", "No version of this TAP that a package describes is installed");
  } else if (lstat64(MANAGER_JOURNAL_FILE, &st) == 0) {
    Fail("%s", "An earlier install is unfinished; start the manager again to finish it");
  } else if (!InstallPlanRemoval(&Plan, tapId, TAPCache[entry].VPDVersionIndex, withSettings, reason,
                                 sizeof reason)) {
    Fail("Not removed: %s", reason);
  } else if (!InstallPlanCommit(&Plan, reason, sizeof reason)) {
    Fail("Not removed: %s", reason);
  } else {
    LogVantero("Removed %s%s", Install.Title, withSettings ? " with its settings" : "");
    snprintf(Install.Message, sizeof Install.Message, "Removed %.100s", Install.Title);
    ManagerInstallRescan();
    Install.State = IS_Done;
  }
  CallTraceExit(nullptr);
  return Install.State == IS_Done;
}

void ManagerInstallRecover(void) {
  CallTraceEnter("ManagerInstallRecover");
  char reason[MANAGER_TEXT_SIZE] = "";
  int result = FileJournalRecover(MANAGER_JOURNAL_FILE, reason, sizeof reason);
  const char *what = nullptr;
  switch (result) {
    case FJR_RolledBack:
      what = "An interrupted install was undone; the old version is in place";
      break;
    case FJR_Completed:
      what = "An interrupted install was completed";
      break;
    case FJR_Damaged:
      what = "The install journal was damaged and set aside; no file was changed";
      break;
    case FJR_Failed:
      what = "An interrupted install could not be finished yet";
      break;
    default:
      break;
  }
  memset(&Install, 0, sizeof Install);
  if (what != nullptr) {
    snprintf(Install.Message, sizeof Install.Message, "%.70s%s%.50s", what, reason[0] != '\0' ? ": " : "",
             reason);
    LogVantero("%s", Install.Message);
    Install.State = result == FJR_Failed || result == FJR_Damaged ? IS_Failed : IS_Done;
  }
  // Staged files that a journal still needs stay for its next try.
  if (result != FJR_Failed) InstallStagingClean();
  CallTraceExit(nullptr);
}
