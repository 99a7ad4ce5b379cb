// BoxHarness.cpp - the private pvrsim run of vdtool (see BoxHarness.h).
#include "BoxHarness.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Tools.h"
#include "core/Sim.h"

namespace fs = std::filesystem;

namespace vdtool {

BoxHarness::BoxHarness() {
  std::error_code ec;
  std::string pattern = (fs::temp_directory_path(ec) / "vdtool.XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) {
    setupError_ = "cannot make a temporary folder for the box's disk: " + std::string(std::strerror(errno));
    return;
  }
  root_ = pattern;
  pvrsim::Options options;
  options.diskDir = root_ + "/disk";
  options.runDir = root_ + "/run";
  box_ = ManagerBox(options.diskDir);
  sim_ = std::make_unique<pvrsim::Sim>(options);
  box_.enter(*sim_, "vdtool.tap", setupError_);
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

bool BoxHarness::put(const std::string &hostFile, const std::string &boxName, bool linkOnly,
                     std::string &error) {
  std::error_code ec;
  if (!fs::is_regular_file(hostFile, ec)) {
    error = fs::exists(hostFile, ec) ? "not a regular file" : "no such file";
    return false;
  }
  std::string target = box_.settingsFile(boxName);
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
  fs::copy_file(box_.settingsFile(boxName), temp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temp, hostFile, ec);
  if (ec) {
    error = "cannot write it: " + ec.message();
    fs::remove(temp, ec);
  }
  return !ec;
}

bool BoxHarness::enterSettingsFolder() { return HDD_ChangeDir(VANTERO_SETTINGS_DIR); }

std::vector<std::string> BoxHarness::takeLog() { return box_.takeLog(); }

}  // namespace vdtool
