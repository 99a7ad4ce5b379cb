/*
 * StrReplace.cpp - replace every occurrence of a text, and find a text
 * regardless of case.
 */
#include <ctype.h>
#include <string.h>
#include <strings.h>
#include "Kalib.h"

/* Replacement not longer than the search text: the text only shrinks. */
static void ReplaceInPlace(char *text, const char *find, const char *replace)
{
  size_t findLen = strlen(find), replaceLen = strlen(replace);
  char *p = strstr(text, find);
  while(p)
  {
    memcpy(p, replace, replaceLen);
    if(findLen != replaceLen)
      memmove(p + replaceLen, p + findLen, strlen(p + findLen) + 1);
    p = strstr(p + replaceLen, find);
  }
}

/* Longer replacement: build the result in a work buffer, then copy it back
 * over the text, whose buffer must hold it. */
static void ReplaceGrowing(char *text, const char *find, const char *replace)
{
  size_t findLen = strlen(find), replaceLen = strlen(replace);
  dword count = 0;
  for(const char *p = strstr(text, find); p; p = strstr(p + findLen, find)) count++;

  dword size = strlen(text) + (replaceLen - findLen) * count + 2;
  char *work = (char *)TAP_MemAlloc(size);
  memset(work, 0, size);
  char *w = work;
  const char *s = text;
  for(const char *p = strstr(s, find); p; p = strstr(s, find))
  {
    memcpy(w, s, p - s);
    w += p - s;
    memcpy(w, replace, replaceLen);
    w += replaceLen;
    s = p + findLen;
  }
  strcpy(w, s);
  strcpy(text, work);
  TAP_MemFree(work);
}

extern "C" bool StrReplace(char *text, const char *find, const char *replace)
{
  if(!text || !find || !replace || !text[0] || !find[0]) return false;
  if(!strstr(text, find)) return false;

  if(strlen(replace) <= strlen(find))
    ReplaceInPlace(text, find, replace);
  else
    ReplaceGrowing(text, find, replace);
  return true;
}

extern "C" char *stricstr(const char *text, const char *find)
{
  if(!text || !find) return nullptr;
  find = SkipCharTableBytes(find);
  if(!find[0]) return nullptr;

  const char *p = SkipCharTableBytes(text);
  int upper = toupper((byte)find[0]), lower = tolower((byte)find[0]);
  size_t restLen = strlen(find + 1);
  for(; *p; p++)
  {
    // strncasecmp stops at the text's terminator, which never matches.
    if(((byte)*p == upper || (byte)*p == lower) && strncasecmp(p + 1, find + 1, restLen) == 0)
      return (char *)p;
  }
  return nullptr;
}
