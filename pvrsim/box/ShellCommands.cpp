// ShellCommands.cpp - the box shell's command table and its commands that touch no files.
#include "Shell.h"

#include <sys/stat.h>

#include <cerrno>
#include <map>

namespace pvrsim::box::shell {

namespace {
int trueCommand(const std::vector<std::string> &, CommandIo &) { return 0; }
int falseCommand(const std::vector<std::string> &, CommandIo &) { return 1; }

// echo [-n] WORD...
int echoCommand(const std::vector<std::string> &args, CommandIo &io) {
  size_t first = 0;
  bool newline = true;
  while (first < args.size() && args[first] == "-n") {
    newline = false;
    ++first;
  }
  std::string text;
  for (size_t i = first; i < args.size(); ++i) text += (i > first ? " " : "") + args[i];
  if (newline) text += "\n";
  io.out.write(text);
  return 0;
}

// ifconfig [INTERFACE]: shows the box's fixed network set-up; changing it
// is not possible.
int ifconfigCommand(const std::vector<std::string> &args, CommandIo &io) {
  if (args.size() > 1) {
    io.err.write("ifconfig: SIOCSIFADDR: Operation not permitted\n");
    return 1;
  }
  std::string interface = args.empty() ? std::string() : args[0];
  std::string text;
  if (!detail::ifconfigText(interface, text)) {
    io.err.write("ifconfig: " + interface + ": error fetching interface information: Device not found\n");
    return 1;
  }
  io.out.write(text);
  return 0;
}
}  // namespace

Command findCommand(const std::string &name) {
  static const std::map<std::string, Command> commands = {
      {":", trueCommand},
      {"true", trueCommand},
      {"false", falseCommand},
      {"echo", echoCommand},
      {"ifconfig", ifconfigCommand},
      {"mkdir", mkdirCommand},
      {"rm", rmCommand},
      {"chmod", chmodCommand},
      {"mv", mvCommand},
      {"cat", catCommand},
      {"df", dfCommand},
  };
  auto it = commands.find(name);
  return it == commands.end() ? nullptr : it->second;
}

bool isProgramOnDisk(const std::string &word, const char *name) {
  size_t slash = word.rfind('/');
  if (slash == std::string::npos) return false;  // the box's PATH holds none of these
  if (word.compare(slash + 1, std::string::npos, name) != 0) return false;
  detail::RoutedPath routed = routeShellPath(word);
  struct stat st;
  return routed.route == detail::Route::Disk && ::stat(routed.hostPath.c_str(), &st) == 0 &&
         S_ISREG(st.st_mode);
}

bool isBusyboxProgram(const std::string &word) { return isProgramOnDisk(word, "busybox"); }

detail::RoutedPath routeShellPath(const std::string &word, LastLink last) {
  // The shell runs in the root folder; the host behind it does not exist.
  std::string path = !word.empty() && word[0] == '/' ? word : "/" + word;
  detail::RoutedPath routed = detail::routePath(path.c_str(), last);
  if (routed.route == detail::Route::Host && routed.hostPath != "/dev/null") {
    routed.route = detail::Route::Refused;
  }
  // Below /mnt a refusal means the path leads nowhere (a link out of the
  // disk, a loop); anything else is off limits for the box's user.
  if (routed.route == detail::Route::Refused && routed.boxPath.compare(0, 5, "/mnt/") != 0) {
    routed.error = EACCES;
  }
  return routed;
}

}  // namespace pvrsim::box::shell
