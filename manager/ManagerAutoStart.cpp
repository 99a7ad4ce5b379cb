// ManagerAutoStart.cpp - the order in which the firmware starts the TAPs of
// the AutoStart folder, which is the order of their file names.  The screen
// lists them in that order; RED and GREEN move the TAP under the cursor up
// and down, OK applies the order shown.  Applying renames the TAPs whose
// place changed ("NN_<name>.tap", AutoStartPlanNames): each is copied to its
// new name and its old file removed, all of them as one set of the file
// journal, so that a power cut at any point leaves, after the recovery at
// the next start, the old order or the new one with every TAP exactly once.
// Copies, not renames, are staged: undoing a set deletes its staged files,
// and those must never be the only copy of a TAP.
#include <stdio.h>
#include <string.h>

#include "Graphics.h"
#include "Manager.h"

#define LINUX_AUTOSTART "/mnt/hd" AUTOSTART_DIR
#define JOURNAL_PATH "/mnt/hd" VANTERO_SETTINGS_DIR "/" MANAGER_AUTOSTART_JOURNAL
#define STAGED_SUFFIX ".order"  // a copy on its way to its new name; never ".tap"
#define MAX_ORDER 99            // the numbers have two digits

static tAutoStartName *Order = nullptr;  // the TAPs in the order shown
static int OrderCount = 0;
static char (*Others)[AUTOSTART_NAME_SIZE] = nullptr;  // every name of the folder
static int OthersCount = 0;
static bool OrderChanged = false;

void ManagerAutoStartFree(void) {
  TAP_MemFree(Order);
  TAP_MemFree(Others);
  Order = nullptr;
  Others = nullptr;
  OrderCount = OthersCount = 0;
  OrderChanged = false;
}

int ManagerAutoStartCount(void) { return OrderCount; }

const char *ManagerAutoStartName(int index) {
  return index >= 0 && index < OrderCount ? Order[index].Old : "";
}

// Sorts the TAPs by name, as the firmware starts them (few: insertion sort).
static void SortByName(void) {
  for (int i = 1; i < OrderCount; i++) {
    tAutoStartName item = Order[i];
    int j = i;
    for (; j > 0 && strcmp(Order[j - 1].Old, item.Old) > 0; j--) Order[j] = Order[j - 1];
    Order[j] = item;
  }
}

// Takes one folder entry: every name is remembered, TAP files also listed.
static void Note(const TYPE_FolderEntry *entry, int capacity) {
  if (OthersCount < capacity) snprintf(Others[OthersCount++], AUTOSTART_NAME_SIZE, "%s", entry->name);
  if (entry->attr == ATTR_NORMAL && StringEndsWith(entry->name, ".tap") && OrderCount < MAX_ORDER) {
    snprintf(Order[OrderCount].Old, AUTOSTART_NAME_SIZE, "%s", entry->name);
    Order[OrderCount].New[0] = '\0';
    OrderCount++;
  }
}

int ManagerAutoStartLoad(void) {
  CallTraceEnter("ManagerAutoStartLoad");
  ManagerAutoStartFree();
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(AUTOSTART_DIR)) {
    TYPE_FolderEntry entry;
    memset(&entry, 0, sizeof entry);
    dword entries = TAP_Hdd_FindFirst(&entry, "");
    Order = (tAutoStartName *)TAP_MemAlloc(MAX_ORDER * sizeof(tAutoStartName));
    Others = (char(*)[AUTOSTART_NAME_SIZE])TAP_MemAlloc((entries + 1) * AUTOSTART_NAME_SIZE);
    for (dword i = 0; i < entries && Order != nullptr && Others != nullptr; i++) {
      entry.name[sizeof entry.name - 1] = '\0';
      Note(&entry, (int)entries);
      if (i + 1 < entries) TAP_Hdd_FindNext(&entry);
    }
    if (Order == nullptr || Others == nullptr) {
      LogVantero("Not enough memory for the AutoStart order of %u files", (unsigned)entries);
      ManagerAutoStartFree();
    }
  }
  WorkDirRestore(&saved);
  SortByName();
  CallTraceExit(nullptr);
  return OrderCount;
}

bool ManagerAutoStartMove(int index, int step) {
  int other = index + step;
  if (index < 0 || index >= OrderCount || other < 0 || other >= OrderCount || (step != 1 && step != -1))
    return false;
  tAutoStartName swap = Order[index];
  Order[index] = Order[other];
  Order[other] = swap;
  OrderChanged = true;
  return true;
}

// "/mnt/hd/ProgramFiles/AutoStart/<name><suffix>" into path; false when it does not fit.
static bool PathOf(const char *name, const char *suffix, char *path) {
  int n = snprintf(path, KALIB_PATH_MAX, "%s/%s%s", LINUX_AUTOSTART, name, suffix);
  return n > 0 && n < KALIB_PATH_MAX;
}

// Plans the set: each renamed TAP's copy under a staged name becomes its new
// name, and its old name is removed.  False when a path does not fit, a
// staged name is taken or the journal is full.
static bool PlanSet(tFileJournal *j) {
  const char **others = (const char **)TAP_MemAlloc((dword)(OthersCount + 1) * sizeof(char *));
  if (others == nullptr) return false;
  for (int i = 0; i < OthersCount; i++) others[i] = Others[i];
  bool planned = AutoStartPlanNames(Order, OrderCount, others, OthersCount);
  char staged[KALIB_PATH_MAX], final[KALIB_PATH_MAX], old[KALIB_PATH_MAX],
      stagedName[AUTOSTART_NAME_SIZE + 8];
  for (int i = 0; i < OrderCount && planned; i++) {
    if (strcmp(Order[i].New, Order[i].Old) == 0) continue;
    snprintf(stagedName, sizeof stagedName, "%s%s", Order[i].New, STAGED_SUFFIX);
    for (int k = 0; k < OthersCount && planned; k++) planned = strcasecmp(others[k], stagedName) != 0;
    planned = planned && PathOf(Order[i].New, STAGED_SUFFIX, staged) && PathOf(Order[i].New, "", final) &&
              PathOf(Order[i].Old, "", old) && FileJournalAdd(j, final, staged) &&
              FileJournalAdd(j, old, nullptr);
  }
  TAP_MemFree(others);
  return planned;
}

// Copies every TAP that is renamed to its staged name.
static bool StageCopies(const tFileJournal *j) {
  for (int i = 0; i < j->NrOfSteps; i++) {
    const tFileJournalStep *step = &j->Steps[i];
    if (step->Staged[0] == '\0') continue;
    // The old name of this TAP is the removal step that follows it.
    const char *source = i + 1 < j->NrOfSteps ? j->Steps[i + 1].Final : "";
    if (!CopyWholeFile(source, step->Staged)) {
      LogVantero("AutoStart order: %s could not be copied to %s", source, step->Staged);
      return false;
    }
  }
  return true;
}

bool ManagerAutoStartApply(void) {
  CallTraceEnter("ManagerAutoStartApply");
  char reason[128] = "";
  tFileJournal j;
  bool applied = false;
  if (!FileJournalBegin(&j, JOURNAL_PATH) || !PlanSet(&j)) {
    LogVantero("AutoStart order: no names found for the new order of %d TAPs", OrderCount);
  } else if (j.NrOfSteps == 0) {
    applied = true;
  } else if (!FileJournalSave(&j, reason, sizeof reason)) {
    LogVantero("AutoStart order: the journal could not be written: %s", reason);
  } else if (!StageCopies(&j)) {
    FileJournalAbort(&j);
  } else if (!FileJournalCommit(&j, reason, sizeof reason)) {
    LogVantero("AutoStart order not changed: %s", reason);
  } else {
    applied = true;
  }
  FileJournalFree(&j);
  if (applied) {
    for (int i = 0; i < OrderCount; i++)
      LogVantero("AutoStart %d: %s%s%s", i + 1, Order[i].New,
                 strcmp(Order[i].New, Order[i].Old) != 0 ? " was " : "",
                 strcmp(Order[i].New, Order[i].Old) != 0 ? Order[i].Old : "");
  }
  ManagerAutoStartLoad();
  ManagerRefreshCache();
  TAPsOnBoardFree();
  CallTraceExit(nullptr);
  return applied;
}

void ManagerAutoStartRecover(void) {
  char reason[128] = "";
  int result = FileJournalRecover(JOURNAL_PATH, reason, sizeof reason);
  static const char *const outcomes[] = {"", "the old order is back", "the new order is complete",
                                         "its journal is damaged and was set aside",
                                         "it could not be finished, the journal stays"};
  if (result > FJR_Nothing && result <= FJR_Failed)
    LogVantero("AutoStart order interrupted: %s %s", outcomes[result], reason);
}

static void OrderRowText(int row, tManagerRow *out) {
  if (row < 0 || row >= OrderCount) {
    snprintf(out->Text, sizeof out->Text, "%s", "No TAPs in AutoStart");
    out->Selectable = FALSE;
    return;
  }
  snprintf(out->Text, sizeof out->Text, "%d. %.100s", row + 1, AutoStartBaseName(Order[row].Old));
  snprintf(out->Value, sizeof out->Value, "%s", Order[row].Old);
}

static void ShowOrder(int row, bool reload) {
  if (reload) ManagerAutoStartLoad();
  const tManagerHint hints[] = {{0, &_Button_red_Gd, "Up"},
                                {0, &_Button_green_Gd, "Down"},
                                {0, &_Button_ok_Gd, "Apply"},
                                {0, &_Button_exit_Gd, "Back"}};
  ManagerScreenOpen(2, TRUE, ManagerText(MT_AutoStartOrder), OrderChanged ? "OK applies the new order" : "",
                    hints, 4);
  Menu[2].ValueColumnX = 330;
  ManagerScreenRows(OrderCount > 0 ? OrderCount : 1, OrderRowText, row);
}

void ManagerAutoStartShow(int row) { ShowOrder(row, true); }

bool ManagerAutoStartKey(dword key, int row) {
  if (key == RKEY_Red || key == RKEY_Green) {
    int step = key == RKEY_Red ? -1 : 1;
    bool moved = ManagerAutoStartMove(row, step);
    ShowOrder(moved ? row + step : row, false);
  } else if (key == RKEY_Ok && OrderChanged) {
    bool applied = ManagerAutoStartApply();
    ShowOrder(row, false);
    ManagerTaskMessage(ManagerText(MT_AutoStartOrder),
                       ManagerText(applied ? MT_OrderChanged : MT_OrderNotChanged));
  } else {
    return key == RKEY_Ok;
  }
  return true;
}
