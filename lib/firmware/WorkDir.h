// WorkDir.h - module state of the working-directory functions: the stack of
// saved directories and the learned success value of TAP_Hdd_ChangeDir.
// Internal to Kalib (and its tests).
#ifndef KALIB_WORK_DIR_H
#define KALIB_WORK_DIR_H

#include "tap.h"

#define TAP_DIR_STACK_DEPTH 16
#define TAP_DIR_STACK_ENTRY 200 /* 199 characters and the terminator */

#ifdef __cplusplus
extern "C" {
#endif

extern char TAPDirStack[TAP_DIR_STACK_DEPTH][TAP_DIR_STACK_ENTRY];
extern int TAPDirStackDepth;        /* index of the top entry, -1 when empty */
extern dword ReturnTypeToBeChecked; /* 1 until ChDirSuccessful is learned */
extern dword ChDirSuccessful;       /* what TAP_Hdd_ChangeDir returns on success */

#ifdef __cplusplus
}
#endif

#endif /* KALIB_WORK_DIR_H */
