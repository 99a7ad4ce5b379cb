// RepoMasterListFree.cpp - releasing a repository master list and finding
// an entry in it.
#include <string.h>

#include "ToolsInternal.h"

void RepoMasterListFree(tRepoMasterList *list) {
  CallTraceEnter("RepoMasterListFree");
  if (list != nullptr) {
    for (int i = 0; list->Entries != nullptr && i < list->NrOfEntries; i++) {
      StringClear(&list->Entries[i].VPDURL);
      StringClear(&list->Entries[i].Name);
      StringClear(&list->Entries[i].Author);
    }
    TAP_MemFree(list->Entries);
    memset(list, 0, sizeof *list);
  }
  CallTraceExit(nullptr);
}

int RepoMasterListFind(const tRepoMasterList *list, dword tapId) {
  if (list == nullptr || list->Entries == nullptr) return -1;
  for (int i = 0; i < list->NrOfEntries; i++)
    if (list->Entries[i].TAPID == tapId) return i;
  return -1;
}
