// pvrsim: runs a TAP of the Topfield TMS box on this PC.
#include <cstdio>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "osd/Osd.h"

namespace {
const char kScreenUsage[] = R"(Screen:
  --frames DIR        write the screen as DIR/<frame>-t<tick>.png at every
                      TAP_Osd_Sync that changed it (DIR is created)
  --screenshot FILE   write the last screen shown as a PNG when the run ends
)";

// Takes the screen options out of the arguments; false with error set for
// one without its value.
bool takeScreenOptions(std::vector<std::string> &args, std::string &frames, std::string &screenshot,
                       std::string &error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); i++) {
    const std::string &arg = args[i];
    std::string *target = nullptr;
    std::string name = arg.substr(0, arg.find('='));
    if (name == "--frames") target = &frames;
    if (name == "--screenshot") target = &screenshot;
    if (target == nullptr) {
      rest.push_back(arg);
    } else if (arg.size() > name.size()) {
      *target = arg.substr(name.size() + 1);
    } else if (i + 1 < args.size()) {
      *target = args[++i];
    } else {
      error = name + ": missing value";
      return false;
    }
  }
  args = rest;
  return true;
}
}  // namespace

int main(int argc, char **argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  pvrsim::CommandLine commandLine;
  std::string error, frames, screenshot;
  if (!takeScreenOptions(args, frames, screenshot, error) || !pvrsim::parseCommandLine(args, commandLine, error)) {
    std::fprintf(stderr, "pvrsim: %s\nTry 'pvrsim --help'.\n", error.c_str());
    return 2;
  }
  if (commandLine.help) {
    std::fputs(pvrsim::usageText().c_str(), stdout);
    std::fputs(kScreenUsage, stdout);
    return 0;
  }
  if (!frames.empty() && !pvrsim::osd::setFramesFolder(frames, &error)) {
    std::fprintf(stderr, "pvrsim: %s\n", error.c_str());
    return 2;
  }
  int status = pvrsim::runCommandLine(commandLine);
  if (!screenshot.empty() && !pvrsim::osd::writeScreenshot(screenshot, &error)) {
    std::fprintf(stderr, "pvrsim: %s\n", error.c_str());
    if (status == 0) status = 1;
  }
  return status;
}
