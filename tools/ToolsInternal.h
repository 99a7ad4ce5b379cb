// ToolsInternal.h - machinery shared by the data-file readers and writers of
// the tool module.  Internal to tools/: not part of Tools.h's interface.
//
// The readers never trust a file: a file is read whole into memory (up to a
// limit) and taken apart with a tByteReader, whose every read checks the
// bytes left; a failed read marks the reader failed and yields zeros, so a
// loader checks once at the end (or before allocating) instead of after each
// field.  Writers build the file image with a tByteWriter and hand it to
// Kalib's ReplaceWholeFile in one piece.
#pragma once

#include "Tools.h"

#define VANTERO_PROGRAM_NAME "Vantero" /* writer name of the data files' log lines */

// Sane limits for what a file may claim, checked besides the bytes left.
#define DATAFILE_MAX_STRING (1u << 20)  // one text
#define DATAFILE_MAX_COUNT 10000        // entries of one list
#define DATAFILE_MAX_BLOB (16u << 20)   // a screenshot
#define DATAFILE_MAX_FILE (64u << 20)   // a whole data file

// ---- reading -------------------------------------------------------------
typedef struct {
  const byte *Data;
  dword Size;
  dword Pos;
  bool Failed;    // a read ran past the end or a check failed; reads yield 0
  bool NoMemory;  // Failed because memory ran out: the file itself may be sound
} tByteReader;

void ReaderInit(tByteReader *r, const byte *data, dword size);
dword ReaderLeft(const tByteReader *r);
byte ReaderByte(tByteReader *r);
dword ReaderDword(tByteReader *r);
int64 ReaderInt64(tByteReader *r);
// Copies n bytes; false (and the reader failed) when fewer are left.
bool ReaderBytes(tByteReader *r, void *dest, dword n);
// A length-prefixed string: a new heap string counted in StringSpace, or
// null for a length below 1.  A length beyond the bytes left or
// DATAFILE_MAX_STRING fails the reader.
char *ReaderString(tByteReader *r);
// A count of items of at least itemSize bytes each: fails the reader (and
// gives 0) when negative, above DATAFILE_MAX_COUNT or more than the bytes
// left can hold.
int ReaderCount(tByteReader *r, dword itemSize);
// Zeroed heap memory for count items of itemSize bytes (null for 0 items);
// fails the reader when the allocation fails.
void *ReaderAllocate(tByteReader *r, dword count, dword itemSize);

// Reads the whole file fileName of the working directory into a new heap
// block (*data, *size; the caller frees *data with TAP_MemFree; *data is
// null for an empty file).  RF_NoMemory: the file was not read for lack of
// memory; it may be sound.
typedef enum { RF_Ok = 0, RF_Missing, RF_Empty, RF_TooLarge, RF_ReadError, RF_NoMemory } tReadFileResult;
tReadFileResult ReadWholeFile(const char *fileName, byte **data, dword *size);

// CRC32File's reading of a file opened with TAP_Hdd_Fopen and not read yet:
// continues crc over all of it in blocks of bufferSize through buffer; 0 when
// a block cannot be read.  The caller closes the file.
dword CRC32OpenFile(TYPE_File *file, dword crc, byte *buffer, dword bufferSize);

// ---- writing -------------------------------------------------------------
typedef struct {
  byte *Data;
  dword Size;
  dword Capacity;
  bool Failed;          // an allocation failed or a check refused; the image is incomplete
  const char *Problem;  // what a check refused (what a loader would reject), or null
} tByteWriter;

void WriterInit(tByteWriter *w);
void WriterFree(tByteWriter *w);
void WriterBytes(tByteWriter *w, const void *data, dword n);
void WriterByte(tByteWriter *w, byte value);
void WriterDword(tByteWriter *w, dword value);
void WriterInt64(tByteWriter *w, int64 value);
// Length (0 for null) and characters; a text longer than
// DATAFILE_MAX_STRING fails the writer, as the loaders reject it.
void WriterString(tByteWriter *w, const char *s);
// A count of list items; above DATAFILE_MAX_COUNT it fails the writer.
void WriterCount(tByteWriter *w, int count);
// Marks the image as one no loader would read (the first problem stays).
void WriterRefuse(tByteWriter *w, const char *problem);
// ReplaceWholeFile of the image as fileName in the manager's settings folder
// (the working directory stays as it is) unless the writer failed; frees
// the image.
bool WriterSave(tByteWriter *w, const char *fileName);

// True when path is "/mnt/hd/ProgramFiles" or a folder below it once "."
// and ".." are resolved; false for null or any path that leaves it.
bool DefaultPathInProgramFiles(const char *path);

// ---- folder walks ---------------------------------------------------------
// Breadth-first walk of root and every folder below it, built on Kalib's
// folder walk: each real folder is entered once, whatever links lead to it,
// so a disk with link loops is walked to its end.  The working directory is
// the folder being listed.  visit is called for each file that matches
// extension (null or "" for all) with the folder (TAP notation) and the
// file's name; it returns true to end the walk.  skipFolder (may be null) is
// never entered, under any path; subfolders whose path is longer than
// maxPathLength are left out.  True when visit ended the walk.
typedef bool (*tFolderVisitor)(void *context, const char *folder, const char *fileName);
bool FolderWalkFiles(const char *root, const char *extension, const char *skipFolder, dword maxPathLength,
                     tFolderVisitor visit, void *context);
// FolderWalkFiles that also counts into *leftOut the subfolders left out for
// the length of their path or that could not be entered.
bool FolderWalkFilesCounted(const char *root, const char *extension, const char *skipFolder,
                            dword maxPathLength, tFolderVisitor visit, void *context, dword *leftOut);

// ---- repository ------------------------------------------------------------
// Why the master list's entries cannot be stored or used (an entry without
// TAP ID, a bad VPDURL, two entries for one TAP), or null when they can; a
// message with a TAP ID is formatted into reason (reasonSize bytes).
const char *RepoMasterListCheck(const tRepoMasterList *list, char *reason, dword reasonSize);
