// WgetCommand.cpp - prints the command line of BuildWgetCommand for a URL and
// the three files, as the manager builds it, for real_wget_test.py.
#include <cstdio>

#include "Tools.h"

TAP_ID(0x7E570032);
TAP_PROGRAM_NAME("wget command");

int main(int argc, char **argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: wget_command URL OUT STATUS PID\n");
    return 2;
  }
  char command[2048];
  if (!BuildWgetCommand(argv[1], argv[2], argv[3], argv[4], command, sizeof command)) {
    std::fprintf(stderr, "wget_command: the command does not fit\n");
    return 1;
  }
  std::printf("%s\n", command);
  return 0;
}
