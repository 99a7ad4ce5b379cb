// TapHeaderTest.cpp - the TAP header reader on real TAP files and on copies
// that are cut short or corrupted: each gives a clean false or an empty
// field, never a read outside a buffer and never an open descriptor.
#include <elf.h>
#include <string.h>

#include <functional>
#include <string>

#include "TasksSim.h"

// The reader's memory is the heap, and what lies behind one of its blocks is
// luck.  While `behindBlocks` is set, every block is filled with 'X' and
// followed by these bytes, so a read past a block's end (or of a byte the
// reader did not write) sees what the test chose; the tests set a sound
// name-table header there, which an off-by-one section index would accept.
static std::string behindBlocks;
extern "C" void *__real_TAP_MemAlloc(dword size);
extern "C" void *__wrap_TAP_MemAlloc(dword size) {
  if (behindBlocks.empty()) return __real_TAP_MemAlloc(size);
  char *block = (char *)__real_TAP_MemAlloc(size + (dword)behindBlocks.size());
  if (block != nullptr) {
    memset(block, 'X', size);
    memcpy(block + size, behindBlocks.data(), behindBlocks.size());
  }
  return block;
}

namespace {

const char *const VariantPath = "/ProgramFiles/Variant.tap";

// A TAP file in memory whose ELF fields can be changed before it is written
// to the disk.
class TapImage {
 public:
  explicit TapImage(const std::string &hostFile) : bytes_(readHostFile(hostFile)) {}

  Elf32_Ehdr &header() { return *reinterpret_cast<Elf32_Ehdr *>(&bytes_[0]); }
  Elf32_Shdr &section(int index) {
    return *reinterpret_cast<Elf32_Shdr *>(&bytes_[header().e_shoff + index * sizeof(Elf32_Shdr)]);
  }
  Elf32_Shdr &nameTable() { return section(header().e_shstrndx); }
  int sectionIndex(const std::string &name) {
    for (int i = 1; i < header().e_shnum; i++)
      if (name == &bytes_[nameTable().sh_offset + section(i).sh_name]) return i;
    return -1;
  }
  Elf32_Shdr &section(const std::string &name) {
    int index = sectionIndex(name);
    EXPECT_GE(index, 1) << name;
    return section(index);
  }
  char *contents(const std::string &name) { return &bytes_[section(name).sh_offset]; }
  // Renames a section in place (same length), so that it is no longer found.
  void renameSection(const std::string &name, const std::string &newName) {
    ASSERT_EQ(name.size(), newName.size());
    memcpy(&bytes_[nameTable().sh_offset + section(name).sh_name], newName.data(), newName.size());
  }

  std::string &bytes() { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

class TapHeaderTest : public tasks::SimTest {
 protected:
  void SetUp() override {
    tasks::SimTest::SetUp();
    ASSERT_TRUE(copyTap(TAP_tasks_setup_identity, "/ProgramFiles/SetupIdentity.tap"));
    descriptorsBefore_ = tasks::openDescriptorCount();
    // Behind each block: the name table's header, named by the tail of its
    // own name (".shstrtab" as "shstrtab"), a name no section has.
    TapImage sound = image();
    Elf32_Shdr decoy = sound.nameTable();
    decoy.sh_name++;
    behindBlocks.assign((const char *)&decoy, sizeof decoy);
    decoyName_ = &sound.bytes()[decoy.sh_offset + decoy.sh_name];
  }
  void TearDown() override {
    behindBlocks.clear();
    EXPECT_EQ(tasks::openDescriptorCount(), descriptorsBefore_) << "reader left a descriptor open";
    tasks::SimTest::TearDown();
  }

  TapImage image() { return TapImage(disk("/ProgramFiles/SetupIdentity.tap")); }

  // Writes the bytes as a TAP file on the disk and reads its header; the
  // record is pre-filled with garbage so that unterminated fields show.
  bool readVariant(const std::string &bytes, tTAPInfo &info) {
    writeFile(VariantPath, bytes);
    memset(&info, 0x5A, sizeof(info));
    bool ok = HDD_TAP_GetInfo(VariantPath, &info);
    EXPECT_EQ(tasks::openDescriptorCount(), descriptorsBefore_);
    // The same bytes read from memory (as the inventory scan does) give the
    // same answer and the same record, partly written ones included.
    tTAPInfo fromImage;
    memset(&fromImage, 0x5A, sizeof(fromImage));
    EXPECT_EQ(ok, HDD_TAP_GetInfoFromImage((const byte *)bytes.data(), (dword)bytes.size(), &fromImage));
    EXPECT_EQ(0, memcmp(&info, &fromImage, sizeof info));
    if (ok) {
      EXPECT_LT(strnlen(info.TAPName, sizeof(info.TAPName)), sizeof(info.TAPName));
      EXPECT_LT(strnlen(info.Author, sizeof(info.Author)), sizeof(info.Author));
      EXPECT_LT(strnlen(info.Description, sizeof(info.Description)), sizeof(info.Description));
      EXPECT_LT(strnlen(info.TAPVersion, sizeof(info.TAPVersion)), sizeof(info.TAPVersion));
    }
    return ok;
  }
  bool readVariant(TapImage &variant, tTAPInfo &info) { return readVariant(variant.bytes(), info); }

  void expectSetupIdentity(const tTAPInfo &info) {
    EXPECT_EQ(info.TAPID, 0x5C3E1A25u);
    EXPECT_EQ(info.Date, TAP_MakeMjd(2015, 12, 31));
    EXPECT_EQ(info.Date, 57387u);
    EXPECT_STREQ(info.TAPName, "Vantero Setup V2.1");
    EXPECT_STREQ(info.Description, "Vantero Setup");
    EXPECT_STREQ(info.TAPVersion, "V2.1");
  }

  int descriptorsBefore_ = 0;
  std::string decoyName_;
};

TEST_F(TapHeaderTest, ReadsTheIdentityOfATapInEveryPathNotation) {
  for (const char *name :
       {"/ProgramFiles/SetupIdentity.tap", "/mnt/hd/ProgramFiles/SetupIdentity.tap", "SetupIdentity.tap"}) {
    SCOPED_TRACE(name);
    tTAPInfo info;
    memset(&info, 0x5A, sizeof(info));
    ASSERT_TRUE(HDD_TAP_GetInfo(name, &info));
    expectSetupIdentity(info);
    EXPECT_STREQ(info.Author, "Vantero Team");
  }
}

#ifdef TAP_Vantero_Setup
TEST_F(TapHeaderTest, ReadsTheInstallersOwnFile) {
  ASSERT_TRUE(copyTap(TAP_Vantero_Setup, "/ProgramFiles/Vantero_Setup.tap"));
  tTAPInfo info;
  ASSERT_TRUE(HDD_TAP_GetInfo("/ProgramFiles/Vantero_Setup.tap", &info));
  expectSetupIdentity(info);
  EXPECT_NE(info.Author[0], '\0');
}
#endif

TEST_F(TapHeaderTest, MissingFilesAndArgumentsFail) {
  tTAPInfo info;
  EXPECT_FALSE(HDD_TAP_GetInfo("/ProgramFiles/SetupIdentity.tap", nullptr));
  EXPECT_FALSE(HDD_TAP_GetInfo(nullptr, &info));
  EXPECT_FALSE(HDD_TAP_GetInfo("", &info));
  EXPECT_FALSE(HDD_TAP_GetInfo("/ProgramFiles/None.tap", &info));
  EXPECT_FALSE(HDD_TAP_GetInfo("/ProgramFiles", &info));
  EXPECT_FALSE(readVariant("", info));
  EXPECT_FALSE(readVariant("This is a text file, not a TAP.\n", info));
  EXPECT_FALSE(readVariant(std::string(100000, '\xFF'), info));
}

TEST_F(TapHeaderTest, AFileCutShortAnywhereFails) {
  TapImage full = image();
  size_t tableStart = full.header().e_shoff;
  std::vector<size_t> cuts;
  for (size_t n = 0; n <= 64; n++) cuts.push_back(n);
  for (size_t n = 64; n < tableStart; n += 997) cuts.push_back(n);
  for (size_t n = tableStart; n < full.size(); n += 13) cuts.push_back(n);
  cuts.push_back(full.size() - 1);
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    tTAPInfo info;
    EXPECT_FALSE(readVariant(full.bytes().substr(0, cut), info));
  }
  tTAPInfo info;
  EXPECT_TRUE(readVariant(full.bytes(), info));
}

TEST_F(TapHeaderTest, CorruptFileHeaderFails) {
  const std::vector<std::pair<const char *, std::function<void(TapImage &)>>> corruptions = {
      {"no section headers", [](TapImage &t) { t.header().e_shnum = 0; }},
      {"absurd header count", [](TapImage &t) { t.header().e_shnum = 0xFFFF; }},
      {"table past the end", [](TapImage &t) { t.header().e_shoff = (Elf32_Off)t.size(); }},
      {"table offset wraps", [](TapImage &t) { t.header().e_shoff = 0xFFFFFFF0u; }},
      {"name table index too large", [](TapImage &t) { t.header().e_shstrndx = t.header().e_shnum; }},
      {"name table of wrong type", [](TapImage &t) { t.nameTable().sh_type = SHT_PROGBITS; }},
      {"name table past the end", [](TapImage &t) { t.nameTable().sh_offset = (Elf32_Off)t.size(); }},
      {"name table size absurd", [](TapImage &t) { t.nameTable().sh_size = 0xFFFFFFFFu; }},
      {"name table offset wraps", [](TapImage &t) { t.nameTable().sh_offset = 0xFFFFFF00u; }},
  };
  for (auto &[what, corrupt] : corruptions) {
    SCOPED_TRACE(what);
    TapImage variant = image();
    corrupt(variant);
    tTAPInfo info;
    EXPECT_FALSE(readVariant(variant, info));
  }
}

TEST_F(TapHeaderTest, TheIdSectionMustBeFourReadableBytes) {
  const std::vector<std::pair<const char *, std::function<void(TapImage &)>>> corruptions = {
      {"8 bytes", [](TapImage &t) { t.section("._tap_id").sh_size = 8; }},
      {"0 bytes", [](TapImage &t) { t.section("._tap_id").sh_size = 0; }},
      {"missing", [](TapImage &t) { t.renameSection("._tap_id", "._tap_ix"); }},
      {"past the end", [](TapImage &t) { t.section("._tap_id").sh_offset = (Elf32_Off)t.size() - 2; }},
      {"offset wraps", [](TapImage &t) { t.section("._tap_id").sh_offset = 0xFFFFFFFEu; }},
      {"name offset outside the name table",
       [](TapImage &t) { t.section("._tap_id").sh_name = t.nameTable().sh_size + 100; }},
  };
  for (auto &[what, corrupt] : corruptions) {
    SCOPED_TRACE(what);
    TapImage variant = image();
    corrupt(variant);
    tTAPInfo info;
    EXPECT_FALSE(readVariant(variant, info));
  }
}

TEST_F(TapHeaderTest, ANameTableWithoutTerminatorIsReadWithinItsBounds) {
  // The name table ends in the middle of "._tap_id": the name cannot match,
  // and nothing behind the table is read.
  TapImage cut = image();
  dword idName = cut.section("._tap_id").sh_name;
  cut.nameTable().sh_size = idName + 4;
  tTAPInfo info;
  EXPECT_FALSE(readVariant(cut, info));

  // Cut right behind "._tap_id", before its terminator, which the file
  // replaces by a letter: only the reader's own terminator ends the name.
  // The ID is found, names behind the cut are not.
  TapImage shortTable = image();
  shortTable.nameTable().sh_size = idName + 8;
  shortTable.bytes()[shortTable.nameTable().sh_offset + idName + 8] = 'X';
  ASSERT_TRUE(readVariant(shortTable, info));
  EXPECT_EQ(info.TAPID, 0x5C3E1A25u);
}

TEST_F(TapHeaderTest, TextSectionsAreCutToTheirFieldsAndAlwaysTerminated) {
  TapImage variant = image();
  memset(variant.contents("._tap_program_name"), 'N', 64);                     // no terminator at all
  variant.section("._tap_description").sh_size = 4000;                         // larger than its field
  variant.section("._tap_author_name").sh_offset = (Elf32_Off)variant.size();  // past the end
  variant.renameSection("._tap_program_version", "._tap_program_versioX");
  tTAPInfo info;
  ASSERT_TRUE(readVariant(variant, info));
  EXPECT_EQ(info.TAPID, 0x5C3E1A25u);
  EXPECT_EQ(std::string(info.TAPName), std::string(63, 'N'));
  EXPECT_STREQ(info.Description, "Vantero Setup");
  EXPECT_STREQ(info.Author, "");
  EXPECT_STREQ(info.TAPVersion, "");
}

TEST_F(TapHeaderTest, BuildDateFromTheEtcinfoText) {
  struct Case {
    const char *text;
    word year;
    byte month, day;
  };
  for (const Case &c : {Case{"Jan  1 2016", 2016, 1, 1}, Case{"Feb 29 2016", 2016, 2, 29},
                        Case{"Sep 15 2010", 2010, 9, 15}, Case{"Foo 31 2015", 2015, 0, 31},
                        Case{"dec 31 2015", 2015, 0, 31}, Case{"Dec", 0, 12, 0}, Case{"", 0, 0, 0}}) {
    SCOPED_TRACE(c.text);
    TapImage variant = image();
    char *etcinfo = variant.contents("._tap_etcinfo");
    memset(etcinfo, 0, 64);
    memcpy(etcinfo, c.text, strlen(c.text));
    tTAPInfo info;
    ASSERT_TRUE(readVariant(variant, info));
    EXPECT_EQ(info.Date, TAP_MakeMjd(c.year, c.month, c.day));
  }
}

TEST_F(TapHeaderTest, AnEtcinfoSectionOfAnyLengthIsSafe) {
  for (dword size : {0u, 1u, 3u, 7u, 11u, 127u, 128u, 200u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    TapImage variant = image();
    variant.section("._tap_etcinfo").sh_size = size;
    tTAPInfo info;
    ASSERT_TRUE(readVariant(variant, info));
    EXPECT_EQ(info.TAPID, 0x5C3E1A25u);
    if (size >= 11) {
      EXPECT_EQ(info.Date, TAP_MakeMjd(2015, 12, 31));
    }
  }
  // An etcinfo text that fills all of its section and more: no terminator
  // before the next section.
  TapImage variant = image();
  memset(variant.contents("._tap_etcinfo"), '7', 64);
  tTAPInfo info;
  ASSERT_TRUE(readVariant(variant, info));

  // Missing or unreadable: no date, the rest is read.
  TapImage missing = image();
  missing.renameSection("._tap_etcinfo", "._tap_etcinfX");
  ASSERT_TRUE(readVariant(missing, info));
  EXPECT_EQ(info.Date, 0u);
  EXPECT_STREQ(info.TAPName, "Vantero Setup V2.1");
  TapImage unreadable = image();
  unreadable.section("._tap_etcinfo").sh_offset = (Elf32_Off)unreadable.size() - 5;
  ASSERT_TRUE(readVariant(unreadable, info));
  EXPECT_EQ(info.Date, 0u);
}

TEST_F(TapHeaderTest, ReaderStepsCheckTheirArguments) {
  ASSERT_TRUE(ELFOpenFile("/ProgramFiles/SetupIdentity.tap"));
  ASSERT_TRUE(ELFReadELFHeader());
  ASSERT_TRUE(ELFReadSectionHeaders());
  ASSERT_TRUE(ELFReadShstrtabSection());
  dword idIndex = ELFGetSectionIndex("._tap_id");
  EXPECT_GE(idIndex, 1u);
  EXPECT_EQ(ELFGetSectionIndex(nullptr), 0u);
  EXPECT_EQ(ELFGetSectionIndex(""), 0u);
  EXPECT_EQ(ELFGetSectionIndex("._tap"), 0u);
  EXPECT_EQ(ELFGetSectionIndex(decoyName_.c_str()), 0u);  // found only behind the last header
  EXPECT_TRUE(ELFReadDWORD(idIndex, nullptr));
  EXPECT_FALSE(ELFReadDWORD(ELFGetSectionIndex("._tap_etcinfo"), nullptr));
  EXPECT_FALSE(ELFReadDWORD(0xFFFF, nullptr));
  EXPECT_TRUE(ELFReadData(idIndex, nullptr));
  EXPECT_FALSE(ELFReadData(0xFFFF, nullptr));
  dword count = image().header().e_shnum;  // one past the last section
  EXPECT_FALSE(ELFReadData(count, nullptr));
  EXPECT_FALSE(ELFReadDWORD(count, nullptr));
  EXPECT_TRUE(ELFReadData(count - 1, nullptr));
  byte id[4];
  EXPECT_TRUE(ELFReadData(idIndex, id));
  EXPECT_EQ(id[0] | id[1] << 8 | id[2] << 16 | (dword)id[3] << 24, 0x5C3E1A25u);
  // A second open releases the first file.
  ASSERT_TRUE(ELFOpenFile("/ProgramFiles/SetupIdentity.tap"));
  EXPECT_EQ(ELFGetSectionIndex("._tap_id"), 0u);
  ELFCleanup();
  ELFCleanup();
  EXPECT_FALSE(ELFReadELFHeader());
  EXPECT_FALSE(ELFReadSectionHeaders());
  EXPECT_FALSE(ELFReadShstrtabSection());

  // A table with a single header finds nothing.
  TapImage single = image();
  single.header().e_shnum = 1;
  single.header().e_shstrndx = 0;
  single.section(0).sh_type = SHT_STRTAB;
  writeFile(VariantPath, single.bytes());
  ASSERT_TRUE(ELFOpenFile(VariantPath));
  ASSERT_TRUE(ELFReadELFHeader());
  ASSERT_TRUE(ELFReadSectionHeaders());
  ASSERT_TRUE(ELFReadShstrtabSection());
  EXPECT_EQ(ELFGetSectionIndex(""), 0u);
  ELFCleanup();
}

}  // namespace
