// ManagerInstallOrder.cpp - what an install brings onto the box: the chosen version and, before it,
// the newest visible version of every TAP it depends on that the box lacks, each after its own
// dependencies.  A dependency that no package offers is named to the user; a loop is refused,
// since no order could put each TAP after what it needs.
#include <stdio.h>
#include <string.h>

#include "Manager.h"

int ManagerNewestVisibleEntry(dword tapId) {
  int best = -1;
  for (int i = 0; i < TAPCacheSize && TAPCache != nullptr; i++)
    if (TAPCache[i].TAPID == tapId && TAPCache[i].isVisible &&
        (best < 0 || TAPCache[i].TimeStamp > TAPCache[best].TimeStamp))
      best = i;
  return best;
}

// True when a TAP with that ID is on the disk, with or without a package.
static bool OnTheBox(dword tapId) {
  if (TAPCacheGetInstalledVersionIndex(tapId) >= 0) return true;
  for (int i = 0; i < TAPsOnBoardCount && TAPsOnBoard != nullptr; i++)
    if (TAPsOnBoard[i].TAPID == tapId && TAPsOnBoard[i].Found) return true;
  return false;
}

namespace {
typedef struct {
  tInstallItem *Items;
  int Max, Count;
  dword Path[INSTALL_MAX_PACKAGES];  // the TAPs whose dependencies are being followed
  int Depth;
  char Missing[MANAGER_TEXT_SIZE];  // names of the missing dependencies
  char *Message;
  dword Size;
} tOrder;
}  // namespace

static const char *NameOf(dword tapId) {
  int m = ManagerMasterIndex(tapId);
  return m >= 0 && Settings.MasterList[m].Name != nullptr ? Settings.MasterList[m].Name : nullptr;
}

static void NoteMissing(tOrder *o, dword tapId) {
  char one[48];
  const char *name = NameOf(tapId);
  if (name != nullptr)
    snprintf(one, sizeof one, "%s%.30s", o->Missing[0] != '\0' ? ", " : "", name);
  else
    snprintf(one, sizeof one, "%s%8.8x", o->Missing[0] != '\0' ? ", " : "", (unsigned)tapId);
  size_t used = strlen(o->Missing);
  snprintf(o->Missing + used, sizeof o->Missing - used, "%s", one);
}

// The dependencies of a cache entry's version into deps (at most max); -1 when its package cannot
// be read.
static int DependenciesOf(int entry, dword *deps, int max) {
  tVPD vpd;
  memset(&vpd, 0, sizeof vpd);
  int count = -1;
  int index = TAPCache[entry].VPDVersionIndex;
  if (VPDLoadStd(&vpd, TAPCache[entry].TAPID) && index >= 0 && index < vpd.NrOfVersions) {
    const tVPDVersion *v = &vpd.Versions[index];
    count = 0;
    for (int i = 0; i < v->NrOfDependencies && v->Dependencies != nullptr && count < max; i++)
      deps[count++] = v->Dependencies[i];
  }
  VPDFree(&vpd);
  return count;
}

static bool Visit(tOrder *o, int entry) {
  dword tapId = TAPCache[entry].TAPID;
  for (int i = 0; i < o->Depth; i++)
    if (o->Path[i] == tapId) {
      snprintf(o->Message, o->Size, "%.40s depends on itself through its dependencies",
               NameOf(tapId) != nullptr ? NameOf(tapId) : "A TAP");
      return false;
    }
  for (int i = 0; i < o->Count; i++)
    if (o->Items[i].TAPID == tapId) return true;
  dword deps[32];
  int count = DependenciesOf(entry, deps, 32);
  if (count < 0 || o->Depth >= INSTALL_MAX_PACKAGES) {
    snprintf(o->Message, o->Size, "The package of %8.8x cannot be read", (unsigned)tapId);
    return false;
  }
  o->Path[o->Depth++] = tapId;
  for (int i = 0; i < count; i++) {
    if (deps[i] == 0 || (deps[i] != tapId && OnTheBox(deps[i]))) continue;
    int next = deps[i] == tapId ? entry : ManagerNewestVisibleEntry(deps[i]);
    if (next < 0)
      NoteMissing(o, deps[i]);
    else if (!Visit(o, next))
      return false;
  }
  o->Depth--;
  if (o->Count >= o->Max) {
    snprintf(o->Message, o->Size, "Too many dependencies");
    return false;
  }
  o->Items[o->Count].TAPID = tapId;
  o->Items[o->Count].VersionIndex = TAPCache[entry].VPDVersionIndex;
  o->Count++;
  return true;
}

int ManagerInstallOrder(int rootEntry, tInstallItem *items, int max, char *message, dword size) {
  if (message != nullptr && size > 0) message[0] = '\0';
  static char scratch[MANAGER_TEXT_SIZE];
  tOrder o;
  memset(&o, 0, sizeof o);
  o.Items = items;
  o.Max = max;
  o.Message = message != nullptr && size > 0 ? message : scratch;
  o.Size = message != nullptr && size > 0 ? size : sizeof scratch;
  if (rootEntry < 0 || rootEntry >= TAPCacheSize || items == nullptr) {
    snprintf(o.Message, o.Size, "No such version");
    return -1;
  }
  if (!Visit(&o, rootEntry)) return -1;
  if (o.Missing[0] != '\0') {
    snprintf(o.Message, o.Size, "Missing dependencies: %s", o.Missing);
    return -1;
  }
  return o.Count;
}
