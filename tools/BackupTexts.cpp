// BackupTexts.cpp - what busybox prints for the backup, taken apart: the
// free space that "df -k" reports and the member list of "tar -t".  Both
// texts come from another program and are checked as untrusted input: a
// line that does not look as expected makes the whole answer unusable.
#include <stdlib.h>
#include <string.h>

#include "Tools.h"

// The next blank-separated word of text from *at into word (size bytes,
// cut); false at the end.
static bool NextWord(const char *text, dword *at, char *word, dword size) {
  while (text[*at] == ' ' || text[*at] == '\t' || text[*at] == '\r' || text[*at] == '\n') (*at)++;
  if (text[*at] == '\0') return false;
  dword n = 0;
  while (text[*at] != '\0' && text[*at] != ' ' && text[*at] != '\t' && text[*at] != '\r' &&
         text[*at] != '\n') {
    if (n + 1 < size) word[n++] = text[*at];
    (*at)++;
  }
  word[n] = '\0';
  return true;
}

static bool AllDigits(const char *word) {
  if (word[0] == '\0') return false;
  for (const char *p = word; *p != '\0'; p++)
    if (*p < '0' || *p > '9') return false;
  return true;
}

// busybox prints "Filesystem 1K-blocks Used Available Use% Mounted on",
// then the device (on a line of its own when its name is long), blocks,
// used, available, the percentage and the mount point.  The available
// count is the number just before the one word that ends in '%' after the
// header.
static bool DfAvailable(const char *dfOutput, dword *kilobytes) {
  if (dfOutput == nullptr || kilobytes == nullptr) return false;
  const char *header = strstr(dfOutput, "Mounted on");
  if (header == nullptr) return false;
  dword at = (dword)(header - dfOutput) + 10;
  char words[4][32], word[32];
  int seen = 0;
  while (NextWord(dfOutput, &at, word, sizeof word)) {
    size_t length = strlen(word);
    if (length > 1 && word[length - 1] == '%') {
      // words holds the last three before it: blocks, used, available.
      if (seen < 3 || !AllDigits(words[(seen - 1) % 4]) || strlen(words[(seen - 1) % 4]) > 9) return false;
      *kilobytes = (dword)strtoul(words[(seen - 1) % 4], nullptr, 10);
      return true;
    }
    memcpy(words[seen % 4], word, sizeof word);
    seen++;
  }
  return false;
}

// One member name: relative, below root + "/", without ".." as a part
// and without control characters.
static bool SafeMember(const char *name, dword length, const char *root) {
  dword rootLength = (dword)strlen(root);
  if (length <= rootLength || strncmp(name, root, rootLength) != 0 || name[rootLength] != '/') return false;
  for (dword i = 0; i < length; i++) {
    if ((byte)name[i] < 0x20 || name[i] == '\\') return false;
    bool partStart = i == 0 || name[i - 1] == '/';
    bool partEnd = i + 2 >= length || name[i + 2] == '/';
    if (partStart && name[i] == '.' && i + 1 < length && name[i + 1] == '.' && partEnd) return false;
  }
  return true;
}

static int CheckList(const char *listing, const char *root, char *bad, dword badSize) {
  if (bad != nullptr && badSize > 0) bad[0] = '\0';
  if (listing == nullptr || root == nullptr || root[0] == '\0') return -1;
  int members = 0;
  for (const char *line = listing; *line != '\0';) {
    const char *end = strchr(line, '\n');
    dword length = end != nullptr ? (dword)(end - line) : (dword)strlen(line);
    if (length > 0 && line[length - 1] == '\r') length--;
    if (length > 0) {
      if (length >= KALIB_PATH_MAX || !SafeMember(line, length, root)) {
        if (bad != nullptr && badSize > 0) {
          dword n = length < badSize - 1 ? length : badSize - 1;
          memcpy(bad, line, n);
          bad[n] = '\0';
        }
        return -1;
      }
      members++;
    }
    line = end != nullptr ? end + 1 : line + strlen(line);
  }
  return members;
}

bool DfAvailableKB(const char *dfOutput, dword *kilobytes) {
  CallTraceEnter("DfAvailableKB");
  bool known = DfAvailable(dfOutput, kilobytes);
  CallTraceExit(nullptr);
  return known;
}

int TarListCheck(const char *listing, const char *root, char *bad, dword badSize) {
  CallTraceEnter("TarListCheck");
  int members = CheckList(listing, root, bad, badSize);
  CallTraceExit(nullptr);
  return members;
}
