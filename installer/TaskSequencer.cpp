// TaskSequencer.cpp - the installer's main loop.  TAP_Main has chosen the
// task; every idle event performs exactly one step of it, so that the
// firmware keeps running and the progress box is redrawn between steps.
// Every step is logged, and the last step ends the installer.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "Kalib.h"
#include "Payloads.h"
#include "Progressbar.h"
#include "Setup.h"
#include "TaskSequencer.h"
#include "Tools.h"
#include "Vantero_Setup.h"

#define PROGRAM_NAME SETUP_PROGRAM_NAME
#define LANG_FILE "Vantero.lng"
#define LANG_TEXTS 104
#define MANAGER_FILE_NAME "Vantero.tap"
#define INSTALLED_MARKER "5C3E1A20_Installed.vpd"
#define LINUX_ROOT "/mnt/hd"
#define LINUX_ROOT_LEN 7
#define PROGRAM_FILES "/ProgramFiles"
#define AUTOSTART_DIR "/ProgramFiles/AutoStart"
#define MKDIR_AUTOSTART "mkdir -p /mnt/hd/ProgramFiles/AutoStart"

/* Language text numbers. */
enum {
  TXT_CheckAutoStart = 19,
  TXT_UpdatingDB = 20,
  TXT_SearchingFiles = 22,
  TXT_Uninstall = 25,
  TXT_InstallationFailed = 29,
  TXT_Ready = 38,
  TXT_Yes = 43,
  TXT_No = 48,
  TXT_SettingsFolder = 62,
  TXT_InstallingTAP = 68,
  TXT_TAPNotFound = 69,
  TXT_LaunchViaAutoStart = 70,
  TXT_StoppingTAP = 71,
  TXT_LaunchingVantero = 77,
  TXT_StoppingVantero = 78,
  TXT_Moving = 83,
  TXT_InstallingBusybox = 86,
  TXT_InstallingWget = 89,
};

int AutoStartMode = 0;
char VPDPath[512];
char VPDFileName[128];
char Param1[256];
char Param2[256];
char cmd[512];

static int TaskMaxIndex = 0;
static int LastTaskIndex = -1;
static bool DoNotReenter = FALSE;

/* ---------------------------------------------------------------------
 * Helpers of the steps
 * --------------------------------------------------------------------- */

static void Log(const char *text) { WriteLog(PROGRAM_NAME, text); }

static void ShowProgress(dword textNr) {
  Progressbar_Draw(FullName, LangGetString(textNr), TaskIndex, TaskMaxIndex);
}

/* The texts come from the manager's settings folder, where the installer
 * keeps "Vantero.lng".  Without the file there (a full disk, a folder that
 * cannot be made) they come from the installer's own copy of it, so that
 * its boxes never come up empty. */
static void LoadTexts(void) {
  bool pushed = HDD_TAP_PushDir();
  bool loaded = HDD_ChangeDir(VANTERO_SETTINGS_DIR) && TAP_Hdd_Exist(LANG_FILE) &&
                LangLoadStrings(LANG_FILE, LANG_TEXTS, 0, PROGRAM_NAME) != INI_NotFound;
  if (!loaded) LangLoadStringsFromMemory((const char *)_VanteroLng_Bitmap, _VanteroLng_Size, LANG_TEXTS, 0);
  if (pushed) HDD_TAP_PopDir();
}

/* The firmware path of VPDPath, which holds the Linux form in the install
 * and repair tasks. */
static const char *VPDFirmwarePath(void) {
  return strlen(VPDPath) >= LINUX_ROOT_LEN ? VPDPath + LINUX_ROOT_LEN : VPDPath;
}

/* VPDPath = Linux form of a firmware folder.  A folder too long for the
 * buffer is refused with a log line. */
static bool SetVPDPathLinux(const char *folder) {
  int n = snprintf(VPDPath, sizeof(VPDPath), LINUX_ROOT "%s", folder);
  if (n >= 0 && (size_t)n < sizeof(VPDPath)) return TRUE;
  snprintf(Debug, sizeof(Debug), "  Path too long: %s", folder);
  Log(Debug);
  VPDPath[0] = '\0';
  return FALSE;
}

static bool InAutoStartFolder(const char *folder) {
  return strstr(folder, "/ProgramFiles/AutoStart") || strstr(folder, "/ProgramFiles/XStart");
}

/* Deletes a file in the settings folder, and nowhere else when that folder
 * is gone. */
static void DeleteInSettingsFolder(const char *fileName) {
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR)) TAP_Hdd_Delete(fileName);
}

static void StartManager(const char *folder) {
  HDD_ChangeDir(folder);
  HDD_TAP_Start(VPDFileName, FALSE, nullptr, nullptr);
}

/* "/ProgramFiles/AutoStart" exists afterwards; a failure is logged. */
static void MakeAutoStartFolder(void) {
  char mkdirCmd[] = MKDIR_AUTOSTART;
  int rc = system(mkdirCmd);
  if (rc != 0) {
    snprintf(Debug, sizeof(Debug), "  system(%s) = 0x%x", mkdirCmd, rc);
    Log(Debug);
  }
}

static void AskAutoStart(void) {
  OSDMenuMessageBoxInitialize(PROGRAM_NAME, LangGetString(TXT_LaunchViaAutoStart));
  OSDMenuMessageBoxButtonAdd(LangGetString(TXT_Yes));
  OSDMenuMessageBoxButtonAdd(LangGetString(TXT_No));
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
}

/* ---------------------------------------------------------------------
 * The steps.  Each returns how far TaskIndex moves on: 1 normally, 2 when
 * the question is skipped, 0 while waiting or when the installer ends.
 * --------------------------------------------------------------------- */

static int StepFonts(void) {
  TaskMaxIndex = 9;
  InstallFonts();
  return 1;
}

static int StepCheck(void) {
  char currentDir[512];
  CreateSettingsDir();
  InstallLanguage();
  LoadTexts();
  ShowProgress(TXT_CheckAutoStart);
  AutoStartMode = -1;
  VPDFileName[0] = '\0';
  currentDir[0] = '\0';
  if (FindTAP(VANTERO_TAPID, VPDFileName, currentDir)) {
    if (!SetVPDPathLinux(currentDir)) {
      Progressbar_Hide();
      TAP_Exit();
      return 0;
    }
    AutoStartMode = InAutoStartFolder(currentDir) ? 1 : 0;
    return 2;
  }
  Progressbar_Hide();
  AutoStartMode = 0;
  AskAutoStart();
  return 1;
}

static int StepAnswer(void) {
  if (OSDMenuMessageBoxIsVisible()) return 0;
  AutoStartMode = 1 - (int)OSDMenuMessageBoxLastButton();
  snprintf(Debug, sizeof(Debug), "Selected AutoStartMode = %d", AutoStartMode);
  Log(Debug);
  strcpy(VPDPath, LINUX_ROOT PROGRAM_FILES);
  if (AutoStartMode != 0) strcat(VPDPath, "/AutoStart");
  strcpy(VPDFileName, MANAGER_FILE_NAME);
  return 1;
}

static int StepStop(void) {
  ShowProgress(TXT_StoppingVantero);
  StopTAP(VANTERO_TAPID);
  return 1;
}

static int StepWget(void) {
  ShowProgress(TXT_InstallingWget);
  InstallWget();
  return 1;
}

static int StepBusybox(void) {
  ShowProgress(TXT_InstallingBusybox);
  InstallBusybox();
  return 1;
}

static int StepSettings(void) {
  ShowProgress(TXT_SettingsFolder);
  CreateSettingsDir();
  return 1;
}

static int StepTAP(void) {
  ShowProgress(TXT_InstallingTAP);
  snprintf(Debug, sizeof(Debug), "Installing TAP to %s/%s", VPDFirmwarePath(), VPDFileName);
  Log(Debug);
  MakeAutoStartFolder();
  InstallVantero(VPDFirmwarePath(), VPDFileName);
  return 1;
}

static int StepDB(void) {
  ShowProgress(TXT_UpdatingDB);
  return 1;
}

static int StepLaunch(void) {
  ShowProgress(TXT_LaunchingVantero);
  TAP_Delay(50);
  Progressbar_Hide();
  StartManager(VPDFirmwarePath());
  return 1;
}

static const char *TaskName(void);

/* When payloads could not be written, the last log line and the last screen
 * say so: the task did not complete. */
static void ReportIncomplete(void) {
  snprintf(Debug, sizeof(Debug), "Failed to complete %s (payload files not written: %u)", TaskName(),
           (unsigned)PayloadFailures);
  Log(Debug);
  ShowProgress(TXT_InstallationFailed);
  TAP_Delay(300);
  Progressbar_Hide();
}

static int StepEnd(void) {
  if (PayloadFailures != 0) ReportIncomplete();
  TAP_Exit();
  return 0;
}

static int StepRepairPrepare(void) {
  TaskMaxIndex = SetupMode == IT_Repair ? 8 : 7;
  CreateSettingsDir();
  InstallLanguage();
  LoadTexts();
  ShowProgress(TXT_StoppingVantero);
  StopTAP(VANTERO_TAPID);
  return 1;
}

static int StepRepairRemove(void) {
  char currentDir[512];
  ShowProgress(TXT_Uninstall);
  strcpy(VPDPath, LINUX_ROOT PROGRAM_FILES);
  VPDFileName[0] = '\0';
  currentDir[0] = '\0';
  /* The manager's file stays until the step TAP replaces it in one move, in
   * its folder and under its name: a power cut or a full disk in between
   * leaves the old manager where it starts from, not none. */
  if (FindTAP(VANTERO_TAPID, VPDFileName, currentDir)) {
    if (!SetVPDPathLinux(currentDir)) {
      /* Its folder cannot be named: a new manager elsewhere would be a
       * second one beside it, so the repair ends as the install does. */
      Progressbar_Hide();
      TAP_Exit();
      return 0;
    }
  } else if (FindTAPLeftOut != 0) {
    /* Not found, but not every TAP file could be looked into: the manager
     * may be one of them, and a new one would be a second manager. */
    snprintf(Debug, sizeof(Debug), "  Vantero not found, %u paths too long to search",
             (unsigned)FindTAPLeftOut);
    Log(Debug);
    Progressbar_Hide();
    TAP_Exit();
    return 0;
  } else {
    /* A repair restores a lost manager where a new one would go without
     * autostart, so that the Launch step has a file to start. */
    strcpy(VPDFileName, MANAGER_FILE_NAME);
    snprintf(Debug, sizeof(Debug), "Vantero not found, installing it as %s/%s", PROGRAM_FILES, VPDFileName);
    Log(Debug);
  }
  DeleteInSettingsFolder(SetupMode == IT_Repair ? INSTALLED_MARKER : VANTERO_LOG_NAME);
  return 1;
}

static int StepUninstallPrepare(void) {
  TaskMaxIndex = 2;
  LoadTexts();
  ShowProgress(TXT_StoppingVantero);
  StopTAP(VANTERO_TAPID);
  return 1;
}

static void DeleteManagerFile(void) {
  if (FindTAP(VANTERO_TAPID, VPDFileName, nullptr)) TAP_Hdd_Delete(VPDFileName);
}

static int StepUninstallRemove(void) {
  ShowProgress(TXT_Uninstall);
  DeleteManagerFile();
  DeleteInSettingsFolder(INSTALLED_MARKER);
  return 1;
}

static int StepCompleteRemove(void) {
  ShowProgress(TXT_Uninstall);
  DeleteManagerFile();
  snprintf(cmd, sizeof(cmd), "rm -r /mnt/hd/%s", VANTERO_SETTINGS_DIR);
  system(cmd);
  DeleteInSettingsFolder(VANTERO_LOG_NAME);
  return 1;
}

static int StepReady(void) {
  ShowProgress(TXT_Ready);
  TAP_Delay(50);
  Progressbar_Hide();
  return 1;
}

static int StepLocate(void) {
  TaskMaxIndex = 3;
  LoadTexts();
  ShowProgress(TXT_SearchingFiles);
  if (!FindTAP(VANTERO_TAPID, VPDFileName, VPDPath)) {
    snprintf(Debug, sizeof(Debug), "Failed to locate '%s' (%8.8x)", MANAGER_FILE_NAME, VANTERO_TAPID);
    Log(Debug);
    ShowProgress(TXT_TAPNotFound);
    TAP_Delay(300);
    Progressbar_Hide();
    TAP_Exit();
    return 0;
  }
  AutoStartMode = InAutoStartFolder(VPDPath) ? 1 : 0;
  return 1;
}

static int StepStopAny(void) {
  ShowProgress(TXT_StoppingTAP);
  StopTAP(VANTERO_TAPID);
  return 1;
}

/* Source and target of the move; false when a path does not fit. */
static bool FormatMovePaths(void) {
  int n1 = snprintf(Param1, sizeof(Param1), "%s%s/%s", LINUX_ROOT, VPDPath, VPDFileName);
  int n2 = AutoStartMode
               ? snprintf(Param2, sizeof(Param2), "%s/ProgramFiles/%s", LINUX_ROOT, VPDFileName)
               : snprintf(Param2, sizeof(Param2), "%s/ProgramFiles/AutoStart/%s", LINUX_ROOT, VPDFileName);
  return n1 >= 0 && (size_t)n1 < sizeof(Param1) && n2 >= 0 && (size_t)n2 < sizeof(Param2);
}

/* rename() that never replaces another file: a different TAP under the
 * same name at the target stays, and the move fails with EEXIST. */
static int RenameWithoutReplacing(const char *from, const char *to) {
  struct stat64 source, target;
  if (lstat64(to, &target) == 0 &&
      !(lstat64(from, &source) == 0 && source.st_dev == target.st_dev && source.st_ino == target.st_ino)) {
    errno = EEXIST;
    return -1;
  }
  return rename(from, to);
}

static int StepMove(void) {
  ShowProgress(TXT_Moving);
  if (!FormatMovePaths()) {
    snprintf(Debug, sizeof(Debug), "  Path too long: %s/%s", VPDPath, VPDFileName);
    Log(Debug);
    return 1;
  }
  /* The autostart folder may not exist yet when the manager was never
   * installed by this installer. */
  if (AutoStartMode == 0) MakeAutoStartFolder();
  if (RenameWithoutReplacing(Param1, Param2) == 0) {
    AutoStartMode = 1 - AutoStartMode;
  } else {
    snprintf(Debug, sizeof(Debug), "  rename(%s, %s) = 0x%x", Param1, Param2, errno);
    Log(Debug);
  }
  return 1;
}

static int StepFinish(void) {
  ShowProgress(TXT_Ready);
  TAP_Delay(50);
  Progressbar_Hide();
  if (AutoStartMode != 0) StartManager(AUTOSTART_DIR);
  TAP_Exit();
  return 0;
}

/* ---------------------------------------------------------------------
 * The tasks
 * --------------------------------------------------------------------- */

typedef int (*tStep)(void);

static const tStep InstallSteps[] = {StepFonts,   StepCheck, StepAnswer, StepStop,   StepWget,
                                     StepBusybox, StepTAP,   StepDB,     StepLaunch, StepEnd};
static const tStep UninstallSteps[] = {StepUninstallPrepare, StepUninstallRemove, StepReady, StepEnd};
static const tStep UninstallCompleteSteps[] = {StepUninstallPrepare, StepCompleteRemove, StepReady, StepEnd};
static const tStep AutoStartSteps[] = {StepLocate, StepStopAny, StepMove, StepFinish};
static const tStep RepairSteps[] = {
    StepRepairPrepare, StepRepairRemove, StepWget,   StepBusybox, StepSettings,
    StepTAP,           StepDB,           StepLaunch, StepEnd};
static const tStep RepairCompleteSteps[] = {StepRepairPrepare, StepRepairRemove, StepWget,   StepBusybox,
                                            StepSettings,      StepTAP,          StepLaunch, StepEnd};

typedef struct {
  const char *Name;
  const char *StepLine; /* log line of a step, with its number */
  const tStep *Steps;
  int NrSteps;
} tTask;

#define TASK(name, steps) \
  { name, "  " name " step %d", steps, (int)(sizeof(steps) / sizeof((steps)[0])) }

/* Indexed by tInstallerTask, IT_Install to IT_RepairComplete. */
static const tTask Tasks[] = {
    TASK("IT_Install", InstallSteps),
    TASK("IT_Uninstall", UninstallSteps),
    TASK("IT_UninstallComplete", UninstallCompleteSteps),
    TASK("IT_AutoStart", AutoStartSteps),
    TASK("IT_Repair", RepairSteps),
    TASK("IT_RepairComplete", RepairCompleteSteps),
};
static_assert(sizeof(Tasks) / sizeof(Tasks[0]) == IT_Backup, "one entry per working task");

static const char *TaskName(void) { return SetupMode < IT_Backup ? Tasks[SetupMode].Name : "the task"; }

static void PerformStep(const tTask *task) {
  if (TaskIndex != LastTaskIndex) {
    snprintf(Debug, sizeof(Debug), task->StepLine, TaskIndex);
    Log(Debug);
    LastTaskIndex = TaskIndex;
  }
  if (TaskIndex >= 0 && TaskIndex < task->NrSteps) TaskIndex += task->Steps[TaskIndex]();
}

dword TAP_EventHandler(word event, dword param1, dword param2) {
  CallTraceEnter("TAP_EventHandler");
  /* An open question sees every event first and may consume a key. */
  if (OSDMenuMessageBoxIsVisible()) OSDMenuEvent(&event, &param1, &param2);

  dword result = 0;
  // NOLINTNEXTLINE(bugprone-branch-clone): the two empty branches each say why nothing happens
  if (DoNotReenter) {
    /* A step is running (it waits inside StopTAP or TAP_Delay): swallow. */
  } else if (event != EVT_IDLE) {
    result = param1;
  } else if ((dword)SetupMode >= IT_InstallSelf) {
    /* No work; the installer stays resident. */
  } else {
    DoNotReenter = TRUE;
    if (SetupMode == IT_Backup || SetupMode == IT_Restore)
      TAP_Exit();
    else
      PerformStep(&Tasks[SetupMode]);
    DoNotReenter = FALSE;
  }
  CallTraceExit(nullptr);
  return result;
}
