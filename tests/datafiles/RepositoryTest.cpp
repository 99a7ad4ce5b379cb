// RepositoryTest.cpp - the repository's master list (image, round trip,
// rejection of every kind of damage), repository addresses, the background
// wget command line and the screenshot form.
#include "DataFilesSim.h"

namespace datafiles {
namespace {

// A master-list image with its checksum; `mangle` changes the bytes before
// the checksum is computed.
std::string listImage(const Bytes &body) {
  std::string data = body.data();
  dword crc = CRC32(CRC32_INITIAL, data.data(), static_cast<dword>(data.size()));
  return data + Bytes().dw(crc).data();
}
Bytes entry(Bytes b, uint32_t id, const std::string &url) {
  return b.dw(id).str(url).str("Name").str("").dws({7, 3, 0x1234});
}
Bytes header(uint32_t count) { return Bytes().str("VMLDB").dws({1, count}); }
tMasterList ml(uint32_t id, const char *url, const char *name = nullptr, const char *author = nullptr) {
  tMasterList m;
  memset(&m, 0, sizeof m);
  m.TAPID = id, m.VPDURL = const_cast<char *>(url), m.Name = const_cast<char *>(name);
  m.Author = const_cast<char *>(author);
  return m;
}

class RepositoryTest : public DataFilesSim {};

TEST_F(RepositoryTest, SaveWritesTheImageAndLoadGivesEveryFieldBack) {
  tMasterList entries[2] = {ml(0x5C3E1A20, "5C3E1A20.vpd", "Vantero", "Kalib"), ml(0x11, "http://x/11.vpd")};
  entries[0].TopfieldEuropeTimeStamp = 7, entries[0].Category = 3, entries[0].VPDTimeStamp = 0x1234;
  tRepoMasterList list = {2, entries};
  ASSERT_TRUE(RepoMasterListSave(&list, "ML.vml"));
  Bytes expected =
      header(2).dw(0x5C3E1A20).str("5C3E1A20.vpd").str("Vantero").str("Kalib").dws({7, 3, 0x1234});
  expected.dw(0x11).str("http://x/11.vpd").str("").str("").dws({0, 0, 0});
  EXPECT_EQ(listImage(expected), getSetting("ML.vml"));

  tRepoMasterList loaded = {};
  ASSERT_TRUE(RepoMasterListLoad("ML.vml", &loaded));
  ASSERT_EQ(2, loaded.NrOfEntries);
  EXPECT_STREQ("Kalib", loaded.Entries[0].Author);
  EXPECT_EQ(0x1234u, loaded.Entries[0].VPDTimeStamp);
  EXPECT_EQ(nullptr, loaded.Entries[1].Name);
  EXPECT_EQ(1, RepoMasterListFind(&loaded, 0x11));
  EXPECT_EQ(-1, RepoMasterListFind(&loaded, 0x12));
  int before = StringSpace;
  RepoMasterListFree(&loaded);
  EXPECT_EQ(before - 43, StringSpace) << "the three texts of each entry are released";
  EXPECT_EQ(nullptr, loaded.Entries);
}

TEST_F(RepositoryTest, DamagedListsAreRejectedWholeWithTheirReason) {
  std::string good = listImage(entry(entry(header(2), 1, "1.vpd"), 2, "2.vpd"));
  std::string flipped = good;
  flipped[35] ^= 0x20;  // a letter of the first name
  struct Case {
    const char *what;
    std::string image;
    const char *reason;
  } cases[] = {
      {"other magic", listImage(Bytes().str("VPDDB").dws({1, 0})), "not a master list"},
      {"version 2", listImage(Bytes().str("VMLDB").dws({2, 0})), "unknown version"},
      {"a changed byte", flipped, "bad checksum"},
      {"two entries for one TAP", listImage(entry(entry(header(2), 9, "a"), 9, "b")),
       "two entries for TAP 00000009"},
      {"TAP ID 0", listImage(entry(header(1), 0, "a")), "an entry without TAP ID"},
      {"no VPDURL", listImage(entry(header(1), 5, "")), "bad VPDURL for TAP 00000005"},
      {"VPDURL with a blank", listImage(entry(header(1), 5, "a b")), "bad VPDURL for TAP 00000005"},
      {"VPDURL with a line end", listImage(entry(header(1), 5, "a\nrm")), "bad VPDURL for TAP 00000005"},
      {"count beyond the bytes", listImage(entry(header(3), 1, "a")),
       "cut short or a count beyond its bytes"},
      {"bytes after the list", listImage(entry(header(1), 1, "a").dw(0)), "bytes after the last entry"},
      {"count over the limit", listImage(header(10001).raw(std::string(10001 * 28, '\0'))),
       "cut short or a count beyond its bytes"},
  };
  for (const Case &c : cases) {
    putSetting("ML.vml", c.image);
    tRepoMasterList list = {};
    EXPECT_FALSE(RepoMasterListLoad("ML.vml", &list)) << c.what;
    EXPECT_EQ(0, list.NrOfEntries) << c.what;
    EXPECT_EQ(nullptr, list.Entries) << c.what;
    EXPECT_EQ(std::vector<std::string>{std::string("Master list 'ML.vml' rejected: ") + c.reason}, takeLog())
        << c.what;
  }
  for (size_t cut = 0; cut < good.size(); cut++) {
    tRepoMasterList list = {};
    EXPECT_FALSE(RepoMasterListParse(reinterpret_cast<const byte *>(good.data()), static_cast<dword>(cut),
                                     &list, nullptr, 0))
        << "cut at " << cut;
  }
}

TEST_F(RepositoryTest, AListThatWouldNotLoadIsNotWrittenAndTheOldFileStays) {
  putSetting("ML.vml", "old");
  tMasterList entries[2] = {ml(7, "a"), ml(7, "b")};
  tRepoMasterList list = {2, entries};
  EXPECT_FALSE(RepoMasterListSave(&list, "ML.vml"));
  EXPECT_EQ("old", getSetting("ML.vml"));
}

TEST(RepoBuildURLTest, RelativeNamesJoinTheRepositoryAndAbsoluteOnesStay) {
  struct Case {
    const char *repo, *name;
    dword size;
    const char *url;
  } cases[] = {
      {"http://127.0.0.1:8080/repo", "1.vpd", 64, "http://127.0.0.1:8080/repo/1.vpd"},
      {"http://h/repo/", "1.vpd", 64, "http://h/repo/1.vpd"},
      {"http://h/repo", "http://other/2.vpd", 64, "http://other/2.vpd"},
      {"http://h/r", "1.vpd", 17, "http://h/r/1.vpd"},
      {"http://h/r", "12.vpd", 17, ""},  // one byte short
      {"", "1.vpd", 64, ""},
      {"http://h/r", nullptr, 64, ""},
  };
  for (const Case &c : cases) {
    char url[80];
    memset(url, '#', sizeof url);
    bool built = RepoBuildURL(c.repo, c.name, url, c.size);
    EXPECT_EQ(c.url[0] != '\0', built) << c.url;
    EXPECT_STREQ(c.url, url);
    EXPECT_EQ('#', url[c.size]) << "written past the buffer";
  }
}

TEST(BuildWgetCommandTest, EveryArgumentIsQuotedAndTooSmallABufferGivesNothing) {
  const char *out = "/mnt/hd/S/o.tmp";
  char command[512];
  ASSERT_TRUE(BuildWgetCommand("http://h/a'b;rm -rf x", out, "/mnt/hd/S/st", "/mnt/hd/S/pid", command,
                               sizeof command));
  EXPECT_STREQ(
      "( /mnt/hd/ProgramFiles/wget -q -O '/mnt/hd/S/o.tmp' 'http://h/a'\\''b;rm -rf x' & echo $! > "
      "'/mnt/hd/S/pid'; "
      "wait $!; echo $? > '/mnt/hd/S/st' ) > /dev/null 2>&1 &",
      command);
  size_t length = strlen(command);
  memset(command, '#', sizeof command);
  EXPECT_FALSE(BuildWgetCommand("http://h/a'b;rm -rf x", out, "/mnt/hd/S/st", "/mnt/hd/S/pid", command,
                                static_cast<dword>(length)));
  EXPECT_STREQ("", command);
  EXPECT_EQ('#', command[length]) << "written past the buffer";
  EXPECT_FALSE(BuildWgetCommand("http://h/", out, "", "/p", command, sizeof command));
}

TEST(ScreenshotTest, OnlyACompletePacketStreamBecomesAGraphic) {
  std::string head = std::string("KGR1") + Bytes().b(2).b(0).b(2).b(0).data();  // 2 x 2 pixels
  std::string run4 = Bytes().b(0x83).dw(0xFF102030).data(), lit1 = Bytes().b(0).dw(1).data();
  struct Case {
    const char *what;
    std::string bytes;
    bool valid;
  } cases[] = {
      {"one run of four", head + run4, true},
      {"literals and a run", head + lit1 + Bytes().b(0x82).dw(2).data(), true},
      {"a pixel short", head + Bytes().b(0x82).dw(2).data(), false},
      {"a run past the picture", head + Bytes().b(0x84).dw(2).data(), false},
      {"bytes after the picture", head + run4 + "x", false},
      {"literal cut short", head + Bytes().b(3).dw(1).data(), false},
      {"other magic", "KGR2" + head.substr(4) + run4, false},
      {"wider than the screen", std::string("KGR1") + Bytes().b(0xD1).b(2).b(1).b(0).data() + run4, false},
  };
  for (const Case &c : cases) {
    TYPE_GrData gd;
    memset(&gd, 0x55, sizeof gd);
    EXPECT_EQ(c.valid, ScreenshotToGrData(reinterpret_cast<const byte *>(c.bytes.data()),
                                          static_cast<dword>(c.bytes.size()), &gd))
        << c.what;
    EXPECT_EQ(c.valid ? 16u : 0u, gd.dataSize) << c.what;
    EXPECT_EQ(c.valid ? 2 : 0, gd.width) << c.what;
  }
}

}  // namespace
}  // namespace datafiles
