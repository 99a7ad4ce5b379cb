// InstallerStartTest.cpp - the installer's TAP file: its identity sections and its start-up in pvrsim.
#include <dlfcn.h>
#include <elf.h>

#include <map>

#include "FoundationFixture.h"

using namespace foundation;

namespace {
const char kLog[] = "/ProgramFiles/Settings/Vantero/Vantero.log";
const char kStamp[] = "2015-12-29 13:05:09 ";

// Section name -> contents of an ELF32 little-endian file.
std::map<std::string, std::string> ReadSections(const std::string &file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  std::string image(in.good() ? (size_t)in.tellg() : 0, '\0');
  in.seekg(0);
  in.read(image.data(), image.size());
  std::map<std::string, std::string> sections;
  if (image.size() < sizeof(Elf32_Ehdr)) return sections;
  Elf32_Ehdr header;
  memcpy(&header, image.data(), sizeof header);
  if (memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS32) return sections;
  auto sectionHeader = [&](unsigned i) {
    Elf32_Shdr sh{};
    size_t at = header.e_shoff + (size_t)i * header.e_shentsize;
    if (at + sizeof sh <= image.size()) memcpy(&sh, image.data() + at, sizeof sh);
    return sh;
  };
  Elf32_Shdr names = sectionHeader(header.e_shstrndx);
  for (unsigned i = 0; i < header.e_shnum; i++) {
    Elf32_Shdr sh = sectionHeader(i);
    std::string name = image.c_str() + names.sh_offset + sh.sh_name;
    if (sh.sh_type != SHT_NOBITS && sh.sh_offset + sh.sh_size <= image.size())
      sections[name] = image.substr(sh.sh_offset, sh.sh_size);
  }
  return sections;
}

std::string Padded(const std::string &text, size_t size) {
  return text + std::string(size - text.size(), '\0');
}
}  // namespace

TEST(InstallerIdentityTest, SevenSectionsWithExactSizesAndContents) {
  std::map<std::string, std::string> sections = ReadSections(TAP_Vantero_Setup);
  ASSERT_FALSE(sections.empty());
  EXPECT_EQ(Padded(std::string("TFAPMIPS\x10\0\0\0", 12), 32), sections["._tap_header"]);
  EXPECT_EQ(std::string("\x25\x1A\x3E\x5C", 4), sections["._tap_id"]);
  EXPECT_EQ(Padded("Vantero Setup V2.1", 64), sections["._tap_program_name"]);
  EXPECT_EQ(Padded("V2.1", 64), sections["._tap_program_version"]);
  EXPECT_EQ(Padded("Vantero Team", 64), sections["._tap_author_name"]);
  EXPECT_EQ(Padded("Vantero Setup", 128), sections["._tap_description"]);
  EXPECT_EQ(Padded("Dec 31 2015", 64), sections["._tap_etcinfo"]);
}

class InstallerStartTest : public SimTest {
 protected:
  InstallerStartTest() {
    options.systemId = 12345;
    options.firmwareVersion = 0xABC;
  }
  int StartInstaller(const std::string &folder, std::optional<dword> param = std::nullopt) {
    if (!sim) Start();
    EXPECT_TRUE(sim->copyToDisk(TAP_Vantero_Setup, folder + "/")) << sim->lastError();
    installerSlot = sim->startTap(folder + "/Vantero_Setup.tap", param);
    EXPECT_GE(installerSlot, 0) << sim->lastError();
    return installerSlot;
  }
  int installerSlot = -1;
  std::string Expected(const std::vector<std::string> &lines) const {
    std::string log;
    for (const std::string &line : lines) log += kStamp + line + "\r\n";
    return log;
  }
  // A variable of the installer inside the loaded TAP.
  template <typename T>
  T *TapVariable(int slot, const char *name) {
    return (T *)dlsym(sim->tapHandle(slot), name);
  }
};

TEST_F(InstallerStartTest, WithoutParameterInstalls) {
  ASSERT_FALSE(exists("/ProgramFiles/Settings"));
  int slot = StartInstaller("/ProgramFiles");
  EXPECT_EQ(Expected({"Launching Vantero Setup V2.1", "SysID=12345, Firmware=0x0abc",
                      "No parameter provided, using IT_Install"}),
            readFile(kLog));
  EXPECT_EQ(std::string(kStamp) + "Vantero Setup: Launching Vantero Setup V2.1\n" + kStamp +
                "Vantero Setup: SysID=12345, Firmware=0x0abc\n" + kStamp +
                "Vantero Setup: No parameter provided, using IT_Install\n",
            pvrsim::box::consoleText());

  ASSERT_GE(slot, 0);
  EXPECT_TRUE(sim->isRunning(slot));  // TAP_Main returned 1: resident
  EXPECT_EQ(0u, *TapVariable<dword>(slot, "SetupMode"));
  EXPECT_EQ(0, *TapVariable<int>(slot, "TaskIndex"));
  EXPECT_STREQ("Vantero", TapVariable<char>(slot, "FullName"));
  EXPECT_EQ("/mnt/hd/ProgramFiles", sim->currentDir(slot));
}

class InstallerParameterTest : public InstallerStartTest,
                               public ::testing::WithParamInterface<std::pair<dword, const char *>> {};

TEST_P(InstallerParameterTest, NamesTheTask) {
  auto [task, line] = GetParam();
  int slot = StartInstaller("/ProgramFiles", task);
  std::vector<std::string> lines = {"Launching Vantero Setup V2.1", "SysID=12345, Firmware=0x0abc"};
  if (line[0] != '\0') lines.push_back(line);
  EXPECT_EQ(Expected(lines), readFile(kLog));
  ASSERT_GE(slot, 0);
  EXPECT_EQ(task, *TapVariable<dword>(slot, "SetupMode"));
  EXPECT_TRUE(sim->isRunning(slot));
}

INSTANTIATE_TEST_SUITE_P(Tasks, InstallerParameterTest,
                         ::testing::Values(std::make_pair(0u, "Setup parameter IT_Install"),
                                           std::make_pair(1u, "Setup parameter IT_Uninstall"),
                                           std::make_pair(2u, "Setup parameter IT_UninstallComplete"),
                                           std::make_pair(3u, "Setup parameter IT_AutoStart"),
                                           std::make_pair(4u, "Setup parameter IT_Repair"),
                                           std::make_pair(5u, "Setup parameter IT_RepairComplete"),
                                           std::make_pair(7u, "")));

TEST_F(InstallerStartTest, LeavesAutoStart) {
  int slot = StartInstaller("/ProgramFiles/AutoStart", 3u);
  EXPECT_FALSE(exists("/ProgramFiles/AutoStart/Vantero_Setup.tap"));
  EXPECT_TRUE(exists("/ProgramFiles/Vantero_Setup.tap"));
  EXPECT_EQ(
      Expected({"Launching Vantero Setup V2.1", "SysID=12345, Firmware=0x0abc",
                "Found myself in AutoStart! Moving back to ProgramFiles", "Setup parameter IT_AutoStart"}),
      readFile(kLog));
  EXPECT_GE(slot, 0);
}

TEST_F(InstallerStartTest, LeavesXStartToo) {
  StartInstaller("/ProgramFiles/XStart", 3u);
  EXPECT_TRUE(exists("/ProgramFiles/Vantero_Setup.tap"));
  EXPECT_NE(readFile(kLog).find("Found myself in AutoStart! Moving back to ProgramFiles"), std::string::npos);
}

TEST_F(InstallerStartTest, LogFolderAlreadyThere) {
  Start();
  writeFile(kLog, "old\r\n");
  StartInstaller("/ProgramFiles", 7u);
  EXPECT_EQ("old\r\n" + Expected({"Launching Vantero Setup V2.1", "SysID=12345, Firmware=0x0abc"}),
            readFile(kLog));
}
