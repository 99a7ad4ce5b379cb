// CommandLine.cpp - the pvrsim program's arguments.
#include "CommandLine.h"

#include <fstream>
#include <sstream>

namespace pvrsim {

namespace {
// "Key names: ..." wrapped at 80 columns.
std::string wrappedKeyNames() {
  std::string text, line = "Key names:";
  std::istringstream names(keyNameList());
  for (std::string name; names >> name;) {
    if (line.size() + 1 + name.size() > 79) {
      text += line + "\n";
      line = " ";
    }
    line += " " + name;
  }
  return "\n" + text + line + "\n";
}
}  // namespace

std::string usageText() {
  return R"(Usage: pvrsim [OPTION]... TAPFILE
Runs a TAP (plug-in) of the Topfield TMS box on this PC: a host folder is the
box's disk at /mnt/hd, time runs in ticks of 10 ms, the TAP gets idle and key
events until no TAP is left (or for --ticks N).

TAPFILE is a path on the simulated disk (/ProgramFiles/X.tap) or a host file,
which is first copied into /ProgramFiles on the disk.  As on the box, every
TAP in /ProgramFiles/AutoStart starts first, in the order of the file names.

Options:
  --disk DIR          host folder that stands for the disk (default run/disk; created)
  --run DIR           folder for run files: console capture, loaded TAPs (default run)
  --copy HOST=BOX     copy a host file onto the disk first (BOX: /ProgramFiles/X.tap,
                      or a folder ending in '/'); repeatable
  --param N           start parameter, handed to the TAP as a pointer to a dword: pvrsim's
                      launcher TAP starts it through HDD_TAP_Start, as a TAP on the box does
  --ticks N           run exactly N ticks
  --max-ticks N       safety limit when running until no TAP is left (default 360000)
  --key TICK:NAME     press a key at a tick; repeatable.  NAME: a key name (below)
                      or a code such as 0x1000B
  --keys FILE         key script: one "TICK NAME" per line, '#' starts a comment
  --lang L            OSD language: en fr de it es ar el tr da sv no nl ru pl fa fi
                      sk th cs bg, or its number (en 0 ... bg 19); default en
  --time "YYYY-MM-DD HH:MM:SS"  box time at tick 0 (default: the host's local time)
  --realtime          pace ticks to real time (default: as fast as possible)
  --echo              copy the box console to this terminal
  --system-id N       TAP_GetSystemId (default 22010)
  --firmware-version N  TAP_GetVersion (default 0x1225)
  --no-utf8           emulate a firmware that does not keep UTF-8
  --power-cut-tick N  end the run abruptly after tick N (exit status 3)
  --power-cut-bytes N end the run abruptly once the TAP API wrote N bytes to the disk
  --disk-full-after-bytes N   the disk is full once the TAP API wrote N bytes: writes fail
  --lose-writes-after-bytes N the disk keeps nothing more once the TAP API wrote N bytes,
                      yet every write reports all of its bytes written
  --disk-bytes-per-tick N     bytes of an archive's contents the box shell's tar
                      (busybox tar) gets through per tick in the background (default 65536)
  --network-down      the box's cable is pulled: wget reaches no host
  --net-break-after-bytes N   every download's connection breaks after N bytes of its body
  --net-stall-after-bytes N   every server stops sending after N bytes of a body (wget waits)
  --net-bytes-per-tick N      body bytes a download gets per tick (default 4096)
  --strict-api        only what the firmware promises: TAP_Hdd_FindNext's result means
                      nothing, TAP_Hdd_Flen gives a file's length as it was when opened
  --fail-alloc-from N the Nth allocation for TAPs (TAP_MemAlloc, fopen's stream ...;
                      counted from 1) and every later one fail: memory ran out
  --fail-alloc N      only the Nth allocation for TAPs fails
  -h, --help          show this help

Numbers are decimal or 0x hexadecimal, 0 to 4294967295.  Exit status: 0 after the
run, 1 when the TAP cannot be started, 2 for a bad argument, 3 after a power cut.
)" + wrappedKeyNames();
}

bool readKeyScript(const std::string &file, std::vector<ScheduledKey> &keys, std::string &error) {
  std::ifstream in(file);
  if (!in) {
    error = file + ": cannot read the key script";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::istringstream words(line);
    std::string tick, name, extra;
    if (!(words >> tick) || tick[0] == '#') continue;
    ScheduledKey key;
    if (!(words >> name) || (words >> extra) || !parseDword(tick, key.tick) ||
        !parseKeyName(name, key.code)) {
      error = file + ":" + std::to_string(number) + ": expected \"TICK NAME\", found \"" + line + "\"";
      return false;
    }
    keys.push_back(key);
  }
  return true;
}

namespace {

class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string> &args) : args_(args) {}
  bool done() const { return index_ >= args_.size(); }
  const std::string &next() { return args_[index_++]; }
  // The value of the option just read: "--opt=value" or the next argument.
  bool value(const std::string &option, const std::string &inlineValue, bool hasInline, std::string &out,
             std::string &error) {
    if (hasInline) return out = inlineValue, true;
    if (done()) {
      error = option + ": missing value";
      return false;
    }
    out = next();
    return true;
  }

 private:
  const std::vector<std::string> &args_;
  size_t index_ = 0;
};

bool badValue(const std::string &option, const std::string &value, const char *expected, std::string &error) {
  error = option + ": \"" + value + "\" is not " + expected;
  return false;
}

// One option with its value; false with error set when it is unknown or bad.
bool applyOption(const std::string &option, ArgumentReader &reader, const std::string &inlineValue,
                 bool hasInline, CommandLine &out, std::string &error) {
  auto flag = [&](bool &target) {
    if (hasInline) return badValue(option, inlineValue, "allowed (the option takes no value)", error);
    target = true;
    return true;
  };
  if (option == "-h" || option == "--help") return flag(out.help);
  if (option == "--realtime") return flag(out.options.realtime);
  if (option == "--echo") return flag(out.options.consoleEcho);
  if (option == "--strict-api") return flag(out.options.strictApi);
  if (option == "--network-down") return flag(out.options.networkDown);
  if (option == "--no-utf8") {
    bool noUtf8 = false;
    if (!flag(noUtf8)) return false;
    out.options.utf8Firmware = false;
    return true;
  }

  static const char *const kWithValue[] = {"--disk",
                                           "--run",
                                           "--copy",
                                           "--param",
                                           "--ticks",
                                           "--max-ticks",
                                           "--key",
                                           "--keys",
                                           "--lang",
                                           "--time",
                                           "--system-id",
                                           "--firmware-version",
                                           "--power-cut-tick",
                                           "--power-cut-bytes",
                                           "--disk-full-after-bytes",
                                           "--lose-writes-after-bytes",
                                           "--disk-bytes-per-tick",
                                           "--net-break-after-bytes",
                                           "--net-stall-after-bytes",
                                           "--net-bytes-per-tick",
                                           "--fail-alloc-from",
                                           "--fail-alloc"};
  bool known = false;
  for (const char *name : kWithValue) known = known || option == name;
  if (!known) {
    error = option + ": unknown option";
    return false;
  }
  std::string v;
  if (!reader.value(option, inlineValue, hasInline, v, error)) return false;
  dword number = 0;
  const bool isNumber = parseDword(v, number);

  if (option == "--disk")
    out.options.diskDir = v;
  else if (option == "--run")
    out.options.runDir = v;
  else if (option == "--copy") {
    size_t eq = v.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 >= v.size() || v[eq + 1] != '/')
      return badValue(option, v, "HOST=BOXPATH with BOXPATH beginning with '/'", error);
    out.copies.emplace_back(v.substr(0, eq), v.substr(eq + 1));
  } else if (option == "--param") {
    if (!isNumber) return badValue(option, v, "a number", error);
    out.param = number;
  } else if (option == "--ticks" || option == "--max-ticks") {
    if (!isNumber) return badValue(option, v, "a number of ticks", error);
    if (option == "--ticks")
      out.ticks = number;
    else
      out.maxTicks = number;
  } else if (option == "--key") {
    size_t colon = v.find(':');
    ScheduledKey key{};
    if (colon == std::string::npos || !parseDword(v.substr(0, colon), key.tick) ||
        !parseKeyName(v.substr(colon + 1), key.code))
      return badValue(option, v, "TICK:NAME with a known key name", error);
    out.keys.push_back(key);
  } else if (option == "--keys") {
    return readKeyScript(v, out.keys, error);
  } else if (option == "--lang") {
    if (!parseLanguage(v, out.options.osdLanguage))
      return badValue(option, v, "a language code or number", error);
  } else if (option == "--time") {
    DateTime t;
    if (!parseDateTime(v, t)) return badValue(option, v, "a valid \"YYYY-MM-DD HH:MM:SS\"", error);
    out.options.startTime = t;
  } else if (!isNumber) {
    return badValue(option, v, "a number", error);
  } else if (option == "--system-id")
    out.options.systemId = number;
  else if (option == "--firmware-version")
    out.options.firmwareVersion = number;
  else if (option == "--power-cut-tick")
    out.options.powerCutAtTick = number;
  else if (option == "--power-cut-bytes")
    out.options.powerCutAfterBytes = number;
  else if (option == "--disk-full-after-bytes")
    out.options.diskFullAfterBytes = number;
  else if (option == "--lose-writes-after-bytes")
    out.options.lostWritesAfterBytes = number;
  else if (option == "--disk-bytes-per-tick")
    out.options.diskBytesPerTick = number;
  else if (option == "--net-break-after-bytes")
    out.options.netBreakAfterBytes = number;
  else if (option == "--net-stall-after-bytes")
    out.options.netStallAfterBytes = number;
  else if ((option == "--net-bytes-per-tick" || option == "--disk-bytes-per-tick") && number == 0)
    return badValue(option, v, "a number above 0", error);
  else if (option == "--net-bytes-per-tick")
    out.options.netBytesPerTick = number;
  else if (option == "--fail-alloc-from" || option == "--fail-alloc") {
    if (number == 0) return badValue(option, v, "an allocation number from 1", error);
    out.options.failAllocation = number;
    out.options.failAllocationOnce = option == "--fail-alloc";
  }
  return true;
}

}  // namespace

bool parseCommandLine(const std::vector<std::string> &args, CommandLine &out, std::string &error) {
  ArgumentReader reader(args);
  while (!reader.done()) {
    const std::string &arg = reader.next();
    if (arg.size() > 1 && arg[0] == '-') {
      size_t eq = arg.find('=');
      bool hasInline = arg.compare(0, 2, "--") == 0 && eq != std::string::npos;
      std::string option = hasInline ? arg.substr(0, eq) : arg;
      std::string inlineValue = hasInline ? arg.substr(eq + 1) : "";
      if (!applyOption(option, reader, inlineValue, hasInline, out, error)) return false;
    } else if (out.tapFile.empty()) {
      out.tapFile = arg;
    } else {
      error = arg + ": only one TAP file can be given (" + out.tapFile + " came first)";
      return false;
    }
  }
  if (out.tapFile.empty() && !out.help) {
    error = "no TAP file given";
    return false;
  }
  return true;
}

}  // namespace pvrsim
