// Counter.cpp - the counter library's one global counter (see Counter.h).
#include "Counter.h"

static int counter;

int CounterBump(void) { return ++counter; }
int CounterValue(void) { return counter; }
