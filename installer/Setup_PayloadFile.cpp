// Setup_PayloadFile.cpp - writing one payload file: through a temporary name, moved into place with
// rename only when the whole payload is on the disk.  A payload that cannot
// be written is logged with its path and the reason, and counted, so that
// the task can say at its end that it did not complete.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "Setup.h"
#include "Vantero_Setup.h"

dword PayloadFailures = 0;

// The Linux path of name in the TAP's current folder; false when it cannot
// be formed within a path buffer.
static bool LinuxPathInCurrentDir(const char *name, char *linuxPath) {
  char dir[KALIB_PATH_MAX];
  char tapPath[KALIB_PATH_MAX];
  if (HDD_TAP_GetCurrentDir(dir) != 0) return false;
  int length = snprintf(tapPath, sizeof tapPath, "%s/%s", dir, name);
  if (length < 0 || length >= (int)sizeof tapPath) return false;
  linuxPath[0] = '\0';
  ConvertPathType(tapPath, linuxPath, PK_LinuxFile);
  return linuxPath[0] != '\0';
}

// Creates name and writes the data with one TAP_Hdd_Fwrite.  The file is
// complete only when the write reports all of it and the closed file has
// its full size on the disk: the firmware promises nothing about the length
// of a file while it is open, and a failing disk may report bytes written
// that it did not keep.  False, with the reason, when it is not complete.
static bool WriteWholeFile(const char *name, const byte *data, int dataSize, char *reason,
                           size_t reasonSize) {
  TAP_Hdd_Create(name, ATTR_NORMAL);
  TYPE_File *file = TAP_Hdd_Fopen(name);
  if (file == nullptr) {
    snprintf(reason, reasonSize, "cannot create it");
    return false;
  }
  bool written = dataSize == 0 || TAP_Hdd_Fwrite(data, (dword)dataSize, 1, file) == 1;
  TAP_Hdd_Fclose(file);

  char linuxPath[KALIB_PATH_MAX];
  struct stat64 st;
  if (!LinuxPathInCurrentDir(name, linuxPath) || lstat64(linuxPath, &st) != 0) {
    snprintf(reason, reasonSize, "cannot find it after writing");
    return false;
  }
  if (written && st.st_size == dataSize) return true;
  if (st.st_size == dataSize)
    snprintf(reason, reasonSize, "the write failed");
  else
    snprintf(reason, reasonSize, "only %lu of %lu bytes written", (unsigned long)st.st_size,
             (unsigned long)dataSize);
  return false;
}

// Moves the finished temporary file over the final name.
static bool MoveIntoPlace(const char *tempName, const char *fileName, char *reason, size_t reasonSize) {
  char from[KALIB_PATH_MAX];
  char to[KALIB_PATH_MAX];
  if (LinuxPathInCurrentDir(tempName, from) && LinuxPathInCurrentDir(fileName, to) && rename(from, to) == 0)
    return true;
  snprintf(reason, reasonSize, "cannot move it into place (error 0x%x)", errno);
  return false;
}

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
  char tempName[KALIB_PATH_MAX];
  char reason[128] = "not a payload";
  bool done = false;
  if (FileName != nullptr && FileName[0] != '\0' && Data != nullptr && DataSize >= 0) {
    snprintf(reason, sizeof reason, "the name is too long");
    int length = snprintf(tempName, sizeof tempName, "%s" PAYLOAD_TEMP_SUFFIX, FileName);
    if (length > 0 && length < (int)sizeof tempName) {
      // A temporary file of an earlier, interrupted run is written anew.
      if (TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
      done = WriteWholeFile(tempName, Data, DataSize, reason, sizeof reason) &&
             MoveIntoPlace(tempName, FileName, reason, sizeof reason);
      if (!done && TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
    }
  }
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
