// FileJournalTest.cpp - a set of four file changes (two replaced, one new, one removed) committed through
// the file journal and cut at every point: after the next start's recovery the folder holds the old set or
// the new one byte for byte, and nothing else (no staged, backup or journal file).
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "FileJournalFile.h"
#include "SimFixture.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::string kFolder = "/ProgramFiles/Pkg";
const std::string kJournal = kFolder + "/Pkg.journal";

// Each change: the file, its old content ("" = none), its new content ("" = removed).
struct Change {
  const char *name, *oldContent, *newContent;
};
const Change kChanges[] = {{"Pkg.tap", "old program", "the new program, longer than the old one"},
                           {"Pkg.ini", "old settings, longer than the new ones", "new settings"},
                           {"Help.txt", "", "a new help text"},
                           {"Obsolete.dat", "a file the new version drops", ""}};

std::string linuxPath(const std::string &boxPath) { return "/mnt/hd" + boxPath; }

Files setOf(bool newSet) {
  Files files;
  for (const Change &c : kChanges)
    if (*(newSet ? c.newContent : c.oldContent) != '\0') files[c.name] = newSet ? c.newContent : c.oldContent;
  return files;
}

// Plans the set, records it, stages the new files (written as the manager writes them) and commits; only
// plans and records it when stage is false.
bool commitSet(char *reason = nullptr, dword reasonSize = 0, bool stage = true) {
  tFileJournal j;
  EXPECT_TRUE(FileJournalBegin(&j, linuxPath(kJournal).c_str()));
  for (const Change &c : kChanges) {
    std::string target = linuxPath(kFolder + "/" + c.name);
    EXPECT_TRUE(FileJournalAdd(&j, target.c_str(), *c.newContent ? (target + ".new").c_str() : nullptr));
  }
  bool done = FileJournalSave(&j, reason, reasonSize) && stage && HDD_ChangeDir(linuxPath(kFolder).c_str());
  for (const Change &c : kChanges)
    if (done && *c.newContent)
      done = ReplaceWholeFile((std::string(c.name) + ".new").c_str(), c.newContent, strlen(c.newContent),
                              reason, reasonSize);
  done = done ? FileJournalCommit(&j, reason, reasonSize) : (FileJournalAbort(&j), false);
  FileJournalFree(&j);
  return done;
}

int recover() {
  char reason[160];
  return FileJournalRecover(linuxPath(kJournal).c_str(), reason, sizeof reason);
}

class FileJournalTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    adoptTestProgram();
    putOldSet();
  }
  void restart() {
    restartSim();
    adoptTestProgram();
  }
  void putOldSet() {
    fs::remove_all(disk(kFolder));
    makeFolder(kFolder);
    for (const auto &[name, content] : setOf(false)) writeFile(kFolder + "/" + name, content);
  }
  Files folder() const {
    Files files;
    for (const auto &entry : fs::directory_iterator(disk(kFolder)))
      files[entry.path().filename().string()] = readHostFile(entry.path().string());
    return files;
  }
  // Runs work in a child whose disk loses power after cut bytes; a run that ends first counts the same.
  void cutAfter(uint64_t cut, const std::function<void()> &work) {
    pid_t child = fork();
    if (child == 0) {
      options.powerCutAfterBytes = cut;
      restart();
      work();
      _exit(pvrsim::kPowerCutExitStatus);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == pvrsim::kPowerCutExitStatus) << "cut " << cut;
  }
  // After a start with recovery the folder holds one of the two sets and nothing else.
  void expectWholeSet(const std::string &when) {
    restart();
    recover();
    Files now = folder();
    EXPECT_TRUE(now == setOf(false) || now == setOf(true)) << when << ": " << describe(now);
  }
  static std::string describe(const Files &files) {
    std::string text;
    for (const auto &[name, content] : files) text += name + "=\"" + content + "\" ";
    return text;
  }
};

TEST_F(FileJournalTest, CommitPutsTheNewSetInPlaceAndLeavesNothingElse) {
  char reason[160] = "";
  EXPECT_TRUE(commitSet(reason, sizeof reason)) << reason;
  EXPECT_EQ(setOf(true), folder());
  EXPECT_EQ(FJR_Nothing, recover());
}

TEST_F(FileJournalTest, PowerCutAtAnyByteLeavesTheOldOrTheNewSet) {
  commitSet();
  const uint64_t total = sim->bytesWritten();
  for (uint64_t cut = 0; cut <= total + 1; cut += (cut + 7 > total ? 1 : 7)) {
    putOldSet();
    cutAfter(cut, [] { commitSet(); });
    // The recovery itself cut short, then run again.
    for (uint64_t recoveryCut : {0, 60}) cutAfter(recoveryCut, [] { recover(); });
    expectWholeSet("cut after " + std::to_string(cut) + " of " + std::to_string(total) + " bytes");
  }
}

// A swap stopped after each of its renames (the journal says the swap began) is finished on recovery.
TEST_F(FileJournalTest, SwapStoppedAfterAnyRenameIsFinished) {
  for (size_t renames = 0;; renames++) {
    putOldSet();
    tFileJournal j;
    FileJournalBegin(&j, linuxPath(kJournal).c_str());
    std::vector<std::pair<std::string, std::string>> moves;
    for (const Change &c : kChanges) {
      std::string target = linuxPath(kFolder + "/" + c.name), staged = *c.newContent ? target + ".new" : "";
      ASSERT_TRUE(FileJournalAdd(&j, target.c_str(), staged.c_str()));
      if (*c.newContent) writeFile(kFolder + "/" + c.name + ".new", c.newContent);
      if (*j.Steps[j.NrOfSteps - 1].Backup) moves.emplace_back(target, j.Steps[j.NrOfSteps - 1].Backup);
      if (*c.newContent) moves.emplace_back(staged, target);
    }
    j.Phase = FJP_Swapping;
    ASSERT_TRUE(FjSave(&j, nullptr));
    FileJournalFree(&j);
    for (size_t i = 0; i < renames && i < moves.size(); i++)
      ASSERT_EQ(0, rename(moves[i].first.c_str(), moves[i].second.c_str()));
    EXPECT_EQ(FJR_Completed, recover()) << renames;
    EXPECT_EQ(setOf(true), folder()) << renames << " renames";
    if (renames >= moves.size()) break;
  }
}

// A commit that fails on a full disk or on lost writes (the staging, the journal's phase writes) leaves the
// old set; one that succeeds leaves the new set; only a fault in the last phase write still succeeds.
TEST_F(FileJournalTest, FullDiskOrLostWritesLeaveTheOldSetUnlessCommitted) {
  commitSet();
  const uint64_t total = sim->bytesWritten();
  putOldSet();
  commitSet(nullptr, 0, false);
  const uint64_t journalSize = sim->bytesWritten() - total;
  for (bool full : {true, false})
    for (uint64_t fault = 0; fault < total; fault += 5) {
      putOldSet();
      (full ? options.diskFullAfterBytes : options.lostWritesAfterBytes) = fault;
      restart();
      bool committed = commitSet();
      EXPECT_EQ(committed ? setOf(true) : setOf(false), folder()) << full << " " << fault;
      EXPECT_EQ(committed, fault >= total - journalSize) << "fault after " << fault << " of " << total;
      options.diskFullAfterBytes.reset();
      options.lostWritesAfterBytes.reset();
    }
}

TEST_F(FileJournalTest, RenameFailingMidSwapPutsTheOldSetBack) {
  tFileJournal j;
  FileJournalBegin(&j, linuxPath(kJournal).c_str());
  writeFile(kFolder + "/A.new", "a");
  writeFile(kFolder + "/B.new", "b");
  ASSERT_TRUE(
      FileJournalAdd(&j, linuxPath(kFolder + "/Pkg.tap").c_str(), linuxPath(kFolder + "/A.new").c_str()));
  ASSERT_TRUE(FileJournalAdd(&j, linuxPath(kFolder + "/Obsolete.dat").c_str(), nullptr));
  // The last final name lies in a folder that does not exist: its rename fails after the others.
  ASSERT_TRUE(
      FileJournalAdd(&j, linuxPath(kFolder + "/No/B").c_str(), linuxPath(kFolder + "/B.new").c_str()));
  char reason[200] = "";
  EXPECT_FALSE(FileJournalCommit(&j, reason, sizeof reason));
  EXPECT_NE(nullptr, strstr(reason, "the old files are back")) << reason;
  EXPECT_EQ(setOf(false), folder());
  FileJournalFree(&j);
}

TEST_F(FileJournalTest, DamagedJournalIsSetAsideAndNothingTouched) {
  tFileJournal j;
  FileJournalBegin(&j, linuxPath(kJournal).c_str());
  FileJournalAdd(&j, linuxPath(kFolder + "/Pkg.tap").c_str(), linuxPath(kFolder + "/Pkg.tap.new").c_str());
  j.Phase = FJP_Swapping;
  ASSERT_TRUE(FjSave(&j, nullptr));
  FileJournalFree(&j);
  writeFile(kFolder + "/Pkg.tap.new", "staged");
  const std::string good = readFile(kJournal);
  const std::function<std::string(std::string)> damages[] = {
      [](std::string s) { return s.substr(0, s.size() / 2); },                          // cut short
      [](std::string s) { return s.substr(0, s.size() - 1); },                          // last byte missing
      [](std::string s) { return s.replace(20, 1, 1, static_cast<char>(s[20] ^ 1)); },  // a bit flipped
      [](std::string s) { return s.replace(4, 1, 1, '\2'); },                           // another version
      [](std::string s) { return s + "x"; },                                            // a byte too many
      [](std::string) { return std::string(); }};                                       // empty
  for (const auto &damage : damages) {
    writeFile(kJournal, damage(good));
    Files before = folder();
    restart();
    EXPECT_EQ(FJR_Damaged, recover());
    before[fs::path(kJournal).filename().string() + ".damaged"] =
        before[fs::path(kJournal).filename().string()];
    before.erase(fs::path(kJournal).filename().string());
    EXPECT_EQ(before, folder());
    fs::remove(disk(kJournal + ".damaged"));
  }
}

TEST_F(FileJournalTest, PlanningRefusesWhatCannotWork) {
  tFileJournal j;
  EXPECT_FALSE(FileJournalBegin(&j, "relative.journal"));
  ASSERT_TRUE(FileJournalBegin(&j, linuxPath(kJournal).c_str()));
  writeFile(kFolder + "/Pkg.tap" FILE_JOURNAL_BACKUP_SUFFIX, "a stray file under the backup name");
  const std::string tap = linuxPath(kFolder + "/Pkg.tap");
  EXPECT_TRUE(FileJournalAdd(&j, tap.c_str(), (tap + ".new").c_str()));
  EXPECT_EQ(tap + FILE_JOURNAL_BACKUP_SUFFIX "1", j.Steps[0].Backup) << "a stray file is never a backup";
  EXPECT_FALSE(FileJournalAdd(&j, tap.c_str(), nullptr)) << "the same final twice";
  EXPECT_FALSE(FileJournalAdd(&j, std::string(600, 'x').insert(0, "/").c_str(), nullptr)) << "too long";
  for (int i = 1; i < FILE_JOURNAL_MAX_STEPS; i++)
    EXPECT_TRUE(FileJournalAdd(&j, (tap + std::to_string(i)).c_str(), nullptr));
  EXPECT_FALSE(FileJournalAdd(&j, (tap + "x").c_str(), nullptr)) << "the set is full";
  FileJournalFree(&j);
}

}  // namespace
