// ManagerTasks.cpp - the tasks menu (MENU in the overview) and the way to
// its screens: the server query, the installed TAPs, the AutoStart order,
// backup and restore, and the end of the manager after a question.  The
// screens themselves live in ManagerInstalled.cpp, ManagerAutoStart.cpp and
// ManagerBackup.cpp, "Install updates" in ManagerUpdates.cpp; this file
// routes states, keys and events to them.
#include <stdio.h>
#include <string.h>

#include "Graphics.h"
#include "Manager.h"

#define INFO_TICKS 400  // a message stays four seconds, or until EXIT

namespace {
typedef enum { TK_Query, TK_Updates, TK_Installed, TK_AutoStart, TK_Backup, TK_Restore, TK_End } tTaskKind;
typedef struct {
  int Kind;  // tTaskKind
  int Text;  // tManagerTextId
} tTaskRow;
}  // namespace

// The rows of the tasks menu.  A TAP is removed from the installed TAPs'
// screen, where the cursor names it.
static const tTaskRow TaskRows[] = {
    {TK_Query, MT_QueryServer}, {TK_Installed, MT_InstalledTAPs}, {TK_AutoStart, MT_AutoStartOrder},
    {TK_Backup, MT_FullBackup}, {TK_Restore, MT_RestoreBackup},   {TK_Updates, MT_InstallUpdates},
    {TK_End, MT_EndManager}};
#define TASK_ROWS ((int)(sizeof TaskRows / sizeof TaskRows[0]))

static bool Ended = false;

bool ManagerEnded(void) { return Ended; }

void ManagerTasksStart(void) { Ended = false; }

static void TaskRowText(int row, tManagerRow *out) {
  if (row < 0 || row >= TASK_ROWS) return;
  if (TaskRows[row].Kind == TK_Updates) {
    // Nothing to install, or the updates being installed: not selectable.
    int count = ManagerUpdateCount();
    snprintf(out->Text, sizeof out->Text, ManagerFormat(MT_InstallUpdates), count);
    out->Selectable = count > 0 && !ManagerUpdatesActive() && !ManagerInstallBusy();
    return;
  }
  snprintf(out->Text, sizeof out->Text, "%s", ManagerText(TaskRows[row].Text));
  if (TaskRows[row].Kind == TK_Query && Query.State != QS_Idle)
    snprintf(out->Value, sizeof out->Value, "%s", ManagerText(MT_Querying));
}

static void ShowTasks(int row) {
  const tManagerHint hints[] = {{0, &_Button_ok_Gd, "Open"}, {0, &_Button_exit_Gd, "Back"}};
  ManagerScreenOpen(1, TRUE, ManagerText(MT_Tasks), "Vantero update manager", hints, 2);
  Menu[1].ValueColumnX = 420;
  ManagerScreenRows(TASK_ROWS, TaskRowText, row);
}

// The question before the end: "No" is chosen first.
static void AskEnd(void) {
  ManagerPushState(MS_Exit);
  OSDMenuMessageBoxInitialize(ManagerText(MT_EndManager), ManagerText(MT_EndQuestion));
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_Yes));
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_No));
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
}

static void TasksOk(int row) {
  if (row < 0 || row >= TASK_ROWS) return;
  switch (TaskRows[row].Kind) {
    case TK_Query:
      ManagerQueryOnScreen();
      break;
    case TK_Updates:
      if (ManagerUpdateCount() > 0) ManagerUpdatesStart();
      break;
    case TK_Installed:
      ManagerEnterState(MS_InstalledTAPs);
      break;
    case TK_AutoStart:
      ManagerEnterState(MS_AutoStartOrder);
      break;
    case TK_Backup:
      ManagerBackupEnter(false);
      break;
    case TK_Restore:
      ManagerBackupEnter(true);
      break;
    default:
      AskEnd();
      break;
  }
}

void ManagerTaskMessage(const char *title, const char *text) { OSDMenuInfoBoxShow(title, text, INFO_TICKS); }

void ManagerTaskScreenShow(tMenuState state, int row) {
  switch (state) {
    case MS_Tasks:
      ShowTasks(row);
      break;
    case MS_InstalledTAPs:
      ManagerInstalledShow(row);
      break;
    case MS_AutoStartOrder:
      ManagerAutoStartShow(row);
      break;
    default:
      ManagerBackupShow(row);
      break;
  }
}

bool ManagerTaskScreenKey(tMenuState state, dword key, int row) {
  switch (state) {
    case MS_Tasks:
      if (key == RKEY_Ok) TasksOk(row);
      return true;
    case MS_InstalledTAPs:
      return ManagerInstalledKey(key, row);
    case MS_AutoStartOrder:
      return ManagerAutoStartKey(key, row);
    case MS_FullBackup:
      return ManagerBackupKey(key, row);
    default:
      return false;
  }
}

// The end question's answer: "Yes" stops the manager as the stop event does.
static void EndEvent(word event, dword param1, dword param2) {
  OSDMenuEvent(&event, &param1, &param2);
  if (OSDMenuMessageBoxIsVisible()) return;
  if (OSDMenuMessageBoxLastButton() == 0) {
    LogVantero("Ended from the menu");
    ManagerStop();
    Ended = true;
    return;
  }
  MenuStatePop();
  ManagerShowState();
}

bool ManagerTasksEvent(word event, dword param1, dword param2) {
  if (MenuStateStack[0] == MS_Exit) {
    EndEvent(event, param1, param2);
    return true;
  }
  if (ManagerInstalledEvent(event, param1, param2)) return true;
  return ManagerBackupEvent(event, param1, param2);
}

void ManagerTasksRecover(void) {
  CallTraceEnter("ManagerTasksRecover");
  ManagerAutoStartRecover();
  ManagerBackupRecover();
  CallTraceExit(nullptr);
}

void ManagerTasksStop(void) {
  ManagerUpdatesStop();
  ManagerBackupStop();
  ManagerInstalledFree();
  ManagerAutoStartFree();
}
