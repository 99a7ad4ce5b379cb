// RepoMasterListFuzz.cpp - libFuzzer target for the repository master-list
// loader.
//
// Every input is the list on the stand-in disk (DiskStandIn.h).  A rejected
// list is logged and leaves nothing; an accepted one has unique non-zero
// TAP IDs and terminated texts, and is written and read back the same.  No
// memory stays and no file stays open.
#include <string.h>

#include "DiskStandIn.h"

namespace {

const char Target[] = "RepoMasterListFuzz";
const char Name[] = "ML.vml";

void Check(bool condition, const char *what) {
  if (!condition) standin::Fail(Target, what);
}

void CheckEntries(const tRepoMasterList &list) {
  for (int i = 0; i < list.NrOfEntries; i++) {
    const tMasterList &e = list.Entries[i];
    Check(e.TAPID != 0, "an entry without TAP ID");
    Check(RepoMasterListFind(&list, e.TAPID) == i, "two entries for one TAP");
    Check(e.VPDURL != nullptr && strlen(e.VPDURL) < REPO_URL_MAX, "a bad VPDURL accepted");
    standin::Touch(e.Name);
    standin::Touch(e.Author);
  }
}

bool SameEntries(const tRepoMasterList &a, const tRepoMasterList &b) {
  if (a.NrOfEntries != b.NrOfEntries) return false;
  auto same = [](const char *x, const char *y) {
    return (x == nullptr ? "" : x) == std::string(y == nullptr ? "" : y);
  };
  for (int i = 0; i < a.NrOfEntries; i++) {
    const tMasterList &x = a.Entries[i], &y = b.Entries[i];
    if (x.TAPID != y.TAPID || !same(x.VPDURL, y.VPDURL) || !same(x.Name, y.Name) ||
        !same(x.Author, y.Author) || x.TopfieldEuropeTimeStamp != y.TopfieldEuropeTimeStamp ||
        x.Category != y.Category || x.VPDTimeStamp != y.VPDTimeStamp)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  standin::Reset(Name, data, size);
  tRepoMasterList list;
  memset(&list, 0x55, sizeof list);
  bool loaded = RepoMasterListLoad(Name, &list);
  Check(list.NrOfEntries >= 0 && list.NrOfEntries <= REPO_MASTERLIST_MAX_ENTRIES, "count out of range");
  Check(loaded || (list.NrOfEntries == 0 && list.Entries == nullptr), "a rejected list left entries");
  Check(loaded || !standin::Log.empty(), "a rejected list was not logged");
  CheckEntries(list);
  if (loaded) {
    Check(RepoMasterListSave(&list, Name), "the list cannot be written");
    tRepoMasterList again;
    Check(RepoMasterListLoad(Name, &again), "the written list cannot be read");
    Check(SameEntries(list, again), "the written list reads back otherwise");
    RepoMasterListFree(&again);
  }
  RepoMasterListFree(&list);
  Check(StringSpace == 0, "texts left counted");
  Check(standin::MemoryBlocksInUse() == 0, "memory left allocated");
  Check(standin::OpenFiles == 0, "a file left open");
  return 0;
}
