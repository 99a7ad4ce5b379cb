// WriteLogTest.cpp - WriteLog once the settings folder is gone: the line reaches the console
// and no "Vantero.log" appears anywhere else.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "SimFixture.h"
#include "Tools.h"
#include "core/Sim.h"

extern "C" dword __tap_ud__;
dword __tap_ud__ = 0x7E570002;

namespace {

namespace fs = std::filesystem;

class WriteLogTest : public SimFixture {};

TEST_F(WriteLogTest, WithoutSettingsFolderWritesToTheConsoleOnly) {
  int slot = adoptTestProgram("/ProgramFiles/Work");
  ASSERT_GE(slot, 0);

  WriteLog("Vantero Setup", "first line");
  EXPECT_TRUE(exists("/ProgramFiles/Settings/Vantero/Vantero.log"));
  fs::remove_all(disk("/ProgramFiles/Settings/Vantero"));

  WriteLog("Vantero Setup", "after the uninstall");
  for (auto &e : fs::recursive_directory_iterator(options.diskDir))
    EXPECT_NE(e.path().filename(), "Vantero.log") << e.path();
  EXPECT_NE(sim->consoleText().find("Vantero Setup: after the uninstall"), std::string::npos);
  EXPECT_EQ(sim->currentDir(slot), "/mnt/hd/ProgramFiles/Work");
}

}  // namespace
