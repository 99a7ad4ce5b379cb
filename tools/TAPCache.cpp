// TAPCache.cpp - building the TAP cache: one entry per version of every
// master-list TAP, newest-listed last version first, with the flags taken
// from the on-board inventory and the settings, and the notification that
// each master-list entry earns.
#include <string.h>

#include "ToolsInternal.h"

// What building one master-list entry found out.
typedef struct {
  bool Revoked;       // an installed version is revoked
  bool AnyVisible;    // some version is visible
  bool AnyInstalled;  // some version is installed
  int NewestVisible;  // cache index of the first visible entry, -1 none
} tEntryScan;

// Compares the version's files with the inventory: marks the entry
// installed when a file of this TAP matches by CRC, and notes inventory
// TAPs that belong to this package under another ID.
static void MatchInventory(tTAPCache *e, const tVPDVersion *v, const tMasterList *m, tEntryScan *scan) {
  for (int f = 0; f < v->NrOfFiles && v->Files != nullptr; f++) {
    const tVPDFiles *file = &v->Files[f];
    if (file->CRC32 == 0) continue;
    for (int t = 0; t < TAPsOnBoardCount && TAPsOnBoard != nullptr; t++) {
      tTAPsOnBoard *o = &TAPsOnBoard[t];
      if (o->CRC != file->CRC32 || !o->Found) continue;
      if (o->TAPID == m->TAPID) {
        e->isInstalled = TRUE;
        e->isAutoStart = o->isAutoStart != 0;
        scan->AnyInstalled = true;
        if (e->isRevoked) scan->Revoked = true;
      } else if (o->PartOf == 0) {
        LogVantero("TOB: '%s' seems to be part of '%s'", o->TAPName, m->Name != nullptr ? m->Name : "");
        o->PartOf = file->TAPID;
      }
    }
  }
}

// Makes room in a full cache by removing an entry that this user cannot
// see (hidden, revoked or locked, and not installed): such versions of one
// TAP must not keep the visible and installed versions of others out.  The
// entries after it move down one place, so each TAP's entries stay
// together and in order.  False when every entry counts.
static bool DropInvisibleEntry(tEntryScan *scan) {
  int drop = -1;
  for (int i = TAPCacheSize - 1; i >= 0 && drop < 0; i--)
    if (!TAPCache[i].isVisible && !TAPCache[i].isInstalled) drop = i;
  if (drop < 0) return false;
  StringClear(&TAPCache[drop].Version);
  memmove(&TAPCache[drop], &TAPCache[drop + 1], (TAPCacheSize - drop - 1) * sizeof(tTAPCache));
  TAPCacheSize--;
  memset(&TAPCache[TAPCacheSize], 0, sizeof(tTAPCache));
  if (scan->NewestVisible > drop) scan->NewestVisible--;
  return true;
}

// Adds the entry for version index vi of the package; false when the cache is full.
static bool AddVersion(const tVPD *vpd, int vi, tMasterList *m, tEntryScan *scan) {
  if (TAPCacheSize >= TAPCACHE_MAX_ENTRIES && !DropInvisibleEntry(scan)) {
    LogVantero("TAPCache out of bounds");
    return false;
  }
  const tVPDVersion *v = &vpd->Versions[vi];
  if (v->TimeStamp > NewestTAP) NewestTAP = v->TimeStamp;
  int index = TAPCacheSize;
  tTAPCache *e = &TAPCache[index];
  e->TAPID = m->TAPID;
  e->MasterList = m;
  // A version text longer than a screen line only bloats the cache file.
  StringSetCut(&e->Version, v->Version, MASTERLIST_TEXT_MAX);
  e->DeployMode = v->DeployMode;
  e->TimeStamp = v->TimeStamp;
  e->AlphaPassword = v->AlphaPassword;
  e->isRevoked = v->DeployMode == DM_Revoke;
  e->isAutoStart = FALSE;
  if (!scan->AnyInstalled) MatchInventory(e, v, m, scan);
  // The size counts the entry from here on, so that the visibility test sees it.
  TAPCacheSize++;
  if (TAPCacheIsVisibleVersion((dword)index)) {
    e->isVisible = TRUE;
    if (scan->NewestVisible < 0) scan->NewestVisible = index;
    scan->AnyVisible = true;
  }
  for (int f = 0; f < v->NrOfFiles && v->Files != nullptr; f++) {
    if (v->Files[f].TAPID != 0 && (v->Files[f].Flags & 4) == 0) e->mayAutoStart = TRUE;
    if (v->Files[f].Flags & 1) e->hasSettings = TRUE;
  }
  e->isUpdated = m->AckTime < v->TimeStamp;
  e->VPDVersionIndex = vi;
  e->hasScreenShot = vpd->ScreenShotSize > 0;
  return true;
}

// The notification of a master-list entry after its versions were added.
static void Notify(tMasterList *m, const tEntryScan *scan) {
  if (scan->Revoked) {
    Settings.DisplayRevokedMessage = TRUE;
    m->NotificationFlag = NF_Revoked;
    return;
  }
  bool due = Settings.AckTime < NewestTAP;
  if (scan->AnyVisible && m->AckTime == 0 && !scan->AnyInstalled) {
    m->NotificationFlag = NF_New;
    if (due) Settings.DisplayNewMessage = TRUE;
    return;
  }
  // Without a visible version there is nothing to be told about.
  if (scan->NewestVisible < 0) {
    m->NotificationFlag = NF_None;
    return;
  }
  const tTAPCache *n = &TAPCache[scan->NewestVisible];
  if (m->AckTime >= n->TimeStamp || n->isInstalled) {
    m->NotificationFlag = NF_None;
  } else {
    m->NotificationFlag = NF_Updated;
    if (due) Settings.DisplayNewMessage = TRUE;
  }
}

static void AddMasterListEntry(tMasterList *m) {
  tEntryScan scan = {false, false, false, -1};
  NewestTAP = 0;
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  if (VPDLoadStd(&vpd, m->TAPID)) {
    m->Category = vpd.Category;
    for (int vi = vpd.NrOfVersions - 1; vi >= 0 && vpd.Versions != nullptr; vi--)
      AddVersion(&vpd, vi, m, &scan);
    VPDFree(&vpd);
  }
  Notify(m, &scan);
}

void TAPCacheInitialize(void) {
  CallTraceEnter("TAPCacheInitialize");
  TAPsOnBoardFind();
  TAPCacheFree();
  TAPCache = (tTAPCache *)TAP_MemAlloc(TAPCACHE_MAX_ENTRIES * sizeof(tTAPCache));
  if (TAPCache == nullptr) {
    LogVantero("Out of memory for the TAPCache");
  } else {
    memset(TAPCache, 0, TAPCACHE_MAX_ENTRIES * sizeof(tTAPCache));
    for (int i = 0; i < Settings.NrOfMasterListEntries && Settings.MasterList != nullptr; i++)
      AddMasterListEntry(&Settings.MasterList[i]);
  }
  LogVantero("%d TAP versions in TAPCache", TAPCacheSize);
  TAPCacheXCheckAlphaKeys();
  TAPCacheUpdate();
  CallTraceExit(nullptr);
}
