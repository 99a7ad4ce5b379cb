// FindTwiceTest.cpp - FindTAP against a firmware whose directory listing
// reports every folder twice: each folder is still searched once.
//
// This program replaces the firmware's TAP_Hdd_FindFirst/FindNext with its
// own (the definitions here take precedence over pvrsim's for the code
// linked into the program); they list the real folder through pvrsim and
// note which folder each search was made in.
#include <dlfcn.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TasksSim.h"
#include "Tools.h"

// The program's own TAP ID, which the call tracer of the tool module reads.
TAP_ID(0x7E57F00D);

extern "C" void *__real_dlsym(void *handle, const char *name);

namespace {

using FindFirstFn = dword (*)(TYPE_FolderEntry *, const char *);
using FindNextFn = dword (*)(TYPE_FolderEntry *);

std::vector<TYPE_FolderEntry> Listing;
size_t ListingPos = 0;
std::vector<std::string> SearchedFolders;

}  // namespace

extern "C" dword TAP_Hdd_FindFirst(TYPE_FolderEntry *entry, const char *ext) {
  static FindFirstFn realFirst = (FindFirstFn)__real_dlsym(RTLD_NEXT, "TAP_Hdd_FindFirst");
  static FindNextFn realNext = (FindNextFn)__real_dlsym(RTLD_NEXT, "TAP_Hdd_FindNext");
  SearchedFolders.push_back(pvrsim::Sim::current()->currentDir(*(dword *)FIS_vCurTapTask()));

  Listing.clear();
  TYPE_FolderEntry found;
  dword count = realFirst(&found, ext);
  for (dword i = 0; i < count; i++) {
    if (i > 0 && realNext(&found) == 0) break;
    Listing.push_back(found);
    if (found.attr == ATTR_FOLDER) Listing.push_back(found);
  }
  ListingPos = 0;
  if (Listing.empty()) return 0;
  *entry = Listing[ListingPos++];
  return (dword)Listing.size();
}

extern "C" dword TAP_Hdd_FindNext(TYPE_FolderEntry *entry) {
  if (ListingPos >= Listing.size()) return 0;
  *entry = Listing[ListingPos++];
  return 1;
}

namespace {

using FindTwiceTest = tasks::SimTest;

TEST_F(FindTwiceTest, AFolderListedTwiceIsSearchedOnce) {
  put(TAP_tasks_manager_exit, "/ProgramFiles/A/C/Other.bin");
  std::filesystem::create_directories(disk("/ProgramFiles/B"));
  SearchedFolders.clear();
  EXPECT_FALSE(FindTAP(VANTERO_TAPID, nullptr, nullptr));
  EXPECT_EQ(SearchedFolders, (std::vector<std::string>{"/mnt/hd/ProgramFiles", "/mnt/hd/ProgramFiles/A",
                                                       "/mnt/hd/ProgramFiles/B",
                                                       "/mnt/hd/ProgramFiles/A/C"}));

  put(TAP_tasks_manager_exit, "/ProgramFiles/A/C/Vantero.tap");
  SearchedFolders.clear();
  char folder[KALIB_PATH_MAX];
  EXPECT_TRUE(FindTAP(VANTERO_TAPID, nullptr, folder));
  EXPECT_STREQ(folder, "/ProgramFiles/A/C");
  EXPECT_EQ(SearchedFolders.size(), 4u);
}

}  // namespace
