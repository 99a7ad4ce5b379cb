// FileJournalRecover.cpp - at start, finishing or undoing the set of file changes that a journal left by a
// power cut describes.  Every step is repeatable, so a power cut during the recovery is recovered the same
// way; a journal that cannot be trusted is set aside and no file is touched.
#include "BoundedString.h"
#include "FileJournalFile.h"

// ReplaceWholeFile's temporary file of the journal, left when a phase write was cut short.
static bool DeleteJournalTemp(const char *journalPath) {
  char temp[KALIB_PATH_MAX];
  if (!StrCopyBounded(temp, sizeof temp, journalPath) ||
      !StrAppendBounded(temp, sizeof temp, REPLACE_WHOLE_FILE_SUFFIX))
    return true;  // too long a name to have a temporary file
  return FjDelete(temp);
}

// Moves the journal aside as "<journal>.damaged" (an older one replaced) so that it can be looked at.
static int SetAside(const tFileJournal *j, const tFjReason *reason) {
  char aside[KALIB_PATH_MAX];
  if (StrCopyBounded(aside, sizeof aside, j->Path) &&
      StrAppendBounded(aside, sizeof aside, FILE_JOURNAL_DAMAGED_SUFFIX) && FjRename(j->Path, aside)) {
    FjSetReason(reason, "the journal is damaged or cut short: set aside with \"" FILE_JOURNAL_DAMAGED_SUFFIX
                        "\" added, no other file touched");
    return FJR_Damaged;
  }
  FjSetReason(reason, "the journal is damaged and cannot be set aside");
  return FJR_Failed;
}

static int FinishOrUndo(tFileJournal *j, const tFjReason *reason) {
  switch (j->Phase) {
    case FJP_Staging:
      if (!FjDropStaged(j, reason)) return FJR_Failed;
      FjSetReason(reason, "the set was not swapped yet: the staged files were deleted");
      return FJR_RolledBack;
    case FJP_Swapping:
      if (FjCanComplete(j)) {
        if (!FjSwapAll(j, reason) || !FjFinishCleaning(j, reason)) return FJR_Failed;
        FjSetReason(reason, "the interrupted swap was finished");
        return FJR_Completed;
      }
      if (!FjRollBackAll(j, reason)) return FJR_Failed;
      FjSetReason(reason, "a staged file was missing: the old files were put back");
      return FJR_RolledBack;
    default:
      if (!FjFinishCleaning(j, reason)) return FJR_Failed;
      FjSetReason(reason, "the interrupted clean-up was finished");
      return FJR_Completed;
  }
}

int FileJournalRecover(const char *journalPath, char *Reason, dword ReasonSize) {
  tFjReason reason = {Reason, ReasonSize};
  FjSetReason(&reason, "");
  tFileJournal j;
  if (!FileJournalBegin(&j, journalPath)) {
    FjSetReason(&reason, "no journal path");
    return FJR_Failed;
  }
  if (!DeleteJournalTemp(journalPath)) {
    FjSetReason(&reason, "cannot delete the journal's temporary file");
    return FJR_Failed;
  }
  int loaded = FjLoad(&j, &reason);
  int result = loaded == 0    ? FJR_Nothing
               : loaded == -1 ? SetAside(&j, &reason)
               : loaded < 0   ? FJR_Failed
                              : FinishOrUndo(&j, &reason);
  FileJournalFree(&j);
  return result;
}
