// BoxLibpthread.c - libpthread.so.0 for box TAPs under pvrsim.  TAPs call
// none of its functions (they run on the firmware's TAP thread); a TAP that
// needs the library finds this one, and the names in the host's C library.
typedef int BoxLibpthreadHasNoFunctions;
