// FM_isValidCharacter.cpp - the legacy 8-bit fonts draw the bytes 0x20-0x7E and 0xA0-0xFF.
#include "Kalib.h"

bool FM_isValidCharacter(byte c) { return (c >= 0x20 && c <= 0x7E) || c >= 0xA0; }
