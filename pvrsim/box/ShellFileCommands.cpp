// ShellFileCommands.cpp - the box shell's file commands: mkdir, rm, chmod, mv and cat, on box paths
// below /mnt/hd (cat also reads the canned system files).  Messages and exit
// codes follow busybox, the box's own shell.
#include "Box.h"
#include "Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace pvrsim::box::shell {

namespace {
using detail::Route;
using detail::RoutedPath;

int report(CommandIo &io, const std::string &message) {
  io.err.write(message + "\n");
  return 1;
}

std::string quoted(const std::string &path) { return "'" + path + "'"; }

// Reads leading options (letters out of `allowed`, "--" ends them) into
// `given`; reports an unknown letter and gives false.
bool parseOptions(const char *command, const std::vector<std::string> &args, const std::string &allowed,
                  std::string &given, size_t &first, CommandIo &io) {
  for (first = 0; first < args.size(); ++first) {
    const std::string &arg = args[first];
    if (arg == "--") {
      ++first;
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') break;
    for (size_t i = 1; i < arg.size(); ++i) {
      if (allowed.find(arg[i]) == std::string::npos) {
        report(io, std::string(command) + ": invalid option -- '" + arg[i] + "'");
        return false;
      }
      given += arg[i];
    }
  }
  return true;
}

bool has(const std::string &given, char option) { return given.find(option) != std::string::npos; }

// Why a command cannot act on a path that is not on the disk.
int notOnDisk(const RoutedPath &routed) { return routed.route == Route::Refused ? routed.error : EACCES; }

bool isDirectory(const std::string &hostPath, bool followLinks) {
  struct stat st;
  int result = followLinks ? ::stat(hostPath.c_str(), &st) : ::lstat(hostPath.c_str(), &st);
  return result == 0 && S_ISDIR(st.st_mode);
}

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string lastName(const std::string &path) {
  std::string trimmed = withoutTrailingSlashes(path);
  size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

// Creates every missing folder of a disk path; 0 or the error number.
int makeFolders(const std::string &hostPath) {
  const std::string &root = config().diskRoot;
  std::string current = root;
  size_t pos = root.size();
  while (pos < hostPath.size()) {
    size_t next = hostPath.find('/', pos + 1);
    if (next == std::string::npos) next = hostPath.size();
    std::string name = hostPath.substr(pos + 1, next - pos - 1);
    pos = next;
    if (name.empty()) continue;
    current += "/" + name;
    if (::mkdir(current.c_str(), 0777) != 0 && !(errno == EEXIST && isDirectory(current, true))) {
      return errno;
    }
  }
  return 0;
}

int makeFolder(const std::string &word, bool parents, CommandIo &io) {
  RoutedPath routed = routeShellPath(word, parents ? LastLink::Follow : LastLink::Keep);
  int error = 0;
  if (routed.route != Route::Disk) {
    error = notOnDisk(routed);
  } else if (parents) {
    error = makeFolders(routed.hostPath);
  } else if (::mkdir(routed.hostPath.c_str(), 0777) != 0) {
    error = errno;
  }
  if (error == 0) return 0;
  return report(io, "mkdir: can't create directory " + quoted(word) + ": " + std::strerror(error));
}

int removePath(const std::string &word, bool recursive, bool force, CommandIo &io) {
  std::string name = lastName(word);
  if (name == "." || name == "..") return report(io, "rm: can't remove '.' or '..'");
  // A link is removed itself, never what it leads to.
  RoutedPath routed = routeShellPath(word, LastLink::Keep);
  std::string failure = "rm: can't remove " + quoted(word) + ": ";
  if (routed.route != Route::Disk) return report(io, failure + std::strerror(notOnDisk(routed)));
  if (detail::isDiskRoot(routed)) return report(io, failure + std::strerror(EBUSY));
  struct stat st;
  if (::lstat(routed.hostPath.c_str(), &st) != 0) {
    if (errno == ENOENT && force) return 0;
    return report(io, failure + std::strerror(errno));
  }
  if (!S_ISDIR(st.st_mode)) {
    if (::unlink(withoutTrailingSlashes(routed.hostPath).c_str()) != 0) {
      return report(io, failure + std::strerror(errno));
    }
    return 0;
  }
  if (!recursive) return report(io, failure + std::strerror(EISDIR));
  std::error_code error;
  std::filesystem::remove_all(routed.hostPath, error);
  if (error) return report(io, failure + std::strerror(error.value()));
  return 0;
}

bool parseOctalMode(const std::string &text, mode_t &mode) {
  if (text.empty() || text.size() > 5) return false;
  mode = 0;
  for (char c : text) {
    if (c < '0' || c > '7') return false;
    mode = mode * 8 + static_cast<mode_t>(c - '0');
  }
  return mode <= 07777;
}

// chmod -R: the folder's contents first, so that a mode without write or
// search permission on the folder does not stop the walk.
int changeModeTree(const std::string &hostPath, mode_t mode) {
  std::error_code error;
  std::vector<std::filesystem::path> entries;
  for (std::filesystem::recursive_directory_iterator it(hostPath, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_symlink()) entries.push_back(it->path());
  }
  if (error) return error.value();
  for (const auto &entry : entries) {
    if (::chmod(entry.c_str(), mode) != 0) return errno;
  }
  return 0;
}

int changeMode(const std::string &word, mode_t mode, bool recursive, CommandIo &io) {
  RoutedPath routed = routeShellPath(word);
  int error = 0;
  if (routed.route != Route::Disk) {
    error = notOnDisk(routed);
  } else if (recursive && isDirectory(routed.hostPath, false)) {
    error = changeModeTree(routed.hostPath, mode);
  }
  if (error == 0 && ::chmod(routed.hostPath.c_str(), mode) != 0) error = errno;
  if (error == 0) return 0;
  return report(io, "chmod: " + word + ": " + std::strerror(error));
}

int moveOne(const std::string &word, const RoutedPath &dest, bool intoFolder, CommandIo &io) {
  RoutedPath source = routeShellPath(word, LastLink::Keep);  // a link moves itself
  std::string failure = "mv: can't rename " + quoted(word) + ": ";
  if (source.route != Route::Disk) return report(io, failure + std::strerror(notOnDisk(source)));
  if (dest.route != Route::Disk) return report(io, failure + std::strerror(notOnDisk(dest)));
  if (detail::isDiskRoot(source) || (!intoFolder && detail::isDiskRoot(dest)))
    return report(io, failure + std::strerror(EBUSY));
  std::string from = withoutTrailingSlashes(source.hostPath);
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return report(io, failure + std::strerror(errno));
  std::string to = dest.hostPath;
  if (intoFolder) to = withoutTrailingSlashes(to) + "/" + lastName(from);
  if (::rename(from.c_str(), to.c_str()) != 0) return report(io, failure + std::strerror(errno));
  return 0;
}

int catFile(const std::string &word, CommandIo &io) {
  if (word == "-") return 0;  // the shell's standard input is empty
  RoutedPath routed = routeShellPath(word);
  std::string content;
  switch (routed.route) {
    case Route::Canned:
      detail::cannedFileContent(routed.boxPath, content);
      io.out.write(content);
      return 0;
    case Route::Host:  // /dev/null
      return 0;
    case Route::Console:
    case Route::Refused:
      return report(io, "cat: can't open " + quoted(word) + ": " + std::strerror(notOnDisk(routed)));
    case Route::Disk:
      break;
  }
  int fd = ::open(routed.hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return report(io, "cat: can't open " + quoted(word) + ": " + std::strerror(errno));
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) io.out.write(std::string(buffer, got));
  int error = got < 0 ? errno : 0;
  ::close(fd);
  if (error != 0) return report(io, std::string("cat: read error: ") + std::strerror(error));
  return 0;
}
}  // namespace

// mkdir [-p] DIR...
int mkdirCommand(const std::vector<std::string> &args, CommandIo &io) {
  std::string options;
  size_t first;
  if (!parseOptions("mkdir", args, "p", options, first, io)) return 1;
  if (first == args.size()) return report(io, "mkdir: missing operand");
  int status = 0;
  for (size_t i = first; i < args.size(); ++i) status |= makeFolder(args[i], has(options, 'p'), io);
  return status;
}

// rm [-r|-R] [-f] PATH...
int rmCommand(const std::vector<std::string> &args, CommandIo &io) {
  std::string options;
  size_t first;
  if (!parseOptions("rm", args, "rRfi", options, first, io)) return 1;
  bool force = has(options, 'f');
  if (first == args.size()) return force ? 0 : report(io, "rm: missing operand");
  bool recursive = has(options, 'r') || has(options, 'R');
  int status = 0;
  for (size_t i = first; i < args.size(); ++i) status |= removePath(args[i], recursive, force, io);
  return status;
}

// chmod [-R] MODE PATH...  (octal modes)
int chmodCommand(const std::vector<std::string> &args, CommandIo &io) {
  std::string options;
  size_t first;
  if (!parseOptions("chmod", args, "R", options, first, io)) return 1;
  if (args.size() - first < 2) return report(io, "chmod: missing operand");
  mode_t mode;
  if (!parseOctalMode(args[first], mode)) return report(io, "chmod: invalid mode " + quoted(args[first]));
  int status = 0;
  for (size_t i = first + 1; i < args.size(); ++i) status |= changeMode(args[i], mode, has(options, 'R'), io);
  return status;
}

// mv [-f] SRC DEST, or mv [-f] SRC... FOLDER
int mvCommand(const std::vector<std::string> &args, CommandIo &io) {
  std::string options;
  size_t first;
  if (!parseOptions("mv", args, "fi", options, first, io)) return 1;
  if (args.size() - first < 2) return report(io, "mv: missing operand");
  const std::string &destWord = args.back();
  // A folder, or a link leading to one, receives the sources; any other
  // destination is a new name, and a link there is replaced, not followed.
  RoutedPath dest = routeShellPath(destWord);
  bool intoFolder = dest.route == Route::Disk && isDirectory(dest.hostPath, true);
  if (!intoFolder) dest = routeShellPath(destWord, LastLink::Keep);
  size_t sources = args.size() - first - 1;
  if (!intoFolder && sources > 1) return report(io, "mv: " + quoted(destWord) + " is not a directory");
  int status = 0;
  for (size_t i = first; i + 1 < args.size(); ++i) status |= moveOne(args[i], dest, intoFolder, io);
  return status;
}

// cat [FILE...]
int catCommand(const std::vector<std::string> &args, CommandIo &io) {
  int status = 0;
  for (const std::string &word : args) status |= catFile(word, io);
  return status;
}

}  // namespace pvrsim::box::shell
