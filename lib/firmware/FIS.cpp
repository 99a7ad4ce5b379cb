// FIS.cpp - accessors of firmware functions (FIS_fw...) and variables (FIS_v...) that
// the published TAP API does not offer.  Each caches its address after the
// first successful lookup; a missing symbol is looked up again next time.
#include "Kalib.h"

static void *Cached(void *&cell, const char *symbol) {
  if (cell == nullptr) cell = TryResolve(symbol);
  return cell;
}

// Expands to a function definition, which parentheses cannot enclose.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define KALIB_ACCESSOR(accessor, symbol) \
  void *accessor(void) {                 \
    static void *cell;                   \
    return Cached(cell, symbol);         \
  }
// NOLINTEND(bugprone-macro-parentheses)

KALIB_ACCESSOR(FIS_fwTimeToLinux, "PvrTimeToLinux")
KALIB_ACCESSOR(FIS_fwApplHdd_RestoreWorkFolder, "_Z25ApplHdd_RestoreWorkFolderv")
KALIB_ACCESSOR(FIS_fwApplHdd_SaveWorkFolder, "_Z22ApplHdd_SaveWorkFolderv")
KALIB_ACCESSOR(FIS_fwApplHdd_SelectFolder, "_Z20ApplHdd_SelectFolderPvPKc")
KALIB_ACCESSOR(FIS_fwApplHdd_SetWorkFolder, "_Z21ApplHdd_SetWorkFolderPv")
KALIB_ACCESSOR(FIS_fwAppl_ConvertToValidUTF8Str, "_Z26Appl_ConvertToValidUTF8StrPhi")
KALIB_ACCESSOR(FIS_fwAppl_ExecProgram, "_Z16Appl_ExecProgramPc")
KALIB_ACCESSOR(FIS_vOsdMap, "_osdInfo")
KALIB_ACCESSOR(FIS_vTAPTable, "_tapTask")
KALIB_ACCESSOR(FIS_vCurTapTask, "_curTapTask")
KALIB_ACCESSOR(FIS_vHddTapFolder, "_hddTapFolder")

// The firmware hands out the MAC address through a function that stores a
// pointer to the six bytes; that pointer is what gets cached.
void *FIS_vMACAddress(void) {
  static void *macBytes;
  if (macBytes != nullptr) return macBytes;
  typedef void (*GetMacAddrFn)(void **macBytes, void *scratch);
  GetMacAddrFn getMacAddr = (GetMacAddrFn)TryResolve("DevEeprom_GetMacAddr");
  if (getMacAddr != nullptr) {
    long64 scratch = 0;
    getMacAddr(&macBytes, &scratch);
  }
  return macBytes;
}
