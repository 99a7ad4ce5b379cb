// LangLoaderFuzz.cpp - libFuzzer target for the INI reader and the language
// loader on top of it.
//
// An input is three choice bytes and a language file: the menu language
// (0-20; 20 has no code), the fallback language (-1 to 20) and the number of
// texts (0, 1, 13, 104 or 1001), then the file's bytes.  The file lies in
// "/ProgramFiles/Settings/Fuzz" of a stand-in disk that the INI reader
// searches through stand-ins of the firmware's folder calls.  Each loaded
// text must be what INIGetString gives for its key (menu language, else
// fallback, escapes decoded), no longer than 199 bytes; the caller's INI
// state and folder come back unchanged, and no memory stays allocated.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "FuzzMemory.h"
#include "Kalib.h"

namespace {
const uint8_t *FileData = nullptr;
size_t FileSize = 0;
int MenuLanguage = 0;
std::string CurrentDir = "/DataFiles";
std::string DirStack[8];
int DirDepth = 0;
TYPE_File OpenFile;
size_t ReadPosition = 0;
bool FileOpen = false;

const char *const kFileFolder = "/ProgramFiles/Settings/Fuzz";
const char *const kFolders[] = {"/DataFiles", "/ProgramFiles", "/ProgramFiles/Settings", kFileFolder};

void Fail(const char *what) {
  fprintf(stderr, "LangLoaderFuzz: %s\n", what);
  abort();
}

// The text as the loader leaves it: \n and \r become line feed and carriage
// return, any other backslash stays.
std::string Decoded(const char *value) {
  std::string text;
  for (const char *p = value; *p; p++) {
    if (p[0] == '\\' && (p[1] == 'n' || p[1] == 'r')) {
      text += p[1] == 'n' ? '\n' : '\r';
      p++;
    } else {
      text += *p;
    }
  }
  return text;
}

// Text nr as INIGetString finds it in the open file.
std::string Expected(dword nr, int fallback) {
  char key[16], value[200];
  snprintf(key, sizeof(key), "%s_%3.3u", iso639_1(MenuLanguage), (unsigned)nr);
  INIGetString(key, value, "", sizeof(value));
  if (!value[0] && fallback >= 0) {
    snprintf(key, sizeof(key), "%s_%3.3u", iso639_1(fallback), (unsigned)nr);
    INIGetString(key, value, "", sizeof(value));
  }
  return Decoded(value);
}
}  // namespace

// ---- stand-ins for the firmware and the folder calls ----
extern "C" void LogEntryKalibPrintf(bool, const char *, ...) {}
extern "C" bool isUTFToppy(void) { return TRUE; }
extern "C" int TAP_GetSystemVar(int varId) { return varId == 1 ? MenuLanguage : 0; }

extern "C" int HDD_TAP_GetCurrentDir(char *currentDir) {
  snprintf(currentDir, KALIB_PATH_MAX, "%s", CurrentDir.c_str());
  return (int)CurrentDir.size();
}
extern "C" bool HDD_ChangeDir(const char *dir) {
  std::string target = dir[0] == '/' ? std::string(dir) : CurrentDir + "/" + dir;
  for (const char *folder : kFolders)
    if (target == folder) {
      CurrentDir = target;
      return TRUE;
    }
  return FALSE;
}
extern "C" bool HDD_TAP_PushDir(void) {
  if (DirDepth == 8) Fail("folder stack overflow");
  DirStack[DirDepth++] = CurrentDir;
  return TRUE;
}
extern "C" bool HDD_TAP_PopDir(void) {
  if (DirDepth == 0) Fail("folder popped that was not pushed");
  CurrentDir = DirStack[--DirDepth];
  return TRUE;
}

extern "C" bool TAP_Hdd_Exist(const char *name) {
  return CurrentDir == kFileFolder && strcmp(name, "Fuzz.lng") == 0;
}
extern "C" TYPE_File *TAP_Hdd_Fopen(const char *name) {
  if (!TAP_Hdd_Exist(name) || FileOpen) return nullptr;
  FileOpen = true;
  ReadPosition = 0;
  return &OpenFile;
}
extern "C" void TAP_Hdd_Fclose(TYPE_File *file) {
  if (file != &OpenFile || !FileOpen) Fail("closed a file that is not open");
  FileOpen = false;
}
extern "C" dword TAP_Hdd_Flen(TYPE_File *) { return (dword)FileSize; }
extern "C" dword TAP_Hdd_Fread(void *buf, dword blockSize, dword blocks, TYPE_File *file) {
  if (file != &OpenFile || !FileOpen || blockSize == 0) return 0;
  size_t wanted = (size_t)blockSize * blocks, left = FileSize - ReadPosition;
  size_t n = wanted < left ? wanted : left;
  memcpy(buf, FileData + ReadPosition, n);
  ReadPosition += n;
  return (dword)(n / blockSize);
}

// ---- the target ----
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 3) return 0;
  static const dword kCounts[] = {0, 1, 13, 104, 1001};
  MenuLanguage = data[0] % 21;
  int fallback = data[1] % 22 - 1;
  dword count = kCounts[data[2] % 5];
  FileData = data + 3;
  FileSize = size - 3;
  CurrentDir = "/DataFiles";

  // The caller's own INI file, which the loader must set aside and give back.
  char *callersBuffer = (char *)TAP_MemAlloc(16);
  strcpy(callersBuffer, "own=1\r\n");
  INIBuffer = callersBuffer;
  BufferSize = 16;

  INILOCATION location = LangLoadStrings("Fuzz.lng", count, fallback, "Fuzz");
  bool refused = MenuLanguage >= 20 || fallback >= 20;
  if (location != (refused ? INI_NotFound : INI_AppSettingsDir)) Fail("unexpected location");
  if (INIBuffer != callersBuffer || BufferSize != 16) Fail("the caller's INI file was not given back");
  if (CurrentDir != "/DataFiles" || DirDepth != 0 || FileOpen) Fail("folder or file not restored");
  if (LangNrStrings != (refused ? 0 : count)) Fail("wrong number of texts");

  if (!refused) {
    // The first 32 texts and the last few of the longest list (four-digit
    // numbers among them): the keys that inputs and the dictionary hold.
    std::string texts[40];
    dword checked[40], n = 0;
    for (dword i = 0; i < count && i < 32; i++) checked[n++] = i;
    for (dword i = 995; i < count; i++) checked[n++] = i;
    for (dword k = 0; k < n; k++) texts[k] = LangGetString(checked[k]);
    if (LangGetString(count)[0] != 0) Fail("a text beyond the count");
    LangUnloadStrings();

    INIBuffer = nullptr;
    if (INIOpenFile("Fuzz.lng", "Fuzz") != INI_AppSettingsDir) Fail("file not found again");
    for (dword k = 0; k < n; k++) {
      if (texts[k].size() > 199) Fail("text longer than 199 bytes");
      if (texts[k] != Expected(checked[k], fallback)) Fail("text differs from its key's value");
    }
    INICloseFile();
    CurrentDir = "/DataFiles";
  }
  LangUnloadStrings();
  INIBuffer = nullptr;
  BufferSize = 0;
  TAP_MemFree(callersBuffer);
  if (BlocksInUse != 0) Fail("memory left allocated");
  return 0;
}
