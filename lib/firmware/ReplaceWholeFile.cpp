// ReplaceWholeFile.cpp - writing a whole file so that it is never seen half written: the data go to
// "<name>.tmp" beside it (REPLACE_WHOLE_FILE_SUFFIX), which is renamed over the file only when all of it is
// on the disk.  A power cut leaves the old file or the new one, and at worst a stray temporary file that the
// next write replaces.  The box's libc has no fsync; checking the size on the disk after close and renaming
// only then is the most it allows.
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include "BoundedString.h"
#include "Kalib.h"

// The temporary name is kept as it is: the installer's and the data files'
// stray temporary files of earlier runs are known by it.
static const char kTempSuffix[] = REPLACE_WHOLE_FILE_SUFFIX;

// Room for a reason; Reason may be null.
typedef struct {
  char *Text;
  dword Size;
} tReason;

static void SetReason(const tReason *reason, const char *text) {
  if (reason->Text != nullptr && reason->Size > 0) StrCopyBounded(reason->Text, reason->Size, text);
}

// Creates name anew and writes the data with one TAP_Hdd_Fwrite.  The file
// is complete only when the write reports all of it and the closed file has
// its full size on the disk: the firmware's TAP_Hdd_Flen gives the length
// at open, and a failing disk may report bytes written that it did not keep.
static bool WriteNewFile(const char *name, const void *data, dword size, const tReason *reason) {
  TAP_Hdd_Create(name, ATTR_NORMAL);
  TYPE_File *file = TAP_Hdd_Fopen(name);
  if (file == nullptr) {
    SetReason(reason, "cannot create it");
    return false;
  }
  bool written = size == 0 || TAP_Hdd_Fwrite(data, size, 1, file) == 1;
  TAP_Hdd_Fclose(file);

  char linuxPath[KALIB_PATH_MAX];
  struct stat64 st;
  if (!LinuxPathInCurrentDir(name, linuxPath) || lstat64(linuxPath, &st) != 0) {
    SetReason(reason, "cannot find it after writing");
    return false;
  }
  if (written && st.st_size == (long long)size) return true;
  char text[64];
  if (st.st_size == (long long)size)
    StrCopyBounded(text, sizeof text, "the write failed");
  else
    snprintf(text, sizeof text, "only %lu of %lu bytes written", (unsigned long)st.st_size,
             (unsigned long)size);
  SetReason(reason, text);
  return false;
}

// Moves the finished temporary file over the final name in one step.
static bool MoveIntoPlace(const char *tempName, const char *fileName, const tReason *reason) {
  char from[KALIB_PATH_MAX];
  char to[KALIB_PATH_MAX];
  if (LinuxPathInCurrentDir(tempName, from) && LinuxPathInCurrentDir(fileName, to) && rename(from, to) == 0)
    return true;
  char text[64];
  snprintf(text, sizeof text, "cannot move it into place (error 0x%x)", errno);
  SetReason(reason, text);
  return false;
}

bool ReplaceWholeFile(const char *FileName, const void *Data, dword Size, char *Reason, dword ReasonSize) {
  tReason reason = {Reason, ReasonSize};
  if (FileName == nullptr || FileName[0] == '\0' || (Data == nullptr && Size > 0)) {
    SetReason(&reason, "no file name or no data");
    return false;
  }
  char tempName[KALIB_PATH_MAX];
  if (!StrCopyBounded(tempName, sizeof tempName, FileName) ||
      !StrAppendBounded(tempName, sizeof tempName, kTempSuffix)) {
    SetReason(&reason, "the name is too long");
    return false;
  }
  // A temporary file of an earlier, interrupted write is written anew.
  if (TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
  bool done = WriteNewFile(tempName, Data, Size, &reason) && MoveIntoPlace(tempName, FileName, &reason);
  if (!done && TAP_Hdd_Exist(tempName)) TAP_Hdd_Delete(tempName);
  return done;
}
