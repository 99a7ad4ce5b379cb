// EventStream.h - the JSON texts of the page's API and the server-sent
// events of its event stream (/events).
//
// Events, each "event: NAME" with one line of JSON data:
//   hello   {"run": TAP file}                 first, once per connection
//   frame   {"frame": N, "tick": T}           the screen changed: fetch /screen.png
//   console {"text": "...", "cut": bool}      new console text (cut: older lines dropped)
//   taps    [{"slot": S, "file": F, "dir": D}] the running TAPs, when they changed
//   status  {"tick": T}                       with every message, at least once a second
//   end     {"why": "..."}                    the run is over; nothing follows
#pragma once

#include <string>
#include <vector>

#include "LiveState.h"
#include "core/CommandLine.h"

namespace pvrsim::serve {

std::string eventsText(const LiveState::Update &update);
std::string tapsJson(const std::vector<TapEntry> &taps);
std::string keysJson(const std::vector<KeyName> &keys);         // [{"name": "ok", "code": 65566}, ...]
std::string stateJson(const LiveState &state);                  // /state: the page's state at a glance
std::string keyTakenJson(const std::string &name, dword code);  // {"name", "code"}
std::string screenshotJson(const std::string &file, uint64_t frame, dword tick);  // {"file", "frame", "tick"}

}  // namespace pvrsim::serve
