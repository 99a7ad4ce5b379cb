// WebServer.cpp - the routes of the page's HTTP server on cpp-httplib.
// Handlers run on the gate's worker threads and touch only the LiveState, the
// KeyQueue and the run folder's screenshots.  An event stream holds one
// worker while its page is open, so the pool has room for the other
// requests of every page allowed.  A request for a path or method that is
// not served is answered before its body is read; the POST routes read
// their bodies themselves and stop at the limit.
#include "WebServer.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "EventStream.h"
#include "GatedServer.h"
#include "WebAssets.h"
#include "core/CommandLine.h"

namespace pvrsim::serve {

namespace {

// The paths served and the method each takes, for the answers to a wrong
// method (405) and to an unknown path (404).
struct Route {
  const char *path;
  const char *method;
};
constexpr Route kRoutes[] = {{"/", "GET"},           {"/page.js", "GET"},     {"/page.css", "GET"},
                             {"/keys", "GET"},       {"/key", "POST"},        {"/events", "GET"},
                             {"/screen.png", "GET"}, {"/screenshot", "POST"}, {"/state", "GET"}};

void answer(httplib::Response &res, int status, const std::string &text) {
  res.status = status;
  res.set_content(text + "\n", "text/plain; charset=utf-8");
}

std::string trimmed(const std::string &text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

// The method a path takes ("GET", "POST"), or null for a path not served.
const char *routeMethod(const std::string &path) {
  for (const Route &route : kRoutes)
    if (path == route.path) return route.method;
  return nullptr;
}

// One key name, nothing after it: surrounding blanks and line ends are
// dropped, a NUL or a blank inside is not a key name.
bool oneKeyName(const std::string &name) {
  return std::none_of(name.begin(), name.end(),
                      [](char c) { return c == '\0' || std::isspace(static_cast<unsigned char>(c)); });
}

GateLimits gateLimits(const WebServerOptions &o) {
  GateLimits limits;
  limits.workers = o.maxPages + 4;
  limits.maxConnections = o.maxConnections;
  limits.maxConnectionsPerClient = o.maxConnectionsPerClient;
  limits.maxBody = o.maxBody;
  limits.requestTime = o.requestTime;
  limits.sendTime = o.sendTime;
  return limits;
}

// "000012-t00000345.png", as the frames folder names its files.
std::string frameFileName(uint64_t frame, dword tick) {
  char name[48];
  std::snprintf(name, sizeof name, "%06llu-t%08u.png", static_cast<unsigned long long>(frame),
                static_cast<unsigned>(tick));
  return name;
}

}  // namespace

struct WebServer::Impl {
  Impl(LiveState &s, KeyQueue &k, WebServerOptions o)
      : state(s), keys(k), options(std::move(o)), server(gateLimits(options)) {}

  bool sameHost(const std::string &host) const {
    const std::string suffix = ":" + std::to_string(port);
    return host == "127.0.0.1" + suffix || host == "localhost" + suffix;
  }
  // Only this server's own page may use it: a page of another site that
  // asks 127.0.0.1 (posting keys, or holding event streams so that the own
  // page finds none free), or reaches it under its own name, gets 403.
  bool allowed(const httplib::Request &req, httplib::Response &res) const {
    if (req.has_header("Host") && !sameHost(req.get_header_value("Host"))) {
      answer(res, 403, "403 Forbidden: pvrsim serves http://127.0.0.1:" + std::to_string(port) + "/ only");
      return false;
    }
    const std::string origin = req.get_header_value("Origin");
    if (!origin.empty() && !(origin.compare(0, 7, "http://") == 0 && sameHost(origin.substr(7)))) {
      answer(res, 403, "403 Forbidden: requests from " + origin + " are not taken");
      return false;
    }
    return true;
  }

  // 404 for a path not served, 405 for a served path with another method;
  // false when the request has a route.  HEAD goes where GET goes.
  bool routeRefused(const httplib::Request &req, httplib::Response &res) const {
    const char *allow = routeMethod(req.path);
    if (!allow) {
      std::string paths;
      for (const Route &route : kRoutes)
        paths += std::string(paths.empty() ? "" : ", ") + route.method + " " + route.path;
      answer(res, 404, "404 Not Found: " + req.path + " (pvrsim serves " + paths + ")");
      return true;
    }
    if (req.method == allow || (req.method == "HEAD" && std::string(allow) == "GET")) return false;
    res.set_header("Allow", allow);
    answer(res, 405, "405 Method Not Allowed: " + req.path + " takes " + allow + ", not " + req.method);
    return true;
  }

  void errorAnswer(const httplib::Request &req, httplib::Response &res) const {
    if (!res.body.empty()) return;  // the handler said what was wrong
    if (res.status == 413) {
      answer(res, 413, "413 Payload Too Large: bodies up to " + std::to_string(options.maxBody) + " bytes");
    } else {
      answer(res, res.status, "HTTP " + std::to_string(res.status) + " for " + req.method + " " + req.path);
    }
  }

  void asset(const httplib::Request &req, httplib::Response &res) const {
    const WebAsset *file = findWebAsset(req.path);
    res.set_header("Cache-Control", "no-cache");
    res.set_content(reinterpret_cast<const char *>(file->data), file->size, file->contentType);
  }

  // Reads the body of a POST up to the limit: false with 413 (set for the
  // error answer) when it is longer, with 400 when it breaks off.  A body
  // declared too long is not read at all.
  bool body(const httplib::Request &req, httplib::Response &res, const httplib::ContentReader &reader,
            std::string &text) const {
    const bool chunked = req.get_header_value("Transfer-Encoding").find("chunked") != std::string::npos;
    if (!chunked && req.get_header_value<uint64_t>("Content-Length") == 0) return true;  // no body
    if (!chunked && req.get_header_value<uint64_t>("Content-Length") > options.maxBody)
      return res.status = 413, false;
    if (req.is_multipart_form_data())
      return answer(res, 400, "400 Bad Request: the body is plain text, not a form"), false;
    bool tooLong = false;
    bool whole = reader([&](const char *data, size_t size) {
      tooLong = text.size() + size > options.maxBody;
      if (!tooLong) text.append(data, size);
      return !tooLong;
    });
    if (tooLong) return res.status = 413, false;
    if (!whole) return answer(res, 400, "400 Bad Request: the body broke off"), false;
    return true;
  }

  void key(const std::string &body, httplib::Response &res) {
    const std::string name = trimmed(body);
    dword code = 0;
    if (name.empty())
      return answer(res, 400, "400 Bad Request: the body names no key (GET /keys lists them)");
    if (!oneKeyName(name))
      return answer(res, 400,
                    "400 Bad Request: the body holds more than one key name (GET /keys lists them)");
    if (name.size() > 32 || !parseKeyName(name, code))
      return answer(res, 400,
                    "400 Bad Request: unknown key \"" + name.substr(0, 32) + "\" (GET /keys lists them)");
    if (state.ended())
      return answer(res, 503, "503 Service Unavailable: pvrsim has stopped; keys are not taken");
    if (!keys.push(code))
      return answer(res, 503, "503 Service Unavailable: too many keys are waiting for the box; try again");
    res.status = 202;
    res.set_content(keyTakenJson(name, code), "application/json");
  }

  void events(httplib::Response &res) {
    if (pages.fetch_add(1) >= options.maxPages) {
      pages--;
      return answer(
          res, 503,
          "503 Service Unavailable: " + std::to_string(options.maxPages) + " pages are open already");
    }
    res.set_header("Cache-Control", "no-store");
    GatedServer::markStreaming();
    auto cursor = std::make_shared<LiveState::Cursor>();
    auto first = std::make_shared<bool>(true);
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, cursor, first](size_t, httplib::DataSink &sink) {
          // The page reconnects after two seconds when the stream breaks.
          std::string text = *first ? "retry: 2000\n\n" : "";
          *first = false;
          LiveState::Update update = state.waitForUpdate(*cursor, options.heartbeat);
          text += eventsText(update);
          if (!sink.write(text.data(), text.size())) return false;  // the page went away
          if (update.ended) sink.done();
          return true;
        },
        [this](bool) { pages--; });
  }

  void screen(const httplib::Request &req, httplib::Response &res) {
    uint64_t number = 0;
    dword tick = 0;
    std::vector<uint8_t> png = state.framePng(number, tick);
    if (png.empty()) return answer(res, 503, "503 Service Unavailable: no screen yet");
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Frame", std::to_string(number));
    res.set_header("X-Tick", std::to_string(tick));
    if (req.has_param("download"))
      res.set_header("Content-Disposition",
                     "attachment; filename=\"pvrsim-" + frameFileName(number, tick) + "\"");
    res.set_content(reinterpret_cast<const char *>(png.data()), png.size(), "image/png");
  }

  void screenshot(httplib::Response &res) {
    uint64_t number = 0;
    dword tick = 0;
    std::vector<uint8_t> png = state.framePng(number, tick);
    if (png.empty()) return answer(res, 503, "503 Service Unavailable: no screen yet");
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(options.runDir) / "screenshots";
    const std::string file = (folder / ("screen-" + frameFileName(number, tick))).string();
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(png.data()), std::streamsize(png.size()));
    out.close();
    if (!out) return answer(res, 500, "500 Internal Server Error: " + file + ": cannot write the screenshot");
    res.status = 201;
    res.set_content(screenshotJson(file, number, tick), "application/json");
  }

  void routes() {
    using Req = const httplib::Request &;
    using Res = httplib::Response &;
    server.set_pre_routing_handler([this](Req req, Res res) {
      return allowed(req, res) && !routeRefused(req, res) ? httplib::Server::HandlerResponse::Unhandled
                                                          : httplib::Server::HandlerResponse::Handled;
    });
    server.set_error_handler([this](Req req, Res res) { errorAnswer(req, res); });
    for (const char *path : {"/", "/page.js", "/page.css"})
      server.Get(path, [this](Req req, Res res) { asset(req, res); });
    server.Get("/keys", [](Req, Res res) { res.set_content(keysJson(keyNames()), "application/json"); });
    using Reader = const httplib::ContentReader &;
    server.Post("/key", [this](Req req, Res res, Reader reader) {
      std::string text;
      if (body(req, res, reader, text)) key(text, res);
    });
    server.Get("/events", [this](Req, Res res) { events(res); });
    server.Get("/screen.png", [this](Req req, Res res) { screen(req, res); });
    server.Post("/screenshot", [this](Req req, Res res, Reader reader) {
      std::string text;
      if (body(req, res, reader, text)) screenshot(res);
    });
    server.Get("/state", [this](Req, Res res) { res.set_content(stateJson(state), "application/json"); });
  }

  LiveState &state;
  KeyQueue &keys;
  WebServerOptions options;
  GatedServer server;
  std::thread thread;
  std::atomic<int> pages{0};
  std::atomic<bool> listenEnded{false};
  int port = 0;
};

WebServer::WebServer(LiveState &state, KeyQueue &keys, WebServerOptions options)
    : impl_(std::make_unique<Impl>(state, keys, std::move(options))) {}

WebServer::~WebServer() { stop(); }

bool WebServer::start(std::string &error) {
  Impl &s = *impl_;
  s.server.set_payload_max_length(s.options.maxBody);
  s.routes();
  const int wanted = s.options.port;
  s.port = wanted == 0 ? s.server.bind_to_any_port("127.0.0.1")
                       : (s.server.bind_to_port("127.0.0.1", wanted) ? wanted : -1);
  if (s.port <= 0) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(wanted) + " (in use by another program?)";
    return false;
  }
  s.server.widenBacklog();
  s.thread = std::thread([&s] {
    s.server.listen_after_bind();
    s.listenEnded = true;
  });
  // httplib's stop() does nothing before the server runs, and the server
  // would then wait for a connection for ever.
  while (!s.server.is_running() && !s.listenEnded) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (s.listenEnded) {
    s.thread.join();
    error = "the server on 127.0.0.1:" + std::to_string(s.port) + " ended at once";
    return false;
  }
  return true;
}

int WebServer::port() const { return impl_->port; }

void WebServer::stop() {
  Impl &s = *impl_;
  if (!s.thread.joinable()) return;
  // Open pages are woken by the end and send it on; a page that stopped
  // reading, or any other client, must not keep pvrsim from ending.
  for (int waited = 0; s.state.ended() && s.pages > 0 && waited < 50; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  s.server.stop();
  s.thread.join();
  s.server.closeAll();
}

}  // namespace pvrsim::serve
