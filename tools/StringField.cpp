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

void StringSetCut(char **field, const char *s, dword maxLength) {
  if (s == nullptr || strlen(s) <= maxLength) {
    StringSet(field, s);
    return;
  }
  // Walked by characters, so that the cut never splits a UTF-8 sequence;
  // a byte outside one counts as a character of its own.
  dword length = 0;
  while (s[length] != '\0') {
    byte bytes = 1;
    isUTF8Char((const byte *)s + length, &bytes);
    if (length + bytes > maxLength) break;
    length += bytes;
  }
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

// The length is checked against the bytes the file still holds, so a
// damaged length never makes a huge allocation.
char *ReadString(TYPE_File *f) {
  CallTraceEnter("ReadString");
  char *s = nullptr;
  byte lengthBytes[4];
  if (f != nullptr && TAP_Hdd_Fread(lengthBytes, 4, 1, f) == 1) {
    tByteReader lengthReader;
    ReaderInit(&lengthReader, lengthBytes, 4);
    int length = (int)ReaderDword(&lengthReader);
    if (length >= 1 && (dword)length <= DATAFILE_MAX_STRING && (dword)length <= TAP_Hdd_Flen(f)) {
      s = (char *)TAP_MemAlloc((dword)length + 1);
      if (s != nullptr && TAP_Hdd_Fread(s, (dword)length, 1, f) == 1) {
        s[length] = '\0';
        StringSpace += (int)strlen(s) + 1;
      } else {
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
