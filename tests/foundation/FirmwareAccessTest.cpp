// FirmwareAccessTest.cpp - firmware symbol look-up, accessor caching, the task-table services, the
// start-parameter hand-over and the move out of an autostart folder.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

#include "FoundationFixture.h"
#include "firmware/ShellQuote.h"

using namespace foundation;
namespace box = pvrsim::box;

using AccessorTest = SimTest;

TEST_F(AccessorTest, CachesOnlySuccessfulLookups) {
  Start();
  box::resetLookupCounts();
  box::hideSymbol("_osdInfo");
  EXPECT_EQ(nullptr, FIS_vOsdMap());
  EXPECT_EQ(nullptr, FIS_vOsdMap());
  EXPECT_EQ(2, box::lookupCount("_osdInfo"));  // a failed look-up is repeated

  box::unhideAll();
  void *osdMap = FIS_vOsdMap();
  EXPECT_NE(nullptr, osdMap);
  EXPECT_EQ(osdMap, FIS_vOsdMap());
  EXPECT_EQ(osdMap, FIS_vOsdMap());
  EXPECT_EQ(3, box::lookupCount("_osdInfo"));  // and a found one is kept
}

TEST_F(AccessorTest, TryResolveFindsFirmwareSymbolsOnly) {
  Start();
  EXPECT_EQ(FIS_vTAPTable(), TryResolve("_tapTask"));
  EXPECT_NE(nullptr, TryResolve("_Z16Appl_ExecProgramPc"));
  EXPECT_EQ(nullptr, TryResolve("NoSuchFirmwareSymbol"));
  EXPECT_EQ(nullptr, TryResolve(nullptr));
}

TEST_F(AccessorTest, MacAddressIsAskedForOnce) {
  Start();
  box::resetLookupCounts();
  byte *mac = GetMacAddress();
  ASSERT_NE(nullptr, mac);
  EXPECT_EQ(0, memcmp(mac, options.macAddress, 6));
  EXPECT_EQ(mac, GetMacAddress());
  EXPECT_EQ(1, box::lookupCount("DevEeprom_GetMacAddr"));
}

TEST_F(AccessorTest, MissingMacFunctionGivesNull) {
  Start();
  box::hideSymbol("DevEeprom_GetMacAddr");
  EXPECT_EQ(nullptr, GetMacAddress());
}

TEST_F(AccessorTest, WrappersDoNothingWithoutTheFirmwareFunction) {
  Start();
  for (const char *name :
       {"_Z25ApplHdd_RestoreWorkFolderv", "_Z22ApplHdd_SaveWorkFolderv", "_Z20ApplHdd_SelectFolderPvPKc",
        "_Z21ApplHdd_SetWorkFolderPv", "_Z16Appl_ExecProgramPc"})
    box::hideSymbol(name);
  TYPE_HddFolder folder{};
  char program[] = "/mnt/hd/ProgramFiles/busybox";
  EXPECT_EQ(0u, ApplHdd_SaveWorkFolder());
  EXPECT_EQ(0u, ApplHdd_RestoreWorkFolder());
  EXPECT_EQ(0, ApplHdd_SelectFolder(&folder, "/ProgramFiles"));
  EXPECT_EQ(0u, folder.magic);  // untouched: nothing was forwarded
  EXPECT_EQ(0u, ApplHdd_SetWorkFolder(&folder));
  EXPECT_EQ(0u, Appl_ExecProgram(program));
}

TEST_F(AccessorTest, WrappersForwardTheFirmwareResult) {
  Start();
  TYPE_HddFolder folder{};
  EXPECT_NE(0, ApplHdd_SelectFolder(&folder, "NoSuchFolder"));  // the firmware's failure, not the wrapper's 0
}

TEST_F(AccessorTest, PvrTimeToLinuxUsesTheFirmwareOrFallsBack) {
  Start();
  dword now = Now(nullptr);
  dword linuxTime = PvrTimeToLinux(now);
  // 2015-12-29 13:05 local time lies within a day of 13:05 UTC.
  EXPECT_NEAR(1451394300.0, (double)linuxTime, 86400.0);
  box::hideSymbol("PvrTimeToLinux");
  EXPECT_EQ(linuxTime, PvrTimeToLinux(now));  // cached before the symbol went away
}

TEST_F(AccessorTest, PvrTimeToLinuxFallback) {
  Start();
  box::hideSymbol("PvrTimeToLinux");
  EXPECT_EQ(0xFE00u, PvrTimeToLinux(Now(nullptr)));
}

using TaskTableTest = SimTest;

TEST_F(TaskTableTest, CurrentDirInTapNotation) {
  int slot = Adopt("/ProgramFiles/AutoStart");
  char dir[KALIB_PATH_MAX] = "?";
  EXPECT_EQ(0, HDD_TAP_GetCurrentDir(dir));
  EXPECT_STREQ("/ProgramFiles/AutoStart", dir);
  EXPECT_EQ(slot, TAP_TableIndex);
  EXPECT_EQ(0, HDD_TAP_GetCurrentDir(nullptr));
}

TEST_F(TaskTableTest, TableIndexIsKeptOnceKnown) {
  int slot = Adopt("/ProgramFiles");
  ASSERT_EQ(-1, TAP_TableIndex);
  EXPECT_EQ("/ProgramFiles", currentDir());
  dword *cur = (dword *)FIS_vCurTapTask();
  *cur = (slot + 1) % TAP_MAX_TASKS;
  EXPECT_EQ("/ProgramFiles", currentDir());
  EXPECT_EQ(slot, TAP_TableIndex);
  *cur = slot;
}

TEST_F(TaskTableTest, CurrentDirWithoutCurrentTaskVariable) {
  Adopt("/ProgramFiles");
  pvrsim::box::hideSymbol("_curTapTask");
  char dir[KALIB_PATH_MAX] = "keep";
  EXPECT_EQ(-3, HDD_TAP_GetCurrentDir(dir));
  EXPECT_STREQ("keep", dir);  // not touched without the index
  EXPECT_EQ(-1, TAP_TableIndex);
  EXPECT_EQ(0, NoAutoStartTAP());
}

TEST_F(TaskTableTest, CurrentDirWithoutTaskTable) {
  Adopt("/ProgramFiles");
  pvrsim::box::hideSymbol("_tapTask");
  char dir[KALIB_PATH_MAX] = "keep";
  EXPECT_EQ(-3, HDD_TAP_GetCurrentDir(dir));
  EXPECT_STREQ("", dir);
  char *name = nullptr;
  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex(0, &name));
  EXPECT_FALSE(HDD_TAP_PushDir());
}

TEST_F(TaskTableTest, FileNameByIndex) {
  int slot = Adopt("/ProgramFiles", "Me.tap");
  char *name = (char *)"untouched";
  ASSERT_TRUE(HDD_TAP_GetFileNameByIndex(slot, &name));
  EXPECT_STREQ("/mnt/hd/ProgramFiles/Me.tap", name);

  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex(16, &name));
  EXPECT_EQ(nullptr, name);
  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex(-1, &name));
  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex(slot, nullptr));

  char keep[] = "keep";
  name = keep;
  TYPE_TapTask *table = (TYPE_TapTask *)FIS_vTAPTable();
  table[slot].state = 2;
  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex(slot, &name));
  EXPECT_EQ(keep, name);
  table[slot].state = 1;

  TYPE_FileObject *object = (TYPE_FileObject *)table[slot].file->handle;
  object->magic ^= 1;
  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex(slot, &name));
  object->magic ^= 1;
  EXPECT_FALSE(HDD_TAP_GetFileNameByIndex((slot + 1) % TAP_MAX_TASKS, &name));  // empty slot
}

TEST_F(TaskTableTest, AbsolutePathOfFileRecord) {
  int slot = Adopt("/ProgramFiles", "Me.tap");
  TYPE_TapTask *table = (TYPE_TapTask *)FIS_vTAPTable();
  char path[KALIB_PATH_MAX] = "?";
  EXPECT_TRUE(HDD_GetAbsolutePathByTypeFile(table[slot].file, path));
  EXPECT_STREQ("/mnt/hd/ProgramFiles/Me.tap", path);
  TYPE_File noHandle{};
  EXPECT_FALSE(HDD_GetAbsolutePathByTypeFile(&noHandle, path));
  EXPECT_STREQ("", path);
  EXPECT_FALSE(HDD_GetAbsolutePathByTypeFile(nullptr, path));
}

TEST_F(TaskTableTest, InitTAPexTakesTheCurrentSlot) {
  int slot = Adopt("/ProgramFiles");
  EXPECT_TRUE(InitTAPex());
  EXPECT_EQ(slot, TAP_TableIndex);
  EXPECT_TRUE(InitTAPex());
}

using StartParameterTest = SimTest;

TEST_F(StartParameterTest, NoSegmentGivesNull) {
  Adopt("/ProgramFiles");
  void *before = kal_parametered_tap;
  EXPECT_EQ(nullptr, HDD_TAP_GetStartParameter());
  EXPECT_EQ(before, kal_parametered_tap);
}

TEST_F(StartParameterTest, ReadsTheHandedOverBlock) {
  Adopt("/ProgramFiles");
  int id = shmget(TAP_START_PARAM_KEY, sizeof(TYPE_TapStartParameter), IPC_CREAT | 0666);
  ASSERT_NE(-1, id);
  auto *record = (TYPE_TapStartParameter *)shmat(id, nullptr, 0);
  ASSERT_NE((void *)-1, (void *)record);
  static dword block = 4;
  *record = TYPE_TapStartParameter{TAP_START_PARAM_MAGIC, 0x5C3E1A25, &block};
  EXPECT_EQ(&block, HDD_TAP_GetStartParameter());
  EXPECT_NE(nullptr, kal_parametered_tap);
  // A failed attach leaves null behind, not the (void *)-1 that shmat reports.
  pvrsim::box::setShmatFails(true);
  EXPECT_EQ(nullptr, HDD_TAP_GetStartParameter());
  EXPECT_EQ(nullptr, kal_parametered_tap);
  pvrsim::box::setShmatFails(false);
  shmdt(record);
  shmctl(id, IPC_RMID, nullptr);
}

using ShellQuoteTest = ::testing::Test;

TEST_F(ShellQuoteTest, QuotesEverythingAsOneWord) {
  char out[64];
  ASSERT_TRUE(ShellQuote("a b;c$(d)`e`", out, sizeof out));
  EXPECT_STREQ("'a b;c$(d)`e`'", out);
  ASSERT_TRUE(ShellQuote("it's", out, sizeof out));
  EXPECT_STREQ("'it'\\''s'", out);
  ASSERT_TRUE(ShellQuote("", out, sizeof out));
  EXPECT_STREQ("''", out);
}

TEST_F(ShellQuoteTest, RefusesWhatDoesNotFit) {
  char out[8];
  memset(out, '#', sizeof out);
  EXPECT_TRUE(ShellQuote("abcde", out, 8));  // 'abcde' and NUL: exactly 8
  EXPECT_FALSE(ShellQuote("abcdef", out, 8));
  EXPECT_STREQ("", out);
  EXPECT_FALSE(ShellQuote("ab'c", out, 8));  // 'ab'\''c' needs 11
  EXPECT_FALSE(ShellQuote(nullptr, out, 8));
}

using NoAutoStartTest = SimTest;

TEST_F(NoAutoStartTest, LeavesOtherFoldersAlone) {
  Adopt("/ProgramFiles/Settings");
  writeFile("/ProgramFiles/Settings/Test.tap", "x");
  EXPECT_EQ(0, NoAutoStartTAP());
  EXPECT_TRUE(exists("/ProgramFiles/Settings/Test.tap"));
  EXPECT_EQ("", box::shellLog());
}

TEST_F(NoAutoStartTest, MovesOutOfAutoStart) {
  Adopt("/ProgramFiles/AutoStart", "Me.tap");
  writeFile("/ProgramFiles/AutoStart/Me.tap", "me");
  EXPECT_EQ(1, NoAutoStartTAP());
  EXPECT_FALSE(exists("/ProgramFiles/AutoStart/Me.tap"));
  EXPECT_EQ("me", readFile("/ProgramFiles/Me.tap"));
}

TEST_F(NoAutoStartTest, SubfolderOfXStartCounts) {
  Adopt("/ProgramFiles/XStart/Late", "Me.tap");
  writeFile("/ProgramFiles/XStart/Late/Me.tap", "me");
  EXPECT_EQ(1, NoAutoStartTAP());
  EXPECT_TRUE(exists("/ProgramFiles/Me.tap"));
}

TEST_F(NoAutoStartTest, FailedMoveGivesZero) {
  Adopt("/ProgramFiles/AutoStart", "Gone.tap");  // no such file on the disk
  EXPECT_EQ(0, NoAutoStartTAP());
}

// File names that the shell would otherwise split, end or expand: the file
// moves and nothing else runs.
class HostileNameTest : public SimTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(HostileNameTest, MovesAndRunsNothingElse) {
  const std::string name = GetParam();
  Adopt("/ProgramFiles/AutoStart", name);
  writeFile("/ProgramFiles/AutoStart/" + name, "me");
  makeFolder("/ProgramFiles/AutoStart/x.tap");
  writeFile("/x.tap/keep", "x");
  EXPECT_EQ(1, NoAutoStartTAP()) << box::shellLog();
  EXPECT_EQ("me", readFile("/ProgramFiles/" + name));
  EXPECT_FALSE(exists("/ProgramFiles/AutoStart/" + name));
  EXPECT_TRUE(exists("/ProgramFiles/AutoStart/x.tap"));
  EXPECT_TRUE(exists("/x.tap/keep"));
  EXPECT_FALSE(exists("/pwned"));
  EXPECT_FALSE(fs::exists("pwned"));

  std::string log = box::shellLog();
  EXPECT_EQ(std::string::npos, log.find("[status")) << log;
  int commandLines = 0;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) commandLines += line.rfind("$ ", 0) == 0;
  EXPECT_EQ(1, commandLines) << log;
}

INSTANTIATE_TEST_SUITE_P(NoAutoStart, HostileNameTest,
                         ::testing::Values("it's; rm -r x.tap", "a b $(touch pwned) `touch pwned`.tap",
                                           "q\"uote && rm -r x.tap", "'; rm -r x.tap; '"));
