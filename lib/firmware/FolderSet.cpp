// FolderSet.cpp - the folders a walk has seen, by their identity on the disk.
//
// A box disk can hold links (its users reach it by telnet and FTP), so the
// text of a path does not tell whether two paths lead to the same folder,
// and a link to a folder above it makes a walk by text endless.  A folder is
// therefore known by its device and inode, read with lstat64 (the only stat
// call the box's system library offers) through "<folder>/.", which makes
// the last name resolve when it is a link.  The identities live in an
// open-addressing hash table that doubles when it is half full, so adding n
// folders costs O(n) on average.  The family's three functions share the
// table's layout and stay together in this file.
#include <string.h>
#include <sys/stat.h>

#include "BoundedString.h"
#include "Kalib.h"

struct tFolderIdentity {
  uint64_t Device;
  uint64_t Inode;
  dword Used;
};

static const dword kFirstCapacity = 64;  // a power of two

static tFolderIdentity *Slots(const tFolderSet *set) { return (tFolderIdentity *)set->Table; }

static dword HashOf(uint64_t device, uint64_t inode) {
  uint64_t h = inode * 0x9E3779B97F4A7C15ull ^ (device + 0x632BE59BD9B4E019ull);
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return (dword)(h ^ (h >> 32));
}

// The slot that holds the identity or the empty slot where it belongs; the
// table always has an empty slot, because it is never more than half full.
static tFolderIdentity *Find(const tFolderSet *set, uint64_t device, uint64_t inode) {
  dword mask = set->Capacity - 1;
  for (dword i = HashOf(device, inode) & mask;; i = (i + 1) & mask) {
    tFolderIdentity *slot = &Slots(set)[i];
    if (!slot->Used || (slot->Device == device && slot->Inode == inode)) return slot;
  }
}

// Moves the identities into a table of `capacity` slots; false (the set
// unchanged) when there is no memory for it.
static bool Grow(tFolderSet *set, dword capacity) {
  tFolderIdentity *table = (tFolderIdentity *)TAP_MemAlloc(capacity * sizeof(tFolderIdentity));
  if (table == nullptr) return false;
  memset(table, 0, capacity * sizeof(tFolderIdentity));
  tFolderSet grown = {set->Count, capacity, table};
  for (dword i = 0; i < set->Capacity; i++) {
    const tFolderIdentity &old = Slots(set)[i];
    if (old.Used) *Find(&grown, old.Device, old.Inode) = old;
  }
  if (set->Table != nullptr) TAP_MemFree(set->Table);
  *set = grown;
  return true;
}

// The Linux path "<folder>/." of a folder in TAP notation ("/ProgramFiles"),
// in Linux notation ("/mnt/hd/ProgramFiles") or relative to the TAP's
// current directory; false when it does not fit.
static bool ProbePath(const char *folder, char *probe, size_t size) {
  const char kMount[] = "/mnt/hd";
  bool isLinuxPath = strncmp(folder, kMount, sizeof kMount - 1) == 0 &&
                     (folder[sizeof kMount - 1] == '/' || folder[sizeof kMount - 1] == '\0');
  probe[0] = '\0';
  if (!isLinuxPath && !StrCopyBounded(probe, size, kMount)) return false;
  if (folder[0] != '/') {
    char currentDir[KALIB_PATH_MAX] = "";
    if (HDD_TAP_GetCurrentDir(currentDir) != 0 || !StrAppendBounded(probe, size, currentDir) ||
        !EnsureSlash(probe, size))
      return false;
  }
  return StrAppendBounded(probe, size, folder) && StrAppendBounded(probe, size, "/.");
}

void FolderSetInit(tFolderSet *set) {
  if (set == nullptr) return;
  set->Count = 0;
  set->Capacity = 0;
  set->Table = nullptr;
}

int FolderSetAdd(tFolderSet *set, const char *folder) {
  if (set == nullptr || folder == nullptr || folder[0] == '\0') return -1;
  char probe[KALIB_PATH_MAX + 16];
  struct stat64 st;
  if (!ProbePath(folder, probe, sizeof probe) || lstat64(probe, &st) != 0 || (st.st_mode & 0xF000) != 0x4000)
    return -1;
  uint64_t device = (uint64_t)st.st_dev, inode = (uint64_t)st.st_ino;
  if (set->Capacity > 0 && Find(set, device, inode)->Used) return 0;
  if (2 * (set->Count + 1) > set->Capacity) {
    dword capacity = set->Capacity == 0 ? kFirstCapacity : 2 * set->Capacity;
    if (capacity <= set->Capacity || capacity > 0x80000000u / sizeof(tFolderIdentity) || !Grow(set, capacity))
      return -1;
  }
  tFolderIdentity *slot = Find(set, device, inode);
  slot->Device = device;
  slot->Inode = inode;
  slot->Used = 1;
  set->Count++;
  return 1;
}

void FolderSetDestroy(tFolderSet *set) {
  if (set == nullptr) return;
  if (set->Table != nullptr) TAP_MemFree(set->Table);
  FolderSetInit(set);
}
