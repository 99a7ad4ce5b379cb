// ManagerInstallPlan.cpp - where each file of a version goes and what its install mode makes of it:
//   IM_Overwrite            written, replacing what is there;
//   IM_OverwriteIfNewer     written when missing, else only when the version is newer than the
//                           installed one (a downgrade keeps the file);
//   IM_CreateIfNonexistant  written only when missing (defaults the user may have changed);
//   IM_NotInPackage         not downloaded: a file the TAP makes itself, deleted with its settings;
//   IM_AlwaysDelete         not downloaded: an obsolete file, deleted when it is there.
// A TAP file goes where the TAP already is (FindFile, when the file found carries its ID), else
// into its DefaultPath; the package's own TAP new to the box goes where the user chose (AutoStart
// or ProgramFiles) when its DefaultPath is one of the two.  The set becomes a file journal before
// anything is downloaded.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "firmware/BoundedString.h"
#include "ManagerInstallPlan.h"
#include "ToolsInternal.h"
#include "firmware/ShellQuote.h"

#define LINUX_STAGING_DIR "/mnt/hd" MANAGER_STAGING_DIR
#define PROGRAMFILES_AUTOSTART VPD_PROGRAMFILES "/AutoStart"

static bool Reason(char *reason, dword size, const char *format, const char *a, const char *b) {
  if (reason != nullptr && size > 0) snprintf(reason, size, format, a, b);
  return false;
}

static bool IsFile(const char *linuxPath) {
  struct stat64 st;
  return lstat64(linuxPath, &st) == 0 && (st.st_mode & 0xF000) == 0x8000;
}

static bool IsFolder(const char *linuxPath) {
  struct stat64 st;
  return lstat64(linuxPath, &st) == 0 && (st.st_mode & 0xF000) == 0x4000;
}

// The TAP ID in a TAP file's header; 0 when it is none.
static dword TapIdOf(const char *linuxPath) {
  tTAPInfo info;
  memset(&info, 0, sizeof info);
  return HDD_TAP_GetInfo(linuxPath, &info) ? info.TAPID : 0;
}

// The installed TAP (any file, with or without package) that carries tapId; null none.
static const tTAPsOnBoard *InstalledTap(dword tapId) {
  for (int i = 0; i < TAPsOnBoardCount && TAPsOnBoard != nullptr; i++)
    if (TAPsOnBoard[i].TAPID == tapId && TAPsOnBoard[i].Found) return &TAPsOnBoard[i];
  return nullptr;
}

static bool IsTapFile(const tVPDFiles *f) { return f->TAPID != 0 && StringEndsWith(f->FileName, ".tap"); }

// Where file f is, or goes: the folder where FindFile finds the TAP (when the file there carries
// its ID), else its DefaultPath, or the user's choice for the package's own TAP.
static bool Destination(tVPDFiles *f, dword packageId, bool autoStart, char *final) {
  const char *folder = f->DefaultPath, *name = f->FileName;
  if (IsTapFile(f)) {
    tWorkDir saved = WorkDirSave();
    bool found = FindFile(f, FALSE) && f->CurrentPath != nullptr && f->CurrentName != nullptr;
    WorkDirRestore(&saved);
    char there[KALIB_PATH_MAX];
    if (found && snprintf(there, sizeof there, "%s/%s", f->CurrentPath, f->CurrentName) < (int)sizeof there &&
        TapIdOf(there) == f->TAPID && DefaultPathInProgramFiles(f->CurrentPath)) {
      folder = f->CurrentPath;
      name = f->CurrentName;
    } else if (f->TAPID == packageId &&
               (strcmp(folder, VPD_PROGRAMFILES) == 0 || strcmp(folder, PROGRAMFILES_AUTOSTART) == 0)) {
      folder = autoStart ? PROGRAMFILES_AUTOSTART : VPD_PROGRAMFILES;
    }
  }
  int n = snprintf(final, KALIB_PATH_MAX, "%s/%s", folder, name);
  return n > 0 && n < KALIB_PATH_MAX;
}

// Plans one file of an install: what its mode makes of it.  False with the reason for a refused
// file.
static bool PlanInstallFile(tInstallPlan *plan, tVPDFiles *f, const tVPDVersion *v, bool newer,
                            bool autoStart, char *reason, dword size) {
  const char *refusal = PackageFileRefusal(f);
  if (refusal != nullptr)
    return Reason(reason, size, "%.60s: %s", f->FileName != nullptr ? f->FileName : "?", refusal);
  const tTAPsOnBoard *other = IsTapFile(f) && f->TAPID != plan->TAPID ? InstalledTap(f->TAPID) : nullptr;
  if (other != nullptr) {
    char id[16];
    snprintf(id, sizeof id, "%8.8x", (unsigned)f->TAPID);
    return Reason(reason, size, "TAP ID %s is used by the installed TAP '%.60s'", id, other->TAPName);
  }
  tPlannedFile *p = &plan->Files[plan->NrOfFiles];
  memset(p, 0, sizeof *p);
  p->Record = f;
  if (!Destination(f, plan->TAPID, autoStart, p->Final))
    return Reason(reason, size, "%.60s: %s", f->FileName, "path too long");
  bool exists = IsFile(p->Final);
  if (exists && IsTapFile(f) && TapIdOf(p->Final) != f->TAPID)
    return Reason(reason, size, "%.60s: %s", f->FileName, "another TAP has that name in its folder");
  bool write = false, remove = false;
  switch (f->InstallMode) {
    case IM_Overwrite:
      write = true;
      break;
    case IM_OverwriteIfNewer:
      write = !exists || newer;
      break;
    case IM_CreateIfNonexistant:
      write = !exists;
      break;
    case IM_AlwaysDelete:
      remove = exists;
      break;
    default:  // IM_NotInPackage: the TAP makes it
      break;
  }
  if (IsTapFile(f) && f->TAPID == plan->TAPID && (write || (exists && !remove)))
    StrCopyBounded(plan->TapPath, sizeof plan->TapPath, p->Final);
  if (!write && !remove) return true;
  if (IsTapFile(f)) plan->TapIds[plan->NrOfTapIds++] = f->TAPID;
  if (write) {
    snprintf(p->StagedName, sizeof p->StagedName, "%d.new", plan->NrOfFiles);
    snprintf(p->Staged, sizeof p->Staged, "%s/%d.new", LINUX_STAGING_DIR, plan->NrOfFiles);
    const char *root = v->RootDir != nullptr ? v->RootDir : "";
    int n = snprintf(p->RemoteName, sizeof p->RemoteName, "%s%s%s", root, root[0] != '\0' ? "/" : "",
                     f->FileName);
    if (n < 0 || n >= (int)sizeof p->RemoteName)
      return Reason(reason, size, "%.60s: %s", f->FileName, "address too long");
    for (char *c = p->RemoteName; *c != '\0'; c++)
      if (*c == '\\') *c = '/';
    plan->NrOfDownloads++;
    plan->DownloadBytes += (dword)f->Size;
  }
  plan->NrOfFiles++;
  return true;
}

// Makes the staging folder when missing.
static void MakeStagingFolder(void) {
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(VANTERO_SETTINGS_DIR) && !TAP_Hdd_Exist("Staging"))
    TAP_Hdd_Create("Staging", ATTR_FOLDER);
  WorkDirRestore(&saved);
}

// Writes the plan's journal; false with the reason.
static bool WriteJournal(tInstallPlan *plan, char *reason, dword size) {
  if (plan->NrOfFiles == 0) return true;
  if (!FileJournalBegin(&plan->Journal, MANAGER_JOURNAL_FILE))
    return Reason(reason, size, "%s%s", "the journal cannot be made", "");
  plan->JournalOpen = TRUE;
  for (int i = 0; i < plan->NrOfFiles; i++)
    if (!FileJournalAdd(&plan->Journal, plan->Files[i].Final, plan->Files[i].Staged))
      return Reason(reason, size, "%.60s: %s", plan->Files[i].Record->FileName,
                    "cannot be planned (listed twice?)");
  char why[MANAGER_TEXT_SIZE] = "";
  if (!FileJournalSave(&plan->Journal, why, sizeof why)) {
    FileJournalFree(&plan->Journal);
    plan->JournalOpen = FALSE;
    return Reason(reason, size, "the journal cannot be written: %.80s%s", why, "");
  }
  MakeStagingFolder();
  return true;
}

// Loads the package of tapId and picks the version; false with the reason.
static bool LoadVersion(tInstallPlan *plan, dword tapId, int versionIndex, char *reason, dword size) {
  InstallPlanDrop(plan);
  plan->TAPID = tapId;
  char id[16];
  snprintf(id, sizeof id, "%8.8x", (unsigned)tapId);
  if (!VPDLoadStd(&plan->Vpd, tapId) || versionIndex < 0 || versionIndex >= plan->Vpd.NrOfVersions)
    return Reason(reason, size, "the package of %s cannot be read%s", id, "");
  if (plan->Vpd.Versions[versionIndex].NrOfFiles > INSTALL_MAX_FILES)
    return Reason(reason, size, "the version of %s has too many files%s", id, "");
  return true;
}

bool InstallPlanMake(tInstallPlan *plan, const tInstallItem *item, bool autoStart, bool writeJournal,
                     char *title, dword titleSize, char *reason, dword reasonSize) {
  if (!LoadVersion(plan, item->TAPID, item->VersionIndex, reason, reasonSize)) return false;
  tVPDVersion *v = &plan->Vpd.Versions[item->VersionIndex];
  snprintf(title, titleSize, "%.60s %.40s", plan->Vpd.TAPName != nullptr ? plan->Vpd.TAPName : "?",
           v->Version != nullptr ? v->Version : "?");
  if (v->NrOfFiles <= 0) return Reason(reason, reasonSize, "%s %s", title, "has no files");
  int installed = TAPCacheGetInstalledVersionIndex(item->TAPID);
  bool newer = installed < 0 || v->TimeStamp > TAPCache[installed].TimeStamp;
  for (int i = 0; i < v->NrOfFiles; i++)
    if (!PlanInstallFile(plan, &v->Files[i], v, newer, autoStart, reason, reasonSize)) return false;
  return !writeJournal || WriteJournal(plan, reason, reasonSize);
}

bool InstallPlanRemoval(tInstallPlan *plan, dword tapId, int versionIndex, bool withSettings, char *reason,
                        dword reasonSize) {
  if (!LoadVersion(plan, tapId, versionIndex, reason, reasonSize)) return false;
  tVPDVersion *v = &plan->Vpd.Versions[versionIndex];
  for (int i = 0; i < v->NrOfFiles; i++) {
    tVPDFiles *f = &v->Files[i];
    const char *refusal = PackageFileRefusal(f);
    if (refusal != nullptr)
      return Reason(reason, reasonSize, "%.60s: %s", f->FileName != nullptr ? f->FileName : "?", refusal);
    bool settings =
        (f->Flags & 1) != 0 || f->InstallMode == IM_NotInPackage || f->InstallMode == IM_CreateIfNonexistant;
    if (settings && !withSettings) continue;
    tPlannedFile *p = &plan->Files[plan->NrOfFiles];
    memset(p, 0, sizeof *p);
    p->Record = f;
    if (!Destination(f, tapId, FALSE, p->Final))
      return Reason(reason, reasonSize, "%.60s: %s", f->FileName, "path too long");
    if (!IsFile(p->Final) || (IsTapFile(f) && TapIdOf(p->Final) != f->TAPID)) continue;
    if (IsTapFile(f)) plan->TapIds[plan->NrOfTapIds++] = f->TAPID;
    plan->NrOfFiles++;
  }
  return WriteJournal(plan, reason, reasonSize);
}

// Makes the folder of a final path (with its parents) when missing.
static void MakeFolderOf(const char *final) {
  char folder[KALIB_PATH_MAX], quoted[2 * KALIB_PATH_MAX], command[2 * KALIB_PATH_MAX + 16];
  StrCopyBounded(folder, sizeof folder, final);
  char *slash = strrchr(folder, '/');
  if (slash == nullptr) return;
  *slash = '\0';
  if (IsFolder(folder) || !ShellQuote(folder, quoted, sizeof quoted)) return;
  snprintf(command, sizeof command, "mkdir -p %s", quoted);
  system(command);  // a folder that cannot be made fails the commit's rename, which undoes the set
}

// The inventory recomputes a TAP file's CRC only when its modification time changed; a file put in
// place within the same second as the old one was written would keep the old CRC, so the changed
// TAPs' times are forgotten.
static void ForgetFileTimes(const tInstallPlan *plan) {
  for (int i = 0; i < TAPsOnBoardCount && TAPsOnBoard != nullptr; i++)
    for (int k = 0; k < plan->NrOfTapIds; k++)
      if (TAPsOnBoard[i].TAPID == plan->TapIds[k]) TAPsOnBoard[i].TimeStamp = 0;
}

bool InstallPlanCommit(tInstallPlan *plan, char *reason, dword reasonSize) {
  if (!plan->JournalOpen) {
    InstallPlanDrop(plan);
    return true;
  }
  for (int i = 0; i < plan->NrOfFiles; i++)
    if (plan->Files[i].Staged[0] != '\0') MakeFolderOf(plan->Files[i].Final);
  // The manager never stops itself: its own file is replaced under it and the new one runs next time.
  bool wasRunning = plan->TAPID != VANTERO_TAPID && HDD_TAP_isRunning(plan->TAPID);
  if (wasRunning && !StopTAP(plan->TAPID)) {
    InstallPlanDrop(plan);
    return Reason(reason, reasonSize, "the TAP %s%s", "could not be stopped", "");
  }
  bool done = FileJournalCommit(&plan->Journal, reason, reasonSize);
  ForgetFileTimes(plan);
  FileJournalFree(&plan->Journal);
  plan->JournalOpen = FALSE;
  if (wasRunning && plan->TapPath[0] != '\0' && IsFile(plan->TapPath) &&
      !HDD_TAP_Start(plan->TapPath, FALSE, nullptr, nullptr))
    LogVantero("%s could not be started again", plan->TapPath);
  VPDFree(&plan->Vpd);
  return done;
}

void InstallPlanDrop(tInstallPlan *plan) {
  if (plan->JournalOpen) {
    FileJournalAbort(&plan->Journal);
    FileJournalFree(&plan->Journal);
  }
  VPDFree(&plan->Vpd);
  plan->JournalOpen = FALSE;
  plan->NrOfFiles = plan->NrOfDownloads = 0;
  plan->DownloadBytes = 0;
  plan->NrOfTapIds = 0;
  plan->TapPath[0] = '\0';
}

void InstallStagingClean(void) {
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(MANAGER_STAGING_DIR)) {
    // Names first, then the deletions: a listing does not survive the files it lists.
    static char names[2 * INSTALL_MAX_FILES + 4][MANAGER_DOWNLOAD_NAME_SIZE];
    int count = 0;
    TYPE_FolderEntry entry;
    dword entries = TAP_Hdd_FindFirst(&entry, "");
    for (dword i = 0; i < entries && count < (int)(sizeof names / sizeof names[0]); i++) {
      entry.name[sizeof entry.name - 1] = '\0';
      if (entry.attr == ATTR_NORMAL) StrCopyBounded(names[count++], sizeof names[0], entry.name);
      if (i + 1 < entries) TAP_Hdd_FindNext(&entry);
    }
    for (int i = 0; i < count; i++) TAP_Hdd_Delete(names[i]);
  }
  WorkDirRestore(&saved);
}

void ManagerInstallRescan(void) {
  ManagerRefreshCache();  // rescans the inventory (TAPsOnBoardFind) and rebuilds the cache
  TAPsOnBoardFree();
}
