// HostTree.h - a record of a host folder (every entry's kind, bytes, mode
// and modification time, links by their target) to show that a run left
// the folder exactly as it was; and links made for tests.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace host_tree {

// Path below the folder -> a description of the entry that changes whenever
// the entry does.
using Tree = std::map<std::string, std::string>;

inline Tree record(const std::string &folder) {
  namespace fs = std::filesystem;
  Tree tree;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string path = it->path().string();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    std::string what = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                       std::to_string(st.st_mtim.tv_nsec);
    if (S_ISLNK(st.st_mode)) {
      what += " -> " + fs::read_symlink(it->path(), ec).string();
    } else if (S_ISREG(st.st_mode)) {
      std::ifstream in(path, std::ios::binary);
      what += " " + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    tree[path.substr(folder.size())] = what;
  }
  return tree;
}

// A symbolic link at `link` (its folder made first) holding `target` as given.
inline void makeLink(const std::string &target, const std::string &link) {
  std::filesystem::create_directories(std::filesystem::path(link).parent_path());
  std::filesystem::create_symlink(target, link);
}

}  // namespace host_tree
