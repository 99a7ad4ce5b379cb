// Setup_PayloadFile.cpp - writing one payload file with Kalib's ReplaceWholeFile: through a
// temporary name, moved into place only when the whole payload is on the
// disk.  A payload that cannot be written is logged with its path and the
// reason, and counted, so that the task can say at its end that it did not
// complete.
#include <stdio.h>
#include <stdlib.h>

#include "Setup.h"
#include "Vantero_Setup.h"

dword PayloadFailures = 0;

void ReportPayloadFailure(const char *Folder, const char *FileName, const char *Reason) {
  CallTraceEnter("ReportPayloadFailure");
  PayloadFailures++;
  snprintf(Debug, sizeof Debug, "  Failed to write %s/%s: %s", Folder != nullptr ? Folder : "",
           FileName != nullptr ? FileName : "", Reason);
  WriteLog(SETUP_PROGRAM_NAME, Debug);
  CallTraceExit(nullptr);
}

bool WritePayloadFile(const char *FileName, const byte *Data, int DataSize) {
  CallTraceEnter("WritePayloadFile");
  char reason[128] = "not a payload";
  bool done = FileName != nullptr && FileName[0] != '\0' && Data != nullptr && DataSize >= 0 &&
              ReplaceWholeFile(FileName, Data, (dword)DataSize, reason, sizeof reason);
  if (!done) {
    char folder[KALIB_PATH_MAX] = "";
    HDD_TAP_GetCurrentDir(folder);
    ReportPayloadFailure(folder, FileName, reason);
  }
  CallTraceExit(nullptr);
  return done;
}

void InstallProgram(const char *FileName, const byte *Data, int DataSize) {
  CallTraceEnter("InstallProgram");
  char command[128];
  if (FileName != nullptr && FileName[0] != '\0') {
    if (!HDD_ChangeDir("/ProgramFiles"))
      ReportPayloadFailure("/ProgramFiles", FileName, "cannot enter the folder");
    else if (!TAP_Hdd_Exist(FileName))
      WritePayloadFile(FileName, Data, DataSize);
    // Also an existing copy gets the mode; the result is of no consequence.
    int length = snprintf(command, sizeof command, "chmod 555 /mnt/hd/ProgramFiles/%s", FileName);
    if (length > 0 && length < (int)sizeof command) {
      int ignored = system(command);
      (void)ignored;
    }
  }
  CallTraceExit(nullptr);
}
