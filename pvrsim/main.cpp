// pvrsim: runs a TAP of the Topfield TMS box on this PC.
#include <cstdio>
#include <string>
#include <vector>

#include "core/CommandLine.h"

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  pvrsim::CommandLine commandLine;
  std::string error;
  if (!pvrsim::parseCommandLine(args, commandLine, error)) {
    std::fprintf(stderr, "pvrsim: %s\nTry 'pvrsim --help'.\n", error.c_str());
    return 2;
  }
  if (commandLine.help) {
    std::fputs(pvrsim::usageText().c_str(), stdout);
    return 0;
  }
  return pvrsim::runCommandLine(commandLine);
}
