// WriteLog.cpp - the installer's log: "Vantero.log" in the update manager's settings
// folder, shared with the manager, with a copy of every line on the console.
#include "Tools.h"

// The folders are made by the first WriteLog of a run only.
static bool FirstCall = true;

static void MakeLogFolders() {
  HDD_ChangeDir("/ProgramFiles");
  if (!TAP_Hdd_Exist("Settings")) TAP_Hdd_Create("Settings", ATTR_FOLDER);
  HDD_ChangeDir("Settings");
  if (!TAP_Hdd_Exist("Vantero")) TAP_Hdd_Create("Vantero", ATTR_FOLDER);
}

void WriteLog(const char *programName, const char *s) {
  CallTraceEnter("WriteLog");
  // The caller's folder, whatever its length, is entered again afterwards.
  tWorkDir saved = WorkDirSave();
  if (FirstCall) {
    MakeLogFolders();
    FirstCall = false;
  }
  // Without the settings folder (a complete uninstall removes it) the line
  // goes to the console only: a log file anywhere else would be left behind.
  bool inSettings = HDD_ChangeDir(VANTERO_SETTINGS_DIR);
  LogEntry(inSettings ? VANTERO_LOG_NAME : nullptr, programName, TRUE, TIMESTAMP_YMDHMS, s);
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
}
