// FindApi.cpp - folder listing of the TAP API: TAP_Hdd_FindFirst lists the calling TAP's
// current folder (sorted by name, never "." or "..", folders always, files
// only when they match the extension filter; a link is listed as what it
// leads to on the disk, and not at all when it leads nowhere or out of the
// disk), TAP_Hdd_FindNext walks it.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "Runtime.h"
#include "box/Box.h"

using namespace pvrsim::core;

namespace {
FolderListing &listingOfCaller() {
  Slot *slot = currentSlot();
  return slot ? slot->listing : rt().looseListing;
}

// Filter "tap" matches names ending in ".tap", in any case; null or "" matches all.
bool matchesFilter(const char *name, const char *ext) {
  if (!ext || !*ext) return true;
  size_t nameLen = std::strlen(name), extLen = std::strlen(ext);
  if (nameLen < extLen + 1) return false;
  const char *suffix = name + nameLen - extLen;
  return suffix[-1] == '.' && strcasecmp(suffix, ext) == 0;
}

// What an entry of the folder is: itself, or for a link what it leads to on
// the disk; false for a link that leads nowhere or out of the disk.
bool statEntry(const std::string &boxDir, const std::string &hostDir, const char *name, struct stat &st) {
  std::string host = hostDir + "/" + name;
  if (::lstat(host.c_str(), &st) != 0) return false;
  if (!S_ISLNK(st.st_mode)) return true;
  return pvrsim::box::mapDiskPath(boxDir + "/" + name, host) && ::stat(host.c_str(), &st) == 0;
}

std::vector<TYPE_FolderEntry> listFolder(const std::string &boxDir, const std::string &hostDir,
                                         const char *ext) {
  std::vector<TYPE_FolderEntry> entries;
  DIR *dir = ::opendir(hostDir.c_str());
  if (!dir) return entries;
  while (const dirent *d = ::readdir(dir)) {
    const char *name = d->d_name;
    if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) continue;
    if (std::strlen(name) >= sizeof(TYPE_FolderEntry::name)) continue;  // no room in the record
    struct stat st;
    if (!statEntry(boxDir, hostDir, name, st)) continue;
    TYPE_FolderEntry entry{};
    if (S_ISDIR(st.st_mode)) {
      entry.attr = ATTR_FOLDER;
    } else if (S_ISREG(st.st_mode) && matchesFilter(name, ext)) {
      entry.attr = ATTR_NORMAL;
      entry.size = st.st_size;
    } else {
      continue;
    }
    entry.time = firmwareTime(st.st_mtime);
    std::strcpy(entry.name, name);
    entries.push_back(entry);
  }
  ::closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const TYPE_FolderEntry &a, const TYPE_FolderEntry &b) {
    return std::strcmp(a.name, b.name) < 0;
  });
  return entries;
}
}  // namespace

// Returns the number of matching entries and fills the first.
extern "C" dword TAP_Hdd_FindFirst(TYPE_FolderEntry *entry, const char *ext) {
  FolderListing &listing = listingOfCaller();
  listing = FolderListing{};
  std::string boxDir = currentDirOfCaller(), hostDir;
  if (!rt().active || !pvrsim::box::mapDiskPath(boxDir, hostDir)) return 0;
  listing.entries = listFolder(boxDir, hostDir, ext);
  if (!listing.entries.empty() && entry) {
    *entry = listing.entries[0];
    listing.next = 1;
  }
  return static_cast<dword>(listing.entries.size());
}

// Fills the next entry and returns 1; 0 at the end.  With
// Options::strictApi the result means nothing: it alternates between 0 and
// 1 whatever happened, so code that relies on it goes wrong.
extern "C" dword TAP_Hdd_FindNext(TYPE_FolderEntry *entry) {
  FolderListing &listing = listingOfCaller();
  bool filled = entry && listing.next < listing.entries.size();
  if (filled) *entry = listing.entries[listing.next++];
  if (rt().options.strictApi) return listing.nextCalls++ % 2;
  return filled ? 1 : 0;
}
