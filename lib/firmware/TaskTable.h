// TaskTable.h - internal helpers around the firmware's TAP task table.
#ifndef KALIB_TASK_TABLE_H
#define KALIB_TASK_TABLE_H

#include "Kalib.h"

/* Makes TAP_TableIndex known: when it is still -1 it is taken from the
 * firmware's current-task variable.  False when that variable is missing. */
bool KalibResolveTableIndex(void);

/* The task table's entry 0, or null when the firmware does not export it. */
static inline TYPE_TapTask *KalibTaskTable(void) { return (TYPE_TapTask *)FIS_vTAPTable(); }

#endif /* KALIB_TASK_TABLE_H */
