// FaultyTap.c - a TAP with the faults that the box TAP check must find: it
// is linked against Debian's libm (another library, with symbol versions),
// calls malloc, which is not among the box functions that TAPs may use
// (memory comes from TAP_MemAlloc), and computes with the FPU.
#include <stddef.h>

void *malloc(size_t size);
double cos(double x);

__attribute__((noinline)) float FaultyScale(float value, float factor) { return value * factor; }

void *FaultyAllocate(size_t size) { return malloc(size); }

double FaultyCosine(double x) { return cos(x); }
