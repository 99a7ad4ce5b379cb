// FileJournalSteps.cpp - the steps of a swap, of its undo and of the clean-up, shared by the commit and the
// recovery.  Each step looks at what exists before it renames or deletes, so a step cut short by a power
// cut is simply done again.  The order keeps the disk readable: while the journal says FJP_Swapping, a
// replaced file counts as swapped in only while its backup exists, so backups are deleted only after phase
// FJP_Cleaning is recorded (or the journal is gone), and an undo first makes a staged file missing, which
// makes every later recovery undo the set too.
#include "BoundedString.h"
#include "FileJournalFile.h"

static bool IsSwappedIn(const tFileJournalStep *s) {
  return s->Staged[0] != '\0' && !FjExists(s->Staged) && FjExists(s->Final) &&
         (s->Backup[0] == '\0' || FjExists(s->Backup));
}

bool FjCanComplete(const tFileJournal *j) {
  for (int i = 0; i < j->NrOfSteps; i++) {
    const tFileJournalStep *s = &j->Steps[i];
    if (s->Staged[0] != '\0' && !FjExists(s->Staged) && !IsSwappedIn(s)) return false;
  }
  return true;
}

// Old file to its backup (when it is still under its final name), then the staged file to the final name.
static bool SwapStep(const tFileJournalStep *s, const tFjReason *reason) {
  if (s->Backup[0] != '\0' && FjExists(s->Final) && !FjExists(s->Backup) && !FjRename(s->Final, s->Backup)) {
    FjSetReason2(reason, "cannot keep the old file", s->Final);
    return false;
  }
  if (s->Staged[0] != '\0' && FjExists(s->Staged) && !FjRename(s->Staged, s->Final)) {
    FjSetReason2(reason, "cannot move the new file into place", s->Final);
    return false;
  }
  return true;
}

bool FjSwapAll(const tFileJournal *j, const tFjReason *reason) {
  for (int i = 0; i < j->NrOfSteps; i++)
    if (!SwapStep(&j->Steps[i], reason)) return false;
  return true;
}

// Deletes a staged file and the temporary file of a whole-file write of it that a power cut interrupted.
static bool DeleteStaged(const tFileJournalStep *s, const tFjReason *reason) {
  char temp[KALIB_PATH_MAX];
  bool hasTemp = StrCopyBounded(temp, sizeof temp, s->Staged) && s->Staged[0] != '\0' &&
                 StrAppendBounded(temp, sizeof temp, REPLACE_WHOLE_FILE_SUFFIX);
  if (FjDelete(s->Staged) && (!hasTemp || FjDelete(temp))) return true;
  FjSetReason2(reason, "cannot delete the staged file", s->Staged);
  return false;
}

// The new file away, the old file back from its backup, the staged file deleted.
static bool RollBackStep(const tFileJournalStep *s, const tFjReason *reason) {
  if (IsSwappedIn(s) && !FjDelete(s->Final)) {
    FjSetReason2(reason, "cannot delete the new file", s->Final);
    return false;
  }
  if (s->Backup[0] != '\0' && FjExists(s->Backup) && !FjExists(s->Final) && !FjRename(s->Backup, s->Final)) {
    FjSetReason2(reason, "cannot put the old file back", s->Final);
    return false;
  }
  return DeleteStaged(s, reason);
}

static bool DeleteJournal(const tFileJournal *j, const tFjReason *reason) {
  if (FjDelete(j->Path)) return true;
  FjSetReason(reason, "cannot delete the journal");
  return false;
}

bool FjRollBackAll(const tFileJournal *j, const tFjReason *reason) {
  // Steps with a staged file first: once one of them is undone, the set can only be undone.
  for (int pass = 0; pass < 2; pass++)
    for (int i = j->NrOfSteps - 1; i >= 0; i--) {
      const tFileJournalStep *s = &j->Steps[i];
      if ((s->Staged[0] != '\0') == (pass == 0) && !RollBackStep(s, reason)) return false;
    }
  return DeleteJournal(j, reason);
}

static bool DeleteBackups(const tFileJournal *j, const tFjReason *reason) {
  for (int i = 0; i < j->NrOfSteps; i++) {
    const tFileJournalStep *s = &j->Steps[i];
    if (!FjDelete(s->Backup)) {
      FjSetReason2(reason, "cannot delete the old file's backup", s->Backup);
      return false;
    }
  }
  return true;
}

bool FjFinishCleaning(tFileJournal *j, const tFjReason *reason) {
  if (j->Phase != FJP_Cleaning) {
    j->Phase = FJP_Cleaning;
    if (!FjSave(j, nullptr)) {
      // A full disk: the new set is whole, so the journal goes first and the backups after it.  A power
      // cut in between leaves backups behind, never a mix of two sets.
      return DeleteJournal(j, reason) && DeleteBackups(j, reason);
    }
  }
  return DeleteBackups(j, reason) && DeleteJournal(j, reason);
}

bool FjDropStaged(const tFileJournal *j, const tFjReason *reason) {
  for (int i = 0; i < j->NrOfSteps; i++)
    if (!DeleteStaged(&j->Steps[i], reason)) return false;
  return DeleteJournal(j, reason);
}
