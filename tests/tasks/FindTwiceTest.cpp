// FindTwiceTest.cpp - FindTAP against hostile listings: a firmware whose
// directory listing reports every folder twice, one whose TAP_Hdd_FindNext
// result means nothing, and disks whose links lead round in circles.  Each
// real folder is searched once.
//
// This program replaces the firmware's TAP_Hdd_FindFirst/FindNext with its
// own (the definitions here take precedence over pvrsim's for the code
// linked into the program); they list the real folder through pvrsim and
// note which folder each search was made in.  After SearchLimit searches a
// listing is empty, so a search that would never end still ends here.
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
bool ListFoldersTwice = true;
int NextResult = -1;  // what TAP_Hdd_FindNext returns; -1: the truth
const size_t SearchLimit = 200;

}  // namespace

extern "C" dword TAP_Hdd_FindFirst(TYPE_FolderEntry *entry, const char *ext) {
  static FindFirstFn realFirst = (FindFirstFn)__real_dlsym(RTLD_NEXT, "TAP_Hdd_FindFirst");
  static FindNextFn realNext = (FindNextFn)__real_dlsym(RTLD_NEXT, "TAP_Hdd_FindNext");
  SearchedFolders.push_back(pvrsim::Sim::current()->currentDir(*(dword *)FIS_vCurTapTask()));

  Listing.clear();
  ListingPos = 0;
  if (SearchedFolders.size() > SearchLimit) return 0;
  TYPE_FolderEntry found;
  dword count = realFirst(&found, ext);
  for (dword i = 0; i < count; i++) {
    if (i > 0 && realNext(&found) == 0) break;
    Listing.push_back(found);
    if (found.attr == ATTR_FOLDER && ListFoldersTwice) Listing.push_back(found);
  }
  if (Listing.empty()) return 0;
  *entry = Listing[ListingPos++];
  return (dword)Listing.size();
}

extern "C" dword TAP_Hdd_FindNext(TYPE_FolderEntry *entry) {
  bool filled = ListingPos < Listing.size();
  if (filled) *entry = Listing[ListingPos++];
  return NextResult >= 0 ? (dword)NextResult : filled;
}

namespace {

using FindTwiceTest = tasks::SimTest;

TEST_F(FindTwiceTest, AFolderListedTwiceIsSearchedOnce) {
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/A/C/Other.bin"));
  std::filesystem::create_directories(disk("/ProgramFiles/B"));
  SearchedFolders.clear();
  EXPECT_FALSE(FindTAP(VANTERO_TAPID, nullptr, nullptr));
  EXPECT_EQ(SearchedFolders,
            (std::vector<std::string>{"/mnt/hd/ProgramFiles", "/mnt/hd/ProgramFiles/A",
                                      "/mnt/hd/ProgramFiles/B", "/mnt/hd/ProgramFiles/A/C"}));

  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/A/C/Vantero.tap"));
  SearchedFolders.clear();
  char folder[KALIB_PATH_MAX];
  EXPECT_TRUE(FindTAP(VANTERO_TAPID, nullptr, folder));
  EXPECT_STREQ(folder, "/ProgramFiles/A/C");
  EXPECT_EQ(SearchedFolders.size(), 4u);
}

TEST_F(FindTwiceTest, FindNextsResultIsNotRelied) {
  ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/A.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Sub/Vantero.tap"));
  ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Z.tap"));
  for (int result : {0, 1, 7}) {
    NextResult = result;
    char name[128] = "";
    EXPECT_TRUE(FindTAP(VANTERO_TAPID, name, nullptr)) << "FindNext gives " << result;
    EXPECT_STREQ(name, "Z.tap") << "FindNext gives " << result;
  }
  NextResult = -1;
}

// Links that lead back up make endless paths by text (a/a/a/..., a/b/a/...);
// each real folder is searched once all the same.
TEST_F(FindTwiceTest, LinkLoopsAreSearchedOnce) {
  struct Row {
    const char *what;
    std::vector<std::pair<const char *, const char *>> links;  // target, link below /ProgramFiles
  } rows[] = {
      {"two links to the folder itself", {{".", "a"}, {".", "b"}}},
      {"links to the parent and the root", {{"..", "Sub/up"}, {"/mnt/hd/ProgramFiles", "Sub/Deep/root"}}},
      {"a link to the settings folder", {{"Settings/Vantero", "s"}, {"../..", "Settings/Vantero/up"}}},
  };
  ListFoldersTwice = false;
  for (const Row &row : rows) {
    std::filesystem::remove_all(disk("/ProgramFiles"));
    makeFolder("/ProgramFiles/Sub/Deep");
    ASSERT_TRUE(copyTap(TAP_tasks_manager_exit, "/ProgramFiles/Settings/Vantero/Vantero.tap"));
    for (const auto &link : row.links)
      std::filesystem::create_symlink(link.first, disk(std::string("/ProgramFiles/") + link.second));
    SearchedFolders.clear();
    EXPECT_FALSE(FindTAP(VANTERO_TAPID, nullptr, nullptr)) << row.what;
    // The settings folder is listed once first, only to mark the folders below it.
    EXPECT_EQ(SearchedFolders,
              (std::vector<std::string>{"/mnt/hd/ProgramFiles/Settings/Vantero", "/mnt/hd/ProgramFiles",
                                        "/mnt/hd/ProgramFiles/Settings", "/mnt/hd/ProgramFiles/Sub",
                                        "/mnt/hd/ProgramFiles/Sub/Deep"}))
        << row.what;
  }
  ListFoldersTwice = true;
}

}  // namespace
