// InventoryTest.cpp - the on-board TAP inventory on a disk of TAP files: the
// first scan, a scan after files were updated, moved into AutoStart and
// removed, a scan without changes, the 200-entry limit, links, and the file
// "TAPOnBoard.bin" with what a damaged one does.
#include <algorithm>

#include "DataFilesSim.h"

namespace datafiles {
namespace {

uint32_t Crc(const std::string &s) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : s) {
    crc ^= static_cast<uint32_t>(c) << 24;
    for (int bit = 0; bit < 8; bit++) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

class InventoryTest : public DataFilesSim {
 protected:
  void SetUp() override {
    DataFilesSim::SetUp();
    resetTable();
  }
  // As after a restart of the manager: nothing in memory.
  void resetTable() {
    if (TAPsOnBoard != nullptr) memset(TAPsOnBoard, 0, TOB_MAX_ENTRIES * sizeof(tTAPsOnBoard));
    TAPsOnBoardCount = 0;
  }
  const tTAPsOnBoard *entry(uint32_t id) const {
    for (int i = 0; i < TAPsOnBoardCount; i++)
      if (TAPsOnBoard[i].TAPID == id) return &TAPsOnBoard[i];
    return nullptr;
  }
  struct Expected {
    uint32_t id;
    std::string boxPath;  // the file whose CRC and time the entry holds
    bool autoStart, found;
  };
  void expectEntries(const std::vector<Expected> &expected) {
    ASSERT_EQ(static_cast<int>(expected.size()), TAPsOnBoardCount);
    for (size_t i = 0; i < expected.size(); i++) {
      const tTAPsOnBoard &e = TAPsOnBoard[i];
      const Expected &x = expected[i];
      EXPECT_EQ(x.id, e.TAPID) << "entry " << i;
      EXPECT_STREQ("Template TAP", e.TAPName) << i;
      EXPECT_EQ(Crc(readFile(x.boxPath)), e.CRC) << x.boxPath;
      struct stat st {};
      ASSERT_EQ(0, stat(disk(x.boxPath).c_str(), &st)) << x.boxPath;
      EXPECT_EQ(static_cast<dword>(st.st_mtime), e.TimeStamp) << x.boxPath;
      EXPECT_EQ(x.autoStart ? 1u : 0u, e.isAutoStart) << x.boxPath;
      EXPECT_EQ(x.found ? 1u : 0u, e.Found) << x.boxPath;
      EXPECT_EQ(0u, e.PartOf) << x.boxPath;
    }
  }
};

TEST_F(InventoryTest, ScansFindNewUpdatedMovedAndVanishedTapsAndRecomputeOnlyChangedFiles) {
  putTap("/ProgramFiles/A.tap", 0xA1);
  putTap("/ProgramFiles/Sub/B.tap", 0xB2, "b");
  putTap("/ProgramFiles/AutoStart/C.tap", 0xC3, "c");
  putTap("/ProgramFiles/XStart/D.tap", 0xD4, "d");
  putTap("/ProgramFiles/Keep.tap", 0xE5, "e");
  writeFile("/ProgramFiles/Broken.tap", "not a TAP");
  writeFile("/ProgramFiles/Readme.txt", "not even called a TAP");
  for (const char *f : {"/ProgramFiles/A.tap", "/ProgramFiles/Sub/B.tap", "/ProgramFiles/AutoStart/C.tap",
                        "/ProgramFiles/XStart/D.tap", "/ProgramFiles/Keep.tap"})
    setTime(f, 1450000000);

  TAPsOnBoardFind();
  EXPECT_EQ((std::vector<std::string>{"TOB: A.tap is new (000000a1) (/ProgramFiles)",
                                      "TOB: Keep.tap is new (000000e5) (/ProgramFiles)",
                                      "TOB: C.tap is new (000000c3) (/ProgramFiles/AutoStart)",
                                      "TOB: B.tap is new (000000b2) (/ProgramFiles/Sub)",
                                      "TOB: D.tap is new (000000d4) (/ProgramFiles/XStart)"}),
            takeLog());
  expectEntries({{0xA1, "/ProgramFiles/A.tap", false, true},
                 {0xE5, "/ProgramFiles/Keep.tap", false, true},
                 {0xC3, "/ProgramFiles/AutoStart/C.tap", true, true},
                 {0xB2, "/ProgramFiles/Sub/B.tap", false, true},
                 {0xD4, "/ProgramFiles/XStart/D.tap", true, true}});
  EXPECT_EQ("/ProgramFiles", currentDir());

  // Updated (new content and time), moved into AutoStart, removed, added;
  // and a file whose content changed under the same time stamp, whose CRC
  // therefore stays as it was.
  uint32_t keepCrc = entry(0xE5)->CRC;
  putTap("/ProgramFiles/A.tap", 0xA1, "version 2");
  setTime("/ProgramFiles/A.tap", 1450000500);
  fs::create_directories(disk("/ProgramFiles/AutoStart"));
  fs::rename(disk("/ProgramFiles/Sub/B.tap"), disk("/ProgramFiles/AutoStart/B.tap"));
  fs::remove(disk("/ProgramFiles/AutoStart/C.tap"));
  putTap("/ProgramFiles/Sub/New.tap", 0xF6);
  putTap("/ProgramFiles/Keep.tap", 0xE5, "changed behind the time stamp");
  setTime("/ProgramFiles/Keep.tap", 1450000000);

  TAPsOnBoardFind();
  std::vector<std::string> log = takeLog();
  std::vector<std::string> expected = {
      "TOB: A.tap has been updated (000000a1) (1450000000 vs. 1450000500)",
      "TOB: B.tap (000000b2) changed AutoStart mode to on",
      "TOB: New.tap is new (000000f6) (/ProgramFiles/Sub)",
  };
  EXPECT_EQ(expected, log);
  EXPECT_EQ(Crc(readFile("/ProgramFiles/A.tap")), entry(0xA1)->CRC);
  EXPECT_EQ(keepCrc, entry(0xE5)->CRC) << "an unchanged time stamp means no new CRC";
  EXPECT_EQ(nullptr, entry(0xC3)) << "a vanished TAP leaves the inventory";
  EXPECT_EQ(1u, entry(0xB2)->isAutoStart);
  EXPECT_EQ(1u, entry(0xF6)->Found);

  std::vector<tTAPsOnBoard> before(TAPsOnBoard, TAPsOnBoard + TAPsOnBoardCount);
  TAPsOnBoardFind();
  EXPECT_TRUE(takeLog().empty()) << "a scan without changes logs nothing";
  ASSERT_EQ(before.size(), static_cast<size_t>(TAPsOnBoardCount));
  EXPECT_EQ(0, memcmp(before.data(), TAPsOnBoard, before.size() * sizeof(tTAPsOnBoard)));
}

// TAPs in a folder whose path passes 200 characters get their own CRC, and
// an inventory full of TAPs no longer on the disk makes room for real ones.
TEST_F(InventoryTest, DeepFoldersGetTheirCRCAndVanishedEntriesMakeRoom) {
  const std::string deep =
      "/ProgramFiles/" + std::string(70, 'd') + "/" + std::string(70, 'e') + "/" + std::string(70, 'f');
  putTap(deep + "/X.tap", 0x11, "x");
  putTap(deep + "/Y.tap", 0x22, "y");
  putTap("/ProgramFiles/A.tap", 0xA1);
  Bytes strangers;
  strangers.dw(3).dw(TOB_MAX_ENTRIES);
  for (int i = 0; i < TOB_MAX_ENTRIES; i++)
    strangers.dw(0x1000 + i).raw(std::string(64, '\0')).dws({1, 2, 0, 1, 0});
  putSetting("TAPOnBoard.bin", strangers.data());
  TAPsOnBoardFind();
  expectEntries({{0xA1, "/ProgramFiles/A.tap", false, true},
                 {0x11, deep + "/X.tap", false, true},
                 {0x22, deep + "/Y.tap", false, true}});
  EXPECT_EQ("/ProgramFiles", currentDir());
}

TEST_F(InventoryTest, TheFileHoldsTheTableAndALaterRunStartsFromIt) {
  putTap("/ProgramFiles/A.tap", 0xA1);
  putTap("/ProgramFiles/AutoStart/B.tap", 0xB2);
  TAPsOnBoardFind();
  takeLog();
  putSetting("TAPOnBoard.bin", std::string(5000, 'x'));
  ASSERT_TRUE(TAPsOnBoardFree());

  Bytes image;
  image.dw(3).dw(2);
  for (int i = 0; i < 2; i++) {
    const tTAPsOnBoard &e = TAPsOnBoard[i];
    image.dw(e.TAPID)
        .raw(std::string(e.TAPName, 64))
        .dw(e.TimeStamp)
        .dw(e.CRC)
        .dw(e.isAutoStart)
        .dw(e.Found)
        .dw(e.PartOf);
  }
  EXPECT_EQ(8u + 2 * 88, getSetting("TAPOnBoard.bin").size());
  EXPECT_TRUE(image.data() == getSetting("TAPOnBoard.bin"));

  std::vector<tTAPsOnBoard> saved(TAPsOnBoard, TAPsOnBoard + 2);
  resetTable();
  ASSERT_TRUE(TAPsOnBoardLoad());
  ASSERT_EQ(2, TAPsOnBoardCount);
  EXPECT_EQ(0, memcmp(saved.data(), TAPsOnBoard, sizeof(tTAPsOnBoard) * 2));
  resetTable();
  TAPsOnBoardFind();
  EXPECT_TRUE(takeLog().empty()) << "the scan starts from the file";
}

TEST_F(InventoryTest, DamagedOrOtherVersionFilesLeaveAnEmptyTable) {
  std::string entry =
      Bytes().dw(7).raw(std::string("Name", 4) + std::string(60, '\0')).dw(1).dw(2).dw(5).dw(1).dw(9).data();
  std::string entryUnterminated =
      Bytes().dw(8).raw(std::string(64, 'N')).dw(1).dw(2).dw(0).dw(0).dw(0).data();
  std::string many;
  for (int i = 0; i < 250; i++) many += entry;
  const struct {
    const char *what;
    std::string image;
    int count;  // -1: rejected
    const char *logLine;
  } cases[] = {
      {"version 2", Bytes().dw(2).dw(1).raw(entry).data(), -1, "Invalid TOB cache version."},
      {"count beyond the entries", Bytes().dw(3).dw(2).raw(entry).data(), -1, "Damaged TOB cache."},
      {"negative count", Bytes().dw(3).dw(0xFFFFFFFF).raw(entry).data(), -1, "Damaged TOB cache."},
      {"3 bytes", "\x03\x00\x00", -1, "Damaged TOB cache."},
      {"empty", "", -1, "Damaged TOB cache."},
      {"one entry", Bytes().dw(3).dw(1).raw(entry).data(), 1, nullptr},
      {"name without terminator", Bytes().dw(3).dw(1).raw(entryUnterminated).data(), 1, nullptr},
      {"no entries", Bytes().dw(3).dw(0).data(), 0, nullptr},
      {"250 entries", Bytes().dw(3).dw(250).raw(many).data(), 200, nullptr},
      {"count 250 with 200 entries", Bytes().dw(3).dw(250).raw(many.substr(0, 200 * 88)).data(), 200,
       nullptr},
  };
  for (const auto &c : cases) {
    putSetting("TAPOnBoard.bin", c.image);
    TAPsOnBoardCount = 5;
    EXPECT_EQ(c.count >= 0, TAPsOnBoardLoad()) << c.what;
    EXPECT_EQ(std::max(c.count, 0), TAPsOnBoardCount) << c.what;
    EXPECT_EQ(c.logLine ? std::vector<std::string>{c.logLine} : std::vector<std::string>{}, takeLog())
        << c.what;
    for (int i = TAPsOnBoardCount; i < TOB_MAX_ENTRIES; i++) ASSERT_EQ(0u, TAPsOnBoard[i].TAPID) << c.what;
    for (int i = 0; i < TAPsOnBoardCount; i++)
      ASSERT_LT(strnlen(TAPsOnBoard[i].TAPName, 64), 64u) << c.what << ": name " << i << " not terminated";
  }
  putSetting("TAPOnBoard.bin", Bytes().dw(3).dw(1).raw(entry).data());
  ASSERT_TRUE(TAPsOnBoardLoad());
  EXPECT_EQ(7u, TAPsOnBoard[0].TAPID);
  EXPECT_STREQ("Name", TAPsOnBoard[0].TAPName);
  EXPECT_EQ(1u, TAPsOnBoard[0].TimeStamp);
  EXPECT_EQ(2u, TAPsOnBoard[0].CRC);
  EXPECT_EQ(1u, TAPsOnBoard[0].isAutoStart) << "any non-zero stored bool is true";
  EXPECT_EQ(1u, TAPsOnBoard[0].Found);
  EXPECT_EQ(9u, TAPsOnBoard[0].PartOf);

  putTap("/ProgramFiles/A.tap", 0xA1);
  putSetting("TAPOnBoard.bin", Bytes().dw(2).dw(0).data());
  resetTable();
  TAPsOnBoardFind();
  EXPECT_EQ((std::vector<std::string>{"Invalid TOB cache version.",
                                      "TOB: A.tap is new (000000a1) (/ProgramFiles)"}),
            takeLog())
      << "the scan rebuilds the table from the disk";
}

TEST_F(InventoryTest, TheTableHoldsAtMost200Taps) {
  for (uint32_t i = 0; i < 201; i++) {
    char name[64];
    snprintf(name, sizeof name, "/ProgramFiles/T%03u.tap", i);
    putTap(name, 0x1000 + i);
  }
  TAPsOnBoardFind();
  std::vector<std::string> log = takeLog();
  EXPECT_EQ(200, TAPsOnBoardCount);
  ASSERT_EQ(200u + 2, log.size());
  EXPECT_EQ("TOB: T198.tap is new (000010c6) (/ProgramFiles)", log[198]);
  EXPECT_EQ("Warning: reached 200 TOB elements", log[199]);
  EXPECT_EQ("TOB: T199.tap is new (000010c7) (/ProgramFiles)", log[200]);
  EXPECT_EQ("Warning: reached 200 TOB elements", log[201]) << "and the 201st TAP is left out";
  EXPECT_EQ(nullptr, entry(0x1000 + 200));
}

TEST_F(InventoryTest, LinksToFoldersAreFollowedOnceAndLoopsEnd) {
  putTap("/ProgramFiles/Sub/B.tap", 0xB2);
  putTap("/ProgramFiles/Sub/Deeper/C.tap", 0xC3);
  fs::create_directory_symlink("..", disk("/ProgramFiles/Sub/Deeper/up"));
  fs::create_directory_symlink("../../..", disk("/ProgramFiles/Sub/Deeper/top"));
  fs::create_directory_symlink("Sub", disk("/ProgramFiles/Alias"));
  fs::create_directory_symlink(".", disk("/ProgramFiles/Self"));
  TAPsOnBoardFind();
  EXPECT_EQ((std::vector<std::string>{"TOB: B.tap is new (000000b2) (/ProgramFiles/Alias)",
                                      "TOB: C.tap is new (000000c3) (/ProgramFiles/Alias/Deeper)"}),
            takeLog());
  TAPsOnBoardFind();
  EXPECT_TRUE(takeLog().empty());
}

// A TAP file the manager keeps in its settings folder is not installed.
TEST_F(InventoryTest, TapsInTheManagersSettingsFolderAreNotOnBoard) {
  putTap(SettingsDir + "/Kept.tap", 0xD4);
  putTap("/ProgramFiles/A.tap", 0xA1);
  TAPsOnBoardFind();
  EXPECT_EQ((std::vector<std::string>{"TOB: A.tap is new (000000a1) (/ProgramFiles)"}), takeLog());
}

// Each file whose CRC the scan computes is read once (bytes counted through
// the firmware's file reads): one that fits in the scan's 100 KiB buffer,
// one just larger, one of several blocks, all copied within one second;
// then a new file whose time stamp an entry with a CRC already holds (read
// by the slower path, still once).
TEST_F(InventoryTest, EachFileIsReadOnceForItsCRCAndUnchangedFilesNotAtAll) {
  const size_t templateSize = readHostFile(TAP_datafiles_template_tap).size();
  const std::vector<std::pair<uint32_t, size_t>> files = {
      {0x51, templateSize}, {0x52, 102400}, {0x53, 102401}, {0x54, 350000}};
  uint64_t total = 0;
  for (const auto &[id, size] : files) {
    std::string path = "/ProgramFiles/S" + std::to_string(id) + ".tap";
    putTap(path, id, std::string(size - templateSize, static_cast<char>(id)));
    setTime(path, 1450000000);
    total += size;
  }
  auto scanReads = [&] {
    uint64_t before = sim->hddBytesRead();
    TAPsOnBoardFind();
    return sim->hddBytesRead() - before;
  };
  EXPECT_EQ(total, scanReads()) << "the first scan";
  for (const auto &[id, size] : files) {
    ASSERT_NE(nullptr, entry(id));
    EXPECT_EQ(Crc(readFile("/ProgramFiles/S" + std::to_string(id) + ".tap")), entry(id)->CRC) << id;
  }
  EXPECT_EQ(0u, scanReads()) << "a scan without changes";

  putTap("/ProgramFiles/Twin.tap", 0x55, "twin");
  setTime("/ProgramFiles/Twin.tap", 1450000000);
  EXPECT_EQ(templateSize + 4, scanReads()) << "a new file under a known time stamp";
  EXPECT_EQ(Crc(readFile("/ProgramFiles/Twin.tap")), entry(0x55)->CRC);
}

}  // namespace
}  // namespace datafiles
