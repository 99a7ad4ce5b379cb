// TAPsOnBoard.cpp - the on-board TAP inventory's table and its file
// "TAPOnBoard.bin": version 3, the entry count, then the 88-byte entries.
//
// Entries are encoded field by field, little-endian, so the file has the
// same layout whatever the CPU or the compiler's record layout.  A damaged
// file (count beyond the bytes present, cut short) is rejected as a whole.
#include <string.h>

#include "ToolsInternal.h"

tTAPsOnBoard *TAPsOnBoard = nullptr;
int TAPsOnBoardCount = 0;

static const dword TableBytes = TOB_MAX_ENTRIES * sizeof(tTAPsOnBoard);
static const dword EntryFileSize = 88;

static void ClearTable(void) {
  memset(TAPsOnBoard, 0, TableBytes);
  TAPsOnBoardCount = 0;
}

static void DecodeEntry(tByteReader *r, tTAPsOnBoard *entry) {
  entry->TAPID = ReaderDword(r);
  ReaderBytes(r, entry->TAPName, sizeof entry->TAPName);
  entry->TAPName[sizeof entry->TAPName - 1] = '\0';
  entry->TimeStamp = ReaderDword(r);
  entry->CRC = ReaderDword(r);
  entry->isAutoStart = ReaderDword(r) != 0;
  entry->Found = ReaderDword(r) != 0;
  entry->PartOf = ReaderDword(r);
}

static void EncodeEntry(tByteWriter *w, const tTAPsOnBoard *entry) {
  WriterDword(w, entry->TAPID);
  WriterBytes(w, entry->TAPName, sizeof entry->TAPName);
  WriterDword(w, entry->TimeStamp);
  WriterDword(w, entry->CRC);
  WriterDword(w, entry->isAutoStart);
  WriterDword(w, entry->Found);
  WriterDword(w, entry->PartOf);
}

// Fills the table from the file's image; false (table empty) when the image
// is not a complete version-3 inventory.  A count above the table's size is
// cut to it.
static bool DecodeInventory(const byte *data, dword size) {
  tByteReader r;
  ReaderInit(&r, data, size);
  dword version = ReaderDword(&r);
  int count = (int)ReaderDword(&r);
  if (!r.Failed && version != TOB_FILE_VERSION) {
    LogVantero("Invalid TOB cache version.");
    return false;
  }
  if (count > TOB_MAX_ENTRIES) count = TOB_MAX_ENTRIES;
  if (r.Failed || count < 0 || (dword)count * EntryFileSize > ReaderLeft(&r)) {
    LogVantero("Damaged TOB cache.");
    return false;
  }
  for (int i = 0; i < count; i++) DecodeEntry(&r, &TAPsOnBoard[i]);
  TAPsOnBoardCount = count;
  return true;
}

bool TAPsOnBoardLoad(void) {
  CallTraceEnter("TAPsOnBoardLoad");
  if (TAPsOnBoard == nullptr) {
    TAPsOnBoard = (tTAPsOnBoard *)TAP_MemAlloc(TableBytes);
    if (TAPsOnBoard != nullptr) ClearTable();
  }
  bool loaded = false;
  tWorkDir saved = WorkDirSave();
  if (TAPsOnBoard != nullptr && HDD_ChangeDir(VANTERO_SETTINGS_DIR) && TAP_Hdd_Exist(TOB_FILE_NAME)) {
    byte *data = nullptr;
    dword size = 0;
    tReadFileResult result = ReadWholeFile(TOB_FILE_NAME, &data, &size);
    ClearTable();
    if (result == RF_Ok) {
      loaded = DecodeInventory(data, size);
      if (!loaded) ClearTable();
    } else if (result != RF_Missing) {
      LogVantero("Damaged TOB cache.");
    }
    TAP_MemFree(data);
  }
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
  return loaded;
}

bool TAPsOnBoardFree(void) {
  CallTraceEnter("TAPsOnBoardFree");
  int count = TAPsOnBoard == nullptr || TAPsOnBoardCount < 0 ? 0 : TAPsOnBoardCount;
  if (count > TOB_MAX_ENTRIES) count = TOB_MAX_ENTRIES;
  tByteWriter w;
  WriterInit(&w);
  WriterDword(&w, TOB_FILE_VERSION);
  WriterDword(&w, (dword)count);
  for (int i = 0; i < count; i++) EncodeEntry(&w, &TAPsOnBoard[i]);
  bool written = WriterSave(&w, TOB_FILE_NAME);
  if (!written) LogVantero("Failed to write TOB cache file.");
  CallTraceExit(nullptr);
  return written;
}
