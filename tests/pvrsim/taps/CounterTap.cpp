// CounterTap.cpp - a test TAP that bumps the counter of its copy of the counter library once
// in TAP_Main and once per key event; exported: counterSeenInMain and
// counterNow() for the test.
#include "Counter.h"
#include "tap.h"

#ifndef COUNTER_TAP_ID
#define COUNTER_TAP_ID 0x7E57C0A0u
#endif

TAP_ID(COUNTER_TAP_ID);
TAP_PROGRAM_NAME("Counter");
TAP_PROGRAM_VERSION("1.0");
TAP_AUTHOR_NAME("pvrsim tests");
TAP_DESCRIPTION("Library state test");
TAP_ETCINFO("Dec 31 2015");
TAP_HEADER();

extern "C" {
__attribute__((visibility("default"))) int counterSeenInMain;
__attribute__((visibility("default"))) int counterNow(void) { return CounterValue(); }
}

static dword eventHandler(word event, dword param1, dword) {
  if (event == EVT_KEY) CounterBump();
  return param1;
}

static int tapMain(void) {
  counterSeenInMain = CounterBump();
  return 1;
}

TAP_ENTRY_POINTS(tapMain, eventHandler)
