// AutoStartNames.cpp - names that make the firmware start the AutoStart
// TAPs in a chosen order.  The firmware starts them in the order of their
// file names, so each TAP gets a number in front ("01_Name.tap"); a number
// an earlier order gave it is replaced.  No new name may meet a file the
// folder holds already (another TAP, a file of another kind, or the old
// name of a TAP that is renamed as well), so that the renames never put a
// file over another one and can be undone in any order.
#include <stdio.h>
#include <string.h>

#include "Tools.h"

const char *AutoStartBaseName(const char *fileName) {
  if (fileName == nullptr) return "";
  int digits = 0;
  while (digits < 3 && fileName[digits] >= '0' && fileName[digits] <= '9') digits++;
  return digits >= 2 && fileName[digits] == '_' && fileName[digits + 1] != '\0' ? fileName + digits + 1
                                                                                : fileName;
}

static bool Taken(const char *name, const char *const *others, int nrOthers) {
  for (int i = 0; i < nrOthers; i++)
    if (others[i] != nullptr && strcasecmp(others[i], name) == 0) return true;
  return false;
}

// The names of one numbering: first, first + 1, ...; false when a number
// or a name does not fit, or a name meets another file.
static bool TryNumbering(tAutoStartName *names, int count, int first, const char *const *others,
                         int nrOthers) {
  if (first + count - 1 > 99) return false;
  for (int i = 0; i < count; i++) {
    int length =
        snprintf(names[i].New, sizeof names[i].New, "%02d_%s", first + i, AutoStartBaseName(names[i].Old));
    if (length < 0 || (dword)length >= sizeof names[i].New) return false;
    if (strcmp(names[i].New, names[i].Old) != 0 && Taken(names[i].New, others, nrOthers)) return false;
  }
  return true;
}

bool AutoStartPlanNames(tAutoStartName *names, int count, const char *const *others, int nrOthers) {
  CallTraceEnter("AutoStartPlanNames");
  bool planned = false;
  if (names != nullptr && count > 0) {
    // 1 first; other starting numbers step around names that are taken.
    for (int first = 1; first + count - 1 <= 99 && !planned; first++)
      planned = TryNumbering(names, count, first, others, nrOthers);
  }
  if (!planned && names != nullptr)
    for (int i = 0; i < count; i++) names[i].New[0] = '\0';
  CallTraceExit(nullptr);
  return planned;
}
