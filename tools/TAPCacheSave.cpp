// TAPCacheSave.cpp - the file "TAPCache.bin": writing the cache and reading
// an image back.  Each record is the TAP ID, the master-list entry's name
// and the version text (4-byte length, then the bytes), the time stamp, the
// deploy mode, the alpha password and the eleven 4-byte flags; the records
// are followed by four zero bytes per record.  The file has no header.
#include <string.h>

#include "ToolsInternal.h"

static dword TextLength(const char *s) { return s != nullptr ? (dword)strlen(s) : 0; }

static void EncodeEntry(tByteWriter *w, const tTAPCache *e) {
  const char *name = e->MasterList->Name;
  WriterDword(w, e->TAPID);
  WriterDword(w, TextLength(name));
  WriterBytes(w, name, TextLength(name));
  WriterDword(w, TextLength(e->Version));
  WriterBytes(w, e->Version, TextLength(e->Version));
  WriterDword(w, e->TimeStamp);
  WriterDword(w, (dword)e->DeployMode);
  WriterInt64(w, e->AlphaPassword);
  const dword values[11] = {e->isInstalled,  e->isVisible,     e->isRevoked,
                            e->mayAutoStart, e->isUpdated,     e->AlphaPwdMatch,
                            e->hasSettings,  e->hasScreenShot, (dword)e->VPDVersionIndex,
                            e->isRunning,    e->isAutoStart};
  for (dword value : values) WriterDword(w, value);
}

bool TAPCacheSave(void) {
  CallTraceEnter("TAPCacheSave");
  tByteWriter w;
  WriterInit(&w);
  bool complete = true;
  for (int i = 0; complete && i < TAPCacheSize && TAPCache != nullptr; i++) {
    const tTAPCache *e = &TAPCache[i];
    if (e->MasterList == nullptr) {
      LogVantero("Failed to write the cache for TAP %8.8x because MasterList == NULL\n", (unsigned)e->TAPID);
      complete = false;
    } else if (e->Version == nullptr) {
      LogVantero("Failed to write the cache for TAP %8.8x because Version == NULL\n", (unsigned)e->TAPID);
      complete = false;
    } else {
      EncodeEntry(&w, e);
    }
  }
  bool saved = false;
  if (complete) {
    for (int i = 0; i < TAPCacheSize; i++) WriterDword(&w, 0);
    saved = WriterSave(&w, TAPCACHE_FILE_NAME);
    if (!saved) LogVantero("Failed to write TAPCache file");
  }
  WriterFree(&w);
  CallTraceExit(nullptr);
  return saved;
}

// Reads one record; false when the image ends inside it.
static bool DecodeRecord(tByteReader *r, tTAPCacheRecord *record) {
  record->TAPID = ReaderDword(r);
  record->NameLength = ReaderDword(r);
  if (r->Failed || record->NameLength > ReaderLeft(r)) return false;
  record->Name = (const char *)r->Data + r->Pos;
  r->Pos += record->NameLength;
  record->VersionLength = ReaderDword(r);
  if (r->Failed || record->VersionLength > ReaderLeft(r)) return false;
  record->Version = (const char *)r->Data + r->Pos;
  r->Pos += record->VersionLength;
  record->TimeStamp = ReaderDword(r);
  record->DeployMode = ReaderDword(r);
  record->AlphaPassword = ReaderInt64(r);
  for (dword &value : record->Values) value = ReaderDword(r);
  return !r->Failed;
}

// Whether the rest of the image is the zero tail of count records.
static bool AtZeroTail(const tByteReader *r, dword count) {
  if (ReaderLeft(r) != 4 * count) return false;
  for (dword i = r->Pos; i < r->Size; i++)
    if (r->Data[i] != 0) return false;
  return true;
}

// Walks the records; the count, or -1 when the image is not a cache file.
static int WalkRecords(const byte *data, dword size, tTAPCacheVisitor visit, void *context) {
  tByteReader r;
  ReaderInit(&r, data, size);
  dword count = 0;
  while (!AtZeroTail(&r, count)) {
    tTAPCacheRecord record;
    // A record needs at least its fixed bytes and its share of the tail.
    if (ReaderLeft(&r) < TAPCACHE_RECORD_FIXED + 4 * (count + 1) || !DecodeRecord(&r, &record)) return -1;
    if (visit != nullptr) visit(context, &record);
    count++;
  }
  return (int)count;
}

int TAPCacheParse(const byte *data, dword size, tTAPCacheVisitor visit, void *context) {
  CallTraceEnter("TAPCacheParse");
  if (data == nullptr) size = 0;
  // Checked whole first, so that a damaged image reaches no visitor.
  int count = WalkRecords(data, size, nullptr, nullptr);
  if (count > 0 && visit != nullptr) WalkRecords(data, size, visit, context);
  CallTraceExit(nullptr);
  return count;
}

int TAPCacheReadFile(tTAPCacheVisitor visit, void *context) {
  CallTraceEnter("TAPCacheReadFile");
  int count = -1;
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) {
    byte *data = nullptr;
    dword size = 0;
    tReadFileResult read = ReadWholeFile(TAPCACHE_FILE_NAME, &data, &size);
    if (read == RF_Missing) {
      LogVantero("TAPCache.bin not found");
    } else {
      count = read == RF_Ok || read == RF_Empty ? TAPCacheParse(data, size, visit, context) : -1;
      if (count < 0) {
        LogVantero("TAPCache.bin is damaged");
        count = -2;
      }
    }
    TAP_MemFree(data);
  }
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
  return count;
}
