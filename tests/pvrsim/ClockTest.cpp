// ClockTest.cpp - the virtual clock, calendar arithmetic, system values and normal mode.
#include <dlfcn.h>

#include "ProbeTap.h"
#include "SimFixture.h"

namespace {

TEST(MjdTest, KnownDates) {
  EXPECT_EQ(TAP_MakeMjd(2015, 12, 29), 57385u);
  EXPECT_EQ(TAP_MakeMjd(1858, 11, 17), 0u);
  EXPECT_EQ(TAP_MakeMjd(1970, 1, 1), 40587u);
  EXPECT_EQ(TAP_MakeMjd(2000, 3, 1) - TAP_MakeMjd(2000, 2, 28), 2u);  // 2000 is a leap year
  EXPECT_EQ(TAP_MakeMjd(1900, 3, 1) - TAP_MakeMjd(1900, 2, 28), 1u);  // 1900 is not
  EXPECT_EQ(TAP_MakeMjd(1858, 11, 16), 0u);                           // before MJD 0

  word year;
  byte month, day, weekDay;
  TAP_ExtractMjd(57385, &year, &month, &day, &weekDay);
  EXPECT_EQ(year, 2015);
  EXPECT_EQ(month, 12);
  EXPECT_EQ(day, 29);
  EXPECT_EQ(weekDay, 1);  // Tuesday; 0 is Monday
  TAP_ExtractMjd(TAP_MakeMjd(2016, 1, 3), nullptr, nullptr, nullptr, &weekDay);
  EXPECT_EQ(weekDay, 6);  // Sunday
  TAP_ExtractMjd(TAP_MakeMjd(2016, 2, 29), &year, &month, &day, nullptr);
  EXPECT_EQ(month, 2);
  EXPECT_EQ(day, 29);
}

TEST(MjdTest, MonthZeroAndDayZeroCountBackwards) {
  EXPECT_EQ(TAP_MakeMjd(2016, 0, 1), TAP_MakeMjd(2015, 12, 1));
  EXPECT_EQ(TAP_MakeMjd(2016, 3, 0), TAP_MakeMjd(2016, 2, 29));
}

TEST(MjdTest, EveryMjdSurvivesTheRoundTrip) {
  for (dword mjd = 0; mjd <= 0xFFFF; ++mjd) {
    word year;
    byte month, day, weekDay;
    TAP_ExtractMjd(static_cast<word>(mjd), &year, &month, &day, &weekDay);
    ASSERT_EQ(TAP_MakeMjd(year, month, day), mjd);
    ASSERT_EQ(weekDay, (mjd + 2) % 7);
  }
}

class ClockTest : public SimFixture {
  void configureOptions(pvrsim::Options &o) override {
    o.startTime = pvrsim::DateTime{2015, 12, 31, 23, 59, 58};
    o.osdLanguage = 11;
    o.systemId = 12345;
    o.firmwareVersion = 0x1234;
  }
};

TEST_F(ClockTest, TimeIsStartTimePlusTicks) {
  word mjd;
  byte hour, min, sec;
  TAP_GetTime(&mjd, &hour, &min, &sec);
  EXPECT_EQ(mjd, TAP_MakeMjd(2015, 12, 31));
  EXPECT_EQ(hour, 23);
  EXPECT_EQ(min, 59);
  EXPECT_EQ(sec, 58);
  sim->runTicks(199);
  TAP_GetTime(&mjd, &hour, &min, &sec);
  EXPECT_EQ(sec, 59);
  sim->tick();
  TAP_GetTime(&mjd, &hour, &min, &sec);
  EXPECT_EQ(mjd, TAP_MakeMjd(2016, 1, 1));
  EXPECT_EQ(hour, 0);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(sec, 0);
  EXPECT_EQ(TAP_GetTick(), 200u);
}

TEST_F(ClockTest, DelayAdvancesTheClockWithoutDispatching) {
  int slot = startTap(TAP_pvrsim_probe_resident, "/ProgramFiles/Probe.tap");
  ASSERT_GE(slot, 0);
  auto *state = static_cast<ProbeState *>(dlsym(sim->tapHandle(slot), "probeState"));
  TAP_Delay(600);
  EXPECT_EQ(TAP_GetTick(), 600u);
  EXPECT_EQ(state->idleEvents, 0);
  TAP_SystemProc();
  EXPECT_EQ(TAP_GetTick(), 601u);
  EXPECT_EQ(state->idleEvents, 1);
}

TEST_F(ClockTest, SystemValues) {
  EXPECT_EQ(TAP_GetSystemVar(1), 11);
  EXPECT_EQ(TAP_GetSystemVar(2), 0);
  EXPECT_EQ(TAP_GetSystemId(), 12345u);
  EXPECT_EQ(TAP_GetVersion(), 0x1234u);
}

TEST_F(ClockTest, NormalModeIsKeptWithCallCounts) {
  EXPECT_TRUE(sim->normalMode());
  TAP_ExitNormal();
  EXPECT_FALSE(sim->normalMode());
  TAP_ExitNormal();
  TAP_EnterNormal();
  EXPECT_TRUE(sim->normalMode());
  EXPECT_EQ(sim->exitNormalCalls(), 2);
  EXPECT_EQ(sim->enterNormalCalls(), 1);
}

TEST(DateTimeTest, ParsesOnlyValidDates) {
  pvrsim::DateTime t;
  ASSERT_TRUE(pvrsim::parseDateTime("2016-02-29 23:59:59", t));
  EXPECT_EQ(t.year, 2016);
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.second, 59);
  for (const char *bad : {"2015-02-29 10:00:00", "2015-13-01 10:00:00", "2015-12-01 24:00:00", "2015-12-01",
                          "2015-12-01 10:00:00x", ""})
    EXPECT_FALSE(pvrsim::parseDateTime(bad, t)) << bad;
}

}  // namespace
