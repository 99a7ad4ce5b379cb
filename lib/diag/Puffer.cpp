// Puffer.cpp - the console line buffer shared by the log writer and the settings module.
#include "Kalib.h"

// Console line buffer: every console line is formatted here before PrintNet
// sends it.  Shared by the log writer and the settings module.
char puffer[1024];
