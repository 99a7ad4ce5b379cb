// ManagerInstalled.cpp - the installed TAPs: every TAP file the inventory
// found on the disk, with a package or without, its version when the cache
// knows it, whether it runs and whether it lies in AutoStart.  OK starts or
// stops the TAP under the cursor, BLUE moves it between "/ProgramFiles" and
// AutoStart, never over another file, RED removes a TAP that has a
// package after asking whether its settings go too.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "Graphics.h"
#include "Manager.h"

static int *InstalledRows = nullptr;  // inventory index of each row
static int InstalledCount = 0;
static dword RemoveTAPID = 0;  // the TAP the remove question is about; 0 none
static int RemoveRow = 0;

void ManagerInstalledFree(void) {
  TAP_MemFree(InstalledRows);
  InstalledRows = nullptr;
  InstalledCount = 0;
}

int ManagerInstalledBuild(void) {
  ManagerInstalledFree();
  int tobs = TAPsOnBoard != nullptr ? TAPsOnBoardCount : 0;
  if (tobs > TOB_MAX_ENTRIES) tobs = TOB_MAX_ENTRIES;
  InstalledRows = (int *)TAP_MemAlloc((dword)(tobs + 1) * sizeof(int));
  if (InstalledRows == nullptr) {
    LogVantero("Not enough memory for the list of %d installed TAPs", tobs);
    return 0;
  }
  for (int i = 0; i < tobs; i++)
    if (TAPsOnBoard[i].Found) InstalledRows[InstalledCount++] = i;
  return InstalledCount;
}

// The inventory entry of a row; null past the end.
static const tTAPsOnBoard *EntryOf(int row) {
  return row >= 0 && row < InstalledCount ? &TAPsOnBoard[InstalledRows[row]] : nullptr;
}

// The installed version of the TAP as the cache knows it; "" when unknown.
static const char *VersionOf(const tTAPsOnBoard *o) {
  int entry = TAPCacheGetInstalledVersionIndex(o->TAPID);
  return entry >= 0 && TAPCache[entry].Version != nullptr ? TAPCache[entry].Version : "";
}

void ManagerInstalledRowText(int row, tManagerRow *out) {
  const tTAPsOnBoard *o = EntryOf(row);
  if (o == nullptr) {
    snprintf(out->Text, sizeof out->Text, "%s", "No TAPs on the disk");
    out->Selectable = FALSE;
    return;
  }
  snprintf(out->Text, sizeof out->Text, "%.63s", o->TAPName);
  bool packaged = ManagerMasterIndex(o->TAPID) >= 0 || o->PartOf != 0;
  const char *version = VersionOf(o);
  if (!packaged) version = ManagerText(MT_NoPackage);
  snprintf(out->Value, sizeof out->Value, "%s%s%s", version[0] != '\0' ? version : "?",
           HDD_TAP_isRunning(o->TAPID) ? "  running" : "", o->isAutoStart ? "  AutoStart" : "");
}

void ManagerInstalledShow(int row) {
  TAPCacheUpdate();
  const tManagerHint hints[] = {{0, &_Button_ok_Gd, "Start/stop"},
                                {0, &_Button_blue_Gd, "AutoStart/ProgramFiles"},
                                {0, &_Button_red_Gd, "Remove"},
                                {0, &_Button_exit_Gd, "Back"}};
  ManagerScreenOpen(2, TRUE, ManagerText(MT_InstalledTAPs), "", hints, 4);
  Menu[2].ValueColumnX = 330;
  int count = ManagerInstalledBuild();
  ManagerScreenRows(count > 0 ? count : 1, ManagerInstalledRowText, row);
}

// The TAP's file: its folder (TAP notation) and name; false when it is gone.
static bool FileOf(const tTAPsOnBoard *o, char *folder, char *name) {
  tWorkDir saved = WorkDirSave();
  bool found = FindTAP(o->TAPID, name, folder);
  WorkDirRestore(&saved);
  if (!found) LogVantero("TAP %8.8x (%.63s) not found on the disk", (unsigned)o->TAPID, o->TAPName);
  return found;
}

bool ManagerInstalledStartStop(int row) {
  const tTAPsOnBoard *o = EntryOf(row);
  if (o == nullptr || o->TAPID == VANTERO_TAPID) return false;
  dword tapId = o->TAPID;
  bool before = HDD_TAP_isRunning(tapId);
  if (before) {
    StopTAP(tapId);
  } else {
    char folder[KALIB_PATH_MAX], name[128], path[KALIB_PATH_MAX + 128];
    if (!FileOf(o, folder, name)) return false;
    snprintf(path, sizeof path, "%s/%s", folder, name);
    LogVantero("Starting %s", path);
    if (!HDD_TAP_Start(path, FALSE, nullptr, nullptr)) LogVantero("%s could not be started", path);
  }
  TAPCacheUpdate();
  return HDD_TAP_isRunning(tapId) != before;
}

int ManagerInstalledMove(int row) {
  const tTAPsOnBoard *o = EntryOf(row);
  if (o == nullptr) return MT_MoveFailed;
  char folder[KALIB_PATH_MAX], name[128];
  if (!FileOf(o, folder, name)) return MT_MoveFailed;
  // Where the file lies decides, not the inventory: a TAP may lie in both folders.
  bool inAutoStart = strstr(folder, AUTOSTART_DIR) != nullptr;
  char from[KALIB_PATH_MAX], to[KALIB_PATH_MAX];
  int n1 = snprintf(from, sizeof from, "/mnt/hd%s/%s", folder, name);
  int n2 = snprintf(to, sizeof to, "/mnt/hd%s/%s", inAutoStart ? "/ProgramFiles" : AUTOSTART_DIR, name);
  if (n1 < 0 || n2 < 0 || (dword)n1 >= sizeof from || (dword)n2 >= sizeof to) return MT_MoveFailed;
  if (!inAutoStart) {
    // The folder may not be there yet on a box that never had an AutoStart TAP.
    tWorkDir saved = WorkDirSave();
    if (HDD_ChangeDir("/ProgramFiles") && !TAP_Hdd_Exist("AutoStart"))
      TAP_Hdd_Create("AutoStart", ATTR_FOLDER);
    WorkDirRestore(&saved);
  }
  int error = 0;
  bool moved = MoveFileNoReplace(from, to, &error);
  if (!moved) {
    LogVantero("%s not moved to %s: error %d", from, to, error);
    return error == EEXIST ? MT_TargetTaken : MT_MoveFailed;
  }
  LogVantero("Moved %s to %s", from, to);
  ManagerRefreshCache();
  TAPsOnBoardFree();
  return 0;
}

// RED: a TAP with a package is removed after the question whether its
// settings go too ("No" chosen first); the manager never removes itself.
static void AskRemove(int row) {
  const tTAPsOnBoard *o = EntryOf(row);
  if (o == nullptr || o->TAPID == VANTERO_TAPID || ManagerInstallBusy()) return;
  char text[MANAGER_TEXT_SIZE], name[64];
  snprintf(name, sizeof name, "%.63s", o->TAPName);
  if (ManagerMasterIndex(o->TAPID) < 0 && o->PartOf == 0) {
    snprintf(text, sizeof text, ManagerFormat(MT_CannotRemove), name);
    ManagerTaskMessage(ManagerText(MT_Remove), text);
    return;
  }
  RemoveTAPID = o->TAPID;
  RemoveRow = row;
  snprintf(text, sizeof text, ManagerFormat(MT_RemoveSettings), name);
  OSDMenuMessageBoxInitialize(ManagerText(MT_Remove), text);
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_Yes));
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_No));
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
}

bool ManagerInstalledEvent(word event, dword param1, dword param2) {
  if (RemoveTAPID == 0) return false;
  if (!OSDMenuMessageBoxIsVisible()) {
    // The box went without an answer (the manager stopped): nothing is removed.
    RemoveTAPID = 0;
    return false;
  }
  bool exitKey = event == EVT_KEY && param1 == RKEY_Exit;
  OSDMenuEvent(&event, &param1, &param2);
  if (OSDMenuMessageBoxIsVisible()) return true;
  dword tapId = RemoveTAPID;
  RemoveTAPID = 0;
  // EXIT removes nothing; the result box of a removal follows on the next event.
  if (!exitKey) ManagerRemoveStart(tapId, OSDMenuMessageBoxLastButton() == 0);
  ManagerInstalledShow(RemoveRow);
  return true;
}

bool ManagerInstalledKey(dword key, int row) {
  if (key == RKEY_Ok) {
    ManagerInstalledStartStop(row);
    ManagerInstalledShow(row);
  } else if (key == RKEY_Red) {
    AskRemove(row);
  } else if (key == RKEY_Blue && EntryOf(row) != nullptr) {
    int problem = ManagerInstalledMove(row);
    ManagerInstalledShow(row);
    if (problem != 0) ManagerTaskMessage(ManagerText(MT_InstalledTAPs), ManagerText(problem));
  } else {
    return false;
  }
  return true;
}
