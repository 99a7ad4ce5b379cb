// FolderWalkTest.cpp - the folder walk of the library on a disk with links:
// a folder is known by its identity whatever path names it, a walk queues
// each real folder once and hands them out in the order queued.
#include <string>
#include <vector>

#include "HostTree.h"
#include "TasksSim.h"

namespace {

class FolderWalkTest : public tasks::SimTest {
 protected:
  void SetUp() override {
    tasks::SimTest::SetUp();
    makeFolder("/ProgramFiles/A/B");
    makeFolder("/ProgramFiles/C");
    writeFile("/ProgramFiles/file.tap", "x");
    host_tree::makeLink("A", disk("/ProgramFiles/toA"));                         // relative
    host_tree::makeLink("/mnt/hd/ProgramFiles/A/B", disk("/ProgramFiles/toB"));  // box path
    host_tree::makeLink(".", disk("/ProgramFiles/A/self"));                      // a loop
    host_tree::makeLink("../..", disk("/ProgramFiles/A/B/up"));                  // back to /ProgramFiles
    host_tree::makeLink(root + "/outside", disk("/ProgramFiles/out"));           // off the disk
    std::filesystem::create_directories(root + "/outside");
  }
};

TEST_F(FolderWalkTest, AFolderIsKnownByItsIdentity) {
  tFolderSet set;
  FolderSetInit(&set);
  struct Row {
    const char *folder;
    int result;  // 1 new, 0 known, -1 no folder
  } rows[] = {
      {"/ProgramFiles", 1},
      {"/mnt/hd/ProgramFiles", 0},  // Linux notation
      {"/ProgramFiles/", 0},
      {"/ProgramFiles/A/B/up", 0},          // a link to it
      {"/ProgramFiles/A/self/self/..", 1},  // ".." is taken as text: /ProgramFiles/A/self, that is A
      {"A", 0},                             // relative to the current directory, /ProgramFiles
      {"/ProgramFiles/toA", 0},
      {"/ProgramFiles/A/self", 0},
      {"/ProgramFiles/toB", 1},
      {"/ProgramFiles/A/B", 0},
      {"C", 1},
      {"/ProgramFiles/file.tap", -1},  // not a folder
      {"/ProgramFiles/Missing", -1},
      {"/ProgramFiles/out", -1},  // leads off the disk
      {"", -1},
      {nullptr, -1},
  };
  for (const Row &row : rows)
    EXPECT_EQ(FolderSetAdd(&set, row.folder), row.result) << (row.folder ? row.folder : "null");
  EXPECT_EQ(set.Count, 4u);
  EXPECT_EQ(FolderSetAdd(nullptr, "/ProgramFiles"), -1);
  FolderSetDestroy(&set);
  EXPECT_EQ(set.Count, 0u);
  EXPECT_EQ(set.Table, nullptr);
  EXPECT_EQ(FolderSetAdd(&set, "/ProgramFiles"), 1);  // usable again
  FolderSetDestroy(&set);
}

TEST_F(FolderWalkTest, ManyFoldersStayDistinctWhileTheSetGrows) {
  const int count = 3000;
  for (int i = 0; i < count; i++) makeFolder("/ProgramFiles/Many/" + std::to_string(i));
  tFolderSet set;
  FolderSetInit(&set);
  for (int round = 0; round < 2; round++)
    for (int i = 0; i < count; i++)
      ASSERT_EQ(FolderSetAdd(&set, ("/ProgramFiles/Many/" + std::to_string(i)).c_str()), round == 0 ? 1 : 0)
          << i;
  EXPECT_EQ(set.Count, dword(count));
  EXPECT_GE(set.Capacity, 2u * count);
  EXPECT_EQ(set.Capacity & (set.Capacity - 1), 0u) << "a power of two";
  FolderSetDestroy(&set);
}

TEST_F(FolderWalkTest, WalkQueuesEachRealFolderOnceInOrder) {
  tFolderWalk walk;
  ASSERT_TRUE(FolderWalkInit(&walk));
  ASSERT_EQ(FolderSetAdd(&walk.Seen, "/ProgramFiles/C"), 1);  // kept out of the walk
  std::vector<std::pair<std::string, int>> adds = {
      {"/ProgramFiles", 1},        {"/ProgramFiles/toA", 1},      {"/ProgramFiles/A", 0},
      {"/ProgramFiles/C", 0},      {"/ProgramFiles/A/self", 0},   {"/ProgramFiles/toB", 1},
      {"/ProgramFiles/A/B/up", 0}, {"/ProgramFiles/Missing", -1}, {std::string(KALIB_PATH_MAX, 'x'), -1}};
  for (const auto &add : adds) EXPECT_EQ(FolderWalkAdd(&walk, add.first.c_str()), add.second) << add.first;
  std::vector<std::string> out;
  char folder[KALIB_PATH_MAX];
  while (FolderWalkNext(&walk, folder)) out.push_back(folder);
  EXPECT_EQ(out, (std::vector<std::string>{"/ProgramFiles", "/ProgramFiles/toA", "/ProgramFiles/toB"}));
  // Added while walking: reached by the same walk.
  EXPECT_EQ(FolderWalkAdd(&walk, "/mnt/hd/ProgramFiles/A/../C/.."), 0);
  makeFolder("/ProgramFiles/E");
  EXPECT_EQ(FolderWalkAdd(&walk, "/ProgramFiles/E"), 1);
  ASSERT_TRUE(FolderWalkNext(&walk, folder));
  EXPECT_STREQ(folder, "/ProgramFiles/E");
  EXPECT_FALSE(FolderWalkNext(&walk, folder));
  FolderWalkDestroy(&walk);
  EXPECT_EQ(walk.Queue, nullptr);
  EXPECT_FALSE(FolderWalkNext(&walk, folder));
  EXPECT_FALSE(FolderWalkInit(nullptr));
  EXPECT_EQ(FolderWalkAdd(nullptr, "/ProgramFiles"), -1);
}

}  // namespace
