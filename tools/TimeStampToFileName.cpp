// TimeStampToFileName.cpp - the archive name of a release: TAP ID, date and
// time of its time stamp, "5C3E1A20-20151231-235959.tgz".
#include <stdio.h>
#include <string.h>

#include "ToolsInternal.h"

// The firmware's modified Julian day is a word: day numbers from 13992 on
// (2038-04-22) wrap around, as they do in every name the manager makes.
void TimeStampToFileName(dword tapId, dword timeStamp, char *fileName) {
  CallTraceEnter("TimeStampToFileName");
  if (fileName != nullptr) {
    word mjd = (word)((timeStamp >> 17) - 13992);
    dword seconds = timeStamp & 0x1FFFF;
    word year = 0;
    byte month = 0, day = 0, weekDay = 0;
    TAP_ExtractMjd(mjd, &year, &month, &day, &weekDay);
    snprintf(fileName, VPD_ARCHIVE_NAME_SIZE, "%8.8x-%4.4d%2.2d%2.2d-%2.2d%2.2d%2.2d", (unsigned)tapId, year,
             month, day, (int)(seconds / 3600), (int)(seconds % 3600 / 60), (int)(seconds % 60));
    UpperCase(fileName);
    size_t used = strlen(fileName);
    snprintf(fileName + used, VPD_ARCHIVE_NAME_SIZE - used, ".tgz");
  }
  CallTraceExit(nullptr);
}
