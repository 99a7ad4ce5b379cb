// DiskApiTest.cpp - the TAP API's disk operations, called by the test program acting as a TAP
// whose current directory is "/ProgramFiles".
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "HostTree.h"
#include "SimFixture.h"

namespace {

class DiskApiTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    slot = adoptTestProgram();
    ASSERT_GE(slot, 0);
  }
  std::string dir() const { return sim->task(slot).dir->path; }

  // Names listed by FindFirst/FindNext with the filter, as "name/" for folders.
  std::vector<std::string> list(const char *filter, dword *count = nullptr) {
    std::vector<std::string> names;
    TYPE_FolderEntry entry;
    dword n = TAP_Hdd_FindFirst(&entry, filter);
    if (count) *count = n;
    for (dword i = 0; i < n; ++i) {
      names.push_back(std::string(entry.name) + (entry.attr == ATTR_FOLDER ? "/" : ""));
      EXPECT_TRUE(entry.attr == ATTR_FOLDER || entry.attr == ATTR_NORMAL);
      if (TAP_Hdd_FindNext(&entry) == 0) break;
    }
    return names;
  }

  int slot = -1;
};

TEST_F(DiskApiTest, ChangeDirFollowsAbsoluteRelativeDotAndDotDot) {
  makeFolder("/ProgramFiles/Settings/Vantero");
  EXPECT_EQ(dir(), "/mnt/hd/ProgramFiles");
  EXPECT_EQ(TAP_Hdd_ChangeDir("Settings"), 1u);
  EXPECT_EQ(dir(), "/mnt/hd/ProgramFiles/Settings");
  EXPECT_EQ(TAP_Hdd_ChangeDir("./Vantero/"), 1u);
  EXPECT_EQ(dir(), "/mnt/hd/ProgramFiles/Settings/Vantero");
  EXPECT_EQ(TAP_Hdd_ChangeDir("../.."), 1u);
  EXPECT_EQ(dir(), "/mnt/hd/ProgramFiles");
  EXPECT_EQ(TAP_Hdd_ChangeDir("/"), 1u);
  EXPECT_EQ(dir(), "/mnt/hd");
  EXPECT_EQ(TAP_Hdd_ChangeDir("/ProgramFiles/Settings"), 1u);
  EXPECT_EQ(sim->currentDir(slot), "/mnt/hd/ProgramFiles/Settings");
}

TEST_F(DiskApiTest, ChangeDirFailsWithoutChangingTheDirectory) {
  writeFile("/ProgramFiles/File.txt", "x");
  for (const char *bad : {"Missing", "File.txt", "", "/..", "../../etc", "/mnt/hd/ProgramFiles"}) {
    EXPECT_EQ(TAP_Hdd_ChangeDir(bad), 0u) << bad;
    EXPECT_EQ(dir(), "/mnt/hd/ProgramFiles") << bad;
  }
  EXPECT_EQ(TAP_Hdd_ChangeDir(nullptr), 0u);
}

class ChangeDirValueTest : public DiskApiTest {
  void configureOptions(pvrsim::Options &o) override { o.chdirSuccessValue = 0; }
};

TEST_F(ChangeDirValueTest, SuccessValueIsAnOption) {
  EXPECT_EQ(TAP_Hdd_ChangeDir("/ProgramFiles"), 0u);
  EXPECT_EQ(TAP_Hdd_ChangeDir("/ProgramFiles"), 0u);
  EXPECT_NE(TAP_Hdd_ChangeDir("/Nowhere"), 0u);
}

TEST_F(DiskApiTest, CreateExistAndDelete) {
  EXPECT_EQ(TAP_Hdd_Create("Folder", ATTR_FOLDER), 0);
  EXPECT_TRUE(std::filesystem::is_directory(disk("/ProgramFiles/Folder")));
  EXPECT_EQ(TAP_Hdd_Create("Folder", ATTR_FOLDER), 0);  // already there
  EXPECT_EQ(TAP_Hdd_Create("/ProgramFiles/Folder/Empty.txt", ATTR_NORMAL), 0);
  EXPECT_EQ(readFile("/ProgramFiles/Folder/Empty.txt"), "");
  EXPECT_TRUE(TAP_Hdd_Exist("Folder"));
  EXPECT_TRUE(TAP_Hdd_Exist("Folder/Empty.txt"));
  EXPECT_FALSE(TAP_Hdd_Exist("Nothing"));
  EXPECT_FALSE(TAP_Hdd_Exist(""));
  EXPECT_FALSE(TAP_Hdd_Exist(nullptr));

  // An existing file keeps its content; a file is no folder and the other way round.
  writeFile("/ProgramFiles/Keep.txt", "content");
  EXPECT_EQ(TAP_Hdd_Create("Keep.txt", ATTR_NORMAL), 0);
  EXPECT_EQ(readFile("/ProgramFiles/Keep.txt"), "content");
  EXPECT_NE(TAP_Hdd_Create("Keep.txt", ATTR_FOLDER), 0);
  EXPECT_NE(TAP_Hdd_Create("Folder", ATTR_NORMAL), 0);
  EXPECT_NE(TAP_Hdd_Create("Missing/Sub", ATTR_FOLDER), 0);
  EXPECT_NE(TAP_Hdd_Create("Other", 0x12), 0);

  EXPECT_NE(TAP_Hdd_Delete("Folder"), 0);  // not empty
  EXPECT_EQ(TAP_Hdd_Delete("Folder/Empty.txt"), 0);
  EXPECT_EQ(TAP_Hdd_Delete("Folder"), 0);
  EXPECT_FALSE(exists("/ProgramFiles/Folder"));
  EXPECT_NE(TAP_Hdd_Delete("Folder"), 0);
  EXPECT_NE(TAP_Hdd_Delete("/"), 0);
  EXPECT_NE(TAP_Hdd_Delete("../.."), 0);
}

TEST_F(DiskApiTest, FileReadWriteAndLength) {
  writeFile("/ProgramFiles/Data.bin", "0123456789");
  TYPE_File *file = TAP_Hdd_Fopen("Data.bin");
  ASSERT_NE(file, nullptr);
  EXPECT_STREQ(file->name, "Data.bin");
  EXPECT_EQ(file->size, 10);
  auto *object = static_cast<TYPE_FileObject *>(file->handle);
  EXPECT_EQ(object->magic, TAP_FILE_OBJECT_MAGIC);
  EXPECT_STREQ(object->path, "/mnt/hd/ProgramFiles/Data.bin");

  char buffer[16] = {};
  EXPECT_EQ(TAP_Hdd_Fread(buffer, 2, 2, file), 2u);  // position 0: "0123"
  EXPECT_STREQ(buffer, "0123");
  EXPECT_EQ(TAP_Hdd_Fwrite("AB", 1, 2, file), 2u);   // at position 4
  EXPECT_EQ(TAP_Hdd_Fread(buffer, 4, 3, file), 1u);  // "6789" is one whole block of 4
  EXPECT_EQ(TAP_Hdd_Fwrite("XYZ", 3, 1, file), 1u);  // grows the file
  EXPECT_EQ(TAP_Hdd_Flen(file), 13u);
  EXPECT_EQ(file->size, 13);
  TAP_Hdd_Fclose(file);
  EXPECT_EQ(readFile("/ProgramFiles/Data.bin"), "0123AB6789XYZ");
  EXPECT_EQ(sim->bytesWritten(), 5u);
}

TEST_F(DiskApiTest, FopenNeedsAnExistingFile) {
  makeFolder("/ProgramFiles/Folder");
  EXPECT_EQ(TAP_Hdd_Fopen("Missing.bin"), nullptr);
  EXPECT_EQ(TAP_Hdd_Fopen("Folder"), nullptr);
  EXPECT_EQ(TAP_Hdd_Fopen(nullptr), nullptr);
  EXPECT_EQ(TAP_Hdd_Fopen("../../../etc/passwd"), nullptr);
  EXPECT_FALSE(exists("/ProgramFiles/Missing.bin"));
  EXPECT_EQ(TAP_Hdd_Fread(nullptr, 1, 1, nullptr), 0u);
  EXPECT_EQ(TAP_Hdd_Flen(nullptr), 0u);
  TAP_Hdd_Fclose(nullptr);
}

TEST_F(DiskApiTest, FindListsSortedFoldersAndMatchingFiles) {
  writeFile("/ProgramFiles/b.tap", "1");
  writeFile("/ProgramFiles/A.TAP", "22");
  writeFile("/ProgramFiles/readme.txt", "");
  writeFile("/ProgramFiles/mytap", "");
  writeFile("/ProgramFiles/.tap", "");
  makeFolder("/ProgramFiles/Settings");
  makeFolder("/ProgramFiles/AutoStart.tap.d");
  dword count = 0;
  EXPECT_THAT(list("tap", &count),
              ::testing::ElementsAre(".tap", "A.TAP", "AutoStart.tap.d/", "Settings/", "b.tap"));
  EXPECT_EQ(count, 5u);
  EXPECT_THAT(list(nullptr), ::testing::ElementsAre(".tap", "A.TAP", "AutoStart.tap.d/", "Settings/", "b.tap",
                                                    "mytap", "readme.txt"));
  EXPECT_EQ(list("").size(), 7u);

  TYPE_FolderEntry entry;
  ASSERT_EQ(TAP_Hdd_FindFirst(&entry, "tap"), 5u);
  EXPECT_EQ(entry.size, 0);
  for (int i = 0; i < 4; ++i) EXPECT_NE(TAP_Hdd_FindNext(&entry), 0u);
  EXPECT_STREQ(entry.name, "b.tap");
  EXPECT_EQ(entry.size, 1);
  EXPECT_EQ(TAP_Hdd_FindNext(&entry), 0u);
}

TEST_F(DiskApiTest, FindInAnEmptyFolder) {
  makeFolder("/Empty");
  ASSERT_EQ(TAP_Hdd_ChangeDir("/Empty"), 1u);
  TYPE_FolderEntry entry;
  std::memset(&entry, 0x5A, sizeof entry);
  EXPECT_EQ(TAP_Hdd_FindFirst(&entry, "tap"), 0u);
  EXPECT_EQ(TAP_Hdd_FindNext(&entry), 0u);
  EXPECT_EQ(entry.attr, 0x5A5A5A5Au);  // untouched
}

// ---- links on the disk ----

TEST_F(DiskApiTest, LinksLeadWithinTheDiskOnly) {
  std::string outside = root + "/outside";
  host_tree::makeLink(outside + "/dir", disk("/ProgramFiles/out_dir"));
  host_tree::makeLink(outside + "/secret.tap", disk("/ProgramFiles/out.tap"));
  host_tree::makeLink("/mnt/hd/ProgramFiles/In", disk("/ProgramFiles/in_link"));
  writeFile("/ProgramFiles/In/inner.tap", "in");
  std::filesystem::create_directories(outside + "/dir");
  std::ofstream(outside + "/secret.tap") << "host";
  std::ofstream(outside + "/dir/file.tap") << "host";
  std::ofstream(root + "/host.tap") << "host";
  host_tree::Tree before = host_tree::record(outside);

  // What a link out of the disk is for each operation: nothing.
  EXPECT_NE(TAP_Hdd_ChangeDir("out_dir"), 1u);
  EXPECT_FALSE(TAP_Hdd_Exist("out.tap"));
  EXPECT_FALSE(TAP_Hdd_Exist("out_dir/file.tap"));
  EXPECT_EQ(TAP_Hdd_Fopen("out.tap"), nullptr);
  EXPECT_NE(TAP_Hdd_Create("out_dir/new.tap", ATTR_NORMAL), 0);
  EXPECT_NE(TAP_Hdd_Create("out_dir/New", ATTR_FOLDER), 0);
  EXPECT_NE(TAP_Hdd_Delete("out_dir/file.tap"), 0);
  EXPECT_FALSE(sim->copyToDisk(root + "/host.tap", "/ProgramFiles/out_dir/copied.tap"));
  EXPECT_EQ(sim->startTap("/ProgramFiles/out.tap"), -1);
  EXPECT_EQ(sim->lastError(), "/ProgramFiles/out.tap: no such file on the disk");
  EXPECT_EQ(host_tree::record(outside), before);

  // Links within the disk are followed; the current folder keeps the name used.
  EXPECT_THAT(list("tap"), ::testing::ElementsAre("In/", "in_link/"));
  EXPECT_EQ(TAP_Hdd_ChangeDir("in_link"), 1u);
  EXPECT_EQ(dir(), "/mnt/hd/ProgramFiles/in_link");
  EXPECT_THAT(list("tap"), ::testing::ElementsAre("inner.tap"));
  TYPE_File *file = TAP_Hdd_Fopen("inner.tap");
  ASSERT_NE(file, nullptr);
  TAP_Hdd_Fclose(file);

  // Deleting a link removes the link, never what it leads to.
  EXPECT_EQ(TAP_Hdd_Delete("/ProgramFiles/out_dir"), 0);
  EXPECT_EQ(TAP_Hdd_Delete("/ProgramFiles/in_link"), 0);
  EXPECT_TRUE(exists("/ProgramFiles/In/inner.tap"));
  EXPECT_EQ(host_tree::record(outside), before);
}

// ---- disk faults and the strict API ----

class DiskFaultTest : public DiskApiTest {
 protected:
  // A new run on the same disk with one option changed, the test program
  // again the TAP in "/ProgramFiles".
  void restart(void (*change)(pvrsim::Options &)) {
    change(options);
    restartSim();
    slot = adoptTestProgram();
    ASSERT_GE(slot, 0);
  }
  // Writes "0123456789" in one block and in single bytes; returns the
  // blocks each write reported and what the file holds afterwards.
  std::string writeTen(dword &wholeBlock, dword &singleBytes) {
    writeFile("/ProgramFiles/Ten.bin", "");
    TYPE_File *file = TAP_Hdd_Fopen("Ten.bin");
    EXPECT_NE(file, nullptr);
    wholeBlock = TAP_Hdd_Fwrite("01234", 5, 1, file);
    singleBytes = TAP_Hdd_Fwrite("56789", 1, 5, file);
    TAP_Hdd_Fclose(file);
    return readFile("/ProgramFiles/Ten.bin");
  }
};

TEST_F(DiskFaultTest, FullAndLyingDisks) {
  struct Row {
    const char *what;
    void (*change)(pvrsim::Options &);
    dword wholeBlock, singleBytes;
    const char *stored;
  } rows[] = {
      {"healthy", [](pvrsim::Options &) {}, 1, 5, "0123456789"},
      {"full after 7", [](pvrsim::Options &o) { o.diskFullAfterBytes = 7; }, 1, 2, "0123456"},
      {"full after 3", [](pvrsim::Options &o) { o.diskFullAfterBytes = 3; }, 0, 0, "012"},
      {"full at once", [](pvrsim::Options &o) { o.diskFullAfterBytes = 0; }, 0, 0, ""},
      {"loses after 7", [](pvrsim::Options &o) { o.lostWritesAfterBytes = 7; }, 1, 5, "0123456"},
      {"loses at once", [](pvrsim::Options &o) { o.lostWritesAfterBytes = 0; }, 1, 5, ""},
  };
  for (const Row &row : rows) {
    restart([](pvrsim::Options &o) {
      o.diskFullAfterBytes.reset();
      o.lostWritesAfterBytes.reset();
    });
    restart(row.change);
    dword whole = 99, single = 99;
    EXPECT_EQ(writeTen(whole, single), row.stored) << row.what;
    EXPECT_EQ(whole, row.wholeBlock) << row.what;
    EXPECT_EQ(single, row.singleBytes) << row.what;
  }
}

TEST_F(DiskFaultTest, StrictApiPromisesNoMore) {
  writeFile("/ProgramFiles/a.tap", "1");
  writeFile("/ProgramFiles/b.tap", "2");
  writeFile("/ProgramFiles/c.tap", "3");
  restart([](pvrsim::Options &o) { o.strictApi = true; });
  // FindNext's result means nothing, but it still walks the listing.
  TYPE_FolderEntry entry;
  ASSERT_EQ(TAP_Hdd_FindFirst(&entry, "tap"), 3u);
  std::vector<std::string> names = {entry.name};
  std::vector<dword> results;
  for (int i = 0; i < 3; i++) {
    results.push_back(TAP_Hdd_FindNext(&entry));
    names.push_back(entry.name);
  }
  EXPECT_THAT(names, ::testing::ElementsAre("a.tap", "b.tap", "c.tap", "c.tap"));
  EXPECT_THAT(results, ::testing::ElementsAre(0u, 1u, 0u));
  // Flen is the length at open, whatever was written since.
  TYPE_File *file = TAP_Hdd_Fopen("a.tap");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(TAP_Hdd_Fwrite("more", 1, 4, file), 4u);
  EXPECT_EQ(TAP_Hdd_Flen(file), 1u);
  TAP_Hdd_Fclose(file);
  EXPECT_EQ(readFile("/ProgramFiles/a.tap"), "more");
}

// ---- power cut ----

class PowerCutBytesTest : public DiskApiTest {
  void configureOptions(pvrsim::Options &o) override { o.powerCutAfterBytes = 6; }
};

TEST_F(PowerCutBytesTest, RunEndsInTheWriteThatCrossesTheLimit) {
  writeFile("/ProgramFiles/Log.txt", "");
  EXPECT_EXIT(
      {
        TYPE_File *file = TAP_Hdd_Fopen("Log.txt");
        TAP_Hdd_Fwrite("1234", 1, 4, file);
        TAP_Hdd_Fwrite("5678", 1, 4, file);
        std::exit(0);  // not reached
      },
      ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "power cut at tick 0 after 6 bytes written");
  EXPECT_EQ(readFile("/ProgramFiles/Log.txt"), "123456");
}

class PowerCutTickTest : public DiskApiTest {
  void configureOptions(pvrsim::Options &o) override { o.powerCutAtTick = 50; }
};

TEST_F(PowerCutTickTest, RunEndsAfterTheTick) {
  sim->runTicks(50);
  EXPECT_EQ(sim->now(), 50u);
  EXPECT_EXIT(sim->tick(), ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "power cut at tick 50");
  EXPECT_EXIT(TAP_Delay(1000), ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus),
              "power cut at tick 50");
}

}  // namespace
