// GetMacAddress.cpp - the box's MAC address as six bytes owned by the firmware, or null.
#include "Kalib.h"

byte *GetMacAddress(void) { return (byte *)FIS_vMACAddress(); }
