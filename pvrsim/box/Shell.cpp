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
#include <cstring>
#include <fstream>
#include <iterator>
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

int runCommand(const shell::SimpleCommand &command, LogOutput &log) {
  CommandStreams streams(log);
  if (!streams.redirect(command.redirections)) return 1;
  if (command.words.empty()) return 0;  // redirections alone create the files
  const std::string &name = command.words[0];
  shell::Command run = shell::findCommand(name);
  if (run == nullptr) {
    streams.err().write("sh: " + name + ": not found\n");
    return kNotFoundStatus;
  }
  shell::CommandIo io{streams.out(), streams.err()};
  std::vector<std::string> args(command.words.begin() + 1, command.words.end());
  return run(args, io);
}

int runList(const std::vector<shell::ListItem> &items, LogOutput &log) {
  int status = 0;
  for (const shell::ListItem &item : items) {
    if (item.connector == shell::Connector::IfSuccess && status != 0) continue;
    if (item.connector == shell::Connector::IfFailure && status == 0) continue;
    status = runCommand(item.command, log);
  }
  return status;
}
}  // namespace

int runShell(const std::string &commandLine) {
  appendShellLog("$ " + commandLine + "\n");
  LogOutput log;
  shell::ParsedLine parsed = shell::parseCommandLine(commandLine);
  int status;
  if (parsed.ok) {
    status = runList(parsed.items, log);
  } else {
    log.write("sh: syntax error: " + parsed.error + "\n");
    status = kSyntaxErrorStatus;
  }
  if (status != 0) appendShellLog("[status " + std::to_string(status) + "]\n");
  return (status & 0xFF) << 8;
}

std::string shellLog() {
  std::string log = detail::runFile(kShellLog);
  if (log.empty()) return {};
  std::ifstream in(log, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace detail {
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
