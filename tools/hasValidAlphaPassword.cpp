// hasValidAlphaPassword.cpp - whether the user has entered a version's
// alpha password (one of the settings' alpha passwords).
#include "ToolsInternal.h"

bool hasValidAlphaPassword(int64 password) {
  CallTraceEnter("hasValidAlphaPassword");
  bool valid = false;
  for (int i = 0; !valid && Settings.AlphaPasswords != nullptr && i < Settings.NrOfAlphaPasswords; i++)
    valid = Settings.AlphaPasswords[i] == password;
  CallTraceExit(nullptr);
  return valid;
}
