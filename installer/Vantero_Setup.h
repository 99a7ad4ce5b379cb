// Vantero_Setup.h - the installer's tasks, its start parameter and the
// module state shared by its start-up, its task sequencer and its payload
// writers.
#ifndef VANTERO_SETUP_H
#define VANTERO_SETUP_H

#include "Tools.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SETUP_TAPID 0x5C3E1A25u
#define SETUP_PROGRAM_NAME "Vantero Setup" /* writer name of the installer's log lines */

/* What the installer does; chosen by the start parameter.  Held in 32 bits
 * with every value valid: a starting TAP may hand over any number, which is
 * stored as it is (tasks above IT_Standby do no work). */
typedef enum : dword {
  IT_Install = 0,
  IT_Uninstall = 1,
  IT_UninstallComplete = 2,
  IT_AutoStart = 3,
  IT_Repair = 4,
  IT_RepairComplete = 5,
  IT_Backup = 6,
  IT_Restore = 7,
  IT_InstallSelf = 8,
  IT_Error = 9,
  IT_Standby = 10
} tInstallerTask;

/* The parameter block that the starting TAP hands over. */
typedef struct {
  tInstallerTask SetupTask;
} tSetupStartParameter;

extern tInstallerTask SetupMode; /* the chosen task */
extern int TaskIndex;            /* next step of the task */
extern char FullName[256];       /* product name shown by the progress box */

int TAP_Main(void);
dword TAP_EventHandler(word event, dword param1, dword param2);

#ifdef __cplusplus
}
#endif

TAP_STATIC_ASSERT(sizeof(tInstallerTask) == 4, "tInstallerTask is held in 32 bits");
TAP_STATIC_ASSERT(sizeof(tSetupStartParameter) == 4, "start parameter record");

#endif /* VANTERO_SETUP_H */
