// TestIdentity.cpp - the test program's own TAP identity, which the tool module's call tracing
// reads.
#include "tap.h"

TAP_ID(0x7E570013);
TAP_PROGRAM_NAME("Data file tests");
