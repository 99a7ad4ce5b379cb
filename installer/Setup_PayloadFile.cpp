// Writing one payload file: through a temporary name, moved into place with
// rename only when the whole payload is on the disk.
#include <stdio.h>
#include <stdlib.h>

#include "Setup.h"

namespace {

// The Linux path of name in the TAP's current folder; false when it cannot
// be formed within a path buffer.
bool LinuxPathInCurrentDir(const char *name, char *linuxPath) {
  char dir[KALIB_PATH_MAX];
  char tapPath[KALIB_PATH_MAX];
  if (HDD_TAP_GetCurrentDir(dir) != 0) return false;
  int length = snprintf(tapPath, sizeof tapPath, "%s/%s", dir, name);
  if (length < 0 || length >= (int)sizeof tapPath) return false;
  linuxPath[0] = '\0';
  ConvertPathType(tapPath, linuxPath, PK_LinuxFile);
  return linuxPath[0] != '\0';
}

// Creates name and writes the data with one TAP_Hdd_Fwrite; true only when
// all of it was written.
bool WriteWholeFile(const char *name, const byte *data, int dataSize) {
  TAP_Hdd_Create(name, ATTR_NORMAL);
  TYPE_File *file = TAP_Hdd_Fopen(name);
  if (file == NULL) return false;
  bool complete = dataSize == 0 || TAP_Hdd_Fwrite(data, (dword)dataSize, 1, file) == 1;
  complete = complete && TAP_Hdd_Flen(file) == (dword)dataSize;
  TAP_Hdd_Fclose(file);
  return complete;
}

// Moves the finished temporary file over the final name.
bool MoveIntoPlace(const char *tempName, const char *fileName) {
  char from[KALIB_PATH_MAX];
  char to[KALIB_PATH_MAX];
  return LinuxPathInCurrentDir(tempName, from) && LinuxPathInCurrentDir(fileName, to) &&
         rename(from, to) == 0;
}

}  // namespace

bool WritePayloadFile(const char *FileName, const byte *Data, int DataSize) {
  CallTraceEnter("WritePayloadFile");
  char tempName[KALIB_PATH_MAX];
  bool done = false;
  if (FileName != NULL && FileName[0] != '\0' && Data != NULL && DataSize >= 0) {
    int length = snprintf(tempName, sizeof tempName, "%s" PAYLOAD_TEMP_SUFFIX, FileName);
    if (length > 0 && length < (int)sizeof tempName) {
      // A temporary file of an earlier, interrupted run is written anew.
      if (TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
      done = WriteWholeFile(tempName, Data, DataSize) && MoveIntoPlace(tempName, FileName);
      if (!done && TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
    }
  }
  CallTraceExit(NULL);
  return done;
}

void InstallProgram(const char *FileName, const byte *Data, int DataSize) {
  CallTraceEnter("InstallProgram");
  char command[128];
  if (FileName != NULL && FileName[0] != '\0') {
    if (HDD_ChangeDir("/ProgramFiles") && !TAP_Hdd_Exist(FileName)) WritePayloadFile(FileName, Data, DataSize);
    // Also an existing copy gets the mode; the result is of no consequence.
    int length = snprintf(command, sizeof command, "chmod 555 /mnt/hd/ProgramFiles/%s", FileName);
    if (length > 0 && length < (int)sizeof command) {
      int ignored = system(command);
      (void)ignored;
    }
  }
  CallTraceExit(NULL);
}
