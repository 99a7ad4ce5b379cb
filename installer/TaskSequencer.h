// TaskSequencer.h - state of the installer's task sequencer that outlives a
// step: where the manager lives and the paths of the AutoStart move.
#ifndef VANTERO_TASK_SEQUENCER_H
#define VANTERO_TASK_SEQUENCER_H

#include "Kalib.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Where the manager runs from: -1 not located yet, 0 "/ProgramFiles" or
 * another folder, non-zero an autostart folder (2: question cancelled). */
extern int AutoStartMode;
/* Folder of the manager's TAP file: Linux form ("/mnt/hd/...") in the
 * install and repair tasks, firmware form in IT_AutoStart. */
extern char VPDPath[512];
extern char VPDFileName[128];
extern char Param1[256]; /* source of the AutoStart move */
extern char Param2[256]; /* target of the AutoStart move */
extern char cmd[512];

#ifdef __cplusplus
}
#endif

#endif
