// ServeTest.cpp - pvrsim --serve without a browser: the answers of the page's HTTP server
// (bad requests, keys, the key list, frames and screenshots, the event
// stream), the page's console history, and the bridge that hands the page's
// keys to a Sim and publishes what the Sim shows.
#include <arpa/inet.h>
#include <fcntl.h>
#include <httplib.h>
#include <unistd.h>

#include <condition_variable>
#include <future>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "SimFixture.h"
#include "box/Box.h"
#include "core/CommandLine.h"
#include "serve/SimBridge.h"
#include "serve/WebServer.h"

namespace {

using namespace pvrsim::serve;
using pvrsim::osd::Image;
using namespace std::chrono_literals;

// Reads /events on a thread of its own until the stream ends.
class EventReader {
 public:
  explicit EventReader(int port)
      : thread_([this, port] {
          httplib::Client client("127.0.0.1", port);
          client.set_read_timeout(10);
          auto result = client.Get("/events", [this](const char *data, size_t size) {
            std::lock_guard<std::mutex> lock(mutex_);
            text_.append(data, size);
            changed_.notify_all();
            return true;
          });
          std::lock_guard<std::mutex> lock(mutex_);
          status_ = result ? result->status : -1;
          done_ = true;
          changed_.notify_all();
        }) {}
  ~EventReader() { thread_.join(); }

  // True once the stream holds the text (false when it ended without it).
  bool waitFor(const std::string &text) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, 10s, [&] { return done_ || text_.find(text) != std::string::npos; });
    return text_.find(text) != std::string::npos;
  }
  bool waitForEnd() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return done_; });
  }
  std::string text() {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
  }
  int count(const std::string &needle) {
    std::string all = text();
    int n = 0;
    for (size_t at = all.find(needle); at != std::string::npos; at = all.find(needle, at + 1)) n++;
    return n;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string text_;
  bool done_ = false;
  int status_ = 0;
  std::thread thread_;
};

// A connection that sends what a well-behaved client never would.
class RawClient {
 public:
  explicit RawClient(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval patience{10, 0};  // answers are expected at once; this only bounds a failing test
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address);
  }
  ~RawClient() { close(fd_); }
  bool send(const std::string &text) {
    return ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) == ssize_t(text.size());
  }
  // The status of the answer, 0 when none came.
  int status() {
    std::string line;
    char c = 0;
    while (line.size() < 100 && recv(fd_, &c, 1, 0) == 1 && c != '\n') line += c;
    return line.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(line.c_str() + 9) : 0;
  }

 private:
  int fd_;
};

class ServeTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    WebServerOptions serverOptions;
    serverOptions.runDir = options.runDir;
    serverOptions.maxBody = 64;
    serverOptions.maxPages = 2;
    serverOptions.heartbeat = 50ms;
    serverOptions.maxConnectionsPerClient = 16;
    serverOptions.requestTime = 1000ms;
    server = std::make_unique<WebServer>(state, keys, serverOptions);
    std::string error;
    ASSERT_TRUE(server->start(error)) << error;
    client = std::make_unique<httplib::Client>("127.0.0.1", server->port());
  }
  void TearDown() override {
    bridge.detach();
    state.end("test over");
    server->stop();
    SimFixture::TearDown();
  }

  httplib::Result post(const std::string &path, const std::string &body) {
    return client->Post(path.c_str(), body, "text/plain");
  }
  Image pngAt(const std::string &path, std::string *disposition = nullptr, std::string *frame = nullptr) {
    auto res = client->Get(path.c_str());
    Image image;
    if (!res || res->status != 200) return image;
    if (disposition) *disposition = res->get_header_value("Content-Disposition");
    if (frame) *frame = res->get_header_value("X-Frame");
    std::ofstream(root + "/fetched.png", std::ios::binary) << res->body;
    pvrsim::osd::readPng(root + "/fetched.png", image);
    return image;
  }

  LiveState state;
  KeyQueue keys{4};
  SimBridge bridge{state, keys};
  std::unique_ptr<WebServer> server;
  std::unique_ptr<httplib::Client> client;
};

TEST_F(ServeTest, BadRequestsGetClearClientErrorsAndQueueNothing) {
  struct Case {
    std::string method, path, body;
    httplib::Headers headers;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"POST", "/key", "frobnicate", {}, 400, "unknown key \"frobnicate\" (GET /keys lists them)"},
      {"POST", "/key", " \n", {}, 400, "the body names no key"},
      {"POST", "/key", std::string(65, 'x'), {}, 413, "bodies up to 64 bytes"},
      {"GET", "/nowhere", "", {}, 404, "404 Not Found: /nowhere (pvrsim serves GET /, "},
      {"GET", "/key", "", {}, 405, "/key takes POST, not GET"},
      {"POST", "/keys", "ok", {}, 405, "/keys takes GET, not POST"},
      {"GET", "/", "", {{"Host", "rebound.example"}}, 403, "pvrsim serves http://127.0.0.1:"},
      {"POST",
       "/key",
       "ok",
       {{"Origin", "http://elsewhere.example"}},
       403,
       "requests from http://elsewhere.example"},
      {"POST", "/key", std::string("ok\0menu", 7), {}, 400, "the body holds more than one key name"},
  };
  for (const Case &c : cases) {
    httplib::Request req;
    req.method = c.method;
    req.path = c.path;
    req.body = c.body;
    req.headers = c.headers;
    if (!c.body.empty()) req.set_header("Content-Type", "text/plain");
    auto res = client->send(req);
    ASSERT_TRUE(res) << c.method << " " << c.path << ": no answer";
    EXPECT_EQ(res->status, c.status) << c.method << " " << c.path << ": " << res->body;
    EXPECT_NE(res->body.find(c.says), std::string::npos) << c.method << " " << c.path << ": " << res->body;
    if (c.status == 405) {
      EXPECT_EQ(res->get_header_value("Allow"), c.method == "GET" ? "POST" : "GET");
    }
  }
  EXPECT_TRUE(keys.takeAll().empty());
}

TEST_F(ServeTest, KeysJoinTheQueueInOrderUntilItIsFullOrTheRunEnded) {
  const std::pair<const char *, dword> pressed[] = {
      {"ok", RKEY_Ok}, {"LEFT", RKEY_Left}, {"7", RKEY_7}, {"0x1000B", RKEY_Recall}};
  for (const auto &key : pressed) {
    auto res = post("/key", key.first);
    ASSERT_TRUE(res && res->status == 202) << key.first;
    EXPECT_EQ(nlohmann::json::parse(res->body)["code"], key.second) << key.first;
  }
  auto full = post("/key", "ok");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->status, 503);
  EXPECT_EQ(keys.takeAll(), (std::vector<dword>{RKEY_Ok, RKEY_Left, RKEY_7, RKEY_Recall}));

  state.end("the TAP ended");
  auto late = post("/key", "ok");
  ASSERT_TRUE(late);
  EXPECT_EQ(late->status, 503);
  EXPECT_NE(late->body.find("pvrsim has stopped"), std::string::npos) << late->body;
  EXPECT_TRUE(keys.takeAll().empty());
}

// The page draws its remote from /keys: every name of pvrsim's key table,
// each of which the key endpoint takes back.
TEST_F(ServeTest, KeyListIsPvrsimsWholeKeyTable) {
  auto res = client->Get("/keys");
  ASSERT_TRUE(res && res->status == 200);
  nlohmann::json listed = nlohmann::json::parse(res->body);
  const std::vector<pvrsim::KeyName> &table = pvrsim::keyNames();
  ASSERT_EQ(listed.size(), table.size());
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(listed[i]["name"], std::string(table[i].name));
    EXPECT_EQ(listed[i]["code"], table[i].code) << table[i].name;
    auto back = post("/key", table[i].name);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->status, 202) << table[i].name;
    keys.takeAll();
  }
}

TEST_F(ServeTest, ScreenAndScreenshotAreTheNewestFrame) {
  auto none = client->Get("/screen.png");
  ASSERT_TRUE(none);
  EXPECT_EQ(none->status, 503);

  Image first(pvrsim::osd::kScreenWidth, pvrsim::osd::kScreenHeight, 0xFF102030);
  Image second = first;
  for (int x = 0; x < 100; x++) second.at(x, 200) = 0xFFF0A030;
  state.publishFrame(first, 3);
  std::string frame;
  EXPECT_EQ(pngAt("/screen.png", nullptr, &frame).argb, first.argb);
  EXPECT_EQ(frame, "0");
  state.publishFrame(second, 7);
  std::string disposition;
  EXPECT_EQ(pngAt("/screen.png?download=1", &disposition, &frame).argb, second.argb);
  EXPECT_EQ(frame, "1");
  EXPECT_EQ(disposition, "attachment; filename=\"pvrsim-000001-t00000007.png\"");

  auto saved = client->Post("/screenshot");
  ASSERT_TRUE(saved && saved->status == 201) << (saved ? saved->body : "no answer");
  const std::string file = nlohmann::json::parse(saved->body)["file"];
  EXPECT_EQ(file, options.runDir + "/screenshots/screen-000001-t00000007.png");
  Image onDisk;
  ASSERT_TRUE(pvrsim::osd::readPng(file, onDisk));
  EXPECT_EQ(onDisk.argb, second.argb);
}

TEST_F(ServeTest, EventStreamSendsWhatChangedOnceAndEndsWithTheRun) {
  state.setRunName("Demo.tap");
  state.publishFrame(Image(8, 8, 0xFF000000), 1);
  EventReader page(server->port()), secondPage(server->port());
  ASSERT_TRUE(page.waitFor("event: hello\ndata: {\"run\":\"Demo.tap\"}"));
  ASSERT_TRUE(secondPage.waitFor("event: hello"));
  auto third = client->Get("/events");  // two pages at a time
  ASSERT_TRUE(third);
  EXPECT_EQ(third->status, 503);

  state.publishFrame(Image(8, 8, 0xFFFFFFFF), 5);
  ASSERT_TRUE(page.waitFor("event: frame\ndata: {\"frame\":1,\"tick\":5}"));
  state.appendConsole("one\0\ntwo\n", 9);
  ASSERT_TRUE(page.waitFor("event: console\ndata: {\"cut\":false,\"text\":\"one\\ntwo\\n\"}"));
  const std::vector<TapEntry> taps = {{0, "/ProgramFiles/Demo.tap", "/mnt/hd/ProgramFiles"}};
  state.publishTaps(taps);
  state.publishTaps(taps);  // the same list again is no news
  ASSERT_TRUE(page.waitFor("\"file\":\"/ProgramFiles/Demo.tap\""));
  state.publishTick(1234);
  ASSERT_TRUE(page.waitFor("event: status\ndata: {\"tick\":1234}"));  // the heartbeat carries the tick

  state.end("no TAP left at tick 1300");
  ASSERT_TRUE(page.waitForEnd());
  ASSERT_TRUE(secondPage.waitForEnd());
  const std::string text = page.text();
  const std::string last = "event: end\ndata: {\"why\":\"no TAP left at tick 1300\"}\n\n";
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_EQ(page.count("event: taps"), 2);  // the empty list first, then the one that changed it
  EXPECT_EQ(page.count("event: hello"), 1);
}

// Requests whose answer must come before the rest of them arrives, or
// that must not open a stream.
TEST_F(ServeTest, AnswersComeBeforeAnUnendingBodyAndStreamsOnlyForThePage) {
  const std::string host = "Host: 127.0.0.1:" + std::to_string(server->port()) + "\r\n";
  const std::string chunked = "POST /key HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n";
  const std::string chunk = "20\r\n" + std::string(32, 'x') + "\r\n";
  struct Case {
    const char *what;
    std::string request;
    int status;
  } cases[] = {
      {"a chunked body over the limit that never ends", chunked + chunk + chunk + chunk, 413},
      {"a chunked key", chunked + "2\r\nok\r\n0\r\n\r\n", 202},
      {"events asked for by another site",
       "GET /events HTTP/1.1\r\n" + host + "Origin: http://elsewhere.example\r\n\r\n", 403},
  };
  for (const Case &c : cases) {
    RawClient raw(server->port());
    ASSERT_TRUE(raw.send(c.request)) << c.what;
    EXPECT_EQ(raw.status(), c.status) << c.what;
  }
  EXPECT_EQ(keys.takeAll(), std::vector<dword>{RKEY_Ok});
}

// Twelve clients that send their requests a byte at a time hold no worker:
// others are answered meanwhile; they get 408, too many at once 503; and
// the server stops at once while such clients keep sending.
TEST_F(ServeTest, SlowClientsNeitherStarveOthersNorKeepTheServerFromStopping) {
  std::vector<std::unique_ptr<RawClient>> slow;
  for (int i = 0; i < 12; ++i) slow.push_back(std::make_unique<RawClient>(server->port()));
  std::atomic<bool> feeding{true};
  std::thread feeder([&] {
    const std::string request = "GET /state HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    for (size_t at = 0; feeding; ++at) {
      for (auto &client : slow) client->send(request.substr(at % request.size(), 1));
      std::this_thread::sleep_for(300ms);
    }
  });
  auto others = client->Get("/state");
  EXPECT_TRUE(others && others->status == 200) << "a slow client took the server";
  int timedOut = 0;
  for (auto &c : slow) timedOut += c->status() == 408;
  EXPECT_EQ(timedOut, 12);
  // Twenty that send nothing: sixteen from one address are let in (and
  // time out), the rest refused at once.
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 0; i < 20; ++i) idle.push_back(std::make_unique<RawClient>(server->port()));
  std::map<int, int> answers;
  for (auto &c : idle) answers[c->status()]++;
  EXPECT_GE(answers[503], 4);
  EXPECT_EQ(answers[408] + answers[503], 20);

  for (int i = 0; i < 8; ++i) slow[size_t(i)] = std::make_unique<RawClient>(server->port());
  EventReader unread(server->port());
  EXPECT_TRUE(unread.waitFor("event: hello")) << unread.text();
  state.end("SIGINT");
  auto stopped = std::async(std::launch::async, [&] { server->stop(); });
  EXPECT_EQ(stopped.wait_for(10s), std::future_status::ready) << "clients kept the server from stopping";
  feeding = false;
  feeder.join();
}

TEST_F(ServeTest, FiftyEventStreamsGetTheirAnswersAndLeaveStateAnswered) {
  std::vector<std::unique_ptr<RawClient>> pages;
  for (int i = 0; i < 50; ++i) {
    pages.push_back(std::make_unique<RawClient>(server->port()));
    pages.back()->send("GET /events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server->port()) +
                       "\r\n\r\n");
  }
  // Told to try again while the refused ones still count, it gets its answer.
  int status = 503;
  for (int tries = 0; status == 503 && tries < 50; ++tries) {
    auto state = client->Get("/state");
    status = state ? state->status : 0;
    if (status == 503) std::this_thread::sleep_for(20ms);
  }
  EXPECT_EQ(status, 200) << "the refused streams took the server";
  std::map<int, int> answers;
  for (auto &page : pages) answers[page->status()]++;
  EXPECT_EQ(answers, (std::map<int, int>{{200, 2}, {503, 48}}));
}

TEST(LiveStateConsole, KeepsWholeLinesAndTellsALatePageOfTheCut) {
  LiveState state(64);
  std::string all;
  for (int i = 0; i < 10; i++) {
    std::string line = "line " + std::to_string(i) + " of the console\n";  // 22 bytes
    state.appendConsole(line.data(), line.size());
    all += line;
  }
  LiveState::Cursor late;
  LiveState::Update update = state.waitForUpdate(late, 0ms);
  EXPECT_TRUE(update.consoleCut);
  EXPECT_LE(update.console.size(), 64u);
  EXPECT_EQ(all.substr(all.size() - update.console.size()), update.console);
  EXPECT_EQ(update.console.rfind("line ", 0), 0u) << update.console;

  state.appendConsole("x\0y\n", 4);
  update = state.waitForUpdate(late, 0ms);
  EXPECT_EQ(update.console, "xy\n");
  EXPECT_FALSE(update.consoleCut);
  update = state.waitForUpdate(late, 10ms);
  EXPECT_TRUE(update.empty());
}

dword keysSeenTick = 0;
std::vector<dword> keysSeen;
dword recordKey(word event, dword param1, dword) {
  if (event == EVT_KEY) {
    keysSeen.push_back(param1);
    keysSeenTick = TAP_GetTick();
  }
  return event == EVT_KEY ? 0 : param1;  // consumes keys
}

TEST_F(ServeTest, BridgeHandsThePagesKeysToTheSimAndPublishesWhatItShows) {
  bridge.attach(*sim);
  EXPECT_EQ(state.frame().screen.argb, pvrsim::osd::tvPicture().argb);  // frame 0: the screen before any sync
  int slot = sim->adoptCaller("/ProgramFiles", recordKey);
  ASSERT_GE(slot, 0);

  keysSeen.clear();
  ASSERT_TRUE(keys.push(RKEY_Ok) && keys.push(RKEY_1));
  sim->tick();
  EXPECT_EQ(keysSeen, (std::vector<dword>{RKEY_Ok, RKEY_1}));
  EXPECT_EQ(keysSeenTick, sim->now());  // delivered in the tick that took them
  EXPECT_TRUE(sim->returnedKeys().empty());
  EXPECT_EQ(state.taps(), (std::vector<TapEntry>{{slot, "/ProgramFiles/Test.tap", "/mnt/hd/ProgramFiles"}}));
  EXPECT_EQ(state.tick(), sim->now());

  word rgn = TAP_Osd_Create(0, 0, 100, 100, 0, 0);
  TAP_Osd_FillBox(rgn, 0, 0, 100, 100, 0xFFFF0000);
  TAP_Osd_Sync();
  TAP_Osd_Sync();  // nothing changed: no frame
  EXPECT_EQ(state.frameNumber(), 1u);
  EXPECT_EQ(state.frame().screen.at(50, 50), 0xFFFF0000u);
  {
    pvrsim::box::TapCallScope tap;
    int fd = open("/dev/pts/0", O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "hello\n", 7), 7);  // with its NUL, as the library writes
    close(fd);
  }
  LiveState::Cursor cursor;
  EXPECT_EQ(state.waitForUpdate(cursor, 0ms).console, "hello\n");

  bridge.detach();
  TAP_Osd_FillBox(rgn, 0, 0, 100, 100, 0xFF00FF00);
  TAP_Osd_Sync();
  ASSERT_TRUE(keys.push(RKEY_2));
  sim->tick();
  EXPECT_EQ(state.frameNumber(), 1u) << "a detached bridge still publishes frames";
  EXPECT_EQ(keysSeen.size(), 2u) << "a detached bridge still hands keys over";
}

}  // namespace
