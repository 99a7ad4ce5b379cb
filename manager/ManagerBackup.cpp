// ManagerBackup.cpp - the full backup and its restore.  A backup is one
// archive of "/ProgramFiles" (the TAPs, AutoStart and every TAP's settings)
// made by the box's busybox tar in the background of the box shell, named
// by TimeStampToFileName, in MANAGER_BACKUP_DIR, which lies outside what it
// archives.  It is made only when df reports room for all the files
// uncompressed, under a ".part" name that becomes the archive's name once
// tar ended well, so a broken backup is never offered for a restore.
//
// A restore changes nothing until the archive proved sound: tar lists it
// (every member below "ProgramFiles/", no ".." part), extracts it into a
// staging folder beside the archives (the same disk), and only when that
// succeeded the file journal swaps the files in as one set: after a power
// cut the next start finishes the set or undoes it.  Files on the disk that
// the archive does not hold stay; this run's log is kept.
//
// Every program runs through BuildBackgroundCommand: the event handler never
// waits for tar; its idle events look at the status file and the archive's
// size.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Graphics.h"
#include "Manager.h"
#include "ToolsInternal.h"
#include "firmware/ShellQuote.h"

#define LINUX_DISK "/mnt/hd"
#define LINUX_BACKUP_DIR LINUX_DISK MANAGER_BACKUP_DIR
#define ARCHIVED_ROOT "ProgramFiles"  // what a backup holds, relative to the disk
#define STATUS_FILE LINUX_BACKUP_DIR "/Backup.status"
#define PID_FILE LINUX_BACKUP_DIR "/Backup.pid"
#define LIST_FILE LINUX_BACKUP_DIR "/Backup.list"
#define DF_FILE LINUX_BACKUP_DIR "/Backup.df"
#define STAGING_DIR LINUX_BACKUP_DIR "/Restore.staging"
#define JOURNAL_PATH LINUX_BACKUP_DIR "/" MANAGER_RESTORE_JOURNAL
#define PART_SUFFIX ".part"
#define KEPT_LOG ARCHIVED_ROOT "/Settings/Vantero/" VANTERO_LOG_NAME
#define LIST_MAX (1024 * 1024)  // the member list read at most
#define MAX_BACKUPS 200
#define COMMAND_SIZE (4 * KALIB_PATH_MAX)

tManagerBackup Backup;

// The archives of the backup folder, newest first.
static char (*Archives)[VPD_ARCHIVE_NAME_SIZE + 8] = nullptr;
static int ArchiveCount = 0;
static bool Asking = false;              // the restore question is open
static int AskedArchive = -1;            // the archive it asks about
static char BoxText[MANAGER_TEXT_SIZE];  // what the info box shows
static int BoxTitle = 0;

// ---- files and programs ----------------------------------------------------

// Reads up to size - 1 bytes of a small file, terminated; false when missing.
static bool ReadText(const char *path, char *text, dword size) {
  text[0] = '\0';
  int fd = open(path, O_RDONLY);
  if (fd < 0) return false;
  dword used = 0;
  for (ssize_t n = 1; n > 0 && used + 1 < size; used += (dword)n) {
    n = read(fd, text + used, size - 1 - used);
    if (n <= 0) break;
  }
  text[used] = '\0';
  close(fd);
  return true;
}

static long64 SizeOf(const char *path) {
  struct stat64 st;
  return lstat64(path, &st) == 0 ? (long64)st.st_size : -1;
}

// "rm -r" of a folder through the box shell (the staging folder).
static void RemoveTree(const char *path) {
  char quoted[KALIB_PATH_MAX + 16], command[KALIB_PATH_MAX + 32];
  if (SizeOf(path) >= 0 && ShellQuote(path, quoted, sizeof quoted)) {
    snprintf(command, sizeof command, "rm -r %s", quoted);
    system(command);
  }
}

// Makes the folder and its parents below the disk (a Linux path in it);
// false when one cannot be made.
static bool MakeFolders(const char *path) {
  char part[KALIB_PATH_MAX];
  if (strlen(path) >= sizeof part || strncmp(path, LINUX_DISK "/", sizeof LINUX_DISK) != 0) return false;
  for (dword i = sizeof LINUX_DISK; path[i - 1] != '\0'; i++) {
    if (path[i] != '/' && path[i] != '\0') continue;
    memcpy(part, path, i);
    part[i] = '\0';
    struct stat64 st;
    if (lstat64(part, &st) != 0 && mkdir(part, 0777) != 0) return false;
  }
  return true;
}

// Starts busybox with the arguments (already quoted) in the background.
static bool StartBusybox(const char *arguments) {
  DeleteLinuxFile(STATUS_FILE);
  DeleteLinuxFile(PID_FILE);
  char line[COMMAND_SIZE], command[COMMAND_SIZE + 2 * KALIB_PATH_MAX];
  int n = snprintf(line, sizeof line, "%s %s", BUSYBOX_PROGRAM, arguments);
  if (n < 0 || (dword)n >= sizeof line ||
      !BuildBackgroundCommand(line, STATUS_FILE, PID_FILE, command, sizeof command)) {
    LogVantero("Backup: the command does not fit: %s", line);
    return false;
  }
  int status = system(command);
  if (status != 0) LogVantero("Backup: the shell answered %d to %s", status, line);
  return true;
}

// The background program's exit status; -1 while it runs.
static int ProgramStatus(void) {
  char text[16];
  if (!ReadText(STATUS_FILE, text, sizeof text)) return -1;
  size_t n = strlen(text);
  return n > 0 && text[n - 1] == '\n' ? atoi(text) : -1;
}

static void KillProgram(void) {
  char text[16], command[32];
  int pid = ReadText(PID_FILE, text, sizeof text) ? atoi(text) : 0;
  if (pid > 0) {
    snprintf(command, sizeof command, "kill %d", pid);
    system(command);
  }
}

// ---- the backup --------------------------------------------------------------

static bool AddFileSize(void *context, const char *folder, const char *fileName) {
  char path[KALIB_PATH_MAX];
  int n = snprintf(path, sizeof path, LINUX_DISK "%s/%s", folder, fileName);
  long64 size = n > 0 && n < (int)sizeof path ? SizeOf(path) : -1;
  if (size > 0) *(long64 *)context += size;
  return false;
}

// Bytes of every file below "/ProgramFiles": what the archive holds.
static long64 FilesTotal(void) {
  long64 total = 0;
  tWorkDir saved = WorkDirSave();
  FolderWalkFiles("/" ARCHIVED_ROOT, "", nullptr, KALIB_PATH_MAX - 1, AddFileSize, &total);
  WorkDirRestore(&saved);
  return total;
}

// The archive's name for now: "5C3E1A20-YYYYMMDD-HHMMSS.tgz".
static void ArchiveName(char *name) {
  word mjd = 0;
  byte hour = 0, minute = 0, second = 0;
  TAP_GetTime(&mjd, &hour, &minute, &second);
  // Release time stamps count days since 2000-01-01 (day 51544) in bits 31..17.
  dword stamp = (dword)(word)(mjd - 51544) << 17 | (dword)(hour * 3600 + minute * 60 + second);
  TimeStampToFileName(VANTERO_TAPID, stamp, name);
}

static bool StartBackup(void) {
  if (!MakeFolders(LINUX_BACKUP_DIR)) {
    LogVantero("Backup: %s cannot be made", LINUX_BACKUP_DIR);
    return false;
  }
  Backup.Expected = FilesTotal();
  dword freeKB = 0;
  if (!ManagerDiskFreeKB(DF_FILE, "Backup", &freeKB)) return false;
  if ((long64)freeKB * 1024 < Backup.Expected + 1024 * 1024) {
    LogVantero("Backup: %u kB free, %u kB of files", (unsigned)freeKB, (unsigned)(Backup.Expected / 1024));
    Backup.Problem = MT_NotEnoughSpace;
    return false;
  }
  char name[VPD_ARCHIVE_NAME_SIZE], quoted[KALIB_PATH_MAX + 16], arguments[COMMAND_SIZE];
  ArchiveName(name);
  snprintf(Backup.Archive, sizeof Backup.Archive, "%s/%s", LINUX_BACKUP_DIR, name);
  snprintf(Backup.Part, sizeof Backup.Part, "%s%s", Backup.Archive, PART_SUFFIX);
  if (!ShellQuote(Backup.Part, quoted, sizeof quoted)) return false;
  snprintf(arguments, sizeof arguments, "tar -czf %s -C '" LINUX_DISK "' '" ARCHIVED_ROOT "'", quoted);
  DeleteLinuxFile(Backup.Part);
  LogVantero("Backup of %u kB of files into %s", (unsigned)(Backup.Expected / 1024), Backup.Archive);
  return StartBusybox(arguments);
}

// The end of tar's run: the part becomes the archive, or goes.
static void BackupEnded(int status) {
  int error = 0;
  if (status == 0 && SizeOf(Backup.Part) > 0 && MoveFileNoReplace(Backup.Part, Backup.Archive, &error)) {
    LogVantero("Backup %s made: %u bytes", Backup.Archive, (unsigned)SizeOf(Backup.Archive));
    Backup.Problem = 0;
  } else {
    LogVantero("Backup %s failed: tar ended with %d (error %d)", Backup.Archive, status, error);
    DeleteLinuxFile(Backup.Part);
    Backup.Problem = MT_BackupFailed;
  }
}

// ---- the restore --------------------------------------------------------------

static bool StartListing(void) {
  char quotedArchive[KALIB_PATH_MAX + 16], quotedList[KALIB_PATH_MAX + 16], arguments[COMMAND_SIZE];
  if (!ShellQuote(Backup.Archive, quotedArchive, sizeof quotedArchive) ||
      !ShellQuote(LIST_FILE, quotedList, sizeof quotedList))
    return false;
  DeleteLinuxFile(LIST_FILE);
  snprintf(arguments, sizeof arguments, "tar -tzf %s > %s", quotedArchive, quotedList);
  LogVantero("Restore of %s: checking it", Backup.Archive);
  return StartBusybox(arguments);
}

// The member list, checked; its members in *members.  Null when damaged.
static char *CheckedList(int *members) {
  char *list = (char *)TAP_MemAlloc(LIST_MAX);
  if (list == nullptr) return nullptr;
  char bad[128];
  *members = ReadText(LIST_FILE, list, LIST_MAX) ? TarListCheck(list, ARCHIVED_ROOT, bad, sizeof bad) : -1;
  if (*members <= 0 || strlen(list) + 1 >= LIST_MAX) {
    LogVantero("Restore of %s refused: %s%s", Backup.Archive, *members < 0 ? "bad member " : "no members",
               *members < 0 ? bad : "");
    TAP_MemFree(list);
    return nullptr;
  }
  return list;
}

static bool StartExtracting(void) {
  RemoveTree(STAGING_DIR);
  char quotedArchive[KALIB_PATH_MAX + 16], quotedStaging[KALIB_PATH_MAX + 16], arguments[COMMAND_SIZE];
  if (!MakeFolders(STAGING_DIR) || !ShellQuote(Backup.Archive, quotedArchive, sizeof quotedArchive) ||
      !ShellQuote(STAGING_DIR, quotedStaging, sizeof quotedStaging))
    return false;
  snprintf(arguments, sizeof arguments, "tar -xzf %s -C %s", quotedArchive, quotedStaging);
  return StartBusybox(arguments);
}

// Plans one member: a file of the archive that was extracted whole.
static bool PlanMember(tFileJournal *j, const char *member, dword length, int *files) {
  char name[KALIB_PATH_MAX], staged[KALIB_PATH_MAX], final[KALIB_PATH_MAX];
  if (length == 0 || member[length - 1] == '/' || length >= sizeof name) return true;  // a folder
  memcpy(name, member, length);
  name[length] = '\0';
  if (strcmp(name, KEPT_LOG) == 0) return true;
  int n1 = snprintf(staged, sizeof staged, "%s/%s", STAGING_DIR, name);
  int n2 = snprintf(final, sizeof final, "%s/%s", LINUX_DISK, name);
  struct stat64 st;
  if (n1 < 0 || n2 < 0 || n1 >= (int)sizeof staged || n2 >= (int)sizeof final) return false;
  if (lstat64(staged, &st) != 0) return false;
  if (!S_ISREG(st.st_mode)) return true;  // a folder listed without its "/", or a link
  char *slash = strrchr(final, '/');
  *slash = '\0';
  bool folder = MakeFolders(final);
  *slash = '/';
  (*files)++;
  return folder && FileJournalAdd(j, final, staged);
}

// Swaps the extracted files in as one set; the number of files, -1 when
// nothing changed.
static int SwapIn(const char *list) {
  tFileJournal j;
  int files = 0;
  char reason[128] = "";
  bool planned = FileJournalBegin(&j, JOURNAL_PATH);
  for (const char *line = list; *line != '\0' && planned;) {
    const char *end = strchr(line, '\n');
    dword length = end != nullptr ? (dword)(end - line) : (dword)strlen(line);
    if (length > 0 && line[length - 1] == '\r') length--;
    planned = PlanMember(&j, line, length, &files);
    line = end != nullptr ? end + 1 : line + strlen(line);
  }
  if (!planned)
    snprintf(reason, sizeof reason, "%s",
             files >= FILE_JOURNAL_MAX_STEPS ? "too many files" : "a file is missing");
  bool saved = planned && FileJournalSave(&j, reason, sizeof reason);
  // A commit that fails undoes itself, or leaves its journal for the recovery.
  bool done = saved && FileJournalCommit(&j, reason, sizeof reason);
  if (!done) LogVantero("Restore of %s not done (%d files): %s", Backup.Archive, files, reason);
  if (planned && !saved) FileJournalAbort(&j);
  FileJournalFree(&j);
  return done ? files : -1;
}

// The restored settings, packages and TAPs are what the manager knows now.
static void TakeRestored(void) {
  SettingsFree();
  SettingsLoad();
  ManagerAddPackages();
  ManagerRefreshCache();
  TAPsOnBoardFree();
  SettingsSave();
}

static void ExtractEnded(int status) {
  int members = 0;
  char *list = status == 0 ? CheckedList(&members) : nullptr;
  int files = list != nullptr ? SwapIn(list) : -1;
  TAP_MemFree(list);
  // A set the journal could not finish nor undo keeps its staged files for the recovery.
  if (SizeOf(JOURNAL_PATH) < 0) RemoveTree(STAGING_DIR);
  DeleteLinuxFile(LIST_FILE);
  if (files < 0) {
    if (status != 0) LogVantero("Restore of %s: tar ended with %d", Backup.Archive, status);
    Backup.Problem = MT_BackupDamaged;
    return;
  }
  LogVantero("Restore of %s done: %d files", Backup.Archive, files);
  Backup.Files = files;
  Backup.Problem = 0;
  TakeRestored();
}

// ---- the steps on idle events ---------------------------------------------------

static void ShowProgress(void) {
  char text[MANAGER_TEXT_SIZE];
  int title = Backup.Step == BK_Archiving ? MT_MakingBackup
              : Backup.Step == BK_Listing ? MT_CheckingBackup
                                          : MT_RestoringBackup;
  if (Backup.Step == BK_Archiving) {
    long64 size = SizeOf(Backup.Part);
    snprintf(text, sizeof text, ManagerFormat(MT_BackupProgress), (unsigned)((size > 0 ? size : 0) / 1024),
             (unsigned)(Backup.Expected / 1024));
  } else {
    snprintf(text, sizeof text, "%s", Backup.Name);
  }
  if (strcmp(text, BoxText) != 0 || title != BoxTitle) {
    snprintf(BoxText, sizeof BoxText, "%s", text);
    BoxTitle = title;
    OSDMenuInfoBoxShow(ManagerText(title), BoxText, 0);
    OSDMenuWaitSpinnerInit();
  }
  OSDMenuWaitSpinnerIdle();
}

// The end of a run: the info box closes, the screen shows the result.
static void Finish(void) {
  int step = Backup.Step;
  Backup.Step = BK_Idle;
  DeleteLinuxFile(STATUS_FILE);
  DeleteLinuxFile(PID_FILE);
  BoxText[0] = '\0';
  OSDMenuInfoBoxDestroy();
  ManagerShowState();
  char text[MANAGER_TEXT_SIZE];
  if (Backup.Problem != 0)
    snprintf(text, sizeof text, "%s", ManagerText(Backup.Problem));
  else if (step == BK_Archiving)
    snprintf(text, sizeof text, "%s", ManagerText(MT_BackupComplete));
  else
    snprintf(text, sizeof text, ManagerFormat(MT_FilesRestored), Backup.Files);
  ManagerTaskMessage(ManagerText(step == BK_Archiving ? MT_FullBackup : MT_RestoreBackup), text);
}

void ManagerBackupIdle(void) {
  int status = ProgramStatus();
  if (status < 0) {
    ShowProgress();
    return;
  }
  if (Backup.Step == BK_Archiving) {
    BackupEnded(status);
  } else if (Backup.Step == BK_Listing) {
    int members = 0;
    char *list = status == 0 ? CheckedList(&members) : nullptr;
    TAP_MemFree(list);
    if (list != nullptr && StartExtracting()) {
      Backup.Step = BK_Extracting;
      ShowProgress();
      return;
    }
    Backup.Problem = MT_BackupDamaged;
    DeleteLinuxFile(LIST_FILE);
  } else {
    ExtractEnded(status);
  }
  Finish();
}

// EXIT while a program runs: it is ended and what it left removed; nothing
// on the disk has changed.
static void Cancel(void) {
  KillProgram();
  for (int i = 0; i < 100 && ProgramStatus() < 0; i++) TAP_SystemProc();
  if (Backup.Step == BK_Archiving) DeleteLinuxFile(Backup.Part);
  RemoveTree(STAGING_DIR);
  DeleteLinuxFile(LIST_FILE);
  LogVantero("%s cancelled", Backup.Step == BK_Archiving ? "Backup" : "Restore");
  Backup.Problem = Backup.Step == BK_Archiving ? MT_BackupFailed : MT_BackupDamaged;
  Finish();
}

// ---- the screen ----------------------------------------------------------------

static void LoadArchives(void) {
  TAP_MemFree(Archives);
  Archives = nullptr;
  ArchiveCount = 0;
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(MANAGER_BACKUP_DIR)) {
    TYPE_FolderEntry entry;
    dword entries = TAP_Hdd_FindFirst(&entry, "tgz");
    Archives = (char(*)[VPD_ARCHIVE_NAME_SIZE + 8]) TAP_MemAlloc((entries + 1) * sizeof Archives[0]);
    for (dword i = 0; i < entries && Archives != nullptr && ArchiveCount < MAX_BACKUPS; i++) {
      entry.name[sizeof entry.name - 1] = '\0';
      if (entry.attr == ATTR_NORMAL && strlen(entry.name) < sizeof Archives[0])
        snprintf(Archives[ArchiveCount++], sizeof Archives[0], "%s", entry.name);
      if (i + 1 < entries) TAP_Hdd_FindNext(&entry);
    }
  }
  WorkDirRestore(&saved);
  // Newest first: the names hold the date (few archives: insertion sort).
  for (int i = 1; i < ArchiveCount; i++)
    for (int k = i; k > 0 && strcmp(Archives[k - 1], Archives[k]) < 0; k--) {
      char swap[sizeof Archives[0]];
      memcpy(swap, Archives[k], sizeof swap);
      memcpy(Archives[k], Archives[k - 1], sizeof swap);
      memcpy(Archives[k - 1], swap, sizeof swap);
    }
}

static void BackupRowText(int row, tManagerRow *out) {
  if (row == 0) {
    snprintf(out->Text, sizeof out->Text, "%s", ManagerText(MT_NewBackup));
  } else if (row - 1 < ArchiveCount) {
    snprintf(out->Text, sizeof out->Text, "%s", Archives[row - 1]);
    snprintf(out->Value, sizeof out->Value, "%s", ManagerText(MT_RestoreBackup));
  } else {
    snprintf(out->Text, sizeof out->Text, "%s", ManagerText(MT_NoBackupFound));
    out->Selectable = FALSE;
  }
}

void ManagerBackupShow(int row) {
  LoadArchives();
  const tManagerHint hints[] = {{0, &_Button_ok_Gd, "Back up / restore"}, {0, &_Button_exit_Gd, "Back"}};
  ManagerScreenOpen(2, TRUE, ManagerText(MT_FullBackup), LINUX_BACKUP_DIR, hints, 2);
  Menu[2].ValueColumnX = 420;
  ManagerScreenRows(ArchiveCount > 0 ? ArchiveCount + 1 : 2, BackupRowText, row);
}

void ManagerBackupEnter(bool restore) {
  ManagerEnterState(MS_FullBackup);
  if (restore && ArchiveCount > 0) ManagerBackupShow(1);
}

static void Begin(int step, bool started) {
  Backup.Step = started ? step : BK_Idle;
  BoxText[0] = '\0';
  if (started) {
    ShowProgress();
    return;
  }
  if (Backup.Problem == 0) Backup.Problem = step == BK_Archiving ? MT_BackupFailed : MT_BackupDamaged;
  ManagerTaskMessage(ManagerText(step == BK_Archiving ? MT_FullBackup : MT_RestoreBackup),
                     ManagerText(Backup.Problem));
}

bool ManagerBackupStart(void) {
  if (Backup.Step != BK_Idle) return false;
  Backup.Problem = 0;
  snprintf(Backup.Name, sizeof Backup.Name, "%s", "");
  Begin(BK_Archiving, StartBackup());
  return Backup.Step != BK_Idle;
}

bool ManagerRestoreStart(const char *archiveName) {
  if (Backup.Step != BK_Idle || archiveName == nullptr) return false;
  Backup.Problem = 0;
  snprintf(Backup.Name, sizeof Backup.Name, "%s", archiveName);
  int n = snprintf(Backup.Archive, sizeof Backup.Archive, "%s/%s", LINUX_BACKUP_DIR, archiveName);
  Begin(BK_Listing, n > 0 && n < (int)sizeof Backup.Archive && StartListing());
  return Backup.Step != BK_Idle;
}

static void AskRestore(int archive) {
  char text[MANAGER_TEXT_SIZE];
  snprintf(text, sizeof text, ManagerFormat(MT_RestoreQuestion), Archives[archive]);
  Asking = true;
  AskedArchive = archive;
  OSDMenuMessageBoxInitialize(ManagerText(MT_RestoreBackup), text);
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_Yes));
  OSDMenuMessageBoxButtonAdd(ManagerText(MT_No));
  OSDMenuMessageBoxButtonSelect(1);
  OSDMenuMessageBoxShow();
}

bool ManagerBackupKey(dword key, int row) {
  if (key != RKEY_Ok) return false;
  if (row == 0)
    ManagerBackupStart();
  else if (row - 1 < ArchiveCount)
    AskRestore(row - 1);
  return true;
}

bool ManagerBackupEvent(word event, dword param1, dword param2) {
  if (Asking) {
    OSDMenuEvent(&event, &param1, &param2);
    if (OSDMenuMessageBoxIsVisible()) return true;
    Asking = false;
    if (OSDMenuMessageBoxLastButton() == 0 && AskedArchive >= 0 && AskedArchive < ArchiveCount)
      ManagerRestoreStart(Archives[AskedArchive]);
    return true;
  }
  if (Backup.Step == BK_Idle) return false;
  if (event == EVT_IDLE)
    ManagerBackupIdle();
  else if (event == EVT_KEY && param1 == RKEY_Exit)
    Cancel();
  return true;
}

void ManagerBackupRecover(void) {
  char reason[128] = "";
  int result = FileJournalRecover(JOURNAL_PATH, reason, sizeof reason);
  static const char *const outcomes[] = {"", "undone", "completed", "not possible, its journal is damaged",
                                         "not finished, the journal stays"};
  if (result > FJR_Nothing && result <= FJR_Failed)
    LogVantero("An interrupted restore was %s %s", outcomes[result], reason);
  if (result != FJR_Failed) RemoveTree(STAGING_DIR);
  // What a run cut short leaves besides: tar's files and a part of an archive.
  DeleteLinuxFile(STATUS_FILE);
  DeleteLinuxFile(PID_FILE);
  DeleteLinuxFile(LIST_FILE);
  tWorkDir saved = WorkDirSave();
  if (HDD_ChangeDir(MANAGER_BACKUP_DIR)) {
    TYPE_FolderEntry entry;
    dword entries = TAP_Hdd_FindFirst(&entry, "part");
    for (dword i = 0; i < entries; i++) {
      entry.name[sizeof entry.name - 1] = '\0';
      if (entry.attr == ATTR_NORMAL && StringEndsWith(entry.name, ".tgz" PART_SUFFIX))
        TAP_Hdd_Delete(entry.name);
      if (i + 1 < entries) TAP_Hdd_FindNext(&entry);
    }
  }
  WorkDirRestore(&saved);
}

void ManagerBackupStop(void) {
  if (Backup.Step != BK_Idle) {
    KillProgram();
    if (Backup.Step == BK_Archiving) DeleteLinuxFile(Backup.Part);
  }
  Backup.Step = BK_Idle;
  Asking = false;
  TAP_MemFree(Archives);
  Archives = nullptr;
  ArchiveCount = 0;
}
