// TestIdentity.cpp - the test program's own TAP ID, reported by the call tracer's warnings.
#include "tap.h"

TAP_ID(0x7E570001);
