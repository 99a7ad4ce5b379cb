/*
 * LangStrings.cpp - the numbered user texts of a program, loaded from a
 * language file in the firmware's menu language, with a fallback language
 * filling the gaps.
 *
 * The file is an INI file with keys "<code>_<nnn>" (de_000, en_042).  Two
 * passes over all numbers: the first adds up the texts' sizes, the second
 * packs them into one block of exactly that size.
 */
#include <stdio.h>
#include <string.h>
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
static void DecodeEscapes(char *text)
{
  char *p = strchr(text, '\\');
  while(p)
  {
    if(p[1] == 'n' || p[1] == 'r')
    {
      *p = p[1] == 'n' ? '\n' : '\r';
      memmove(p + 1, p + 2, strlen(p + 2) + 1);
    }
    p = strchr(p + 1, '\\');
  }
}

/* Text number nr in the menu language, else in the fallback language. */
static void LookUpText(dword nr, const char *langCode, const char *fallbackCode, char *value)
{
  char key[16];
  snprintf(key, sizeof(key), "%s_%3.3u", langCode, (unsigned)nr);
  INIGetString(key, value, "", LangValueSize);
  if(!value[0] && fallbackCode)
  {
    snprintf(key, sizeof(key), "%s_%3.3u", fallbackCode, (unsigned)nr);
    INIGetString(key, value, "", LangValueSize);
  }
  DecodeEscapes(value);
}

/* Both passes over the open file: offsets and total size, then the texts. */
static void LoadTexts(dword nrStrings, const char *langCode, const char *fallbackCode)
{
  char value[LangValueSize];
  LangStringPtr = (dword *)TAP_MemAlloc(nrStrings * sizeof(dword) + 1);
  memset(LangStringPtr, 0, nrStrings * sizeof(dword));

  dword total = 0;
  for(dword i = 0; i < nrStrings; i++)
  {
    LangStringPtr[i] = total;
    LookUpText(i, langCode, fallbackCode, value);
    total += strlen(value) + 1;
  }

  LangStrings = (char *)TAP_MemAlloc(total + 1);
  memset(LangStrings, 0, total + 1);
  for(dword i = 0; i < nrStrings; i++)
  {
    LookUpText(i, langCode, fallbackCode, value);
    strcpy(LangStrings + LangStringPtr[i], value);
  }
}

extern "C" INILOCATION LangLoadStrings(const char *langFile, dword nrStrings, int fallbackLang, const char *appName)
{
  LangUnloadStrings();

  const char *langCode = iso639_1(TAP_GetSystemVar(SysVarOsdLanguage));
  if(nrStrings >= MaxLangStrings || !langCode || fallbackLang >= 20) return INI_NotFound;
  const char *fallbackCode = fallbackLang >= 0 ? iso639_1(fallbackLang) : nullptr;

  // The caller may have an INI file of its own open; it is set aside and
  // given back untouched.
  char *savedBuffer = INIBuffer, *savedComments = INICommentBuffer;
  dword savedSize = BufferSize;
  INIBuffer = nullptr;
  INICommentBuffer = nullptr;
  BufferSize = 0;

  HDD_TAP_PushDir();
  INILOCATION location = INIOpenFile(langFile, appName);
  if(location == INI_NotFound || location == INI_NewFile)
    location = INI_NotFound;
  else
  {
    LoadTexts(nrStrings, langCode, fallbackCode);
    LangNrStrings = nrStrings;
  }
  INICloseFile();
  INIBuffer = savedBuffer;
  INICommentBuffer = savedComments;
  BufferSize = savedSize;
  HDD_TAP_PopDir();
  return location;
}

extern "C" char *LangGetString(dword stringNr)
{
  static char empty[1];
  if(!LangStrings || !LangStringPtr || stringNr >= LangNrStrings) return empty;
  return LangStrings + LangStringPtr[stringNr];
}

extern "C" void LangUnloadStrings(void)
{
  if(LangStrings) TAP_MemFree(LangStrings);
  if(LangStringPtr) TAP_MemFree(LangStringPtr);
  LangStrings = nullptr;
  LangStringPtr = nullptr;
  LangNrStrings = 0;
}
