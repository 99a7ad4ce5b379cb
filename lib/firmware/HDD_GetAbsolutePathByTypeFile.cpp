// HDD_GetAbsolutePathByTypeFile.cpp - the absolute Linux path behind a firmware file record.
#include "BoundedString.h"
#include "Kalib.h"

// The buffer receives at most KALIB_PATH_MAX bytes.
bool HDD_GetAbsolutePathByTypeFile(TYPE_File *file, char *absFileName) {
  if (absFileName != nullptr) absFileName[0] = '\0';
  if (file == nullptr || absFileName == nullptr) return false;
  TYPE_FileObject *object = (TYPE_FileObject *)file->handle;
  if (object == nullptr || object->path == nullptr) return false;
  StrCopyBounded(absFileName, KALIB_PATH_MAX, object->path);
  return true;
}
