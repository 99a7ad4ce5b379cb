// ServeRun.cpp - a run of pvrsim with its web page: the server on its own
// threads, the simulator on this one, Ctrl-C ending the run in order.
#include <csignal>
#include <cstdio>

#include "Serve.h"
#include "SimBridge.h"
#include "WebServer.h"

namespace pvrsim::serve {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal) { stopSignal = signal; }

// SIGINT and SIGTERM set stopSignal while a run is served; a second one acts
// as usual (SA_RESETHAND), in case a TAP never gives the loop a tick back.
class StopSignals {
 public:
  StopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &savedInt_);
    sigaction(SIGTERM, &action, &savedTerm_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &savedInt_, nullptr);
    sigaction(SIGTERM, &savedTerm_, nullptr);
  }

 private:
  struct sigaction savedInt_ = {};
  struct sigaction savedTerm_ = {};
};

// The server's threads start with the two signals blocked, so that they
// always reach the simulator's thread.
bool startServer(WebServer &server, std::string &error) {
  sigset_t stops, saved;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, &saved);
  bool started = server.start(error);
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return started;
}

}  // namespace

int runServed(CommandLine commandLine, int port) {
  commandLine.options.realtime = true;
  LiveState state;
  KeyQueue keys;
  WebServer server(state, keys, {port, commandLine.options.runDir});
  std::string error;
  if (!startServer(server, error)) {
    std::fprintf(stderr, "pvrsim: --serve: %s\n", error.c_str());
    return 1;
  }
  std::printf("pvrsim: serving the box on http://127.0.0.1:%d/ (Ctrl-C ends the run)\n", server.port());
  std::fflush(stdout);

  stopSignal = 0;
  StopSignals signals;
  SimBridge bridge(state, keys);
  RunHooks hooks;
  hooks.started = [&](Sim &sim) {
    state.setRunName(commandLine.tapFile.substr(commandLine.tapFile.rfind('/') + 1));
    bridge.attach(sim);
  };
  hooks.stopRequested = [] { return stopSignal != 0; };
  hooks.finished = [&](Sim &, const std::string &why) {
    bridge.detach();
    const int signal = stopSignal;
    state.end(signal ? why + " (" + (signal == SIGINT ? "SIGINT" : "SIGTERM") + ")" : why);
  };
  const int status = runCommandLine(commandLine, hooks);
  state.end("pvrsim ended");  // when the run ended before it began
  server.stop();
  return status;
}

}  // namespace pvrsim::serve
