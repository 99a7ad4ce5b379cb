// TestIdentity.cpp - the test program's identity: the font loader titles its message window
// with the program name.
#include "tap.h"

TAP_ID(0x7E570055);
TAP_PROGRAM_NAME("OsdTest");
