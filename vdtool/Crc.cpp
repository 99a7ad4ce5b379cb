// Crc.cpp - "vdtool crc": the CRC-32/MPEG-2 of files, computed by the tool
// module's CRC32File on the simulated box as the inventory computes it.
#include <cstdio>
#include <filesystem>

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
    // A symbolic link stands for the file it leads to; a link that leads
    // nowhere, or to no regular file, is an error, never a CRC of 0.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::canonical(file, ec);
    if (ec || !std::filesystem::is_regular_file(target, ec)) {
      bool link = std::filesystem::is_symlink(std::filesystem::symlink_status(file, ec));
      std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(),
                   link                                ? "a link that leads to no regular file"
                   : std::filesystem::exists(file, ec) ? "not a regular file"
                                                       : "no such file");
      status = ES_FileProblem;
      continue;
    }
    // Only read: a hard link serves as well as a copy and costs nothing.
    if (!box.put(target.string(), BoxName, true, error) || !box.enterSettingsFolder()) {
      std::fprintf(stderr, "vdtool: %s: %s\n", file.c_str(), error.c_str());
      status = ES_FileProblem;
      continue;
    }
    std::printf("%08x  %s\n", static_cast<unsigned>(CRC32File(BoxName, nullptr, 0)), file.c_str());
  }
  return status;
}

}  // namespace vdtool
