// Sim.cpp - the Sim: one run of the simulated box.
#include "Sim.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

#include <cstring>
#include <ctime>
#include <filesystem>

#include "Firmware.h"
#include "FirmwareFunctions.h"
#include "Runtime.h"
#include "StartParameter.h"
#include "TapFile.h"
#include "box/Box.h"

namespace fs = std::filesystem;

namespace pvrsim {

using namespace core;

namespace {

Sim *currentSim = nullptr;

DateTime hostLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

int64_t secondsOf(const DateTime &t) {
  return daysFromCivil(t.year, t.month, t.day) * 86400 + int64_t{t.hour} * 3600 + int64_t{t.minute} * 60 +
         t.second;
}

std::string absoluteFolder(const std::string &dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  fs::path path = fs::weakly_canonical(fs::absolute(dir), ec);
  std::string text = path.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// "/a/b/X.tap" -> "/a/b"; "/X.tap" -> "".
std::string parentOf(const std::string &path) { return path.substr(0, path.rfind('/')); }

}  // namespace

bool parseDateTime(const std::string &text, DateTime &out) {
  DateTime t;
  char tail;
  // Every field is range-checked below.
  // NOLINTNEXTLINE(cert-err34-c)
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                  &t.second, &tail) != 6)
    return false;
  if (t.year < 1858 || t.year > 2037 || t.month < 1 || t.month > 12 || t.day < 1 || t.hour < 0 ||
      t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
    return false;
  int y, m, d;  // the day must exist in that month
  civilFromDays(daysFromCivil(t.year, t.month, t.day), y, m, d);
  if (d != t.day) return false;
  out = t;
  return true;
}

namespace {
// The box's firmware hands TAPs memory from a heap of its own that stays
// with the process.  glibc instead returns every large block (an OSD region,
// a font directory) to the kernel when it is freed, so each step of a TAP
// that opens a box and closes it again would pay for fresh zeroed pages.
// Large blocks come from the heap, and the heap is not trimmed below 64 MB.
void keepFreedMemory() {
  static bool done = false;
  if (done) return;
  done = true;
  mallopt(M_MMAP_THRESHOLD, 8 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}
}  // namespace

Sim::Sim(const Options &options) {
  keepFreedMemory();
  if (currentSim) {
    std::fprintf(stderr, "pvrsim: only one Sim can run at a time\n");
    std::abort();
  }
  currentSim = this;
  Runtime &r = rt();
  resetTaskTable();
  r = Runtime{};
  r.options = options;
  r.options.diskDir = absoluteFolder(options.diskDir);
  r.options.runDir = absoluteFolder(options.runDir);
  r.startSeconds = secondsOf(options.startTime ? *options.startTime : hostLocalTime());
  r.realStart = std::chrono::steady_clock::now();

  box::Config config;
  config.diskRoot = r.options.diskDir;
  config.runDir = r.options.runDir;
  config.consoleEcho = options.consoleEcho;
  config.consoleAvailable = options.consoleAvailable;
  std::memcpy(config.macAddress, options.macAddress, sizeof config.macAddress);
  config.network.down = options.networkDown;
  config.network.bytesPerTick = options.netBytesPerTick > 0 ? options.netBytesPerTick : 1;
  config.network.breakAfter = options.netBreakAfterBytes;
  config.network.stallAfter = options.netStallAfterBytes;
  config.disk.bytesPerTick = options.diskBytesPerTick > 0 ? options.diskBytesPerTick : 1;
  config.allocationAllowed = [] { return allocationAllowed(); };
  box::configure(config);  // also forgets the symbols hidden in an earlier run
  if (!options.utf8Firmware) box::hideSymbol(firmware::kUtf8Symbol);
  r.active = true;
}

Sim::~Sim() {
  Runtime &r = rt();
  r.tickObserver = nullptr;
  resetTaskTable();
  for (auto &entry : r.openFiles) {
    ::close(entry.second->fd);
    delete entry.first;
  }
  r.openFiles.clear();
  r.active = false;
  box::unhideAll();
  currentSim = nullptr;
}

Sim *Sim::current() { return currentSim; }
const Options &Sim::options() const { return rt().options; }
const std::string &Sim::lastError() const { return rt().lastError; }

// ---- disk ----

std::string Sim::hostPath(const std::string &boxPath) const {
  std::string host;
  if (boxPath.empty() || boxPath[0] != '/' || !box::mapDiskPath(kMount + boxPath, host)) return "";
  return host;
}

bool Sim::copyToDisk(const std::string &hostFile, const std::string &boxPath) {
  Runtime &r = rt();
  std::string target = boxPath;
  if (!target.empty() && target.back() == '/') target += fs::path(hostFile).filename().string();
  std::string dest = hostPath(target);
  if (dest.empty() || dest == r.options.diskDir) {
    r.lastError = boxPath + ": not a file path on the disk";
    return false;
  }
  std::error_code ec;
  if (!fs::is_regular_file(hostFile, ec)) {
    r.lastError = hostFile + ": no such file";
    return false;
  }
  fs::create_directories(fs::path(dest).parent_path(), ec);
  // A new file moved over the name: a TAP running from the old one keeps
  // its code, and the name never holds half a copy.
  std::string temp = dest + ".pvrsim-copy";
  if (fs::copy_file(hostFile, temp, fs::copy_options::overwrite_existing, ec)) fs::rename(temp, dest, ec);
  if (!ec) return true;
  r.lastError = hostFile + ": cannot copy to " + target + ": " + ec.message();
  fs::remove(temp, ec);
  return false;
}

uint64_t Sim::bytesWritten() const { return rt().bytesWritten; }
size_t Sim::blocksTakenBack() const { return rt().blocksTakenBack; }
uint64_t Sim::allocations() const { return rt().allocations; }
uint64_t Sim::failedAllocations() const { return rt().failedAllocations; }

// ---- TAPs ----

// Starts the file as a starting TAP does: the hand-over record, the folder
// selected as work folder and copied to _hddTapFolder, the program start,
// the work folder restored.
int Sim::startTap(const std::string &boxPath, std::optional<dword> param) {
  Runtime &r = rt();
  r.lastError.clear();
  std::string host = hostPath(boxPath);
  if (host.empty()) {
    if (boxPath.empty() || boxPath[0] != '/') {
      r.lastError = boxPath + ": not a path on the disk (TAP notation, beginning with '/')";
      return -1;
    }
    return startTapFile(kMount + boxPath);  // says why the path leads nowhere
  }
  const std::string boxFile = kMount + host.substr(r.options.diskDir.size());
  dword tapId = 0;
  std::string reason;
  if (!inspectTapFile(host, tapId, reason)) return startTapFile(boxFile);  // reports the problem

  void *block = nullptr;
  if (param) {
    r.paramBlocks.push_back(std::make_unique<dword>(*param));
    block = r.paramBlocks.back().get();
  }
  std::optional<StartParameterHandOver> handOver;
  if (param) handOver.emplace(tapId, block);

  ApplHdd_SaveWorkFolder();
  TYPE_HddFolder folder{};
  folder.magic = TAP_FOLDER_RECORD_MAGIC;
  std::string linuxFolder = parentOf(boxFile);
  int slot = -1;
  if (ApplHdd_SelectFolder(&folder, linuxFolder.c_str() + 1) == 0 && ApplHdd_SetWorkFolder(&folder) == 0) {
    if (_hddTapFolder) *_hddTapFolder = folder;
    slot = startTapFile(r.workFolder + boxFile.substr(boxFile.rfind('/')));
  } else {
    r.lastError = boxPath + ": its folder cannot be selected";
  }
  ApplHdd_RestoreWorkFolder();
  unloadPending();
  return slot;
}

// As the box does at power-on: every ".tap" file in "/ProgramFiles/AutoStart",
// in the order of the file names.  A link there counts as what it leads to
// on the disk; one that leads nowhere is passed over.
int Sim::bootAutoStart(const std::string &except, std::vector<std::string> *failures) {
  const std::string folder = "/ProgramFiles/AutoStart";
  std::error_code ec;
  std::vector<std::string> names;
  std::string hostFolder = hostPath(folder);
  if (!hostFolder.empty()) {
    for (const auto &entry : fs::directory_iterator(hostFolder, ec)) {
      std::string name = entry.path().filename().string();
      std::string ext = entry.path().extension().string();
      for (char &c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
      std::string target = hostPath(folder + "/" + name);
      if (ext == ".tap" && !target.empty() && fs::is_regular_file(target, ec)) names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  int started = 0;
  for (const std::string &name : names) {
    const std::string path = folder + "/" + name;
    if (path == except) continue;
    if (startTap(path) >= 0)
      started++;
    else if (failures && !lastError().empty())
      failures->push_back(lastError());
  }
  return started;
}

int Sim::adoptCaller(const std::string &folder, TAP_EventHandlerFn handler, const std::string &fileName) {
  Runtime &r = rt();
  std::string host = folder == "/" ? r.options.diskDir : hostPath(folder);
  int index = freeSlotIndex();
  if (host.empty() || index < 0) {
    r.lastError = host.empty() ? folder + ": not a folder path on the disk" : "task table full";
    return -1;
  }
  std::string dir = kMount + host.substr(r.options.diskDir.size());
  while (dir.size() > sizeof kMount - 1 && dir.back() == '/') dir.pop_back();
  fillSlot(index, dir + "/" + fileName, dir);
  r.slots[index].adopted = true;
  r.slots[index].handler = handler;
  _tapTask[index].eventHandler = handler;
  _curTapTask = static_cast<dword>(index);
  return index;
}

// ---- running ----

void Sim::tick() { runTick(); }

void Sim::runTicks(dword n) {
  for (dword i = 0; i < n; ++i) runTick();
}

dword Sim::runUntilNoTap(dword maxTicks) {
  dword ticks = 0;
  while (tapCount() > 0 && ticks < maxTicks) {
    runTick();
    ++ticks;
  }
  return ticks;
}

void Sim::scheduleKey(dword tick, dword code) { rt().keys.emplace(tick, code); }
void Sim::setTickObserver(std::function<void()> observer) { rt().tickObserver = std::move(observer); }
dword Sim::now() const { return rt().tick; }

// ---- inspection ----

bool Sim::isRunning(int slot) const { return isOccupied(slot); }
bool Sim::isRunning(const std::string &file) const { return slotOf(file) >= 0; }

int Sim::slotOf(const std::string &file) const {
  for (int i = 0; i < TAP_MAX_TASKS; ++i) {
    if (!isOccupied(i)) continue;
    std::string path = tapFile(i);
    if (path == file || path.substr(path.rfind('/') + 1) == file) return i;
  }
  return -1;
}

int Sim::taskCount() const {
  int n = 0;
  for (int i = 0; i < TAP_MAX_TASKS; ++i) n += isOccupied(i);
  return n;
}

int Sim::tapCount() const {
  int n = 0;
  for (int i = 0; i < TAP_MAX_TASKS; ++i) n += isOccupied(i) && !rt().slots[i].adopted;
  return n;
}

std::string Sim::tapFile(int slot) const {
  if (!isOccupied(slot)) return "";
  return rt().slots[slot].filePath.substr(sizeof kMount - 1);
}

std::string Sim::currentDir(int slot) const { return isOccupied(slot) ? rt().slots[slot].dirPath : ""; }
void *Sim::tapHandle(int slot) const { return isOccupied(slot) ? rt().slots[slot].code.library : nullptr; }

const TYPE_TapTask &Sim::task(int slot) const {
  static const TYPE_TapTask none{};
  return slot >= 0 && slot < TAP_MAX_TASKS ? _tapTask[slot] : none;
}

void Sim::setIgnoreKill(int slot, bool ignore) {
  if (isOccupied(slot)) rt().slots[slot].ignoreKill = ignore;
}

const std::vector<ReturnedKey> &Sim::returnedKeys() const { return rt().returnedKeys; }
bool Sim::normalMode() const { return rt().normalMode; }
int Sim::enterNormalCalls() const { return rt().enterNormalCalls; }
int Sim::exitNormalCalls() const { return rt().exitNormalCalls; }
std::string Sim::consoleText() const { return box::consoleText(); }
uint64_t Sim::hddBytesRead() const { return rt().hddBytesRead; }

}  // namespace pvrsim
