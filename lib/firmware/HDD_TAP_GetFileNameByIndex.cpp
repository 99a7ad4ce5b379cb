// HDD_TAP_GetFileNameByIndex.cpp - the file of the TAP running in a task slot, as the firmware's own string.
#include "TaskTable.h"

bool HDD_TAP_GetFileNameByIndex(int index, char **tapFileName) {
  if ((unsigned)index >= TAP_MAX_TASKS) {
    if (tapFileName != nullptr) *tapFileName = nullptr;
    return false;
  }
  TYPE_TapTask *table = KalibTaskTable();
  if (tapFileName == nullptr || table == nullptr) return false;
  const TYPE_TapTask &task = table[index];
  if (task.state != 1 || task.file == nullptr) return false;
  TYPE_FileObject *object = (TYPE_FileObject *)task.file->handle;
  if (object == nullptr || object->magic != TAP_FILE_OBJECT_MAGIC) return false;
  *tapFileName = object->path;
  return true;
}
