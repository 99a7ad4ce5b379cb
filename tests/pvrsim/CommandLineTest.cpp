// CommandLineTest.cpp - the pvrsim program's arguments, key scripts and runs.
#include <elf.h>
#include <sys/wait.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gmock/gmock.h>

#include "SimFixture.h"
#include "core/CommandLine.h"

namespace {

using pvrsim::CommandLine;
using ::testing::HasSubstr;

bool parse(std::vector<std::string> args, CommandLine &out, std::string &error) {
  return pvrsim::parseCommandLine(args, out, error);
}

std::string parseError(std::vector<std::string> args) {
  CommandLine out;
  std::string error;
  EXPECT_FALSE(parse(args, out, error));
  return error;
}

std::string tmpDir() { return freshTestCaseFolder(); }

TEST(CommandLineTest, KeyNamesAndLanguages) {
  dword code;
  ASSERT_TRUE(pvrsim::parseKeyName("OK", code));
  EXPECT_EQ(code, static_cast<dword>(RKEY_Ok));
  ASSERT_TRUE(pvrsim::parseKeyName("7", code));
  EXPECT_EQ(code, static_cast<dword>(RKEY_7));
  ASSERT_TRUE(pvrsim::parseKeyName("0x1000B", code));
  EXPECT_EQ(code, 0x1000Bu);
  for (const char *bad : {"", "okay", "12", "0x", "0xZZ", "-1"})
    EXPECT_FALSE(pvrsim::parseKeyName(bad, code)) << bad;

  int language;
  ASSERT_TRUE(pvrsim::parseLanguage("nl", language));
  EXPECT_EQ(language, 11);
  ASSERT_TRUE(pvrsim::parseLanguage("bg", language));
  EXPECT_EQ(language, 19);
  ASSERT_TRUE(pvrsim::parseLanguage("19", language));
  EXPECT_EQ(language, 19);
  for (const char *bad : {"xx", "20", "255", "-1", "4294967296"})
    EXPECT_FALSE(pvrsim::parseLanguage(bad, language)) << bad;
}

TEST(CommandLineTest, NumbersAreDwords) {
  struct Row {
    const char *text;
    bool ok;
    dword value;
  } rows[] = {{"0", true, 0},
              {"4294967295", true, 0xFFFFFFFFu},
              {"0xFFFFFFFF", true, 0xFFFFFFFFu},
              {"0x10", true, 16},
              {"4294967296", false, 0},
              {"0x100000000", false, 0},
              {"99999999999", false, 0},
              {"99999999999999999999999", false, 0},
              {"-1", false, 0},
              {"+1", false, 0},
              {" 1", false, 0},
              {"1 ", false, 0},
              {"0x", false, 0},
              {"", false, 0},
              {"12ab", false, 0}};
  for (const Row &row : rows) {
    dword value = 0;
    EXPECT_EQ(pvrsim::parseDword(row.text, value), row.ok) << row.text;
    if (row.ok) {
      EXPECT_EQ(value, row.value) << row.text;
    }
  }
}

TEST(CommandLineTest, ParsesEveryOption) {
  CommandLine cl;
  std::string error;
  ASSERT_TRUE(parse({"--disk",     "d",
                     "--run=r",    "--lang",
                     "de",         "--key",
                     "10:ok",      "--key=20:0x1003F",
                     "--ticks",    "500",
                     "--realtime", "--echo",
                     "--time",     "2016-01-02 03:04:05",
                     "--param",    "0x3",
                     "--copy",     "host.bin=/ProgramFiles/",
                     "--no-utf8",  "--system-id",
                     "7",          "--firmware-version",
                     "0x1300",     "--power-cut-tick",
                     "99",         "--power-cut-bytes",
                     "1000",       "/ProgramFiles/X.tap"},
                    cl, error))
      << error;
  EXPECT_EQ(cl.options.diskDir, "d");
  EXPECT_EQ(cl.options.runDir, "r");
  EXPECT_EQ(cl.options.osdLanguage, 2);
  ASSERT_EQ(cl.keys.size(), 2u);
  EXPECT_EQ(cl.keys[0].tick, 10u);
  EXPECT_EQ(cl.keys[1].code, static_cast<dword>(RKEY_Red));
  EXPECT_EQ(cl.ticks, 500u);
  EXPECT_TRUE(cl.options.realtime);
  EXPECT_TRUE(cl.options.consoleEcho);
  ASSERT_TRUE(cl.options.startTime);
  EXPECT_EQ(cl.options.startTime->second, 5);
  EXPECT_EQ(cl.param, 3u);
  ASSERT_EQ(cl.copies.size(), 1u);
  EXPECT_EQ(cl.copies[0].second, "/ProgramFiles/");
  EXPECT_FALSE(cl.options.utf8Firmware);
  EXPECT_EQ(cl.options.systemId, 7u);
  EXPECT_EQ(cl.options.firmwareVersion, 0x1300u);
  EXPECT_EQ(cl.options.powerCutAtTick, 99u);
  EXPECT_EQ(cl.options.powerCutAfterBytes, 1000u);
  EXPECT_EQ(cl.tapFile, "/ProgramFiles/X.tap");
}

TEST(CommandLineTest, BadArgumentsNameTheArgumentAndTheProblem) {
  EXPECT_EQ(parseError({}), "no TAP file given");
  EXPECT_EQ(parseError({"--lang", "xx", "a.tap"}), "--lang: \"xx\" is not a language code or number");
  EXPECT_THAT(parseError({"--time", "2015-02-30 10:00:00", "a.tap"}),
              HasSubstr("--time: \"2015-02-30 10:00:00\""));
  EXPECT_EQ(parseError({"--ticks", "many", "a.tap"}), "--ticks: \"many\" is not a number of ticks");
  EXPECT_EQ(parseError({"--key", "10:purple", "a.tap"}),
            "--key: \"10:purple\" is not TICK:NAME with a known key name");
  EXPECT_EQ(parseError({"--bogus", "a.tap"}), "--bogus: unknown option");
  EXPECT_EQ(parseError({"a.tap", "b.tap"}), "b.tap: only one TAP file can be given (a.tap came first)");
  EXPECT_EQ(parseError({"a.tap", "--disk"}), "--disk: missing value");
  EXPECT_THAT(parseError({"--copy", "nothing", "a.tap"}), HasSubstr("HOST=BOXPATH"));
  EXPECT_THAT(parseError({"--echo=1", "a.tap"}), HasSubstr("takes no value"));
  CommandLine help;
  std::string error;
  EXPECT_TRUE(parse({"--help"}, help, error));
  EXPECT_TRUE(help.help);
}

TEST(CommandLineTest, KeyScript) {
  std::string dir = tmpDir();
  writeHostFile(dir + "/keys.txt", "# keys\n\n100 ok\n  150  Exit\n200 0x10024\n");
  writeHostFile(dir + "/bad.txt", "100 ok\n150\n");
  std::vector<pvrsim::ScheduledKey> keys;
  std::string error;
  ASSERT_TRUE(pvrsim::readKeyScript(dir + "/keys.txt", keys, error)) << error;
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[1].tick, 150u);
  EXPECT_EQ(keys[1].code, static_cast<dword>(RKEY_Exit));
  EXPECT_EQ(keys[2].code, static_cast<dword>(RKEY_Green));
  EXPECT_FALSE(pvrsim::readKeyScript(dir + "/bad.txt", keys, error));
  EXPECT_EQ(error, dir + "/bad.txt:2: expected \"TICK NAME\", found \"150\"");
  EXPECT_FALSE(pvrsim::readKeyScript(dir + "/none.txt", keys, error));
  EXPECT_THAT(error, HasSubstr("none.txt: cannot read"));
}

TEST(CommandLineTest, RunCopiesAHostTapOntoTheDiskAndRunsUntilItEnds) {
  std::string dir = tmpDir();
  CommandLine cl;
  cl.options.diskDir = dir + "/disk";
  cl.options.runDir = dir + "/run";
  cl.tapFile = TAP_pvrsim_probe_resident;
  cl.keys.push_back({40, RKEY_Exit});
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(pvrsim::runCommandLine(cl), 0);
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_THAT(out, HasSubstr("pvrsim: ran 40 ticks (0.40 s of box time)"));
  EXPECT_THAT(out, HasSubstr("TAPs still running: 0"));
  EXPECT_THAT(out, HasSubstr("console capture: "));
  std::string copied =
      dir + "/disk/ProgramFiles/" + std::filesystem::path(TAP_pvrsim_probe_resident).filename().string();
  EXPECT_TRUE(std::filesystem::exists(copied));
}

// A start parameter goes through pvrsim's launcher TAP and the library's
// HDD_TAP_Start, which leaves nothing of the launcher on the disk.
TEST(CommandLineTest, RunHandsTheParameterOverThroughTheLauncher) {
  std::string dir = tmpDir();
  CommandLine cl;
  cl.options.diskDir = dir + "/disk";
  cl.options.runDir = dir + "/run";
  cl.tapFile = TAP_pvrsim_probe_main_zero;  // writes its parameter to /Param.txt, ends in TAP_Main
  cl.param = 0xC0FFEEu;
  cl.ticks = 5;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(pvrsim::runCommandLine(cl), 0);
  ::testing::internal::GetCapturedStdout();
  std::string text = readHostFile(dir + "/disk/Param.txt");
  EXPECT_EQ(text, std::to_string(0xC0FFEEu));
  EXPECT_FALSE(std::filesystem::exists(dir + "/disk/ProgramFiles/Launcher.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/disk/ProgramFiles/Launcher.tap"));
}

// The box's AutoStart TAPs run first; the TAP named on the command line is
// started once even when it lies in the AutoStart folder itself.
TEST(CommandLineTest, RunBootsAutoStartAndStartsTheNamedTapOnce) {
  std::string dir = tmpDir();
  CommandLine cl;
  cl.options.diskDir = dir + "/disk";
  cl.options.runDir = dir + "/run";
  cl.copies.push_back({TAP_pvrsim_probe_resident, "/ProgramFiles/AutoStart/Probe.tap"});
  cl.copies.push_back({TAP_pvrsim_counter_A, "/ProgramFiles/AutoStart/CounterA.tap"});
  cl.tapFile = "/ProgramFiles/AutoStart/Probe.tap";
  cl.ticks = 1;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(pvrsim::runCommandLine(cl), 0);
  std::string out = ::testing::internal::GetCapturedStdout();
  EXPECT_THAT(out, HasSubstr("TAPs still running: 2"));
  EXPECT_THAT(out, HasSubstr("/ProgramFiles/AutoStart/CounterA.tap"));
}

// The program itself: what it says and its exit status for bad arguments
// (2) and TAPs that cannot be started (1).
struct ProgramRun {
  int status;
  std::string output;  // stdout and stderr
};

ProgramRun runProgram(const std::string &arguments) {
  std::string command = std::string(PVRSIM_PROGRAM) + " " + arguments + " 2>&1";
  FILE *pipe = popen(command.c_str(), "r");
  ProgramRun run{-1, ""};
  if (pipe == nullptr) return run;
  char buffer[512];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

TEST(CommandLineTest, ProgramRefusesBadArgumentsAndBrokenTaps) {
  std::string dir = tmpDir();
  std::string tap = TAP_pvrsim_probe_resident;
  std::string bytes = readHostFile(tap);
  Elf32_Ehdr header;
  std::memcpy(&header, bytes.data(), sizeof header);
  uint32_t huge = 0x80000000u;  // the section-name table's size
  bytes.replace(header.e_shoff + header.e_shstrndx * sizeof(Elf32_Shdr) + offsetof(Elf32_Shdr, sh_size), 4,
                reinterpret_cast<const char *>(&huge), 4);
  std::filesystem::create_directories(dir + "/disk/ProgramFiles/AutoStart");
  writeHostFile(dir + "/disk/ProgramFiles/Damaged.tap", bytes);
  writeHostFile(dir + "/disk/ProgramFiles/AutoStart/Damaged.tap", bytes);
  writeHostFile(dir + "/file", "x");
  const std::string folders = " --disk " + dir + "/disk --run " + dir + "/run ";
  struct Row {
    std::string arguments;
    int status;
    std::string says;
  } rows[] = {
      {folders + "/ProgramFiles/Damaged.tap", 1,
       "pvrsim: the TAP cannot be started: /ProgramFiles/Damaged.tap: truncated ELF file (section names "
       "beyond the "
       "end)\n"},
      {folders + "--ticks 1 " + tap, 0,
       "pvrsim: AutoStart TAP skipped, it cannot be started: /ProgramFiles/AutoStart/Damaged.tap: truncated "
       "ELF"},
      {folders + "--ticks 99999999999 " + tap, 2,
       "pvrsim: --ticks: \"99999999999\" is not a number of ticks\n"},
      {folders + "--max-ticks 0x100000000 " + tap, 2,
       "--max-ticks: \"0x100000000\" is not a number of ticks"},
      {folders + "--param 4294967296 " + tap, 2, "--param: \"4294967296\" is not a number"},
      {folders + "--lang 20 " + tap, 2, "--lang: \"20\" is not a language code or number"},
      {folders + "--lang 255 " + tap, 2, "--lang: \"255\" is not a language code or number"},
      {"--disk " + dir + "/file " + tap, 2, "pvrsim: --disk: \"" + dir + "/file\" is not a folder\n"},
      {"--disk " + dir + "/disk --run " + dir + "/file " + tap, 2,
       "--run: \"" + dir + "/file\" is not a folder"},
      {folders + "--frames " + dir + "/file " + tap, 2, dir + "/file: not a folder (frames folder)"},
      {folders + "--run " + dir + "/file/sub " + tap, 2, "--run: \"" + dir + "/file/sub\" cannot be created"},
  };
  for (const Row &row : rows) {
    ProgramRun run = runProgram(row.arguments);
    EXPECT_EQ(run.status, row.status) << row.arguments << "\n" << run.output;
    EXPECT_THAT(run.output, HasSubstr(row.says)) << row.arguments;
  }
}

TEST(CommandLineTest, RunRefusesAFileThatIsNotATap) {
  std::string dir = tmpDir();
  writeHostFile(dir + "/Text.tap", "hello");
  CommandLine cl;
  cl.options.diskDir = dir + "/disk";
  cl.options.runDir = dir + "/run";
  cl.tapFile = dir + "/Text.tap";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(pvrsim::runCommandLine(cl), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "pvrsim: the TAP cannot be started: /ProgramFiles/Text.tap: not an ELF file\n");

  cl.tapFile = "/ProgramFiles/Missing.tap";
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(pvrsim::runCommandLine(cl), 1);
  EXPECT_THAT(::testing::internal::GetCapturedStderr(),
              HasSubstr("/ProgramFiles/Missing.tap: no such file on the disk"));
}

}  // namespace
