// main.cpp - pvrsim: runs a TAP of the Topfield TMS box on this PC.
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "osd/Osd.h"
#ifdef PVRSIM_SERVE
#include "serve/RepoServer.h"
#include "serve/Serve.h"
#endif

namespace {
const char kScreenUsage[] = R"(Screen:
  --frames DIR        write the screen as DIR/<frame>-t<tick>.png at every
                      TAP_Osd_Sync that changed it (DIR is created)
  --screenshot FILE   write the last screen shown as a PNG when the run ends

Web page:
  --serve[=PORT]      run in real time and show the box on a web page at
                      http://127.0.0.1:PORT/ (default port 8720; 0: any free
                      port, printed): the screen as it changes, a remote
                      control (keys join the --key schedule), the console and
                      the running TAPs.  Only this computer can reach it.
                      Ctrl-C ends the run; the page says so.  "--serve PORT"
                      also works when PORT is a number.
  --repo DIR          serve the package repository in DIR (as vdtool publish
                      makes it) at http://127.0.0.1:8721/ for the box's wget
                      while the run lasts (at most 100000 requests, a day);
                      at the end the requests and bytes it served are shown
  --repo-port N       its port instead of 8721 (0: any free port, printed)
)";

constexpr int kDefaultServePort = 8720;
constexpr int kDefaultRepoPort = 8721;

bool allDigits(const std::string &text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Takes "--serve", "--serve=PORT" or "--serve PORT" (a number) out of the
// arguments; false with error set for a bad port.
bool takeServeOption(std::vector<std::string> &args, std::optional<int> &port, std::string &error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); i++) {
    const std::string &arg = args[i];
    if (arg != "--serve" && arg.compare(0, 8, "--serve=") != 0) {
      rest.push_back(arg);
      continue;
    }
    std::string value = arg.size() > 8 ? arg.substr(8) : "";
    if (arg == "--serve" && i + 1 < args.size() && allDigits(args[i + 1])) value = args[++i];
    if (value.empty() && arg == "--serve") {
      port = kDefaultServePort;
    } else if (allDigits(value) && value.size() <= 5 && std::stoi(value) <= 65535) {
      port = std::stoi(value);
    } else {
      error = "--serve: \"" + value + "\" is not a port number (0 to 65535)";
      return false;
    }
  }
  args = rest;
  return true;
}

// Takes the screen and repository options out of the arguments; false with
// error set for one without its value.
bool takeScreenOptions(std::vector<std::string> &args, std::string &frames, std::string &screenshot,
                       std::string &repo, std::string &repoPort, std::string &error) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); i++) {
    const std::string &arg = args[i];
    std::string *target = nullptr;
    std::string name = arg.substr(0, arg.find('='));
    if (name == "--frames") target = &frames;
    if (name == "--screenshot") target = &screenshot;
    if (name == "--repo") target = &repo;
    if (name == "--repo-port") target = &repoPort;
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
  std::string error, frames, screenshot, repo, repoPort = std::to_string(kDefaultRepoPort);
  std::optional<int> servePort;
  if (!takeScreenOptions(args, frames, screenshot, repo, repoPort, error) ||
      !takeServeOption(args, servePort, error) || !pvrsim::parseCommandLine(args, commandLine, error)) {
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
#ifdef PVRSIM_SERVE
  std::unique_ptr<pvrsim::serve::RepoServer> repoServer;
  if (!repo.empty()) {
    if (!allDigits(repoPort) || repoPort.size() > 5 || std::stoi(repoPort) > 65535) {
      std::fprintf(stderr, "pvrsim: --repo-port: \"%s\" is not a port number (0 to 65535)\n",
                   repoPort.c_str());
      return 2;
    }
    repoServer = std::make_unique<pvrsim::serve::RepoServer>(repo, 100000, 24 * 3600, std::stoi(repoPort));
    if (repoServer->port() < 0) {
      std::fprintf(stderr, "pvrsim: --repo: port %s on 127.0.0.1 is taken\n", repoPort.c_str());
      return 2;
    }
    std::printf("pvrsim: repository %s at %s/\n", repo.c_str(), repoServer->url().c_str());
    std::fflush(stdout);
  }
#else
  if (!repo.empty()) {
    std::fprintf(stderr, "pvrsim: --repo: this pvrsim was built without its HTTP library\n");
    return 2;
  }
#endif
  int status;
  if (servePort) {
#ifdef PVRSIM_SERVE
    status = pvrsim::serve::runServed(commandLine, *servePort);
#else
    std::fprintf(stderr,
                 "pvrsim: --serve: this pvrsim was built without its web page "
                 "(the HTTP library libcpp-httplib-dev was missing when it was configured)\n");
    return 2;
#endif
  } else {
    status = pvrsim::runCommandLine(commandLine);
  }
#ifdef PVRSIM_SERVE
  if (repoServer)
    std::printf("pvrsim: the repository served %d requests, %lld bytes\n", repoServer->totalRequests(),
                repoServer->bytesServed());
#endif
  if (!screenshot.empty() && !pvrsim::osd::writeScreenshot(screenshot, &error)) {
    std::fprintf(stderr, "pvrsim: %s\n", error.c_str());
    if (status == 0) status = 1;
  }
  return status;
}
