// Counter.h - a static library with one global counter, linked into two
// test TAPs to show that every TAP keeps its own copy of a library's state.
#pragma once

int CounterBump(void);  // adds 1 and returns the new value
int CounterValue(void);
