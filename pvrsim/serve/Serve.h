// Serve.h - `pvrsim --serve [PORT]`: the run in real time with the box's
// screen, a remote control, the console and the running TAPs on a web page
// at http://127.0.0.1:PORT/.
#pragma once

#include "core/CommandLine.h"

namespace pvrsim::serve {

// Runs the command line as runCommandLine does, paced to real time, while
// serving the page on 127.0.0.1:port (0: any free port).  Prints
// "pvrsim: serving the box on http://127.0.0.1:PORT/" once the port is
// bound.  SIGINT and SIGTERM end the run at the next tick, with the summary;
// the page is told why the run ended.  Returns runCommandLine's status, or 1
// when the port cannot be had.
int runServed(CommandLine commandLine, int port);

}  // namespace pvrsim::serve
