// LogStamp.h - pieces shared by the log writers: the line's time stamp and
// the file time of a log that has just been written.  Internal to Kalib.
#ifndef KALIB_LOG_STAMP_H
#define KALIB_LOG_STAMP_H

#include "Kalib.h"

/* Room for the longest time stamp, its trailing blank and the terminator. */
#define KALIB_STAMP_SIZE 42

/* The present firmware time in the given style, followed by one blank
 * unless the style gives an empty text. */
void KalibLogStamp(tTimeStampStyle style, char stamp[KALIB_STAMP_SIZE]);

/* Sets access and modification time of a Linux file to the firmware's
 * present time, so that log files carry the box's clock. */
void KalibLogTouch(const char *linuxPath);

#endif /* KALIB_LOG_STAMP_H */
