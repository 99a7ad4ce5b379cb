// ByteReader.cpp - bounded reading of a data file's image in memory: every
// read checks the bytes left, and every count or length is checked against
// them before anything is allocated.
#include <string.h>

#include "ToolsInternal.h"

void ReaderInit(tByteReader *r, const byte *data, dword size) {
  r->Data = data;
  r->Size = data != nullptr ? size : 0;
  r->Pos = 0;
  r->Failed = false;
  r->NoMemory = false;
}

dword ReaderLeft(const tByteReader *r) { return r->Failed ? 0 : r->Size - r->Pos; }

bool ReaderBytes(tByteReader *r, void *dest, dword n) {
  if (n > ReaderLeft(r)) {
    r->Failed = true;
    if (dest != nullptr && n > 0) memset(dest, 0, n);
    return false;
  }
  if (n > 0) memcpy(dest, r->Data + r->Pos, n);
  r->Pos += n;
  return true;
}

byte ReaderByte(tByteReader *r) {
  byte value = 0;
  ReaderBytes(r, &value, 1);
  return value;
}

// Little-endian whatever the CPU, assembled from bytes.
dword ReaderDword(tByteReader *r) {
  byte b[4];
  ReaderBytes(r, b, 4);
  return (dword)b[0] | (dword)b[1] << 8 | (dword)b[2] << 16 | (dword)b[3] << 24;
}

int64 ReaderInt64(tByteReader *r) {
  int64 low = ReaderDword(r);
  int64 high = ReaderDword(r);
  return low | high << 32;
}

char *ReaderString(tByteReader *r) {
  int length = (int)ReaderDword(r);
  if (r->Failed || length < 1) return nullptr;
  if ((dword)length > DATAFILE_MAX_STRING || (dword)length > ReaderLeft(r)) {
    r->Failed = true;
    return nullptr;
  }
  char *s = (char *)TAP_MemAlloc((dword)length + 1);
  if (s == nullptr) {
    r->Failed = r->NoMemory = true;
    return nullptr;
  }
  ReaderBytes(r, s, (dword)length);
  s[length] = '\0';
  // Counted as StringClear takes it off: a stored zero byte ends the text.
  StringSpace += (int)strlen(s) + 1;
  return s;
}

int ReaderCount(tByteReader *r, dword itemSize) {
  int count = (int)ReaderDword(r);
  if (r->Failed) return 0;
  if (count < 0 || count > DATAFILE_MAX_COUNT || (uint64_t)count * itemSize > ReaderLeft(r)) {
    r->Failed = true;
    return 0;
  }
  return count;
}

void *ReaderAllocate(tByteReader *r, dword count, dword itemSize) {
  if (r->Failed || count == 0) return nullptr;
  uint64_t bytes = (uint64_t)count * itemSize;
  void *p = bytes <= DATAFILE_MAX_FILE ? TAP_MemAlloc((dword)bytes) : nullptr;
  if (p == nullptr) {
    r->Failed = true;
    r->NoMemory = bytes <= DATAFILE_MAX_FILE;
    return nullptr;
  }
  memset(p, 0, (dword)bytes);
  return p;
}

// Reads in one call; a file that is not read whole counts as unreadable.
tReadFileResult ReadWholeFile(const char *fileName, byte **data, dword *size) {
  *data = nullptr;
  *size = 0;
  TYPE_File *f = TAP_Hdd_Fopen(fileName);
  if (f == nullptr) return RF_Missing;
  dword length = TAP_Hdd_Flen(f);
  tReadFileResult result = RF_Ok;
  if (length == 0) {
    result = RF_Empty;
  } else if (length > DATAFILE_MAX_FILE) {
    result = RF_TooLarge;
  } else {
    *data = (byte *)TAP_MemAlloc(length);
    if (*data == nullptr) {
      result = RF_NoMemory;
    } else if (TAP_Hdd_Fread(*data, length, 1, f) != 1) {
      TAP_MemFree(*data);
      *data = nullptr;
      result = RF_ReadError;
    } else {
      *size = length;
    }
  }
  TAP_Hdd_Fclose(f);
  return result;
}
