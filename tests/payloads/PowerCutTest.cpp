// PowerCutTest.cpp - a power loss while a payload is written: a file under its final name is
// always complete, and the next run finishes the job.
#include "Payloads.h"
#include "PayloadSim.h"
#include "Setup.h"

namespace payloads {
namespace {

class PowerCutTest : public PayloadSim {
 protected:
  // Runs the writer in a child process whose disk loses power after the
  // given number of written bytes; the disk is what the child left.
  template <typename Writer>
  void cutAfter(uint64_t bytes, Writer writer) {
    EXPECT_EXIT(
        {
          options.powerCutAfterBytes = bytes;
          restartSim();
          writer();
          std::exit(0);
        },
        ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "");
  }
};

TEST_F(PowerCutTest, FontCutShortLeavesOnlyATemporaryFile) {
  const uint64_t before = static_cast<uint64_t>(_Arial_12B_Size) + _Arial_14_Size;
  cutAfter(before + 1000, [] { InstallFonts(); });

  const std::string dir = "/ProgramFiles/Settings/Fonts/";
  expectPayload(dir + "Arial_12B.ufnt", "Arial_12B.ufnt");
  expectPayload(dir + "Arial_14.ufnt", "Arial_14.ufnt");
  EXPECT_FALSE(exists(dir + "Calibri_10.ufnt"));
  EXPECT_EQ(1000u, readFile(dir + "Calibri_10.ufnt" PAYLOAD_TEMP_SUFFIX).size());

  InstallFonts();
  for (const FontInfo &font : fonts())
    expectPayload(dir + font.name + ".ufnt", std::string(font.name) + ".ufnt");
  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
}

TEST_F(PowerCutTest, ProgramCutShortIsWrittenAgainNextTime) {
  cutAfter(5000, [] { InstallWget(); });
  EXPECT_FALSE(exists("/ProgramFiles/wget"));

  InstallWget();
  expectPayload("/ProgramFiles/wget", "wget");
  EXPECT_EQ(0555u, mode("/ProgramFiles/wget"));
  EXPECT_TRUE(filesEndingIn(PAYLOAD_TEMP_SUFFIX).empty());
}

TEST_F(PowerCutTest, ReplacedManagerStaysWholeUntilTheNewOneIsComplete) {
  writeFile("/ProgramFiles/Vantero.tap", "the manager installed before");
  cutAfter(static_cast<uint64_t>(_Vantero_Size) / 2, [] { InstallVantero("/ProgramFiles", "Vantero.tap"); });
  EXPECT_EQ("the manager installed before", readFile("/ProgramFiles/Vantero.tap"));

  InstallVantero("/ProgramFiles", "Vantero.tap");
  expectPayload("/ProgramFiles/Vantero.tap", "Vantero.tap");
}

}  // namespace
}  // namespace payloads
