// CharSetTest.cpp - character sets and UTF-8: table contents against the C library's iconv,
// the conversions in both directions, selectors, counting and case.
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Kalib.h"

namespace {

std::string Utf8(const char *source, byte defaultTable, bool *converted = nullptr) {
  char dest[256];
  bool result = StrToUTF8(source, dest, defaultTable);
  if (converted) *converted = result;
  return dest;
}

// Unicode code point of one ISO 8859-N byte as iconv decodes it, 0 when the
// part leaves the byte unassigned.
word IconvCodePoint(iconv_t cd, byte value) {
  char in[1] = {(char)value};
  uint32_t out = 0;
  char *inPtr = in, *outPtr = (char *)&out;
  size_t inLeft = 1, outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == (size_t)-1) return 0;
  return (word)out;
}

struct Part {
  int number;
  const word *table;
};

const Part kParts[] = {{1, UTFLookupISO8859_1},   {2, UTFLookupISO8859_2},   {3, UTFLookupISO8859_3},
                       {4, UTFLookupISO8859_4},   {5, UTFLookupISO8859_5},   {6, UTFLookupISO8859_6},
                       {7, UTFLookupISO8859_7},   {8, UTFLookupISO8859_8},   {9, UTFLookupISO8859_9},
                       {10, UTFLookupISO8859_10}, {11, UTFLookupISO8859_11}, {13, UTFLookupISO8859_13},
                       {14, UTFLookupISO8859_14}, {15, UTFLookupISO8859_15}, {16, UTFLookupISO8859_16}};

}  // namespace

TEST(ISO8859Tables, EveryByteMatchesIconv) {
  for (const Part &part : kParts) {
    std::string charset = "ISO-8859-" + std::to_string(part.number);
    iconv_t cd = iconv_open("UTF-32LE", charset.c_str());
    ASSERT_NE(cd, (iconv_t)-1) << "iconv cannot decode " << charset;
    for (int b = 0xA0; b <= 0xFF; b++) {
      word expected = IconvCodePoint(cd, (byte)b);
      // The C library knows part 7 in its 2003 edition, which added the euro
      // sign, the drachma sign and the ypogegrammeni; the tables follow the
      // 1987 edition that broadcasters use, where those bytes are unassigned.
      if (part.number == 7 && (b == 0xA4 || b == 0xA5 || b == 0xAA)) {
        EXPECT_NE(expected, 0) << "iconv no longer knows the 2003 edition of part 7";
        expected = 0;
      }
      EXPECT_EQ(part.table[b - 0xA0], expected) << charset << " byte 0x" << std::hex << b;
    }
    iconv_close(cd);
  }
}

TEST(StrToUTF8, SelectorChoosesTheTable) {
  // One character behind every selector, converted with the caller's table
  // 1 (ISO 8859-1); each character reads differently in the table that its
  // selector names.  skip: the selector's length (SkipCharTableBytes).
  struct Case {
    std::string text;
    const char *utf8;
    int skip;
  };
  const Case cases[] = {
      {"\x01\xC0", "\xD0\xA0", 1},          // part 5: Cyrillic capital er
      {"\x02\xC7", "\xD8\xA7", 1},          // part 6: alef
      {"\x03\xC1", "\xCE\x91", 1},          // part 7: capital alpha
      {"\x04\xE0", "\xD7\x90", 1},          // part 8: alef
      {"\x05\xDD", "\xC4\xB0", 1},          // part 9: capital I with dot
      {"\x06\xA1", "\xC4\x84", 1},          // part 10: capital A with ogonek
      {"\x07\xA1", "\xE0\xB8\x81", 1},      // part 11: ko kai
      {"\x08\xD5", "\xE2\x99\xAA", 1},      // "part 12" is ISO 6937: eighth note
      {"\x09\xA1", "\xE2\x80\x9D", 1},      // part 13: right double quotation mark
      {"\x0A\xA1", "\xE1\xB8\x82", 1},      // part 14: capital B with dot
      {"\x0B\xA4", "\xE2\x82\xAC", 1},      // part 15: euro sign
      {"\x10\x01\x02\xA1", "\xC4\x84", 3},  // 0x10, any byte, part 2
      {"\x1F\x01\xA1", "\xC2\xA1", 2},      // encoding type: the caller's table
      {"\x0C\xA1", "\xC2\xA1", 1},          // unsupported selectors: the caller's table
      {"\x0E\xA1", "\xC2\xA1", 1},
      {"\x11\xA1", "\xC2\xA1", 1},
      {"\x1E\xA1", "\xC2\xA1", 1},
      {"\x15"
       "a\xC3\xA4\xE9",
       "a\xC3\xA4\xE9", 1},     // UTF-8 already, taken as it is
      {"\xA1", "\xC2\xA1", 0},  // no selector
  };
  for (const Case &c : cases) {
    std::string hex;
    for (unsigned char b : c.text) hex += " " + std::to_string(b);
    SCOPED_TRACE("text bytes" + hex);
    EXPECT_EQ(Utf8(c.text.c_str(), 1), c.utf8);
    EXPECT_EQ(SkipCharTableBytes(c.text.c_str()) - c.text.c_str(), c.skip);
  }
  bool converted;
  EXPECT_EQ(Utf8("\x05"
                 "ABC\xE9",
                 9, &converted),
            "ABC\xC3\xA9");
  EXPECT_TRUE(converted);
  EXPECT_EQ(Utf8("\x15"
                 "a\xC3\xA4\xE9",
                 9, &converted),
            "a\xC3\xA4\xE9");
  EXPECT_FALSE(converted);
}

TEST(StrToUTF8, SelectorCutShortGivesEmptyText) {
  EXPECT_EQ(Utf8("\x1F", 9), "");
  EXPECT_EQ(Utf8("\x05", 9), "");
  EXPECT_EQ(Utf8("\x10\x01", 9), "");
  // The text ends at its first zero byte, inside a 0x10 selector as well:
  // what lies behind it in memory is not read.
  EXPECT_EQ(Utf8(std::string("\x10\x00\x02\xA1", 4).c_str(), 9), "");
}

TEST(StrToUTF8, PlainAndUtf8TextPassThrough) {
  bool converted = true;
  EXPECT_EQ(Utf8("Hello", 9, &converted), "Hello");
  EXPECT_FALSE(converted);
  EXPECT_EQ(Utf8("Gr\xC3\xBC\xC3\x9F"
                 "e \xE2\x82\xAC",
                 9, &converted),
            "Gr\xC3\xBC\xC3\x9F"
            "e \xE2\x82\xAC");
  EXPECT_FALSE(converted);
  EXPECT_EQ(Utf8("", 9, &converted), "");
  EXPECT_FALSE(converted);
  // A lead byte without its continuation is a Latin byte.
  EXPECT_EQ(Utf8("\xC3(", 1), "\xC3\x83(");
}

TEST(StrToUTF8, TableEntriesAndControlRange) {
  EXPECT_EQ(Utf8("\xA4", 15), "\xE2\x82\xAC");
  EXPECT_EQ(Utf8("\x85", 1), "\xC2\x85");  // below 0xA0: its own code point
  // An unassigned byte becomes code point 0 and ends the text.
  EXPECT_EQ(Utf8("a\xA4z", 7), "a");
  // Four-byte sequences are copied whole.
  EXPECT_EQ(Utf8("\xF0\x9F\x98\x80", 1), "\xF0\x9F\x98\x80");
}

TEST(StrToUTF8, Iso6937CombinesMarkAndLetter) {
  bool converted = false;
  EXPECT_EQ(Utf8("caf\xC2"
                 "e",
                 0, &converted),
            "caf\xC3\xA9");
  EXPECT_TRUE(converted);
  EXPECT_EQ(Utf8("\xC8y\xCB"
                 "C\xCA"
                 "a",
                 0),
            "\xC3\xBF\xC3\x87\xC3\xA5");
  // A mark as last byte is dropped.
  EXPECT_EQ(Utf8("ab\xC2", 0), "ab");
  // Table 12 (selector 0x08) is ISO 6937 without the combination.
  EXPECT_EQ(Utf8("\x08\xC2"
                 "e",
                 0),
            "\xCC\x81"
            "e");
  EXPECT_EQ(Utf8("\xA4\xD5", 0), "\xE2\x82\xAC\xE2\x99\xAA");
}

TEST(StrToUTF8, AllIso6937PairsGiveTheirLatin1Letter) {
  // Every combination that the table knows is exactly one Latin-1 letter.
  const char *marks = "\xC1\xC2\xC3\xC4\xC8\xCA\xCB";
  int found = 0;
  for (const char *m = marks; *m; m++) {
    for (int letter = 'A'; letter <= 'z'; letter++) {
      if (!isalpha(letter)) continue;
      char source[3] = {*m, (char)letter, 0};
      std::string result = Utf8(source, 0);
      if (result.empty()) continue;
      ASSERT_EQ(result.size(), 2u);
      dword cp = UTF8ToUTF32((const byte *)result.c_str(), nullptr);
      EXPECT_GE(cp, 0xC0u);
      EXPECT_LE(cp, 0xFFu);
      found++;
    }
  }
  EXPECT_EQ(found, 53);
}

TEST(UTF8Char, DecodeAndEncode) {
  byte len = 0;
  EXPECT_EQ(UTF8ToUTF32((const byte *)"\xC3\x28", &len), 0xC3u);
  EXPECT_EQ(len, 1);
  EXPECT_EQ(UTF8ToUTF32((const byte *)"\xE2\x82\xAC", &len), 0x20ACu);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(UTF8ToUTF32((const byte *)"\xF0\x9F\x98\x80", &len), 0x1F600u);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(UTF8ToUTF32((const byte *)"\xE2\x82", &len), 0xE2u);  // stops at the terminator
  EXPECT_EQ(len, 1);
  EXPECT_EQ(UTF8ToUTF32(nullptr, &len), 0u);
  EXPECT_EQ(len, 1);

  // Every length class round-trips.
  for (dword cp : {0x41u, 0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
    byte buf[5] = {};
    byte written = 0, read = 0;
    UTF32ToUTF8(cp, buf, &written);
    EXPECT_EQ(UTF8ToUTF32(buf, &read), cp);
    EXPECT_EQ(read, written);
  }
  UTF32ToUTF8(0x20AC, nullptr, &len);
  EXPECT_EQ(len, 3);
}

TEST(UTF8Char, IsUtf8CharOnlyForCompleteSequences) {
  byte len = 0;
  EXPECT_TRUE(isUTF8Char((const byte *)"\xC3\xA4", &len));
  EXPECT_EQ(len, 2);
  EXPECT_FALSE(isUTF8Char((const byte *)"\xA4", &len));  // lone continuation
  EXPECT_EQ(len, 1);
  EXPECT_FALSE(isUTF8Char((const byte *)"\xF0\x9F\x98", &len));
  EXPECT_EQ(len, 1);
  EXPECT_FALSE(isUTF8Char(nullptr, &len));
  EXPECT_EQ(len, 1);
}

TEST(StringEncoding, FlagsBehindTheSelector) {
  bool ansi = true, utf = true;
  GetStringEncoding("plain", &ansi, &utf);
  EXPECT_FALSE(ansi);
  EXPECT_FALSE(utf);
  GetStringEncoding("K\xC3\xA4se \xE9", &ansi, &utf);
  EXPECT_TRUE(ansi);
  EXPECT_TRUE(utf);
  GetStringEncoding("\x85\x9F", &ansi, &utf);
  EXPECT_FALSE(ansi);
  EXPECT_FALSE(utf);
  GetStringEncoding(nullptr, &ansi, nullptr);
  EXPECT_FALSE(ansi);
}

TEST(StrToISO, Utf8BecomesLatin1) {
  char dest[64];
  StrToISO(
      "Gr\xC3\xBC\xC3\x9F"
      "e",
      dest);
  EXPECT_STREQ(dest,
               "Gr\xFC\xDF"
               "e");
  // Already ISO text (a lone E9) and plain text are copied.
  StrToISO("caf\xE9 \xC3\xBC", dest);
  EXPECT_STREQ(dest, "caf\xE9 \xC3\xBC");
  StrToISO(
      "\x05"
      "abc",
      dest);
  EXPECT_STREQ(dest,
               "\x05"
               "abc");

  char *alloc = (char *)1;
  StrToISOAlloc(nullptr, &alloc);
  EXPECT_EQ(alloc, nullptr);
  StrToISOAlloc("\xC3\xA9t\xC3\xA9", &alloc);
  ASSERT_NE(alloc, nullptr);
  EXPECT_STREQ(alloc, "\xE9t\xE9");
  TAP_MemFree(alloc);
}

TEST(SelectorText, SkipCountCopy) {
  EXPECT_EQ(SkipCharTableBytes(nullptr), nullptr);
  const char *text =
      "\x1F\x02"
      "abc";
  EXPECT_EQ(SkipCharTableBytes(text), text + 2);
  EXPECT_EQ(SkipCharTableBytes("abc")[0], 'a');

  EXPECT_EQ(strlenUC("\x05"
                     "abc"),
            3);
  EXPECT_EQ(strlenUC("\xC3\xA4"
                     "b"),
            2);
  EXPECT_EQ(strlenUC("\xC3x"), 2);
  EXPECT_EQ(strlenUC(nullptr), 0);
  // A 0x10 selector names its part in the third byte, whatever the second.
  const char sel10[] = "\x10\x41\x05\xC3\xA4z";
  EXPECT_EQ(strlenUC(sel10), 2);
  // A cut-short selector ends at the terminator, a zero second byte of 0x10
  // included.
  EXPECT_EQ(strlenUC("\x1F"), 0);
  EXPECT_EQ(strlenUC("\x10\x00\x05\xC3\xA4z"), 0);

  char dest[8];
  memset(dest, 'X', sizeof(dest));
  EXPECT_EQ(strncpyUC(dest, sel10, sizeof(dest)), dest);
  EXPECT_EQ(memcmp(dest, "\x10\x41\x05\xC3\xA4z\0\0", 8), 0);
  memset(dest, 'X', sizeof(dest));
  strncpyUC(dest, sel10, 2);  // not beyond the count, nothing more
  EXPECT_EQ(memcmp(dest, "\x10\x41XXXXXX", 8), 0);
  memset(dest, 'X', sizeof(dest));
  strncpyUC(dest, "\x10\x00\x05\xC3\xA4z", sizeof(dest));
  EXPECT_EQ(memcmp(dest, "\x10\0\0\0\0\0\0\0", 8), 0);
  EXPECT_EQ(strncpyUC(nullptr, "a", 1), nullptr);
}

// A copy of a text (terminator included) that ends right before a page the
// process may not read: any read behind the terminator faults, in every
// build, where a heap copy would hide it outside the sanitizer build.
class FencedText {
 public:
  explicit FencedText(const std::string &text) {
    page_ = sysconf(_SC_PAGESIZE);
    base_ = (char *)mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    EXPECT_NE(base_, MAP_FAILED);
    EXPECT_EQ(mprotect(base_ + page_, page_, PROT_NONE), 0);
    text_ = base_ + page_ - (text.size() + 1);
    memcpy(text_, text.c_str(), text.size() + 1);
  }
  ~FencedText() { munmap(base_, 2 * page_); }
  const char *c_str() const { return text_; }

 private:
  long page_;
  char *base_, *text_;
};

TEST(SelectorText, NothingIsReadBehindTheTerminator) {
  // Texts that end inside or right behind their selector, through every
  // helper that looks behind a selector.
  for (const char *text : {"\x10", "\x10\x41", "\x1F", "\x05", "\x15", "\x10\x41\x02"}) {
    SCOPED_TRACE(testing::Message() << "selector 0x" << std::hex << (int)(byte)text[0] << ", " << std::dec
                                    << strlen(text) << " bytes");
    FencedText fenced(text);
    const char *t = fenced.c_str();
    EXPECT_LE(SkipCharTableBytes(t), t + strlen(t));
    EXPECT_EQ(strlenUC(t), 0);
    char dest[16];
    strncpyUC(dest, t, sizeof(dest));
    EXPECT_EQ(Utf8(t, 9), "");
    bool ansi = true, utf = true;
    GetStringEncoding(t, &ansi, &utf);
    EXPECT_FALSE(ansi || utf);
    StrToISO(t, dest);
    EXPECT_STREQ(dest, t);
    EXPECT_EQ(*GetUCPos(t, 3), 0);
    EXPECT_EQ(stricstr(t, "a"), nullptr);
    EXPECT_EQ(stricstr("abc", t), nullptr);
  }
}

TEST(UpperCase, Latin1LettersInBothForms) {
  char text[] =
      "stra\xC3\x9F"
      "e \xC3\xA9";
  UpperCase(text);
  EXPECT_STREQ(text,
               "STRA\xC3\x9F"
               "E \xC3\x89");
  char single[] = "\xFF\xFE\xE9\xF7z";
  UpperCase(single);
  EXPECT_STREQ(single, "\xFF\xFE\xC9\xF7Z");
  char thorn[] = "\xC3\xBE\xC3\xB7\xE2\x82\xAC";
  UpperCase(thorn);
  EXPECT_STREQ(thorn, "\xC3\x9E\xC3\xB7\xE2\x82\xAC");
  UpperCase(nullptr);
}
