// StringEditTest.cpp - string editing helpers: character positions in UTF-8 text, in-place
// insert/delete/replace with the room the callers give, case-insensitive
// search, character rules and file-name cleaning.
#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <gtest/gtest.h>

#include <string>

#include "Kalib.h"

TEST(GetUCPos, CountsCharactersBehindTheSelector) {
  const char *text =
      "\xC3\xA4"
      "bc";
  EXPECT_EQ(GetUCPos(text, 1), text + 2);
  EXPECT_EQ(GetUCPos(text, 5), text + 4);
  EXPECT_EQ(GetUCPos(text, -3), text);
  const char *sel =
      "\x05"
      "abc";
  EXPECT_EQ(GetUCPos(sel, 0), sel + 1);
  EXPECT_EQ(GetUCPos(nullptr, 1), nullptr);
}

TEST(InsertAt, PositionsAndRoom) {
  // Each buffer has the room the insertion needs, as every caller gives.
  char text[32] = "abcdef";
  InsertAt(text, 3, "...");
  EXPECT_STREQ(text, "abc...def");
  strcpy(text, "abcdef");
  InsertAt(text, 6, "!");
  EXPECT_STREQ(text, "abcdef!");
  InsertAt(text, 100, "?");
  EXPECT_STREQ(text, "abcdef!?");
  strcpy(text, "abc");
  InsertAt(text, -2, ">");
  EXPECT_STREQ(text, ">abc");
  // UTF-8 characters count as one; the selector stays in front.
  strcpy(text, "\x05\xC3\xA4\xC3\xB6\xC3\xBC");
  InsertAt(text, 2, "-");
  EXPECT_STREQ(text, "\x05\xC3\xA4\xC3\xB6-\xC3\xBC");
  InsertAt(text, 0, "+");
  EXPECT_STREQ(text, "\x05+\xC3\xA4\xC3\xB6-\xC3\xBC");
}

TEST(InsertAt, StaysInsideTheGivenRoom) {
  // Guard bytes behind the exact room must survive.
  char buf[16];
  memset(buf, '#', sizeof(buf));
  strcpy(buf, "\xC3\xA4xyz");  // 5 bytes + NUL
  InsertAt(buf, 1, "1234");    // needs exactly 10 bytes
  EXPECT_STREQ(buf,
               "\xC3\xA4"
               "1234xyz");
  for (size_t i = 10; i < sizeof(buf); i++) EXPECT_EQ(buf[i], '#') << i;
}

TEST(DeleteAt, RangesInCharacters) {
  char text[32] = "abcdef";
  DeleteAt(text, 2, 2);
  EXPECT_STREQ(text, "abef");
  strcpy(text, "abcdef");
  DeleteAt(text, 2, 10);
  EXPECT_STREQ(text, "ab");
  strcpy(text, "abcdef");
  DeleteAt(text, 6, 1);
  EXPECT_STREQ(text, "abcdef");
  DeleteAt(text, 1, 0);
  EXPECT_STREQ(text, "abcdef");
  DeleteAt(text, -1, 1);
  EXPECT_STREQ(text, "bcdef");

  strcpy(text,
         "\xC3\xA4\xE2\x82\xAC"
         "x\xC3\xBC");
  DeleteAt(text, 1, 2);
  EXPECT_STREQ(text, "\xC3\xA4\xC3\xBC");
}

TEST(DeleteAt, ControlCharacterAtTheRangeIsOneCharacter) {
  // A line feed or a 0x10 byte inside the text is an ordinary character
  // here; taking it for a selector would delete more than asked, or read
  // past the end.
  char text[16] = "ab\ncd";
  DeleteAt(text, 2, 1);
  EXPECT_STREQ(text, "abcd");
  char tail[8] = "ab\x10";
  DeleteAt(tail, 2, 1);
  EXPECT_STREQ(tail, "ab");
}

TEST(StrReplace, ShrinkingAndGrowing) {
  char text[64] = "x%20y%20z";
  EXPECT_TRUE(StrReplace(text, "%20", " "));
  EXPECT_STREQ(text, "x y z");

  char banana[32] = "banana";
  EXPECT_TRUE(StrReplace(banana, "a", "aa"));  // the new "a"s are not replaced again
  EXPECT_STREQ(banana, "baanaanaa");

  char same[16] = "aaa";
  EXPECT_TRUE(StrReplace(same, "a", "b"));
  EXPECT_STREQ(same, "bbb");
  char empty[8] = "abab";
  EXPECT_TRUE(StrReplace(empty, "ab", ""));
  EXPECT_STREQ(empty, "");

  char none[16] = "abc";
  EXPECT_FALSE(StrReplace(none, "x", "yy"));
  EXPECT_STREQ(none, "abc");
  EXPECT_FALSE(StrReplace(none, "", "y"));
  EXPECT_FALSE(StrReplace(nullptr, "a", "b"));
}

TEST(StrReplace, GrowsIntoExactRoom) {
  char buf[16];
  memset(buf, '#', sizeof(buf));
  strcpy(buf, "a.b.c");  // grows from 5 to 9 bytes
  EXPECT_TRUE(StrReplace(buf, ".", "--"));
  EXPECT_STREQ(buf, "a--b--c");
  for (size_t i = 8; i < sizeof(buf); i++) EXPECT_EQ(buf[i], '#') << i;
}

TEST(Stricstr, FindsRegardlessOfCase) {
  const char *path = "/ProgramFiles/AutoStart";
  EXPECT_EQ(stricstr(path, "autostart"), path + 14);
  EXPECT_EQ(stricstr(path, "PROGRAM"), path + 1);
  EXPECT_EQ(stricstr(path, "xstart"), nullptr);
  EXPECT_EQ(stricstr(path, ""), nullptr);
  EXPECT_EQ(stricstr(path, "\x05"), nullptr);  // empty behind its selector
  EXPECT_EQ(stricstr(nullptr, "a"), nullptr);
  // A match cut off by the end of the text is no match.
  EXPECT_EQ(stricstr("key=va", "key=value"), nullptr);
  EXPECT_STREQ(stricstr("xxDE_005=", "de_005="), "DE_005=");
}

// The search as the plain rule states it: every position whose byte is the
// first search byte in either case, then strncasecmp of the rest.
const char *plainStricstr(const char *text, const char *find) {
  if (!find[0]) return nullptr;
  size_t restLen = strlen(find + 1);
  int upper = toupper((unsigned char)find[0]), lower = tolower((unsigned char)find[0]);
  for (const char *p = text; *p; p++)
    if (((unsigned char)*p == upper || (unsigned char)*p == lower) &&
        strncasecmp(p + 1, find + 1, restLen) == 0)
      return p;
  return nullptr;
}

TEST(Stricstr, AgreesWithThePlainSearchOnRandomTexts) {
  // Few distinct bytes, so that near misses, overlaps and repeats are common;
  // '_' and '=' have no case, 0xE4 is no ASCII letter.
  const char alphabet[] = {'a', 'A', 'b', 'B', '_', '=', '\xE4', 'n'};
  unsigned seed = 12345;
  auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
  char text[64], find[8];
  for (int round = 0; round < 20000; round++) {
    size_t textLen = next() % 40, findLen = 1 + next() % 5;
    for (size_t i = 0; i < textLen; i++) text[i] = alphabet[next() % sizeof alphabet];
    text[textLen] = 0;
    for (size_t i = 0; i < findLen; i++) find[i] = alphabet[next() % sizeof alphabet];
    find[findLen] = 0;
    ASSERT_EQ(stricstr(text, find), plainStricstr(text, find)) << "text " << text << " find " << find;
  }
}

TEST(Stricstr, FindsTheFirstKeyOfALanguageFile) {
  const char *lng = "#en_001=commented\r\nDE_001=Hallo\r\nde_001=zweite\r\nen_001=Hello\r\n";
  EXPECT_EQ(stricstr(lng, "de_001="), strstr(lng, "DE_001="));
  EXPECT_EQ(stricstr(lng, "EN_001="), lng + 1);
  EXPECT_EQ(stricstr(lng + 2, "en_001="), strstr(lng, "\nen_001=") + 1);
  EXPECT_EQ(stricstr("_=", "a_="), nullptr);  // the caseless byte may not start before the text
}

TEST(IsLegalChar, Rules) {
  auto legal = [](const char *c, dword mask) { return isLegalChar((const byte *)c, mask); };
  EXPECT_FALSE(legal("?", LC_FileSystemChars));
  EXPECT_TRUE(legal("\xC3\xA9", LC_FileSystemChars));
  EXPECT_FALSE(legal("\x1B", LC_ControlChars));
  EXPECT_FALSE(legal("\x85", LC_ControlChars));
  EXPECT_TRUE(legal("\n", LC_ControlChars));
  EXPECT_TRUE(legal("\x80", LC_ControlChars));
  EXPECT_FALSE(legal("\n", LC_ControlChars | LC_LineFeeds));
  EXPECT_FALSE(legal("\x8A", LC_LineFeeds));
  EXPECT_FALSE(legal("\xC3\xA9", LC_PrintableASCII));
  EXPECT_TRUE(legal("~", LC_PrintableASCII));
  EXPECT_FALSE(legal(nullptr, 0));
  for (const char *c : {"\"", "*", "/", ":", "<", ">", "?", "\\", "|"})
    EXPECT_FALSE(legal(c, LC_FileSystemChars)) << c;
}

TEST(ValidFileName, CleansWithinLimits) {
  char result[512];
  EXPECT_STREQ(ValidFileName("a?b:c", LC_FileSystemChars, result, sizeof(result)), "abc");

  char small[5];
  EXPECT_STREQ(ValidFileName("abcde", 0, small, sizeof(small)), "");
  EXPECT_STREQ(ValidFileName("abcd", 0, small, sizeof(small)), "abcd");

  std::string longText(200, 'n');
  EXPECT_EQ(std::string(ValidFileName(longText.c_str(), 0, result, sizeof(result))), longText.substr(0, 126));

  // A multi-byte character is never split at the limit.
  std::string utf(125, 'u');
  utf +=
      "\xE2\x82\xAC"
      "tail";
  std::string cleaned = ValidFileName(utf.c_str(), LC_FileSystemChars, result, sizeof(result));
  EXPECT_EQ(cleaned, utf.substr(0, 128));

  // A forbidden lead byte goes alone; its continuation bytes are judged one by one.
  EXPECT_STREQ(ValidFileName("a\xC3\xA9z", LC_PrintableASCII, result, sizeof(result)), "az");
}

TEST(ValidFileName, MakeValidInPlace) {
  char text[600] = "Film: \"Teil 1/2\"?";
  MakeValidFileName(text, LC_FileSystemChars);
  EXPECT_STREQ(text, "Film Teil 12");
  memset(text, 'a', 599);
  text[599] = 0;
  MakeValidFileName(text, 0);  // cut like a short text, not emptied
  EXPECT_EQ(std::string(text), std::string(126, 'a'));
}

TEST(Iso639, CodesAndGaps) {
  EXPECT_STREQ(iso639_1(0), "en");
  EXPECT_STREQ(iso639_1(2), "de");
  EXPECT_STREQ(iso639_1(11), "nl");
  EXPECT_STREQ(iso639_1(19), "bg");
  EXPECT_EQ(iso639_1(20), nullptr);
  EXPECT_EQ(iso639_1(-1), nullptr);
}
