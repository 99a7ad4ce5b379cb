// BufferContractTest.cpp - the sized text calls stay inside the buffer they are given: a
// result that does not fit is cut behind a whole character (conversions) or
// refused with the text unchanged (edits), and the bytes behind the buffer
// are never touched; a text of any length is cleaned in place.
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Kalib.h"

namespace {

struct Case {
  const char *what;
  const char *text;  // the buffer's text before the call
  dword size;        // the room the call is told of
  std::function<bool(char *, dword)> call;
  const char *expect;
  bool result;
};

const char kGuard = '#';

bool Utf8(const char *source, char *dest, dword size, byte table) {
  return StrToUTF8Sized(source, dest, size, table);
}

bool Iso(const char *source, char *dest, dword size) {
  StrToISOSized(source, dest, size);
  return true;
}

TEST(BufferContract, SizedCallsCutOrRefuseAtTheBuffersEnd) {
  const Case cases[] = {
      // ISO 8859-9 ä is two bytes in UTF-8: the third one does not fit whole.
      {"utf8 cut behind a character", "", 6, [](char *d, dword n) { return Utf8("\xE4\xE4\xE4", d, n, 9); },
       "\xC3\xA4\xC3\xA4", true},
      {"utf8 plain text", "", 4, [](char *d, dword n) { return Utf8("abcdef", d, n, 9); }, "abc", false},
      {"utf8 behind selector 0x15", "", 4, [](char *d, dword n) { return Utf8("\x15xyz\xC3\xA4", d, n, 9); },
       "xyz", false},
      {"utf8 ISO 6937 pair", "", 3, [](char *d, dword n) { return Utf8("a\xC2\x65", d, n, 0); }, "a", true},
      // The old call's room is three bytes per source byte: the euro sign of ISO 8859-15.
      {"utf8 old call at its room", "", 4, [](char *d, dword) { return StrToUTF8("\xA4", d, 15); },
       "\xE2\x82\xAC", true},
      {"iso cut", "", 2, [](char *d, dword n) { return Iso("\xC3\xBC\xC3\xBC", d, n); }, "\xFC", true},
      {"iso copied text cut", "", 4, [](char *d, dword n) { return Iso("ab\xE4\xC3\xBC", d, n); }, "ab\xE4",
       true},
      {"insert refused", "abc", 6, [](char *t, dword n) { return InsertAtSized(t, n, 0, "..."); }, "abc",
       false},
      {"insert fits", "abc", 7, [](char *t, dword n) { return InsertAtSized(t, n, 1, "..."); }, "a...bc",
       true},
      {"insert into unterminated", "abcdef", 3, [](char *t, dword n) { return InsertAtSized(t, n, 9, ""); },
       "abcdef", false},
      {"replace refused", "a.b", 4, [](char *t, dword n) { return StrReplaceSized(t, n, ".", "--"); }, "a.b",
       false},
      {"replace fits", "a.b", 5, [](char *t, dword n) { return StrReplaceSized(t, n, ".", "--"); }, "a--b",
       true},
      {"replace shrinking", "a--b", 5, [](char *t, dword n) { return StrReplaceSized(t, n, "--", "."); },
       "a.b", true},
  };
  for (const Case &c : cases) {
    // The text lies in a larger block; everything from size on is a guard.
    std::vector<char> block(strlen(c.text) + c.size + 16, kGuard);
    memcpy(block.data(), c.text, strlen(c.text) + 1);
    size_t guardFrom = std::max<size_t>(c.size, strlen(c.text) + 1);
    EXPECT_EQ(c.call(block.data(), c.size), c.result) << c.what;
    EXPECT_STREQ(block.data(), c.expect) << c.what;
    for (size_t i = guardFrom; i < block.size(); i++) ASSERT_EQ(block[i], kGuard) << c.what << " byte " << i;
  }
}

}  // namespace

TEST(BufferContract, GrowingReplaceWithoutMemoryLeavesTheText) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer aborts on an allocation it cannot make";
#elif defined(__mips__)
  GTEST_SKIP() << "qemu-user keeps the guest's memory inside its own address space, so a cap on it "
                  "ends the emulator rather than the allocation";
#endif
  char text[65];
  memset(text, 'a', 64);
  text[64] = 0;
  // 64 occurrences grown by 1 MB need a 64 MB work buffer, which a child
  // with its address space capped cannot have: the text stays as it was.
  std::string replacement((size_t(1) << 20) + 1, 'b');
  pid_t child = fork();
  if (child == 0) {
    long pages = 0;
    FILE *statm = fopen("/proc/self/statm", "r");
    if (!statm || fscanf(statm, "%ld", &pages) != 1) _exit(2);
    struct rlimit cap = {rlim_t(pages) * 4096 + (16 << 20), RLIM_INFINITY};
    cap.rlim_max = cap.rlim_cur;
    if (setrlimit(RLIMIT_AS, &cap) != 0) _exit(2);
    _exit(!StrReplace(text, "a", replacement.c_str()) && std::string(text) == std::string(64, 'a') ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  // 64 MB more per occurrence would wrap round to a small buffer.
  replacement.assign((size_t(64) << 20) + 1, 'b');
  EXPECT_FALSE(StrReplace(text, "a", replacement.c_str()));
  EXPECT_EQ(std::string(text), std::string(64, 'a'));
}
