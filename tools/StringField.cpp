// StringField.cpp - the heap strings of the data-file records: setting and
// clearing a field, the StringSpace balance, and length-prefixed strings in
// an open file.
//
// Every heap string of a record, whether set here or read from a file, adds
// its length + 1 to StringSpace and takes it away when cleared, so the
// balance returns to its old value once the records are released.
#include <string.h>

#include "ToolsInternal.h"

int StringSpace = 0;

void StringClear(char **field) {
  CallTraceEnter("StringClear");
  if (field != nullptr && *field != nullptr) {
    StringSpace -= (int)strlen(*field) + 1;
    TAP_MemFree(*field);
    *field = nullptr;
  }
  CallTraceExit(nullptr);
}

void StringSet(char **field, const char *s) {
  CallTraceEnter("StringSet");
  if (field != nullptr) {
    // A copy first: s may be the field's own text.
    char *copy = nullptr;
    if (s != nullptr) {
      dword size = strlen(s) + 1;
      copy = (char *)TAP_MemAlloc(size);
      if (copy != nullptr) memcpy(copy, s, size);
    }
    StringClear(field);
    if (copy != nullptr) {
      *field = copy;
      StringSpace += (int)strlen(copy) + 1;
    }
  }
  CallTraceExit(nullptr);
}

// The length of s cut to at most maxLength bytes.  Walked by characters,
// so that the cut never splits a UTF-8 sequence; a byte outside one counts
// as a character of its own.
static dword CutLength(const char *s, dword maxLength) {
  dword length = 0;
  while (s[length] != '\0') {
    byte bytes = 1;
    isUTF8Char((const byte *)s + length, &bytes);
    if (length + bytes > maxLength) break;
    length += bytes;
  }
  return length;
}

void StringSetCut(char **field, const char *s, dword maxLength) {
  if (field != nullptr && s != nullptr && s == *field) {
    // The field's own text is cut where it lies: no allocation, so a
    // loader that cuts what it read cannot lose the text for lack of memory.
    dword length = CutLength(s, maxLength), old = strlen(s);
    (*field)[length] = '\0';
    StringSpace -= (int)(old - length);
    return;
  }
  if (s == nullptr || strlen(s) <= maxLength) {
    StringSet(field, s);
    return;
  }
  dword length = CutLength(s, maxLength);
  char *copy = (char *)TAP_MemAlloc(length + 1);
  if (copy == nullptr) {
    StringClear(field);
    return;
  }
  memcpy(copy, s, length);
  copy[length] = '\0';
  StringSet(field, copy);
  TAP_MemFree(copy);
}

// Reads and drops n bytes of f; false when the file ends first.
static bool SkipBytes(TYPE_File *f, dword n) {
  const dword ChunkSize = 65536;
  byte *chunk = (byte *)TAP_MemAlloc(ChunkSize);
  bool skipped = chunk != nullptr;
  while (skipped && n > 0) {
    dword block = n < ChunkSize ? n : ChunkSize;
    skipped = TAP_Hdd_Fread(chunk, block, 1, f) == 1;
    n -= block;
  }
  TAP_MemFree(chunk);
  return skipped;
}

// A length beyond the whole file cannot be right and never makes an
// allocation; a text longer than DATAFILE_MAX_STRING is skipped whole, so
// that the next read starts behind it.  A file that ends inside the text
// gives null (the firmware reports no position, so the bytes left show
// only when the read comes short).
char *ReadString(TYPE_File *f) {
  CallTraceEnter("ReadString");
  char *s = nullptr;
  byte lengthBytes[4];
  if (f != nullptr && TAP_Hdd_Fread(lengthBytes, 4, 1, f) == 1) {
    tByteReader lengthReader;
    ReaderInit(&lengthReader, lengthBytes, 4);
    int length = (int)ReaderDword(&lengthReader);
    if (length < 1 || (dword)length > TAP_Hdd_Flen(f)) {
      // Absent, or damaged beyond reading.
    } else if ((dword)length > DATAFILE_MAX_STRING) {
      SkipBytes(f, (dword)length);
    } else {
      s = (char *)TAP_MemAlloc((dword)length + 1);
      if (s != nullptr && TAP_Hdd_Fread(s, (dword)length, 1, f) == 1) {
        s[length] = '\0';
        StringSpace += (int)strlen(s) + 1;
      } else {
        if (s == nullptr) SkipBytes(f, (dword)length);
        TAP_MemFree(s);
        s = nullptr;
      }
    }
  }
  CallTraceExit(nullptr);
  return s;
}

bool WriteString(TYPE_File *f, const char *s) {
  CallTraceEnter("WriteString");
  tByteWriter w;
  WriterInit(&w);
  WriterString(&w, s);
  bool done = f != nullptr && !w.Failed && TAP_Hdd_Fwrite(w.Data, w.Size, 1, f) == 1;
  WriterFree(&w);
  CallTraceExit(nullptr);
  return done;
}
