// Kalib.h - the TAP support library: firmware access and TAP tasks, paths,
// logging and call tracing, character sets, string lists, language and INI
// files, Unicode anti-aliased fonts and the on-screen toolkit.
//
// Plain records and free functions with C linkage.  The same code runs on the
// box and inside pvrsim; it talks to the firmware only through tap.h and to
// the system through the box's libc.
#ifndef KALIB_H
#define KALIB_H

#include "tap.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ======================================================================
 * firmware/ - firmware access and task table
 * ====================================================================== */
// Address of a firmware symbol through the dynamic loader; null for a null
// name or a symbol the firmware does not export.
void *TryResolve(const char *name);

// Firmware functions (FIS_fw...) and variables (FIS_v...) outside the TAP
// API, by symbol name: the address, cached after the first hit; null while
// the firmware lacks the symbol (looked up again on the next call).
void *FIS_fwTimeToLinux(void);
void *FIS_fwApplHdd_RestoreWorkFolder(void);
void *FIS_fwApplHdd_SaveWorkFolder(void);
void *FIS_fwApplHdd_SelectFolder(void);
void *FIS_fwApplHdd_SetWorkFolder(void);
void *FIS_fwAppl_ConvertToValidUTF8Str(void);
void *FIS_fwAppl_ExecProgram(void);
void *FIS_vMACAddress(void);
void *FIS_vOsdMap(void);
void *FIS_vTAPTable(void);
void *FIS_vCurTapTask(void);
void *FIS_vHddTapFolder(void);

// Wrappers of the firmware's work-folder and program-start functions: the
// firmware's result, or 0 (nothing done) when the firmware lacks the function.
// ApplHdd_SelectFolder takes a TYPE_HddFolder record and a Linux folder
// without its leading '/'.
dword ApplHdd_SaveWorkFolder(void);
dword ApplHdd_RestoreWorkFolder(void);
int ApplHdd_SelectFolder(void *folderRecord, const char *folder);
dword ApplHdd_SetWorkFolder(void *folderRecord);
dword Appl_ExecProgram(char *fileName);

extern int TAP_TableIndex;        /* this TAP's task slot, -1 until known */
extern void *kal_parametered_tap; /* attached hand-over segment or null */

// The box's six MAC address bytes, owned by the firmware (never freed); null
// when the firmware does not hand them out.
byte *GetMacAddress(void);

// This TAP's working directory in TAP notation into currentDir (KALIB_PATH_MAX
// bytes; cut there); 0 on success, -3 when the task table or this TAP's slot is
// unknown.  A null currentDir only tests.
int HDD_TAP_GetCurrentDir(char *currentDir);

// Linux path of an open firmware file into absFileName (KALIB_PATH_MAX bytes,
// empty on failure); false for a null argument or a record without a path.
bool HDD_GetAbsolutePathByTypeFile(TYPE_File *file, char *absFileName);

// Points *tapFileName at the Linux path of the TAP running in task slot index:
// the firmware's own string (not to be changed or freed).  False (and
// *tapFileName null for a slot outside the table) for a free or unknown slot.
bool HDD_TAP_GetFileNameByIndex(int index, char **tapFileName);

// The parameter block the starting TAP handed over (through the shared-memory
// segment, which the starter owns and removes); null without a hand-over.
// Valid only during TAP_Main; the block belongs to the starter.
void *HDD_TAP_GetStartParameter(void);

// Moves this TAP's file out of an autostart folder into /ProgramFiles: 1 moved,
// 0 when it was not in one or the move failed, -3 without the task table.
int NoAutoStartTAP(void);

// One-time set-up (firmware version, this TAP's task slot); always true, later
// calls do nothing.
bool InitTAPex(void);

/* ---- TAP file header reader ---- */
typedef struct {
  dword TAPID;
  dword Date;
  char TAPName[64];
  char Author[64];
  char Description[128];
  char TAPVersion[64];
} tTAPInfo;

// Reads a TAP file's identity sections into *info (texts cut to their fields,
// terminated); false for a null info, an unreadable file or one without a
// four-byte "._tap_id" (info may then be partly written).
bool HDD_TAP_GetInfo(const char *fileName, tTAPInfo *info);
// HDD_TAP_GetInfo of a whole TAP file the caller has read into memory (size
// bytes at image): the same fields and the same false for a file it refuses.
bool HDD_TAP_GetInfoFromImage(const byte *image, dword size, tTAPInfo *info);

// The TAP file reader, one file at a time, in this order: open (closes an
// earlier file; TAP or Linux path), file header, section headers, name table.
// Each returns false when the file is missing, short or malformed.
bool ELFOpenFile(const char *fileName);
// Opens a whole file image of size bytes instead of a file on the disk; the
// image must stay in place until ELFCleanup.  False for null or empty.
bool ELFOpenImage(const byte *image, dword size);
bool ELFReadELFHeader(void);
bool ELFReadSectionHeaders(void);
bool ELFReadShstrtabSection(void);

// Index of the named section, 0 when there is none (or nothing is read yet).
dword ELFGetSectionIndex(const char *sectionName);

// Reads a four-byte section into *data (a null data only tests); false for a
// missing section or one of another size.
bool ELFReadDWORD(dword sectionIndex, dword *data);

// Reads a whole section into data, which must hold the section's size (no
// size is passed; the section header says how much is written).  A null data
// only tests that the section exists.
bool ELFReadData(dword sectionIndex, byte *data);

// Closes the file and frees what the reader allocated; safe to call again.
void ELFCleanup(void);

/* ---- TAP task control ---- */
// TAP ID of the file in task slot taskIndex, read from the file; 0 for a slot
// outside the table, without a readable TAP file or without the task table.
dword HDD_TAP_GetIDByIndex(dword taskIndex);

// First task slot whose TAP has this ID, -1 when none (ID 0 finds the first
// slot without a readable TAP).
int HDD_TAP_GetIndexByID(dword tapId);

// True when a TAP with this ID holds a task slot; false for ID 0.
bool HDD_TAP_isRunning(dword tapId);

// Calls the event handler of the TAP with tapId, or of every TAP for tapId 0
// (stopping at the first 0 answer when allowEventInterception), with the
// current-task index switched to it; the last answer, 0 when nobody was called.
dword HDD_TAP_SendEvent(dword tapId, bool allowEventInterception, word event, dword param1, dword param2);

// Sends the stop event to the TAP with tapId and sets its slot's kill state if
// the slot still holds it; nothing for ID 0 or a TAP that does not run.
void HDD_TAP_Terminate(dword tapId);

// Starts a TAP file (TAP or Linux path), handing parameterBlock over (it must
// stay valid until the TAP took it in TAP_Main); *tapId (may be null) gets its
// ID.  False for an unreadable file or a firmware without program start.
bool HDD_TAP_Start(const char *tapFileName, bool batchMode, void *parameterBlock, dword *tapId);

/* ---- paths and working directory ---- */
typedef enum {
  PK_FileName = 0,
  PK_TapFolder = 1,
  PK_LinuxFolder = 2,
  PK_TapFile = 3,
  PK_LinuxFile = 4
} tPathKind;

#define KALIB_PATH_MAX 512 /* path buffers: 511 characters and the terminator */

// Classifies a path, looking at the disk for what exists; PK_FileName for a
// null or empty path.
tPathKind GetPathType(const char *path);

// Converts source into destKind's notation into dest (KALIB_PATH_MAX bytes;
// may be source itself).  dest is empty when the conversion is impossible or
// the result does not fit; nothing is written for a null argument.
void ConvertPathType(const char *source, char *dest, tPathKind destKind);

// The Linux path ("/mnt/hd/...") of Name in the TAP's current folder into LinuxPath (KALIB_PATH_MAX
// bytes); false when it does not fit or the folder is unknown (LinuxPath is then empty).  False for a
// null or empty Name; nothing is written for a null LinuxPath.
bool LinuxPathInCurrentDir(const char *Name, char *LinuxPath);

// Added to FileName for ReplaceWholeFile's temporary file; not ".tap", so a half-written TAP is never
// taken for one.
#define REPLACE_WHOLE_FILE_SUFFIX ".tmp"

// Writes Size bytes of Data as FileName in the TAP's current folder so that the file is never seen
// half written: through a temporary name beside it (REPLACE_WHOLE_FILE_SUFFIX added), size checked after
// close, then renamed over.  False with a short reason in Reason (ReasonSize bytes, may be null) when the old
// file was kept; a null FileName, or null Data with a Size above 0, is refused.
bool ReplaceWholeFile(const char *FileName, const void *Data, dword Size, char *Reason, dword ReasonSize);

// A set of file changes made whole or not at all (FileJournal.cpp): every new file is staged under a
// temporary name and checked by the caller; every file that is replaced or removed is kept under a backup
// name until the whole set is in place.  The journal file lists every step and its phase and is written
// (through ReplaceWholeFile) before the step is done, so that FileJournalRecover can finish or undo the set
// after a power cut at any moment.  All paths are Linux paths ("/mnt/hd/...") on the one disk.
#define FILE_JOURNAL_MAX_STEPS 256
typedef enum { FJP_Staging = 1, FJP_Swapping = 2, FJP_Cleaning = 3 } tFileJournalPhase;
typedef struct {
  char Final[KALIB_PATH_MAX];   // where the file ends up, or the file that is removed
  char Staged[KALIB_PATH_MAX];  // its new content under a temporary name; "" when the file is removed
  char Backup[KALIB_PATH_MAX];  // where the old file waits during the swap; "" when there was none
} tFileJournalStep;
typedef struct {
  char Path[KALIB_PATH_MAX];  // the journal file
  int Phase;                  // tFileJournalPhase
  int NrOfSteps;
  tFileJournalStep *Steps;  // NrOfSteps heap records
} tFileJournal;
typedef enum {
  FJR_Nothing = 0,     // no journal
  FJR_RolledBack = 1,  // the set was undone: the old files are back
  FJR_Completed = 2,   // the set was finished: the new files are in place
  FJR_Damaged = 3,     // an unreadable journal, set aside; no file was touched
  FJR_Failed = 4       // a step could not be done; the journal stays for the next try
} tFileJournalRecovery;
// Starts an empty set (zeroes j) whose journal file is journalPath; nothing is written yet.  False for a
// null or overlong path.
bool FileJournalBegin(tFileJournal *j, const char *journalPath);
// Plans a step: finalPath gets the content of stagedPath, or is removed when stagedPath is null or "".
// The backup name is chosen here when finalPath exists.  False when the set is full, memory runs out, a path
// does not fit, or finalPath is in the set already.
bool FileJournalAdd(tFileJournal *j, const char *finalPath, const char *stagedPath);
// Writes the journal in phase FJP_Staging; to be called before the first staged file is written.  False
// with a reason (Reason may be null) when it could not be written.
bool FileJournalSave(tFileJournal *j, char *Reason, dword ReasonSize);
// Puts the whole set in place: phase FJP_Swapping written, every old file renamed to its backup and every
// staged file to its final name, phase FJP_Cleaning written, the backups and the journal deleted.  Every
// staged file must exist and have been checked by the caller.  False with a reason when a step failed: the
// set is then undone (the old files back, the staged files and the journal deleted), or left for
// FileJournalRecover when even the undo failed.
bool FileJournalCommit(tFileJournal *j, char *Reason, dword ReasonSize);
// Drops a set before its commit: its staged files (and ReplaceWholeFile's temporary files of them) and its
// journal are deleted; the disk is as before.  Nothing is done once the commit has begun.
void FileJournalAbort(tFileJournal *j);
// Releases the steps; j is empty after.
void FileJournalFree(tFileJournal *j);
// At start: finishes or undoes the set that the journal file journalPath describes, with steps that can be
// repeated, so that a power cut during recovery is recovered the same way.  Phase FJP_Staging is rolled
// back; FJP_Swapping is completed when every staged file is in place or still there, else rolled back;
// FJP_Cleaning is completed.  Temporary files of the journal and of the staged files that a power cut left
// are deleted too.  Returns a tFileJournalRecovery with a short reason (Reason may be null).
int FileJournalRecover(const char *journalPath, char *Reason, dword ReasonSize);

// True when text ends with suffix; false when either is null or empty.
bool StringEndsWith(const char *text, const char *suffix);

// Changes this TAP's working directory (TAP, Linux or relative notation, also
// as UTF-8 on firmware that wants it); false for a null or empty name, a path
// longer than KALIB_PATH_MAX - 2 or a folder the firmware refuses.
bool HDD_ChangeDir(const char *dir);

// Saves the working directory on a stack of 16 entries of up to 199 bytes;
// false when the stack is full, the directory unknown or too long (nothing
// pushed).  Pair every successful push with one HDD_TAP_PopDir.
bool HDD_TAP_PushDir(void);

// Returns to the directory saved last and drops it; false when the stack is
// empty or the folder cannot be entered (the entry is dropped all the same).
bool HDD_TAP_PopDir(void);

// Modification time of a file (TAP or Linux path) as Linux time, not following
// a link; 0 for a null or empty name or a file that does not exist.
dword HDD_GetFileTimeByFileName(const char *fileName);

/* ---- folder walks ----
 * A walk over the disk's folders must enter each real folder once, however
 * many links or repeated listings lead to it, and must not loop.  Folders
 * are named by path in TAP notation ("/ProgramFiles/X"), Linux notation
 * ("/mnt/hd/ProgramFiles/X") or relative to the TAP's current directory, and
 * known by their identity on the disk (device and inode, from lstat64 of
 * "<folder>/.", which follows a link in the last name).  Memory comes from
 * TAP_MemAlloc; a set or walk is initialised before use and destroyed after. */
typedef struct {
  dword Count;    /* folders in the set */
  dword Capacity; /* slots of Table (a power of two), 0 before the first add */
  void *Table;    /* owned by the set */
} tFolderSet;

/* An empty set (no memory yet). */
void FolderSetInit(tFolderSet *set);
/* Adds the folder's identity: 1 when it is new, 0 when the set has it
 * already (under whatever path), -1 when it is no folder, its path does not
 * fit a path buffer or there is no memory (the set is unchanged then). */
int FolderSetAdd(tFolderSet *set, const char *folder);
/* Frees the table; the set is empty afterwards. */
void FolderSetDestroy(tFolderSet *set);

/* Breadth-first: folders are handed out in the order in which they were
 * queued, each real folder once.  Adding a folder to Seen without queueing
 * it (FolderSetAdd) keeps the walk out of it. */
typedef struct {
  char *Queue;     /* queued paths, each terminated; owned by the walk */
  dword QueueSize; /* bytes of Queue */
  dword QueueEnd;  /* bytes in use */
  dword Next;      /* offset of the next path to hand out */
  tFolderSet Seen; /* every folder queued so far */
} tFolderWalk;

/* An empty walk; false only for a null walk. */
bool FolderWalkInit(tFolderWalk *walk);
/* Queues the folder unless it was queued before under any path: 1 queued,
 * 0 seen before, -1 no folder, a path of KALIB_PATH_MAX bytes or more, or no
 * memory (the folder is dropped, the walk goes on). */
int FolderWalkAdd(tFolderWalk *walk, const char *folder);
/* Copies the next queued folder's path, as it was queued, into folder
 * (KALIB_PATH_MAX bytes); false when none is left. */
bool FolderWalkNext(tFolderWalk *walk, char *folder);
/* Frees the queue and the set. */
void FolderWalkDestroy(tFolderWalk *walk);

/* ======================================================================
 * diag/ - log entries, console, time stamps and call tracing
 * ====================================================================== */
typedef enum {
  TIMESTAMP_NONE = 0,
  TIMESTAMP_HM = 1,
  TIMESTAMP_HMS = 2,
  TIMESTAMP_YMD = 3,
  TIMESTAMP_YMDHM = 4,
  TIMESTAMP_YMDHMS = 5,
  TIMESTAMP_FNYMDHM = 6
} tTimeStampStyle;

extern char puffer[1024];

// Appends "<stamp><text>\r\n" to fileName (created when missing; skipped when
// null or empty) and, when console, sends stamp, "<programName>: " and the text
// (as ISO 8859) to the console.  Nothing for a null text; write errors are dropped.
void LogEntry(const char *fileName, const char *programName, bool console, tTimeStampStyle timeStampStyle,
              const char *text);

// The library's own report: the formatted message (cut at 511 bytes) goes into
// "Kalib.log" in /ProgramFiles/Settings only when that file exists, and to the
// console as "<stamp> KALIB - <message>" when console.  Nothing for a null format.
void LogEntryKalibPrintf(bool console, const char *format, ...) __attribute__((format(printf, 2, 3)));

// Sends text to the first console (pseudo-terminal) that opens; nothing for a
// null text or when no terminal is open.
void PrintNet(const char *text);

// The firmware's date and time packed as MJD << 16 | hour << 8 | minute; the
// seconds go into *sec unless sec is null.
dword Now(byte *sec);

// Formats a packed date and time in style into result, which must hold 40
// bytes; returns result (empty for TIMESTAMP_NONE or an unknown style), null
// for a null result.
char *TimeFormat(dword dateTime, byte sec, tTimeStampStyle style, char *result);

// Packed firmware date and time to Linux time by the firmware's routine;
// 0xFE00 when the firmware lacks it.
dword PvrTimeToLinux(dword pvrTime);

#define CALLTRACE_STACK_DEPTH 50
#define CALLTRACE_STATS_ENTRIES 5000
typedef struct {
  const char *ProcName;
  dword EntryTime;
} tCallTraceStackEntry;
typedef struct {
  const char *ProcName;
  dword MinTime;
  dword MaxTime;
  dword NrCalls;
  dword TotalTime;
} tCallTraceStats;

extern bool CallTraceInitialized;
extern bool CallTraceEnabled;
extern bool CallTraceDoNotReenter;
extern dword CallLevel;
extern tCallTraceStackEntry CallTraceStack[CALLTRACE_STACK_DEPTH];
extern tCallTraceStats *CallTraceStats;
extern dword CallTraceStatsEntries;

// The call tracer: CallTraceInit switches tracing on, empties the stack and the
// statistics (CALLTRACE_STATS_ENTRIES entries from TAP_MemAlloc; none when
// that fails); the other calls initialise it on first use.
void CallTraceInit(void);
void CallTraceResetStats(void);
void CallTraceEnable(bool enable);

// Pushes procName (a string that must outlive the trace: its pointer keys the
// statistics) and prints it indented when tracing is on; a null name is
// counted but not shown.  Each call is paired with one CallTraceExit.
void CallTraceEnter(const char *procName);

// Pops the innermost traced call into the statistics; magic (may be null)
// is checked against the tracer's mark, reported and repaired when overwritten.
void CallTraceExit(dword *magic);

/* ======================================================================
 * text/ - character sets, string list, string helpers, language and INI
 * ====================================================================== */
extern const word UTFLookupISO8859_1[96];
extern const word UTFLookupISO8859_2[96];
extern const word UTFLookupISO8859_3[96];
extern const word UTFLookupISO8859_4[96];
extern const word UTFLookupISO8859_5[96];
extern const word UTFLookupISO8859_6[96];
extern const word UTFLookupISO8859_7[96];
extern const word UTFLookupISO8859_8[96];
extern const word UTFLookupISO8859_9[96];
extern const word UTFLookupISO8859_10[96];
extern const word UTFLookupISO8859_11[96];
extern const word UTFLookupISO8859_13[96];
extern const word UTFLookupISO8859_14[96];
extern const word UTFLookupISO8859_15[96];
extern const word UTFLookupISO8859_16[96];
extern const word UTFLookupISO6937[96];

// The text behind its character-table selector bytes (none, one, two or
// three); null for a null text.
const char *SkipCharTableBytes(const char *text);

// Converts broadcast or ISO 8859 text (the selector byte picks the table, else
// defaultISO8859CharSet) into UTF-8 in dest, which must hold 3 x strlen(source)
// + 1 bytes (no size is passed: use StrToUTF8Sized).  True when a character
// was converted; false for a null argument.
bool StrToUTF8(const char *source, char *dest, byte defaultISO8859CharSet);

// StrToUTF8 into dest of destSize bytes: a longer result is cut behind its
// last whole character and always terminated.  False for a null argument or a
// size of 0 (nothing written).
bool StrToUTF8Sized(const char *source, char *dest, dword destSize, byte defaultISO8859CharSet);

// Converts UTF-8 to ISO 8859-1 into dest, which must hold strlen(source) + 1
// bytes (no size is passed: use StrToISOSized); other texts are copied
// unchanged, characters above 0xFF dropped.  Nothing written for a null argument.
void StrToISO(const char *source, char *dest);

// StrToISO into dest of destSize bytes: a longer result is cut behind its
// last whole character and always terminated.  Nothing written for a null
// argument or a size of 0.
void StrToISOSized(const char *source, char *dest, dword destSize);

// StrToISO into a new buffer from TAP_MemAlloc, which the caller frees with
// TAP_MemFree; *dest is null for a null source or when memory is short.
void StrToISOAlloc(const char *source, char **dest);

// Code point of the UTF-8 character at utf8Char (a byte that starts no valid
// sequence counts as one character of its own value); its length into
// *bytesPerChar (may be null).  0 (length 1) for a null pointer.
dword UTF8ToUTF32(const byte *utf8Char, byte *bytesPerChar);

// Encodes a code point as UTF-8 into utf8Char (room for 4 bytes, not
// terminated; may be null to learn the length) and its length into
// *bytesPerChar (may be null).
void UTF32ToUTF8(dword unicode, byte *utf8Char, byte *bytesPerChar);

// True when p starts a valid multi-byte UTF-8 sequence; its length (1 when
// not) into *bytesPerChar (may be null).  False for a null p.
bool isUTF8Char(const byte *p, byte *bytesPerChar);

// Whether text holds ISO 8859 bytes (0xA0 and up outside UTF-8 sequences)
// and UTF-8 sequences; both false for a null or empty text.  Null outputs are skipped.
void GetStringEncoding(const char *text, bool *hasAnsiChars, bool *hasUTFChars);

// Characters of the text behind its selector bytes (a UTF-8 sequence counts
// one); 0 for a null or empty text.
int strlenUC(const char *text);

// strncpy that copies the selector bytes as they are: writes exactly n bytes
// into dest, not terminated when source is that long.  dest, or null for a
// null argument.
char *strncpyUC(char *dest, const char *source, size_t n);

// True when the firmware works with UTF-8 file names (it has the UTF-8
// validation routine); asked once.
bool isUTFToppy(void);

// Upper-cases ASCII and Latin-1 letters in place, in ISO 8859-1 and in UTF-8
// alike (the length never changes); nothing for a null text.
void UpperCase(char *text);

/* ---- string list ---- */
typedef struct {
  dword DBSize;
  char *DB;
  char *DBPtr;
  char *DBEnd;
} tStringDB;

// Empty list with a zero-filled buffer of initialSize bytes (none for 0) from
// TAP_MemAlloc; false for a null list or when memory is short.  Free it with
// StringDBDestroy.
bool StringDBInit(tStringDB *stringDB, dword initialSize);

// Adds text unless it is present; the offset of the text (new or found).  0
// for a null argument and when memory is short, which is also the first
// text's offset: compare the list's size if that matters.
dword StringDBAdd(tStringDB *stringDB, const char *text);

// True when the cursor is past the last text; true for a null or empty list.
bool StringDBEOF(tStringDB *stringDB);

// Offset of the cursor; 0 for a null or empty list.
dword StringDBCurrent(tStringDB *stringDB);

// The text at offset, inside the list's buffer (valid until the next add or
// destroy; not freed by the caller); null for a null list or an offset outside.
char *StringDBGet(tStringDB *stringDB, dword offset);

// Moves the cursor to the next text and returns its offset; 0 at the end or
// for a null or empty list.
dword StringDBNext(tStringDB *stringDB);

// Frees the buffer and empties the list (usable again after StringDBInit);
// false only for a null list.
bool StringDBDestroy(tStringDB *stringDB);

/* ---- string editing helpers ---- */
#define LC_ControlChars 1
#define LC_LineFeeds 2
#define LC_FileSystemChars 4
#define LC_PrintableASCII 8

// Pointer to character charPos (counted behind the selector bytes) of text,
// or to its terminator when text is shorter; null for a null text.
char *GetUCPos(const char *text, int charPos);

// Inserts insertText before character charPos (appends when charPos is past
// the end, inserts at 0 when negative).  text must hold strlen(text) +
// strlen(insertText) + 1 bytes: no size is passed (use InsertAtSized).
// Nothing for a null argument.
void InsertAt(char *text, int charPos, const char *insertText);

// InsertAt into text of textSize bytes.  False, text unchanged, for a null
// argument or when the result and its terminator do not fit.
bool InsertAtSized(char *text, dword textSize, int charPos, const char *insertText);

// Removes nrChars characters from character charPos on (fewer at the end);
// nothing for a null or empty text, nrChars <= 0 or charPos past the end.
void DeleteAt(char *text, int charPos, int nrChars);

// Replaces every find in text by replace, in place.  When replace is longer,
// text must hold strlen(text) + (strlen(replace) - strlen(find)) x
// occurrences + 1 bytes (no size is passed: use StrReplaceSized).  False for
// a null argument, an empty text or find, when find does not occur or when
// memory for the grown text is short (text unchanged).
bool StrReplace(char *text, const char *find, const char *replace);

// StrReplace in text of textSize bytes.  Also false, text unchanged, when the
// result and its terminator do not fit or text is not terminated within textSize.
bool StrReplaceSized(char *text, dword textSize, const char *find, const char *replace);

// First occurrence of find in text ignoring ASCII case, both behind their
// selector bytes; a pointer into text, null when absent, for a null argument
// or an empty find.
char *stricstr(const char *text, const char *find);

// True when the character at c passes every rule of ruleMask (LC_...); false
// for a null c.
bool isLegalChar(const byte *c, dword ruleMask);

// Copies text into result (resultSize bytes) without the characters that
// ruleMask forbids, cut after 126 bytes; empty when text is null, empty or does
// not fit resultSize.  Returns result.
char *ValidFileName(const char *text, dword ruleMask, char *result, dword resultSize);

// ValidFileName in place, for a text of any length (cut after 126 bytes as
// well).  Nothing for a null text.
void MakeValidFileName(char *text, dword ruleMask);

// Two-letter language code of a firmware OSD language number (0 to 19), a
// constant string; null for other numbers.
const char *iso639_1(int osdLanguage);

/* ---- language strings and INI files ---- */
typedef enum {
  INI_NotFound = 0,
  INI_NewFile = 1,
  INI_CurrentDir = 2,
  INI_AppSettingsDir = 3,
  INI_SettingsDir = 4,
  INI_ProgramFilesDir = 5
} INILOCATION;

extern char *LangStrings;
extern dword *LangStringPtr;
extern dword LangNrStrings;
extern char *INIBuffer;
extern dword BufferSize;
extern char *INICommentBuffer;

// Loads texts 0 .. nrStrings - 1 of the OSD language (or of fallbackLang when
// missing; -1 none) from langFile, looked up as INILocateFile does; an open INI
// file of the caller is kept.  INI_NotFound when nothing was loaded.
INILOCATION LangLoadStrings(const char *langFile, dword nrStrings, int fallbackLang, const char *appName);

// LangLoadStrings from langSize bytes of language data at langData (a copy
// of a language file held in memory), for when the file cannot be had.  False
// when nothing was loaded (null data, no code for the menu language, no memory).
bool LangLoadStringsFromMemory(const char *langData, dword langSize, dword nrStrings, int fallbackLang);

// Text number stringNr of the loaded language, owned by the library (until
// LangUnloadStrings); an empty text when none is loaded or the number is too big.
char *LangGetString(dword stringNr);

// Frees the loaded texts; safe when none are loaded.
void LangUnloadStrings(void);

// Where fileName lies: the current folder, else the last of /ProgramFiles,
// /ProgramFiles/Settings, /ProgramFiles/Settings/<appName> that has it; changes
// into that folder.  INI_NotFound for a null name or no hit.
INILOCATION INILocateFile(const char *fileName, const char *appName);

// Locates fileName and holds it in INIBuffer (TAP_MemAlloc; INICloseFile frees
// it); an empty buffer and INI_NewFile when the file is missing.  One file at a
// time: a file still open is closed first.
INILOCATION INIOpenFile(const char *fileName, const char *appName);

// Value of key (up to 78 characters) in the open file into value (maxLength
// bytes, terminated, cut), or defaultValue when the key is missing.  False (value
// untouched) for a null argument or maxLength 0.
bool INIGetString(const char *key, char *value, const char *defaultValue, dword maxLength);

// Points *start at the first occurrence of key in the open file (ignoring case,
// not behind '#' or ';') and *end at the last byte of its line, at most
// maxEntrylen bytes on; both inside INIBuffer, null when missing.
void INIFindStartEnd(const char *key, char **start, char **end, dword maxEntrylen);

// Frees INIBuffer and the comment buffer; safe when nothing is open.
void INICloseFile(void);

/* ======================================================================
 * osd/ and diag/ OSD parts - checked OSD calls, fonts, text and toolkit
 * (declared by the screen modules)
 * ====================================================================== */
/* Legacy 8-bit font compiled into a program (191 glyphs: 0x20-0x7E, 0xA0-0xFF). */
typedef struct {
  dword Width;
  dword Height;
  dword BitmapIndex; /* byte offset of the glyph's bitmap in pFontData */
} tFontDef;
typedef struct {
  const byte *pFontData;
  tFontDef FontDef[191];
} tFontData;
extern const byte Calibri_VPD_12_Bitmap[];
extern tFontData Calibri_VPD_12_FontData;

/* ---- checked OSD calls, OSD map readers, emergency message window ---- */
extern dword kal_rgn; /* region of the message window on screen, 0 = none */

// Region numbers the firmware's OSD map has entries for: the firmware hands
// out numbers below it.
#define KALIB_OSD_MAP_ENTRIES 1024

// Width and height of an OSD region from the firmware's OSD map (0 when the
// region is closed, the map is unknown or the number lies outside the map,
// KALIB_OSD_MAP_ENTRIES and above).
word GetOSDRegionWidth(word OSDRgn);
word GetOSDRegionHeight(word OSDRgn);

// True when the OSD map gives the region a width and a height.
bool isOSDRegionAlive(word OSDRgn);

// TAP_Osd_Create, TAP_Osd_FillBox and TAP_Osd_Copy, made exactly as asked and
// returning the firmware's result; with a non-null Location each coordinate
// outside the screen or region is reported to Kalib.log and the console first.
int TAP_Osd_Create_Chk(const char *Location, dword x, dword y, dword w, dword h, byte lutIdx, int flag);
int TAP_Osd_FillBox_Chk(const char *Location, word rgn, dword x, dword y, dword w, dword h, dword color);
int TAP_Osd_Copy_Chk(const char *Location, word srcRgnNum, word dstRgnNum, dword srcX, dword srcY, dword w,
                     dword h, dword dstX, dword dstY, bool sprite);

// The emergency window: content is a null-terminated list, title first, then
// the lines that fit the screen; centred on an axis whose position is off
// screen.  With a delay, waits that many ticks and removes it; with 0 it stays
// until EndMessageWin.  Nothing for null content.
void ShowMessageWindow(char **content, dword pos_x, dword pos_y, byte fntSize, byte align, dword bdcolor,
                       dword titlecolor, dword msgcolor, dword bgcolor, dword delay);

// ShowMessageWindow centred with the standard colours, a title and up to two
// lines (null lines are left out).
void ShowMessageWin(const char *title, const char *lpMessage1, const char *lpMessage2, dword delay);

// Removes the emergency window when one is shown and syncs the OSD.
void EndMessageWin(void);

/* ---- Unicode fonts (UFNT files) and glyph cache ---- */
#define FMUC_FONT_FOLDER "/mnt/hd/ProgramFiles/Settings/Fonts/"

typedef struct {
  dword Unicode;
  dword Offset; /* absolute file offset of the bitmap */
  word Width;
  word Height;
} tUCGlyphDef;

typedef struct {
  dword Unicode;
  byte *Bitmap; /* Width x Height coverage bytes */
  word Width;
  word Height;
} tUCGlyph;

typedef struct {
  int FileHandle; /* 0 when not loaded, -1 after a failed open */
  dword GlyphCount;
  tUCGlyphDef *GlyphDefs;
  dword CacheCount;
  tUCGlyph *GlyphCache; /* room for GlyphCount entries */
} tUCFont;

// Memory of the font manager: TAP_MemAlloc / TAP_MemFree (Requester only names
// the caller); FMUC_ReserveMemory returns null when memory is short,
// FMUC_FreeMemory ignores null.
void *FMUC_ReserveMemory(const char *Requester, dword size);
void FMUC_FreeMemory(const char *Requester, void *Pointer);

// Loads a UFNT font from FMUC_FONT_FOLDER (only the file name of
// FontFileName counts) into *FontData, which is reset first: free a loaded font
// before.  False for a null or empty name, a missing or broken file, no memory.
bool FMUC_LoadFontFile(const char *FontFileName, tUCFont *FontData);

// Frees the font's glyph cache and directory, closes its file and zeroes the
// record; nothing for null.
void FMUC_FreeFontFile(tUCFont *FontData);

// Glyph of the UTF-8 character at UTF8Character, loaded into the font's cache
// (owned by the font); its byte length into *BytesPerChar (may be null).  Null
// for null or empty input, control characters, an unloaded font or a missing glyph.
tUCGlyph *FMUC_GetGlyphData(tUCFont *FontData, const byte *UTF8Character, byte *BytesPerChar);

// Width (sum of advances, marks excluded) and height (tallest glyph) of a
// UTF-8 text in the font; 0 for a null or empty text or a null font.
dword FMUC_GetStringWidth(const char *Text, tUCFont *FontData);
dword FMUC_GetStringHeight(const char *Text, tUCFont *FontData);

// True for code points drawn over the previous character (combining marks,
// Thai vowel and tone marks, spacing accents).
bool FMUC_IsDiacriticalMark(dword Unicode);

// Start of the UTF-8 character holding the byte at p: walks back over at
// most three continuation bytes (p itself when no lead byte is that near), so
// the text must begin with a start byte: use FMUC_FindUTF8StartIn when it may
// not.  Null for null.
char *FMUC_FindUTF8Start(const char *p);

// FMUC_FindUTF8Start that never walks back before Text, the first byte of the
// text p points into: a continuation byte without its lead byte in the text
// is a character of its own (p).  Null for a null argument or p before Text.
char *FMUC_FindUTF8StartIn(const char *Text, const char *p);

// Start of the UTF-8 character after the one at p; p itself when it points
// at the terminator.  Null for null.
char *FMUC_FindNextUTF8(const char *p);

/* ---- anti-aliased text ---- */
extern byte AlphaLUT[256][3]; /* red, green, blue of fg over bg per coverage */

// Draws one line of text into rgn from x to maxX with the font (Unicode: UTF-8
// or ISO 8859; legacy: 8 bit), shortened with "..." (bDot 1 end, 2 front) or
// cut when too wide; align 0 left, 1 centre, 2 right.  Nothing for a null or
// empty text, a null font or x >= maxX.
void FMUC_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                      tUCFont *FontData, byte bDot, byte align, float AntiAliasFactor);
void FM_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                    const tFontData *FontData, byte bDot, byte align, float AntiAliasFactor);

// FM_PutStringAA without extra anti-aliasing (factor 1).
void FM_PutString(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                  const tFontData *FontData, byte bDot, byte align);

// Blend of foreground over background by coverage Alpha (0 background, 255
// foreground), for one channel or for the red, green and blue of a colour.
byte FM_AlphaBlend(byte Alpha, byte FG, byte BG, float AntiAliasFactor);
dword FM_AlphaBlendRGB(byte Alpha, dword FG, dword BG, float AntiAliasFactor);

// Fills AlphaLUT with the blends of fgColor over bgColor for coverage 0 to 254.
void FM_InitAlphaLUT(dword fgColor, dword bgColor, float AntiAliasFactor);

// Width (sum) and height (tallest) of a text in a legacy font; characters
// outside the font count 0; 0 for a null or empty text or a null font.
dword FM_GetStringWidth(const char *Text, const tFontData *FontData);
dword FM_GetStringHeight(const char *Text, const tFontData *FontData);

// Index of a character in a legacy font's 191 glyphs; 0 for characters the
// font lacks (FM_isValidCharacter false: below 0x20, 0x7F to 0x9F).
byte FM_CharToIndex(byte c);
bool FM_isValidCharacter(byte c);

/* KALIB_TOOLKIT_DECLARATIONS (message box, info box, wait spinner, menu list, colour picker) */

/* Region handles of the toolkit's widgets, 0 while closed.  OSDRgn (menu
 * list), ColorPickerOSDRgn and ProgressBarOSDRgn belong to widgets of their
 * own; every widget tests all of them before it hands the screen back to the
 * firmware or frees the standard fonts. */
extern word OSDRgn;
extern word InfoBoxOSDRgn;
extern word MessageBoxOSDRgn;
extern word ColorPickerOSDRgn;
extern word ProgressBarOSDRgn;
extern word WaitSpinnerRgn;
extern word MyOSDRgn; /* client region whose pixels under a box are kept */

/* Pixels saved from under the message box or the info box. */
extern byte *InfoBoxSaveArea;
extern int InfoBoxSaveAreaX;
extern int InfoBoxSaveAreaY;

extern dword LastUnprocessedOSDMenuKey;

/* The seven standard fonts ("Calibri_<size>.ufnt"). */
extern tUCFont OSDMenuFont_10;
extern tUCFont OSDMenuFont_12;
extern tUCFont OSDMenuFont_14;
extern tUCFont OSDMenuFont_16;
extern tUCFont OSDMenuFont_18;
extern tUCFont OSDMenuFont_20;
extern tUCFont OSDMenuFont_20B;

// Loads the seven standard fonts not yet loaded (a failed one is not retried
// until freed); the free call does nothing while a toolkit region is open.
void OSDMenuLoadStdFonts(void);
void OSDMenuFreeStdFonts(void);

// FMUC_PutStringAA with a standard font by size (10, 12, 14, 16, 20), y being
// the top of the letters; nothing for other sizes.
void OSDMenuPutS(word rgn, dword x, dword y, dword maxX, const char *str, dword fgColor, dword bgColor,
                 byte fontSize, byte bDot, byte align);

/* ---- message box ---- */
#define MESSAGEBOX_MAX_BUTTONS 5
#define MESSAGEBOX_CANCELLED 0xFFFFFFFFu
typedef struct {
  dword NrButtons;
  dword CurrentButton; /* highlighted button; the answer once closed */
  char ButtonText[MESSAGEBOX_MAX_BUTTONS][256];
  char Title[256];
  char Text[256]; /* CR and LF separate lines */
} tMessageBox;

extern tMessageBox MessageBox;
extern bool MessageBoxAllowScrollOver;
extern bool MessageBoxNoNormalMode;

// Prepares the message box: closes an open info or message box, loads the
// standard fonts, takes title and text (cut at 255 bytes; null counts empty) and
// clears the buttons.  Draws nothing.
void OSDMenuMessageBoxInitialize(const char *title, const char *text);

// Adds a button (caption cut at 255 bytes, null empty); ignored beyond
// MESSAGEBOX_MAX_BUTTONS.
void OSDMenuMessageBoxButtonAdd(const char *text);

// Highlights a button (redraws an open box); ignored for a number outside the buttons.
void OSDMenuMessageBoxButtonSelect(dword selectedButton);

// Opens (or redraws) the box; nothing without buttons.  Keys reach it through
// OSDMenuEvent, which closes it on OK or cancel.
void OSDMenuMessageBoxShow(void);

// True while the box is open.
bool OSDMenuMessageBoxIsVisible(void);

// The highlighted button; once closed the answer, MESSAGEBOX_CANCELLED after cancel.
dword OSDMenuMessageBoxLastButton(void);

// Closes the box and restores the pixels under it; Destroy also syncs and
// hands the screen back to the firmware when no toolkit region is left open.
void OSDMenuMessageBoxDestroy(void);
void OSDMenuMessageBoxDestroyNoOSDUpdate(void);

/* ---- info box and wait spinner ---- */
extern dword InfoBoxTimeOut; /* tick after which the box closes, 0xFFFFFFFF never */
extern int WaitSpinnerIndex;
extern dword WaitSpinnerTimeout;

// Shows (or redraws) the info box with title and text (null counts empty),
// closing an open message box; closes by itself after timeout ticks (0 never).
void OSDMenuInfoBoxShow(const char *title, const char *text, dword timeout);

// Closes the box and its spinner and restores the pixels under it; Destroy also
// syncs and hands the screen back when no toolkit region is left open.
void OSDMenuInfoBoxDestroy(void);
void OSDMenuInfoBoxDestroyNoOSDUpdate(void);

// Prepares the spinner inside the open info box; false without an open box or
// when the frame region cannot be made.
bool OSDMenuWaitSpinnerInit(void);

// Shows the next spinner frame, at most every 100 ms; call on idle events.
void OSDMenuWaitSpinnerIdle(void);

/* ---- menu list ---- */
// Five nesting levels of up to 30 items and 20 button hints each; the
// operations work on Menu[CurrentMenuLevel] and do nothing (or return -1 or
// FALSE) while CurrentMenuLevel lies outside 0 to 4.
#define MENU_LEVELS 5
#define MENU_MAX_ITEMS 30
#define MENU_MAX_BUTTONS 20
#define MENU_VISIBLE_ROWS 10
#define MENU_ITEM_TEXT_BYTES 128
#define MENU_TEXT_BYTES 256

// Cursor styles (MenuCursorType).
typedef enum { CT_Standard = 0, CT_Dark = 1, CT_Box = 2 } tCursorType;
// Display modes (tMenuLevel.DisplayMode): the item list, or the item texts as
// plain scrolling lines.
typedef enum { MD_List = 0, MD_Memo = 1 } tMenuDisplayMode;
// Part codes handed to CallbackProcedure after a part of the menu was drawn.
typedef enum { MP_Title = 0, MP_List = 1, MP_Buttons = 2, MP_Logo = 3 } tMenuPart;

typedef struct {
  char Text[MENU_ITEM_TEXT_BYTES];
  char Value[MENU_ITEM_TEXT_BYTES];
  const TYPE_GrData *Icon;       // before the text, or null
  const TYPE_GrData *ValueIcon;  // in the value column, or null
  dword ColorPatch;              // 50 x 18 patch in the value column; 0 = none
  dword TextColor;               // text, number and value
  bool Selectable;               // unselectable items are drawn grey
  bool ValueArrows;              // left/right arrows on the cursor row
  dword Spare;
  int Number;  // shown number; negative: the index plus 1
} tMenuItem;

typedef struct {
  int X, Y;
  const TYPE_GrData *Graphic;  // the key symbol
  dword Color;                 // caption colour
  char Text[MENU_TEXT_BYTES];
} tMenuButton;

typedef struct {
  tMenuItem *Items;  // MaxItems entries from TAP_MemAlloc, null when none
  int NrItems;
  int MaxItems;
  int CurrentItem;  // cursor item; in memo mode the first line shown
  int TopItem;      // item in the first visible row
  bool UserFlag;
  bool ValueColumn;
  int ValueColumnX;
  bool WrapAround;
  bool ShowNumbers;
  bool ClientLeftRight;  // left/right go to the client instead of paging
  tMenuButton Buttons[MENU_MAX_BUTTONS];
  int NrButtons;
  int Preset[4];
  char Title[MENU_TEXT_BYTES];
  char SubTitle[MENU_TEXT_BYTES];
  int LogoX, LogoY;
  const TYPE_GrData *Logo;
  int DisplayMode;  // MD_List or MD_Memo
  tUCFont *TitleFont, *SubTitleFont, *NumberFont, *ItemFont, *ValueFont, *ButtonFont, *MemoFont;
} tMenuLevel;

typedef void (*tMenuCallback)(dword PartCode, word OSDRgn);

extern tMenuLevel Menu[MENU_LEVELS];
extern int CurrentMenuLevel;
extern word OSDMenuSelectionBarRgn;  // off-screen 100 x 34 cursor tile
extern int OSDMenuLastCursor;        // tile held: 0 normal, 1 dark, 2 none
extern int MenuCursorType;           // CT_Standard, CT_Dark or CT_Box
extern tMenuCallback CallbackProcedure;
extern dword ButtonColor;  // caption colour of the buttons added next
extern bool OSDDirty, TitleDirty, LogoDirty, ButtonsDirty, ListDirty;

// Resets the current level (its old item array is freed, a new one of 30
// zeroed items allocated), deletes an open menu region and loads the
// standard fonts.  Draws nothing.  Null titles count as empty; longer ones
// are cut at 255 bytes.
void OSDMenuInitialize(bool UserFlag, bool ValueColumn, bool ShowNumbers, bool WrapAround, const char *Title,
                       const char *SubTitle);
// Opens the full-screen menu region if needed and draws the parts marked
// dirty, then clears their flags; syncs the OSD unless NoSync.
void OSDMenuUpdate(bool NoSync);
// Closes the menu: deletes its region and the cursor tile, frees the item
// arrays of all levels and returns to level 0.  OSDMenuDestroy also syncs,
// gives the screen back to the firmware when no other toolkit region is
// open and frees the standard fonts then; the NoOSDUpdate variant only closes.
void OSDMenuDestroy(void);
void OSDMenuDestroyNoOSDUpdate(void);

// Appends an item (texts cut at 127 bytes; null counts as empty) with
// TextColor 0xFFE6E6FA, no icons, no patch, Number -1.  Returns its index,
// or -1 when the level is full (30 items) or has no item array.
int OSDMenuItemAdd(const char *Text, const char *Value, const TYPE_GrData *Icon, const TYPE_GrData *ValueIcon,
                   bool Selectable, bool ValueArrows, dword Spare);
// Change one item of the current level; FALSE for an index outside
// 0 .. NrItems - 1 (nothing changes then).  Texts are cut at 127 bytes.
bool OSDMenuItemSetText(int Item, const char *Text);
bool OSDMenuItemSetValue(int Item, const char *Value);
bool OSDMenuItemSetIcons(int Item, const TYPE_GrData *Icon, const TYPE_GrData *ValueIcon);
bool OSDMenuItemSetColorPatch(int Item, dword Color);
bool OSDMenuItemSetTextColor(int Item, dword Color);
bool OSDMenuItemSetNumber(int Item, int Number);
bool OSDMenuItemSetSelectable(int Item, bool Selectable);
// Removes all items of the current level (the array stays).
void OSDMenuItemsClear(void);

// Appends a button hint on hint line 0 to 2 (below the menu), after the
// buttons already on that line, caption in ButtonColor (cut at 255 bytes).
// Returns its index, or -1 for a null graphic, a line outside 0 to 2 or a
// 21st button.
int OSDMenuButtonAdd(dword Line, const TYPE_GrData *Graphic, const char *Text);
void OSDMenuButtonsClear(void);

// Settings of the current level or of the menu; each marks what it changes
// for the next OSDMenuUpdate.  Invalid values are refused (FALSE).
void OSDMenuSetLogo(int X, int Y, const TYPE_GrData *Logo);  // null removes it
void OSDMenuSetCallback(tMenuCallback Callback);             // null: none
bool OSDMenuSetCursorType(int CursorType);                   // CT_Standard, CT_Dark, CT_Box
void OSDMenuSetClientLeftRight(bool ClientLeftRight);
bool OSDMenuSetDisplayMode(int DisplayMode);  // MD_List or MD_Memo
bool OSDMenuSetMenuLevel(int Level);          // 0 to 4; the whole menu is redrawn
int OSDMenuGetMenuLevel(void);
// Puts the cursor on an item (also an unselectable one); FALSE outside the list.
bool OSDMenuSetCurrentItem(int Item);
// CurrentItem of the current level; -1 without a valid level.
int OSDMenuGetCurrentItem(void);

// Cursor movement: the new CurrentItem, or -1 when nothing changed.  They
// mark the list dirty but do not draw.
int OSDMenuScrollUp(void);
int OSDMenuScrollDown(void);
int OSDMenuScrollPageUp(void);
int OSDMenuScrollPageDown(void);
// The next or previous selectable item from Start (not Start itself),
// wrapping when the level has WrapAround; -1 when there is none.
int OSDMenuFindNextSelectableEntry(int Start);
int OSDMenuFindPreviousSelectableEntry(int Start);

// Drawing steps of OSDMenuUpdate, into OSDRgn.
void OSDDrawBackground(void);
void OSDDrawTitle(void);
void OSDDrawLogo(void);
void OSDDrawButtons(void);
void OSDCalcIndices(void);
void OSDDrawScrollBar(void);
void OSDDrawList(void);
void OSDDrawMemo(void);
void OSDMenuDrawCursor(dword x, dword y, dword w);  // 34 pixels high, MenuCursorType

/* ---- colour picker ---- */
extern dword ColorPickerColor;         // red bits 16-23, green 8-15, blue 0-7
extern dword ColorPickerDefaultColor;  // restored by cancel
extern int CurrentColorSelected;       // 0 red, 1 green, 2 blue
extern int ColorPickerLastCursorRed, ColorPickerLastCursorGreen, ColorPickerLastCursorBlue;

// Opens the picker centred on the screen (or redraws an open one) with a
// title (cut to the panel) and the colour to edit; red is selected.  The
// keys reach it through OSDMenuEvent; after it closed ColorPickerColor holds
// the result (the given colour again after a cancel).
void OSDMenuColorPickerShow(const char *Title, dword Color);
// Redraws one component's slider cursor and value and the preview; no sync.
void OSDMenuColorPickerDrawCursor(int Component, bool Selected);
void OSDMenuColorPickerDestroy(void);

/* ---- the toolkit's event entry ---- */
// Hands an event to the open widget (info box, message box, colour picker,
// menu list, in that order).  A key acted on is consumed: *param1 becomes 0
// and the result is TRUE.  A key not acted on stays in *param1 and in
// LastUnprocessedOSDMenuKey; the result is TRUE for the boxes and the
// picker, FALSE for the menu list.  FALSE when no widget is open.
bool OSDMenuEvent(word *event, dword *param1, dword *param2);

#ifdef __cplusplus
}
#endif

#endif /* KALIB_H */
