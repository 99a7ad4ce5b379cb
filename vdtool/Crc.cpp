// Crc.cpp - "vdtool crc": the CRC-32/MPEG-2 of files, computed by the tool
// module's CRC32File on the simulated box as the inventory computes it.
#include <cstdio>

#include "BoxHarness.h"
#include "Commands.h"
#include "Tools.h"

namespace vdtool {

int CrcCommand(const std::vector<std::string> &files) {
  const char BoxName[] = "crc.input";
  BoxHarness box;
  std::string error;
  if (!box.ready(error)) {
    std::fprintf(stderr, "vdtool: %s\n", error.c_str());
    return ES_FileProblem;
  }
  int status = ES_Done;
  for (const std::string &file : files) {
    // Only read: a hard link serves as well as a copy and costs nothing.
    if (!box.put(file, BoxName, true, error) || !box.enterSettingsFolder()) {
      std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(), error.c_str());
      status = ES_FileProblem;
      continue;
    }
    std::printf("%08x  %s\n", static_cast<unsigned>(CRC32File(BoxName, nullptr, 0)), file.c_str());
  }
  return status;
}

}  // namespace vdtool
