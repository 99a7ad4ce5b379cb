// BoxShellRun.cpp - runs one command line with pvrsim's box shell on a disk
// folder, until its background jobs end; exits with the command's status and
// copies the shell log to stderr.  real_tar_test.py compares it with busybox.
#include <cstdio>
#include <string>

#include "box/Box.h"

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: box_shell_run DISK RUN COMMAND\n");
    return 2;
  }
  pvrsim::box::Config config;
  config.diskRoot = argv[1];
  config.runDir = argv[2];
  pvrsim::box::configure(config);
  int status = pvrsim::box::runShell(argv[3]) >> 8;
  for (int tick = 0; tick < 100000 && pvrsim::box::runningShellJobs() > 0; ++tick)
    pvrsim::box::advanceShellJobs();
  std::fputs(pvrsim::box::shellLog().c_str(), stderr);
  return status;
}
