// ManagerBox.h - a pvrsim run made ready for the tool module's data-file
// functions, the one way vdtool's private box and the data-file tests set it
// up: the manager's settings folder on the run's disk, the calling program
// adopted as a TAP in "/ProgramFiles" (call tracing off), and the lines the
// functions logged read back from "Vantero.log" without their time stamps.
// The run itself (its options, its disk and restarts) stays with the caller.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pvrsim {
class Sim;
}

namespace vdtool {

class ManagerBox {
 public:
  // diskDir: the host folder that is the run's disk.
  explicit ManagerBox(std::string diskDir) : diskDir_(std::move(diskDir)) {}

  // Makes the settings folder and adopts the caller as tapName in the run
  // (again after each restart of it); false with a message when the disk or
  // the run refuses.
  bool enter(pvrsim::Sim &sim, const std::string &tapName, std::string &error) const;

  // Host path of the settings folder's file name.
  std::string settingsFile(const std::string &name) const;

  // The texts of the log lines written since the last call.
  std::vector<std::string> takeLog();

 private:
  std::string diskDir_;
  size_t logRead_ = 0;
};

}  // namespace vdtool
