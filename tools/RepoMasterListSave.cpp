// RepoMasterListSave.cpp - writing a repository's master list: the image is
// built in memory, ends with the CRC-32 of everything before it, and is
// refused when the list would not load again (the loader's own checks).
#include <string.h>

#include "ToolsInternal.h"

bool RepoMasterListBuild(const tRepoMasterList *list, byte **data, dword *size) {
  CallTraceEnter("RepoMasterListBuild");
  bool built = false;
  if (data != nullptr) *data = nullptr;
  if (size != nullptr) *size = 0;
  char reason[64];
  if (list != nullptr && data != nullptr && size != nullptr && list->NrOfEntries >= 0 &&
      list->NrOfEntries <= REPO_MASTERLIST_MAX_ENTRIES &&
      (list->Entries != nullptr || list->NrOfEntries == 0) &&
      RepoMasterListCheck(list, reason, sizeof reason) == nullptr) {
    tByteWriter w;
    WriterInit(&w);
    WriterString(&w, REPO_MASTERLIST_MAGIC);
    WriterDword(&w, REPO_MASTERLIST_VERSION);
    WriterDword(&w, (dword)list->NrOfEntries);
    for (int i = 0; i < list->NrOfEntries; i++) {
      const tMasterList *entry = &list->Entries[i];
      WriterDword(&w, entry->TAPID);
      WriterString(&w, entry->VPDURL);
      WriterString(&w, entry->Name);
      WriterString(&w, entry->Author);
      WriterDword(&w, entry->TopfieldEuropeTimeStamp);
      WriterDword(&w, entry->Category);
      WriterDword(&w, entry->VPDTimeStamp);
    }
    if (!w.Failed) WriterDword(&w, CRC32(CRC32_INITIAL, w.Data, w.Size));
    built = !w.Failed;
    if (built) {
      *data = w.Data;
      *size = w.Size;
    } else {
      WriterFree(&w);
    }
  }
  CallTraceExit(nullptr);
  return built;
}

bool RepoMasterListSave(const tRepoMasterList *list, const char *fileName) {
  CallTraceEnter("RepoMasterListSave");
  bool saved = false;
  tByteWriter w;
  WriterInit(&w);
  if (fileName != nullptr && fileName[0] != '\0' && RepoMasterListBuild(list, &w.Data, &w.Size)) {
    w.Capacity = w.Size;
    saved = WriterSave(&w, fileName);
  }
  WriterFree(&w);
  if (!saved) LogVantero("Failed to write the master list '%s'", fileName != nullptr ? fileName : "");
  CallTraceExit(nullptr);
  return saved;
}
