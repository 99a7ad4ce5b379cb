// NoIdTap.cpp - a shared object with every identity section but "._tap_id": not a TAP.
#include "tap.h"

TAP_PROGRAM_NAME("No ID");
TAP_PROGRAM_VERSION("1.0");
TAP_HEADER();

static int tapMain(void) { return 1; }

TAP_ENTRY_POINTS(tapMain, nullptr)
