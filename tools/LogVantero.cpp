// LogVantero.cpp - the data files' log lines: formatted into Debug, cut to
// fit it, and written by WriteLog under the manager's name.
#include <stdarg.h>
#include <stdio.h>

#include "ToolsInternal.h"

void LogVantero(const char *format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(Debug, sizeof Debug, format, args);
  va_end(args);
  WriteLog(VANTERO_PROGRAM_NAME, Debug);
}
