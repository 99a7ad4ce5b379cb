/*
 * Tools.h - the update manager's shared tool module, linked by the installer
 * and by the manager: the installer log, the settings folder, finding and
 * stopping a TAP, and the manager's data files.
 */
#ifndef VANTERO_TOOLS_H
#define VANTERO_TOOLS_H

#include "Kalib.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VANTERO_TAPID 0x5C3E1A20u
#define VANTERO_SETTINGS_DIR "/ProgramFiles/Settings/Vantero"
#define VANTERO_LOG_NAME "Vantero.log"

/* Shared scratch buffer for formatting log texts before WriteLog. */
extern char Debug[2048];

void WriteLog(const char *programName, const char *s);
void CreateSettingsDir(void);

bool FindTAP(dword tapId, char *tapName, char *folderName);
bool StopTAP(dword tapId);

#ifdef __cplusplus
}
#endif

#endif /* VANTERO_TOOLS_H */
