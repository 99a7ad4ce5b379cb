// TestIdentity.cpp - the test program's own TAP identity, which the library reports.
#include "tap.h"

TAP_ID(0x7E570F10);
TAP_PROGRAM_NAME("Journal tests");
