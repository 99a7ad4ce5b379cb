// MappedTapFileTest.cpp - a running TAP's file may be read, rewritten, truncated or replaced through
// every write path of the box without touching the running code (pvrsim
// maps TAP files where they lie and gives a written one a fresh file).
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

#include <gmock/gmock.h>

#include "ProbeTap.h"
#include "SimFixture.h"
#include "box/Box.h"

namespace {

namespace fs = std::filesystem;

class MappedTapFileTest : public SimFixture {
 protected:
  ProbeState *probe(int slot) { return static_cast<ProbeState *>(dlsym(sim->tapHandle(slot), "probeState")); }

  // The start of the file as the loaded code sees it: the ELF header the
  // loader mapped from file offset 0.
  std::string mappedHeader(int slot) {
    Dl_info info{};
    if (dladdr(probe(slot), &info) == 0 || info.dli_fbase == nullptr) return "";
    return std::string(static_cast<const char *>(info.dli_fbase), 64);
  }

  ino_t inodeOf(const std::string &boxPath) {
    struct stat st {};
    return ::stat(disk(boxPath).c_str(), &st) == 0 ? st.st_ino : 0;
  }

  // The probe's idle count goes on rising: its code still runs.
  void expectStillRunning(int slot) {
    int before = probe(slot)->idleEvents;
    sim->tick();
    EXPECT_EQ(probe(slot)->idleEvents, before + 1);
  }
};

struct WriteWay {
  const char *name;
  std::function<void(const std::string &boxFile, const std::string &junk)> write;
  std::function<std::string(const std::string &before, const std::string &junk)> expected;
};

std::string overwritten(const std::string &before, const std::string &junk) {
  return junk + before.substr(junk.size());
}
std::string appended(const std::string &before, const std::string &junk) { return before + junk; }
std::string replaced(const std::string &, const std::string &junk) { return junk; }

void writeStream(const std::string &linuxPath, const char *mode, const std::string &junk) {
  FILE *f = std::fopen(linuxPath.c_str(), mode);
  ASSERT_NE(f, nullptr) << mode;
  EXPECT_EQ(std::fwrite(junk.data(), 1, junk.size(), f), junk.size());
  std::fclose(f);
}

void writeDescriptor(const std::string &linuxPath, int flags, const std::string &junk) {
  int fd = ::open(linuxPath.c_str(), flags);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::write(fd, junk.data(), junk.size()), static_cast<ssize_t>(junk.size()));
  ::close(fd);
}

const std::vector<WriteWay> &writeWays() {
  static const std::vector<WriteWay> ways = {
      {"TAP_Hdd_Fwrite",
       [](const std::string &boxFile, const std::string &junk) {
         TYPE_File *file = TAP_Hdd_Fopen(boxFile.c_str());
         ASSERT_NE(file, nullptr);
         EXPECT_EQ(TAP_Hdd_Fwrite(junk.data(), junk.size(), 1, file), 1u);
         TAP_Hdd_Fclose(file);
       },
       overwritten},
      {"fopen r+", [](const std::string &f, const std::string &j) { writeStream("/mnt/hd" + f, "r+", j); },
       overwritten},
      {"fopen a", [](const std::string &f, const std::string &j) { writeStream("/mnt/hd" + f, "a", j); },
       appended},
      {"fopen w", [](const std::string &f, const std::string &j) { writeStream("/mnt/hd" + f, "w", j); },
       replaced},
      {"open O_WRONLY",
       [](const std::string &f, const std::string &j) { writeDescriptor("/mnt/hd" + f, O_WRONLY, j); },
       overwritten},
      {"open O_TRUNC",
       [](const std::string &f, const std::string &j) {
         writeDescriptor("/mnt/hd" + f, O_WRONLY | O_TRUNC, j);
       },
       replaced},
      {"shell >",
       [](const std::string &f, const std::string &j) {
         EXPECT_EQ(pvrsim::box::runShell("echo -n " + j + " > /mnt/hd" + f), 0);
       },
       replaced},
      {"shell >>",
       [](const std::string &f, const std::string &j) {
         EXPECT_EQ(pvrsim::box::runShell("echo -n " + j + " >> /mnt/hd" + f), 0);
       },
       appended},
  };
  return ways;
}

TEST_F(MappedTapFileTest, WritesToARunningTapsFileLeaveItsCodeAlone) {
  int n = 0;
  for (const WriteWay &way : writeWays()) {
    SCOPED_TRACE(way.name);
    std::string boxFile = "/ProgramFiles/Probe" + std::to_string(++n) + ".tap";
    int slot = startTap(TAP_pvrsim_probe_resident, boxFile);
    ASSERT_GE(slot, 0);
    std::string before = readFile(boxFile);
    ASSERT_EQ(mappedHeader(slot), before.substr(0, 64));
    fs::perms mode = fs::status(disk(boxFile)).permissions();

    const std::string junk = "JUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNKJUNK";
    way.write(boxFile, junk);

    EXPECT_EQ(readFile(boxFile), way.expected(before, junk));
    EXPECT_EQ(mappedHeader(slot), before.substr(0, 64));  // the code's file did not change
    EXPECT_EQ(fs::status(disk(boxFile)).permissions(), mode);
    expectStillRunning(slot);
  }
  EXPECT_EQ(sim->tapCount(), n);
  // No temporary file of the separation is left.
  for (const auto &entry : fs::directory_iterator(disk("/ProgramFiles")))
    EXPECT_THAT(entry.path().filename().string(), ::testing::MatchesRegex("Probe[0-9]+\\.tap"));
}

TEST_F(MappedTapFileTest, TheFreshFileKeepsModeAndTimesOfTheOld) {
  int slot = startTap(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap");
  ASSERT_GE(slot, 0);
  ASSERT_EQ(::chmod(disk("/ProgramFiles/Probe.tap").c_str(), 0751), 0);
  struct stat before {};
  ASSERT_EQ(::stat(disk("/ProgramFiles/Probe.tap").c_str(), &before), 0);
  EXPECT_TRUE(pvrsim::box::separateBeforeWrite(disk("/ProgramFiles/Probe.tap"), true));
  struct stat after {};
  ASSERT_EQ(::stat(disk("/ProgramFiles/Probe.tap").c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_mtime, before.st_mtime);
  EXPECT_EQ(after.st_size, before.st_size);
  // The fresh file is not mapped: a second write goes to it directly.
  EXPECT_TRUE(pvrsim::box::separateBeforeWrite(disk("/ProgramFiles/Probe.tap"), true));
  EXPECT_EQ(inodeOf("/ProgramFiles/Probe.tap"), after.st_ino);
}

TEST_F(MappedTapFileTest, ReadingARunningTapsFileCopiesNothingUntilItIsWritten) {
  int slot = startTap(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap");
  ASSERT_GE(slot, 0);
  std::string before = readFile("/ProgramFiles/Probe.tap");
  ino_t inode = inodeOf("/ProgramFiles/Probe.tap");

  TYPE_File *file = TAP_Hdd_Fopen("/ProgramFiles/Probe.tap");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->size, before.size());
  char head[100];
  ASSERT_EQ(TAP_Hdd_Fread(head, sizeof head, 1, file), 1u);
  EXPECT_EQ(std::string(head, sizeof head), before.substr(0, sizeof head));
  EXPECT_EQ(inodeOf("/ProgramFiles/Probe.tap"), inode);

  // The first write moves the open file to a fresh copy, at the same position.
  ASSERT_EQ(TAP_Hdd_Fwrite("ABCD", 4, 1, file), 1u);
  EXPECT_EQ(TAP_Hdd_Flen(file), before.size());
  ASSERT_EQ(TAP_Hdd_Fwrite("EF", 2, 1, file), 1u);
  TAP_Hdd_Fclose(file);
  EXPECT_NE(inodeOf("/ProgramFiles/Probe.tap"), inode);
  std::string expected = before;
  expected.replace(sizeof head, 6, "ABCDEF");
  EXPECT_EQ(readFile("/ProgramFiles/Probe.tap"), expected);
  EXPECT_EQ(mappedHeader(slot), before.substr(0, 64));
  expectStillRunning(slot);
}

TEST_F(MappedTapFileTest, OpensThatCannotChangeTheFileCopyNothing) {
  int slot = startTap(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap");
  ASSERT_GE(slot, 0);
  ino_t inode = inodeOf("/ProgramFiles/Probe.tap");
  const std::string linuxPath = "/mnt/hd/ProgramFiles/Probe.tap";
  int fd = ::open(linuxPath.c_str(), O_RDONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644), -1);
  EXPECT_EQ(errno, EEXIST);
  FILE *stream = std::fopen(linuxPath.c_str(), "r");
  ASSERT_NE(stream, nullptr);
  std::fclose(stream);
  EXPECT_EQ(inodeOf("/ProgramFiles/Probe.tap"), inode);
}

TEST_F(MappedTapFileTest, AnEndedTapsFileIsWrittenInPlace) {
  int slot = startTap(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap");
  ASSERT_GE(slot, 0);
  sim->scheduleKey(sim->now() + 1, RKEY_Exit);
  sim->runUntilNoTap(10);
  ASSERT_EQ(sim->tapCount(), 0);
  ino_t inode = inodeOf("/ProgramFiles/Probe.tap");
  writeStream("/mnt/hd/ProgramFiles/Probe.tap", "r+", "JUNK");
  EXPECT_EQ(inodeOf("/ProgramFiles/Probe.tap"), inode);
  EXPECT_EQ(readFile("/ProgramFiles/Probe.tap").substr(0, 4), "JUNK");
}

TEST_F(MappedTapFileTest, AFileReplacedWhileItsTapRunsStartsTheNewCode) {
  int old = startTap(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap");
  ASSERT_GE(old, 0);
  ASSERT_TRUE(sim->copyToDisk(TAP_pvrsim_probe_files, "/ProgramFiles/Probe.tap"));
  int fresh = sim->startTap("/ProgramFiles/Probe.tap");
  ASSERT_GE(fresh, 0) << sim->lastError();
  EXPECT_NE(sim->tapHandle(fresh), sim->tapHandle(old));
  EXPECT_EQ(readFile("/ProgramFiles/ProbeData/hello.txt"), PROBE_HELLO);  // the files probe's TAP_Main ran
  expectStillRunning(old);
}

}  // namespace
