// Shell.h - internal interfaces of the box shell: the parsed command line, where
// commands write, and the table of commands.
#pragma once

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

struct SimpleCommand {
  std::vector<std::string> words;
  std::vector<Redirection> redirections;
};

// How a command of a list depends on the status of the one before.
enum class Connector { Always, IfSuccess, IfFailure };

struct ListItem {
  Connector connector = Connector::Always;
  SimpleCommand command;
};

struct ParsedLine {
  bool ok = true;
  std::string error;  // the shell's message for a syntax error
  std::vector<ListItem> items;
};

// Splits a command line as a POSIX shell does for the subset the box needs:
// blanks, quotes and backslashes, lists with ";", "&&" and "||", comments,
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

// The command of this name, or null when the box has no such command.
Command findCommand(const std::string &name);

// A path as the shell's commands see it: relative names are taken from the
// root, and nothing outside the disk folder, the canned files, the console
// and /dev/null exists for the shell.  `last` says how a link in the last
// name is taken.
detail::RoutedPath routeShellPath(const std::string &word, LastLink last = LastLink::Follow);

}  // namespace pvrsim::box::shell
