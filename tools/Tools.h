// Tools.h - the update manager's shared tool module, linked by the installer
// and by the manager: the installer log, the settings folder, finding and
// stopping a TAP, and the manager's data files.
#ifndef VANTERO_TOOLS_H
#define VANTERO_TOOLS_H

#include "Kalib.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VANTERO_TAPID 0x5C3E1A20u
#define VANTERO_SETTINGS_DIR "/ProgramFiles/Settings/Vantero"
#define VANTERO_LOG_NAME "Vantero.log"

/* Shared scratch buffer for formatting log texts before WriteLog. */
extern char Debug[2048];

/* The working directory, saved whatever its length (HDD_TAP_PushDir's stack
 * holds 199 characters), to change back to with WorkDirRestore.  Every
 * function here that changes folders comes back this way. */
typedef struct {
  char Dir[KALIB_PATH_MAX];
  bool Known; /* false when the directory could not be learned */
} tWorkDir;
tWorkDir WorkDirSave(void);
/* Changes back to the saved directory; false when it was not known or
 * cannot be entered. */
bool WorkDirRestore(const tWorkDir *saved);

/* Appends s to "Vantero.log" in VANTERO_SETTINGS_DIR with a style-5 stamp and
 * copies it to the console as "<programName>: <s>"; the first call of a run
 * makes the folders.  Without the folder the line goes to the console only. */
void WriteLog(const char *programName, const char *s);
// Formats a line into Debug (cut to fit) and writes it to the log with the
// program name "Vantero", as the manager and its data files do.
void LogVantero(const char *format, ...) __attribute__((format(printf, 1, 2)));
/* Makes VANTERO_SETTINGS_DIR (and /ProgramFiles/Settings) when missing; the
 * working directory is kept. */
void CreateSettingsDir(void);

/* Searches below "/ProgramFiles" (not the settings folder) for the TAP file
 * with tapId: true with its name in tapName (128 bytes) and its folder in
 * folderName (KALIB_PATH_MAX bytes; either may be null), leaving the working
 * directory there.  False when there is none. */
bool FindTAP(dword tapId, char *tapName, char *folderName);
/* TAP files and folders that the last FindTAP could not look into because
 * their path does not fit a path buffer: one of them may be the TAP. */
extern dword FindTAPLeftOut;
/* Stops a running TAP: the stop event, then the kill state, each followed by
 * up to 300 ticks of waiting, with log lines.  True when it no longer runs
 * (also when it did not run); false when it survived both. */
bool StopTAP(dword tapId);

/* ======================================================================
 * CRC-32/MPEG-2 (polynomial 0x04C11DB7, no reflection, no final XOR)
 * ====================================================================== */
#define CRC32_INITIAL 0xFFFFFFFFu /* start value of the inventory's CRC */

extern dword CRC32Table[256]; /* entry i: CRC of the byte i; built by make_crc_table */
extern bool CRCTableOK;       /* the tables are built */

/* Builds CRC32Table (and the wider tables of the fast method); CRC32 calls
 * it on first use. */
void make_crc_table(void);
/* Continues the running value crc over length bytes at data; the caller
 * chooses the start value.  Any split of the data gives the same result.
 * A null data pointer returns crc unchanged. */
dword CRC32(dword crc, const void *data, dword length);
/* CRC of a whole file (name relative to the working directory), started
 * with CRC32_INITIAL, read in blocks through buffer (bufferSize bytes; a
 * null buffer gets one of 100 KiB for the call).  0 when the file cannot be
 * opened or read. */
dword CRC32File(const char *fileName, byte *buffer, dword bufferSize);

/* ======================================================================
 * On-board TAP inventory ("TAPOnBoard.bin" in the settings folder)
 * ====================================================================== */
typedef dword tBool32; /* a bool that takes 4 bytes, as stored in files */

#define TOB_MAX_ENTRIES 200
#define TOB_FILE_NAME "TAPOnBoard.bin"
#define TOB_FILE_VERSION 3

/* One TAP found below "/ProgramFiles"; stored in the file byte for byte. */
typedef struct {
  dword TAPID;
  char TAPName[64];    /* program name from the header, terminated */
  dword TimeStamp;     /* modification time of the file, Linux seconds */
  dword CRC;           /* CRC-32/MPEG-2 of the whole file, 0 when unreadable */
  tBool32 isAutoStart; /* found in ".../ProgramFiles/AutoStart" or ".../ProgramFiles/XStart" */
  tBool32 Found;       /* seen by the latest scan */
  dword PartOf;        /* 0 when created; kept for the TAP cache */
} tTAPsOnBoard;

/* The table (TOB_MAX_ENTRIES entries, allocated by the first load, never
 * freed) and the number of entries in use. */
extern tTAPsOnBoard *TAPsOnBoard;
extern int TAPsOnBoardCount;

/* Allocates the table when needed and loads "TAPOnBoard.bin" into it.  True
 * when the file was read; a missing, damaged or other-version file leaves
 * the table empty (the last two are logged). */
bool TAPsOnBoardLoad(void);
/* Scans "/ProgramFiles" and its subfolders, but the manager's settings
 * folder, for TAP files and updates the table: new and changed files are
 * logged and get a fresh CRC, every entry's Found and isAutoStart are set
 * anew.  Loads the file first when the table is empty. */
void TAPsOnBoardFind(void);
/* Writes the table to "TAPOnBoard.bin" (the memory stays); true when
 * written.  The old file is replaced only by a complete new one. */
bool TAPsOnBoardFree(void);

/* ======================================================================
 * Package description files ("<TAPID>.vpd" in the settings folder)
 * ====================================================================== */
typedef enum {
  DM_Hide = 0,
  DM_InstallerTest = 1,
  DM_Alpha = 2,
  DM_Beta = 3,
  DM_Final = 4,
  DM_Revoke = 5,
  DM_MarkedForDeletion = 6,
  DM_Max = 255 /* a file stores one byte: any byte value is a tDeployMode */
} tDeployMode;

typedef enum {
  IM_Overwrite = 0,
  IM_OverwriteIfNewer = 1,
  IM_CreateIfNonexistant = 2,
  IM_NotInPackage = 3,
  IM_AlwaysDelete = 4,
  IM_Max = 255 /* a file stores one byte: any byte value is a tInstallMode */
} tInstallMode;

#define VPD_MAGIC "VPDDB"
#define VPD_VERSION 9                           /* written by VPDSave */
#define VPD_MIN_VERSION 5                       /* oldest version VPDLoad reads */
#define VPD_PROGRAMFILES "/mnt/hd/ProgramFiles" /* every DefaultPath begins with it */

/* Every char pointer is a heap string owned by its record (null = absent). */
typedef struct {
  char *FileName;
  char *CurrentName; /* where FindFile found it; not stored */
  char *DefaultPath; /* Linux form, "/mnt/hd/ProgramFiles" or below */
  char *CurrentPath; /* where FindFile found it, Linux form; not stored */
  dword Time;
  int Size;
  dword CRC32;
  dword TAPID;
  tInstallMode InstallMode;
  dword Flags;
  int SettingsVersion;
} tVPDFiles;

typedef struct {
  char *Version;
  dword TimeStamp; /* days since 2000-01-01 in bits 31..17, seconds of the day below */
  char *ReleaseNotes;
  dword SupportedLang;
  tDeployMode DeployMode;
  int64 AlphaPassword TAP_ALIGN8;
  dword Flags;
  int NrOfDependencies;
  dword *Dependencies; /* NrOfDependencies values, or null */
  char *RootDir;
  int NrOfFiles;
  tVPDFiles *Files; /* NrOfFiles records, or null */
} TAP_ALIGN8 tVPDVersion;

typedef struct {
  char *DBMagic;
  int DBVersion;
  dword TAPID; /* also the key of the scrambled TimeStamp and AlphaPassword */
  char *TAPName;
  char *TAPAuthor;
  char *DE_Description;
  char *EN_Description;
  int Hosting;
  dword Category;
  char *URL;
  char *PasswdMD5;
  bool PasswdReadonly;
  char *ScreenShotFile;
  int ScreenShotSize;
  byte *Screenshot; /* ScreenShotSize bytes, or null */
  char *Homepage;
  int NrOfVersions;
  tVPDVersion *Versions; /* NrOfVersions records, or null */
} tVPD;

/* Bytes held by heap strings of the records (length + 1 each); a
 * diagnostic balance that returns to its value when the strings go. */
extern int StringSpace;

/* Loads the file (name in the settings folder) into the record, which must
 * be zeroed or loaded before.  False, with a log line and an empty
 * (zeroed) record, for a missing, damaged or unknown file. */
bool VPDLoad(tVPD *vpd, const char *fileName);
/* The one name of a TAP's package file: the ID as eight upper-case hex
 * digits and ".vpd", into fileName (VPD_STD_NAME_SIZE bytes). */
#define VPD_STD_NAME_SIZE 16
void VPDStdFileName(dword tapId, char *fileName);
/* VPDLoad of "<TAPID as 8 upper-case hex digits>.vpd". */
bool VPDLoadStd(tVPD *vpd, dword tapId);
/* Writes the record as a format-9 file (name in the settings folder); sets
 * its DBMagic and DBVersion.  The old file is replaced only by a complete
 * new one; false, with a log line, when it cannot be written or a
 * DefaultPath lies outside "/mnt/hd/ProgramFiles". */
bool VPDSave(tVPD *vpd, const char *fileName);
/* Deletes the file (name in the settings folder). */
void VPDDelete(const char *fileName);
/* Releases everything the record owns and zeroes it. */
void VPDFree(tVPD *vpd);
/* Deletes every file of the settings folder whose name begins with the
 * TAP ID as 8 upper-case hex digits (case-sensitive), with log lines. */
void VPDCleanup(dword tapId);

/* Reads a length-prefixed string from an open file: a new heap string
 * (counted in StringSpace; release with StringClear), or null when absent,
 * too long for the file or unreadable. */
char *ReadString(TYPE_File *f);
/* Writes s (null = empty) as a length-prefixed string; true when written. */
bool WriteString(TYPE_File *f, const char *s);
/* Replaces the string field with a heap copy of s (null clears it). */
void StringSet(char **field, const char *s);
/* Frees the string field and sets it to null. */
void StringClear(char **field);
/* StringSet of at most maxLength bytes of s, cut at a character's start
 * (a UTF-8 sequence is kept whole or left out). */
void StringSetCut(char **field, const char *s, dword maxLength);

/* The scrambling of TimeStamp and AlphaPassword; each is its own inverse. */
void Encrypt32(dword *d, dword tapId);
void Encrypt64(int64 *d, dword tapId);

#define VPD_ARCHIVE_NAME_SIZE 29
/* Archive name "<TAPID>-YYYYMMDD-HHMMSS.tgz" of a release time stamp into
 * fileName (at least VPD_ARCHIVE_NAME_SIZE bytes); nothing for null. */
void TimeStampToFileName(dword tapId, dword timeStamp, char *fileName);
/* True when the password is one of Settings.AlphaPasswords. */
bool hasValidAlphaPassword(int64 password);
/* Looks for a package file on the disk: its DefaultPath, then (TAP files,
 * by TAP ID) "/ProgramFiles" and "/ProgramFiles/AutoStart", then every
 * folder below "/ProgramFiles" but the manager's settings folder, each
 * real folder once.  True with CurrentPath (Linux form) and CurrentName
 * set; without incrementalSearch both are cleared first.  Leaves the
 * working directory in the last folder it looked at. */
bool FindFile(tVPDFiles *file, bool incrementalSearch);
/* In place; URLEncode's buffer must hold 3 x strlen(text) + 1 bytes (no size
 * is passed: use URLEncodeSized).  Nothing for null. */
void URLEncode(char *text);
/* URLEncode in text of textSize bytes.  False, text unchanged, for null or
 * when the escaped text and its terminator do not fit. */
bool URLEncodeSized(char *text, dword textSize);
void URLDecode(char *text);
/* "/mnt/hd" followed by path, in a module buffer of KALIB_PATH_MAX bytes
 * valid until the next call; "" when it does not fit or path is null. */
char *BuildAbsolutePath(const char *path);

/* ======================================================================
 * Settings ("Vantero.settings" in the settings folder)
 * ====================================================================== */
#define SETTINGS_FORMAT 11
#define SETTINGS_FILE_NAME "Vantero.settings"
/* Bytes kept of a master-list Name or Author and of a cached Version text
 * (one screen line), and of a master-list VPDURL (one path): what a package
 * brings beyond them is cut, so the settings and the cache file stay small. */
#define MASTERLIST_TEXT_MAX 127
#define MASTERLIST_URL_MAX 1023
/* Entries the settings' master list holds at most (what its loader reads). */
#define MASTERLIST_MAX_ENTRIES 10000

typedef enum {
  OWM_Linear = 0,
  OWM_Category = 1,
  OWM_Author = 2,
  OWM_Deactivated = 3,
  OWM_LAST = 4
} tOverviewWindowMode;
typedef enum { NF_None = 0, NF_New = 1, NF_Updated = 2, NF_Revoked = 3 } tNotificationFlag;

/* One TAP that the manager follows; strings are heap strings or null. */
typedef struct {
  dword TAPID;
  char *VPDURL;
  char *Name;
  char *Author;
  dword TopfieldEuropeTimeStamp;
  tNotificationFlag NotificationFlag;
  dword AckTime;
  bool NotifyMe;
  bool VPDUpdated; /* memory only */
  dword Category;
  dword VPDTimeStamp;
  bool FoundInMasterList;   /* memory only */
  int PositionInMasterList; /* memory only */
} tMasterList;

typedef struct {
  int SettingsFormat;
  bool AutoUpdateChecks;
  bool BetaVersions;
  bool InstallerTestVersions;
  int NrOfAlphaPasswords;
  int64 *AlphaPasswords; /* heap array, or null */
  int NrOfMasterListEntries;
  tMasterList *MasterList; /* heap array, or null */
  bool DisplayNewMessage;
  bool DisplayRevokedMessage;
  dword AckTime;
  dword StartupDelay;
  bool ConductorMenu;
  tOverviewWindowMode OverviewWindowMode;
  bool AutoStopVPD;
  bool TSRMode;
  int InventoryDump;
} tSettings;

extern tSettings Settings;

/* Releases both lists (and the master list's strings) and empties them.
 * Pointers into the old master list become invalid. */
void SettingsFree(void);
/* Sets Settings to the defaults; earlier lists are released first. */
void SettingsDefault(void);
/* Writes Settings as format 11 (and sets SettingsFormat to 11); the old
 * file is replaced only by a complete new one.  True when written; false
 * (logged) when SettingsSaveBlocked is set or the file cannot be written. */
bool SettingsSave(void);
/* Set by SettingsLoad when the file on the disk could not be read, or could
 * not be kept under another name before the defaults replace it: the run
 * goes on with the defaults and SettingsSave never writes over that file. */
extern bool SettingsSaveBlocked;
/* True while the settings in memory differ from the file because the last
 * SettingsSave (or the load before it) could not write them; the screens
 * show it instead of "saved". */
extern bool SettingsUnsaved;
/* Loads the file, migrating formats 1 to 10; an OverviewWindowMode or
 * NotificationFlag outside its values becomes OWM_Linear or NF_None.  False with defaults for a
 * missing, newer (kept beside it as "Vantero.settings.V<n>") or damaged
 * (kept as "Vantero.settings.damaged") file, which is then written anew; an
 * earlier copy is never replaced (the next free name gets a ".2" to ".9").
 * A file that cannot be read, or not be kept, stays as it is and
 * SettingsSaveBlocked is set.  Master-list names and authors longer than
 * MASTERLIST_TEXT_MAX bytes are cut. */
bool SettingsLoad(void);
/* Logs the output of "ifconfig eth0" and the resolver configuration. */
void LogNetworkParams(void);
/* CRC32 (start 0) of the box's MAC address, cached. */
dword GetMacCRC(void);

/* ======================================================================
 * TAP cache ("TAPCache.bin" in the settings folder) and menu states
 * ====================================================================== */
#define TAPCACHE_MAX_ENTRIES 800
#define TAPCACHE_FILE_NAME "TAPCache.bin"
#define TAPCACHE_RECORD_FIXED 72 /* bytes of a file record besides its two texts */

// One known version of a master-list TAP; the flags take 4 bytes each, as
// in the file.
typedef struct {
  dword TAPID;
  tMasterList *MasterList;  // the entry in Settings.MasterList it belongs to
  char *Version;            // heap string owned by the entry (StringSet), or null
  dword TimeStamp;
  tDeployMode DeployMode;
  int64 AlphaPassword TAP_ALIGN8;
  tBool32 isInstalled;    // this version's file is on the disk
  tBool32 isVisible;      // the user may see this version
  tBool32 isRevoked;      // DeployMode is DM_Revoke
  tBool32 mayAutoStart;   // a TAP file of the version may go into AutoStart
  tBool32 isUpdated;      // newer than the entry's AckTime, or newly unlocked
  tBool32 AlphaPwdMatch;  // one of the settings' alpha passwords matches
  tBool32 hasSettings;    // a file of the version is a settings file
  tBool32 hasScreenShot;  // the package has a screenshot
  int VPDVersionIndex;    // index of the version in its package file
  tBool32 isRunning;      // installed and running
  tBool32 isAutoStart;    // the installed file lies in an AutoStart folder
} TAP_ALIGN8 tTAPCache;

/* The cache (TAPCACHE_MAX_ENTRIES entries, null before the first build),
 * the entries in use, and the newest time stamp of the TAP being built. */
extern tTAPCache *TAPCache;
extern int TAPCacheSize;
extern dword NewestTAP;

// Rebuilds the cache from the master list, the package files and a fresh
// scan of the disk; sets each entry's NotificationFlag and the settings'
// two message flags.  Versions beyond 800 are logged and dropped.
void TAPCacheInitialize(void);
// Releases the cache and its version texts; the cache is empty (null) after.
void TAPCacheFree(void);
// Refreshes the running state of every entry.
void TAPCacheUpdate(void);
// Writes the cache as "TAPCache.bin" (replacing an old file only by a
// complete new one); false, logged, when an entry lacks its master-list
// entry or version, or the file cannot be written.
bool TAPCacheSave(void);
// Whether the entry may be shown: installed, or by its DeployMode and the
// settings; false for an index outside the cache.
bool TAPCacheIsVisibleVersion(dword index);
// Marks entries whose alpha password the user has (newly matched ones also
// as updated).
void TAPCacheXCheckAlphaKeys(void);
void TAPCacheXCheckRunningTAPs(void);
// Queries by TAP ID: the installed entry's index (-1 none), the newest time
// stamp (0 none), whether any version is visible; any installed revoked one.
int TAPCacheGetInstalledVersionIndex(dword tapId);
dword TAPCacheGetGetNewestTimeStamp(dword tapId);
bool TAPCacheIsAnyVisibleVersion(dword tapId);
bool TAPCacheIsAnyRevokedVersionInstalled(void);
// Takes the entry's newest visible version as seen: its AckTime becomes that
// version's time stamp, NF_New and NF_Updated become NF_None.  Null: nothing.
void Acknowledge(tMasterList *masterList);

// One record of "TAPCache.bin" as read back; Name and Version point into
// the file image (valid while the visitor runs) and are not terminated.
typedef struct {
  dword TAPID;
  const char *Name;
  dword NameLength;
  const char *Version;
  dword VersionLength;
  dword TimeStamp;
  dword DeployMode;
  int64 AlphaPassword;
  dword Values[11];  // isInstalled ... isAutoStart, in the order of tTAPCache
} tTAPCacheRecord;
typedef void (*tTAPCacheVisitor)(void *context, const tTAPCacheRecord *record);
// Takes a "TAPCache.bin" image apart: the number of records, each handed to
// visit (may be null) in file order, or -1 when the image is not a complete
// cache file (then visit is not called).  Null data counts as empty.
int TAPCacheParse(const byte *data, dword size, tTAPCacheVisitor visit, void *context);
// Reads "TAPCache.bin" in the settings folder through TAPCacheParse: its
// record count, -1 when it is missing, -2 when it is damaged (both logged).
int TAPCacheReadFile(tTAPCacheVisitor visit, void *context);

typedef enum {
  MS_Inactive = 0,
  MS_Overview = 1,
  MS_VersionList = 2,
  MS_Description = 3,
  MS_Screenshot = 4,
  MS_ReleaseNotes = 5,
  MS_Tasks = 6,
  MS_Options = 7,
  MS_AlphaPasswords = 8,
  MS_InstalledTAPs = 9,
  MS_AutoStartOrder = 10,
  MS_FullBackup = 11,
  MS_Exit = 12,
  MS_Dialog_NoMasterList = 13,
  MS_Dialog_NewTAPs = 14,
  MS_Dialog_AlphaInput = 15
} tMenuState;

#define MENU_STATE_DEPTH 20 /* the stack's slots; 19 states are held */
/* Index 0 is the current state; MenuStatePosition holds each state's cursor item. */
extern tMenuState MenuStateStack[MENU_STATE_DEPTH];
extern int MenuStatePosition[MENU_STATE_DEPTH];

// Saves the menu's current item with the current state and makes state the
// current one (cursor 0); the oldest of 19 states is lost.
void MenuStatePush(tMenuState state);
// Returns to the previous state with its saved cursor item.
void MenuStatePop(void);
// Every state MS_Inactive.
void MenuStateReset(void);

/* ======================================================================
 * Alpha password input box
 * ====================================================================== */
#define INPUTBOX_MAX_DIGITS 29

extern char InputText[INPUTBOX_MAX_DIGITS + 1];  // the digits typed so far, terminated
extern word InputRgn;                            // region of the input field, 0 = none
extern bool FlagDoServerQuery;                   // a password was entered: query the server again

// Opens the password box (message box with "OK" and "Cancel") with an empty
// input field; the caller has pushed MS_Dialog_AlphaInput.
void InputBox_MenuDraw(void);
// Draws the input field with InputText.
void InputBox_MenuDrawInputBox(void);
// Every event while the box is open: digits, the back key (0x1000B), and
// the box's own keys.  On "OK" the digits (modulo 2^64) go to
// AlphaPasswordAdd; closing pops the menu state.  Always 0; nulls: nothing.
dword InputBox_EventHandler(word *event, dword *param1, dword *param2);
// Adds the password to Settings.AlphaPasswords (unless there or the list
// holds ALPHA_PASSWORDS_MAX) and saves the settings.
#define ALPHA_PASSWORDS_MAX 100
void AlphaPasswordAdd(int64 Password);

/* ======================================================================
 * Package repository: the master list, addresses and the wget command
 *
 * A repository is a folder of static files that any web server serves:
 *   REPO_MASTERLIST_NAME   the master list (below), written last
 *   <TAPID>.vpd            each package's description, format 9
 *   <RootDir>/<FileName>   the files of every version
 * ====================================================================== */
#define REPO_MASTERLIST_NAME "MasterList.vml" /* name in the repository */
#define REPO_MASTERLIST_MAGIC "VMLDB"
#define REPO_MASTERLIST_VERSION 1
#define REPO_MASTERLIST_MAX_ENTRIES 10000 /* more make the file damaged */
#define REPO_URL_MAX 512                  /* bytes of an address, terminator included */

/* The master list file, all numbers 4-byte little-endian, strings as in a
 * .vpd (length, then the bytes without terminator; length 0 = absent):
 *   string "VMLDB", dword REPO_MASTERLIST_VERSION, dword entry count N,
 *   N entries: TAPID, string VPDURL, string Name, string Author,
 *              TopfieldEuropeTimeStamp, Category, VPDTimeStamp,
 *   dword CRC32 (start CRC32_INITIAL) of every byte before it.
 * Nothing may follow.  A valid list has no two entries with one TAPID, no
 * TAPID 0, and every VPDURL present, shorter than REPO_URL_MAX and free of
 * blanks and control characters.  VPDURL is relative to the repository's
 * address ("5C3E1A20.vpd") or absolute ("http://..."). */
typedef struct {
  int NrOfEntries;
  /* NrOfEntries heap records, or null.  Each carries TAPID, VPDURL, Name,
   * Author, TopfieldEuropeTimeStamp, Category and VPDTimeStamp; the other
   * fields (what only a box knows) are 0.  Strings are heap strings
   * (StringSet/StringClear), Name and Author may be null. */
  tMasterList *Entries;
} tRepoMasterList;

/* Takes a master-list image apart into list (zeroed, or freed before).
 * True when all of it is a valid list.  Otherwise false, list empty, and
 * a short reason ("cut short", "bad checksum", "two entries for TAP
 * 1234ABCD" ...) in reason (reasonSize bytes; may be null).  Null data
 * counts as empty, which is damaged. */
bool RepoMasterListParse(const byte *data, dword size, tRepoMasterList *list, char *reason, dword reasonSize);
/* RepoMasterListParse of the file fileName in the manager's settings
 * folder (working directory kept).  False, list empty and the log line
 * "Master list '<fileName>' rejected: <reason>" for a missing or damaged
 * file. */
bool RepoMasterListLoad(const char *fileName, tRepoMasterList *list);
/* The file image of list into *data (a TAP_MemAlloc block the caller frees
 * with TAP_MemFree) and *size.  False (*data null) when the list is not
 * valid as RepoMasterListParse checks it, or memory runs out. */
bool RepoMasterListBuild(const tRepoMasterList *list, byte **data, dword *size);
/* Writes list as fileName in the manager's settings folder through a
 * temporary name (a reader sees the old or the new file whole).  True
 * when written; false, logged, when invalid or not written. */
bool RepoMasterListSave(const tRepoMasterList *list, const char *fileName);
/* Releases the entries and their strings; the list is empty after.  Null:
 * nothing. */
void RepoMasterListFree(tRepoMasterList *list);
/* Index of the entry with tapId, or -1 (also for a null list). */
int RepoMasterListFind(const tRepoMasterList *list, dword tapId);

/* The address of name in a repository: name itself when it holds "://",
 * else repoURL, a "/" unless repoURL ends with one, and name.  Into url
 * (urlSize bytes); false, url empty, when it does not fit or an argument is
 * null or empty. */
bool RepoBuildURL(const char *repoURL, const char *name, char *url, dword urlSize);

#define WGET_PROGRAM "/mnt/hd/ProgramFiles/wget"
/* The shell command (for system()) that downloads url into outFile in the
 * background and returns at once:
 *   ( /mnt/hd/ProgramFiles/wget -q -O 'OUT' 'URL' & echo $! > 'PID';
 *     wait $!; echo $? > 'STATUS' ) > /dev/null 2>&1 &
 * (one line).  pidFile receives wget's process id (for "kill <pid>"),
 * statusFile wget's exit status and a line end once wget has ended (0 done,
 * 1 failed; 143 when killed).  outFile grows while wget loads; after a
 * failure it may hold part of the file.  The three files are Linux paths
 * ("/mnt/hd/..."); every argument is quoted with ShellQuote.  Into command
 * (commandSize bytes); false, command empty, when it does not fit or an
 * argument is null or empty. */
bool BuildWgetCommand(const char *url, const char *outFile, const char *statusFile, const char *pidFile,
                      char *command, dword commandSize);

/* ======================================================================
 * The box's TAPs: moves, copies, the AutoStart order, background commands
 * and what busybox answers for a backup
 * ====================================================================== */
#define AUTOSTART_DIR "/ProgramFiles/AutoStart"
#define BUSYBOX_PROGRAM "/mnt/hd/ProgramFiles/busybox"

/* Renames from to to (Linux paths on one disk) unless another file has the
 * name to: never over another file.  False with *error (may be null) EEXIST
 * when the name is taken, ENOENT when from is missing, EINVAL for a null
 * or empty path, else rename's errno; 0 when moved. */
bool MoveFileNoReplace(const char *from, const char *to, int *error);
/* Copies the file from into to (Linux paths; to is created or truncated).
 * True only when all of it was written and the closed copy has the
 * source's size on the disk; a failed copy may leave a part behind. */
bool CopyWholeFile(const char *from, const char *to);
/* Deletes the file at path (a Linux path below "/mnt/hd"; the working
 * directory is kept).  Nothing for null, a missing file or another path. */
void DeleteLinuxFile(const char *path);

/* One AutoStart TAP of a new order: its file name now and the one planned. */
#define AUTOSTART_NAME_SIZE 128 /* a folder entry's name, terminator included */
typedef struct {
  char Old[AUTOSTART_NAME_SIZE];
  char New[AUTOSTART_NAME_SIZE];
} tAutoStartName;
/* The name without the order number an earlier order put in front: two or
 * three digits and "_" ("03_Name.tap" -> "Name.tap"); fileName itself
 * otherwise, "" for null. */
const char *AutoStartBaseName(const char *fileName);
/* Plans New for count TAPs whose Old names are given in the wanted start
 * order: "NN_<base name>" with NN counting up by one, the first number
 * chosen so that no New name that differs from its Old one meets any of the
 * nrOthers names (every file of the folder, the TAPs' own included; compared
 * without case).  False, every New empty, when no numbering up to 99 fits. */
bool AutoStartPlanNames(tAutoStartName *names, int count, const char *const *others, int nrOthers);

/* The command (for system()) that runs commandLine (its words quoted by the
 * caller with ShellQuote) in the background and returns at once:
 *   ( COMMANDLINE & echo $! > 'PID'; wait $!; echo $? > 'STATUS' ) > /dev/null 2>&1 &
 * pidFile receives the program's process id, statusFile its exit status and
 * a line end once it has ended (Linux paths, quoted here).  Into command
 * (commandSize bytes); false, command empty, when it does not fit or an
 * argument is null or empty. */
bool BuildBackgroundCommand(const char *commandLine, const char *statusFile, const char *pidFile,
                            char *command, dword commandSize);
/* The free kilobytes in the output of "busybox df -k <folder>" (header line,
 * then one file system, its device name possibly on a line of its own).
 * False when the text is not such an output. */
bool DfAvailableKB(const char *dfOutput, dword *kilobytes);
/* Checks the member list that "tar -t" printed (one name a line): every
 * name below root + "/" ("ProgramFiles/..."), no ".." part, no control
 * character, shorter than a path buffer.  The number of members, or -1
 * with the first bad name in bad (badSize bytes, may be null).  Null
 * arguments: -1. */
int TarListCheck(const char *listing, const char *root, char *bad, dword badSize);

/* ======================================================================
 * Package files on their way to the disk (PackageFileCheck.cpp): the one
 * place where a file of a package is judged before it is installed.  A
 * CRC-32 protects against damage only; a signature check over the master
 * list belongs here too.
 * ====================================================================== */
#define PACKAGE_LINUX_SETTINGS_DIR "/mnt/hd" VANTERO_SETTINGS_DIR
/* Why the file record cannot be installed, or null when it can: a missing
 * or empty FileName, one holding "/", "\\" or "..", a DefaultPath outside
 * "/mnt/hd/ProgramFiles" or with a ".." in it, one inside the manager's
 * settings folder, a negative Size, an unknown InstallMode.  Null file:
 * a reason too. */
const char *PackageFileRefusal(const tVPDFiles *file);
/* Checks the downloaded copy of file at linuxPath against the record: its
 * size on the disk (lstat64 after wget closed it) and its CRC-32/MPEG-2.
 * True when both match; else false with a reason that names the file in
 * reason (reasonSize bytes, may be null). */
bool PackageFileCheck(const tVPDFiles *file, const char *linuxPath, char *reason, dword reasonSize);

/* A screenshot as "vdtool publish" stores it in a package (tVPD.Screenshot):
 *   4 bytes "KGR1", word width, word height (1 to 720 x 576), then the
 *   pixels in the graphics' compression method 2 (32-bit ARGB run-length
 *   packets, exactly width x height pixels; nothing may follow).
 * Fills gd (version 1, format 1, method 2) to draw it with TAP_Osd_PutGd;
 * gd->data points into data, which must stay.  False (gd zeroed) when the
 * bytes are not such a screenshot or gd is null. */
#define SCREENSHOT_MAGIC "KGR1"
#define SCREENSHOT_HEADER_SIZE 8
bool ScreenshotToGrData(const byte *data, dword size, TYPE_GrData *gd);

#ifdef __cplusplus
}
#endif

/* Layouts the files and the box's code rely on (32-bit pointers). */
TAP_STATIC_ASSERT(sizeof(tBool32) == 4, "stored bools take 4 bytes");
TAP_STATIC_ASSERT(sizeof(tTAPsOnBoard) == 88, "inventory entry is 88 bytes");
TAP_STATIC_ASSERT(offsetof(tTAPsOnBoard, TimeStamp) == 68, "tTAPsOnBoard.TimeStamp");
TAP_STATIC_ASSERT(offsetof(tTAPsOnBoard, isAutoStart) == 76, "tTAPsOnBoard.isAutoStart");
TAP_STATIC_ASSERT(offsetof(tTAPsOnBoard, PartOf) == 84, "tTAPsOnBoard.PartOf");
TAP_STATIC_ASSERT(sizeof(tVPDFiles) == 44, "tVPDFiles layout");
TAP_STATIC_ASSERT(offsetof(tVPDVersion, AlphaPassword) == 24, "tVPDVersion.AlphaPassword is 8-aligned");
TAP_STATIC_ASSERT(sizeof(tVPDVersion) == 56, "tVPDVersion layout");
TAP_STATIC_ASSERT(sizeof(tVPD) == 72, "tVPD layout");
TAP_STATIC_ASSERT(sizeof(tMasterList) == 48, "tMasterList layout");
TAP_STATIC_ASSERT(sizeof(tSettings) == 52, "tSettings layout");
TAP_STATIC_ASSERT(sizeof(tRepoMasterList) == 8, "tRepoMasterList layout");
TAP_STATIC_ASSERT(sizeof(tTAPCache) == 80, "800 cache entries take 64000 bytes");
TAP_STATIC_ASSERT(offsetof(tTAPCache, AlphaPassword) == 24, "tTAPCache.AlphaPassword is 8-aligned");

#endif /* VANTERO_TOOLS_H */
