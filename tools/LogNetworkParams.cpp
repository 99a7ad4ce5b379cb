// LogNetworkParams.cpp - the box's network configuration in the log: the
// output of "ifconfig eth0" and the resolver configuration, line by line.
#include <stdlib.h>
#include <string.h>

#include "ToolsInternal.h"

static const char NetworkLogName[] = "network.log";

static void RunCommand(const char *command) {
  int ignored = system(command);  // a failure shows as a missing or short log
  (void)ignored;
}

// Every line of the text, an empty one too; a last line without a line
// feed as well.
static void LogLines(char *text) {
  for (char *line = text; *line != '\0';) {
    char *end = strchr(line, '\n');
    if (end != nullptr) *end = '\0';
    WriteLog(VANTERO_PROGRAM_NAME, line);
    if (end == nullptr) break;
    line = end + 1;
  }
}

void LogNetworkParams(void) {
  CallTraceEnter("LogNetworkParams");
  tWorkDir saved = WorkDirSave();
  RunCommand("ifconfig eth0 > /mnt/hd" VANTERO_SETTINGS_DIR "/network.log");
  RunCommand("cat /etc/resolv.conf >> /mnt/hd" VANTERO_SETTINGS_DIR "/network.log");
  byte *data = nullptr;
  dword size = 0;
  tReadFileResult result =
      HDD_ChangeDir(VANTERO_SETTINGS_DIR) ? ReadWholeFile(NetworkLogName, &data, &size) : RF_Missing;
  if (result == RF_Ok) {
    // One byte more for the terminator.
    char *text = (char *)TAP_MemAlloc(size + 1);
    if (text != nullptr) {
      memcpy(text, data, size);
      text[size] = '\0';
      LogLines(text);
      TAP_MemFree(text);
    }
  } else if (result == RF_Missing || result == RF_ReadError) {
    PrintNet("");
  }
  TAP_MemFree(data);
  WorkDirRestore(&saved);
  CallTraceExit(nullptr);
}
