// TOBLoadFuzz.cpp - libFuzzer target for the on-board inventory loader.
//
// Every input is "TAPOnBoard.bin" on the stand-in disk (DiskStandIn.h).  The
// table holds at most 200 entries with terminated names, nothing beyond its
// count, and is written and read back the same; the table itself is the
// only memory that stays, and no file stays open.
#include <string.h>

#include "DiskStandIn.h"

namespace {

const char Target[] = "TOBLoadFuzz";

void Check(bool condition, const char *what) {
  if (!condition) standin::Fail(Target, what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  standin::Reset(TOB_FILE_NAME, data, size);
  TAPsOnBoardCount = 0;
  bool loaded = TAPsOnBoardLoad();
  Check(TAPsOnBoard != nullptr, "no table");
  Check(TAPsOnBoardCount >= 0 && TAPsOnBoardCount <= TOB_MAX_ENTRIES, "count out of range");
  Check(loaded || TAPsOnBoardCount == 0, "a rejected file left entries");
  Check(loaded || !standin::Log.empty(), "a rejected file was not logged");
  for (int i = 0; i < TOB_MAX_ENTRIES; i++) {
    Check(memchr(TAPsOnBoard[i].TAPName, 0, sizeof TAPsOnBoard[i].TAPName) != nullptr,
          "a name without terminator");
    if (i >= TAPsOnBoardCount)
      Check(TAPsOnBoard[i].TAPID == 0 && TAPsOnBoard[i].CRC == 0, "an entry beyond the count");
  }
  if (loaded) {
    tTAPsOnBoard copy[TOB_MAX_ENTRIES];
    int count = TAPsOnBoardCount;
    memcpy(copy, TAPsOnBoard, sizeof copy);
    Check(TAPsOnBoardFree(), "the table cannot be written");
    Check(TAPsOnBoardLoad() && TAPsOnBoardCount == count, "the written table cannot be read");
    Check(memcmp(copy, TAPsOnBoard, sizeof copy) == 0, "the written table reads back otherwise");
  }
  Check(standin::MemoryBlocksInUse() == 1, "memory other than the table left allocated");
  Check(standin::OpenFiles == 0, "a file left open");
  return 0;
}
