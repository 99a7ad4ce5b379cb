// Manager.h - the update manager's logic, shared by its TAP (Vantero.cpp,
// a thin shell) and the tests: start-up (settings, inventory, package
// files, master list, TAP cache), the menus (overview, version list,
// release notes, options, alpha password box) and the end.
#pragma once

#include "Tools.h"

#define MANAGER_PROGRAM_NAME "Vantero"  // writer name of the manager's log lines
#define MANAGER_LANG_FILE "Vantero.lng"
// The manager's own texts in the language file, after the 104 it shares
// with the installer.
typedef enum {
  MT_NoConnection = 34,  // shared with the installer
  MT_Yes = 43,
  MT_No = 48,
  MT_Description = 52,
  MT_NotEnoughSpace = 58,
  MT_StartingTAP = 73,
  MT_MoveToAutoStart = 76,
  MT_MoveToProgramFiles = 79,
  MT_BackupComplete = 85,
  MT_RestoreComplete = 87,
  MT_NoBackupFound = 88,
  MT_First = 104,
  MT_WithoutPackage = MT_First,
  MT_CategoryN,
  MT_UnknownAuthor,
  MT_NoPackage,
  MT_NoDescription,
  MT_Screenshot,
  MT_NoScreenshot,
  MT_ScreenshotUnreadable,
  MT_NewTAPs,
  MT_RevokedInstalled,
  MT_ServerUnreachable,
  MT_MasterListDamaged,
  MT_Retry,
  MT_QueryServer,
  MT_Repository,
  MT_CountOf,
  MT_Querying,
  // Managing the box's TAPs: the tasks menu, the installed TAPs, the
  // AutoStart order, backup and restore, the end.
  MT_Tasks,
  MT_InstalledTAPs,
  MT_AutoStartOrder,
  MT_FullBackup,
  MT_RestoreBackup,
  MT_EndManager,
  MT_EndQuestion,
  MT_TargetTaken,
  MT_MoveFailed,
  MT_OrderChanged,
  MT_OrderNotChanged,
  MT_NewBackup,
  MT_MakingBackup,
  MT_CheckingBackup,
  MT_RestoringBackup,
  MT_RestoreQuestion,
  MT_BackupFailed,
  MT_BackupDamaged,
  MT_BackupProgress,
  MT_FilesRestored,
  MT_Installing,
  MT_InstallProgress,
  MT_AskAutoStart,
  MT_InstallCancelled,
  MT_Install,
  MT_Remove,
  MT_RemoveSettings,
  MT_CannotRemove,
  MT_InstallUpdates,
  MT_UpdatesInstalled,
  MT_Last
} tManagerTextId;
#define MANAGER_LANG_TEXTS MT_Last
// Text id of the loaded language file; the English text when the file has
// none for it; the empty text for an unknown id.  Owned by the library.
const char *ManagerText(int id);
// ManagerText of a text used as a printf format: the English text unless
// the loaded one has the same conversions in the same order (a translation
// must never make the formatting read arguments that are not there).
const char *ManagerFormat(int id);
// The key that opens the menu while the manager runs in the background.
#define MANAGER_MENU_KEY RKEY_Menu
#define MANAGER_TEXT_SIZE 128  // a row's text or value, terminated
#define MANAGER_COLOUR_NORMAL 0xFFE6E6FAu
#define MANAGER_COLOUR_HEADER 0xFFE89211u

// Start-up: language texts, settings (defaults created), inventory, the
// package files of the settings folder added to the master list, the TAP
// cache built; cache, inventory and settings saved.  Problems are logged
// and never stop the start.
void ManagerStart(void);
// Adds a master-list entry for every package file "<TAPID>.vpd" in the
// settings folder whose TAP the list lacks; returns the number added.
int ManagerAddPackages(void);
// The index of the TAP's entry in the settings' master list; -1 none.
int ManagerMasterIndex(dword tapId);
// Rebuilds and saves the TAP cache (after a new password or option).
void ManagerRefreshCache(void);

// The overview row of a master-list entry: its name in text, in value the
// installed version or "not installed", the newest visible version and the
// marks "update", "new", "revoked", "running".  Both buffers hold
// MANAGER_TEXT_SIZE bytes; the result is the row's text colour.
dword ManagerOverviewRow(const tMasterList *m, char *text, char *value);
// The version-list row of a cache entry (value: deploy mode and marks).
void ManagerVersionRow(const tTAPCache *e, char *text, char *value);

// One row of a screen: what its menu item shows.
typedef struct {
  char Text[MANAGER_TEXT_SIZE];
  char Value[MANAGER_TEXT_SIZE];
  dword Colour;
  const TYPE_GrData *Icon;
  bool Selectable;
} tManagerRow;
// Fills *out (zeroed, colour normal, selectable) for row number row.
typedef void (*tManagerRowFunc)(int row, tManagerRow *out);

// Screens of any number of rows on the current menu level, which holds a
// window of MENU_MAX_ITEMS of them.  ManagerWindowFill shows count rows
// with the cursor on cursorRow (memo: the first line shown); the texts are
// asked of row for the rows in the window only.
void ManagerWindowFill(int count, tManagerRowFunc row, bool memo, int cursorRow);
// After the cursor moved: moves the window when the cursor came near its
// edge and more rows lie beyond, keeping the screen's rows in place, and
// redraws; true when it did.
bool ManagerWindowFollow(void);
// The screen row of a menu item of the current level (the item itself on a
// level without a window); -1 outside the list.
int ManagerWindowRow(int item);
// Rows of the current level's screen (-1 without a window) and the screen
// row of its menu item 0.
int ManagerWindowRowCount(void);
int ManagerWindowTop(void);
// The current level shows no window any more.
void ManagerWindowForget(void);

// A long text split into screen lines (offsets into an owned UTF-8 copy).
typedef struct {
  dword Start, Length;
} tManagerLine;
typedef struct {
  char *Text;
  tManagerLine *Lines;
  int NrLines, MaxLines;
} tManagerText;
// Splits text into lines of at most width pixels in font and maxBytes bytes
// (a menu item's text: MANAGER_TEXT_SIZE - 1): at line ends, else at the
// last blank that fits, else at the last whole character; ISO 8859 texts
// are converted to UTF-8.  A null font cuts by bytes only.  False for a
// null text or when memory ran out (the lines so far stay).  Frees t first;
// free it with ManagerTextFree.
bool ManagerTextWrap(tManagerText *t, const char *text, tUCFont *font, dword width, dword maxBytes);
// Line number line into out (size bytes, terminated; empty outside the text).
void ManagerTextLine(const tManagerText *t, int line, char *out, dword size);
void ManagerTextFree(tManagerText *t);

// The overview's rows: every master-list entry, every TAP on the disk that
// has no package (and is no part of one), then "Options" and "Alpha
// password".  Settings.OverviewWindowMode OWM_Category and OWM_Author sort
// the TAPs into groups, each under a header row that the cursor skips.
typedef enum { OR_Header, OR_TAP, OR_Unpackaged, OR_Empty, OR_Options, OR_Password } tOverviewRowKind;
typedef struct {
  int Kind;   // tOverviewRowKind
  int Index;  // OR_TAP: master-list index; OR_Unpackaged: inventory index; OR_Header: the group's first TAP
              // row
} tOverviewRow;
extern tOverviewRow *OverviewRows;
extern int OverviewRowCount;
// Builds OverviewRows anew from the settings, the cache and the inventory;
// returns the number of rows (0 when memory ran out).
int ManagerOverviewBuild(void);
// The row function of the overview screen.
void ManagerOverviewRowText(int row, tManagerRow *out);
void ManagerOverviewFree(void);

// The package's description in the OSD language: the German text when
// german (a German OSD), else the English one; the other one when that is
// missing or empty; null when the package has none.
const char *ManagerDescription(const tVPD *vpd, bool german);

// The query of the package repository.  Its address is "URL=" of
// MANAGER_REPOSITORY_INI in the settings folder, else the default.
#define MANAGER_REPOSITORY_INI "Repository.ini"
#define MANAGER_REPOSITORY_DEFAULT "http://127.0.0.1:8080/"
#define MANAGER_QUERY_STALL_TICKS 3000  // a download without progress for 30 s ends
typedef enum { QS_Idle, QS_MasterList, QS_Packages, QS_Done, QS_Failed } tQueryState;
typedef enum { QD_Running, QD_Done, QD_Failed } tDownloadState;

// One download through the box's wget in the background of the box shell
// (ManagerDownload.cpp): the file, wget's exit status and its process id
// land in one folder.  The event handler never waits: each poll looks at
// the status file and at the size of the download so far.
#define MANAGER_DOWNLOAD_NAME_SIZE 64
typedef struct {
  char URL[REPO_URL_MAX];                   // of the download under way
  char Folder[KALIB_PATH_MAX];              // TAP notation, where the three files are
  char Out[MANAGER_DOWNLOAD_NAME_SIZE];     // the download
  char Status[MANAGER_DOWNLOAD_NAME_SIZE];  // wget's exit status and a line end, once it ended
  char Pid[MANAGER_DOWNLOAD_NAME_SIZE];     // wget's process id
  dword Bytes;                              // of the download so far
  dword LastProgress;                       // tick of its last growth
} tManagerDownload;
// Sets the folder and the three file names (cut to fit); no download runs.
void ManagerDownloadInit(tManagerDownload *d, const char *folder, const char *out, const char *status,
                         const char *pid);
// Removes the three files and starts wget for url; false (logged) when the
// command could not be built.
bool ManagerDownloadStart(tManagerDownload *d, const char *url);
// QD_Running, QD_Done or QD_Failed (the reason logged): wget's status once
// it is there; a download without growth for MANAGER_QUERY_STALL_TICKS is
// ended and fails.  The size is the file's on the disk, never read.
int ManagerDownloadPoll(tManagerDownload *d);
// Ends a running wget (kill of its process id).
void ManagerDownloadStop(tManagerDownload *d);
// Removes the status and pid files, and the download too when withOut.
void ManagerDownloadClean(tManagerDownload *d, bool withOut);

typedef struct {
  int State;    // tQueryState
  int Problem;  // QS_Failed: MT_ServerUnreachable or MT_MasterListDamaged; 0 cancelled
  char Repository[REPO_URL_MAX];
  tManagerDownload Download;  // the master list's or a package's
  int Entry, Next;            // master-list index of the package on its way, where the search goes on
  int Total, Done, Failed;    // packages to fetch, fetched, failed
  bool Cancelled;             // nothing starts after the package on its way
  dword *NewStamps;           // the repository's VPDTimeStamp per master-list entry
} tManagerQuery;
extern tManagerQuery Query;
// The repository's address into url (size bytes).
void ManagerRepositoryURL(char *url, dword size);
// Starts a query: the master list's download; false (Query.State QS_Failed)
// when it could not start.
bool ManagerQueryStart(void);
// On idle events: looks at the download under way and moves the query on;
// false when no query runs.  At the end (QS_Done or QS_Failed) the cache is
// rebuilt and settings, cache and inventory saved.
bool ManagerQueryIdle(void);
// The query at start: armed by ManagerStart when AutoUpdateChecks is on;
// due once, StartupDelay seconds later.
void ManagerQueryArm(void);
bool ManagerAutoQueryDue(void);
// The manager ends: a download under way is ended, its files removed.
void ManagerQueryStop(void);
// EXIT: ends the master list's download at once; while packages come, the
// one on its way is the last.
void ManagerQueryCancel(void);

// Installs, updates and removes TAP versions whole or not at all
// (ManagerInstall*.cpp).  Every file of a version is downloaded into
// MANAGER_STAGING_DIR and checked (PackageFileCheck) before anything on the
// disk changes; the file journal MANAGER_JOURNAL_FILE records the set, so
// that ManagerInstallRecover finishes or undoes it after a power cut.
#define MANAGER_STAGING_DIR VANTERO_SETTINGS_DIR "/Staging"  // TAP notation
#define MANAGER_JOURNAL_FILE PACKAGE_LINUX_SETTINGS_DIR "/Install.journal"
#define INSTALL_MAX_FILES 64     // files of one version
#define INSTALL_MAX_PACKAGES 16  // a version and its dependencies
typedef enum { IS_Idle, IS_Running, IS_Done, IS_Failed } tInstallState;
typedef struct {
  dword TAPID;
  int VersionIndex;  // in the package description
} tInstallItem;
typedef struct {
  int State;                                 // tInstallState
  bool Shown;                                // IS_Done/IS_Failed: the result was shown to the user
  bool AutoStart;                            // a TAP new to the box goes into "/ProgramFiles/AutoStart"
  tInstallItem Items[INSTALL_MAX_PACKAGES];  // dependencies first, the chosen version last
  int NrOfItems, Item;                       // Item: the one being installed
  char Title[MANAGER_TEXT_SIZE];             // "<name> <version>" of that one
  int NrOfFiles, File;                       // files to download, the one on its way
  dword Bytes, TotalBytes;                   // downloaded so far (files done and the one on its way)
  char Message[MANAGER_TEXT_SIZE];           // the result, or why it failed
} tManagerInstall;
extern tManagerInstall Install;
// The newest visible version of a TAP in the cache; -1 none.
int ManagerNewestVisibleEntry(dword tapId);
// The order in which the TAP IDs' newest visible versions are installed so
// that each comes after what it depends on: into items (at most max), the
// TAPs installed already left out; rootEntry's own version last.  -1 with a
// message in message (size bytes) for a missing dependency (named) or a
// loop; else the number of items.
int ManagerInstallOrder(int rootEntry, tInstallItem *items, int max, char *message, dword size);
// Installs the version of cache entry cacheEntry, its missing dependencies
// first; autoStart places a TAP new to the box into AutoStart.  False (the
// reason in Install.Message, logged) when it cannot start; true when the
// downloads began (ManagerInstallIdle moves them on).
bool ManagerInstallStart(int cacheEntry, bool autoStart);
// Removes every file of the TAP's installed version, its settings files too
// when withSettings, through the journal; the TAP is stopped first.  True
// when removed (done at once: Install.State IS_Done); false with the reason.
bool ManagerRemoveStart(dword tapId, bool withSettings);
// On idle events: moves the install on; false when nothing runs.
bool ManagerInstallIdle(void);
bool ManagerInstallBusy(void);
// Free kilobytes on the disk as "busybox df -k" reports them: df's answer
// goes through dfFile (a Linux path on the disk, deleted again).  False,
// logged under who ("Backup", "Install"), when df cannot run or answers
// nonsense.
bool ManagerDiskFreeKB(const char *dfFile, const char *who, dword *kilobytes);
// EXIT: a download under way is ended and nothing is replaced.
void ManagerInstallCancel(void);
// At start: finishes or undoes a set of changes a power cut interrupted
// (the journal), logs it and keeps the result in Install for the screen;
// removes whatever the staging folder still holds.
void ManagerInstallRecover(void);
// The install on screen: an info box with the progress while it runs, then
// a message box with the result; true when the event was taken.
bool ManagerInstallEvent(word event, dword param1);
// A TAP new to the box: asks AutoStart or ProgramFiles, then installs;
// otherwise installs at once.
void ManagerInstallAsk(int cacheEntry);
// The info box of the install under way ("Installing <title>", the file and
// its bytes), drawn again only when its text changed; after
// ManagerInstallProgressReset it is drawn anew.
void ManagerInstallProgressShow(void);
void ManagerInstallProgressReset(void);
// "Install updates": the installed TAPs whose newest visible version is
// newer than the installed one are installed one after the other
// (ManagerUpdates.cpp).  ManagerUpdateCount counts them; ManagerUpdatesStart
// queues them and starts the first (false: nothing started).  On idle events
// ManagerUpdatesIdle moves the install on and starts the next once the
// engine is no longer busy; true when it took the event (the result of the
// last install, or of a failure, is left to ManagerInstallEvent).
int ManagerUpdateCount(void);
bool ManagerUpdatesStart(void);
bool ManagerUpdatesActive(void);
bool ManagerUpdatesIdle(void);
void ManagerUpdatesStop(void);

// The menus.  ManagerMenuOpen shows the overview (menu state MS_Overview);
// ManagerEvent handles every event while the manager runs and returns what
// goes back to the firmware.
void ManagerMenuOpen(void);
bool ManagerMenuIsOpen(void);
// Shows the current screen again (after the cache changed).
void ManagerMenuRefresh(void);
dword ManagerEvent(word event, dword param1, dword param2);
// The master-list entry of an overview row, and the cache entry of a row of
// the version list being shown (-1 for other rows and past the end).
int ManagerOverviewEntry(int row);
int ManagerVersionEntry(int row);

// Closes every window, saves settings and inventory and releases the
// manager's memory; the TAP ends after it.
void ManagerStop(void);
// True once the user ended the manager from its menu (MS_Exit): the
// manager has stopped as for the stop event, and the TAP ends.
bool ManagerEnded(void);
// The manager runs (again): called by ManagerStart and ManagerMenuOpen.
void ManagerTasksStart(void);

// What the task screens (in files of their own) use of the menus: a screen
// opened on a menu level with its key hints, rows shown in a window with
// the cursor on row, a state entered (pushed and shown), the current
// state's screen shown again, and a query of the server shown on screen.
typedef struct {
  dword Line;
  const TYPE_GrData *Key;
  const char *Caption;
} tManagerHint;
void ManagerScreenOpen(int level, bool valueColumn, const char *title, const char *subTitle,
                       const tManagerHint *hints, int nrHints);
void ManagerScreenRows(int count, tManagerRowFunc rowText, int row);
void ManagerEnterState(tMenuState state);
// Pushes a state that has no screen of its own (a question over the screen).
void ManagerPushState(tMenuState state);
void ManagerShowState(void);
void ManagerQueryOnScreen(void);

// The tasks menu (MS_Tasks, MENU in the overview) and its screens: the
// installed TAPs (MS_InstalledTAPs), the AutoStart order
// (MS_AutoStartOrder), backup and restore (MS_FullBackup) and the question
// before the end (MS_Exit).  ManagerTaskScreenShow shows the screen of one
// of these states with the cursor on row; ManagerTaskScreenKey handles a
// key the menu list left on one (false: not one of them).
// ManagerTasksEvent takes every event first while a task needs it (a
// question is open, a backup runs); false: not taken.
void ManagerTaskScreenShow(tMenuState state, int row);
bool ManagerTaskScreenKey(tMenuState state, dword key, int row);
bool ManagerTasksEvent(word event, dword param1, dword param2);
// At start: a change of the AutoStart order or a restore that a power cut
// interrupted is finished or undone, and a restore's staging folder removed.
void ManagerTasksRecover(void);
// The manager ends: a backup under way is ended, its part removed.
void ManagerTasksStop(void);

// An information box over the screen that closes by itself (or on EXIT).
void ManagerTaskMessage(const char *title, const char *text);

// The installed TAPs: the inventory's entries on the disk now.
int ManagerInstalledBuild(void);
void ManagerInstalledRowText(int row, tManagerRow *out);
// Starts or stops the TAP of a row (never the manager itself); true when
// it changed.
bool ManagerInstalledStartStop(int row);
// Moves the TAP of a row between "/ProgramFiles" and AutoStart, never over
// another file; the inventory is scanned and the cache rebuilt after.
// Returns 0 when moved, else the text id of the reason.
int ManagerInstalledMove(int row);
void ManagerInstalledShow(int row);
bool ManagerInstalledKey(dword key, int row);
// The remove question of the installed TAPs (RED): takes every event
// while it is open; false when no question is open.
bool ManagerInstalledEvent(word event, dword param1, dword param2);
void ManagerInstalledFree(void);

// The AutoStart order: the TAPs of AUTOSTART_DIR in the order of their
// names, moved up and down in memory, then applied.
#define MANAGER_AUTOSTART_JOURNAL "AutoStartOrder.journal"
int ManagerAutoStartLoad(void);
int ManagerAutoStartCount(void);
const char *ManagerAutoStartName(int index);
// Swaps entry index with its neighbour (step -1 up, +1 down); false at an end.
bool ManagerAutoStartMove(int index, int step);
// Renames the TAPs so that the firmware starts them in the order shown: the
// renamed TAPs are copied to their new names and the old ones removed as
// one set through the file journal, so a power cut leaves the old order or
// the new one after FileJournalRecover.  True when the new order is in place.
bool ManagerAutoStartApply(void);
void ManagerAutoStartShow(int row);
bool ManagerAutoStartKey(dword key, int row);
void ManagerAutoStartRecover(void);
void ManagerAutoStartFree(void);

// Backup and restore.  MANAGER_BACKUP_DIR (TAP notation) holds the archives
// "<TAPID>-YYYYMMDD-HHMMSS.tgz" of "/ProgramFiles", the restore's staging
// folder and its journal; it lies outside what is archived.
#define MANAGER_BACKUP_DIR "/VanteroBackup"
#define MANAGER_RESTORE_JOURNAL "Restore.journal"
typedef enum { BK_Idle, BK_Archiving, BK_Listing, BK_Extracting } tBackupStep;
typedef struct {
  int Step;                       // tBackupStep
  int Problem;                    // text id of why the last run failed; 0 none
  int Files;                      // files the last restore put back
  long64 Expected;                // bytes of the files being archived
  char Name[MANAGER_TEXT_SIZE];   // the archive being restored
  char Archive[KALIB_PATH_MAX];   // Linux path of the archive
  char Part[KALIB_PATH_MAX + 8];  // the archive while tar writes it
} tManagerBackup;
extern tManagerBackup Backup;
// Starts a backup (free space checked first) or the restore of an archive of
// MANAGER_BACKUP_DIR; false (Backup.Problem set, a message shown) when it
// could not start.  The idle events move them on (ManagerBackupEvent).
bool ManagerBackupStart(void);
bool ManagerRestoreStart(const char *archiveName);
void ManagerBackupIdle(void);
// The backup screen: "Make a new backup", then the archives, newest first;
// entered for a restore, the cursor starts on the newest archive.
void ManagerBackupEnter(bool restore);
void ManagerBackupShow(int row);
bool ManagerBackupKey(dword key, int row);
bool ManagerBackupEvent(word event, dword param1, dword param2);
void ManagerBackupRecover(void);
void ManagerBackupStop(void);
