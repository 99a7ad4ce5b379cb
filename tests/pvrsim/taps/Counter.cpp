#include "Counter.h"

static int counter;

int CounterBump(void) { return ++counter; }
int CounterValue(void) { return counter; }
