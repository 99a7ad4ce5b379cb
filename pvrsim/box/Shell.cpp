// Shell.cpp - the box shell behind system(): runs a command line with the box's own
// commands, on box paths only.  Output that is not redirected goes to the
// run folder's "shell.log" (and to stdout when the console is echoed), never
// to the host terminal otherwise.
#include "Box.h"
#include "Shell.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

extern "C" ssize_t __wrap_write(int fd, const void *data, size_t size);
extern "C" int __wrap_close(int fd);

namespace pvrsim::box {

namespace {
constexpr char kShellLog[] = "shell.log";
constexpr int kSyntaxErrorStatus = 2;
constexpr int kNotFoundStatus = 127;

void appendShellLog(const std::string &text) {
  std::string log = detail::runFile(kShellLog);
  if (log.empty() || text.empty()) return;
  int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t ignored = ::write(fd, text.data(), text.size());
  (void)ignored;
  ::close(fd);
}

// Output that nobody redirected.
class LogOutput : public shell::Output {
 public:
  void write(const std::string &text) override {
    appendShellLog(text);
    if (config().consoleEcho) {
      std::fwrite(text.data(), 1, text.size(), stdout);
      std::fflush(stdout);
    }
  }
};

// Output into a redirection target; written like any box write, so that a
// console target is echoed too.
class FileOutput : public shell::Output {
 public:
  explicit FileOutput(int fd) : fd_(fd) {}
  ~FileOutput() override { __wrap_close(fd_); }
  FileOutput(const FileOutput &) = delete;
  FileOutput &operator=(const FileOutput &) = delete;
  void write(const std::string &text) override {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t written = __wrap_write(fd_, text.data() + done, text.size() - done);
      if (written <= 0) return;
      done += static_cast<size_t>(written);
    }
  }

 private:
  int fd_;
};

// Opens a redirection target; -1 with errno set when it cannot be written.
int openTarget(const std::string &word, bool append) {
  detail::RoutedPath routed = shell::routeShellPath(word);
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  switch (routed.route) {
    case detail::Route::Disk:
    case detail::Route::Host:
      if (!separateBeforeWrite(routed.hostPath, append)) return -1;
      return ::open(routed.hostPath.c_str(), flags, 0666);
    case detail::Route::Console:
      return detail::openConsole();
    case detail::Route::Canned:
      break;
    case detail::Route::Refused:
      errno = routed.error;
      return -1;
  }
  errno = EACCES;
  return -1;
}

// The standard output and error of one command, after its redirections.
class CommandStreams {
 public:
  explicit CommandStreams(LogOutput &log) : streams_{nullptr, &log, &log} {}

  // Applies the redirections in order; on failure reports like the shell.
  bool redirect(const std::vector<shell::Redirection> &redirections) {
    for (const shell::Redirection &r : redirections) {
      if (!apply(r)) return false;
    }
    return true;
  }

  shell::Output &out() { return *streams_[1]; }
  shell::Output &err() { return *streams_[2]; }

 private:
  bool apply(const shell::Redirection &r) {
    if (r.fd != 1 && r.fd != 2) return true;  // no command reads or writes other descriptors
    if (r.kind == shell::Redirection::Kind::Duplicate) {
      if (r.target != "1" && r.target != "2") {
        err().write("sh: " + r.target + ": bad file descriptor\n");
        return false;
      }
      streams_[r.fd] = streams_[r.target[0] - '0'];
      return true;
    }
    int fd = openTarget(r.target, r.kind == shell::Redirection::Kind::Append);
    if (fd < 0) {
      err().write("sh: can't create " + r.target + ": " + std::strerror(errno) + "\n");
      return false;
    }
    files_.push_back(std::make_unique<FileOutput>(fd));
    streams_[r.fd] = files_.back().get();
    return true;
  }

  std::vector<std::unique_ptr<FileOutput>> files_;
  shell::Output *streams_[3];
};

// One shell, the one of a system() call or of a background job: runs its
// lists item by item and can stop at a command that takes virtual time (a
// download, "wait"), to go on in a later tick.
class Interpreter {
 public:
  Interpreter(std::shared_ptr<const std::vector<shell::ListItem>> items,
              std::vector<shell::Redirection> inherited, int lastJob)
      : lastJob_(lastJob) {
    frames_.push_back({std::move(items), 0, std::move(inherited)});
  }

  // Runs until the end (true) or a command that waits for ticks (false);
  // synchronous: nothing waits, downloads and waited-for jobs end at once.
  bool run(bool synchronous);
  // One tick of the network for a running download.
  void advance() {
    if (timed_ && !timed_->finished()) timed_->advance();
  }
  void abort(int signal) {
    if (timed_ && !timed_->finished()) timed_->abort(signal);
  }
  int status() const { return status_; }

 private:
  struct Frame {
    std::shared_ptr<const std::vector<shell::ListItem>> items;
    size_t next = 0;
    std::vector<shell::Redirection> inherited;  // of the sub-shells around
  };

  bool waitsFor(bool synchronous);
  void startJob(Frame &frame);
  void enterGroup(const shell::SimpleCommand &command, const std::vector<shell::Redirection> &inherited);
  void runSimple(const shell::SimpleCommand &command, const std::vector<shell::Redirection> &inherited);
  int builtin(const std::string &name, const std::vector<std::string> &args, shell::CommandIo &io,
              bool &handled);
  std::string expand(const std::string &word) const;

  std::vector<Frame> frames_;
  int status_ = 0;
  int lastJob_ = 0;  // $!
  std::unique_ptr<shell::TimedRun> timed_;
  int waitFor_ = 0;  // a job's id, -1 every job, 0 none
};

// The background jobs of the run, by process id.
struct Job {
  std::unique_ptr<Interpreter> shell;
  bool done = false;
  int status = 0;
};
struct JobTable {
  std::map<int, Job> jobs;
  int nextId = 1000;
};
JobTable &jobTable() {
  static JobTable *table = new JobTable;  // never destroyed: the box may run during exit
  return *table;
}

// Runs a job until it waits or ends; true when it ended.
bool stepJob(int id, bool synchronous) {
  auto it = jobTable().jobs.find(id);
  if (it == jobTable().jobs.end() || it->second.done) return true;
  Interpreter *shell = it->second.shell.get();
  if (!shell->run(synchronous)) return false;
  // The table may have grown meanwhile; look the job up again.
  Job &job = jobTable().jobs[id];
  job.done = true;
  job.status = shell->status();
  return true;
}

std::string Interpreter::expand(const std::string &word) const {
  std::string out;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != shell::kExpansion || i + 1 == word.size()) {
      out += word[i];
      continue;
    }
    char what = word[++i];  // '?', '!', or a doubled marker that stands for itself
    if (what == '?') {
      out += std::to_string(status_);
    } else if (what != '!') {
      out += what;
    } else if (lastJob_ != 0) {
      out += std::to_string(lastJob_);
    }
  }
  return out;
}

// The and-or list that begins at frame.next and ends with "&" becomes a job.
void Interpreter::startJob(Frame &frame) {
  auto items = std::make_shared<std::vector<shell::ListItem>>();
  const std::vector<shell::ListItem> &all = *frame.items;
  do {
    items->push_back(all[frame.next]);
    items->back().background = false;
    ++frame.next;
  } while (frame.next < all.size() && all[frame.next].background &&
           all[frame.next].connector != shell::Connector::Always);
  items->front().connector = shell::Connector::Always;
  int id = jobTable().nextId++;
  jobTable().jobs[id].shell = std::make_unique<Interpreter>(items, frame.inherited, lastJob_);
  lastJob_ = id;
  status_ = 0;
  stepJob(id, false);  // what it does before its first wait happens now
}

// A sub-shell's redirections hold for all of it: a file it truncates is
// truncated once, on entry, and appended to by the commands inside.
void Interpreter::enterGroup(const shell::SimpleCommand &command,
                             const std::vector<shell::Redirection> &inherited) {
  std::vector<shell::Redirection> all = inherited;
  for (shell::Redirection r : command.redirections) {
    if (r.kind == shell::Redirection::Kind::Truncate) {
      int fd = openTarget(r.target, false);
      if (fd < 0) {
        LogOutput().write("sh: can't create " + r.target + ": " + std::strerror(errno) + "\n");
        status_ = 1;
        return;
      }
      __wrap_close(fd);
      r.kind = shell::Redirection::Kind::Append;
    }
    all.push_back(r);
  }
  frames_.push_back({command.group, 0, all});
}

bool Interpreter::waitsFor(bool synchronous) {
  if (timed_) {
    if (synchronous) timed_->finishNow();
    if (!timed_->finished()) return true;
    status_ = timed_->status();
    timed_.reset();
  }
  if (waitFor_ != 0) {
    std::vector<int> ids;
    for (auto &[id, job] : jobTable().jobs)
      if (waitFor_ == -1 || id == waitFor_) ids.push_back(id);
    for (int id : ids)
      if (!stepJob(id, synchronous)) return true;
    status_ = waitFor_ == -1 ? 0 : jobTable().jobs[waitFor_].status;
    waitFor_ = 0;
  }
  return false;
}

bool Interpreter::run(bool synchronous) {
  while (!frames_.empty()) {
    if (waitsFor(synchronous)) return false;
    Frame &frame = frames_.back();
    if (frame.next >= frame.items->size()) {
      frames_.pop_back();
      continue;
    }
    const shell::ListItem &item = (*frame.items)[frame.next];
    if ((item.connector == shell::Connector::IfSuccess && status_ != 0) ||
        (item.connector == shell::Connector::IfFailure && status_ == 0)) {
      ++frame.next;
      continue;
    }
    if (item.background) {
      startJob(frame);
      continue;
    }
    ++frame.next;
    std::vector<shell::Redirection> inherited = frame.inherited;  // the frame may move
    if (item.command.group) {
      enterGroup(item.command, inherited);
    } else {
      runSimple(item.command, inherited);
    }
  }
  return !waitsFor(synchronous);
}

void Interpreter::runSimple(const shell::SimpleCommand &command,
                            const std::vector<shell::Redirection> &inherited) {
  auto log = std::make_shared<LogOutput>();
  auto streams = std::make_shared<CommandStreams>(*log);
  std::vector<shell::Redirection> redirections = inherited;
  for (shell::Redirection r : command.redirections) {
    r.target = expand(r.target);
    redirections.push_back(r);
  }
  if (!streams->redirect(redirections)) {
    status_ = 1;
    return;
  }
  if (command.words.empty()) {
    status_ = 0;  // redirections alone create the files
    return;
  }
  std::vector<std::string> words;
  for (const std::string &word : command.words) words.push_back(expand(word));
  std::vector<std::string> args(words.begin() + 1, words.end());
  shell::CommandIo io{streams->out(), streams->err()};
  bool handled = false;
  status_ = builtin(words[0], args, io, handled);
  if (handled) return;
  auto keep =
      std::make_shared<std::pair<std::shared_ptr<LogOutput>, std::shared_ptr<CommandStreams>>>(log, streams);
  if (shell::isWgetProgram(words[0])) {
    timed_ = shell::startWget(args, io, keep);
    status_ = 0;
    return;
  }
  std::string name = words[0];
  if (shell::isBusyboxProgram(words[0])) {
    if (args.empty()) {
      io.out.write("BusyBox v1.35.0 multi-call binary.\n");
      status_ = 0;
      return;
    }
    name = args.front();
    args.erase(args.begin());
    if (name != "tar" && name != "df") {
      io.err.write(name + ": applet not found\n");
      status_ = kNotFoundStatus;
      return;
    }
  }
  if (name == "tar") {
    timed_ = shell::startTar(args, io, keep);
    status_ = 0;
    return;
  }
  shell::Command run = shell::findCommand(name);
  if (run == nullptr) {
    io.err.write("sh: " + words[0] + ": not found\n");
    status_ = kNotFoundStatus;
    return;
  }
  status_ = run(args, io);
}

// "wait [ID]" and "kill [-SIGNAL] ID..." need the job table.
int Interpreter::builtin(const std::string &name, const std::vector<std::string> &args, shell::CommandIo &io,
                         bool &handled) {
  handled = name == "wait" || name == "kill";
  if (name == "wait") {
    if (args.empty()) {
      waitFor_ = -1;
      return 0;
    }
    int id = static_cast<int>(std::strtol(args[0].c_str(), nullptr, 10));
    if (jobTable().jobs.count(id) == 0) return kNotFoundStatus;
    waitFor_ = id;
    return 0;
  }
  if (name != "kill") return 0;
  int signal = 15;
  size_t first = 0;
  if (!args.empty() && args[0].size() > 1 && args[0][0] == '-') {
    signal = args[0] == "-9" || args[0] == "-KILL" ? 9 : args[0] == "-TERM" || args[0] == "-15" ? 15 : -1;
    if (signal < 0) {
      io.err.write("sh: kill: bad signal name '" + args[0].substr(1) + "'\n");
      return 1;
    }
    first = 1;
  }
  int status = first < args.size() ? 0 : 1;
  for (size_t i = first; i < args.size(); ++i) {
    auto it = jobTable().jobs.find(static_cast<int>(std::strtol(args[i].c_str(), nullptr, 10)));
    if (it == jobTable().jobs.end() || it->second.done) {
      io.err.write("sh: kill: can't kill pid " + args[i] + ": No such process\n");
      status = 1;
      continue;
    }
    it->second.shell->abort(signal);
    it->second.done = true;
    it->second.status = 128 + signal;
  }
  return status;
}
}  // namespace

int runShell(const std::string &commandLine) {
  appendShellLog("$ " + commandLine + "\n");
  shell::ParsedLine parsed = shell::parseCommandLine(commandLine);
  int status;
  if (parsed.ok) {
    Interpreter shell(std::make_shared<std::vector<shell::ListItem>>(parsed.items), {}, 0);
    shell.run(true);
    status = shell.status();
  } else {
    LogOutput().write("sh: syntax error: " + parsed.error + "\n");
    status = kSyntaxErrorStatus;
  }
  if (status != 0) appendShellLog("[status " + std::to_string(status) + "]\n");
  return (status & 0xFF) << 8;
}

void advanceShellJobs() {
  std::vector<int> running;
  for (auto &[id, job] : jobTable().jobs)
    if (!job.done) running.push_back(id);
  for (int id : running) {
    auto it = jobTable().jobs.find(id);
    if (it == jobTable().jobs.end() || it->second.done) continue;
    it->second.shell->advance();
    stepJob(id, false);
  }
}

int runningShellJobs() {
  int count = 0;
  for (auto &[id, job] : jobTable().jobs) count += job.done ? 0 : 1;
  return count;
}

std::string shellLog() {
  std::string log = detail::runFile(kShellLog);
  if (log.empty()) return {};
  std::ifstream in(log, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace detail {
void resetShellJobs() { jobTable() = JobTable(); }

void resetShellLog() {
  std::string log = runFile(kShellLog);
  if (log.empty()) return;
  int fd = ::open(log.c_str(), O_WRONLY | O_TRUNC | O_CREAT | O_CLOEXEC, 0644);
  if (fd >= 0) ::close(fd);
}
}  // namespace detail

}  // namespace pvrsim::box

// system(nullptr) asks whether a shell exists: the box always has one.
extern "C" int __wrap_system(const char *commandLine) {
  if (commandLine == nullptr) return 1;
  return pvrsim::box::runShell(commandLine);
}
