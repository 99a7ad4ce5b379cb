// FirmwareTest.cpp - the firmware internals as a TAP finds them by name, the work-folder
// functions and program start, and the memory services.
#include <dlfcn.h>

#include <cstring>

#include "ProbeTap.h"
#include "SimFixture.h"
#include "core/Firmware.h"

extern "C" dword _curTapTask;

namespace {

// Looks a firmware name up the way the library does (through the box's dlsym).
void *firmwareSymbol(const char *name) {
  void *global = dlopen(nullptr, RTLD_LAZY | RTLD_GLOBAL);
  void *address = dlsym(global, name);
  dlclose(global);
  return address;
}

class FirmwareTest : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    self = adoptTestProgram();
    ASSERT_GE(self, 0);
  }
  template <typename F>
  F function(const char *name) {
    return reinterpret_cast<F>(firmwareSymbol(name));
  }
  int self = -1;
};

TEST_F(FirmwareTest, EveryFirmwareSymbolOfPvrsimIsFound) {
  for (const char *name : pvrsim::firmware::kSymbolNames) {
    if (std::strcmp(name, "_osdInfo") == 0) continue;  // the OSD module's
    EXPECT_NE(firmwareSymbol(name), nullptr) << name;
  }
  auto *cur = static_cast<dword *>(firmwareSymbol("_curTapTask"));
  ASSERT_NE(cur, nullptr);
  EXPECT_EQ(*cur, static_cast<dword>(self));
  EXPECT_EQ(firmwareSymbol("_tapTask"), static_cast<void *>(const_cast<TYPE_TapTask *>(&sim->task(0))));
}

TEST_F(FirmwareTest, TimeConversionAndMacAddress) {
  auto toLinux = function<dword (*)(dword)>("PvrTimeToLinux");
  ASSERT_NE(toLinux, nullptr);
  EXPECT_EQ(toLinux(57385u << 16 | 13 << 8 | 5), 1451394300u);  // 2015-12-29 13:05 UTC
  EXPECT_EQ(toLinux(40587u << 16), 0u);
  EXPECT_EQ(toLinux(40000u << 16), 0u);  // before 1970

  auto getMac = function<void (*)(byte **, void *)>("DevEeprom_GetMacAddr");
  ASSERT_NE(getMac, nullptr);
  byte *mac = nullptr;
  byte scratch[8];
  getMac(&mac, scratch);
  ASSERT_NE(mac, nullptr);
  EXPECT_EQ(std::memcmp(mac, options.macAddress, 6), 0);
}

TEST_F(FirmwareTest, Utf8RoutineRepairsInvalidBytes) {
  auto convert = function<int (*)(unsigned char *, int)>("_Z26Appl_ConvertToValidUTF8StrPhi");
  ASSERT_NE(convert, nullptr);
  unsigned char text[] = "ok \xC3\xA9 \xE9 \xC3";
  EXPECT_EQ(convert(text, sizeof text), 2);
  EXPECT_STREQ(reinterpret_cast<char *>(text), "ok \xC3\xA9 ? ?");
}

class NonUtf8FirmwareTest : public FirmwareTest {
  void configureOptions(pvrsim::Options &o) override { o.utf8Firmware = false; }
};

TEST_F(NonUtf8FirmwareTest, HidesTheUtf8Routine) {
  EXPECT_EQ(firmwareSymbol(pvrsim::firmware::kUtf8Symbol), nullptr);
  EXPECT_NE(firmwareSymbol("_Z16Appl_ExecProgramPc"), nullptr);
}

TEST_F(FirmwareTest, ExecProgramStartsAFileFromTheSelectedWorkFolder) {
  ASSERT_TRUE(sim->copyToDisk(TAP_pvrsim_probe_resident, "/ProgramFiles/Sub/Probe.tap"));
  auto save = function<dword (*)()>("_Z22ApplHdd_SaveWorkFolderv");
  auto restore = function<dword (*)()>("_Z25ApplHdd_RestoreWorkFolderv");
  auto select = function<int (*)(void *, const char *)>("_Z20ApplHdd_SelectFolderPvPKc");
  auto setWork = function<dword (*)(void *)>("_Z21ApplHdd_SetWorkFolderPv");
  auto exec = function<dword (*)(char *)>("_Z16Appl_ExecProgramPc");

  TYPE_HddFolder folder{};
  folder.magic = TAP_FOLDER_RECORD_MAGIC;
  EXPECT_NE(select(&folder, "mnt/hd/ProgramFiles/Missing"), 0);
  save();
  ASSERT_EQ(select(&folder, "mnt/hd/ProgramFiles/Sub"), 0);
  TYPE_HddFolder other{};
  ASSERT_EQ(select(&other, "mnt/hd/ProgramFiles"), 0);
  EXPECT_NE(std::memcmp(folder.data, other.data, sizeof folder.data), 0);  // identifies the folder
  EXPECT_EQ(setWork(&folder), 0u);
  char name[] = "Probe.tap";
  EXPECT_EQ(exec(name), 1u);
  restore();

  int slot = sim->slotOf("/ProgramFiles/Sub/Probe.tap");
  ASSERT_GE(slot, 0);
  EXPECT_EQ(sim->currentDir(slot), "/mnt/hd/ProgramFiles/Sub");
  EXPECT_EQ(_curTapTask, static_cast<dword>(self));  // restored after TAP_Main

  // After the restore there is no work folder: nothing starts.
  EXPECT_EQ(exec(name), 0u);
  EXPECT_EQ(sim->taskCount(), 2);
  TYPE_HddFolder forged{};
  EXPECT_NE(setWork(&forged), 0u);
}

TEST(MemoryTest, AllocFreeAndFormat) {
  EXPECT_EQ(TAP_MemFree(nullptr), 0);
  char *block = static_cast<char *>(TAP_MemAlloc(32));
  ASSERT_NE(block, nullptr);
  TAP_MemSet(block, 'x', 4);
  EXPECT_EQ(TAP_MemCmp(block, "xxxx", 4), 0);
  TAP_MemCpy(block + 1, block, 3);
  EXPECT_EQ(TAP_SPrint(block, "%s-%04x", "id", 0xBEEFu), 7);
  EXPECT_STREQ(block, "id-beef");
  EXPECT_EQ(TAP_MemFree(block), 1);
}

}  // namespace
