// VPDHelpersTest.cpp - the small services of the package files: scrambling,
// archive names, URL escaping, heap string fields, absolute paths, alpha
// passwords.
#include "DataFilesSim.h"

namespace datafiles {
namespace {

TEST(ScramblingTest, KnownValuesAndItsOwnInverse) {
  struct Case {
    uint32_t key;
    uint32_t plain32, scrambled32;
    uint64_t plain64, scrambled64;
  } cases[] = {
      {0x5C3E1A20, 0, 0x963298D3, 0, 0x963298D3963298D3ull},
      {0x5C3E1A20, 0x12345678, 0x8406CEAB, 0x0123456789ABCDEFull, 0x9711DDB41F99553Cull},
      {1, 0, 1, 0, 0x100000001ull},
      {0, 0xCAFEBABE, 0xCAFEBABE, 0xFEEDFACECAFEBABEull, 0xFEEDFACECAFEBABEull},  // key 0 changes nothing
  };
  for (const Case &c : cases) {
    dword d = c.plain32;
    Encrypt32(&d, c.key);
    EXPECT_EQ(c.scrambled32, d) << std::hex << "key " << c.key << " value " << c.plain32;
    Encrypt32(&d, c.key);
    EXPECT_EQ(c.plain32, d) << std::hex << "twice: key " << c.key;
    int64 q = c.plain64;
    Encrypt64(&q, c.key);
    EXPECT_EQ(c.scrambled64, q) << std::hex << "key " << c.key << " value " << c.plain64;
    Encrypt64(&q, c.key);
    EXPECT_EQ(c.plain64, q) << std::hex << "twice: key " << c.key;
  }
  Encrypt32(nullptr, 1);
  Encrypt64(nullptr, 1);
}

TEST(ArchiveNameTest, TapIdDateAndTimeOfATimeStamp) {
  struct Case {
    uint32_t id, timeStamp;
    const char *name;
  } cases[] = {
      {0x5C3E1A20, 0, "5C3E1A20-20000101-000000.tgz"},
      {0x5C3E1A20, 1u << 17 | 3661, "5C3E1A20-20000102-010101.tgz"},
      {0xabcdef01, 5843u << 17 | 86399, "ABCDEF01-20151231-235959.tgz"},
      {0, 13991u << 17, "00000000-20380422-000000.tgz"},
      {0, 13992u << 17, "00000000-18581117-000000.tgz"},  // the firmware's 16-bit day number wraps
  };
  for (const Case &c : cases) {
    char name[VPD_ARCHIVE_NAME_SIZE + 8];
    memset(name, '#', sizeof name);
    TimeStampToFileName(c.id, c.timeStamp, name);
    EXPECT_STREQ(c.name, name) << std::hex << c.id << " " << c.timeStamp;
    EXPECT_EQ('#', name[VPD_ARCHIVE_NAME_SIZE]) << "written past the name";
  }
  TimeStampToFileName(1, 0, nullptr);
}

TEST(URLCodingTest, EscapesInOrderAndDecodesOnlyUpperCaseEscapes) {
  struct Case {
    const char *plain, *encoded;
  } cases[] = {
      {"a b%c", "a%20b%25c"},
      {" !#$&'()*+,/:;=?@[]", "%20%21%23%24%26%27%28%29%2A%2B%2C%2F%3A%3B%3D%3F%40%5B%5D"},
      {"%20", "%2520"},
      {"http://x.invalid/a b.vpd?x=1", "http%3A%2F%2Fx.invalid%2Fa%20b.vpd%3Fx%3D1"},
      {"plain", "plain"},
      {"", ""},
  };
  for (const Case &c : cases) {
    char text[256];
    strcpy(text, c.plain);
    URLEncode(text);
    EXPECT_STREQ(c.encoded, text) << "encoding " << c.plain;
    URLDecode(text);
    EXPECT_STREQ(c.plain, text) << "decoding " << c.encoded;
    // Sized: exactly the room of the escaped text, or one byte less (refused, unchanged).
    dword room = strlen(c.encoded) + 1;
    EXPECT_TRUE(URLEncodeSized(text, room) && strcmp(text, c.encoded) == 0) << c.plain;
    strcpy(text, c.plain);
    EXPECT_FALSE(URLEncodeSized(text, room - 1)) << c.plain;
    EXPECT_STREQ(c.plain, text) << "refused " << c.plain;
  }
  char lower[] = "a%2fb%3a";
  URLDecode(lower);
  EXPECT_STREQ("a%2fb%3a", lower);
  URLEncode(nullptr);
  URLDecode(nullptr);
}

TEST(StringFieldTest, SetAndClearKeepStringSpaceInBalance) {
  int start = StringSpace;
  char *field = nullptr;
  StringSet(&field, "abc");
  EXPECT_STREQ("abc", field);
  EXPECT_EQ(start + 4, StringSpace);
  StringSet(&field, field);  // its own text
  EXPECT_STREQ("abc", field);
  EXPECT_EQ(start + 4, StringSpace);
  StringSet(&field, "");
  EXPECT_STREQ("", field);
  EXPECT_EQ(start + 1, StringSpace);
  StringSet(&field, nullptr);
  EXPECT_EQ(nullptr, field);
  EXPECT_EQ(start, StringSpace);
  StringClear(&field);
  StringClear(nullptr);
  StringSet(nullptr, "x");
  EXPECT_EQ(start, StringSpace);
}

// A loader's cut of a text in its own field allocates nothing (no failure can lose the text).
TEST(StringFieldTest, CutOfItsOwnTextStaysInPlace) {
  const std::pair<dword, const char *> cuts[] = {{3, "abc"}, {6, "abcdef"}, {0, ""}};
  for (const auto &[max, cut] : cuts) {
    int start = StringSpace;
    char *field = nullptr;
    StringSet(&field, "abcdef");
    const char *before = field;
    StringSetCut(&field, field, max);
    EXPECT_TRUE(before == field && strcmp(cut, field) == 0 && start + int(strlen(cut)) + 1 == StringSpace)
        << cut;
    StringClear(&field);
  }
}

TEST(AbsolutePathTest, MountPointInFrontOrEmptyWhenItDoesNotFit) {
  EXPECT_STREQ("/mnt/hd/ProgramFiles/AutoStart", BuildAbsolutePath("/ProgramFiles/AutoStart"));
  EXPECT_STREQ("/mnt/hd", BuildAbsolutePath(""));
  std::string longest = "/" + std::string(KALIB_PATH_MAX - 9, 'a');
  EXPECT_EQ("/mnt/hd" + longest, BuildAbsolutePath(longest.c_str()));
  EXPECT_STREQ("", BuildAbsolutePath((longest + "b").c_str()));
  EXPECT_STREQ("", BuildAbsolutePath(nullptr));
}

TEST(AlphaPasswordTest, OnlyTheSettingsPasswordsAreValid) {
  int64 passwords[] = {0x1111, 0x123456789ABCDEFull};
  Settings.AlphaPasswords = passwords;
  Settings.NrOfAlphaPasswords = 2;
  EXPECT_TRUE(hasValidAlphaPassword(0x1111));
  EXPECT_TRUE(hasValidAlphaPassword(0x123456789ABCDEFull));
  EXPECT_FALSE(hasValidAlphaPassword(0x23456789ABCDEFull)) << "all 64 bits count";
  EXPECT_FALSE(hasValidAlphaPassword(0));
  Settings.NrOfAlphaPasswords = 1;
  EXPECT_FALSE(hasValidAlphaPassword(0x123456789ABCDEFull)) << "only the first NrOfAlphaPasswords count";
  Settings.AlphaPasswords = nullptr;
  Settings.NrOfAlphaPasswords = 0;
  EXPECT_FALSE(hasValidAlphaPassword(0));
}

}  // namespace
}  // namespace datafiles
