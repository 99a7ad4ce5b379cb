// FirmwareFunctions.h - the firmware's internal C++ functions that pvrsim
// defines under their exact (mangled) names.  Declared in the global
// namespace with C++ linkage on purpose; do not include Kalib.h next to this
// header (its C wrappers of the same names would clash).
#pragma once

#include "tap.h"

dword ApplHdd_SaveWorkFolder();
dword ApplHdd_RestoreWorkFolder();
int ApplHdd_SelectFolder(void *folderRecord, const char *folder);
dword ApplHdd_SetWorkFolder(void *folderRecord);
dword Appl_ExecProgram(char *fileName);
int Appl_ConvertToValidUTF8Str(unsigned char *text, int size);
