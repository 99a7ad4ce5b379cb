// ManagerOverview.cpp - the rows of the overview: every TAP of the master
// list and every TAP on the disk without a package, in list order or
// grouped by category or author, then the options and the password entry.
#include <stdio.h>
#include <string.h>

#include "Graphics.h"
#include "Manager.h"

tOverviewRow *OverviewRows = nullptr;
int OverviewRowCount = 0;

// An inventory entry shown on its own: on the disk now, not a file of
// another package, and without a package of its own.
static bool Unpackaged(int tob) {
  const tTAPsOnBoard *o = &TAPsOnBoard[tob];
  return o->Found && o->PartOf == 0 && ManagerMasterIndex(o->TAPID) < 0;
}

static const char *AuthorOf(int master) {
  const char *a = Settings.MasterList[master].Author;
  return a != nullptr ? a : "";
}

// Sort order of two master-list indices in the grouped modes; the list
// order decides within a group.
typedef int (*tCompareEntries)(int x, int y);

static int CompareByCategory(int x, int y) {
  dword cx = Settings.MasterList[x].Category, cy = Settings.MasterList[y].Category;
  if (cx != cy) return cx < cy ? -1 : 1;
  return x - y;
}

static int CompareByAuthor(int x, int y) {
  int c = strcasecmp(AuthorOf(x), AuthorOf(y));
  return c != 0 ? c : x - y;
}

// Sorts order[0..count) by compare with a bottom-up merge sort through
// scratch (count ints): the box's libc offers TAPs no qsort.
static void SortEntries(int *order, int *scratch, int count, tCompareEntries compare) {
  for (int width = 1; width < count; width *= 2) {
    for (int lo = 0; lo < count; lo += 2 * width) {
      int mid = lo + width < count ? lo + width : count;
      int hi = lo + 2 * width < count ? lo + 2 * width : count;
      int i = lo, j = mid, k = lo;
      while (i < mid && j < hi) scratch[k++] = compare(order[j], order[i]) < 0 ? order[j++] : order[i++];
      while (i < mid) scratch[k++] = order[i++];
      while (j < hi) scratch[k++] = order[j++];
    }
    memcpy(order, scratch, (dword)count * sizeof(int));
  }
}

static bool SameGroup(int mode, int x, int y) {
  if (mode == OWM_Category) return Settings.MasterList[x].Category == Settings.MasterList[y].Category;
  return strcasecmp(AuthorOf(x), AuthorOf(y)) == 0;
}

static void AddRow(int kind, int index) {
  OverviewRows[OverviewRowCount].Kind = kind;
  OverviewRows[OverviewRowCount].Index = index;
  OverviewRowCount++;
}

void ManagerOverviewFree(void) {
  TAP_MemFree(OverviewRows);
  OverviewRows = nullptr;
  OverviewRowCount = 0;
}

int ManagerOverviewBuild(void) {
  CallTraceEnter("ManagerOverviewBuild");
  ManagerOverviewFree();
  int masters = Settings.MasterList != nullptr && Settings.NrOfMasterListEntries > 0
                    ? Settings.NrOfMasterListEntries
                    : 0;
  int tobs = TAPsOnBoard != nullptr ? TAPsOnBoardCount : 0;
  // At most a header per TAP, the TAPs, one header for those without a
  // package, and the three fixed rows.
  dword rows = 2 * (dword)masters + (dword)tobs + 4;
  OverviewRows = (tOverviewRow *)TAP_MemAlloc(rows * sizeof(tOverviewRow));
  // The entries' order and the sort's scratch space.
  int *order = (int *)TAP_MemAlloc(2 * ((dword)masters + 1) * sizeof(int));
  if (OverviewRows == nullptr || order == nullptr) {
    TAP_MemFree(order);
    ManagerOverviewFree();
    LogVantero("Not enough memory for the overview of %d TAPs", masters);
    CallTraceExit(nullptr);
    return 0;
  }
  int mode = Settings.OverviewWindowMode;
  bool grouped = mode == OWM_Category || mode == OWM_Author;
  for (int i = 0; i < masters; i++) order[i] = i;
  if (grouped)
    SortEntries(order, order + masters + 1, masters,
                mode == OWM_Category ? CompareByCategory : CompareByAuthor);
  for (int i = 0; i < masters; i++) {
    if (grouped && (i == 0 || !SameGroup(mode, order[i - 1], order[i]))) AddRow(OR_Header, order[i]);
    AddRow(OR_TAP, order[i]);
  }
  bool header = grouped;
  for (int i = 0; i < tobs && i < TOB_MAX_ENTRIES; i++) {
    if (!Unpackaged(i)) continue;
    if (header) AddRow(OR_Header, -1), header = false;
    AddRow(OR_Unpackaged, i);
  }
  if (OverviewRowCount == 0) AddRow(OR_Empty, -1);
  AddRow(OR_Options, -1);
  AddRow(OR_Password, -1);
  TAP_MemFree(order);
  CallTraceExit(nullptr);
  return OverviewRowCount;
}

// The header of a group: its category or author, or the TAPs without package.
static void HeaderText(int master, char *text) {
  if (master < 0) {
    snprintf(text, MANAGER_TEXT_SIZE, "%s", ManagerText(MT_WithoutPackage));
  } else if (Settings.OverviewWindowMode == OWM_Category) {
    snprintf(text, MANAGER_TEXT_SIZE, ManagerFormat(MT_CategoryN),
             (unsigned)Settings.MasterList[master].Category);
  } else {
    const char *author = AuthorOf(master);
    snprintf(text, MANAGER_TEXT_SIZE, "%s", author[0] != '\0' ? author : ManagerText(MT_UnknownAuthor));
  }
}

void ManagerOverviewRowText(int row, tManagerRow *out) {
  if (row < 0 || row >= OverviewRowCount) return;
  const tOverviewRow *r = &OverviewRows[row];
  switch (r->Kind) {
    case OR_Header:
      HeaderText(r->Index, out->Text);
      out->Colour = MANAGER_COLOUR_HEADER;
      out->Selectable = FALSE;
      break;
    case OR_TAP:
      out->Colour = ManagerOverviewRow(&Settings.MasterList[r->Index], out->Text, out->Value);
      break;
    case OR_Unpackaged: {
      const tTAPsOnBoard *o = &TAPsOnBoard[r->Index];
      snprintf(out->Text, MANAGER_TEXT_SIZE, "%.63s", o->TAPName);
      snprintf(out->Value, MANAGER_TEXT_SIZE, "%s%s", ManagerText(MT_NoPackage),
               HDD_TAP_isRunning(o->TAPID) ? "  running" : "");
      break;
    }
    case OR_Empty:
      snprintf(out->Text, MANAGER_TEXT_SIZE, "%s", "No TAPs known yet");
      out->Selectable = FALSE;
      break;
    case OR_Options:
      snprintf(out->Text, MANAGER_TEXT_SIZE, "%s", "Options");
      out->Icon = &_Button_option_Gd;
      break;
    default:
      snprintf(out->Text, MANAGER_TEXT_SIZE, "%s", "Alpha password");
      snprintf(out->Value, MANAGER_TEXT_SIZE, SettingsUnsaved ? "%d entered, NOT SAVED" : "%d entered",
               Settings.NrOfAlphaPasswords);
      out->Icon = &_Button_0_Gd;
      break;
  }
}

int ManagerOverviewEntry(int row) {
  return row >= 0 && row < OverviewRowCount && OverviewRows[row].Kind == OR_TAP ? OverviewRows[row].Index
                                                                                : -1;
}
