// ManagerUpdates.cpp - "Install updates" of the tasks menu: the newest visible
// version of every installed TAP that has a newer one is installed, one TAP
// after the other.  The TAP IDs are queued when the task starts; idle events
// start the next install once the engine is no longer busy.  Between two
// installs no result box is shown (it would stop the queue until closed);
// the last install's result, or the first failure, is shown as usual.
#include <stdio.h>
#include <string.h>

#include "Manager.h"

#define UPDATES_MAX 64  // TAPs queued at once; the rest stay counted for the next run

static dword Queue[UPDATES_MAX];
static int QueueCount = 0, QueueNext = 0, Installed = 0;
static bool Active = false;

// The cache entry of the newest visible version of an installed TAP when it
// is newer than the installed one; -1 none.
static int UpdateEntry(dword tapId) {
  int installed = TAPCacheGetInstalledVersionIndex(tapId);
  int newest = ManagerNewestVisibleEntry(tapId);
  if (installed < 0 || newest < 0 || newest == installed) return -1;
  return TAPCache[newest].TimeStamp > TAPCache[installed].TimeStamp ? newest : -1;
}

// Calls found for every installed TAP with an update; returns how many.
static int ForEachUpdate(void (*found)(dword tapId)) {
  int count = 0;
  for (int i = 0; i < TAPCacheSize && TAPCache != nullptr; i++) {
    if (!TAPCache[i].isInstalled || UpdateEntry(TAPCache[i].TAPID) < 0) continue;
    count++;
    if (found != nullptr) found(TAPCache[i].TAPID);
  }
  return count;
}

int ManagerUpdateCount(void) { return ForEachUpdate(nullptr); }

static void Enqueue(dword tapId) {
  if (QueueCount < UPDATES_MAX) Queue[QueueCount++] = tapId;
}

// The install's info box while the menu is open.
static void ShowProgress(void) {
  if (ManagerMenuIsOpen()) ManagerInstallProgressShow();
}

// Starts the install of the next queued TAP that still has an update; false
// when none is left or the engine refused (its reason waits in Install).
static bool StartNext(void) {
  while (QueueNext < QueueCount) {
    int entry = UpdateEntry(Queue[QueueNext++]);
    if (entry < 0) continue;  // updated already as another TAP's dependency
    ManagerInstallProgressReset();
    if (!ManagerInstallStart(entry, false)) return false;
    ShowProgress();
    return true;
  }
  return false;
}

bool ManagerUpdatesStart(void) {
  if (Active || ManagerInstallBusy()) return false;
  QueueCount = QueueNext = Installed = 0;
  ForEachUpdate(Enqueue);
  LogVantero("Installing the updates of %d TAPs", QueueCount);
  Active = StartNext();
  return Active;
}

bool ManagerUpdatesActive(void) { return Active; }

// The whole run went through: several installs end with one summary.
static void Finish(void) {
  Active = false;
  LogVantero("%d updates installed", Installed);
  if (Installed < 2) return;
  Install.Title[0] = '\0';
  snprintf(Install.Message, sizeof Install.Message, ManagerFormat(MT_UpdatesInstalled), Installed);
}

bool ManagerUpdatesIdle(void) {
  if (!Active) return false;
  if (ManagerInstallBusy()) ManagerInstallIdle();
  if (ManagerInstallBusy()) {
    ShowProgress();
    return true;
  }
  if (Install.State != IS_Done) {
    // Failed or cancelled: the rest stays for the next run, the reason is shown.
    Active = false;
    return false;
  }
  Installed++;
  if (StartNext()) return true;
  if (Install.State == IS_Failed) {
    Active = false;
    return false;
  }
  Finish();
  return false;
}

void ManagerUpdatesStop(void) { Active = false; }
