// INIFile.cpp - key=value files: locating a file in the usual folders,
// holding it in memory as one text, looking values up by key.
//
// Only one file is open at a time (INIBuffer).  The reader does not parse
// lines: it searches the whole text for "key=", ignoring case, and skips
// occurrences right behind "#" or ";" (commented out).  Files may end their
// lines with CR LF, LF or CR.
#include <stdio.h>
#include <string.h>
#include "INIEntry.h"
#include "Kalib.h"

char *INIBuffer = nullptr;
dword BufferSize = 0;
char *INICommentBuffer = nullptr;

/* Longest key that INIGetString looks up (the "=" comes on top). */
static const size_t MaxKeyLength = 78;

/* Change to the application's folder below /ProgramFiles/Settings. */
static bool ChangeToAppSettingsDir(const char *appName) {
  if (!appName || !appName[0] || appName[0] == '/') return false;
  char dir[KALIB_PATH_MAX];
  int n = snprintf(dir, sizeof(dir), "/ProgramFiles/Settings/%s", appName);
  return n > 0 && (size_t)n < sizeof(dir) && HDD_ChangeDir(dir);
}

extern "C" INILOCATION INILocateFile(const char *fileName, const char *appName) {
  if (!fileName) return INI_NotFound;
  if (TAP_Hdd_Exist(fileName)) return INI_CurrentDir;

  char startDir[KALIB_PATH_MAX] = "";
  HDD_TAP_GetCurrentDir(startDir);
  if (!HDD_ChangeDir("/ProgramFiles")) return INI_NotFound;

  // The later folders are the more specific ones; the last hit wins.
  INILOCATION location = INI_NotFound;
  if (TAP_Hdd_Exist(fileName)) location = INI_ProgramFilesDir;
  if (HDD_ChangeDir("Settings")) {
    if (TAP_Hdd_Exist(fileName)) location = INI_SettingsDir;
    if (ChangeToAppSettingsDir(appName) && TAP_Hdd_Exist(fileName)) return INI_AppSettingsDir;
  }

  if (location == INI_SettingsDir)
    HDD_ChangeDir("/ProgramFiles/Settings");
  else if (location == INI_ProgramFilesDir)
    HDD_ChangeDir("/ProgramFiles");
  else
    HDD_ChangeDir(startDir);
  return location;
}

bool INIAllocBuffer(dword length) {
  if (length > 0x7FFFF000u) return false;  // the size below would overflow
  BufferSize = (length / 512 + 2) * 512;
  INIBuffer = (char *)TAP_MemAlloc(BufferSize);
  if (!INIBuffer) return false;
  memset(INIBuffer, 0, BufferSize);
  return true;
}

void INIEndLastLine(void) {
  // A last line without its line end (or an empty file) gets CR LF, so
  // every value ends at a line end.
  size_t textLen = strlen(INIBuffer);
  if (textLen == 0 || (INIBuffer[textLen - 1] != '\r' && INIBuffer[textLen - 1] != '\n'))
    memcpy(INIBuffer + textLen, "\r\n", 3);
}

/* Read the open file into a fresh buffer with room for a final line end. */
static bool ReadIntoBuffer(TYPE_File *file) {
  dword length = TAP_Hdd_Flen(file);
  if (!INIAllocBuffer(length)) return false;
  if (length && TAP_Hdd_Fread(INIBuffer, 1, length, file) != length) return false;
  INIEndLastLine();
  return true;
}

extern "C" INILOCATION INIOpenFile(const char *fileName, const char *appName) {
  // One file at a time: a buffer still open would otherwise be lost.
  INICloseFile();
  HDD_TAP_PushDir();
  INILOCATION location = INILocateFile(fileName, appName);
  if (location == INI_NotFound) {
    HDD_TAP_PopDir();
    BufferSize = 512;
    INIBuffer = (char *)TAP_MemAlloc(BufferSize);
    if (!INIBuffer) {
      BufferSize = 0;
      return INI_NotFound;
    }
    memset(INIBuffer, 0, BufferSize);
    return INI_NewFile;
  }

  TYPE_File *file = TAP_Hdd_Fopen(fileName);
  if (!file) {
    HDD_TAP_PopDir();
    return INI_NotFound;
  }
  bool read = ReadIntoBuffer(file);
  TAP_Hdd_Fclose(file);
  HDD_TAP_PopDir();
  if (read) return location;

  if (INIBuffer) TAP_MemFree(INIBuffer);
  INIBuffer = nullptr;
  BufferSize = 0;
  return INI_NotFound;
}

char *INIFindEntry(const char *keyText) {
  if (!INIBuffer || !keyText) return nullptr;
  char *found = stricstr(INIBuffer, keyText);
  while (found && found > INIBuffer && (found[-1] == '#' || found[-1] == ';'))
    found = stricstr(found + 1, keyText);
  return found;
}

// The entry's last byte: the one before the first line end behind it (CR LF,
// LF or CR files alike), or the text's last byte; at most maxEntrylen bytes
// from its start.
static char *EntryLastByte(char *entry, dword maxEntrylen) {
  char *lineEnd = strpbrk(entry, "\r\n");
  if (!lineEnd) lineEnd = entry + strlen(entry);
  char *last = lineEnd - 1;
  if ((dword)(last - entry) > maxEntrylen - 1) last = entry + maxEntrylen - 1;
  return last;
}

extern "C" void INIFindStartEnd(const char *key, char **start, char **end, dword maxEntrylen) {
  if (!start || !end || maxEntrylen == 0) return;
  *start = INIFindEntry(key);
  *end = *start ? EntryLastByte(*start, maxEntrylen) : nullptr;
}

void INICopyValue(const char *entry, size_t keyTextLength, char *value, const char *defaultValue,
                  dword maxLength) {
  const char *source = defaultValue;
  size_t length = strlen(defaultValue);
  if (entry) {
    const char *last = EntryLastByte((char *)entry, keyTextLength + maxLength);
    if (last >= entry + keyTextLength) {
      source = entry + keyTextLength;
      length = last - source + 1;
    }
  }
  if (length > maxLength - 1) length = maxLength - 1;
  memcpy(value, source, length);
  value[length] = 0;
}

extern "C" bool INIGetString(const char *key, char *value, const char *defaultValue, dword maxLength) {
  if (!key || !value || !defaultValue || maxLength == 0) return false;

  char searchKey[MaxKeyLength + 2];
  size_t keyLen = strnlen(key, MaxKeyLength);
  memcpy(searchKey, key, keyLen);
  memcpy(searchKey + keyLen, "=", 2);
  INICopyValue(INIFindEntry(searchKey), keyLen + 1, value, defaultValue, maxLength);
  return true;
}

extern "C" void INICloseFile(void) {
  if (INIBuffer) TAP_MemFree(INIBuffer);
  if (INICommentBuffer) TAP_MemFree(INICommentBuffer);
  INIBuffer = nullptr;
  INICommentBuffer = nullptr;
  BufferSize = 0;
}
