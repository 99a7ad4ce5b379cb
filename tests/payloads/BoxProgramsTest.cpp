// BoxProgramsTest.cpp - the programs the installer ships: busybox (also as wget) built for the
// box, and the update manager's TAP with its identity and behaviour.
#include <cstdio>

#include "PayloadSim.h"
#include "Tools.h"

namespace payloads {
namespace {

std::string describe(const std::string &path) {
  std::string command = "file -b '" + path + "'";
  std::string text;
  if (FILE *pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
  }
  return text;
}

TEST(BoxPrograms, BusyboxAndWgetAreStaticMips32LittleEndianExecutables) {
  for (const char *name : {"busybox", "wget"}) {
    std::string kind = describe(payloadFile(name));
    EXPECT_NE(std::string::npos, kind.find("ELF 32-bit LSB executable")) << name << ": " << kind;
    EXPECT_NE(std::string::npos, kind.find("MIPS, MIPS32")) << name << ": " << kind;
    EXPECT_NE(std::string::npos, kind.find("statically linked")) << name << ": " << kind;
  }
  EXPECT_EQ(readHostFile(payloadFile("busybox")), readHostFile(payloadFile("wget")));
  // The multi-call binary carries the applet that its wget name selects.
  EXPECT_NE(std::string::npos, readHostFile(payloadFile("busybox")).find("wget"));
}

class ManagerTap : public PayloadSim {};

TEST_F(ManagerTap, CarriesTheManagersIdentity) {
  ASSERT_TRUE(sim->copyToDisk(payloadFile("Vantero.tap"), "/ProgramFiles/Vantero.tap")) << sim->lastError();
  tTAPInfo info{};
  ASSERT_TRUE(HDD_TAP_GetInfo("/ProgramFiles/Vantero.tap", &info));
  EXPECT_EQ(VANTERO_TAPID, info.TAPID);
  EXPECT_STREQ("Vantero V2.1", info.TAPName);
  EXPECT_STREQ("V2.1", info.TAPVersion);
  EXPECT_NE(0u, info.Date);
}

TEST_F(ManagerTap, LogsItsStartStaysAndEndsOnTheStopEvent) {
  ASSERT_TRUE(sim->copyToDisk(payloadFile("Vantero.tap"), "/ProgramFiles/Vantero.tap")) << sim->lastError();
  int slot = sim->startTap("/ProgramFiles/Vantero.tap");
  ASSERT_GE(slot, 0) << sim->lastError();
  sim->runTicks(10);
  EXPECT_TRUE(sim->isRunning(slot));
  std::string log = readFile("/ProgramFiles/Settings/Vantero/Vantero.log");
  EXPECT_NE(std::string::npos, log.find("Launching Vantero V2.1")) << log;
  EXPECT_NE(std::string::npos, sim->consoleText().find("Vantero")) << "console copy of the log line";

  // Keys go back to the firmware.
  EXPECT_EQ(dword(RKEY_Ok), HDD_TAP_SendEvent(VANTERO_TAPID, FALSE, EVT_KEY, RKEY_Ok, 0));
  EXPECT_TRUE(sim->isRunning(slot));

  // The stop event, sent from inside a TAP as the installer sends it.
  ASSERT_TRUE(sim->copyToDisk(TAP_payload_stop_sender, "/ProgramFiles/StopSender.tap")) << sim->lastError();
  EXPECT_EQ(-1, sim->startTap("/ProgramFiles/StopSender.tap"));  // ends after its TAP_Main
  EXPECT_FALSE(sim->isRunning(slot));
}

}  // namespace
}  // namespace payloads
