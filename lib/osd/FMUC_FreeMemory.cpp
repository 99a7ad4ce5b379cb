// FMUC_FreeMemory.cpp - gives back memory reserved with FMUC_ReserveMemory.
#include "Kalib.h"

void FMUC_FreeMemory(const char *Requester, void *Pointer) {
  (void)Requester;
  if (Pointer != nullptr) TAP_MemFree(Pointer);
}
