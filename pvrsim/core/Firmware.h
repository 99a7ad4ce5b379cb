// Firmware.h - the firmware internals that pvrsim exports under the box
// firmware's own symbol names.
//
// A TAP finds these names with dlsym on the process's global scope.  A test
// program or a TAP may define a symbol of the same name itself (the library
// has its own PvrTimeToLinux, for one), so the box layer's dlsym resolves
// pvrsim's names in pvrsim itself.  A run that emulates a firmware without
// UTF-8 hides kUtf8Symbol there (box::hideSymbol).
#pragma once

#include <cstring>

namespace pvrsim::firmware {

inline constexpr const char *kSymbolNames[] = {
    "_tapTask",                           // TYPE_TapTask[16]
    "_curTapTask",                        // dword
    "_hddTapFolder",                      // TYPE_HddFolder *
    "_osdInfo",                           // TYPE_OsdMapEntry[] (the OSD module's)
    "PvrTimeToLinux",                     // extern "C" dword (dword)
    "DevEeprom_GetMacAddr",               // extern "C" void (byte **, void *)
    "_Z25ApplHdd_RestoreWorkFolderv",     // ApplHdd_RestoreWorkFolder()
    "_Z22ApplHdd_SaveWorkFolderv",        // ApplHdd_SaveWorkFolder()
    "_Z20ApplHdd_SelectFolderPvPKc",      // int ApplHdd_SelectFolder(void *, const char *)
    "_Z21ApplHdd_SetWorkFolderPv",        // ApplHdd_SetWorkFolder(void *)
    "_Z16Appl_ExecProgramPc",             // Appl_ExecProgram(char *)
    "_Z26Appl_ConvertToValidUTF8StrPhi",  // Appl_ConvertToValidUTF8Str(unsigned char *, int)
};

// The symbol whose presence tells a TAP that the firmware keeps UTF-8.
inline constexpr char kUtf8Symbol[] = "_Z26Appl_ConvertToValidUTF8StrPhi";

inline bool isFirmwareSymbol(const char *name) {
  if (!name) return false;
  for (const char *known : kSymbolNames)
    if (std::strcmp(known, name) == 0) return true;
  return false;
}

}  // namespace pvrsim::firmware
