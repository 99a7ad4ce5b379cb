// LiveState.h - what the web page of `pvrsim --serve` shows, kept between
// the simulator's thread, which publishes it, and the HTTP server's threads,
// which read it.  The server never calls into the Sim or a TAP: keys travel
// the other way through a KeyQueue that the simulator's thread empties at
// every tick.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "osd/Osd.h"

namespace pvrsim::serve {

// Keys pressed on the page, waiting for the simulator's next tick.
class KeyQueue {
 public:
  explicit KeyQueue(size_t capacity = 64) : capacity_(capacity) {}
  // False when the queue is full (the simulator is stuck in a long step).
  bool push(dword code);
  std::vector<dword> takeAll();  // oldest first; empties the queue

 private:
  std::mutex mutex_;
  std::deque<dword> codes_;
  size_t capacity_;
};

// One running TAP as the page lists it.
struct TapEntry {
  int slot = 0;
  std::string file;  // TAP-notation path of its file
  std::string dir;   // its current directory, "/mnt/hd/..."
  bool operator==(const TapEntry &o) const { return slot == o.slot && file == o.file && dir == o.dir; }
};

// The screen as last shown: frame 0 is the screen when the page's state was
// set up, each TAP_Osd_Sync that changed it adds one.
struct Frame {
  uint64_t number = 0;
  dword tick = 0;
  osd::Image screen;
};

class LiveState {
 public:
  // consoleLimit: console bytes kept for pages that connect later; older
  // lines are dropped (whole lines, the page is told).
  explicit LiveState(size_t consoleLimit = 256 * 1024);

  // ---- written by the simulator's thread ----
  void setRunName(const std::string &name);  // the TAP file, shown as the page's title
  void publishFrame(const osd::Image &screen, dword tick);
  void appendConsole(const char *data, size_t size);    // NUL bytes (piece ends) dropped
  void publishTaps(const std::vector<TapEntry> &taps);  // pages hear of it only when it differs
  void publishTick(dword tick);                         // no wake-up: sent with the next event
  void end(const std::string &why);                     // the run is over; pages are told at once

  // ---- read by the server's threads ----
  // How far one page has got.
  struct Cursor {
    bool helloSent = false;
    std::optional<uint64_t> frame;
    uint64_t console = 0;  // bytes of the whole console stream
    uint64_t taps = 0;     // version of the TAP list
    bool endSent = false;
  };
  // What a page has not seen yet.  The tick is always filled.
  struct Update {
    std::optional<std::string> hello;                 // the run's name, once per page
    std::optional<std::pair<uint64_t, dword>> frame;  // number and tick of the newest frame
    std::string console;
    bool consoleCut = false;  // lines the page never saw were dropped before console
    std::optional<std::vector<TapEntry>> taps;
    dword tick = 0;
    std::optional<std::string> ended;  // why the run ended
    bool empty() const { return !hello && !frame && console.empty() && !taps && !ended; }
  };
  // Waits up to timeout for something the cursor has not seen; returns it
  // and moves the cursor past it (an empty update after the timeout).
  Update waitForUpdate(Cursor &cursor, std::chrono::milliseconds timeout);

  Frame frame() const;
  uint64_t frameNumber(dword *tick = nullptr) const;  // of the newest frame, without its pixels
  // The newest frame as PNG, encoded once per frame; number and tick say which.
  std::vector<uint8_t> framePng(uint64_t &number, dword &tick);
  std::vector<TapEntry> taps() const;
  dword tick() const;
  std::string runName() const;
  bool ended() const;
  std::string endReason() const;

 private:
  bool newFor(const Cursor &cursor) const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string runName_;
  Frame frame_;
  uint64_t pngNumber_ = UINT64_MAX;  // frame whose PNG is in png_
  std::vector<uint8_t> png_;
  std::string console_;      // the newest console bytes ...
  uint64_t consoleEnd_ = 0;  // ... ending at this offset of the whole stream
  size_t consoleLimit_;
  std::vector<TapEntry> taps_;
  uint64_t tapsVersion_ = 0;
  dword tick_ = 0;
  bool ended_ = false;
  std::string endReason_;
};

}  // namespace pvrsim::serve
