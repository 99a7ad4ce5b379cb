// RepoServer.h - a package repository on 127.0.0.1 for tests and demos: serves
// the files of a host folder (GET and HEAD, Range "bytes=N-") on a free port,
// counts what it served (requests per path, body bytes), and is bounded: it
// answers at most maxRequests requests and stops serving after maxSeconds,
// whatever the test does; the destructor stops it.  Part of pvrsim_serve,
// which brings cpp-httplib; its threads never touch the Sim.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace pvrsim::serve {

class RepoServer {
 public:
  // port 0: any free port.  port() is -1 when the port cannot be had.
  explicit RepoServer(std::string folder, int maxRequests = 10000, int maxSeconds = 120, int port = 0)
      : folder_(std::move(folder)), maxRequests_(maxRequests) {
    server_.set_keep_alive_max_count(1);
    server_.Get(R"(/(.*))", [this](const httplib::Request &req, httplib::Response &res) { serve(req, res); });
    port_ = port == 0 ? server_.bind_to_any_port("127.0.0.1")
                      : (server_.bind_to_port("127.0.0.1", port) ? port : -1);
    // Bound already: a connection made before listening starts waits in the backlog.
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(maxSeconds);
    watchdog_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      stopped_.wait_until(lock, deadline_, [this] { return stopping_; });
      server_.stop();
    });
  }
  ~RepoServer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stopped_.notify_all();
    watchdog_.join();
    server_.stop();
    thread_.join();
  }
  RepoServer(const RepoServer &) = delete;
  RepoServer &operator=(const RepoServer &) = delete;

  int port() const { return port_; }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  // Requests for a path ("/MasterList.vml"), found or not.
  int requests(const std::string &path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = counts_.find(path);
    return it == counts_.end() ? 0 : it->second;
  }
  int totalRequests() const { return total_.load(); }
  long long bytesServed() const { return bytes_.load(); }

 private:
  void serve(const httplib::Request &req, httplib::Response &res) {
    if (++total_ > maxRequests_) {
      res.status = 503;
      return;
    }
    std::string path = req.path;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++counts_[path];
    }
    std::filesystem::path file = std::filesystem::path(folder_) / path.substr(1);
    std::error_code ec;
    if (path.find("..") != std::string::npos || !std::filesystem::is_regular_file(file, ec)) {
      res.status = 404;
      return;
    }
    std::ifstream in(file, std::ios::binary);
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    res.set_content(body, "application/octet-stream");  // httplib answers a Range with 206
    bytes_ += static_cast<long long>(body.size());
  }

  std::string folder_;
  int maxRequests_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_, watchdog_;
  std::chrono::steady_clock::time_point deadline_;
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::map<std::string, int> counts_;
  std::atomic<int> total_{0};
  std::atomic<long long> bytes_{0};
};

}  // namespace pvrsim::serve
