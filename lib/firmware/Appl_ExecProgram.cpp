// Appl_ExecProgram.cpp - wrapper of the firmware's program start: forwards when the firmware offers
// the function, otherwise does nothing and returns 0.
#include "Kalib.h"

dword Appl_ExecProgram(char *fileName) {
  typedef dword (*Fn)(char *);
  Fn fn = (Fn)FIS_fwAppl_ExecProgram();
  return fn ? fn(fileName) : 0;
}
