// TAPsOnBoardFind.cpp - the scan that brings the on-board inventory up to
// date: every TAP file below "/ProgramFiles" (each real folder once, the
// manager's settings folder left out) has its header read; new TAP IDs are
// added, and a file's CRC is recomputed only when its modification time
// changed.
//
// A file whose CRC the scan will compute is read once: a file that fits in
// the CRC buffer is read whole with one read and its header is taken from
// those bytes; a larger one keeps its handle for the CRC, while its header
// comes from the small positioned reads of the header reader (a stream read
// from the start reaches the section table, which the linker puts at the
// end, only after the sections it names).  Whether the CRC will be needed
// is judged from the time stamp before the header is read: a time stamp
// that no entry with a CRC (not matched yet) holds is a new or updated file.
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

static const dword CRCBufferSize = 102400;

static int FindEntry(dword tapId) {
  for (int i = 0; i < TAPsOnBoardCount; i++)
    if (TAPsOnBoard[i].TAPID == tapId) return i;
  return -1;
}

// One TAP file as the scan reads it: opened once when its CRC is expected
// to be needed, and read whole into the buffer when it fits.
namespace {
struct tScanFile {
  const char *Name;
  byte *Buffer;  // the scan's CRC buffer; null when it could not be had
  TYPE_File *File;
  dword Size;  // bytes in Buffer when Whole
  bool Whole;
};
}  // namespace

// Whether an entry that this scan has not matched yet holds this time stamp
// with a CRC: a file with any other time stamp is new or updated, and its
// CRC is computed.  Entries already matched are left out, so that TAPs
// copied onto the disk within one second are still known as new.
static bool TimeStampHasCRC(dword time) {
  for (int i = 0; i < TAPsOnBoardCount; i++)
    if (!TAPsOnBoard[i].Found && TAPsOnBoard[i].TimeStamp == time && TAPsOnBoard[i].CRC != 0) return true;
  return false;
}

// Opens the file for its CRC and reads it whole when it fits in the buffer.
static void ScanFileOpen(tScanFile *scan) {
  scan->File = TAP_Hdd_Fopen(scan->Name);
  if (scan->File == nullptr) return;
  dword size = TAP_Hdd_Flen(scan->File);
  if (size == 0 || size > CRCBufferSize) return;
  if (TAP_Hdd_Fread(scan->Buffer, size, 1, scan->File) != 1) {
    TAP_Hdd_Fclose(scan->File);  // the CRC reads it anew and gives 0 as before
    scan->File = nullptr;
    return;
  }
  scan->Size = size;
  scan->Whole = true;
}

static void ScanFileClose(tScanFile *scan) {
  if (scan->File != nullptr) TAP_Hdd_Fclose(scan->File);
  scan->File = nullptr;
}

static bool ScanFileInfo(const tScanFile *scan, tTAPInfo *info) {
  return scan->Whole ? HDD_TAP_GetInfoFromImage(scan->Buffer, scan->Size, info)
                     : HDD_TAP_GetInfo(scan->Name, info);
}

// The file's CRC from the bytes already read, through the open handle, or
// from a fresh open; 0 when the scan could not get its buffer.
static dword ScanFileCRC(tScanFile *scan) {
  if (scan->Buffer == nullptr) return 0;
  if (scan->Whole) return CRC32(CRC32_INITIAL, scan->Buffer, scan->Size);
  if (scan->File == nullptr) return CRC32File(scan->Name, scan->Buffer, CRCBufferSize);
  dword crc = CRC32OpenFile(scan->File, CRC32_INITIAL, scan->Buffer, CRCBufferSize);
  ScanFileClose(scan);  // read to its end: a second CRC would open it anew
  return crc;
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

// Brings the inventory up to date for one TAP file whose identity is read.
static void ScanTAPEntry(tScanFile *scan, const char *folder, const tTAPInfo &info, dword time) {
  const char *name = scan->Name;
  bool isAutoStart = strstr(folder, "/ProgramFiles/AutoStart") != nullptr ||
                     strstr(folder, "/ProgramFiles/XStart") != nullptr;

  int index = FindEntry(info.TAPID);
  if (index < 0) {
    index = AddEntry(folder, name, info);
    if (index < 0) return;
    TAPsOnBoard[index].TimeStamp = time;
    TAPsOnBoard[index].CRC = ScanFileCRC(scan);
  } else {
    tTAPsOnBoard *entry = &TAPsOnBoard[index];
    if (entry->TimeStamp != time) {
      LogVantero("TOB: %s has been updated (%8.8x) (%d vs. %d)", name, (unsigned)info.TAPID,
                 (int)entry->TimeStamp, (int)time);
      entry->TimeStamp = time;
      entry->CRC = ScanFileCRC(scan);
    } else if (entry->CRC == 0) {
      entry->CRC = ScanFileCRC(scan);  // a scan without its buffer left it out
    }
    if ((entry->isAutoStart != 0) != isAutoStart)
      LogVantero("TOB: %s (%8.8x) changed AutoStart mode to %s", name, (unsigned)info.TAPID,
                 isAutoStart ? "on" : "off");
  }
  TAPsOnBoard[index].Found = TRUE;
  TAPsOnBoard[index].isAutoStart = isAutoStart;
}

// Visitor of the walk: one TAP file in the working directory, folder.
static bool ScanTAPFile(void *crcBuffer, const char *folder, const char *name) {
  char path[KALIB_PATH_MAX];
  int length = snprintf(path, sizeof path, "%s/%s", folder, name);
  if (length < 0 || length >= (int)sizeof path) return false;
  dword time = HDD_GetFileTimeByFileName(path);
  tScanFile scan = {name, (byte *)crcBuffer, nullptr, 0, false};
  if (scan.Buffer != nullptr && !TimeStampHasCRC(time)) ScanFileOpen(&scan);
  tTAPInfo info;
  if (ScanFileInfo(&scan, &info)) ScanTAPEntry(&scan, folder, info, time);
  ScanFileClose(&scan);
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
