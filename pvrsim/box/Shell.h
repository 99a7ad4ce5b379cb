// Shell.h - internal interfaces of the box shell: the parsed command line, where
// commands write, and the table of commands.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "BoxInternal.h"

namespace pvrsim::box::shell {

struct Redirection {
  enum class Kind { Truncate, Append, Duplicate };
  int fd = 1;  // 1 stdout, 2 stderr
  Kind kind = Kind::Truncate;
  std::string target;  // a path, or for Duplicate the descriptor number
};

struct ListItem;

// Marks "$?" and "$!" in a parsed word (quoted or not, but not inside single
// quotes): kExpansion followed by '?' or '!'.  A kExpansion byte of the line
// itself is doubled.
constexpr char kExpansion = '\x01';

struct SimpleCommand {
  std::vector<std::string> words;
  std::vector<Redirection> redirections;
  // A sub-shell "( list )": its list (words is then empty); the redirections
  // apply to the whole of it.
  std::shared_ptr<const std::vector<ListItem>> group;
};

// How a command of a list depends on the status of the one before.
enum class Connector { Always, IfSuccess, IfFailure };

struct ListItem {
  Connector connector = Connector::Always;
  SimpleCommand command;
  // Part of an and-or list ended by "&": the whole list runs as a
  // background job.
  bool background = false;
};

struct ParsedLine {
  bool ok = true;
  std::string error;  // the shell's message for a syntax error
  std::vector<ListItem> items;
};

// Splits a command line as a POSIX shell does for the subset the box needs:
// blanks, quotes and backslashes, lists with ";", "&&", "||" and "&"
// (background), sub-shells "( ... )", comments, the parameters "$?" and "$!",
// and the redirections ">", ">>", "N>", "N>>" and "N>&M".
ParsedLine parseCommandLine(const std::string &line);

// Where a command's standard output or error goes.
class Output {
 public:
  virtual ~Output() = default;
  virtual void write(const std::string &text) = 0;
};

struct CommandIo {
  Output &out;
  Output &err;
};

// A command: its arguments (without its own name) in, the exit code out.
using Command = int (*)(const std::vector<std::string> &args, CommandIo &io);

// The box's commands (ShellFileCommands.cpp, ShellCommands.cpp).
int mkdirCommand(const std::vector<std::string> &args, CommandIo &io);
int rmCommand(const std::vector<std::string> &args, CommandIo &io);
int chmodCommand(const std::vector<std::string> &args, CommandIo &io);
int mvCommand(const std::vector<std::string> &args, CommandIo &io);
int catCommand(const std::vector<std::string> &args, CommandIo &io);
int dfCommand(const std::vector<std::string> &args, CommandIo &io);  // ShellDf.cpp

// The command of this name, or null when the box has no such command.
Command findCommand(const std::string &name);

// One run of a command that takes virtual time: the box's wget
// (ShellWget.cpp), whose body arrives over ticks, a few kilobytes each
// (Config::network), and busybox tar (ShellTar.cpp), which gets through
// Config::disk's bytes per tick.
class TimedRun {
 public:
  virtual ~TimedRun() = default;
  virtual bool finished() const = 0;
  virtual int status() const = 0;  // wget's exit code once finished
  // The work of one tick: the body bytes the network carries, the bytes
  // the disk gets through.
  virtual void advance() = 0;
  // A command that the caller waits for (system() without "&") gets the
  // rest at once; a server that stalls ends a download as a failure.
  virtual void finishNow() = 0;
  // Killed (status 128 + signal): the partial file stays.
  virtual void abort(int signal) = 0;
};

// True when the command names the box's wget: a file "wget" on the disk
// (as the installer puts it in /mnt/hd/ProgramFiles).
bool isWgetProgram(const std::string &word);
// Starts wget with its arguments.  io stays valid as long as keep is held.
// The result may already be finished (a usage error, a refused connection,
// an HTTP error, --spider).
std::unique_ptr<TimedRun> startWget(const std::vector<std::string> &args, CommandIo io,
                                    std::shared_ptr<void> keep);

// True when the word names a regular file `name` on the disk by an absolute
// path (as the installer puts wget and busybox in /mnt/hd/ProgramFiles).
bool isProgramOnDisk(const std::string &word, const char *name);

// True when the command names the busybox the manager ships
// ("/mnt/hd/ProgramFiles/busybox"), whose first argument is the applet.
bool isBusyboxProgram(const std::string &word);
// Starts busybox tar with its arguments (ShellTar.cpp), as startWget.  The
// result is already finished after an error that ends tar before any work.
std::unique_ptr<TimedRun> startTar(const std::vector<std::string> &args, CommandIo io,
                                   std::shared_ptr<void> keep);

// A path as the shell's commands see it: relative names are taken from the
// root, and nothing outside the disk folder, the canned files, the console
// and /dev/null exists for the shell.  `last` says how a link in the last
// name is taken.
detail::RoutedPath routeShellPath(const std::string &word, LastLink last = LastLink::Follow);

}  // namespace pvrsim::box::shell
