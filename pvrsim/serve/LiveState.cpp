// LiveState.cpp - the page's state, guarded by one mutex: the simulator's
// thread writes it, the server's threads wait on it for what their page has
// not seen yet.  Frames are kept as pixels; the PNG that a page fetches is
// made on the server's thread, once per frame, so a sync costs the
// simulator only a copy of the screen.
#include "LiveState.h"

#include <algorithm>

namespace pvrsim::serve {

using Lock = std::unique_lock<std::mutex>;

bool KeyQueue::push(dword code) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (codes_.size() >= capacity_) return false;
  codes_.push_back(code);
  return true;
}

std::vector<dword> KeyQueue::takeAll() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<dword> codes(codes_.begin(), codes_.end());
  codes_.clear();
  return codes;
}

LiveState::LiveState(size_t consoleLimit) : consoleLimit_(std::max<size_t>(consoleLimit, 64)) {
  tapsVersion_ = 1;  // a page that has seen nothing gets the (empty) list once
}

void LiveState::setRunName(const std::string &name) {
  Lock lock(mutex_);
  runName_ = name;
}

void LiveState::publishFrame(const osd::Image &screen, dword tick) {
  {
    Lock lock(mutex_);
    if (!frame_.screen.argb.empty()) frame_.number++;  // the first one set is frame 0
    frame_.tick = tick;
    frame_.screen.width = screen.width;
    frame_.screen.height = screen.height;
    frame_.screen.argb.assign(screen.argb.begin(), screen.argb.end());  // reuses the buffer
    tick_ = std::max(tick_, tick);
  }
  changed_.notify_all();
}

void LiveState::appendConsole(const char *data, size_t size) {
  {
    Lock lock(mutex_);
    for (size_t i = 0; i < size; ++i) {
      if (data[i] == '\0') continue;
      console_ += data[i];
      consoleEnd_++;
    }
    if (console_.size() > consoleLimit_) {
      // Down to three quarters, cut after a line end so that no page starts
      // in the middle of a line.
      size_t cut = console_.size() - consoleLimit_ * 3 / 4;
      size_t lineEnd = console_.find('\n', cut);
      console_.erase(0, lineEnd == std::string::npos ? cut : lineEnd + 1);
    }
  }
  changed_.notify_all();
}

void LiveState::publishTaps(const std::vector<TapEntry> &taps) {
  {
    Lock lock(mutex_);
    if (taps == taps_) return;
    taps_ = taps;
    tapsVersion_++;
  }
  changed_.notify_all();
}

void LiveState::publishTick(dword tick) {
  Lock lock(mutex_);
  tick_ = tick;
}

void LiveState::end(const std::string &why) {
  {
    Lock lock(mutex_);
    if (ended_) return;
    ended_ = true;
    endReason_ = why;
  }
  changed_.notify_all();
}

bool LiveState::newFor(const Cursor &cursor) const {
  return !cursor.helloSent || cursor.frame != frame_.number || cursor.console < consoleEnd_ ||
         cursor.taps != tapsVersion_ || (ended_ && !cursor.endSent);
}

LiveState::Update LiveState::waitForUpdate(Cursor &cursor, std::chrono::milliseconds timeout) {
  Lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return newFor(cursor); });
  Update update;
  update.tick = tick_;
  if (!cursor.helloSent) update.hello = runName_;
  cursor.helloSent = true;
  if (cursor.frame != frame_.number) update.frame = std::make_pair(frame_.number, frame_.tick);
  cursor.frame = frame_.number;
  const uint64_t consoleStart = consoleEnd_ - console_.size();
  if (cursor.console < consoleEnd_) {
    update.consoleCut = cursor.console < consoleStart;
    update.console = console_.substr(size_t(std::max(cursor.console, consoleStart) - consoleStart));
  }
  cursor.console = consoleEnd_;
  if (cursor.taps != tapsVersion_) update.taps = taps_;
  cursor.taps = tapsVersion_;
  // The end comes after everything else the run published.
  if (ended_ && !cursor.endSent) update.ended = endReason_;
  cursor.endSent = ended_;
  return update;
}

Frame LiveState::frame() const {
  Lock lock(mutex_);
  return frame_;
}

uint64_t LiveState::frameNumber(dword *tick) const {
  Lock lock(mutex_);
  if (tick) *tick = frame_.tick;
  return frame_.number;
}

std::vector<uint8_t> LiveState::framePng(uint64_t &number, dword &tick) {
  Lock lock(mutex_);
  number = frame_.number;
  tick = frame_.tick;
  if (pngNumber_ == number) return png_;
  osd::Image screen = frame_.screen;
  lock.unlock();
  std::vector<uint8_t> png;
  if (!osd::encodePng(screen, false, png)) return {};
  lock.lock();
  if (pngNumber_ == UINT64_MAX || number > pngNumber_) {
    pngNumber_ = number;
    png_ = png;
  }
  return png;
}

std::vector<TapEntry> LiveState::taps() const {
  Lock lock(mutex_);
  return taps_;
}

dword LiveState::tick() const {
  Lock lock(mutex_);
  return tick_;
}

std::string LiveState::runName() const {
  Lock lock(mutex_);
  return runName_;
}

bool LiveState::ended() const {
  Lock lock(mutex_);
  return ended_;
}

std::string LiveState::endReason() const {
  Lock lock(mutex_);
  return endReason_;
}

}  // namespace pvrsim::serve
