// SystemApi.cpp - system identity, system variables and the firmware's normal screens.
#include "Runtime.h"

using namespace pvrsim::core;

extern "C" dword TAP_GetSystemId(void) { return rt().options.systemId; }

extern "C" dword TAP_GetVersion(void) { return rt().options.firmwareVersion; }

// Variable 1 is the OSD language; the others are not emulated and read 0.
extern "C" int TAP_GetSystemVar(int varId) { return varId == 1 ? rt().options.osdLanguage : 0; }

// The firmware's own screens come back (normal mode) or give the OSD to the TAP.
extern "C" void TAP_EnterNormal(void) {
  rt().normalMode = true;
  ++rt().enterNormalCalls;
}

extern "C" void TAP_ExitNormal(void) {
  rt().normalMode = false;
  ++rt().exitNormalCalls;
}
