// Commands.h - the commands of vdtool.  Each prints its result on standard
// output and its problems, naming the file, on standard error, and returns
// the exit status.
#pragma once

#include <string>
#include <vector>

namespace vdtool {

enum ExitStatus { ES_Done = 0, ES_FileProblem = 1, ES_Usage = 2, ES_NotSupported = 3 };

// kind: "" (recognise it) or a name of KindNames().
int DumpCommand(const std::string &file, const std::string &kind);
int MakeVpdCommand(const std::string &jsonFile, const std::string &outFile);
int CrcCommand(const std::vector<std::string> &files);
// time: "" (now, UTC) or "YYYY-MM-DD HH:MM:SS", the VPDTimeStamp of what changed.
int PublishCommand(const std::vector<std::string> &jsonFiles, const std::string &outDir,
                   const std::string &time);

// The kinds of file that dump knows, for --kind and the help text.
std::vector<std::string> KindNames();

}  // namespace vdtool
