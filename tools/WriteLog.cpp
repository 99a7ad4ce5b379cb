// WriteLog.cpp - the installer's log: "Vantero.log" in the update manager's settings
// folder, shared with the manager, with a copy of every line on the console.
#include <stdio.h>
#include <string.h>

#include "Tools.h"

// The folders are made by the first WriteLog of a run only.
static bool FirstCall = true;

static void MakeLogFolders() {
  HDD_ChangeDir("/ProgramFiles");
  if (!TAP_Hdd_Exist("Settings")) TAP_Hdd_Create("Settings", ATTR_FOLDER);
  HDD_ChangeDir("Settings");
  if (!TAP_Hdd_Exist("Vantero")) TAP_Hdd_Create("Vantero", ATTR_FOLDER);
}

// Control characters of a text (a package name with CR LF, say) would
// forge lines of their own in the log: they are written as "\r", "\n" or
// "\xHH" (a tab stays).  A line break that ends the text is part of some
// messages and stays.  Null when the text holds none; the escaped text is
// cut to the buffer.
static const char *EscapeControls(const char *s) {
  static char escaped[2048];
  size_t length = s != nullptr ? strlen(s) : 0;
  bool any = false;
  for (size_t i = 0; i < length && !any; i++)
    any = ((byte)s[i] < 0x20 || s[i] == 0x7F) && s[i] != '\t' && !(s[i] == '\n' && i + 1 == length);
  if (!any) return nullptr;
  size_t out = 0;
  for (size_t i = 0; i < length; i++) {
    byte c = (byte)s[i];
    char piece[8] = {(char)c, '\0'};
    bool plain = (c >= 0x20 && c != 0x7F) || c == '\t' || (c == '\n' && i + 1 == length);
    if (!plain && (c == '\r' || c == '\n'))
      snprintf(piece, sizeof piece, "\\%c", c == '\r' ? 'r' : 'n');
    else if (!plain)
      snprintf(piece, sizeof piece, "\\x%02X", c);
    size_t n = strlen(piece);
    if (out + n >= sizeof escaped) break;
    memcpy(escaped + out, piece, n);
    out += n;
  }
  escaped[out] = '\0';
  return escaped;
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
  const char *escaped = EscapeControls(s);
  LogEntry(inSettings ? VANTERO_LOG_NAME : nullptr, programName, TRUE, TIMESTAMP_YMDHMS,
           escaped != nullptr ? escaped : s);
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
}
