// main.cpp - vdtool: reads and writes the Vantero update manager's data files on a PC,
// exactly as the box does, for package authors and for support.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Commands.h"
#include "tap.h"

// The program's identity as a TAP of the simulated box.
TAP_ID(0x7D700001);

namespace {

const char Usage[] = R"(Usage: vdtool dump [--kind KIND] FILE
       vdtool make-vpd JSON OUT
       vdtool crc FILE...
       vdtool publish JSON... --out DIR [--time "YYYY-MM-DD HH:MM:SS"]
Reads and writes the Vantero update manager's data files exactly as the box
does: through the manager's own load and save functions, on a simulated box.

Commands:
  dump FILE          print FILE as JSON.  The kind of file is recognised by its
                     name, else by its content; --kind KIND names it:
%s
  make-vpd JSON OUT  write the package description in the JSON file as OUT
                     (format 9), for a TAP author who describes a package
                     without the manager
  crc FILE...        print the CRC-32/MPEG-2 of each file as the manager's
                     inventory computes it ("%%08x  FILE")
  publish JSON... --out DIR
                     build or update the package repository in DIR, the
                     folder a web server serves to the boxes: for each JSON
                     package (as make-vpd takes it) the files of each version,
                     read from RootDir/FileName beside the JSON file, are
                     copied to DIR/RootDir/ with their Size and CRC32 filled
                     in; the package description goes to DIR/<TAPID>.vpd and
                     an entry (VPDURL "<TAPID>.vpd") to the master list
                     DIR/MasterList.vml, which keeps the entries of packages
                     not named.  A ScreenShotFile ending in ".png" (beside the
                     JSON) is stored in the form the box draws.  A package
                     whose description did not change keeps its VPDTimeStamp;
                     the others get --time (default: now, UTC).  Refused,
                     before anything is written: a missing file, a duplicate
                     TAP ID, a version listed twice, a DefaultPath outside
                     /mnt/hd/ProgramFiles, a FileName with "/" or "..", a
                     RootDir that is absolute or holds "..".  Each file is
                     written under a temporary name and renamed, the master
                     list last.

JSON: the keys are the field names of the records (TAPID, TAPName, Versions,
Files, FileName, DefaultPath, TimeStamp, AlphaPassword, MasterList ...);
numbers are JSON numbers, texts appear as the box's screen shows them (UTF-8),
absent texts are null, the screenshot is base64; a text whose bytes are not
its UTF-8 form (ISO 8859) also comes as base64 under its key + "Bytes" (e.g.
TAPNameBytes), which make-vpd stores instead, so a dump gives back the file.  A dump of a package is valid
input of make-vpd, which also takes numbers as "0x..." texts, DeployMode and
InstallMode as names (DM_Final, IM_Overwrite ...) and a TimeStamp as
"YYYY-MM-DD HH:MM:SS".  The file is written in format 9 (DBMagic, if given,
must be "VPDDB", DBVersion 5 to 9); CurrentName and CurrentPath are never
stored and are ignored;
counts (NrOf...) and ScreenShotSize may be left out and must match their
arrays when given.

Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage,
3 not supported yet.
)";

void PrintUsage() {
  std::string kinds;
  for (const std::string &kind : vdtool::KindNames()) kinds += "                       " + kind + "\n";
  kinds.pop_back();
  std::printf(Usage, kinds.c_str());
}

int UsageError(const std::string &message) {
  std::fprintf(stderr, "vdtool: %s\nTry 'vdtool --help'.\n", message.c_str());
  return vdtool::ES_Usage;
}

bool KnownKind(const std::string &kind) {
  for (const std::string &known : vdtool::KindNames())
    if (known.compare(0, kind.size() + 1, kind + ":") == 0) return true;
  return false;
}

int Dump(const std::vector<std::string> &args) {
  std::string kind, file;
  for (size_t i = 0; i < args.size(); i++) {
    if (args[i] == "--kind" && i + 1 < args.size()) {
      kind = args[++i];
    } else if (args[i].rfind("--kind=", 0) == 0) {
      kind = args[i].substr(7);
    } else if (args[i].rfind("--", 0) == 0 || !file.empty()) {
      return UsageError("dump: unexpected argument '" + args[i] + "'");
    } else {
      file = args[i];
    }
  }
  if (file.empty()) return UsageError("dump: which file?");
  if (!kind.empty() && !KnownKind(kind)) return UsageError("dump: unknown kind '" + kind + "'");
  return vdtool::DumpCommand(file, kind);
}

int Publish(const std::vector<std::string> &args) {
  std::vector<std::string> jsonFiles;
  std::string out, time;
  for (size_t i = 0; i < args.size(); i++) {
    if ((args[i] == "--out" || args[i] == "--time") && i + 1 < args.size()) {
      (args[i] == "--out" ? out : time) = args[i + 1];
      i++;
    } else if (args[i].rfind("--", 0) == 0) {
      return UsageError("publish: unexpected argument '" + args[i] + "'");
    } else {
      jsonFiles.push_back(args[i]);
    }
  }
  if (out.empty()) return UsageError("publish: which repository folder (--out DIR)?");
  if (jsonFiles.empty()) return UsageError("publish: which packages (JSON files)?");
  return vdtool::PublishCommand(jsonFiles, out, time);
}

}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string &arg : args) {
    if (arg == "--help" || arg == "-h") {
      PrintUsage();
      return vdtool::ES_Done;
    }
  }
  if (args.empty()) return UsageError("which command?");
  std::string command = args.front();
  args.erase(args.begin());
  if (command == "dump") return Dump(args);
  if (command == "make-vpd") {
    if (args.size() != 2) return UsageError("make-vpd: needs a JSON file and an output file");
    return vdtool::MakeVpdCommand(args[0], args[1]);
  }
  if (command == "publish") return Publish(args);
  if (command == "crc") {
    if (args.empty()) return UsageError("crc: which files?");
    return vdtool::CrcCommand(args);
  }
  return UsageError("unknown command '" + command + "'");
}
