// GetMacCRC.cpp - a checksum of the box's MAC address (CRC-32/MPEG-2 started
// with 0), computed once.  A checksum of 0 looks uncomputed and is computed
// again at the next call.
#include "ToolsInternal.h"

static dword MacCRC = 0;

dword GetMacCRC(void) {
  CallTraceEnter("GetMacCRC");
  if (MacCRC == 0) {
    byte *mac = GetMacAddress();
    if (mac != nullptr) MacCRC = CRC32(0, mac, 6);
  }
  CallTraceExit(nullptr);
  return MacCRC;
}
