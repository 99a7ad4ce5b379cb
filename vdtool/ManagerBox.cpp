// ManagerBox.cpp - a pvrsim run made ready for the tool module (see ManagerBox.h).
#include "ManagerBox.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "Tools.h"
#include "core/Sim.h"

namespace vdtool {

namespace {
// Length of the log's time stamp "YYYY-MM-DD HH:MM:SS ".
const size_t StampLength = 20;
}  // namespace

bool ManagerBox::enter(pvrsim::Sim &sim, const std::string &tapName, std::string &error) const {
  std::error_code ec;
  std::filesystem::create_directories(diskDir_ + VANTERO_SETTINGS_DIR, ec);
  if (ec) {
    error = "cannot make the settings folder on the box's disk: " + ec.message();
    return false;
  }
  if (sim.adoptCaller("/ProgramFiles", nullptr, tapName) < 0) {
    error = "the simulated box has no free task slot: " + sim.lastError();
    return false;
  }
  CallTraceInit();
  CallTraceEnable(FALSE);
  return true;
}

std::string ManagerBox::settingsFile(const std::string &name) const {
  return diskDir_ + VANTERO_SETTINGS_DIR "/" + name;
}

std::vector<std::string> ManagerBox::takeLog() {
  std::ifstream in(settingsFile(VANTERO_LOG_NAME), std::ios::binary);
  std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  for (size_t pos = logRead_; pos < log.size();) {
    size_t end = log.find("\r\n", pos);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(pos, end - pos);
    lines.push_back(line.size() >= StampLength ? line.substr(StampLength) : line);
    pos = end + 2;
  }
  logRead_ = log.size();
  return lines;
}

}  // namespace vdtool
