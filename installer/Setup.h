// Setup.h - the installer's payload writers: they copy the embedded files
// (Payloads.h) to their places on the disk.  Every writer changes the working
// directory and leaves it in the folder where it wrote.
//
// A payload is first written under a temporary name in its folder and moved
// to its own name only when it is complete, so a file under its final name
// is always whole: a write cut short by a power loss or a full disk leaves at
// most a temporary file, which the next run writes again.  A payload that
// cannot be written, or whose folder cannot be entered, is logged with its
// path and the reason and counted in PayloadFailures.
#ifndef VANTERO_SETUP_WRITERS_H
#define VANTERO_SETUP_WRITERS_H

#include "Tools.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Suffix of the temporary name under which a payload is written. */
#define PAYLOAD_TEMP_SUFFIX REPLACE_WHOLE_FILE_SUFFIX

/* The manager's TAP as FileName in Folder (TAP notation); always replaced. */
void InstallVantero(const char *Folder, const char *FileName);
/* wget and busybox in "/ProgramFiles", written when missing, then given
 * mode 555 in every case. */
void InstallWget(void);
void InstallBusybox(void);
/* The ten fonts in "/ProgramFiles/Settings/Fonts" (folders made as needed),
 * each written when missing. */
void InstallFonts(void);
/* One font into the current folder unless a file of that name exists. */
void CreateFontFile(const char *FileName, const byte *FontData, int DataSize);
/* "Vantero.lng" in "/ProgramFiles/Settings/Vantero"; always replaced.  The
 * folder must exist (CreateSettingsDir). */
void InstallLanguage(void);

/* Shared by the writers: writes Data as FileName into the current folder
 * through the temporary name and replaces an existing file only with a
 * complete copy.  True when the file is in place; otherwise the old file (if
 * any) is left as it was and the failure is reported (ReportPayloadFailure). */
bool WritePayloadFile(const char *FileName, const byte *Data, int DataSize);

/* Payloads that could not be written since the installer started. */
extern dword PayloadFailures;
/* Logs "  Failed to write <Folder>/<FileName>: <Reason>" and counts it. */
void ReportPayloadFailure(const char *Folder, const char *FileName, const char *Reason);
/* Writes a program into "/ProgramFiles" unless it exists there, then runs
 * "chmod 555" on it in every case. */
void InstallProgram(const char *FileName, const byte *Data, int DataSize);

#ifdef __cplusplus
}
#endif

#endif /* VANTERO_SETUP_WRITERS_H */
