// StringDB.cpp - a growable list of distinct texts packed into one buffer,
// with a read cursor.
//
// Used as the queue of a breadth-first folder walk: adding a text that is
// already present adds nothing, so no folder is queued twice, and texts
// added during the walk are reached later by the same cursor.  Texts are
// addressed by byte offset because the buffer moves when it grows.  Every
// byte from DBEnd to the end of the buffer is zero and at least one such
// byte exists, so the cursor reads a zero byte when it stands at the end.
#include <string.h>

#include "Kalib.h"

static const dword STRINGDB_GROWTH = 4096;

/* Moves the list into a new zero-filled buffer of `newSize` bytes; false
 * (and the list unchanged) when the allocation fails. */
static bool StringDBGrow(tStringDB *stringDB, dword newSize) {
  char *newDB = (char *)TAP_MemAlloc(newSize);
  if (newDB == nullptr) return false;
  memset(newDB, 0, newSize);
  if (stringDB->DB != nullptr) {
    memcpy(newDB, stringDB->DB, stringDB->DBSize);
    TAP_MemFree(stringDB->DB);
  }
  stringDB->DBPtr = newDB + (stringDB->DBPtr - stringDB->DB);
  stringDB->DBEnd = newDB + (stringDB->DBEnd - stringDB->DB);
  stringDB->DB = newDB;
  stringDB->DBSize = newSize;
  return true;
}

bool StringDBInit(tStringDB *stringDB, dword initialSize) {
  if (stringDB == nullptr) return false;
  stringDB->DBSize = 0;
  stringDB->DB = nullptr;
  stringDB->DBPtr = nullptr;
  stringDB->DBEnd = nullptr;
  if (initialSize == 0) return true;

  char *db = (char *)TAP_MemAlloc(initialSize);
  if (db == nullptr) return false;
  memset(db, 0, initialSize);
  stringDB->DBSize = initialSize;
  stringDB->DB = db;
  stringDB->DBPtr = db;
  stringDB->DBEnd = db;
  return true;
}

dword StringDBAdd(tStringDB *stringDB, const char *text) {
  if (stringDB == nullptr || text == nullptr) return 0;

  for (char *p = stringDB->DB; p != nullptr && p < stringDB->DBEnd; p += strlen(p) + 1)
    if (strcmp(p, text) == 0) return (dword)(p - stringDB->DB);

  /* Room for the stored texts, the new one, its terminator and the zero
   * byte that always follows the last text. */
  dword length = (dword)strlen(text);
  dword used = (dword)(stringDB->DBEnd - stringDB->DB);
  uint64_t needed = (uint64_t)used + length + 2;
  if (needed > 0xFFFFFFFFu) return 0;
  if (stringDB->DBSize < needed) {
    uint64_t newSize =
        stringDB->DB != nullptr ? (uint64_t)stringDB->DBSize + STRINGDB_GROWTH : 2 * (uint64_t)length;
    if (newSize < needed) newSize = needed;
    if (newSize > 0xFFFFFFFFu || !StringDBGrow(stringDB, (dword)newSize)) return 0;
  }

  dword offset = (dword)(stringDB->DBEnd - stringDB->DB);
  memcpy(stringDB->DBEnd, text, length + 1);
  stringDB->DBEnd += length + 1;
  return offset;
}

bool StringDBEOF(tStringDB *stringDB) {
  if (stringDB == nullptr || stringDB->DB == nullptr || stringDB->DBPtr == nullptr) return true;
  return *stringDB->DBPtr == '\0';
}

dword StringDBCurrent(tStringDB *stringDB) {
  if (stringDB == nullptr || stringDB->DB == nullptr) return 0;
  return (dword)(stringDB->DBPtr - stringDB->DB);
}

char *StringDBGet(tStringDB *stringDB, dword offset) {
  if (stringDB == nullptr || stringDB->DB == nullptr) return nullptr;
  /* An offset outside the buffer reaches no text. */
  if (offset >= stringDB->DBSize) return nullptr;
  return stringDB->DB + offset;
}

dword StringDBNext(tStringDB *stringDB) {
  if (stringDB == nullptr || stringDB->DB == nullptr) return 0;
  if (stringDB->DBPtr >= stringDB->DBEnd) return 0;
  stringDB->DBPtr += strlen(stringDB->DBPtr) + 1;
  return (dword)(stringDB->DBPtr - stringDB->DB);
}

bool StringDBDestroy(tStringDB *stringDB) {
  if (stringDB == nullptr) return false;
  if (stringDB->DB != nullptr) TAP_MemFree(stringDB->DB);
  stringDB->DBSize = 0;
  stringDB->DB = nullptr;
  stringDB->DBPtr = nullptr;
  stringDB->DBEnd = nullptr;
  return true;
}
