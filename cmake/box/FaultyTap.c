// FaultyTap.c - a TAP with two faults that the box TAP check must find: it
// calls malloc, which is not among the box functions that TAPs may use
// (memory comes from TAP_MemAlloc), and it computes with the FPU.
#include <stddef.h>

void *malloc(size_t size);

__attribute__((noinline)) float FaultyScale(float value, float factor) { return value * factor; }

void *FaultyAllocate(size_t size) { return malloc(size); }
