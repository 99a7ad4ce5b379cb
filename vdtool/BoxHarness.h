// BoxHarness.h - the box that vdtool reads and writes files on: a pvrsim run
// on a private disk in a temporary folder, with the tool acting as a TAP
// (set up as ManagerBox sets up every run for the tool module).
// Files go onto that disk, the tool module's own load and save functions
// work on them there, and what they logged is read back from "Vantero.log",
// so the tool sees a file exactly as the box would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ManagerBox.h"

namespace pvrsim {
class Sim;
}

namespace vdtool {

class BoxHarness {
 public:
  BoxHarness();
  ~BoxHarness();
  BoxHarness(const BoxHarness &) = delete;
  BoxHarness &operator=(const BoxHarness &) = delete;

  // False, with a message, when the disk could not be set up.
  bool ready(std::string &error) const;

  // Puts a copy of the host file into the manager's settings folder under
  // boxName (a hard link when linkOnly is set and the file system allows it,
  // for files that are only read); false with a message naming the problem.
  bool put(const std::string &hostFile, const std::string &boxName, bool linkOnly, std::string &error);
  // Copies the settings folder's file boxName to the host file (through a
  // temporary file, so a failure leaves the host file as it was).
  bool get(const std::string &boxName, const std::string &hostFile, std::string &error);
  // Makes the settings folder the working directory (for functions that
  // work on a file name there).
  bool enterSettingsFolder();

  // The texts of the log lines written since the last call.
  std::vector<std::string> takeLog();

 private:
  std::string root_;
  std::string setupError_;
  std::unique_ptr<pvrsim::Sim> sim_;
  ManagerBox box_{""};
};

}  // namespace vdtool
