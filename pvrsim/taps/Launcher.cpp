// Launcher.cpp - a TAP that starts another TAP with a start parameter, the
// way a TAP on the box does (the update manager starting the installer):
// through the library's HDD_TAP_Start, whose shared-memory hand-over the
// started TAP reads in its TAP_Main.  The launcher ends right after.
//
// What to start comes from the request file "/ProgramFiles/Launcher.txt":
//
//   line 1  the TAP file to start, any path notation
//           (/ProgramFiles/Vantero_Setup.tap)
//   line 2  optional: the parameter, a decimal or 0x-hex number handed over
//           as a pointer to a 32-bit value (for the installer: its task,
//           0 = IT_Install ... 5 = IT_RepairComplete)
//   line 3  optional: "batch" to start in batch mode
//
// Without line 2 the launcher hands on its own start parameter, if it got
// one, else starts the TAP without a parameter.  Its report goes to the
// console, one line.
#include <stdlib.h>
#include <string.h>

#include "Kalib.h"

TAP_HEADER();
TAP_ID(0x5C3E1AF0);
TAP_PROGRAM_NAME("Launcher");
TAP_PROGRAM_VERSION("1.0");
TAP_AUTHOR_NAME("Vantero Team");
TAP_DESCRIPTION("Starts a TAP with a start parameter (pvrsim)");
TAP_ETCINFO("Jan  1 2016");

static const char *const RequestFile = "/ProgramFiles/Launcher.txt";
static const dword MaxRequestSize = 1023;

// The request: the file to start and the parameter, when there is one.
struct tLaunchRequest {
  char *TapFile;
  bool HasParameter;
  dword Parameter;
  bool BatchMode;
};

// Cuts the text at the end of its line (LF, CR LF or CR); returns the next
// line (or the end).
static char *CutLine(char *line) {
  char *end = line + strcspn(line, "\r\n");
  char *next = end;
  if (*next == '\r') next++;
  if (*next == '\n') next++;
  *end = '\0';
  return next;
}

// Reads the request file into `text` (MaxRequestSize + 1 bytes) and splits
// it into the request; false when the file is missing or names no TAP.
static bool ReadRequest(char *text, tLaunchRequest *request) {
  TYPE_File *file = TAP_Hdd_Fopen(RequestFile);
  if (file == nullptr) return false;
  dword length = TAP_Hdd_Flen(file);
  if (length > MaxRequestSize) length = MaxRequestSize;
  dword read = TAP_Hdd_Fread(text, 1, length, file);
  TAP_Hdd_Fclose(file);
  if (read > length) read = 0;
  text[read] = '\0';

  request->TapFile = text;
  char *parameterLine = CutLine(text);
  char *batchLine = CutLine(parameterLine);
  CutLine(batchLine);
  request->HasParameter = parameterLine[0] != '\0';
  request->Parameter = (dword)strtoul(parameterLine, nullptr, 0);
  request->BatchMode = strcmp(batchLine, "batch") == 0;
  return request->TapFile[0] != '\0';
}

static int TAP_Main(void) {
  static char text[MaxRequestSize + 1];
  static char report[MaxRequestSize + 128];
  tLaunchRequest request;
  if (!ReadRequest(text, &request)) {
    TAP_SPrint(report, "Launcher: no TAP named in %s\n", RequestFile);
    PrintNet(report);
    return 0;
  }

  // Our own parameter is readable only now, during our own start.
  dword *ownParameter = (dword *)HDD_TAP_GetStartParameter();
  dword parameter = request.Parameter;
  dword *parameterBlock = &parameter;
  if (!request.HasParameter) {
    if (ownParameter != nullptr)
      parameter = *ownParameter;
    else
      parameterBlock = nullptr;
  }

  dword tapId = 0;
  bool started = HDD_TAP_Start(request.TapFile, request.BatchMode, parameterBlock, &tapId);
  if (!started)
    TAP_SPrint(report, "Launcher: could not start %s\n", request.TapFile);
  else if (parameterBlock != nullptr)
    TAP_SPrint(report, "Launcher: started %s (0x%8.8x) with parameter %u\n", request.TapFile, tapId,
               parameter);
  else
    TAP_SPrint(report, "Launcher: started %s (0x%8.8x) without parameter\n", request.TapFile, tapId);
  PrintNet(report);
  return 0;  // the launcher's work is done: end
}

static dword TAP_EventHandler(word event, dword param1, dword) { return event == EVT_IDLE ? 0 : param1; }

TAP_ENTRY_POINTS(TAP_Main, TAP_EventHandler)
