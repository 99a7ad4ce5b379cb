// BoxHarness.cpp - the private pvrsim run of vdtool (see BoxHarness.h).
#include "BoxHarness.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Tools.h"
#include "core/Sim.h"

namespace fs = std::filesystem;

namespace vdtool {

namespace {
const char SettingsFolder[] = "/ProgramFiles/Settings/Vantero";

std::string ReadHostFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

BoxHarness::BoxHarness() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "vdtool.XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) {
    setupError_ = "cannot make a temporary folder for the box's disk: " + std::string(std::strerror(errno));
    return;
  }
  root_ = pattern;
  fs::create_directories(root_ + "/disk" + SettingsFolder, ec);
  pvrsim::Options options;
  options.diskDir = root_ + "/disk";
  options.runDir = root_ + "/run";
  sim_ = std::make_unique<pvrsim::Sim>(options);
  if (sim_->adoptCaller("/ProgramFiles", nullptr, "vdtool.tap") < 0) {
    setupError_ = "the simulated box has no free task slot: " + sim_->lastError();
    return;
  }
  CallTraceInit();
  CallTraceEnable(FALSE);
}

BoxHarness::~BoxHarness() {
  sim_.reset();
  std::error_code ec;
  if (!root_.empty()) fs::remove_all(root_, ec);
}

bool BoxHarness::ready(std::string &error) const {
  error = setupError_;
  return setupError_.empty();
}

std::string BoxHarness::hostPath(const std::string &boxName) const {
  return root_ + "/disk" + SettingsFolder + "/" + boxName;
}

bool BoxHarness::put(const std::string &hostFile, const std::string &boxName, bool linkOnly,
                     std::string &error) {
  std::error_code ec;
  if (!fs::is_regular_file(hostFile, ec)) {
    error = fs::exists(hostFile, ec) ? "not a regular file" : "no such file";
    return false;
  }
  std::string target = hostPath(boxName);
  fs::remove(target, ec);
  if (linkOnly) {
    fs::create_hard_link(hostFile, target, ec);
    if (!ec) return true;
  }
  fs::copy_file(hostFile, target, fs::copy_options::overwrite_existing, ec);
  if (ec) error = "cannot read it: " + ec.message();
  return !ec;
}

bool BoxHarness::get(const std::string &boxName, const std::string &hostFile, std::string &error) {
  std::error_code ec;
  std::string temp = hostFile + ".vdtool-new";
  fs::copy_file(hostPath(boxName), temp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temp, hostFile, ec);
  if (ec) {
    error = "cannot write it: " + ec.message();
    fs::remove(temp, ec);
  }
  return !ec;
}

bool BoxHarness::enterSettingsFolder() { return HDD_ChangeDir(SettingsFolder); }

std::vector<std::string> BoxHarness::takeLog() {
  std::string log = ReadHostFile(hostPath(VANTERO_LOG_NAME));
  std::vector<std::string> lines;
  for (size_t pos = logRead_; pos < log.size();) {
    size_t end = log.find("\r\n", pos);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(pos, end - pos);
    // Behind the time stamp "YYYY-MM-DD HH:MM:SS ".
    lines.push_back(line.size() >= 20 ? line.substr(20) : line);
    pos = end + 2;
  }
  logRead_ = log.size();
  return lines;
}

}  // namespace vdtool
