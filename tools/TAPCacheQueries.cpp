// TAPCacheQueries.cpp - what the manager asks the TAP cache: visibility of
// a version, the alpha passwords and running TAPs checked against it,
// installed and newest versions per TAP, and acknowledging a TAP's news.
#include "ToolsInternal.h"

bool TAPCacheIsVisibleVersion(dword index) {
  CallTraceEnter("TAPCacheIsVisibleVersion");
  bool visible = false;
  if (TAPCache != nullptr && index < (dword)TAPCacheSize) {
    const tTAPCache *e = &TAPCache[index];
    switch (e->isInstalled ? DM_Final : e->DeployMode) {
      case DM_InstallerTest:
        visible = hasValidAlphaPassword(e->AlphaPassword) && Settings.InstallerTestVersions;
        break;
      case DM_Alpha:
        visible = hasValidAlphaPassword(e->AlphaPassword);
        break;
      case DM_Beta:
        visible = Settings.BetaVersions;
        break;
      case DM_Final:
        visible = true;
        break;
      default:
        break;  // hidden, revoked, marked for deletion, unknown
    }
  }
  CallTraceExit(nullptr);
  return visible;
}

void TAPCacheXCheckAlphaKeys(void) {
  CallTraceEnter("TAPCacheXCheckAlphaKeys");
  for (int i = 0; i < TAPCacheSize && TAPCache != nullptr; i++) {
    tTAPCache *e = &TAPCache[i];
    bool before = e->AlphaPwdMatch != 0;
    e->AlphaPwdMatch = FALSE;
    if (e->DeployMode != DM_InstallerTest && e->DeployMode != DM_Alpha) continue;
    for (int p = 0; p < Settings.NrOfAlphaPasswords && Settings.AlphaPasswords != nullptr; p++) {
      if (Settings.AlphaPasswords[p] != e->AlphaPassword) continue;
      e->AlphaPwdMatch = TRUE;
      if (!before) e->isUpdated = TRUE;
      break;
    }
  }
  CallTraceExit(nullptr);
}

void TAPCacheXCheckRunningTAPs(void) {
  CallTraceEnter("TAPCacheXCheckRunningTAPs");
  for (int i = 0; i < TAPCacheSize && TAPCache != nullptr; i++) {
    tTAPCache *e = &TAPCache[i];
    e->isRunning = e->isInstalled && e->MasterList != nullptr && HDD_TAP_isRunning(e->MasterList->TAPID);
  }
  CallTraceExit(nullptr);
}

void TAPCacheUpdate(void) {
  CallTraceEnter("TAPCacheUpdate");
  TAPCacheXCheckRunningTAPs();
  CallTraceExit(nullptr);
}

// Whether entry i belongs to the master-list entry with this TAP ID.
static bool OfTAP(int i, dword tapId) {
  return TAPCache[i].MasterList != nullptr && TAPCache[i].MasterList->TAPID == tapId;
}

int TAPCacheGetInstalledVersionIndex(dword tapId) {
  CallTraceEnter("TAPCacheGetInstalledVersionIndex");
  int found = -1;
  for (int i = 0; found < 0 && i < TAPCacheSize && TAPCache != nullptr; i++)
    if (OfTAP(i, tapId) && TAPCache[i].isInstalled) found = i;
  CallTraceExit(nullptr);
  return found;
}

dword TAPCacheGetGetNewestTimeStamp(dword tapId) {
  CallTraceEnter("TAPCacheGetGetNewestTimeStamp");
  dword newest = 0;
  for (int i = 0; i < TAPCacheSize && TAPCache != nullptr; i++)
    if (OfTAP(i, tapId) && TAPCache[i].TimeStamp > newest) newest = TAPCache[i].TimeStamp;
  CallTraceExit(nullptr);
  return newest;
}

bool TAPCacheIsAnyVisibleVersion(dword tapId) {
  CallTraceEnter("TAPCacheIsAnyVisibleVersion");
  bool any = false;
  for (int i = 0; !any && i < TAPCacheSize && TAPCache != nullptr; i++)
    any = OfTAP(i, tapId) && TAPCacheIsVisibleVersion((dword)i);
  CallTraceExit(nullptr);
  return any;
}

bool TAPCacheIsAnyRevokedVersionInstalled(void) {
  CallTraceEnter("TAPCacheIsAnyRevokedVersionInstalled");
  bool any = false;
  for (int i = 0; !any && i < TAPCacheSize && TAPCache != nullptr; i++)
    any = TAPCache[i].isInstalled && TAPCache[i].isRevoked;
  CallTraceExit(nullptr);
  return any;
}

void Acknowledge(tMasterList *masterList) {
  CallTraceEnter("Acknowledge");
  for (int i = 0; masterList != nullptr && i < TAPCacheSize && TAPCache != nullptr; i++) {
    if (TAPCache[i].MasterList != masterList || !TAPCache[i].isVisible) continue;
    masterList->AckTime = TAPCache[i].TimeStamp;
    if (masterList->NotificationFlag == NF_New || masterList->NotificationFlag == NF_Updated)
      masterList->NotificationFlag = NF_None;
    break;
  }
  CallTraceExit(nullptr);
}
