// Setup_wget.cpp - writes the wget program into "/ProgramFiles" when it is missing.
#include "Payloads.h"
#include "Setup.h"

void InstallWget(void) {
  CallTraceEnter("InstallWget");
  InstallProgram("wget", _wget_Bitmap, _wget_Size);
  CallTraceExit(nullptr);
}
