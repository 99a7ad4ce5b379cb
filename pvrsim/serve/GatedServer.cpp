// GatedServer.cpp - connections counted, their requests gathered on one
// thread with poll(), answered by a fixed set of workers through httplib's
// own request processing.  A socket is only ever read or written after
// poll() said it may be, so no client can hold a thread beyond the limits.
#include "GatedServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace pvrsim::serve {

struct GatedServer::Connection {
  int sock = -1;
  std::string client;                 // the peer's address
  Clock::time_point requestDeadline;  // the whole request is there by then
  Clock::time_point answerDeadline;   // set when a worker takes it
  std::chrono::milliseconds sendTime{0};
  bool streaming = false;  // then each write has sendTime of its own
};

namespace {

using Clock = std::chrono::steady_clock;

thread_local GatedServer::Connection *currentConnection = nullptr;

int millisecondsUntil(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1000000));  // at most 1000 s per wait
}

// Waits until the socket may be read (POLLIN) or written (POLLOUT), at the
// latest until the deadline; a shut-down socket counts as ready and then
// fails its read or write.
bool waitFor(int sock, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd fd = {sock, events, 0};
    int ready = poll(&fd, 1, millisecondsUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// A short answer written without waiting; the client that cannot take it at
// once loses it.  Whatever the client sent is read away first, so that
// closing sends an orderly end instead of a reset that may drop the answer.
void refuse(int sock, const char *status, const char *text) {
  char discard[4096];
  while (recv(sock, discard, sizeof discard, MSG_DONTWAIT) > 0) {}
  const std::string body = std::string(status) + ": " + text + "\n";
  const std::string head =
      std::string("HTTP/1.1 ") + status +
      "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
      "\r\nConnection: close\r\n\r\n";
  const std::string all = head + body;
  (void)!send(sock, all.data(), all.size(), MSG_DONTWAIT | MSG_NOSIGNAL);  // best effort, see above
}

// Closes after the answer: no more writing, the rest of an unread request
// read away (as much as is there), then the socket closed.
void closeAfterAnswer(int sock) {
  shutdown(sock, SHUT_WR);
  char discard[4096];
  for (int rounds = 0; rounds < 16 && recv(sock, discard, sizeof discard, MSG_DONTWAIT) > 0; ++rounds) {}
  close(sock);
}

std::string peerAddress(int sock) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  char text[INET6_ADDRSTRLEN] = "";
  if (getpeername(sock, reinterpret_cast<sockaddr *>(&address), &length) != 0) return "";
  if (address.ss_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in *>(&address)->sin_addr, text, sizeof text);
  else if (address.ss_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6 *>(&address)->sin6_addr, text, sizeof text);
  return text;
}

// The value of a header in the request head, lower-cased; empty when absent.
std::string headerValue(const std::string &head, const char *name) {
  std::string lower(head);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  const std::string key = std::string("\r\n") + name + ":";
  size_t at = lower.find(key);
  if (at == std::string::npos) return "";
  at += key.size();
  size_t end = lower.find("\r\n", at);
  size_t begin = lower.find_first_not_of(" \t", at);
  return begin >= end ? "" : lower.substr(begin, end - begin);
}

enum class Arrival { Waiting, Whole, Gone, TooLarge };

// Looks at what has arrived so far, without taking it from the socket: the
// request is whole when its head is complete and so is its body (a body
// over maxBody is answered at once, by the worker, with 413).
Arrival inspect(int sock, size_t maxHeader, size_t maxBody, std::vector<char> &buffer) {
  ssize_t got = recv(sock, buffer.data(), buffer.size(), MSG_PEEK | MSG_DONTWAIT);
  if (got == 0) return Arrival::Gone;
  if (got < 0)
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? Arrival::Waiting : Arrival::Gone;
  const std::string text(buffer.data(), size_t(got));
  const size_t headEnd = text.find("\r\n\r\n");
  if (headEnd == std::string::npos || headEnd + 4 > maxHeader)
    return headEnd == std::string::npos && text.size() < maxHeader ? Arrival::Waiting : Arrival::TooLarge;
  const std::string head = text.substr(0, headEnd + 2);
  const std::string body = text.substr(headEnd + 4);
  if (headerValue(head, "transfer-encoding").find("chunked") != std::string::npos)
    return body.size() > maxBody || body.rfind("0\r\n\r\n", 0) == 0 ||
                   body.find("\r\n0\r\n\r\n") != std::string::npos
               ? Arrival::Whole
               : Arrival::Waiting;
  const std::string length = headerValue(head, "content-length");
  if (length.empty() || length.find_first_not_of("0123456789") != std::string::npos || length.size() > 9)
    return Arrival::Whole;  // httplib refuses what it cannot read
  const size_t wanted = std::stoul(length);
  return wanted > maxBody || body.size() >= wanted ? Arrival::Whole : Arrival::Waiting;
}

// httplib's view of a connection: reads and writes that wait with poll()
// for the connection's deadlines.
class GatedStream : public httplib::Stream {
 public:
  explicit GatedStream(GatedServer::Connection &c) : c_(c) {}
  bool is_readable() const override { return waitFor(c_.sock, POLLIN, c_.requestDeadline); }
  bool is_writable() const override { return waitFor(c_.sock, POLLOUT, writeDeadline()); }
  ssize_t read(char *ptr, size_t size) override {
    if (!is_readable()) return -1;
    return recv(c_.sock, ptr, size, MSG_DONTWAIT);
  }
  ssize_t write(const char *ptr, size_t size) override {
    if (!is_writable()) return -1;
    return send(c_.sock, ptr, size, MSG_DONTWAIT | MSG_NOSIGNAL);
  }
  void get_remote_ip_and_port(std::string &ip, int &port) const override { address(false, ip, port); }
  void get_local_ip_and_port(std::string &ip, int &port) const override { address(true, ip, port); }
  socket_t socket() const override { return c_.sock; }

 private:
  Clock::time_point writeDeadline() const {
    return c_.streaming ? Clock::now() + c_.sendTime : c_.answerDeadline;
  }
  void address(bool local, std::string &ip, int &port) const {
    sockaddr_in a{};
    socklen_t length = sizeof a;
    int done = local ? getsockname(c_.sock, reinterpret_cast<sockaddr *>(&a), &length)
                     : getpeername(c_.sock, reinterpret_cast<sockaddr *>(&a), &length);
    char text[INET_ADDRSTRLEN] = "";
    if (done == 0 && a.sin_family == AF_INET) inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    ip = text;
    port = done == 0 ? ntohs(a.sin_port) : 0;
  }
  GatedServer::Connection &c_;
};

}  // namespace

GatedServer::GatedServer(GateLimits limits) : limits_(limits) {
  if (pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) wakeFds_[0] = wakeFds_[1] = -1;
  // Connections reach process_and_close_socket on the accepting thread.
  struct Inline : httplib::TaskQueue {
    void enqueue(std::function<void()> fn) override { fn(); }
    void shutdown() override {}
  };
  new_task_queue = [] { return new Inline; };
  gate_ = std::thread([this] { gateLoop(); });
  for (int i = 0; i < std::max(1, limits_.workers); ++i) workers_.emplace_back([this] { workerLoop(); });
}

GatedServer::~GatedServer() {
  closeAll();
  for (int fd : wakeFds_)
    if (fd >= 0) close(fd);
}

void GatedServer::widenBacklog() {
  // httplib listens with a backlog of 5; listening again only changes it.
  if (svr_sock_ != INVALID_SOCKET) ::listen(svr_sock_, SOMAXCONN);
}

void GatedServer::markStreaming() {
  if (currentConnection) currentConnection->streaming = true;
}

void GatedServer::wake() {
  if (wakeFds_[1] >= 0) (void)!write(wakeFds_[1], "", 1);  // a full pipe is already a wake-up
}

bool GatedServer::process_and_close_socket(socket_t sock) {
  auto connection = std::make_shared<Connection>();
  connection->sock = sock;
  connection->client = peerAddress(sock);
  connection->requestDeadline = Clock::now() + limits_.requestTime;
  connection->sendTime = limits_.sendTime;
  std::lock_guard<std::mutex> lock(mutex_);
  int &fromClient = perClient_[connection->client];
  if (closing_ || open_ >= limits_.maxConnections || fromClient >= limits_.maxConnectionsPerClient) {
    if (fromClient == 0) perClient_.erase(connection->client);
    refuse(sock, "503 Service Unavailable", "too many connections; try again");
    closeAfterAnswer(sock);
    return true;
  }
  fromClient++;
  open_++;
  waiting_.push_back(connection);
  wake();
  return true;
}

void GatedServer::gateLoop() {
  std::vector<char> buffer(limits_.maxHeader + limits_.maxBody + 16);
  std::vector<pollfd> fds;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!closing_) {
    fds.assign(1, pollfd{wakeFds_[0], POLLIN, 0});
    Clock::time_point next = Clock::now() + std::chrono::seconds(1);
    for (const auto &c : waiting_) {
      fds.push_back(pollfd{c->sock, POLLIN, 0});
      next = std::min(next, c->requestDeadline);
    }
    lock.unlock();
    poll(fds.data(), fds.size(), millisecondsUntil(next));
    char drained[64];
    while (read(wakeFds_[0], drained, sizeof drained) > 0) {}
    lock.lock();
    const Clock::time_point now = Clock::now();
    std::vector<std::shared_ptr<Connection>> still;
    for (const auto &c : waiting_) {
      Arrival arrival = inspect(c->sock, limits_.maxHeader, limits_.maxBody, buffer);
      if (arrival == Arrival::Whole) {
        ready_.push_back(c);
        readyChanged_.notify_one();
        continue;
      }
      if (arrival == Arrival::TooLarge)
        refuse(c->sock, "431 Request Header Fields Too Large", "the request's head is too long");
      else if (arrival == Arrival::Waiting && now >= c->requestDeadline)
        refuse(c->sock, "408 Request Timeout", "the request did not arrive in time");
      else if (arrival == Arrival::Waiting) {
        still.push_back(c);
        continue;
      }
      releaseLocked(*c);
    }
    waiting_.swap(still);
  }
}

void GatedServer::workerLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    readyChanged_.wait(lock, [this] { return closing_ || !ready_.empty(); });
    if (ready_.empty()) return;
    std::shared_ptr<Connection> c = ready_.front();
    ready_.pop_front();
    if (closing_) {
      lock.unlock();
      release(c);
      lock.lock();
      continue;
    }
    answering_.push_back(c);
    lock.unlock();
    answer(c);
    lock.lock();
    answering_.erase(std::find(answering_.begin(), answering_.end(), c));
    lock.unlock();
    release(c);
    lock.lock();
  }
}

void GatedServer::answer(const std::shared_ptr<Connection> &c) {
  c->answerDeadline = Clock::now() + limits_.sendTime;
  GatedStream stream(*c);
  currentConnection = c.get();
  bool closed = true;
  process_request(stream, true, closed, [&](httplib::Request &) {});
  currentConnection = nullptr;
}

void GatedServer::release(const std::shared_ptr<Connection> &c) {
  std::lock_guard<std::mutex> lock(mutex_);
  releaseLocked(*c);
}

void GatedServer::releaseLocked(Connection &c) {
  closeAfterAnswer(c.sock);
  open_--;
  if (--perClient_[c.client] <= 0) perClient_.erase(c.client);
}

void GatedServer::closeAll() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closing_ && !gate_.joinable()) return;
    closing_ = true;
    for (const auto &c : answering_) shutdown(c->sock, SHUT_RDWR);
    readyChanged_.notify_all();
  }
  wake();
  if (gate_.joinable()) gate_.join();
  for (std::thread &worker : workers_)
    if (worker.joinable()) worker.join();
  std::vector<std::shared_ptr<Connection>> left;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    left.swap(waiting_);
  }
  for (const auto &c : left) release(c);
}

}  // namespace pvrsim::serve
