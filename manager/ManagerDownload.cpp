// ManagerDownload.cpp - one download through the box's wget, started in the background of the
// box shell so that system() returns at once.  The query of the repository and the install of a
// version both use it: every idle event polls wget's status file and the size of the download so
// far (from the disk's directory entry: a 5 MB download is never read just to learn its size), and
// a download that stops growing for MANAGER_QUERY_STALL_TICKS is ended.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "firmware/BoundedString.h"
#include "Manager.h"
#include "ToolsInternal.h"

void ManagerDownloadInit(tManagerDownload *d, const char *folder, const char *out, const char *status,
                         const char *pid) {
  memset(d, 0, sizeof *d);
  StrCopyBounded(d->Folder, sizeof d->Folder, folder);
  StrCopyBounded(d->Out, sizeof d->Out, out);
  StrCopyBounded(d->Status, sizeof d->Status, status);
  StrCopyBounded(d->Pid, sizeof d->Pid, pid);
}

// The Linux path of one of the download's files; false when it does not fit.
static bool LinuxPathOf(const tManagerDownload *d, const char *name, char *path, dword size) {
  int n = snprintf(path, size, "/mnt/hd%s/%s", d->Folder, name);
  return n > 0 && (dword)n < size;
}

void ManagerDownloadClean(tManagerDownload *d, bool withOut) {
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(d->Folder)) {
    const char *const names[] = {d->Status, d->Pid, withOut ? d->Out : ""};
    for (const char *name : names)
      if (name[0] != '\0' && TAP_Hdd_Exist(name)) TAP_Hdd_Delete(name);
  }
  WorkDirRestore(&saved);
}

// The first line of a small file of the download's folder (at most size - 1 bytes, terminated);
// false when the file is not there.
static bool ReadSmallFile(const tManagerDownload *d, const char *name, char *text, dword size) {
  text[0] = '\0';
  tWorkDir saved = WorkDirSave();
  byte *data = nullptr;
  dword length = 0;
  tReadFileResult result = HDD_ChangeDir(d->Folder) ? ReadWholeFile(name, &data, &length) : RF_Missing;
  WorkDirRestore(&saved);
  dword n = length < size - 1 ? length : size - 1;
  if (data != nullptr) memcpy(text, data, n);
  text[n] = '\0';
  TAP_MemFree(data);
  return result == RF_Ok || result == RF_Empty;
}

bool ManagerDownloadStart(tManagerDownload *d, const char *url) {
  ManagerDownloadClean(d, true);
  char out[KALIB_PATH_MAX], status[KALIB_PATH_MAX], pid[KALIB_PATH_MAX];
  char command[2 * REPO_URL_MAX + 3 * KALIB_PATH_MAX];
  if (!LinuxPathOf(d, d->Out, out, sizeof out) || !LinuxPathOf(d, d->Status, status, sizeof status) ||
      !LinuxPathOf(d, d->Pid, pid, sizeof pid) ||
      !BuildWgetCommand(url, out, status, pid, command, sizeof command)) {
    LogVantero("Download of %s not started: the address is too long", url);
    return false;
  }
  StrCopyBounded(d->URL, sizeof d->URL, url);
  d->Bytes = 0;
  d->LastProgress = TAP_GetTick();
  // The command returns at once; whether wget ran shows in its status file,
  // and a download that never starts ends by the time-out.
  int result = system(command);
  if (result != 0) LogVantero("Download of %s: the shell answered %d", url, result);
  return true;
}

void ManagerDownloadStop(tManagerDownload *d) {
  char text[16];
  if (!ReadSmallFile(d, d->Pid, text, sizeof text)) return;
  int pid = atoi(text);
  if (pid <= 0) return;
  char command[32];
  snprintf(command, sizeof command, "kill %d", pid);
  system(command);  // a wget that ended meanwhile makes kill fail: nothing to do then
}

// The size of the download so far; 0 while wget has not made it.
static dword DownloadedBytes(const tManagerDownload *d) {
  char path[KALIB_PATH_MAX];
  struct stat64 st;
  if (!LinuxPathOf(d, d->Out, path, sizeof path) || lstat64(path, &st) != 0) return 0;
  return (dword)st.st_size;
}

int ManagerDownloadPoll(tManagerDownload *d) {
  char text[16];
  dword length = ReadSmallFile(d, d->Status, text, sizeof text) ? (dword)strlen(text) : 0;
  if (length > 0 && text[length - 1] == '\n') {
    d->Bytes = DownloadedBytes(d);
    int status = atoi(text);
    if (status == 0) return QD_Done;
    LogVantero("Download of %s failed: wget ended with status %d", d->URL, status);
    return QD_Failed;
  }
  dword bytes = DownloadedBytes(d), now = TAP_GetTick();
  if (bytes != d->Bytes) {
    d->Bytes = bytes;
    d->LastProgress = now;
  } else if (now - d->LastProgress > MANAGER_QUERY_STALL_TICKS) {
    LogVantero("Download of %s failed: no progress for %d s", d->URL, MANAGER_QUERY_STALL_TICKS / 100);
    ManagerDownloadStop(d);
    return QD_Failed;
  }
  return QD_Running;
}
