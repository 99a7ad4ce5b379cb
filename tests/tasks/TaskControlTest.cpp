// TaskControlTest.cpp - task control with real TAPs in pvrsim: IDs and task
// slots, events to one TAP and to all, the kill bit, and starting a TAP with
// a parameter handed over through shared memory.
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TasksSim.h"
#include "box/Box.h"

namespace {

const dword IdA = 0x7E570A01, IdB = 0x7E570A02, IdC = 0x7E570A03;
const dword ManagerId = 0x5C3E1A20;
const word TestEvent = 0x0500;

dword CurrentTask() { return *(dword *)FIS_vCurTapTask(); }

class TaskControlTest : public tasks::SimTest {
 protected:
  // Starts PeerA, PeerB and PeerC in this order.
  void startPeers() {
    slotA_ = start(TAP_tasks_peer_a, "/ProgramFiles/PeerA.tap");
    slotB_ = start(TAP_tasks_peer_b, "/ProgramFiles/PeerB.tap");
    slotC_ = start(TAP_tasks_peer_c, "/ProgramFiles/PeerC.tap");
    ASSERT_LT(slotA_, slotB_);
    ASSERT_LT(slotB_, slotC_);
    clearTapLog();
  }
  std::string eventLine(const char *name, int slot, word event = TestEvent, dword p1 = 7, dword p2 = 8) {
    char line[128];
    snprintf(line, sizeof(line), "%s event=0x%04x p1=%u p2=%u cur=%d", name, event, p1, p2, slot);
    return line;
  }

  int slotA_ = -1, slotB_ = -1, slotC_ = -1;
};

TEST_F(TaskControlTest, MapsTapIdsToTaskSlots) {
  startPeers();
  EXPECT_EQ(HDD_TAP_GetIDByIndex(slotA_), IdA);
  EXPECT_EQ(HDD_TAP_GetIDByIndex(slotC_), IdC);
  EXPECT_EQ(HDD_TAP_GetIndexByID(IdB), slotB_);
  EXPECT_TRUE(HDD_TAP_isRunning(IdC));

  EXPECT_EQ(HDD_TAP_GetIndexByID(ManagerId), -1);
  EXPECT_FALSE(HDD_TAP_isRunning(ManagerId));
  EXPECT_EQ(HDD_TAP_GetIDByIndex(15), 0u);  // empty slot
  EXPECT_EQ(HDD_TAP_GetIDByIndex(16), 0u);
  EXPECT_EQ(HDD_TAP_GetIDByIndex(0xFFFFFFFFu), 0u);
  // The test program's own slot has no readable TAP file: it reports 0, and
  // as the first such slot it answers the question for ID 0.
  EXPECT_EQ(HDD_TAP_GetIDByIndex(ownSlot_), 0u);
  EXPECT_EQ(HDD_TAP_GetIndexByID(0), ownSlot_);
  EXPECT_FALSE(HDD_TAP_isRunning(0));
}

TEST_F(TaskControlTest, ATapInTheTablesLastSlotIsFoundByItsId) {
  ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/PeerA.tap"));
  while (sim->taskCount() < TAP_MAX_TASKS - 1)
    ASSERT_GE(sim->adoptCaller("/ProgramFiles", nullptr, "None.tap"), 0);
  ASSERT_EQ(sim->adoptCaller("/ProgramFiles", nullptr, "PeerA.tap"), TAP_MAX_TASKS - 1);
  EXPECT_EQ(HDD_TAP_GetIndexByID(IdA), TAP_MAX_TASKS - 1);
}

TEST_F(TaskControlTest, ATapThatEndsLeavesTheTable) {
  startPeers();
  HDD_TAP_Terminate(IdB);
  sim->tick();
  EXPECT_FALSE(sim->isRunning(slotB_));
  EXPECT_EQ(HDD_TAP_GetIDByIndex(slotB_), 0u);
  EXPECT_FALSE(HDD_TAP_isRunning(IdB));
  EXPECT_TRUE(HDD_TAP_isRunning(IdC));
}

TEST_F(TaskControlTest, SendsAnEventToOneTapWithItsSlotAsCurrentTask) {
  startPeers();
  EXPECT_EQ(HDD_TAP_SendEvent(IdA, false, TestEvent, 7, 8), 11u);
  EXPECT_EQ(HDD_TAP_SendEvent(IdB, true, TestEvent, 7, 8), 0u);
  EXPECT_EQ(CurrentTask(), (dword)ownSlot_);
  EXPECT_EQ(tapLog(), (std::vector<std::string>{eventLine("PeerA", slotA_), eventLine("PeerB", slotB_)}));

  clearTapLog();
  EXPECT_EQ(HDD_TAP_SendEvent(ManagerId, false, TestEvent, 7, 8), 0u);
  EXPECT_TRUE(tapLog().empty());

  // The event code travels as its low 16 bits.
  dword wideEvent = 0x1FFFF;
  EXPECT_EQ(HDD_TAP_SendEvent(IdC, false, (word)wideEvent, 1, 2), 33u);
  EXPECT_EQ(tapLog(), std::vector<std::string>{eventLine("PeerC", slotC_, 0xFFFF, 1, 2)});
}

// The test program's own handler: records the current task and passes the
// event on.
std::vector<dword> OwnHandlerCalls;
dword OwnHandler(word event, dword, dword) {
  if (event != EVT_IDLE) OwnHandlerCalls.push_back(CurrentTask());
  return 5;
}

class BroadcastTest : public TaskControlTest {
 protected:
  TAP_EventHandlerFn ownHandler() override { return OwnHandler; }
};

TEST_F(BroadcastTest, WithoutInterceptionEveryTapGetsTheEvent) {
  startPeers();
  OwnHandlerCalls.clear();
  EXPECT_EQ(HDD_TAP_SendEvent(0, false, TestEvent, 7, 8), 33u);
  EXPECT_EQ(tapLog(), (std::vector<std::string>{eventLine("PeerA", slotA_), eventLine("PeerB", slotB_),
                                                eventLine("PeerC", slotC_)}));
  // The sender's own slot is not skipped.
  EXPECT_EQ(OwnHandlerCalls, std::vector<dword>{(dword)ownSlot_});
  EXPECT_EQ(CurrentTask(), (dword)ownSlot_);
}

TEST_F(BroadcastTest, WithInterceptionTheFirstTapThatConsumesEndsIt) {
  startPeers();
  OwnHandlerCalls.clear();
  EXPECT_EQ(HDD_TAP_SendEvent(0, true, TestEvent, 7, 8), 0u);
  EXPECT_EQ(tapLog(), (std::vector<std::string>{eventLine("PeerA", slotA_), eventLine("PeerB", slotB_)}));
  EXPECT_EQ(OwnHandlerCalls.size(), 1u);
  EXPECT_EQ(CurrentTask(), (dword)ownSlot_);

  // Nobody consumes: the last handler's result.
  HDD_TAP_Terminate(IdB);
  sim->tick();
  clearTapLog();
  EXPECT_EQ(HDD_TAP_SendEvent(0, true, TestEvent, 7, 8), 33u);
  EXPECT_EQ(tapLog(), (std::vector<std::string>{eventLine("PeerA", slotA_), eventLine("PeerC", slotC_)}));
}

TEST_F(TaskControlTest, TerminateSendsTheStopEventAndSetsTheKillBit) {
  startPeers();
  int manager = start(TAP_tasks_manager_ignore, "/ProgramFiles/Manager.tap");
  clearTapLog();
  HDD_TAP_Terminate(ManagerId);
  EXPECT_EQ(tapLog(), std::vector<std::string>{eventLine("ManagerIgnore", manager, EVT_STOP, 1, 0)});
  EXPECT_EQ(sim->task(manager).state, 2u);
  EXPECT_EQ(sim->task(slotA_).state, 1u);
  sim->tick();
  EXPECT_FALSE(HDD_TAP_isRunning(ManagerId));
  EXPECT_TRUE(HDD_TAP_isRunning(IdA));
}

TEST_F(TaskControlTest, TerminateOfATapThatDoesNotRunChangesNothing) {
  startPeers();
  HDD_TAP_Terminate(ManagerId);
  HDD_TAP_Terminate(0);  // no TAP has ID 0: no broadcast of the stop event
  EXPECT_TRUE(tapLog().empty());
  for (int slot : {ownSlot_, slotA_, slotB_, slotC_}) EXPECT_EQ(sim->task(slot).state, 1u);
  sim->tick();
  EXPECT_EQ(sim->taskCount(), 4);
}

class StartTest : public tasks::SimTest {
 protected:
  void SetUp() override {
    tasks::SimTest::SetUp();
    ASSERT_TRUE(copyTap(TAP_tasks_peer_a, "/ProgramFiles/PeerA.tap"));
    ASSERT_TRUE(copyTap(TAP_tasks_peer_c, "/ProgramFiles/Sub/PeerC.tap"));
    writeFile("/ProgramFiles/Text.tap", "not a TAP\n");
  }
  void expectNoSegments() {
    EXPECT_EQ(pvrsim::box::shmSegmentCount(), 0u);
    EXPECT_FALSE(pvrsim::box::shmKeyExists(TAP_START_PARAM_KEY));
    EXPECT_FALSE(pvrsim::box::shmKeyExists(TAP_BATCH_MODE_KEY));
    EXPECT_EQ(kal_parametered_tap, nullptr);
  }
};

TEST_F(StartTest, HandsTheParameterToTheStartedTapsMain) {
  dword parameter = 42, id = 0;
  ASSERT_TRUE(HDD_TAP_Start("/ProgramFiles/PeerA.tap", false, &parameter, &id));
  EXPECT_EQ(id, IdA);
  int slot = sim->slotOf("/ProgramFiles/PeerA.tap");
  ASSERT_GE(slot, 0);
  EXPECT_EQ(tapLog(),
            std::vector<std::string>{"PeerA main param=42 slot=" + std::to_string(slot) + " batch=0"});
  EXPECT_TRUE(HDD_TAP_isRunning(IdA));
  EXPECT_EQ(CurrentTask(), (dword)ownSlot_);
  expectNoSegments();
}

TEST_F(StartTest, WithoutParameterAndInBatchMode) {
  ASSERT_TRUE(HDD_TAP_Start("Sub/PeerC.tap", true, nullptr, nullptr));
  int slot = sim->slotOf("/ProgramFiles/Sub/PeerC.tap");
  ASSERT_GE(slot, 0);
  EXPECT_EQ(tapLog(),
            std::vector<std::string>{"PeerC main param=none slot=" + std::to_string(slot) + " batch=1"});
  EXPECT_EQ(sim->currentDir(slot), "/mnt/hd/ProgramFiles/Sub");
  expectNoSegments();

  ASSERT_TRUE(HDD_TAP_Start("/mnt/hd/ProgramFiles/PeerA.tap", false, nullptr, nullptr));
  EXPECT_TRUE(HDD_TAP_isRunning(IdA));
  expectNoSegments();
}

TEST_F(StartTest, AFileThatIsNotATapIsNotStarted) {
  dword id = 0xDEADBEEF;
  EXPECT_FALSE(HDD_TAP_Start("/ProgramFiles/Text.tap", true, &id, &id));
  EXPECT_FALSE(HDD_TAP_Start("/ProgramFiles/None.tap", false, nullptr, &id));
  EXPECT_FALSE(HDD_TAP_Start(nullptr, false, nullptr, &id));
  EXPECT_EQ(id, 0xDEADBEEFu);
  EXPECT_EQ(sim->taskCount(), 1);
  expectNoSegments();
}

TEST_F(StartTest, AFirmwareWithoutProgramStartStartsNothing) {
  pvrsim::box::hideSymbol("_Z16Appl_ExecProgramPc");
  dword parameter = 1, id = 0;
  EXPECT_FALSE(HDD_TAP_Start("/ProgramFiles/PeerA.tap", false, &parameter, &id));
  EXPECT_EQ(id, IdA);
  EXPECT_FALSE(HDD_TAP_isRunning(IdA));
  expectNoSegments();
  pvrsim::box::unhideAll();
}

}  // namespace
