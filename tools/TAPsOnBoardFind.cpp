// TAPsOnBoardFind.cpp - the scan that brings the on-board inventory up to
// date: every TAP file below "/ProgramFiles" (each real folder once, the
// manager's settings folder left out) has its header read; new TAP IDs are
// added, and a file's CRC is recomputed only when its modification time
// changed.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

static const dword CRCBufferSize = 102400;

static int FindEntry(dword tapId) {
  for (int i = 0; i < TAPsOnBoardCount; i++)
    if (TAPsOnBoard[i].TAPID == tapId) return i;
  return -1;
}

// CRCs are 0 when the scan could not get its buffer.
static dword FileCRC(byte *buffer, const char *name) {
  return buffer != nullptr ? CRC32File(name, buffer, CRCBufferSize) : 0;
}

// Whether the scan skipped a new TAP because the table was full.
static bool TableOverflowed = false;

// A new entry for the TAP, or -1 when the table is full.
static int AddEntry(const char *folder, const char *name, const tTAPInfo &info) {
  if (TAPsOnBoardCount >= TOB_MAX_ENTRIES - 1) LogVantero("Warning: reached 200 TOB elements");
  if (TAPsOnBoardCount >= TOB_MAX_ENTRIES) {
    TableOverflowed = true;
    return -1;
  }
  tTAPsOnBoard *entry = &TAPsOnBoard[TAPsOnBoardCount];
  memset(entry, 0, sizeof *entry);
  entry->TAPID = info.TAPID;
  snprintf(entry->TAPName, sizeof entry->TAPName, "%s", info.TAPName);
  entry->PartOf = 0;
  LogVantero("TOB: %s is new (%8.8x) (%s)", name, (unsigned)info.TAPID, folder);
  return TAPsOnBoardCount++;
}

// Visitor of the walk: one TAP file in the working directory, folder.
static bool ScanTAPFile(void *crcBuffer, const char *folder, const char *name) {
  tTAPInfo info;
  char path[KALIB_PATH_MAX];
  int length = snprintf(path, sizeof path, "%s/%s", folder, name);
  if (length < 0 || length >= (int)sizeof path || !HDD_TAP_GetInfo(name, &info)) return false;
  dword time = HDD_GetFileTimeByFileName(path);
  bool isAutoStart = strstr(folder, "/ProgramFiles/AutoStart") != nullptr ||
                     strstr(folder, "/ProgramFiles/XStart") != nullptr;

  int index = FindEntry(info.TAPID);
  if (index < 0) {
    index = AddEntry(folder, name, info);
    if (index < 0) return false;
    TAPsOnBoard[index].TimeStamp = time;
    TAPsOnBoard[index].CRC = FileCRC((byte *)crcBuffer, name);
  } else {
    tTAPsOnBoard *entry = &TAPsOnBoard[index];
    if (entry->TimeStamp != time) {
      LogVantero("TOB: %s has been updated (%8.8x) (%d vs. %d)", name, (unsigned)info.TAPID,
                 (int)entry->TimeStamp, (int)time);
      entry->TimeStamp = time;
      entry->CRC = FileCRC((byte *)crcBuffer, name);
    } else if (entry->CRC == 0) {
      entry->CRC = FileCRC((byte *)crcBuffer, name);  // a scan without its buffer left it out
    }
    if ((entry->isAutoStart != 0) != isAutoStart)
      LogVantero("TOB: %s (%8.8x) changed AutoStart mode to %s", name, (unsigned)info.TAPID,
                 isAutoStart ? "on" : "off");
  }
  TAPsOnBoard[index].Found = TRUE;
  TAPsOnBoard[index].isAutoStart = isAutoStart;
  return false;
}

// Removes the entries whose TAP the scan did not find; true when any left.
static bool DropVanished(void) {
  int kept = 0;
  for (int i = 0; i < TAPsOnBoardCount; i++) {
    if (!TAPsOnBoard[i].Found) continue;
    if (kept != i) TAPsOnBoard[kept] = TAPsOnBoard[i];
    kept++;
  }
  bool dropped = kept < TAPsOnBoardCount;
  if (dropped) memset(&TAPsOnBoard[kept], 0, (TAPsOnBoardCount - kept) * sizeof(tTAPsOnBoard));
  TAPsOnBoardCount = kept;
  return dropped;
}

void TAPsOnBoardFind(void) {
  CallTraceEnter("TAPsOnBoardFind");
  if (TAPsOnBoardCount == 0) TAPsOnBoardLoad();
  if (TAPsOnBoard != nullptr) {
    byte *crcBuffer = (byte *)TAP_MemAlloc(CRCBufferSize);
    if (crcBuffer == nullptr)
      LogVantero("TOB: no memory for the CRC buffer, new CRCs follow at the next scan");
    for (int i = 0; i < TOB_MAX_ENTRIES; i++) TAPsOnBoard[i].Found = FALSE;
    tWorkDir saved = WorkDirSave();
    TableOverflowed = false;
    if (HDD_ChangeDir("/ProgramFiles")) {
      // A TAP file the manager keeps in its settings folder is not installed.
      FolderWalkFiles("/ProgramFiles", "tap", VANTERO_SETTINGS_DIR, KALIB_PATH_MAX - 1, ScanTAPFile,
                      crcBuffer);
      // Entries of TAPs the walk did not find leave, so that a damaged
      // inventory full of strangers cannot keep real TAPs out for good;
      // TAPs skipped for want of room are looked for once more.
      if (DropVanished() && TableOverflowed)
        FolderWalkFiles("/ProgramFiles", "tap", VANTERO_SETTINGS_DIR, KALIB_PATH_MAX - 1, ScanTAPFile,
                        crcBuffer);
    }
    WorkDirRestore(&saved);
    TAP_MemFree(crcBuffer);
  }
  CallTraceExit(nullptr);
}
