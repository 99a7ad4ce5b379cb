// GatedServer.h - the page's httplib server with a gate in front of its
// workers, so that slow or greedy clients cannot take it over.
//
// httplib gives every connection a worker thread as soon as it is accepted
// and lets it wait for the request as long as bytes keep trickling in, and
// then for further requests on the same connection.  Here a connection is
// first counted (at most maxConnections in all, maxConnectionsPerClient from
// one address; more get 503 at once), then waits on the gate's own thread
// until its whole request has arrived (header, and a body up to maxBody),
// which must happen within requestTime (else 408).  Only then does a worker
// answer it: one request per connection, the answer sent within sendTime.
// An event stream marks its connection as streaming: then each of its
// writes must get through within sendTime, however long the stream lasts.
// closeAll() ends every connection at once, whatever its client does.
#pragma once

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pvrsim::serve {

struct GateLimits {
  int workers = 12;                             // requests answered at a time (an event stream holds one)
  int maxConnections = 64;                      // open connections of all clients together
  int maxConnectionsPerClient = 32;             // open connections from one address
  size_t maxHeader = 8192;                      // request line and headers
  size_t maxBody = 4096;                        // the gate waits for at most this much of a body
  std::chrono::milliseconds requestTime{5000};  // from connecting until the whole request is there
  std::chrono::milliseconds sendTime{10000};    // to send an answer (an event stream: each write)
};

class GatedServer : public httplib::Server {
 public:
  explicit GatedServer(GateLimits limits);
  ~GatedServer() override;  // closeAll()

  // Ends every connection: waiting ones are closed, the answering ones shut
  // down so that their workers return at once; then joins the threads.
  // Call after stop(), so that no new connection comes.
  void closeAll();
  // After binding: room for many connections waiting to be accepted, so
  // that a burst of them does not make others wait for a resent SYN.
  void widenBacklog();
  // Called by a handler that streams: its connection's writes get a time
  // limit each instead of one for the whole answer.
  static void markStreaming();

  struct Connection;

 private:
  using Clock = std::chrono::steady_clock;

  bool process_and_close_socket(socket_t sock) override;  // on httplib's accepting thread
  void gateLoop();
  void workerLoop();
  void answer(const std::shared_ptr<Connection> &connection);
  // Takes the connection out of the counts and closes its socket.
  void release(const std::shared_ptr<Connection> &connection);
  void releaseLocked(Connection &connection);  // with mutex_ held
  void wake();

  GateLimits limits_;
  std::mutex mutex_;
  std::condition_variable readyChanged_;
  std::vector<std::shared_ptr<Connection>> waiting_;  // on the gate until their request is whole
  std::deque<std::shared_ptr<Connection>> ready_;     // whole requests for the workers
  std::vector<std::shared_ptr<Connection>> answering_;
  std::map<std::string, int> perClient_;
  int open_ = 0;
  bool closing_ = false;
  int wakeFds_[2] = {-1, -1};
  std::thread gate_;
  std::vector<std::thread> workers_;
};

}  // namespace pvrsim::serve
