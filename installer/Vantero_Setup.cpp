// Vantero_Setup.cpp - Vantero Setup: identity of the installer's TAP file, its entry points and
// its start-up, which logs the start, leaves an autostart folder and picks
// the task from the start parameter.
#include "Vantero_Setup.h"

#include <stdio.h>

TAP_HEADER();
TAP_ID(SETUP_TAPID);
TAP_PROGRAM_NAME("Vantero Setup V2.1");
TAP_PROGRAM_VERSION("V2.1");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("Vantero Setup");
TAP_ETCINFO("Dec 31 2015");

tInstallerTask SetupMode;
int TaskIndex;
char FullName[256];

// Log line for a start parameter; null for tasks that are not announced.
static const char *ParameterLine(dword task) {
  static const char *const kLines[] = {
      "Setup parameter IT_Install",   "Setup parameter IT_Uninstall", "Setup parameter IT_UninstallComplete",
      "Setup parameter IT_AutoStart", "Setup parameter IT_Repair",    "Setup parameter IT_RepairComplete",
  };
  return task < sizeof kLines / sizeof kLines[0] ? kLines[task] : nullptr;
}

// Chooses the task and returns its log line (null: none).
static const char *ChooseTask() {
  const tSetupStartParameter *parameter = (const tSetupStartParameter *)HDD_TAP_GetStartParameter();
  if (parameter == nullptr) {
    SetupMode = IT_Install;
    return "No parameter provided, using IT_Install";
  }
  SetupMode = parameter->SetupTask;
  return ParameterLine((dword)SetupMode);
}

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)

int TAP_Main(void) {
  CallTraceInit();
  CallTraceEnable(FALSE);
  CallTraceEnter("TAP_Main");

  WriteLog(SETUP_PROGRAM_NAME, "Launching Vantero Setup V2.1");
  snprintf(Debug, sizeof Debug, "SysID=%d, Firmware=0x%4.4x", (int)TAP_GetSystemId(),
           (unsigned)TAP_GetVersion());
  WriteLog(SETUP_PROGRAM_NAME, Debug);
  if (NoAutoStartTAP() != 0)
    WriteLog(SETUP_PROGRAM_NAME, "Found myself in AutoStart! Moving back to ProgramFiles");

  const char *parameterLine = ChooseTask();
  if (parameterLine != nullptr) WriteLog(SETUP_PROGRAM_NAME, parameterLine);

  TaskIndex = 0;
  snprintf(FullName, sizeof FullName, "Vantero");
  CallTraceExit(nullptr);
  return 1;
}
