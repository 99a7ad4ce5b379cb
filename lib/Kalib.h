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
void *TryResolve(const char *name);

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

dword ApplHdd_SaveWorkFolder(void);
dword ApplHdd_RestoreWorkFolder(void);
int ApplHdd_SelectFolder(void *folderRecord, const char *folder);
dword ApplHdd_SetWorkFolder(void *folderRecord);
dword Appl_ExecProgram(char *fileName);

extern int TAP_TableIndex;      /* this TAP's task slot, -1 until known */
extern void *kal_parametered_tap; /* attached hand-over segment or null */

byte *GetMacAddress(void);
int HDD_TAP_GetCurrentDir(char *currentDir);
bool HDD_GetAbsolutePathByTypeFile(TYPE_File *file, char *absFileName);
bool HDD_TAP_GetFileNameByIndex(int index, char **tapFileName);
void *HDD_TAP_GetStartParameter(void);
int NoAutoStartTAP(void);
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

bool HDD_TAP_GetInfo(const char *fileName, tTAPInfo *info);
bool ELFOpenFile(const char *fileName);
bool ELFReadELFHeader(void);
bool ELFReadSectionHeaders(void);
bool ELFReadShstrtabSection(void);
dword ELFGetSectionIndex(const char *sectionName);
bool ELFReadDWORD(dword sectionIndex, dword *data);
bool ELFReadData(dword sectionIndex, byte *data);
void ELFCleanup(void);

/* ---- TAP task control ---- */
dword HDD_TAP_GetIDByIndex(dword taskIndex);
int HDD_TAP_GetIndexByID(dword tapId);
bool HDD_TAP_isRunning(dword tapId);
dword HDD_TAP_SendEvent(dword tapId, bool allowEventInterception, word event, dword param1, dword param2);
void HDD_TAP_Terminate(dword tapId);
bool HDD_TAP_Start(const char *tapFileName, bool batchMode, void *parameterBlock, dword *tapId);

/* ---- paths and working directory ---- */
typedef enum { PK_FileName = 0, PK_TapFolder = 1, PK_LinuxFolder = 2, PK_TapFile = 3, PK_LinuxFile = 4 } tPathKind;

#define KALIB_PATH_MAX 512 /* path buffers: 511 characters and the terminator */

tPathKind GetPathType(const char *path);
void ConvertPathType(const char *source, char *dest, tPathKind destKind);
bool StringEndsWith(const char *text, const char *suffix);
bool HDD_ChangeDir(const char *dir);
bool HDD_TAP_PushDir(void);
bool HDD_TAP_PopDir(void);
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

void LogEntry(const char *fileName, const char *programName, bool console, tTimeStampStyle timeStampStyle, const char *text);
void LogEntryKalibPrintf(bool console, const char *format, ...) __attribute__((format(printf, 2, 3)));
void PrintNet(const char *text);
dword Now(byte *sec);
char *TimeFormat(dword dateTime, byte sec, tTimeStampStyle style, char *result);
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

void CallTraceInit(void);
void CallTraceResetStats(void);
void CallTraceEnable(bool enable);
void CallTraceEnter(const char *procName);
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

const char *SkipCharTableBytes(const char *text);
bool StrToUTF8(const char *source, char *dest, byte defaultISO8859CharSet);
void StrToISO(const char *source, char *dest);
void StrToISOAlloc(const char *source, char **dest);
dword UTF8ToUTF32(const byte *utf8Char, byte *bytesPerChar);
void UTF32ToUTF8(dword unicode, byte *utf8Char, byte *bytesPerChar);
bool isUTF8Char(const byte *p, byte *bytesPerChar);
void GetStringEncoding(const char *text, bool *hasAnsiChars, bool *hasUTFChars);
int strlenUC(const char *text);
char *strncpyUC(char *dest, const char *source, size_t n);
bool isUTFToppy(void);
void UpperCase(char *text);

/* ---- string list ---- */
typedef struct {
  dword DBSize;
  char *DB;
  char *DBPtr;
  char *DBEnd;
} tStringDB;

bool StringDBInit(tStringDB *stringDB, dword initialSize);
dword StringDBAdd(tStringDB *stringDB, const char *text);
bool StringDBEOF(tStringDB *stringDB);
dword StringDBCurrent(tStringDB *stringDB);
char *StringDBGet(tStringDB *stringDB, dword offset);
dword StringDBNext(tStringDB *stringDB);
bool StringDBDestroy(tStringDB *stringDB);

/* ---- string editing helpers ---- */
#define LC_ControlChars 1
#define LC_LineFeeds 2
#define LC_FileSystemChars 4
#define LC_PrintableASCII 8

char *GetUCPos(const char *text, int charPos);
void InsertAt(char *text, int charPos, const char *insertText);
void DeleteAt(char *text, int charPos, int nrChars);
bool StrReplace(char *text, const char *find, const char *replace);
char *stricstr(const char *text, const char *find);
bool isLegalChar(const byte *c, dword ruleMask);
char *ValidFileName(const char *text, dword ruleMask, char *result, dword resultSize);
void MakeValidFileName(char *text, dword ruleMask);
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

INILOCATION LangLoadStrings(const char *langFile, dword nrStrings, int fallbackLang, const char *appName);
char *LangGetString(dword stringNr);
void LangUnloadStrings(void);
INILOCATION INILocateFile(const char *fileName, const char *appName);
INILOCATION INIOpenFile(const char *fileName, const char *appName);
bool INIGetString(const char *key, char *value, const char *defaultValue, dword maxLength);
void INIFindStartEnd(const char *key, char **start, char **end, dword maxEntrylen);
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

word GetOSDRegionWidth(word OSDRgn);
word GetOSDRegionHeight(word OSDRgn);
bool isOSDRegionAlive(word OSDRgn);
int TAP_Osd_Create_Chk(const char *Location, dword x, dword y, dword w, dword h, byte lutIdx, int flag);
int TAP_Osd_FillBox_Chk(const char *Location, word rgn, dword x, dword y, dword w, dword h, dword color);
int TAP_Osd_Copy_Chk(const char *Location, word srcRgnNum, word dstRgnNum, dword srcX, dword srcY, dword w,
                     dword h, dword dstX, dword dstY, bool sprite);
void ShowMessageWindow(char **content, dword pos_x, dword pos_y, byte fntSize, byte align, dword bdcolor,
                       dword titlecolor, dword msgcolor, dword bgcolor, dword delay);
void ShowMessageWin(const char *title, const char *lpMessage1, const char *lpMessage2, dword delay);
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

void *FMUC_ReserveMemory(const char *Requester, dword size);
void FMUC_FreeMemory(const char *Requester, void *Pointer);
bool FMUC_LoadFontFile(const char *FontFileName, tUCFont *FontData);
void FMUC_FreeFontFile(tUCFont *FontData);
tUCGlyph *FMUC_GetGlyphData(tUCFont *FontData, const byte *UTF8Character, byte *BytesPerChar);
dword FMUC_GetStringWidth(const char *Text, tUCFont *FontData);
dword FMUC_GetStringHeight(const char *Text, tUCFont *FontData);
bool FMUC_IsDiacriticalMark(dword Unicode);
char *FMUC_FindUTF8Start(const char *p);
char *FMUC_FindNextUTF8(const char *p);

/* ---- anti-aliased text ---- */
extern byte AlphaLUT[256][3]; /* red, green, blue of fg over bg per coverage */

void FMUC_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                      tUCFont *FontData, byte bDot, byte align, float AntiAliasFactor);
void FM_PutStringAA(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                    const tFontData *FontData, byte bDot, byte align, float AntiAliasFactor);
void FM_PutString(word rgn, dword x, dword y, dword maxX, const char *str, dword fcolor, dword bcolor,
                  const tFontData *FontData, byte bDot, byte align);
byte FM_AlphaBlend(byte Alpha, byte FG, byte BG, float AntiAliasFactor);
dword FM_AlphaBlendRGB(byte Alpha, dword FG, dword BG, float AntiAliasFactor);
void FM_InitAlphaLUT(dword fgColor, dword bgColor, float AntiAliasFactor);
dword FM_GetStringWidth(const char *Text, const tFontData *FontData);
dword FM_GetStringHeight(const char *Text, const tFontData *FontData);
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

void OSDMenuLoadStdFonts(void);
void OSDMenuFreeStdFonts(void);
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

void OSDMenuMessageBoxInitialize(const char *title, const char *text);
void OSDMenuMessageBoxButtonAdd(const char *text);
void OSDMenuMessageBoxButtonSelect(dword selectedButton);
void OSDMenuMessageBoxShow(void);
bool OSDMenuMessageBoxIsVisible(void);
dword OSDMenuMessageBoxLastButton(void);
void OSDMenuMessageBoxDestroy(void);
void OSDMenuMessageBoxDestroyNoOSDUpdate(void);

/* ---- info box and wait spinner ---- */
extern dword InfoBoxTimeOut; /* tick after which the box closes, 0xFFFFFFFF never */
extern int WaitSpinnerIndex;
extern dword WaitSpinnerTimeout;

void OSDMenuInfoBoxShow(const char *title, const char *text, dword timeout);
void OSDMenuInfoBoxDestroy(void);
void OSDMenuInfoBoxDestroyNoOSDUpdate(void);
bool OSDMenuWaitSpinnerInit(void);
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
  const TYPE_GrData *Icon;      // before the text, or null
  const TYPE_GrData *ValueIcon; // in the value column, or null
  dword ColorPatch;             // 50 x 18 patch in the value column; 0 = none
  dword TextColor;              // text, number and value
  bool Selectable;              // unselectable items are drawn grey
  bool ValueArrows;             // left/right arrows on the cursor row
  dword Spare;
  int Number; // shown number; negative: the index plus 1
} tMenuItem;

typedef struct {
  int X, Y;
  const TYPE_GrData *Graphic; // the key symbol
  dword Color;                // caption colour
  char Text[MENU_TEXT_BYTES];
} tMenuButton;

typedef struct {
  tMenuItem *Items; // MaxItems entries from TAP_MemAlloc, null when none
  int NrItems;
  int MaxItems;
  int CurrentItem; // cursor item; in memo mode the first line shown
  int TopItem;     // item in the first visible row
  bool UserFlag;
  bool ValueColumn;
  int ValueColumnX;
  bool WrapAround;
  bool ShowNumbers;
  bool ClientLeftRight; // left/right go to the client instead of paging
  tMenuButton Buttons[MENU_MAX_BUTTONS];
  int NrButtons;
  int Preset[4];
  char Title[MENU_TEXT_BYTES];
  char SubTitle[MENU_TEXT_BYTES];
  int LogoX, LogoY;
  const TYPE_GrData *Logo;
  int DisplayMode; // MD_List or MD_Memo
  tUCFont *TitleFont, *SubTitleFont, *NumberFont, *ItemFont, *ValueFont, *ButtonFont, *MemoFont;
} tMenuLevel;

typedef void (*tMenuCallback)(dword PartCode, word OSDRgn);

extern tMenuLevel Menu[MENU_LEVELS];
extern int CurrentMenuLevel;
extern word OSDMenuSelectionBarRgn; // off-screen 100 x 34 cursor tile
extern int OSDMenuLastCursor;       // tile held: 0 normal, 1 dark, 2 none
extern int MenuCursorType;          // CT_Standard, CT_Dark or CT_Box
extern tMenuCallback CallbackProcedure;
extern dword ButtonColor; // caption colour of the buttons added next
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
void OSDMenuSetLogo(int X, int Y, const TYPE_GrData *Logo); // null removes it
void OSDMenuSetCallback(tMenuCallback Callback);            // null: none
bool OSDMenuSetCursorType(int CursorType);                  // CT_Standard, CT_Dark, CT_Box
void OSDMenuSetClientLeftRight(bool ClientLeftRight);
bool OSDMenuSetDisplayMode(int DisplayMode); // MD_List or MD_Memo
bool OSDMenuSetMenuLevel(int Level);         // 0 to 4; the whole menu is redrawn
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
void OSDMenuDrawCursor(dword x, dword y, dword w); // 34 pixels high, MenuCursorType

/* ---- colour picker ---- */
extern dword ColorPickerColor;        // red bits 16-23, green 8-15, blue 0-7
extern dword ColorPickerDefaultColor; // restored by cancel
extern int CurrentColorSelected;      // 0 red, 1 green, 2 blue
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
