// BackupTextsFuzz.cpp - libFuzzer target for what busybox prints for a
// backup: every input is taken as the output of "df -k" and as the member
// list of "tar -t".  A list that passes has only members below
// "ProgramFiles/" without a ".." part; a refused one names a bad member
// that is a line of the input.
#include <string.h>

#include <string>

#include "DiskStandIn.h"

namespace {

const char Target[] = "BackupTextsFuzz";

void Check(bool condition, const char *what) {
  if (!condition) standin::Fail(Target, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  text = text.c_str();  // up to the first zero byte, as a file read as text
  dword kb = 0;
  DfAvailableKB(text.c_str(), &kb);
  char bad[64];
  int members = TarListCheck(text.c_str(), "ProgramFiles", bad, sizeof bad);
  Check(strlen(bad) < sizeof bad, "the bad member is not terminated");
  if (members < 0) {
    Check(text.find(bad) != std::string::npos, "the bad member is no part of the list");
    return 0;
  }
  size_t lines = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) {
      lines++;
      Check(line.compare(0, 13, "ProgramFiles/") == 0, "a member outside ProgramFiles passed");
      Check(("/" + line + "/").find("/../") == std::string::npos, "a '..' member passed");
    }
    at = end == std::string::npos ? text.size() : end + 1;
  }
  Check(lines == static_cast<size_t>(members), "the count differs from the lines");
  return 0;
}
