// ShellTar.cpp - busybox tar in the box shell: create (c), list (t) and
// extract (x) a tar archive, gzip-compressed with -z, of regular files and
// folders on the disk, with busybox's messages and exit codes.
//
// tar takes virtual time: it works through the archive's contents (the tar
// stream, before compression) Config::disk.bytesPerTick bytes per tick when
// it runs in the background, so a TAP polling the archive or the extracted
// files sees them grow; a caller that waits gets it done at once.  Every
// byte it writes to the disk goes through writeToDisk, so the disk faults
// and a power cut meet tar as they meet the TAP API's writes.
//
// Everything stays inside the disk folder: paths go through the shell's
// routing, and extract refuses member names that are absolute or contain
// "..", rather than stripping them as busybox does, so that a damaged or
// hostile backup cannot scatter files over the disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "Box.h"
#include "Shell.h"
#include "TarHeader.h"
#include "core/DiskWrite.h"

namespace pvrsim::box::shell {

namespace {
constexpr char kUsage[] =
    "BusyBox v1.35.0 multi-call binary.\n\n"
    "Usage: tar c|x|t [-ZzJjahmvokO] [-f TARFILE] [-C DIR] [FILE]...\n";
constexpr size_t kInflateChunk = 65536;
constexpr uint64_t kMaxLongName = 4096;  // a longer GNU long name is damage
constexpr char kLongLinkName[] = "././@LongLink";

struct TarRequest {
  char mode = 0;  // 'c', 'x' or 't'
  bool gzip = false, verbose = false;
  std::string archive;  // empty or "-": the shell's standard input or output
  std::string folder;   // -C
  std::vector<std::string> names;
};

// Options as busybox takes them: "-czf FILE", or old-style letters without a
// dash as the first argument ("cf FILE"); f and C take the next argument.
bool parseOptionLetters(const std::vector<std::string> &args, size_t &i, bool oldStyle, TarRequest &r,
                        std::string &error) {
  const std::string &word = args[i];
  for (size_t k = oldStyle ? 0 : 1; k < word.size(); ++k) {
    char c = word[k];
    if (c == 'c' || c == 'x' || c == 't') {
      if (r.mode != 0 && r.mode != c) return error = kUsage, false;
      r.mode = c;
    } else if (c == 'z' || c == 'v') {
      (c == 'z' ? r.gzip : r.verbose) = true;
    } else if (c == 'f' || c == 'C') {
      std::string value;
      if (!oldStyle && k + 1 < word.size()) {
        value = word.substr(k + 1);
        k = word.size();
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return error = std::string("tar: option requires an argument -- '") + c + "'\n" + kUsage, false;
      }
      (c == 'f' ? r.archive : r.folder) = value;
    } else if (std::strchr("mokh", c) == nullptr) {
      return error = std::string("tar: invalid option -- '") + c + "'\n" + kUsage, false;
    }
  }
  return true;
}

bool parseTarRequest(const std::vector<std::string> &args, TarRequest &r, std::string &error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    bool oldStyle = i == 0 && !a.empty() && a[0] != '-';
    if (!optionsEnded && a == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (oldStyle || (a.size() > 1 && a[0] == '-'))) {
      if (!parseOptionLetters(args, i, oldStyle, r, error)) return false;
    } else {
      r.names.push_back(a);
    }
  }
  if (r.mode == 0) error = kUsage;
  return r.mode != 0;
}

std::string joinBoxPath(const std::string &folder, const std::string &name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// A member name that would leave the folder it is extracted into.
bool unsafeName(const std::string &name) {
  if (name.empty() || name[0] == '/') return true;
  for (size_t start = 0; start <= name.size();) {
    size_t slash = name.find('/', start);
    if (slash == std::string::npos) slash = name.size();
    if (name.compare(start, slash - start, "..") == 0 && slash - start == 2) return true;
    start = slash + 1;
  }
  return false;
}

std::string modeText(const TarEntry &e) {
  std::string text = e.type == '5' ? "d" : "-";
  const char *letters = "rwxrwxrwx";
  for (int bit = 0; bit < 9; ++bit) text += (e.mode & (0400u >> bit)) ? letters[bit] : '-';
  return text;
}

// busybox's "tar -tv" line.
std::string longListing(const TarEntry &e) {
  std::string owner = (e.uname.empty() ? std::to_string(e.uid) : e.uname) + "/" +
                      (e.gname.empty() ? std::to_string(e.gid) : e.gname);
  time_t when = static_cast<time_t>(e.mtime);
  struct tm local;
  localtime_r(&when, &local);
  char line[96];
  std::snprintf(line, sizeof line, " %9llu %04d-%02d-%02d %02d:%02d:%02d ",
                static_cast<unsigned long long>(e.size), local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return modeText(e) + " " + owner + line + e.name;
}

// Why a path is no folder to change to, or 0.
int folderError(const std::string &hostPath) {
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// Writes all bytes to a disk file through the simulated disk; false with
// errno set when the disk took fewer.
bool writeDisk(int fd, const char *data, size_t size) {
  if (size == 0) return true;
  ssize_t n = writeToDisk(fd, data, size);
  if (n == static_cast<ssize_t>(size)) return true;
  if (n >= 0) errno = ENOSPC;
  return false;
}

class TarRun : public TimedRun {
 public:
  TarRun(CommandIo io, std::shared_ptr<void> keep) : io_(io), keep_(std::move(keep)) {}
  ~TarRun() override {
    closeFile();
    if (inflating_) inflateEnd(&stream_);
    if (deflating_) deflateEnd(&stream_);
  }
  TarRun(const TarRun &) = delete;
  TarRun &operator=(const TarRun &) = delete;

  void start(const std::vector<std::string> &args);
  bool finished() const override { return finished_; }
  int status() const override { return status_; }
  void advance() override { work(config().disk.bytesPerTick); }
  void finishNow() override { work(UINT64_MAX); }
  void abort(int signal) override { end(128 + signal); }

 private:
  enum class State { Header, Data, Padding, Ended };

  int fail(const std::string &message) {
    io_.err.write("tar: " + message + "\n");
    end(1);
    return 1;
  }
  void end(int status) {
    closeFile();
    if (archiveFd_ >= 0) ::close(archiveFd_);
    archiveFd_ = -1;
    finished_ = true;
    status_ = status;
  }
  void closeFile() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  void finishWell() {
    if (!delayedError_) return end(0);
    fail("error exit delayed from previous errors");
  }
  bool routeToDisk(const std::string &boxPath, detail::RoutedPath &routed, const char *what);

  // Create.
  bool startCreate();
  void addName(const std::string &name);
  void addTree(const std::string &name, const std::string &hostPath, const struct stat &st);
  void appendHeader(TarEntry entry);
  void workCreate(uint64_t bytes);
  // List and extract.
  bool startRead();
  void workRead(uint64_t bytes);
  size_t produce(uint64_t bytes, std::string &out);
  void consume(const char *data, size_t size);
  void takeHeader(const unsigned char *block);
  void beginMember(const TarEntry &entry);
  void beginExtract(const TarEntry &entry);
  void endMember();
  void endOfInput();
  bool inputEnded() const;
  bool selected(const std::string &name) const;

  void work(uint64_t bytes) {
    if (finished_) return;
    if (request_.mode == 'c') return workCreate(bytes);
    workRead(bytes);
  }

  CommandIo io_;
  std::shared_ptr<void> keep_;
  TarRequest request_;
  bool delayedError_ = false;
  bool finished_ = false;
  int status_ = 0;
  z_stream stream_{};
  bool inflating_ = false, deflating_ = false;
  // Create: the tar stream, built at the start, and how far it is written.
  std::string tar_;
  size_t tarDone_ = 0;
  int archiveFd_ = -1;  // -1: the archive goes to standard output
  // List and extract: the archive as read, the stream's state.
  std::string archive_;
  size_t rawDone_ = 0;
  int inflateResult_ = Z_OK;
  State state_ = State::Header;
  std::string header_;  // a header block as far as it arrived
  TarEntry member_;
  uint64_t left_ = 0;  // data bytes of the member still to come
  uint64_t pad_ = 0;
  bool collectingLongName_ = false;
  std::string longName_;
  int fd_ = -1;  // the member's extracted file
  std::string memberHost_;
};

bool TarRun::routeToDisk(const std::string &boxPath, detail::RoutedPath &routed, const char *what) {
  routed = routeShellPath(boxPath);
  if (routed.route == detail::Route::Disk) return true;
  int error = routed.route == detail::Route::Refused ? routed.error : EACCES;
  fail(std::string(what) + " '" + boxPath + "': " + std::strerror(error));
  return false;
}

void TarRun::start(const std::vector<std::string> &args) {
  std::string error;
  if (!parseTarRequest(args, request_, error)) {
    io_.err.write(error);
    return end(1);
  }
  if (request_.mode == 'c') {
    if (!startCreate()) return;
  } else if (!startRead()) {
    return;
  }
  work(0);
}

// ---- create ----------------------------------------------------------------

bool TarRun::startCreate() {
  detail::RoutedPath routed;
  if (request_.archive.empty() || request_.archive == "-") {
    archiveFd_ = -1;
  } else {
    if (!routeToDisk(request_.archive, routed, "can't open")) return false;
    if (!separateBeforeWrite(routed.hostPath, false) ||
        (archiveFd_ = ::open(routed.hostPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) < 0) {
      fail("can't open '" + request_.archive + "': " + std::strerror(errno));
      return false;
    }
  }
  if (!request_.folder.empty()) {
    if (!routeToDisk(request_.folder, routed, "can't change directory to")) return false;
    int error = folderError(routed.hostPath);
    if (error != 0)
      return fail("can't change directory to '" + request_.folder + "': " + std::strerror(error)), false;
  }
  if (request_.names.empty()) {
    fail("empty archive");
    return false;
  }
  bool warned = false;
  for (std::string name : request_.names) {
    if (!name.empty() && name[0] == '/') {
      if (!warned) io_.err.write("tar: removing leading '/' from member names\n");
      warned = true;
    }
    addName(name);
  }
  tar_.append(2 * kTarBlock, '\0');
  if (request_.gzip) {
    deflating_ = deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8,
                              Z_DEFAULT_STRATEGY) == Z_OK;
    if (!deflating_) return fail("out of memory"), false;
  }
  return true;
}

// One name of the command line, taken from -C's folder (or the root).
void TarRun::addName(const std::string &name) {
  std::string member = name;
  while (!member.empty() && member[0] == '/') member.erase(0, 1);
  detail::RoutedPath routed =
      routeShellPath(request_.folder.empty() ? "/" + member : joinBoxPath(request_.folder, member));
  struct stat st;
  if (routed.route != detail::Route::Disk || ::stat(routed.hostPath.c_str(), &st) != 0) {
    int error = routed.route == detail::Route::Disk ? errno : ENOENT;
    io_.err.write("tar: " + name + ": " + std::strerror(error) + "\n");
    delayedError_ = true;
    return;
  }
  while (member.size() > 1 && member.back() == '/') member.pop_back();
  addTree(member, routed.hostPath, st);
}

// A file, or a folder with everything in it (names sorted, so that an
// archive of the same files is the same archive).
void TarRun::addTree(const std::string &name, const std::string &hostPath, const struct stat &st) {
  TarEntry entry;
  entry.mode = st.st_mode & 07777;
  entry.mtime = st.st_mtime;
  entry.uname = entry.gname = "root";
  if (S_ISDIR(st.st_mode)) {
    entry.type = '5';
    entry.name = name + "/";
    appendHeader(entry);
    if (request_.verbose) io_.out.write(entry.name + "\n");
    std::vector<std::string> children;
    std::error_code ec;
    for (const auto &child : std::filesystem::directory_iterator(hostPath, ec))
      children.push_back(child.path().filename().string());
    std::sort(children.begin(), children.end());
    for (const std::string &child : children) {
      struct stat childStat;
      std::string childHost = hostPath + "/" + child;
      // Links are followed, but only those that stay on the disk.
      detail::RoutedPath routed = routeShellPath(joinBoxPath(request_.folder, name + "/" + child));
      if (routed.route != detail::Route::Disk || ::stat(routed.hostPath.c_str(), &childStat) != 0) continue;
      addTree(name + "/" + child, routed.hostPath, childStat);
    }
    return;
  }
  if (!S_ISREG(st.st_mode)) return;  // devices and pipes have no place in a backup
  std::string content;
  int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    io_.err.write("tar: can't open '" + name + "': " + std::strerror(errno) + "\n");
    delayedError_ = true;
    return;
  }
  char buffer[16384];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) content.append(buffer, static_cast<size_t>(got));
  ::close(fd);
  entry.name = name;
  entry.size = content.size();
  appendHeader(entry);
  if (request_.verbose) io_.out.write(entry.name + "\n");
  tar_ += content;
  tar_.append(tarPadding(content.size()), '\0');
}

// The header, preceded by a GNU long-name record when the name does not fit.
void TarRun::appendHeader(TarEntry entry) {
  unsigned char block[kTarBlock];
  if (!encodeTarHeader(entry, block)) {
    TarEntry longName;
    longName.name = kLongLinkName;
    longName.type = 'L';
    longName.size = entry.name.size() + 1;
    encodeTarHeader(longName, block);
    tar_.append(reinterpret_cast<char *>(block), kTarBlock);
    tar_ += entry.name;
    tar_.append(1 + tarPadding(longName.size), '\0');
    entry.name = entry.name.substr(0, 100);
    encodeTarHeader(entry, block);
  }
  tar_.append(reinterpret_cast<char *>(block), kTarBlock);
}

// Compresses and writes the next `bytes` of the tar stream.
void TarRun::workCreate(uint64_t bytes) {
  size_t n = static_cast<size_t>(std::min<uint64_t>(bytes, tar_.size() - tarDone_));
  bool last = tarDone_ + n == tar_.size();
  std::string out;
  if (!request_.gzip) {
    out.assign(tar_, tarDone_, n);
  } else {
    stream_.next_in = reinterpret_cast<Bytef *>(&tar_[tarDone_]);
    stream_.avail_in = static_cast<uInt>(n);
    unsigned char buffer[16384];
    int result;
    do {
      stream_.next_out = buffer;
      stream_.avail_out = sizeof buffer;
      result = deflate(&stream_, last ? Z_FINISH : Z_NO_FLUSH);
      out.append(reinterpret_cast<char *>(buffer), sizeof buffer - stream_.avail_out);
    } while (stream_.avail_out == 0 || (last && result == Z_OK));
  }
  tarDone_ += n;
  if (archiveFd_ < 0) {
    io_.out.write(out);
  } else if (!writeDisk(archiveFd_, out.data(), out.size())) {
    return (void)fail(std::string("write error: ") + std::strerror(errno));
  }
  if (last) finishWell();
}

// ---- list and extract ------------------------------------------------------

bool TarRun::startRead() {
  if (!request_.archive.empty() && request_.archive != "-") {
    detail::RoutedPath routed;
    if (!routeToDisk(request_.archive, routed, "can't open")) return false;
    int fd = ::open(routed.hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail("can't open '" + request_.archive + "': " + std::strerror(errno)), false;
    char buffer[16384];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) archive_.append(buffer, static_cast<size_t>(got));
    ::close(fd);
  }
  if (request_.mode == 'x' && !request_.folder.empty()) {
    detail::RoutedPath routed;
    if (!routeToDisk(request_.folder, routed, "can't change directory to")) return false;
    int error = folderError(routed.hostPath);
    if (error != 0)
      return fail("can't change directory to '" + request_.folder + "': " + std::strerror(error)), false;
  }
  if (!request_.gzip) return true;
  if (archive_.size() < 2 || static_cast<unsigned char>(archive_[0]) != 0x1f ||
      static_cast<unsigned char>(archive_[1]) != 0x8b) {
    io_.err.write("tar: invalid magic\n");
    return fail("short read"), false;
  }
  inflating_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK;
  if (!inflating_) return fail("out of memory"), false;
  stream_.next_in = reinterpret_cast<Bytef *>(&archive_[0]);
  stream_.avail_in = static_cast<uInt>(archive_.size());
  return true;
}

// Up to `bytes` more of the tar stream; 0 once the input has ended.
size_t TarRun::produce(uint64_t bytes, std::string &out) {
  if (!request_.gzip) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(bytes, archive_.size() - rawDone_));
    out.assign(archive_, rawDone_, n);
    rawDone_ += n;
    return n;
  }
  unsigned char buffer[kInflateChunk];
  while (out.size() < bytes && inflateResult_ == Z_OK) {
    stream_.next_out = buffer;
    stream_.avail_out = static_cast<uInt>(std::min<uint64_t>(sizeof buffer, bytes - out.size()));
    inflateResult_ = inflate(&stream_, Z_NO_FLUSH);
    out.append(reinterpret_cast<char *>(buffer), stream_.next_out - buffer);
  }
  return out.size();
}

bool TarRun::inputEnded() const {
  return request_.gzip ? inflateResult_ != Z_OK : rawDone_ == archive_.size();
}

void TarRun::workRead(uint64_t bytes) {
  std::string chunk;
  do {
    chunk.clear();
    uint64_t want = std::min<uint64_t>(bytes, kInflateChunk);
    produce(want, chunk);
    consume(chunk.data(), chunk.size());
    if (finished_) return;
    bytes -= chunk.size();
  } while (bytes > 0 && !chunk.empty() && !inputEnded());
  if (inputEnded()) endOfInput();
}

// The archive has ended: busybox's messages for a damaged or cut one.
void TarRun::endOfInput() {
  if (request_.gzip && inflateResult_ != Z_STREAM_END) {
    bool badCheck = inflateResult_ == Z_DATA_ERROR && stream_.msg != nullptr &&
                    std::strcmp(stream_.msg, "incorrect data check") == 0;
    io_.err.write(inflateResult_ == Z_BUF_ERROR ? "tar: unexpected end of file\n"
                  : badCheck                    ? "tar: crc error\n"
                                                : "tar: corrupted data\n");
    if (state_ == State::Ended) return end(1);
    return (void)fail("short read");
  }
  bool atBoundary = state_ == State::Ended || (state_ == State::Header && header_.empty());
  if (!atBoundary) return (void)fail("short read");
  finishWell();
}

void TarRun::consume(const char *data, size_t size) {
  while (size > 0 && !finished_) {
    size_t n = 0;
    switch (state_) {
      case State::Header:
        n = std::min(size, kTarBlock - header_.size());
        header_.append(data, n);
        if (header_.size() == kTarBlock) {
          takeHeader(reinterpret_cast<const unsigned char *>(header_.data()));
          header_.clear();
        }
        break;
      case State::Data:
        n = static_cast<size_t>(std::min<uint64_t>(size, left_));
        if (collectingLongName_) longName_.append(data, n);
        if (fd_ >= 0 && !writeDisk(fd_, data, n))
          return (void)fail("write error: " + std::string(std::strerror(errno)));
        left_ -= n;
        if (left_ == 0) endMember();
        break;
      case State::Padding:
        n = static_cast<size_t>(std::min<uint64_t>(size, pad_));
        pad_ -= n;
        if (pad_ == 0) state_ = State::Header;
        break;
      case State::Ended:
        return;  // what follows the end blocks is read for the checksum only
    }
    data += n;
    size -= n;
  }
}

void TarRun::takeHeader(const unsigned char *block) {
  TarEntry entry;
  switch (decodeTarHeader(block, entry)) {
    case TarHeaderKind::End:
      state_ = State::Ended;
      return;
    case TarHeaderKind::BadChecksum:
      return (void)fail("invalid tar header checksum");
    case TarHeaderKind::Entry:
      break;
  }
  left_ = entry.size;
  pad_ = tarPadding(entry.size);
  if (entry.type == 'L') {
    if (entry.size > kMaxLongName) return (void)fail("invalid tar header checksum");
    collectingLongName_ = true;
    longName_.clear();
  } else {
    if (!longName_.empty()) entry.name = longName_.c_str();  // up to its terminator
    longName_.clear();
    beginMember(entry);
  }
  state_ = State::Data;
  if (left_ == 0) endMember();
}

bool TarRun::selected(const std::string &name) const {
  if (request_.names.empty()) return true;
  for (std::string wanted : request_.names) {
    while (wanted.size() > 1 && wanted.back() == '/') wanted.pop_back();
    if (name.compare(0, wanted.size(), wanted) == 0 &&
        (name.size() == wanted.size() || name[wanted.size()] == '/'))
      return true;
  }
  return false;
}

void TarRun::beginMember(const TarEntry &entry) {
  member_ = entry;
  bool regular = entry.type == '0' || entry.type == '7';
  if (entry.type == 'x' || entry.type == 'g' || !selected(entry.name)) return;  // extended attributes
  if (request_.mode == 't') {
    io_.out.write((request_.verbose ? longListing(entry) : entry.name) + "\n");
    return;
  }
  if (request_.verbose) io_.out.write(entry.name + "\n");
  if (unsafeName(entry.name)) {
    io_.err.write("tar: skipping unsafe member name '" + entry.name + "'\n");
    delayedError_ = true;
    return;
  }
  if (!regular && entry.type != '5') {
    io_.err.write("tar: skipping '" + entry.name + "': only files and folders are extracted\n");
    delayedError_ = true;
    return;
  }
  beginExtract(entry);
}

void TarRun::beginExtract(const TarEntry &entry) {
  detail::RoutedPath routed;
  std::string boxPath = request_.folder.empty() ? "/" + entry.name : joinBoxPath(request_.folder, entry.name);
  if (!routeToDisk(boxPath, routed, "can't create")) return;
  if (detail::isDiskRoot(routed)) return;  // "./" names the folder itself
  std::error_code ec;
  std::filesystem::path host(routed.hostPath);
  if (entry.type == '5') {
    std::filesystem::create_directories(host, ec);
  } else {
    std::filesystem::create_directories(host.parent_path(), ec);
  }
  if (ec) return (void)fail("can't create '" + entry.name + "': " + ec.message());
  if (entry.type == '5') return;
  // As busybox: an existing file (or link) goes first, so that a read-only
  // one is replaced too and a running TAP keeps its own file.
  routed = routeShellPath(boxPath, LastLink::Keep);
  struct stat st;
  if (routed.route == detail::Route::Disk && ::lstat(routed.hostPath.c_str(), &st) == 0 &&
      !S_ISDIR(st.st_mode))
    ::unlink(routed.hostPath.c_str());
  if (routed.route != detail::Route::Disk ||
      (fd_ = ::open(routed.hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) < 0)
    return (void)fail("can't open '" + entry.name +
                      "': " + std::strerror(routed.route == detail::Route::Disk ? errno : routed.error));
  memberHost_ = routed.hostPath;
}

// The member's data is complete: the file gets its mode and time.
void TarRun::endMember() {
  collectingLongName_ = false;
  state_ = pad_ > 0 ? State::Padding : State::Header;
  if (fd_ < 0) return;
  ::fchmod(fd_, member_.mode & 0777);
  closeFile();
  struct timespec times[2] = {{static_cast<time_t>(member_.mtime), 0},
                              {static_cast<time_t>(member_.mtime), 0}};
  ::utimensat(AT_FDCWD, memberHost_.c_str(), times, 0);
}
}  // namespace

std::unique_ptr<TimedRun> startTar(const std::vector<std::string> &args, CommandIo io,
                                   std::shared_ptr<void> keep) {
  auto run = std::make_unique<TarRun>(io, std::move(keep));
  run->start(args);
  return run;
}

}  // namespace pvrsim::box::shell
