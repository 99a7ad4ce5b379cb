// LangStrings.cpp - the numbered user texts of a program, loaded from a
// language file in the firmware's menu language, with a fallback language
// filling the gaps.
//
// The file is an INI file with keys "<code>_<nnn>" (de_000, en_042).  One
// pass over the file finds every key of both languages (as the INI reader
// would find each of them, but without searching the file once per text);
// then two passes over all numbers: the first adds up the texts' sizes, the
// second packs them into one block of exactly that size.
#include <stdio.h>
#include <string.h>
#include "INIEntry.h"
#include "Kalib.h"

char *LangStrings = nullptr;
dword *LangStringPtr = nullptr;
dword LangNrStrings = 0;

static const dword MaxLangStrings = 1000000;
static const int SysVarOsdLanguage = 1;

/* Longest text, terminator included. */
static const dword LangValueSize = 200;

/* Turn the sequences \n and \r into line feed and carriage return, in place;
 * any other backslash stays. */
static void DecodeEscapes(char *text) {
  char *p = strchr(text, '\\');
  while (p) {
    if (p[1] == 'n' || p[1] == 'r') {
      *p = p[1] == 'n' ? '\n' : '\r';
      memmove(p + 1, p + 2, strlen(p + 2) + 1);
    }
    p = strchr(p + 1, '\\');
  }
}

// Folds ASCII letters to lower case, as the INI reader's search does.
static char Lower(char c) { return c >= 'A' && c <= 'Z' ? (char)(c + ('a' - 'A')) : c; }

// The number of the key "<code>_<nnn>=" that starts at p, or -1.  The number
// is written as the loader writes it ("%3.3u": three digits below 1000, no
// leading zero above), so that exactly the keys it looks for are found.
static long KeyNumberAt(const char *p, const char *code) {
  if (Lower(p[0]) != code[0] || Lower(p[1]) != code[1] || p[2] != '_') return -1;
  const char *digits = p + 3, *q = digits;
  long number = 0;
  while (*q >= '0' && *q <= '9' && q - digits < 7) number = number * 10 + (*q++ - '0');
  size_t count = q - digits;
  if (*q != '=' || count < 3 || (count > 3 && digits[0] == '0')) return -1;
  return number;
}

// Where every text's key of one language stands in the open file, in one
// pass over it: for each number the first occurrence that is not commented
// out, as INIGetString finds it (null: none).
static void IndexKeys(const char *code, dword nrStrings, const char **entries) {
  memset(entries, 0, nrStrings * sizeof(*entries));
  const char *p = SkipCharTableBytes(INIBuffer);  // where the INI search starts
  for (; *p; p++) {
    long nr = KeyNumberAt(p, code);
    if (nr < 0 || (dword)nr >= nrStrings || entries[nr]) continue;
    if (p > INIBuffer && (p[-1] == '#' || p[-1] == ';')) continue;
    entries[nr] = p;
  }
}

// The keys of the menu language and of the fallback language (null for
// none), with the index of each.
struct tLangKeys {
  const char *LangCode, *FallbackCode;
  const char **LangEntries, **FallbackEntries;
};

/* Value of text nr in one language, the empty text when it has none. */
static void CopyText(const char *code, const char *const *entries, dword nr, char *value) {
  char keyText[24];
  size_t keyTextLength = snprintf(keyText, sizeof(keyText), "%s_%3.3u=", code, (unsigned)nr);
  INICopyValue(entries[nr], keyTextLength, value, "", LangValueSize);
}

/* Text number nr in the menu language, else in the fallback language. */
static void LookUpText(dword nr, const tLangKeys &keys, char *value) {
  CopyText(keys.LangCode, keys.LangEntries, nr, value);
  if (!value[0] && keys.FallbackCode) CopyText(keys.FallbackCode, keys.FallbackEntries, nr, value);
  DecodeEscapes(value);
}

/* Both passes over the numbers: offsets and total size, then the texts.
 * False when memory ran short; nothing is loaded then. */
static bool LoadTexts(dword nrStrings, const tLangKeys &keys) {
  char value[LangValueSize];
  LangStringPtr = (dword *)TAP_MemAlloc(nrStrings * sizeof(dword) + 1);
  if (!LangStringPtr) return false;
  memset(LangStringPtr, 0, nrStrings * sizeof(dword));

  dword total = 0;
  for (dword i = 0; i < nrStrings; i++) {
    LangStringPtr[i] = total;
    LookUpText(i, keys, value);
    total += strlen(value) + 1;
  }

  LangStrings = (char *)TAP_MemAlloc(total + 1);
  if (!LangStrings) {
    LangUnloadStrings();
    return false;
  }
  memset(LangStrings, 0, total + 1);
  for (dword i = 0; i < nrStrings; i++) {
    LookUpText(i, keys, value);
    strcpy(LangStrings + LangStringPtr[i], value);
  }
  return true;
}

// Indexes the keys of both languages (one index when they are the same),
// then loads the texts.  False when memory ran short.
static bool IndexAndLoadTexts(dword nrStrings, const char *langCode, const char *fallbackCode) {
  bool twoIndexes = fallbackCode && strcmp(fallbackCode, langCode) != 0;
  dword entries = (twoIndexes ? 2 : 1) * nrStrings;
  const char **index = (const char **)TAP_MemAlloc((entries + 1) * sizeof(const char *));
  if (!index) return false;
  tLangKeys keys = {langCode, fallbackCode, index, twoIndexes ? index + nrStrings : index};
  IndexKeys(langCode, nrStrings, keys.LangEntries);
  if (twoIndexes) IndexKeys(fallbackCode, nrStrings, keys.FallbackEntries);
  bool loaded = LoadTexts(nrStrings, keys);
  TAP_MemFree(index);
  return loaded;
}

// Where the texts come from: a file found by the INI reader, or a copy of
// the language data in memory.
namespace {
struct tLangSource {
  const char *FileName, *AppName;  // a file, when FileName is set
  const char *Data;                // else dataSize bytes of language data
  dword DataSize;
};
}  // namespace

/* Holds the source in INIBuffer; the location of a file, INI_CurrentDir for
 * data in memory, INI_NotFound when neither can be had. */
static INILOCATION HoldSource(const tLangSource &source) {
  if (source.FileName || !source.Data) {
    INILOCATION location = INIOpenFile(source.FileName, source.AppName);
    return location == INI_NewFile ? INI_NotFound : location;
  }
  if (!INIAllocBuffer(source.DataSize)) return INI_NotFound;
  memcpy(INIBuffer, source.Data, source.DataSize);
  INIEndLastLine();
  return INI_CurrentDir;
}

static INILOCATION LoadFromSource(const tLangSource &source, dword nrStrings, int fallbackLang) {
  LangUnloadStrings();

  const char *langCode = iso639_1(TAP_GetSystemVar(SysVarOsdLanguage));
  if (nrStrings >= MaxLangStrings || !langCode || fallbackLang >= 20) return INI_NotFound;
  const char *fallbackCode = fallbackLang >= 0 ? iso639_1(fallbackLang) : nullptr;

  // The caller may have an INI file of its own open; it is set aside and
  // given back untouched.
  char *savedBuffer = INIBuffer, *savedComments = INICommentBuffer;
  dword savedSize = BufferSize;
  INIBuffer = nullptr;
  INICommentBuffer = nullptr;
  BufferSize = 0;

  HDD_TAP_PushDir();
  INILOCATION location = HoldSource(source);
  if (location != INI_NotFound && IndexAndLoadTexts(nrStrings, langCode, fallbackCode))
    LangNrStrings = nrStrings;
  else
    location = INI_NotFound;
  INICloseFile();
  INIBuffer = savedBuffer;
  INICommentBuffer = savedComments;
  BufferSize = savedSize;
  HDD_TAP_PopDir();
  return location;
}

extern "C" INILOCATION LangLoadStrings(const char *langFile, dword nrStrings, int fallbackLang,
                                       const char *appName) {
  tLangSource source = {langFile, appName, nullptr, 0};
  return LoadFromSource(source, nrStrings, fallbackLang);
}

extern "C" bool LangLoadStringsFromMemory(const char *langData, dword langSize, dword nrStrings,
                                          int fallbackLang) {
  tLangSource source = {nullptr, nullptr, langData, langSize};
  return LoadFromSource(source, nrStrings, fallbackLang) != INI_NotFound;
}

extern "C" char *LangGetString(dword stringNr) {
  static char empty[1];
  if (!LangStrings || !LangStringPtr || stringNr >= LangNrStrings) return empty;
  return LangStrings + LangStringPtr[stringNr];
}

extern "C" void LangUnloadStrings(void) {
  if (LangStrings) TAP_MemFree(LangStrings);
  if (LangStringPtr) TAP_MemFree(LangStringPtr);
  LangStrings = nullptr;
  LangStringPtr = nullptr;
  LangNrStrings = 0;
}
