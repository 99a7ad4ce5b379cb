// HDD_TAP_GetIDByIndex.cpp - the TAP ID of the TAP in a task slot, read from
// the header of the slot's TAP file.
#include "Kalib.h"

dword HDD_TAP_GetIDByIndex(dword taskIndex) {
  if (taskIndex >= TAP_MAX_TASKS) return 0;
  TYPE_TapTask *table = (TYPE_TapTask *)FIS_vTAPTable();
  if (table == nullptr) return 0;

  /* The slot state is not looked at: a slot reports the ID of its file for
   * as long as the firmware keeps the file record. */
  char path[KALIB_PATH_MAX];
  if (!HDD_GetAbsolutePathByTypeFile(table[taskIndex].file, path)) return 0;

  tTAPInfo info;
  if (!HDD_TAP_GetInfo(path, &info)) return 0;
  return info.TAPID;
}
