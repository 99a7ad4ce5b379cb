// stubs-o32_soft.h - TAP code is compiled for software floating point
// against the headers of Debian's hard-float C library, whose <gnu/stubs.h>
// asks for this file.  It only lists the C library's unimplemented
// functions, which are the same for both conventions.
#include <gnu/stubs-o32_hard.h>
