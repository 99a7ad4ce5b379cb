// StringDBTest.cpp - the string list: distinct texts, offsets that survive
// growth, the read cursor and the zero byte behind the last text.
#include <string.h>

#include <string>

#include "TasksSim.h"

namespace {

using StringDBTest = tasks::SimTest;

// Every byte from DBEnd to the end of the buffer must be zero, and there must
// be at least one.
void ExpectZeroTail(const tStringDB &db) {
  ASSERT_NE(db.DB, nullptr);
  ASSERT_LT(db.DBEnd, db.DB + db.DBSize);
  for (const char *p = db.DBEnd; p < db.DB + db.DBSize; p++) ASSERT_EQ(*p, '\0');
}

TEST_F(StringDBTest, EmptyListReportsEofAndFirstAddAllocatesTwiceTheLength) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 0));
  EXPECT_TRUE(StringDBEOF(&db));
  EXPECT_EQ(db.DB, nullptr);
  EXPECT_EQ(StringDBNext(&db), 0u);

  EXPECT_EQ(StringDBAdd(&db, "ProgramFiles"), 0u);
  EXPECT_EQ(db.DBSize, 24u);
  EXPECT_STREQ(StringDBGet(&db, 0), "ProgramFiles");
  ExpectZeroTail(db);
  StringDBDestroy(&db);

  // Short texts get at least the text, its terminator and one zero byte.
  ASSERT_TRUE(StringDBInit(&db, 0));
  EXPECT_EQ(StringDBAdd(&db, "a"), 0u);
  EXPECT_EQ(db.DBSize, 3u);
  ExpectZeroTail(db);
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, ATextIsStoredOnce) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 4096));
  EXPECT_EQ(StringDBAdd(&db, "/ProgramFiles"), 0u);
  EXPECT_EQ(StringDBAdd(&db, "/ProgramFiles/A"), 14u);
  EXPECT_EQ(StringDBAdd(&db, "/ProgramFiles"), 0u);
  EXPECT_EQ(StringDBAdd(&db, "/programfiles"), 30u);  // comparison is case-sensitive
  EXPECT_EQ(StringDBAdd(&db, "/ProgramFiles/A"), 14u);
  EXPECT_EQ(db.DBEnd - db.DB, 44);
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, CursorVisitsTextsInOrderAndStopsAtTheEnd) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 4096));
  EXPECT_EQ(StringDBAdd(&db, "a"), 0u);
  EXPECT_EQ(StringDBAdd(&db, "bb"), 2u);
  EXPECT_EQ(StringDBAdd(&db, "x"), 5u);

  std::string visited;
  while (!StringDBEOF(&db)) {
    visited += StringDBGet(&db, StringDBCurrent(&db));
    visited += ",";
    StringDBNext(&db);
  }
  EXPECT_EQ(visited, "a,bb,x,");
  EXPECT_EQ(StringDBCurrent(&db), 7u);
  EXPECT_EQ(StringDBNext(&db), 0u);
  EXPECT_EQ(StringDBCurrent(&db), 7u);
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, TextsAddedDuringAWalkAreReachedByTheSameWalk) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 4096));
  StringDBAdd(&db, "/P");
  std::string visited;
  while (!StringDBEOF(&db)) {
    std::string current = StringDBGet(&db, StringDBCurrent(&db));
    visited += current + ",";
    if (current.size() < 6) {  // each folder has two subfolders, one of them seen before
      StringDBAdd(&db, (current + "/a").c_str());
      StringDBAdd(&db, "/P/a");
    }
    StringDBNext(&db);
  }
  EXPECT_EQ(visited, "/P,/P/a,/P/a/a,");
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, AnEmptyTextEndsTheWalk) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 4096));
  EXPECT_EQ(StringDBAdd(&db, "a"), 0u);
  EXPECT_EQ(StringDBAdd(&db, ""), 2u);
  EXPECT_EQ(StringDBAdd(&db, "b"), 3u);
  EXPECT_EQ(StringDBAdd(&db, ""), 2u);
  EXPECT_FALSE(StringDBEOF(&db));
  EXPECT_EQ(StringDBNext(&db), 2u);
  EXPECT_TRUE(StringDBEOF(&db));
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, OffsetsSurviveGrowthAndTheCursorMovesWithTheBuffer) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 16));
  dword first = StringDBAdd(&db, "first");
  dword second = StringDBAdd(&db, "second");
  StringDBNext(&db);
  ASSERT_EQ(StringDBCurrent(&db), second);

  std::string longText(40, 'x');
  dword third = StringDBAdd(&db, longText.c_str());
  EXPECT_EQ(third, 13u);
  EXPECT_EQ(db.DBSize, 16u + 4096u);
  EXPECT_STREQ(StringDBGet(&db, first), "first");
  EXPECT_STREQ(StringDBGet(&db, second), "second");
  EXPECT_EQ(StringDBGet(&db, third), longText);
  EXPECT_EQ(StringDBCurrent(&db), second);
  ExpectZeroTail(db);

  // A text larger than the fixed growth step gets what it needs.
  std::string hugeText(9000, 'y');
  dword fourth = StringDBAdd(&db, hugeText.c_str());
  EXPECT_EQ(fourth, 54u);
  EXPECT_EQ(db.DBSize, 54u + 9000u + 2u);
  EXPECT_EQ(StringDBGet(&db, fourth), hugeText);
  ExpectZeroTail(db);
  EXPECT_EQ(StringDBGet(&db, db.DBSize), nullptr);
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, NullArgumentsGiveNeutralResults) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 64));
  EXPECT_EQ(StringDBAdd(nullptr, "a"), 0u);
  EXPECT_EQ(StringDBAdd(&db, nullptr), 0u);
  EXPECT_EQ(db.DBEnd, db.DB);
  EXPECT_TRUE(StringDBEOF(nullptr));
  EXPECT_EQ(StringDBCurrent(nullptr), 0u);
  EXPECT_EQ(StringDBGet(nullptr, 0), nullptr);
  EXPECT_EQ(StringDBNext(nullptr), 0u);
  EXPECT_FALSE(StringDBDestroy(nullptr));
  StringDBDestroy(&db);
}

TEST_F(StringDBTest, DestroyLeavesAnEmptyListThatCanBeUsedAgain) {
  tStringDB db;
  ASSERT_TRUE(StringDBInit(&db, 4096));
  StringDBAdd(&db, "/ProgramFiles");
  EXPECT_TRUE(StringDBDestroy(&db));
  EXPECT_EQ(db.DB, nullptr);
  EXPECT_EQ(db.DBSize, 0u);
  EXPECT_TRUE(StringDBEOF(&db));
  EXPECT_EQ(StringDBAdd(&db, "again"), 0u);
  EXPECT_STREQ(StringDBGet(&db, 0), "again");
  EXPECT_TRUE(StringDBDestroy(&db));
}

}  // namespace
