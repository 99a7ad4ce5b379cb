// WebServer.h - the HTTP server of `pvrsim --serve` (cpp-httplib), bound to
// 127.0.0.1 only.  Its threads read the LiveState and fill the KeyQueue;
// they never call into the Sim or a TAP.
//
//   GET  /              the page (index.html, page.js, page.css are built in)
//   GET  /keys          the remote control's keys: [{"name", "code"}] from pvrsim's key table
//   POST /key           body: a key name (as --key takes it); 202, or 400 for an unknown name
//   GET  /events        server-sent events (EventStream.h)
//   GET  /screen.png    the newest frame (headers X-Frame, X-Tick); ?download=1 as a file
//   POST /screenshot    saves the newest frame in <run>/screenshots/; 201 {"file", "frame", "tick"}
//   GET  /state         the state at a glance (JSON)
// Requests whose Host is not this server (DNS rebinding) and requests from
// another origin get 403, unknown paths 404, a known path with the wrong
// method 405, bodies over the limit 413 (whatever their encoding: reading
// stops there), keys while the queue is full or after the run ended 503.
// Slow and greedy clients are held off by the gate (GatedServer.h): every
// connection carries one request.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "LiveState.h"

namespace pvrsim::serve {

struct WebServerOptions {
  int port = 0;                                 // 0: any free port (port() tells which)
  std::string runDir;                           // screenshots go to <runDir>/screenshots
  size_t maxBody = 4096;                        // larger request bodies get 413
  int maxPages = 8;                             // event streams at a time; more get 503
  std::chrono::milliseconds heartbeat{1000};    // a status event at least this often
  int maxConnections = 64;                      // open connections at a time; more get 503
  int maxConnectionsPerClient = 32;             // the same from one address
  std::chrono::milliseconds requestTime{5000};  // a request not whole by then gets 408
  std::chrono::milliseconds sendTime{10000};    // an answer not taken by then is dropped
};

class WebServer {
 public:
  WebServer(LiveState &state, KeyQueue &keys, WebServerOptions options);
  ~WebServer();  // stop()
  WebServer(const WebServer &) = delete;
  WebServer &operator=(const WebServer &) = delete;

  // Binds 127.0.0.1 and serves on a thread of its own; false with error set
  // when the port cannot be had.
  bool start(std::string &error);
  int port() const;
  // Closes the server.  When the run has ended, open pages get its end
  // event first (waiting at most a few seconds for them).
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pvrsim::serve
