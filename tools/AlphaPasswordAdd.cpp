// AlphaPasswordAdd.cpp - keeping an alpha password the user entered: it
// joins the settings' list (once) and the settings are saved at once, so
// that the versions it unlocks stay visible after a restart.
#include <string.h>

#include "ToolsInternal.h"

void AlphaPasswordAdd(int64 Password) {
  CallTraceEnter("AlphaPasswordAdd");
  int count = Settings.AlphaPasswords != nullptr ? Settings.NrOfAlphaPasswords : 0;
  if (hasValidAlphaPassword(Password)) {
    LogVantero("Alpha password already known");
  } else if (count >= ALPHA_PASSWORDS_MAX) {
    LogVantero("Alpha password not added: the list holds %d passwords", count);
  } else {
    int64 *list = (int64 *)TAP_MemAlloc((count + 1) * sizeof(int64));
    if (list == nullptr) {
      LogVantero("Alpha password not added: out of memory");
    } else {
      if (count > 0) memcpy(list, Settings.AlphaPasswords, count * sizeof(int64));
      list[count] = Password;
      TAP_MemFree(Settings.AlphaPasswords);
      Settings.AlphaPasswords = list;
      Settings.NrOfAlphaPasswords = count + 1;
      LogVantero("Alpha password added (%d known)", count + 1);
      SettingsSave();
    }
  }
  CallTraceExit(nullptr);
}
