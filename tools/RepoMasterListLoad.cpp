// RepoMasterListLoad.cpp - reading a repository's master list: the image is
// checked whole (its checksum, every count and length against the bytes
// left, no two entries for one TAP) before it becomes the caller's list, so
// a download that was cut short, garbled or written by a faulty server
// never yields part of a list.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

// Smallest entry: four dwords and three empty strings.
static const dword EntryMinSize = 28;

static void SetReason(char *reason, dword reasonSize, const char *text) {
  if (reason != nullptr && reasonSize > 0) snprintf(reason, reasonSize, "%s", text);
}

static void ReadEntry(tByteReader *r, tMasterList *entry) {
  entry->TAPID = ReaderDword(r);
  entry->VPDURL = ReaderString(r);
  entry->Name = ReaderString(r);
  entry->Author = ReaderString(r);
  entry->TopfieldEuropeTimeStamp = ReaderDword(r);
  entry->Category = ReaderDword(r);
  entry->VPDTimeStamp = ReaderDword(r);
}

// The header up to the entry count; the reason when it is not a list of
// this version.
static const char *CheckHeader(tByteReader *r) {
  char magic[sizeof REPO_MASTERLIST_MAGIC] = "";
  if (ReaderDword(r) != sizeof REPO_MASTERLIST_MAGIC - 1 || !ReaderBytes(r, magic, sizeof magic - 1) ||
      strcmp(magic, REPO_MASTERLIST_MAGIC) != 0)
    return "not a master list";
  dword version = ReaderDword(r);
  if (r->Failed) return "cut short";
  if (version != REPO_MASTERLIST_VERSION) return "unknown version";
  return nullptr;
}

// The checksum in the last four bytes over all before them.
static bool ChecksumMatches(const byte *data, dword size) {
  if (size < 4) return false;
  tByteReader r;
  ReaderInit(&r, data + size - 4, 4);
  return CRC32(CRC32_INITIAL, data, size - 4) == ReaderDword(&r);
}

// The first TAP ID that two entries share, or 0.  An open-addressing set
// of the IDs seen (0 marks a free slot; entries without ID are refused
// before) finds it in one pass; the box's libc has no qsort.  0 also when
// memory runs out, which *failed says.
static dword FindDuplicateId(const tRepoMasterList *list, bool *failed) {
  dword slots = 4;
  while (slots < 2 * (dword)list->NrOfEntries) slots *= 2;
  dword *set = (dword *)TAP_MemAlloc(slots * sizeof(dword));
  *failed = set == nullptr;
  if (set == nullptr) return 0;
  memset(set, 0, slots * sizeof(dword));
  dword duplicate = 0;
  for (int i = 0; i < list->NrOfEntries && duplicate == 0; i++) {
    dword id = list->Entries[i].TAPID;
    dword slot = (id * 2654435761u) & (slots - 1);
    while (set[slot] != 0 && set[slot] != id) slot = (slot + 1) & (slots - 1);
    if (set[slot] == id) duplicate = id;
    set[slot] = id;
  }
  TAP_MemFree(set);
  return duplicate;
}

static bool RepoEntryURLValid(const char *url) {
  if (url == nullptr || strlen(url) >= REPO_URL_MAX) return false;
  for (const char *p = url; *p != '\0'; p++)
    if ((byte)*p <= ' ' || *p == 0x7F) return false;
  return true;
}

const char *RepoMasterListCheck(const tRepoMasterList *list, char *reason, dword reasonSize) {
  for (int i = 0; i < list->NrOfEntries; i++) {
    const tMasterList *entry = &list->Entries[i];
    if (entry->TAPID == 0) return "an entry without TAP ID";
    if (!RepoEntryURLValid(entry->VPDURL)) {
      snprintf(reason, reasonSize, "bad VPDURL for TAP %8.8X", (unsigned)entry->TAPID);
      return reason;
    }
  }
  bool failed = false;
  dword duplicate = FindDuplicateId(list, &failed);
  if (failed) return "out of memory";
  if (duplicate == 0) return nullptr;
  snprintf(reason, reasonSize, "two entries for TAP %8.8X", (unsigned)duplicate);
  return reason;
}

// Reads the entries into list; the reason when the image is damaged.
static const char *ReadEntries(tByteReader *r, tRepoMasterList *list, char *text, dword textSize) {
  const char *problem = CheckHeader(r);
  if (problem != nullptr) return problem;
  int count = ReaderCount(r, EntryMinSize);
  if (count > REPO_MASTERLIST_MAX_ENTRIES) r->Failed = true;
  list->Entries = (tMasterList *)ReaderAllocate(r, (dword)count, sizeof(tMasterList));
  if (list->Entries != nullptr) list->NrOfEntries = count;
  for (int i = 0; i < list->NrOfEntries && !r->Failed; i++) ReadEntry(r, &list->Entries[i]);
  if (r->Failed) return "cut short or a count beyond its bytes";
  if (ReaderLeft(r) != 4) return "bytes after the last entry";
  return RepoMasterListCheck(list, text, textSize);
}

bool RepoMasterListParse(const byte *data, dword size, tRepoMasterList *list, char *reason,
                         dword reasonSize) {
  CallTraceEnter("RepoMasterListParse");
  char text[64] = "";
  const char *problem = "no list";
  if (list != nullptr) {
    memset(list, 0, sizeof *list);
    tByteReader r;
    ReaderInit(&r, data, size);
    problem = ReadEntries(&r, list, text, sizeof text);
    // The checksum is judged after the structure, so a cut file says so.
    if (problem == nullptr && !ChecksumMatches(data, size)) problem = "bad checksum";
    if (problem != nullptr) RepoMasterListFree(list);
  }
  SetReason(reason, reasonSize, problem != nullptr ? problem : "");
  CallTraceExit(nullptr);
  return problem == nullptr;
}

bool RepoMasterListLoad(const char *fileName, tRepoMasterList *list) {
  CallTraceEnter("RepoMasterListLoad");
  bool loaded = false;
  if (list != nullptr) memset(list, 0, sizeof *list);
  if (fileName != nullptr && fileName[0] != '\0' && list != nullptr) {
    byte *data = nullptr;
    dword size = 0;
    tWorkDir saved = WorkDirSave();
    tReadFileResult result =
        HDD_ChangeDir(VANTERO_SETTINGS_DIR) ? ReadWholeFile(fileName, &data, &size) : RF_Missing;
    WorkDirRestore(&saved);
    char reason[64];
    if (result == RF_Missing) {
      snprintf(reason, sizeof reason, "missing");
    } else if (result == RF_TooLarge || result == RF_ReadError) {
      snprintf(reason, sizeof reason, result == RF_TooLarge ? "too large" : "unreadable");
    } else {
      loaded = RepoMasterListParse(data, size, list, reason, sizeof reason);
    }
    TAP_MemFree(data);
    if (!loaded) LogVantero("Master list '%s' rejected: %s", fileName, reason);
  }
  CallTraceExit(nullptr);
  return loaded;
}
