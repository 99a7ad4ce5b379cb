// ShellWget.cpp - the box's wget (busybox's applet) in the box shell: HTTP
// GET of one URL, with the options the shipped build has (-q, -O FILE, -c,
// -S, -U AGENT, --spider), its messages and exit codes, and its handling of
// the output file: created only once the server answered with success, left
// as far as it got when the connection breaks.
//
// Only 127.0.0.1 and localhost are reached.  The response is fetched from
// the local server at once (in real time), then handed to the file over
// ticks of virtual time, so a TAP polling the file sees it grow; the faults
// of Config::network (pulled cable, broken connection, stalled server) act
// on that virtual transfer.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Box.h"
#include "Shell.h"

namespace pvrsim::box::shell {

namespace {
constexpr size_t kMaxResponse = 64u << 20;  // a local test server sends less
constexpr int kReceiveSeconds = 5;          // a real server that stalls longer counts as stalled

struct Request {
  bool quiet = false, resume = false, spider = false, showResponse = false;
  std::string output, agent = "Wget", url;
};

struct Url {
  std::string host, path;
  int port = 80;
};

struct Response {
  std::string statusLine, headers, body;
  int code = 0;
  bool hasLength = false;
  uint64_t length = 0;
  bool complete = false;  // the server sent all it announced
};

bool parseRequest(const std::vector<std::string> &args, Request &r, std::string &error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    if (a == "--spider") {
      r.spider = true;
    } else if ((a == "-O" || a == "-U") && i + 1 < args.size()) {
      (a == "-O" ? r.output : r.agent) = args[++i];
    } else if (a.size() > 2 && (a.compare(0, 2, "-O") == 0 || a.compare(0, 2, "-U") == 0)) {
      (a[1] == 'O' ? r.output : r.agent) = a.substr(2);
    } else if (a.size() > 1 && a[0] == '-' && a.find_first_not_of("qcS", 1) == std::string::npos) {
      r.quiet |= a.find('q') != std::string::npos;
      r.resume |= a.find('c') != std::string::npos;
      r.showResponse |= a.find('S') != std::string::npos;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "wget: unrecognized option '" + a + "'";
      return false;
    } else {
      r.url = a;
    }
  }
  if (r.url.empty())
    error = "BusyBox v1.35.0 multi-call binary.\n\nUsage: wget [-cqS] [--spider] [-O FILE] [-U AGENT] URL...";
  return !r.url.empty();
}

bool parseUrl(const std::string &text, Url &url, std::string &error) {
  const std::string scheme = "http://";
  if (text.compare(0, scheme.size(), scheme) != 0) {
    error = "wget: not an http or ftp url: " + text;
    return false;
  }
  std::string rest = text.substr(scheme.size());
  size_t slash = rest.find('/');
  std::string hostPort = rest.substr(0, slash);
  url.path = slash == std::string::npos ? "/" : rest.substr(slash);
  size_t colon = hostPort.rfind(':');
  url.host = hostPort.substr(0, colon);
  if (colon != std::string::npos)
    url.port = static_cast<int>(std::strtol(hostPort.c_str() + colon + 1, nullptr, 10));
  if (url.host.empty() || url.port <= 0 || url.port > 65535) {
    error = "wget: bad address '" + hostPort + "'";
    return false;
  }
  return true;
}

bool isAddress(const std::string &host) {
  in_addr ignored;
  return inet_pton(AF_INET, host.c_str(), &ignored) == 1;
}

// Why the host cannot be reached, or "" when it can.
std::string unreachable(const Url &url) {
  bool local = url.host == "127.0.0.1" || url.host == "localhost";
  if (local && !config().network.down) return "";
  if (!isAddress(url.host)) return "wget: bad address '" + url.host + "'";
  return "wget: can't connect to remote host (" + url.host + "): Network is unreachable";
}

bool sendAll(int fd, const std::string &text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void parseHead(const std::string &head, Response &r) {
  size_t lineEnd = head.find("\r\n");
  r.statusLine = head.substr(0, lineEnd);
  r.headers = lineEnd == std::string::npos ? "" : head.substr(lineEnd + 2);
  size_t space = r.statusLine.find(' ');
  r.code = space == std::string::npos
               ? 0
               : static_cast<int>(std::strtol(r.statusLine.c_str() + space + 1, nullptr, 10));
  for (size_t pos = 0; pos < r.headers.size();) {
    size_t end = r.headers.find("\r\n", pos);
    if (end == std::string::npos) end = r.headers.size();
    std::string line = r.headers.substr(pos, end - pos);
    if (strncasecmp(line.c_str(), "Content-Length:", 15) == 0) {
      r.hasLength = true;
      r.length = std::strtoull(line.c_str() + 15, nullptr, 10);
    }
    pos = end + 2;
  }
}

// GET from the local server; false with busybox's message when there is no
// answer.
bool fetch(const Url &url, const Request &request, uint64_t from, Response &response, std::string &error) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(url.port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{kReceiveSeconds, 0};
  if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
    error = "wget: can't connect to remote host (127.0.0.1): " + std::string(std::strerror(errno));
    if (fd >= 0) ::close(fd);
    return false;
  }
  std::string get = (request.spider ? "HEAD " : "GET ") + url.path + " HTTP/1.1\r\nHost: " + url.host + ":" +
                    std::to_string(url.port) + "\r\nUser-Agent: " + request.agent +
                    "\r\nConnection: close\r\n";
  if (from > 0) get += "Range: bytes=" + std::to_string(from) + "-\r\n";
  std::string data;
  if (sendAll(fd, get + "\r\n")) {
    char buffer[16384];
    ssize_t n;
    while (data.size() < kMaxResponse && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
      data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  size_t headEnd = data.find("\r\n\r\n");
  if (headEnd == std::string::npos) {
    error = "wget: error getting response: Connection reset by peer";
    return false;
  }
  parseHead(data.substr(0, headEnd), response);
  response.body = data.substr(headEnd + 4);
  response.complete = !response.hasLength || response.body.size() >= response.length;
  if (response.hasLength && response.body.size() > response.length) response.body.resize(response.length);
  return true;
}

// Opens the output file on the disk as busybox does once the answer is good.
int openOutput(const std::string &name, bool append, std::string &error) {
  detail::RoutedPath routed = routeShellPath(name);
  int fd = -1;
  if (routed.route == detail::Route::Disk && separateBeforeWrite(routed.hostPath, append))
    fd =
        ::open(routed.hostPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0666);
  if (fd < 0)
    error = "wget: can't open '" + name +
            "': " + std::strerror(routed.route == detail::Route::Disk ? errno : EACCES);
  return fd;
}

uint64_t existingSize(const std::string &name) {
  detail::RoutedPath routed = routeShellPath(name);
  struct stat st;
  if (routed.route != detail::Route::Disk || ::stat(routed.hostPath.c_str(), &st) != 0) return 0;
  return static_cast<uint64_t>(st.st_size);
}

class WgetRun : public TimedRun {
 public:
  WgetRun(CommandIo io, std::shared_ptr<void> keep) : io_(io), keep_(std::move(keep)) {}
  ~WgetRun() override { closeOutput(); }

  void start(const std::vector<std::string> &args);
  bool finished() const override { return finished_; }
  int status() const override { return status_; }
  void advance() override { deliver(config().network.bytesPerTick); }
  void finishNow() override {
    deliver(response_.body.size());
    if (!finished_)
      fail("wget: the server stopped sending; this wget has no time-out and would wait for ever");
  }
  void abort(int signal) override { end(128 + signal); }

 private:
  void fail(const std::string &message) {
    io_.err.write(message + "\n");
    end(1);
  }
  void end(int status) {
    closeOutput();
    finished_ = true;
    status_ = status;
  }
  void closeOutput() {
    if (fd_ >= 0 && fd_ != 1) ::close(fd_);
    fd_ = -1;
  }
  void deliver(uint64_t bytes);
  bool beginBody(const Request &request);

  CommandIo io_;
  std::shared_ptr<void> keep_;
  Response response_;
  std::string outputName_;
  int fd_ = -1;  // 1: standard output
  uint64_t sent_ = 0;
  bool quiet_ = false;
  bool finished_ = false;
  int status_ = 0;
};

void WgetRun::start(const std::vector<std::string> &args) {
  Request request;
  Url url;
  std::string error;
  if (!parseRequest(args, request, error) || !parseUrl(request.url, url, error)) return fail(error);
  quiet_ = request.quiet;
  std::string why = unreachable(url);
  if (!why.empty()) return fail(why);
  outputName_ = request.output;
  if (outputName_.empty()) {
    size_t slash = url.path.rfind('/');
    outputName_ = url.path.substr(slash + 1);
    if (outputName_.empty()) outputName_ = "index.html";
  }
  uint64_t from = request.resume && outputName_ != "-" ? existingSize(outputName_) : 0;
  if (!quiet_) io_.err.write("Connecting to " + url.host + ":" + std::to_string(url.port) + "\n");
  if (!fetch(url, request, from, response_, error)) return fail(error);
  if (request.showResponse) io_.err.write("  " + response_.statusLine + "\n");
  if (response_.code / 100 != 2) return fail("wget: server returned error: " + response_.statusLine);
  if (request.spider) return end(0);
  beginBody(request);
}

bool WgetRun::beginBody(const Request &request) {
  std::string error;
  if (outputName_ == "-") {
    fd_ = 1;
  } else {
    bool append = request.resume && response_.code == 206;
    fd_ = openOutput(outputName_, append, error);
    if (fd_ < 0) {
      fail(error);
      return false;
    }
  }
  if (!quiet_) io_.err.write("saving to '" + outputName_ + "'\n");
  deliver(0);
  return true;
}

// Hands up to `bytes` more of the body to the file, within the faults.
void WgetRun::deliver(uint64_t bytes) {
  if (finished_) return;
  const Config::Network &net = config().network;
  uint64_t limit = response_.body.size();
  bool broken = net.breakAfter && *net.breakAfter < limit;
  if (broken) limit = *net.breakAfter;
  bool stalled = net.stallAfter && *net.stallAfter < limit;
  if (stalled) limit = *net.stallAfter;
  uint64_t n = std::min<uint64_t>(bytes, limit - sent_);
  if (n > 0) {
    const char *data = response_.body.data() + sent_;
    if (fd_ == 1) {
      io_.out.write(std::string(data, n));
    } else if (::write(fd_, data, n) != static_cast<ssize_t>(n)) {
      return fail("wget: write error: " + std::string(std::strerror(errno)));
    }
    sent_ += n;
  }
  if (sent_ < limit || stalled) return;
  bool cut = broken || !response_.complete;
  if (cut && response_.hasLength) return fail("wget: connection closed prematurely");
  if (!quiet_) io_.err.write("'" + outputName_ + "' saved\n");
  end(0);
}
}  // namespace

bool isWgetProgram(const std::string &word) { return isProgramOnDisk(word, "wget"); }

std::unique_ptr<TimedRun> startWget(const std::vector<std::string> &args, CommandIo io,
                                    std::shared_ptr<void> keep) {
  auto run = std::make_unique<WgetRun>(io, std::move(keep));
  run->start(args);
  return run;
}

}  // namespace pvrsim::box::shell
