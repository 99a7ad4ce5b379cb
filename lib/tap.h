// tap.h - the firmware's TAP API as a TAP sees it.
//
// This is our own description of the firmware interface of the Topfield TMS
// video recorder: the basic types, the records the firmware shares with a TAP,
// the published TAP API and the firmware-internal memory formats that the
// support library reads.  On the box every function below is left undefined
// and bound by the firmware's loader; on a PC pvrsim defines them.
//
// All records have fixed layouts (32-bit pointers, little-endian); the
// static_asserts at the end check them on every target.
#ifndef KALIB_TAP_H
#define KALIB_TAP_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- basic types ------------------------------------------------------ */
typedef uint32_t dword;
typedef uint16_t word;
typedef uint8_t byte;
typedef uint64_t int64;
typedef int64_t long64;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* 64-bit fields are 8-aligned on the box (MIPS o32); force the same on x86. */
#define TAP_ALIGN8 __attribute__((aligned(8)))

/* ---- events, keys, time ----------------------------------------------- */
#define EVT_IDLE 0x0000
#define EVT_KEY 0x0100
#define EVT_STOP 0x0900

#define RKEY_0 0x10000
#define RKEY_1 0x10001
#define RKEY_2 0x10002
#define RKEY_3 0x10003
#define RKEY_4 0x10004
#define RKEY_5 0x10005
#define RKEY_6 0x10006
#define RKEY_7 0x10007
#define RKEY_8 0x10008
#define RKEY_9 0x10009
#define RKEY_Recall 0x1000B
#define RKEY_Left 0x1000F
#define RKEY_Up 0x10012
#define RKEY_Right 0x10015
#define RKEY_Exit 0x10017
#define RKEY_Menu 0x1001A
#define RKEY_Down 0x1001D
#define RKEY_Ok 0x1001E
#define RKEY_Green 0x10024
#define RKEY_Blue 0x10026
#define RKEY_Red 0x1003F
/* The transport keys page through lists: rewind and skip back one page up,
 * fast forward and skip forward one page down. */
#define RKEY_Rewind 0x10045
#define RKEY_Forward 0x10046
#define RKEY_JumpStart 0x10047
#define RKEY_JumpEnd 0x10048

/* ---- file records ------------------------------------------------------ */
#define ATTR_FOLDER 0xE0
#define ATTR_NORMAL 0xD0

/* The firmware's open-file record. handle points at a TYPE_FileObject. */
typedef struct {
  dword info;
  dword time;
  long64 size TAP_ALIGN8;
  char name[128];
  void *handle;
} TAP_ALIGN8 TYPE_File;

/* One directory entry as TAP_Hdd_FindFirst/FindNext report it. */
typedef struct {
  dword attr; /* ATTR_FOLDER or ATTR_NORMAL */
  dword info;
  dword time;
  long64 size TAP_ALIGN8;
  char name[128];
} TAP_ALIGN8 TYPE_FolderEntry;

/* Graphic descriptor: compressed ARGB pixels (format 1, compression 2). */
typedef struct {
  byte version;
  byte reserved;
  byte dataFormat;
  byte compessMethod;
  void *data;
  dword dataSize;
  word width;
  word height;
} TYPE_GrData;

/* ---- TAP identity sections --------------------------------------------- */
#define TAP_SECTION(name) __attribute__((section(name), used))

/* Declares the seven identity sections of a TAP file.  Strings are
 * zero-filled to the section's full size by the array initialisers. */
#define TAP_ID(id) TAP_SECTION("._tap_id") dword __tap_ud__ = (id)
#define TAP_PROGRAM_NAME(s) TAP_SECTION("._tap_program_name") char __tap_program_name__[64] = s
#define TAP_PROGRAM_VERSION(s) TAP_SECTION("._tap_program_version") char __tap_program_version__[64] = s
#define TAP_AUTHOR_NAME(s) TAP_SECTION("._tap_author_name") char __tap_author_name__[64] = s
#define TAP_DESCRIPTION(s) TAP_SECTION("._tap_description") char __tap_description__[128] = s
#define TAP_ETCINFO(s) TAP_SECTION("._tap_etcinfo") char __tap_etc_str__[64] = s
#define TAP_HEADER() \
  TAP_SECTION("._tap_header") byte __tap_Header__[32] = {'T', 'F', 'A', 'P', 'M', 'I', 'P', 'S', 16, 0, 0, 0}

/* The TAP's own ID; every TAP defines it with TAP_ID. */
extern dword __tap_ud__;

/* Record filled by __TAP_Init_: the two entry points of a TAP. */
typedef int (*TAP_MainFn)(void);
typedef dword (*TAP_EventHandlerFn)(word event, dword param1, dword param2);
typedef struct {
  TAP_MainFn Main;
  TAP_EventHandlerFn EventHandler;
} TYPE_TapEntryPoints;

/* Called by the firmware's loader to learn a TAP's two entry points. */
int __TAP_Init_(TYPE_TapEntryPoints *entryPoints);

/* Defines __TAP_Init_ for a TAP: stores its main function and its event
 * handler (which may be NULL) in the loader's record. */
#define TAP_ENTRY_POINTS(mainFn, handlerFn)           \
  int __TAP_Init_(TYPE_TapEntryPoints *entryPoints) { \
    if (entryPoints != NULL) {                        \
      entryPoints->Main = (mainFn);                   \
      entryPoints->EventHandler = (handlerFn);        \
    }                                                 \
    return 0;                                         \
  }

/* ---- the published TAP API ------------------------------------------- */
dword TAP_GetSystemId(void);
dword TAP_GetVersion(void);
int TAP_GetSystemVar(int varId); /* 1: OSD language number */
dword TAP_GetTick(void);         /* ticks of 10 ms */
int TAP_GetTime(word *mjd, byte *hour, byte *min, byte *sec);
void TAP_ExtractMjd(word mjd, word *year, byte *month, byte *day, byte *weekDay);
dword TAP_MakeMjd(word year, byte month, byte day);
void TAP_Delay(dword ticks);
void TAP_SystemProc(void);
void TAP_Exit(void);
void TAP_EnterNormal(void);
void TAP_ExitNormal(void);

void *TAP_MemAlloc(dword size);
int TAP_MemFree(const void *addr);
void TAP_MemSet(void *p, byte value, dword count);
void TAP_MemCpy(void *dst, const void *src, dword count);
int TAP_MemCmp(const void *a, const void *b, dword count);
int TAP_SPrint(char *s, const char *fmt, ...) __attribute__((format(printf, 2, 3)));

dword TAP_Hdd_ChangeDir(const char *dir);
bool TAP_Hdd_Exist(const char *name);
int TAP_Hdd_Delete(const char *name);
int TAP_Hdd_Create(const char *name, dword attr);
TYPE_File *TAP_Hdd_Fopen(const char *name);
void TAP_Hdd_Fclose(TYPE_File *file);
dword TAP_Hdd_Fread(void *buf, dword blockSize, dword blocks, TYPE_File *file);
dword TAP_Hdd_Fwrite(const void *buf, dword blockSize, dword blocks, TYPE_File *file);
dword TAP_Hdd_Flen(TYPE_File *file);
dword TAP_Hdd_FindFirst(TYPE_FolderEntry *entry, const char *ext);
dword TAP_Hdd_FindNext(TYPE_FolderEntry *entry);

/* OSD: 720 x 576 pixels of 32-bit ARGB. Region handles are words, 0 = none.
 * TAP_Osd_Create returns a region number (128 or more) or a negative error. */
#define OSD_Flag_MemRgn 0x8000
int TAP_Osd_Create(dword x, dword y, dword w, dword h, byte lutIdx, int flag);
int TAP_Osd_Delete(word rgn);
int TAP_Osd_FillBox(word rgn, dword x, dword y, dword w, dword h, dword color);
int TAP_Osd_DrawRectangle(word rgn, dword x, dword y, dword w, dword h, dword t, dword color);
int TAP_Osd_Draw3dBoxFill(word rgn, dword x, dword y, dword w, dword h, dword c1, dword c2, dword fc);
int TAP_Osd_PutGd(word rgn, int x, int y, const TYPE_GrData *gd, bool sprite);
byte *TAP_Osd_SaveBox(word rgn, dword x, dword y, dword w, dword h);
void TAP_Osd_RestoreBox(word rgn, dword x, dword y, dword w, dword h, const void *data);
int TAP_Osd_Copy(word src, word dst, dword x, dword y, dword w, dword h, dword dx, dword dy, bool sprite);
int TAP_Osd_Sync(void);
int TAP_Osd_PutS(word rgn, dword x, dword y, dword maxX, const char *str, dword fc, dword bc, byte fontType,
                 byte fontSize, byte bDot, byte align);
int TAP_Osd_GetW(const char *str, byte fontType, byte fontSize);

/* ---- firmware internals (not published; found by symbol name) --------- */
#define TAP_MAX_TASKS 16
#define TAP_FILE_OBJECT_MAGIC 0xCDACEDAFu
#define TAP_FOLDER_RECORD_MAGIC 0xBACAED31u
#define TAP_START_PARAM_MAGIC 0xC3A5719Eu
#define TAP_START_PARAM_KEY 86568
#define TAP_BATCH_MODE_KEY 86567

/* The firmware file object behind TYPE_File.handle. */
typedef struct {
  dword magic; /* TAP_FILE_OBJECT_MAGIC when valid */
  dword reserved;
  char *path; /* absolute Linux path */
} TYPE_FileObject;

/* A TAP's directory record (task slot offset 40). */
typedef struct {
  dword reserved;
  char *path; /* current directory, "/mnt/hd..." */
} TYPE_TapDirRecord;

/* One entry of the firmware's task table _tapTask (16 entries). */
typedef struct {
  dword state; /* 1 running, 2 termination requested */
  dword reserved1;
  TYPE_File *file; /* the TAP's own file */
  dword reserved2[2];
  TAP_EventHandlerFn eventHandler;
  dword reserved3[4];
  TYPE_TapDirRecord *dir;
} TYPE_TapTask;

/* Firmware folder record filled by ApplHdd_SelectFolder. */
typedef struct {
  dword magic; /* TAP_FOLDER_RECORD_MAGIC */
  byte data[12];
} TYPE_HddFolder;

/* One entry of the OSD map _osdInfo, indexed by region number. */
typedef struct {
  word x, y, width, height;
  dword reserved[2];
} TYPE_OsdMapEntry;

/* Start-parameter hand-over record (shared memory key 86568). */
typedef struct {
  dword magic;
  dword tapId;
  void *param;
} TYPE_TapStartParameter;

#ifdef __cplusplus
}
#define TAP_STATIC_ASSERT static_assert
#else
#define TAP_STATIC_ASSERT _Static_assert
#endif

TAP_STATIC_ASSERT(sizeof(void *) == 4, "TAP records need 32-bit pointers");
TAP_STATIC_ASSERT(sizeof(TYPE_File) == 152, "TYPE_File layout");
TAP_STATIC_ASSERT(offsetof(TYPE_File, size) == 8, "TYPE_File.size");
TAP_STATIC_ASSERT(offsetof(TYPE_File, name) == 16, "TYPE_File.name");
TAP_STATIC_ASSERT(offsetof(TYPE_File, handle) == 144, "TYPE_File.handle");
TAP_STATIC_ASSERT(sizeof(TYPE_FolderEntry) == 152, "TYPE_FolderEntry layout");
TAP_STATIC_ASSERT(offsetof(TYPE_FolderEntry, size) == 16, "TYPE_FolderEntry.size");
TAP_STATIC_ASSERT(offsetof(TYPE_FolderEntry, name) == 24, "TYPE_FolderEntry.name");
TAP_STATIC_ASSERT(sizeof(TYPE_GrData) == 16, "TYPE_GrData layout");
TAP_STATIC_ASSERT(offsetof(TYPE_GrData, data) == 4, "TYPE_GrData.data");
TAP_STATIC_ASSERT(offsetof(TYPE_GrData, width) == 12, "TYPE_GrData.width");
TAP_STATIC_ASSERT(sizeof(TYPE_FileObject) == 12, "file object layout");
TAP_STATIC_ASSERT(offsetof(TYPE_FileObject, path) == 8, "file object path");
TAP_STATIC_ASSERT(offsetof(TYPE_TapDirRecord, path) == 4, "directory record path");
TAP_STATIC_ASSERT(sizeof(TYPE_TapTask) == 44, "task table entry is 44 bytes");
TAP_STATIC_ASSERT(offsetof(TYPE_TapTask, file) == 8, "task entry file record");
TAP_STATIC_ASSERT(offsetof(TYPE_TapTask, eventHandler) == 20, "task entry handler");
TAP_STATIC_ASSERT(offsetof(TYPE_TapTask, dir) == 40, "task entry directory record");
TAP_STATIC_ASSERT(sizeof(TYPE_HddFolder) == 16, "folder record is 16 bytes");
TAP_STATIC_ASSERT(sizeof(TYPE_OsdMapEntry) == 16, "OSD map entry is 16 bytes");
TAP_STATIC_ASSERT(sizeof(TYPE_TapStartParameter) == 12, "hand-over record is 12 bytes");

#endif /* KALIB_TAP_H */
