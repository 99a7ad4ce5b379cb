// Configure.cpp - the box layer's settings for one run, and the TAP-call marker.
#include "Box.h"
#include "BoxInternal.h"

#include <atomic>
#include <filesystem>

namespace pvrsim::box {

namespace {
Config &storedConfig() {
  static Config *stored = new Config;  // never destroyed: wrappers may run during exit
  return *stored;
}

// Depth of nested calls into TAP code; process-wide, so that no thread can
// reach the host while any TAP runs.
std::atomic<int> tapCallDepth{0};
}  // namespace

void configure(const Config &newConfig) {
  storedConfig() = newConfig;
  std::error_code ignored;
  if (!newConfig.diskRoot.empty()) std::filesystem::create_directories(newConfig.diskRoot, ignored);
  if (!newConfig.runDir.empty()) std::filesystem::create_directories(newConfig.runDir, ignored);
  detail::resetConsole();
  detail::resetShellLog();
  detail::resetShellJobs();
  detail::resetSharedMemory();
  detail::resetSymbols();
  detail::resetTapCallDepth();
}

const Config &config() { return storedConfig(); }

bool insideTapCall() { return tapCallDepth.load() > 0; }

void setInsideTapCall(bool inside) {
  if (inside) {
    ++tapCallDepth;
    return;
  }
  int depth = tapCallDepth.load();
  while (depth > 0 && !tapCallDepth.compare_exchange_weak(depth, depth - 1)) {}
}

namespace detail {
void resetTapCallDepth() { tapCallDepth = 0; }

std::string runFile(const char *name) {
  const std::string &runDir = config().runDir;
  return runDir.empty() ? std::string() : runDir + "/" + name;
}
}  // namespace detail

}  // namespace pvrsim::box
