// EventStream.cpp - JSON (nlohmann::json) for the page: the events of the
// event stream and the answers of /keys and /state.  Console text comes from
// TAPs in whatever character set they use; bytes that are not UTF-8 become
// U+FFFD instead of breaking the stream.
#include "EventStream.h"

#include <nlohmann/json.hpp>

namespace pvrsim::serve {

namespace {
using Json = nlohmann::json;

std::string dump(const Json &json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string event(const char *name, const Json &data) {
  return std::string("event: ") + name + "\ndata: " + dump(data) + "\n\n";
}

Json tapsArray(const std::vector<TapEntry> &taps) {
  Json list = Json::array();
  for (const TapEntry &tap : taps) list.push_back({{"slot", tap.slot}, {"file", tap.file}, {"dir", tap.dir}});
  return list;
}
}  // namespace

std::string eventsText(const LiveState::Update &update) {
  std::string text;
  if (update.hello) text += event("hello", {{"run", *update.hello}});
  if (update.frame) text += event("frame", {{"frame", update.frame->first}, {"tick", update.frame->second}});
  if (!update.console.empty() || update.consoleCut)
    text += event("console", {{"text", update.console}, {"cut", update.consoleCut}});
  if (update.taps) text += event("taps", tapsArray(*update.taps));
  text += event("status", {{"tick", update.tick}});
  if (update.ended) text += event("end", {{"why", *update.ended}});
  return text;
}

std::string tapsJson(const std::vector<TapEntry> &taps) { return dump(tapsArray(taps)); }

std::string keysJson(const std::vector<KeyName> &keys) {
  Json list = Json::array();
  for (const KeyName &key : keys) list.push_back({{"name", key.name}, {"code", key.code}});
  return dump(list);
}

std::string stateJson(const LiveState &state) {
  dword frameTick = 0;
  uint64_t frame = state.frameNumber(&frameTick);
  Json json = {{"run", state.runName()},
               {"tick", state.tick()},
               {"frame", frame},
               {"frameTick", frameTick},
               {"taps", tapsArray(state.taps())},
               {"ended", state.ended()},
               {"why", state.endReason()}};
  return dump(json);
}

std::string keyTakenJson(const std::string &name, dword code) {
  return dump({{"name", name}, {"code", code}});
}

std::string screenshotJson(const std::string &file, uint64_t frame, dword tick) {
  return dump({{"file", file}, {"frame", frame}, {"tick", tick}});
}

}  // namespace pvrsim::serve
