// VPDDelete.cpp - removing package description files from the settings
// folder: one by name, or every file of a TAP ID (its package file, its
// installed marker, archives and temporary files alike).
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

void VPDDelete(const char *fileName) {
  CallTraceEnter("VPDDelete");
  if (fileName != nullptr && fileName[0] != '\0') {
    tWorkDir saved = WorkDirSave();
    if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) TAP_Hdd_Delete(fileName);
    WorkDirRestore(&saved);
  }
  CallTraceExit(nullptr);
}

// The prefix is compared case-sensitively: the manager names its files with
// upper-case digits only.
void VPDCleanup(dword tapId) {
  CallTraceEnter("VPDCleanup");
  LogVantero("Performing VPD cleanup of %8.8x", (unsigned)tapId);
  char prefix[16];
  snprintf(prefix, sizeof prefix, "%8.8x", (unsigned)tapId);
  UpperCase(prefix);
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) {
    TYPE_FolderEntry entry;
    int count = (int)TAP_Hdd_FindFirst(&entry, "");
    for (int i = 0; i < count; i++) {
      // The count comes from TAP_Hdd_FindFirst: TAP_Hdd_FindNext's result
      // promises nothing.
      if (i > 0) TAP_Hdd_FindNext(&entry);
      entry.name[sizeof entry.name - 1] = '\0';
      if (entry.attr != ATTR_NORMAL || strncmp(entry.name, prefix, 8) != 0) continue;
      LogVantero("  Removing %s\n", entry.name);
      TAP_Hdd_Delete(entry.name);
    }
  }
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
}
