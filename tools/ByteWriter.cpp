// ByteWriter.cpp - building a data file's image in memory, little-endian
// whatever the CPU, to be written in one piece.
#include <string.h>

#include "ToolsInternal.h"

void WriterInit(tByteWriter *w) {
  w->Data = nullptr;
  w->Size = 0;
  w->Capacity = 0;
  w->Failed = false;
  w->Problem = nullptr;
}

void WriterRefuse(tByteWriter *w, const char *problem) {
  if (!w->Failed) w->Problem = problem;
  w->Failed = true;
}

void WriterFree(tByteWriter *w) {
  TAP_MemFree(w->Data);
  WriterInit(w);
}

// Room for n more bytes; false (and the writer failed) when the image would
// pass DATAFILE_MAX_FILE or memory runs out.
static bool WriterReserve(tByteWriter *w, dword n) {
  if (w->Failed) return false;
  if ((uint64_t)w->Size + n > DATAFILE_MAX_FILE) {
    WriterRefuse(w, "the file would pass 64 MiB");
    return false;
  }
  if (w->Size + n <= w->Capacity) return true;
  dword capacity = w->Capacity < 1024 ? 1024 : w->Capacity;
  while (capacity < w->Size + n) capacity *= 2;
  byte *data = (byte *)TAP_MemAlloc(capacity);
  if (data == nullptr) {
    w->Failed = true;
    return false;
  }
  if (w->Size > 0) memcpy(data, w->Data, w->Size);
  TAP_MemFree(w->Data);
  w->Data = data;
  w->Capacity = capacity;
  return true;
}

void WriterBytes(tByteWriter *w, const void *data, dword n) {
  if (n == 0 || !WriterReserve(w, n)) return;
  memcpy(w->Data + w->Size, data, n);
  w->Size += n;
}

void WriterByte(tByteWriter *w, byte value) { WriterBytes(w, &value, 1); }

void WriterDword(tByteWriter *w, dword value) {
  byte b[4] = {(byte)value, (byte)(value >> 8), (byte)(value >> 16), (byte)(value >> 24)};
  WriterBytes(w, b, 4);
}

void WriterInt64(tByteWriter *w, int64 value) {
  WriterDword(w, (dword)value);
  WriterDword(w, (dword)(value >> 32));
}

void WriterString(tByteWriter *w, const char *s) {
  dword length = s != nullptr ? strlen(s) : 0;
  if (length > DATAFILE_MAX_STRING) WriterRefuse(w, "a text is longer than 1 MiB");
  WriterDword(w, length);
  WriterBytes(w, s, length);
}

void WriterCount(tByteWriter *w, int count) {
  if (count > DATAFILE_MAX_COUNT) WriterRefuse(w, "a list has more than 10000 entries");
  WriterDword(w, (dword)count);
}

bool WriterSave(tByteWriter *w, const char *fileName) {
  tWorkDir saved = WorkDirSave();
  bool done = !w->Failed && HDD_ChangeDir(VANTERO_SETTINGS_DIR) &&
              ReplaceWholeFile(fileName, w->Data, w->Size, nullptr, 0);
  WorkDirRestore(&saved);
  WriterFree(w);
  return done;
}
