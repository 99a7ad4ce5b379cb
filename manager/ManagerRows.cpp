// ManagerRows.cpp - the texts of the manager's list rows, taken from the
// TAP cache: one row per TAP in the overview, one per version in a TAP's
// version list.
#include <stdio.h>
#include <string.h>

#include "Manager.h"

#define COLOUR_NORMAL 0xFFE6E6FAu
#define COLOUR_NEWS 0xFF8CE08Cu     // an update or a new TAP
#define COLOUR_REVOKED 0xFFFF7070u  // an installed version was revoked

static const char *const DeployModeNames[] = {"hidden",  "installer test",     "alpha", "beta", "final",
                                              "revoked", "marked for deletion"};

// Appends text to a MANAGER_TEXT_SIZE buffer, cut to fit.
static void Append(char *buffer, const char *text) {
  size_t used = strlen(buffer);
  if (used + 1 < MANAGER_TEXT_SIZE) snprintf(buffer + used, MANAGER_TEXT_SIZE - used, "%s", text);
}

static const char *VersionText(const tTAPCache *e) { return e->Version != nullptr ? e->Version : "?"; }

// The first visible entry of the TAP: its newest visible version; -1 none.
static int NewestVisible(const tMasterList *m) {
  for (int i = 0; i < TAPCacheSize && TAPCache != nullptr; i++)
    if (TAPCache[i].MasterList == m && TAPCache[i].isVisible) return i;
  return -1;
}

dword ManagerOverviewRow(const tMasterList *m, char *text, char *value) {
  text[0] = value[0] = '\0';
  if (m == nullptr) return COLOUR_NORMAL;
  Append(text, m->Name != nullptr ? m->Name : "?");
  int installed = TAPCacheGetInstalledVersionIndex(m->TAPID);
  int newest = NewestVisible(m);
  const tTAPCache *in = installed >= 0 ? &TAPCache[installed] : nullptr;
  Append(value, in != nullptr ? VersionText(in) : "not installed");
  bool update = false;
  if (newest >= 0 && newest != installed) {
    Append(value, " -> ");
    Append(value, VersionText(&TAPCache[newest]));
    update = in != nullptr && TAPCache[newest].TimeStamp > in->TimeStamp;
  }
  bool isNew = m->NotificationFlag == NF_New, revoked = in != nullptr && in->isRevoked;
  if (update) Append(value, "  update");
  if (isNew) Append(value, "  new");
  if (revoked) Append(value, "  revoked");
  if (in != nullptr && in->isRunning) Append(value, "  running");
  return revoked ? COLOUR_REVOKED : update || isNew ? COLOUR_NEWS : COLOUR_NORMAL;
}

void ManagerVersionRow(const tTAPCache *e, char *text, char *value) {
  text[0] = value[0] = '\0';
  if (e == nullptr) return;
  Append(text, VersionText(e));
  Append(value, (dword)e->DeployMode < sizeof DeployModeNames / sizeof DeployModeNames[0]
                    ? DeployModeNames[e->DeployMode]
                    : "unknown");
  if (e->isInstalled) Append(value, e->isAutoStart ? ", installed (AutoStart)" : ", installed");
  if (e->AlphaPwdMatch) Append(value, ", unlocked");
  if (e->isUpdated && !e->isInstalled) Append(value, ", new");
}
