// Setup_busybox.cpp - writes the busybox program into "/ProgramFiles" when it is missing.
#include "Payloads.h"
#include "Setup.h"

void InstallBusybox(void) {
  CallTraceEnter("InstallBusybox");
  InstallProgram("busybox", _busybox_Bitmap, _busybox_Size);
  CallTraceExit(nullptr);
}
