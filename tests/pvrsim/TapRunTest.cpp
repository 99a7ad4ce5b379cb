// TapRunTest.cpp - loading TAPs, start parameters, events, ending by TAP_Exit and by the kill
// state, re-entry through TAP_SystemProc, and library state per TAP.
#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gmock/gmock.h>

#include "ProbeTap.h"
#include "SimFixture.h"
#include "box/Box.h"
#include "core/Runtime.h"

extern "C" TYPE_TapTask _tapTask[TAP_MAX_TASKS];
extern "C" dword _curTapTask;
extern "C" TYPE_HddFolder *_hddTapFolder;

namespace {

class TapRunTest : public SimFixture {
 protected:
  ProbeState *probe(int slot) {
    void *handle = sim->tapHandle(slot);
    return handle ? static_cast<ProbeState *>(dlsym(handle, "probeState")) : nullptr;
  }
  int startProbe(const char *hostFile = TAP_pvrsim_probe_resident, const std::string &name = "Probe.tap") {
    return startTap(hostFile, "/ProgramFiles/" + name);
  }
  bool slotIsZero(int slot) {
    static const TYPE_TapTask zero{};
    return std::memcmp(&sim->task(slot), &zero, sizeof zero) == 0;
  }
};

TEST_F(TapRunTest, StartHandsTheParameterOverThroughSharedMemory) {
  ASSERT_TRUE(sim->copyToDisk(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap"));
  int slot = sim->startTap("/ProgramFiles/Probe.tap", 0xC0FFEEu);
  ASSERT_GE(slot, 0) << sim->lastError();
  ProbeState *state = probe(slot);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->mainCalls, 1);
  EXPECT_EQ(state->curTaskInMain, static_cast<dword>(slot));
  EXPECT_EQ(state->hadParam, 1);
  EXPECT_EQ(state->paramMagic, TAP_START_PARAM_MAGIC);
  EXPECT_EQ(state->paramTapId, PROBE_TAP_ID);
  EXPECT_EQ(state->paramValue, 0xC0FFEEu);
  // The record exists only while TAP_Main runs.
  EXPECT_FALSE(pvrsim::box::shmKeyExists(TAP_START_PARAM_KEY));

  int second = sim->startTap("/ProgramFiles/Probe.tap");
  ASSERT_GE(second, 0);
  EXPECT_EQ(probe(second)->hadParam, 0);
}

TEST_F(TapRunTest, SlotHoldsTheFirmwareRecords) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  const TYPE_TapTask &task = sim->task(slot);
  EXPECT_EQ(task.state, 1u);
  ASSERT_NE(task.file, nullptr);
  EXPECT_STREQ(task.file->name, "Probe.tap");
  EXPECT_EQ(task.file->size, static_cast<long64>(std::filesystem::file_size(TAP_pvrsim_probe_resident)));
  auto *object = static_cast<TYPE_FileObject *>(task.file->handle);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->magic, TAP_FILE_OBJECT_MAGIC);
  EXPECT_STREQ(object->path, "/mnt/hd/ProgramFiles/Probe.tap");
  ASSERT_NE(task.dir, nullptr);
  EXPECT_STREQ(task.dir->path, "/mnt/hd/ProgramFiles");
  EXPECT_NE(task.eventHandler, nullptr);
  EXPECT_EQ(_hddTapFolder->magic, TAP_FOLDER_RECORD_MAGIC);
  EXPECT_EQ(sim->tapFile(slot), "/ProgramFiles/Probe.tap");
  EXPECT_TRUE(sim->isRunning("Probe.tap"));
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/Probe.tap"));
  EXPECT_FALSE(sim->isRunning("Other.tap"));
}

TEST_F(TapRunTest, TicksDeliverKeysBeforeIdleAndReturnUnconsumedKeys) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  sim->scheduleKey(2, RKEY_Ok);    // consumed by the probe
  sim->scheduleKey(3, RKEY_Left);  // passed on by the probe: back to the firmware
  sim->runTicks(3);
  ProbeState *state = probe(slot);
  EXPECT_EQ(state->idleEvents, 3);
  EXPECT_EQ(state->keyEvents, 2);
  EXPECT_EQ(state->curTaskInHandler, static_cast<dword>(slot));
  ASSERT_EQ(state->eventCount, 5);
  const dword expected[5][3] = {
      {1, EVT_IDLE, 0}, {2, EVT_KEY, RKEY_Ok}, {2, EVT_IDLE, 0}, {3, EVT_KEY, RKEY_Left}, {3, EVT_IDLE, 0}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(state->events[i].tick, expected[i][0]) << i;
    EXPECT_EQ(state->events[i].event, expected[i][1]) << i;
    EXPECT_EQ(state->events[i].param1, expected[i][2]) << i;
  }
  ASSERT_EQ(sim->returnedKeys().size(), 1u);
  EXPECT_EQ(sim->returnedKeys()[0].tick, 3u);
  EXPECT_EQ(sim->returnedKeys()[0].code, static_cast<dword>(RKEY_Left));
}

TEST_F(TapRunTest, KeysGoToTapsInSlotOrderUntilConsumed) {
  int first = startProbe(TAP_pvrsim_probe_resident, "First.tap");
  int second = startProbe(TAP_pvrsim_probe_resident, "Second.tap");
  ASSERT_LT(first, second);
  sim->scheduleKey(1, RKEY_Ok);
  sim->scheduleKey(1, RKEY_Up);
  sim->tick();
  EXPECT_EQ(probe(first)->keyEvents, 2);
  EXPECT_EQ(probe(second)->keyEvents, 1);  // Ok stopped at the first TAP
  ASSERT_EQ(sim->returnedKeys().size(), 1u);
  EXPECT_EQ(sim->returnedKeys()[0].code, static_cast<dword>(RKEY_Up));
}

TEST_F(TapRunTest, TapExitInHandlerEndsTheTapAfterTheCall) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  sim->scheduleKey(5, RKEY_Exit);
  EXPECT_EQ(sim->runUntilNoTap(100), 5u);
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_TRUE(slotIsZero(slot));
  EXPECT_EQ(sim->taskCount(), 0);
  // Nothing of the loaded TAP is left in the run folder.
  std::error_code ec;
  EXPECT_TRUE(!std::filesystem::exists(options.runDir + "/taps") ||
              std::filesystem::is_empty(options.runDir + "/taps", ec));
}

// The library's HDD_TAP_SendEvent calls a TAP's handler directly; a TAP_Exit
// there must not unload the TAP while its handler still runs.
TEST_F(TapRunTest, TapExitInAHandlerCalledDirectlyEndsTheTapAtTheNextTick) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  dword saved = _curTapTask;
  _curTapTask = static_cast<dword>(slot);
  _tapTask[slot].eventHandler(EVT_KEY, RKEY_Exit, 0);  // returns into the TAP's still loaded code
  _curTapTask = saved;
  EXPECT_TRUE(sim->isRunning(slot));
  sim->tick();
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_TRUE(slotIsZero(slot));
}

// What a TAP still holds from TAP_MemAlloc goes back when it ends, as on the
// box, so a TAP's heap never outlives it.
TEST_F(TapRunTest, MemoryATapStillHoldsGoesBackWhenItEnds) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  void *library = sim->tapHandle(slot);
  ASSERT_NE(probe(slot)->heldBlock, nullptr);
  EXPECT_EQ(pvrsim::core::ownedBlockCount(library), 1u);
  sim->scheduleKey(2, RKEY_Exit);
  sim->runUntilNoTap(10);
  EXPECT_EQ(pvrsim::core::ownedBlockCount(library), 0u);
}

TEST_F(TapRunTest, TapMainResultZeroUnloadsTheTap) {
  ASSERT_TRUE(sim->copyToDisk(TAP_pvrsim_probe_main_zero, "/ProgramFiles/Zero.tap"));
  EXPECT_EQ(sim->startTap("/ProgramFiles/Zero.tap", 4711u), -1);
  EXPECT_EQ(sim->lastError(), "");
  EXPECT_EQ(readFile("/Param.txt"), "4711");
  EXPECT_EQ(sim->taskCount(), 0);
  EXPECT_TRUE(slotIsZero(0));
}

TEST_F(TapRunTest, TapExitInTapMainEndsTheTap) {
  ASSERT_TRUE(sim->copyToDisk(TAP_pvrsim_probe_exit_in_main, "/ProgramFiles/Quit.tap"));
  EXPECT_EQ(sim->startTap("/ProgramFiles/Quit.tap"), -1);
  EXPECT_EQ(sim->lastError(), "");
  EXPECT_EQ(sim->taskCount(), 0);
}

TEST_F(TapRunTest, KillStateRemovesTheTapAtTheNextTick) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  sim->tick();
  _tapTask[slot].state = 2;
  sim->tick();
  EXPECT_FALSE(sim->isRunning(slot));
  EXPECT_TRUE(slotIsZero(slot));
}

TEST_F(TapRunTest, TapThatIgnoresTheKillStateKeepsRunning) {
  int slot = startProbe();
  ASSERT_GE(slot, 0);
  sim->setIgnoreKill(slot);
  _tapTask[slot].state = 2;
  sim->runTicks(3);
  ASSERT_TRUE(sim->isRunning(slot));
  EXPECT_EQ(sim->task(slot).state, 2u);
  EXPECT_EQ(probe(slot)->idleEvents, 3);
}

TEST_F(TapRunTest, HandlerIsEnteredAgainWhileItWaitsInSystemProc) {
  int slot = startProbe(TAP_pvrsim_probe_waiter, "Waiter.tap");
  ASSERT_GE(slot, 0);
  sim->tick();
  ProbeState *state = probe(slot);
  EXPECT_EQ(state->maxNesting, 2);
  EXPECT_EQ(state->idleEvents, 6);  // the outer one and five nested
  EXPECT_EQ(sim->now(), 6u);
  EXPECT_EQ(state->nesting, 0);
}

TEST_F(TapRunTest, KillDuringTheTapsOwnWaitIsDeferredUntilItsHandlerReturns) {
  int waiter = startProbe(TAP_pvrsim_probe_waiter, "Waiter.tap");
  ASSERT_GE(waiter, 0);
  // The kill bit is set before the tick; the waiter is removed at once.
  _tapTask[waiter].state = 2;
  sim->tick();
  EXPECT_FALSE(sim->isRunning(waiter));

  // Killed from inside its own wait: the slot stays until the handler returns.
  waiter = startProbe(TAP_pvrsim_probe_waiter, "Waiter2.tap");
  static int target;
  target = waiter;
  int killer = sim->adoptCaller("/ProgramFiles", [](word event, dword p1, dword) -> dword {
    if (event == EVT_IDLE && _tapTask[target].state == 1) _tapTask[target].state = 2;
    return p1;
  });
  ASSERT_GT(killer, waiter);
  sim->tick();  // the waiter's handler runs first and waits; the killer sets the bit in a nested tick
  EXPECT_EQ(sim->task(waiter).state, 2u);
  sim->tick();
  EXPECT_FALSE(sim->isRunning(waiter));
}

TEST_F(TapRunTest, TwoTapsKeepSeparateLibraryState) {
  int a = startTap(TAP_pvrsim_counter_A, "/ProgramFiles/CounterA.tap");
  int b = startTap(TAP_pvrsim_counter_B, "/ProgramFiles/CounterB.tap");
  int again = sim->startTap("/ProgramFiles/CounterA.tap");
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  ASSERT_GE(again, 0);
  for (int slot : {a, b, again}) {
    auto *seen = static_cast<int *>(dlsym(sim->tapHandle(slot), "counterSeenInMain"));
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(*seen, 1) << "slot " << slot;
  }
  sim->scheduleKey(1, RKEY_Up);  // every TAP bumps its own counter once
  sim->tick();
  using CounterNow = int (*)();
  for (int slot : {a, b, again}) {
    auto now = reinterpret_cast<CounterNow>(dlsym(sim->tapHandle(slot), "counterNow"));
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now(), 2) << "slot " << slot;
  }
}

TEST_F(TapRunTest, TapWritesFilesThroughTheApi) {
  int slot = startProbe(TAP_pvrsim_probe_files, "Files.tap");
  ASSERT_GE(slot, 0);
  EXPECT_EQ(readFile("/ProgramFiles/ProbeData/hello.txt"), PROBE_HELLO);
  EXPECT_EQ(sim->currentDir(slot), "/mnt/hd/ProgramFiles");
  EXPECT_EQ(sim->bytesWritten(), std::strlen(PROBE_HELLO));
}

// ---- files that are not TAPs ----

class BadTapTest : public TapRunTest {
 protected:
  // Starts a file and returns the error text; the start must fail cleanly.
  std::string startError(const std::string &boxPath) {
    EXPECT_EQ(sim->startTap(boxPath, 1u), -1);
    EXPECT_EQ(sim->taskCount(), 0);
    EXPECT_FALSE(pvrsim::box::shmKeyExists(TAP_START_PARAM_KEY));
    return sim->lastError();
  }
  std::string tapBytes(const char *hostFile) {
    std::ifstream in(hostFile, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(BadTapTest, TextFile) {
  writeFile("/ProgramFiles/Readme.tap", "This is not a TAP.\n");
  EXPECT_EQ(startError("/ProgramFiles/Readme.tap"), "/ProgramFiles/Readme.tap: not an ELF file");
}

TEST_F(BadTapTest, TruncatedElf) {
  std::string bytes = tapBytes(TAP_pvrsim_probe_resident);
  writeFile("/ProgramFiles/Short.tap", bytes.substr(0, bytes.size() / 2));
  EXPECT_THAT(startError("/ProgramFiles/Short.tap"),
              ::testing::StartsWith("/ProgramFiles/Short.tap: truncated ELF file"));
  writeFile("/ProgramFiles/Tiny.tap", bytes.substr(0, 30));
  EXPECT_EQ(startError("/ProgramFiles/Tiny.tap"),
            "/ProgramFiles/Tiny.tap: truncated ELF file (incomplete file header)");
}

TEST_F(BadTapTest, ElfWithoutTapId) {
  ASSERT_TRUE(sim->copyToDisk(TAP_pvrsim_no_id, "/ProgramFiles/NoId.tap"));
  EXPECT_EQ(startError("/ProgramFiles/NoId.tap"), "/ProgramFiles/NoId.tap: no ._tap_id section (not a TAP)");
}

TEST_F(BadTapTest, ElfForAnotherMachine) {
  std::string bytes = tapBytes(TAP_pvrsim_probe_resident);
#if defined(__mips__)
  Elf32_Half other = EM_386;
  const char *expected = "/ProgramFiles/Other.tap: built for i386, not for this machine (MIPS)";
#else
  Elf32_Half other = EM_MIPS;
  const char *expected = "/ProgramFiles/Other.tap: built for MIPS, not for this machine (i386)";
#endif
  bytes.replace(offsetof(Elf32_Ehdr, e_machine), sizeof other, reinterpret_cast<const char *>(&other),
                sizeof other);
  writeFile("/ProgramFiles/Other.tap", bytes);
  EXPECT_EQ(startError("/ProgramFiles/Other.tap"), expected);
}

// Damaged files: every size and offset the file claims is checked against
// the file before anything is allocated or read, so the start fails with a
// reason instead of ending pvrsim.
TEST_F(BadTapTest, DamagedTablesAreRefusedWithAReason) {
  const std::string good = tapBytes(TAP_pvrsim_probe_resident);
  Elf32_Ehdr header;
  std::memcpy(&header, good.data(), sizeof header);
  const size_t names = header.e_shoff + header.e_shstrndx * sizeof(Elf32_Shdr);
  auto patched = [&](size_t offset, uint32_t value) {
    std::string bytes = good;
    bytes.replace(offset, 4, reinterpret_cast<const char *>(&value), 4);
    return bytes;
  };
  struct Row {
    const char *what;
    std::string bytes;
    const char *reason;
  } rows[] = {
      {"name table of 2 GB", patched(names + offsetof(Elf32_Shdr, sh_size), 0x80000000u),
       "truncated ELF file (section names beyond the end)"},
      {"name table of 4 GB", patched(names + offsetof(Elf32_Shdr, sh_size), 0xFFFFFFFFu),
       "truncated ELF file (section names beyond the end)"},
      {"name table far beyond the end", patched(names + offsetof(Elf32_Shdr, sh_offset), 0xFFFFFF00u),
       "truncated ELF file (section names beyond the end)"},
      {"section headers far beyond the end", patched(offsetof(Elf32_Ehdr, e_shoff), 0xFFFFFFF0u),
       "truncated ELF file (section headers beyond the end)"},
  };
  for (const Row &row : rows) {
    writeFile("/ProgramFiles/Damaged.tap", row.bytes);
    EXPECT_EQ(startError("/ProgramFiles/Damaged.tap"),
              std::string("/ProgramFiles/Damaged.tap: ") + row.reason)
        << row.what;
  }
}

TEST_F(BadTapTest, RandomBytesAfterAValidHeaderAreRefused) {
  const std::string good = tapBytes(TAP_pvrsim_probe_resident);
  uint32_t state = 12345;
  for (int round = 0; round < 50; round++) {
    std::string bytes = good.substr(0, sizeof(Elf32_Ehdr));
    for (size_t i = 0; i < 4096; i++) {
      state = state * 1103515245u + 12345u;
      bytes += static_cast<char>(state >> 24);
    }
    writeFile("/ProgramFiles/Random.tap", bytes);
    EXPECT_THAT(startError("/ProgramFiles/Random.tap"), ::testing::StartsWith("/ProgramFiles/Random.tap: "))
        << "round " << round;
  }
}

TEST_F(BadTapTest, BrokenAutoStartTapsAreSkipped) {
  std::string good = tapBytes(TAP_pvrsim_probe_resident);
  writeFile("/ProgramFiles/AutoStart/A.tap", good.substr(0, 100));
  writeFile("/ProgramFiles/AutoStart/B.tap", good);
  writeFile("/ProgramFiles/AutoStart/C.tap", "not a TAP");
  std::vector<std::string> failures;
  EXPECT_EQ(sim->bootAutoStart("", &failures), 1);
  EXPECT_TRUE(sim->isRunning("/ProgramFiles/AutoStart/B.tap"));
  EXPECT_THAT(failures,
              ::testing::ElementsAre(
                  "/ProgramFiles/AutoStart/A.tap: truncated ELF file (section headers beyond the end)",
                  "/ProgramFiles/AutoStart/C.tap: not an ELF file"));
}

TEST_F(BadTapTest, MissingFileAndPathOutsideTheDisk) {
  EXPECT_EQ(startError("/ProgramFiles/None.tap"), "/ProgramFiles/None.tap: no such file on the disk");
  EXPECT_THAT(startError("/../outside.tap"), ::testing::HasSubstr("not a path on the disk"));
}

}  // namespace
