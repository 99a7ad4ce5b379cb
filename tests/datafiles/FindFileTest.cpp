// FindFileTest.cpp - where FindFile looks for a package's file, in which
// order, and that links on the disk neither make it loop nor enter a folder
// twice.
#include <list>

#include "Packages.h"

namespace datafiles {
namespace {

class FindFileTest : public DataFilesSim {
 protected:
  void SetUp() override {
    DataFilesSim::SetUp();
    writeFile("/ProgramFiles/Data/a.dat", "default");
    writeFile("/ProgramFiles/X/Y/a.dat", "deeper");
    writeFile("/ProgramFiles/Other/c.dat", "first level");
    writeFile("/ProgramFiles/Sub/Deeper/c.dat", "second level");
    writeFile(SettingsDir + "/d.dat", "in the manager's folder");
    putTap("/ProgramFiles/Top.tap", 0x100);
    putTap("/ProgramFiles/AutoStart/Auto.tap", 0x200);
    putTap("/ProgramFiles/AutoStart/Top.tap", 0x100);
    putTap("/ProgramFiles/Sub/Deep.tap", 0x300);
    writeFile("/ProgramFiles/Sub/Broken.tap", "not a TAP");
  }
  void TearDown() override {
    for (auto &f : files_) {
      StringClear(&f.FileName);
      StringClear(&f.DefaultPath);
      StringClear(&f.CurrentName);
      StringClear(&f.CurrentPath);
    }
    DataFilesSim::TearDown();
  }
  tVPDFiles &file(const char *name, const char *defaultPath, dword tapId) {
    files_.emplace_back();
    tVPDFiles &f = files_.back();
    memset(&f, 0, sizeof f);
    StringSet(&f.FileName, name);
    StringSet(&f.DefaultPath, defaultPath);
    f.TAPID = tapId;
    return f;
  }

 private:
  std::list<tVPDFiles> files_;
};

TEST_F(FindFileTest, DefaultFolderThenTapsByIdThenBreadthFirstBelowProgramFiles) {
  struct Case {
    const char *name, *defaultPath;
    dword tapId;
    const char *currentPath, *currentName;  // null: not found
  } cases[] = {
      {"a.dat", "/mnt/hd/ProgramFiles/Data", 0, "/mnt/hd/ProgramFiles/Data", "a.dat"},
      {"a.dat", "/mnt/hd/ProgramFiles/X/Y", 0, "/mnt/hd/ProgramFiles/X/Y", "a.dat"},
      {"a.dat", "/mnt/hd/ProgramFiles/Gone", 0, "/mnt/hd/ProgramFiles/Data", "a.dat"},
      {"c.dat", nullptr, 0, "/mnt/hd/ProgramFiles/Other", "c.dat"},
      {"d.dat", "/mnt/hd/ProgramFiles", 0, nullptr, nullptr},  // the settings folder is not searched
      {"Top.tap", "/mnt/hd/ProgramFiles/AutoStart", 0x100, "/mnt/hd/ProgramFiles/AutoStart", "Top.tap"},
      {"Renamed.tap", "/mnt/hd/ProgramFiles/Gone", 0x100, "/mnt/hd/ProgramFiles", "Top.tap"},
      {"Renamed.tap", nullptr, 0x200, "/mnt/hd/ProgramFiles/AutoStart", "Auto.tap"},
      {"Renamed.tap", nullptr, 0x300, "/mnt/hd/ProgramFiles/Sub", "Deep.tap"},
      {"Renamed.dat", nullptr, 0x300, nullptr, nullptr},  // only TAP files are matched by ID
      {"Renamed.tap", nullptr, 0x999, nullptr, nullptr},
  };
  for (const Case &c : cases) {
    tVPDFiles &f = file(c.name, c.defaultPath, c.tapId);
    StringSet(&f.CurrentPath, "stale");
    EXPECT_EQ(c.currentPath != nullptr, FindFile(&f, false)) << c.name << " in " << Text(c.defaultPath);
    EXPECT_EQ(Text(c.currentPath), Text(f.CurrentPath)) << c.name << " in " << Text(c.defaultPath);
    EXPECT_EQ(Text(c.currentName), Text(f.CurrentName)) << c.name << " in " << Text(c.defaultPath);
  }
}

TEST_F(FindFileTest, IncrementalSearchKeepsTheLastPlaceWhenNothingIsFound) {
  tVPDFiles &f = file("Missing.dat", nullptr, 0);
  StringSet(&f.CurrentPath, "/mnt/hd/ProgramFiles/Earlier");
  StringSet(&f.CurrentName, "Earlier.dat");
  EXPECT_FALSE(FindFile(&f, true));
  EXPECT_EQ(Text("/mnt/hd/ProgramFiles/Earlier"), Text(f.CurrentPath));
  EXPECT_EQ(Text("Earlier.dat"), Text(f.CurrentName));
  EXPECT_FALSE(FindFile(&f, false));
  EXPECT_EQ(Text(nullptr), Text(f.CurrentPath));
  EXPECT_EQ(Text(nullptr), Text(f.CurrentName));
}

TEST_F(FindFileTest, LinksToFoldersAreFollowedOnceAndLoopsEnd) {
  fs::create_directory_symlink("..", disk("/ProgramFiles/Sub/Deeper/up"));
  fs::create_directory_symlink("../..", disk("/ProgramFiles/X/Y/loop"));
  fs::create_directory_symlink("Sub", disk("/ProgramFiles/Alias"));
  writeFile("/Outside/e.dat", "outside");
  fs::create_directory_symlink("../Outside", disk("/ProgramFiles/Z"));

  tVPDFiles &missing = file("Missing.dat", nullptr, 0);
  EXPECT_FALSE(FindFile(&missing, false));
  tVPDFiles &deep = file("Deep.tap", nullptr, 0);
  ASSERT_TRUE(FindFile(&deep, false));
  EXPECT_EQ(Text("/mnt/hd/ProgramFiles/Alias"), Text(deep.CurrentPath)) << "the first name reached counts";
  tVPDFiles &outside = file("e.dat", nullptr, 0);
  ASSERT_TRUE(FindFile(&outside, false));
  EXPECT_EQ(Text("/mnt/hd/ProgramFiles/Z"), Text(outside.CurrentPath));

  // The manager's folder is left out with its subfolders, whatever link leads there.
  writeFile(SettingsDir + "/Cache/f.dat", "below the manager's folder");
  fs::create_directory_symlink("Settings/Vantero/Cache", disk("/ProgramFiles/Cached"));
  tVPDFiles &below = file("f.dat", nullptr, 0);
  EXPECT_FALSE(FindFile(&below, false)) << Text(below.CurrentPath);
}

}  // namespace
}  // namespace datafiles
