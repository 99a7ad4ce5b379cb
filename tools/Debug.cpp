// Debug.cpp - scratch buffer into which the installer and the tool module format log
// texts before WriteLog.
#include "Tools.h"

char Debug[2048];
