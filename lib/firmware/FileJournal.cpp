// FileJournal.cpp - a set of file changes made whole or not at all: planning the steps, recording them,
// the commit (old files to backups, staged files into place, backups deleted) and dropping a set.  The
// journal on the disk always describes what may have been done, so FileJournalRecover can finish or undo
// the set after a power cut at any moment.
#include <stdio.h>
#include <string.h>

#include "BoundedString.h"
#include "FileJournalFile.h"

// Backup names tried for one final path: the plain suffix, then with a number 1 to 99.
static const int kBackupNames = 100;

static bool PathUsedInSet(const tFileJournal *j, const char *path) {
  for (int i = 0; i < j->NrOfSteps; i++) {
    const tFileJournalStep *s = &j->Steps[i];
    if (strcmp(s->Final, path) == 0 || strcmp(s->Staged, path) == 0 || strcmp(s->Backup, path) == 0)
      return true;
  }
  return false;
}

// A backup name beside finalPath that no file and no other path of the set has: a stray file left under
// the plain name by someone else is never taken for this set's backup, nor deleted.
static bool ChooseBackup(const tFileJournal *j, tFileJournalStep *step) {
  for (int n = 0; n < kBackupNames; n++) {
    char suffix[16];
    if (n == 0)
      StrCopyBounded(suffix, sizeof suffix, FILE_JOURNAL_BACKUP_SUFFIX);
    else
      snprintf(suffix, sizeof suffix, "%s%d", FILE_JOURNAL_BACKUP_SUFFIX, n);
    char name[KALIB_PATH_MAX];
    if (!StrCopyBounded(name, sizeof name, step->Final) || !StrAppendBounded(name, sizeof name, suffix))
      return false;
    if (!FjExists(name) && !PathUsedInSet(j, name) && strcmp(name, step->Staged) != 0)
      return StrCopyBounded(step->Backup, sizeof step->Backup, name);
  }
  return false;
}

bool FileJournalBegin(tFileJournal *j, const char *journalPath) {
  if (j == nullptr) return false;
  memset(j, 0, sizeof *j);
  if (journalPath == nullptr || journalPath[0] != '/') return false;
  j->Phase = FJP_Staging;
  return StrCopyBounded(j->Path, sizeof j->Path, journalPath);
}

bool FileJournalAdd(tFileJournal *j, const char *finalPath, const char *stagedPath) {
  if (j == nullptr || finalPath == nullptr || finalPath[0] != '/') return false;
  if (stagedPath == nullptr) stagedPath = "";
  if (strcmp(finalPath, stagedPath) == 0 || PathUsedInSet(j, finalPath) ||
      (stagedPath[0] != '\0' && PathUsedInSet(j, stagedPath)))
    return false;
  if (!FjReserveStep(j)) return false;
  tFileJournalStep *step = &j->Steps[j->NrOfSteps];
  memset(step, 0, sizeof *step);
  if (!StrCopyBounded(step->Final, sizeof step->Final, finalPath) ||
      !StrCopyBounded(step->Staged, sizeof step->Staged, stagedPath))
    return false;
  if (FjExists(finalPath) && !ChooseBackup(j, step)) return false;
  j->NrOfSteps++;
  return true;
}

bool FileJournalSave(tFileJournal *j, char *Reason, dword ReasonSize) {
  tFjReason reason = {Reason, ReasonSize};
  if (j == nullptr || j->Path[0] == '\0') {
    FjSetReason(&reason, "no journal");
    return false;
  }
  j->Phase = FJP_Staging;
  return FjSave(j, &reason);
}

// Brings the backup names up to date with the disk just before the swap is recorded: a final file that
// appeared since planning gets one, one that vanished needs none.
static bool RefreshBackups(tFileJournal *j) {
  for (int i = 0; i < j->NrOfSteps; i++) {
    tFileJournalStep *s = &j->Steps[i];
    bool exists = FjExists(s->Final);
    if (!exists) s->Backup[0] = '\0';
    if (exists && (s->Backup[0] == '\0' || FjExists(s->Backup)) && !ChooseBackup(j, s)) return false;
  }
  return true;
}

// The checks before anything is renamed: every staged file is there and every backup name is free.
static bool ReadyToSwap(tFileJournal *j, const tFjReason *reason) {
  for (int i = 0; i < j->NrOfSteps; i++) {
    const tFileJournalStep *s = &j->Steps[i];
    if (s->Staged[0] != '\0' && !FjExists(s->Staged)) {
      FjSetReason2(reason, "a staged file is missing", s->Staged);
      return false;
    }
  }
  if (RefreshBackups(j)) return true;
  FjSetReason(reason, "no free backup name");
  return false;
}

// Undoes a swap that failed at reason; the reason gains what happened to the set.
static void UndoSwap(tFileJournal *j, const tFjReason *reason) {
  char failure[200];
  StrCopyBounded(failure, sizeof failure, reason->Text != nullptr ? reason->Text : "a rename failed");
  char undo[200] = "";
  tFjReason undoReason = {undo, sizeof undo};
  if (FjRollBackAll(j, &undoReason))
    FjSetReason2(reason, failure, "the old files are back");
  else
    FjSetReason2(reason, failure, "the undo failed too; recovery will finish it");
}

bool FileJournalCommit(tFileJournal *j, char *Reason, dword ReasonSize) {
  tFjReason reason = {Reason, ReasonSize};
  if (j == nullptr || j->Path[0] == '\0') {
    FjSetReason(&reason, "no journal");
    return false;
  }
  j->Phase = FJP_Staging;
  if (!ReadyToSwap(j, &reason)) {
    FileJournalAbort(j);
    return false;
  }
  j->Phase = FJP_Swapping;
  char detail[160] = "";
  tFjReason saveReason = {detail, sizeof detail};
  if (!FjSave(j, &saveReason)) {
    // Nothing was renamed: the old set is intact.
    FjSetReason2(&reason, "cannot record the swap", detail);
    j->Phase = FJP_Staging;
    FileJournalAbort(j);
    return false;
  }
  char failure[200] = "";
  tFjReason swapReason = {failure, sizeof failure};
  if (!FjSwapAll(j, &swapReason)) {
    UndoSwap(j, &swapReason);
    FjSetReason(&reason, failure);
    return false;
  }
  // The new set is in place; a failing clean-up leaves the journal for the recovery to finish.
  if (!FjFinishCleaning(j, &reason)) return false;
  return true;
}

void FileJournalAbort(tFileJournal *j) {
  // Once the swap is recorded, only the commit's own undo or the recovery may touch the set.
  if (j == nullptr || j->Path[0] == '\0' || j->Phase != FJP_Staging) return;
  FjDropStaged(j, nullptr);
}

void FileJournalFree(tFileJournal *j) {
  if (j == nullptr) return;
  if (j->Steps != nullptr) TAP_MemFree(j->Steps);
  j->Steps = nullptr;
  j->NrOfSteps = 0;
}
