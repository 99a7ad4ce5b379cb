// FileJournalFile.h - internal to Kalib: the file journal's disk helpers (files named by Linux path),
// its file format and the repeatable steps that the commit and the recovery share.
//
// The journal file, all numbers little-endian:
//   "KFJR"  magic, 4 bytes
//   byte    format version (FILE_JOURNAL_VERSION)
//   byte    phase (tFileJournalPhase)
//   word    number of steps (at most FILE_JOURNAL_MAX_STEPS)
//   per step, three times (final, staged, backup): word length (below KALIB_PATH_MAX), then the
//           path's bytes without terminator; an empty staged path is a removal, an empty backup
//           path means there was no old file
//   dword   CRC-32 (IEEE, reflected, start and final XOR 0xFFFFFFFF) of every byte before it
// Anything else (a cut file, a wrong check, an unknown version) is a damaged journal.
#ifndef KALIB_FILE_JOURNAL_FILE_H
#define KALIB_FILE_JOURNAL_FILE_H

#include "Kalib.h"

#define FILE_JOURNAL_VERSION 1
// Added to a final path for the old file's name during the swap; a number follows when a stray
// file already has the name.
#define FILE_JOURNAL_BACKUP_SUFFIX ".fjbak"
// A journal that cannot be read is set aside under its name with this added.
#define FILE_JOURNAL_DAMAGED_SUFFIX ".damaged"

#ifdef __cplusplus
extern "C" {
#endif

// Room for a reason; Text may be null.
typedef struct {
  char *Text;
  dword Size;
} tFjReason;

void FjSetReason(const tFjReason *reason, const char *text);
// Sets "<what>: <detail>" as the reason.
void FjSetReason2(const tFjReason *reason, const char *what, const char *detail);

/* ---- disk (FileJournalDisk.cpp) ---- */
bool FjExists(const char *linuxPath);
// Deletes a file through the firmware; true when it is gone afterwards.
bool FjDelete(const char *linuxPath);
// Renames within the disk in one step; true on success.
bool FjRename(const char *from, const char *to);
// Writes the data as linuxPath through ReplaceWholeFile (never half written).
bool FjWriteWhole(const char *linuxPath, const void *data, dword size, const tFjReason *reason);

/* ---- format (FileJournalFormat.cpp) ---- */
// Writes the journal j->Path with j's phase and steps.
bool FjSave(const tFileJournal *j, const tFjReason *reason);
// 1 when j (empty before; Path set) was read from j->Path, 0 when no journal exists, -1 when it is
// damaged, -2 when it cannot be read now (no memory, a read error; reason set for both).
int FjLoad(tFileJournal *j, const tFjReason *reason);
// Makes room for one more step; false when memory runs out or the set is full.
bool FjReserveStep(tFileJournal *j);

/* ---- steps (FileJournalSteps.cpp) ---- */
// Every step to do is done or can still be done: each staged file is in place or still there.
bool FjCanComplete(const tFileJournal *j);
// Moves every old file to its backup and every staged file to its final name; repeatable.
bool FjSwapAll(const tFileJournal *j, const tFjReason *reason);
// Puts every old file back and deletes the new and the staged files, then the journal; repeatable.
bool FjRollBackAll(const tFileJournal *j, const tFjReason *reason);
// After a whole swap: records phase FJP_Cleaning, deletes the backups, then the journal.
bool FjFinishCleaning(tFileJournal *j, const tFjReason *reason);
// Deletes the staged files, then the journal (nothing was swapped yet).
bool FjDropStaged(const tFileJournal *j, const tFjReason *reason);

#ifdef __cplusplus
}
#endif

#endif /* KALIB_FILE_JOURNAL_FILE_H */
