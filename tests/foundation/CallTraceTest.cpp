// CallTraceTest.cpp - the call tracer: nesting limits, statistics by name pointer, printing and
// the magic word.
#include "FoundationFixture.h"

using namespace foundation;

namespace {
bool ConsoleHas(const std::string &text) {
  return pvrsim::box::consoleText().find(text) != std::string::npos;
}
int ConsoleCount(const std::string &text) {
  std::string console = pvrsim::box::consoleText();
  int count = 0;
  for (size_t pos = console.find(text); pos != std::string::npos; pos = console.find(text, pos + 1)) count++;
  return count;
}
}  // namespace

class CallTraceTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    Start();
    CallTraceInit();
    CallTraceEnable(FALSE);
  }
};

TEST_F(CallTraceTest, OverflowBeyondFiftyLevels) {
  static char names[51][8];
  for (int i = 0; i < 51; i++) {
    snprintf(names[i], sizeof names[i], "F%d", i);
    CallTraceEnter(names[i]);
  }
  EXPECT_EQ(51u, CallLevel);
  EXPECT_EQ(1, ConsoleCount("CallLevel Overflow! (TAPID 0x7e570001)"));
  EXPECT_EQ(names[49], CallTraceStack[49].ProcName);

  CallTraceExit(nullptr);
  EXPECT_EQ(50u, CallLevel);
  EXPECT_EQ(0u, CallTraceStatsEntries);  // the 51st call is not timed
  CallTraceExit(nullptr);
  EXPECT_EQ(49u, CallLevel);
  ASSERT_EQ(1u, CallTraceStatsEntries);
  EXPECT_EQ(names[49], CallTraceStats[0].ProcName);

  CallTraceEnter("again");  // back to level 50: no warning yet
  EXPECT_EQ(1, ConsoleCount("CallLevel Overflow!"));
  CallTraceEnter("again");
  CallTraceEnter("again");
  EXPECT_EQ(3, ConsoleCount("CallLevel Overflow!"));  // every entry beyond 50
}

TEST_F(CallTraceTest, UnderflowKeepsLevelZero) {
  CallTraceExit(nullptr);
  EXPECT_EQ(0u, CallLevel);
  EXPECT_TRUE(ConsoleHas("2015-12-29 13:05:09  KALIB - CallLevel Underflow! (TAPID 0x7e570001)\n"));
  EXPECT_EQ(0u, CallTraceStatsEntries);
}

TEST_F(CallTraceTest, StatisticsPerNamePointer) {
  static const char first[] = "Work", second[] = "Work";
  CallTraceEnter(first);
  sim->runTicks(3);
  CallTraceExit(nullptr);
  CallTraceEnter(second);
  CallTraceExit(nullptr);
  CallTraceEnter(first);
  sim->runTicks(5);
  CallTraceExit(nullptr);

  ASSERT_EQ(2u, CallTraceStatsEntries);
  const tCallTraceStats &a = CallTraceStats[0], &b = CallTraceStats[1];
  EXPECT_EQ(first, a.ProcName);
  EXPECT_EQ(2u, a.NrCalls);
  EXPECT_EQ(3u, a.MinTime);
  EXPECT_EQ(5u, a.MaxTime);
  EXPECT_EQ(8u, a.TotalTime);
  EXPECT_EQ(second, b.ProcName);
  EXPECT_EQ(1u, b.NrCalls);
  EXPECT_EQ(0u, b.TotalTime);

  CallTraceResetStats();
  EXPECT_EQ(0u, CallTraceStatsEntries);
  EXPECT_EQ(nullptr, CallTraceStats[0].ProcName);
}

TEST_F(CallTraceTest, StatisticsTableHoldsFiveThousandFunctions) {
  // 5001 functions, each its own name pointer: the first 5000 fill the
  // table, the last finds no room and is not counted; the table's own
  // functions go on being counted.
  static char names[5002];
  for (int i = 0; i < 5001; i++) {
    CallTraceEnter(names + i);
    CallTraceExit(nullptr);
  }
  EXPECT_EQ(5000u, CallTraceStatsEntries);
  EXPECT_EQ(names + 4999, CallTraceStats[4999].ProcName);
  for (int i = 0; i < 5000; i++) ASSERT_EQ(1u, CallTraceStats[i].NrCalls) << i;
  CallTraceEnter(names + 4999);
  sim->runTicks(2);
  CallTraceExit(nullptr);
  EXPECT_EQ(2u, CallTraceStats[4999].NrCalls);
  EXPECT_EQ(2u, CallTraceStats[4999].TotalTime);
  EXPECT_EQ(5000u, CallTraceStatsEntries);
}

TEST_F(CallTraceTest, NestedTimesAndCallCountLimit) {
  CallTraceEnter("Outer");
  CallTraceEnter("Inner");
  sim->runTicks(2);
  CallTraceExit(nullptr);
  sim->runTicks(1);
  CallTraceExit(nullptr);
  ASSERT_EQ(2u, CallTraceStatsEntries);
  EXPECT_STREQ("Inner", CallTraceStats[0].ProcName);
  EXPECT_EQ(2u, CallTraceStats[0].TotalTime);
  EXPECT_STREQ("Outer", CallTraceStats[1].ProcName);
  EXPECT_EQ(3u, CallTraceStats[1].TotalTime);

  CallTraceStats[0].NrCalls = 0xFFFFFFFF;
  CallTraceEnter("Inner");
  CallTraceExit(nullptr);
  EXPECT_EQ(0xFFFFFFFFu, CallTraceStats[0].NrCalls);  // stays, does not wrap
}

TEST_F(CallTraceTest, PrintsIndentedEntriesWhenEnabled) {
  CallTraceEnable(TRUE);
  CallTraceEnter("Outer");
  CallTraceEnter("Inner");
  CallTraceExit(nullptr);
  CallTraceExit(nullptr);
  EXPECT_EQ((std::vector<std::string>{"Outer\n", "  Inner\n"}), ConsolePieces());
}

TEST_F(CallTraceTest, SilentWhenDisabled) {
  CallTraceEnter("Quiet");
  CallTraceExit(nullptr);
  EXPECT_EQ("", pvrsim::box::consoleRaw());
  EXPECT_EQ(1u, CallTraceStatsEntries);  // still counted
}

TEST_F(CallTraceTest, RepairsABadMagicWord) {
  dword magic = 0;
  CallTraceEnter("Checked");
  CallTraceEnter("Checked");
  CallTraceExit(&magic);
  EXPECT_EQ(0x96D2E400u, magic);
  EXPECT_EQ((std::vector<std::string>{"  INVALID MAGIC!\n"}), ConsolePieces());
  CallTraceExit(&magic);
  EXPECT_EQ(1u, ConsolePieces().size());
}

TEST_F(CallTraceTest, ReentryIsIgnored) {
  CallTraceDoNotReenter = TRUE;
  CallTraceEnter("Ignored");
  CallTraceExit(nullptr);
  EXPECT_EQ(0u, CallLevel);
  EXPECT_EQ("", pvrsim::box::consoleRaw());
  CallTraceDoNotReenter = FALSE;
}

TEST(CallTraceInitTest, InitialisesOnFirstUse) {
  pvrsim::Options options;
  std::string folder = freshTestCaseFolder("foundation");
  options.diskDir = folder + "/disk";
  options.runDir = folder + "/run";
  pvrsim::Sim sim(options);
  EXPECT_FALSE(CallTraceInitialized);
  CallTraceEnter("First");
  EXPECT_TRUE(CallTraceInitialized);
  EXPECT_TRUE(CallTraceEnabled);
  EXPECT_EQ(1u, CallLevel);
  EXPECT_NE(nullptr, CallTraceStats);
}
