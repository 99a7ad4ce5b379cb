// CommandLine.h - the pvrsim program: its arguments and its run.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Sim.h"

namespace pvrsim {

struct ScheduledKey {
  dword tick;
  dword code;
};

struct CommandLine {
  Options options;
  std::vector<std::pair<std::string, std::string>> copies;  // host file, TAP-notation path
  std::vector<ScheduledKey> keys;
  std::optional<dword> ticks;  // run exactly this many ticks
  dword maxTicks = 360000;     // safety limit when running until no TAP is left (one box hour)
  std::optional<dword> param;
  std::string tapFile;
  bool help = false;
};

// A remote-control key and its name on the command line.
struct KeyName {
  const char *name;
  dword code;
};

// Every key pvrsim knows by name (in code order), one stable name per key.
const std::vector<KeyName> &keyNames();
// The name of a key code, or null when it has none.
const char *keyNameOf(dword code);
// The names separated by spaces, for --help.
std::string keyNameList();

// Remote-control key by name (one of keyNames, in any case) or as a number
// ("0x1000B").
bool parseKeyName(const std::string &name, dword &code);

// Menu-language number by ISO 639-1 code (en 0, fr 1, de 2 ... bg 19) or as a number.
bool parseLanguage(const std::string &text, int &number);

// Decimal or "0x" hexadecimal, 0 to 0xFFFFFFFF.
bool parseDword(const std::string &text, dword &value);

// Reads a key script: one "TICK NAME" per line; blank lines and lines
// beginning with '#' are skipped.
bool readKeyScript(const std::string &file, std::vector<ScheduledKey> &keys, std::string &error);

// Parses the arguments after the program name; on failure error names the
// argument and the problem.
bool parseCommandLine(const std::vector<std::string> &args, CommandLine &out, std::string &error);

std::string usageText();

// What a front end (the web page of --serve) adds to a run; each may be empty.
struct RunHooks {
  std::function<void(Sim &)> started;   // the Sim exists; no TAP has started yet
  std::function<bool()> stopRequested;  // asked before each tick of the run loop: true ends the run there
  // After the summary, with the reason the run ended ("no TAP left at tick 1234" ...).
  std::function<void(Sim &, const std::string &why)> finished;
};

// Runs pvrsim as the command line says; messages go to stdout/stderr.
// Returns the exit status: 0, 1 when the TAP could not be started, 2 when
// the disk or run folder names something that is not a folder.
int runCommandLine(const CommandLine &commandLine, const RunHooks &hooks = {});

}  // namespace pvrsim
