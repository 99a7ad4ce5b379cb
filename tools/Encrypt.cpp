// Encrypt.cpp - the scrambling of a version's TimeStamp and AlphaPassword
// with the package's TAP ID as key.  Applying it twice gives the value back,
// so reading and writing use the same operation.
#include "ToolsInternal.h"

void Encrypt32(dword *d, dword tapId) {
  CallTraceEnter("Encrypt32");
  if (d != nullptr) {
    dword value = *d;
    for (int i = 0; i < 32; i++) {
      if (tapId & (1u << i)) value ^= tapId;
      value = value << 1 | value >> 31;
    }
    *d = value;
  }
  CallTraceExit(nullptr);
}

// The key is zero-extended: only the low half is XOR-ed.
void Encrypt64(int64 *d, dword tapId) {
  CallTraceEnter("Encrypt64");
  if (d != nullptr) {
    int64 value = *d;
    for (int i = 0; i < 64; i++) {
      if (tapId & (1u << (i % 32))) value ^= tapId;
      value = value << 1 | value >> 63;
    }
    *d = value;
  }
  CallTraceExit(nullptr);
}
