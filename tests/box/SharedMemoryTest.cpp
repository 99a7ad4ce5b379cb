// SharedMemoryTest.cpp - system V shared memory inside pvrsim: the start-parameter hand-over and
// the usual shmget/shmat/shmdt/shmctl semantics.
#include "BoxTest.h"

#include <sys/shm.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

using pvrsim::box::shmKeyExists;
using pvrsim::box::shmLiveSegmentCount;
using pvrsim::box::shmSegmentCount;

namespace {
constexpr key_t kHandOverKey = 86568;
constexpr key_t kBatchKey = 86567;
void *const kAttachFailed = reinterpret_cast<void *>(-1);
}  // namespace

using SharedMemoryTest = BoxTest;

TEST_F(SharedMemoryTest, HandOverBetweenStarterAndStartedTap) {
  // The starter creates, fills and keeps the record attached ...
  int id = shmget(kHandOverKey, 12, IPC_CREAT | 0);
  ASSERT_GE(id, 0) << strerror(errno);
  auto *record = static_cast<uint32_t *>(shmat(id, nullptr, 0));
  ASSERT_NE(record, kAttachFailed);
  EXPECT_EQ(record[0], 0u);  // fresh memory is zeroed
  EXPECT_EQ(record[2], 0u);
  int parameter = 7;
  record[0] = 0xC3A5719E;
  record[1] = 0x5C3E1A20;
  record[2] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&parameter));
  EXPECT_TRUE(shmKeyExists(kHandOverKey));

  // ... the started TAP finds it by key without flags and reads it.
  int seen = shmget(kHandOverKey, 12, 0);
  ASSERT_EQ(seen, id);
  auto *view = static_cast<uint32_t *>(shmat(seen, nullptr, 0));
  ASSERT_NE(view, kAttachFailed);
  EXPECT_EQ(view[0], 0xC3A5719Eu);
  EXPECT_EQ(*reinterpret_cast<int *>(static_cast<uintptr_t>(view[2])), 7);

  // The starter cleans up; the key is gone at once.
  ASSERT_EQ(shmdt(record), 0);
  ASSERT_EQ(shmctl(id, IPC_RMID, nullptr), 0);
  EXPECT_FALSE(shmKeyExists(kHandOverKey));
  EXPECT_EQ(shmSegmentCount(), 0u);
  errno = 0;
  EXPECT_EQ(shmget(kHandOverKey, 12, 0), -1);
  EXPECT_EQ(errno, ENOENT);

  // The started TAP still holds its attachment; the memory lives until then.
  EXPECT_EQ(shmLiveSegmentCount(), 1u);
  EXPECT_EQ(view[1], 0x5C3E1A20u);
  ASSERT_EQ(shmdt(view), 0);
  EXPECT_EQ(shmLiveSegmentCount(), 0u);
}

TEST_F(SharedMemoryTest, ExclusiveCreationAndSizes) {
  int id = shmget(kBatchKey, 1, IPC_CREAT | 0);
  ASSERT_GE(id, 0);
  EXPECT_EQ(shmget(kBatchKey, 1, IPC_CREAT), id);  // without IPC_EXCL: the same one
  EXPECT_EQ(shmget(kBatchKey, 0, 0), id);          // size 0 asks for any size
  errno = 0;
  EXPECT_EQ(shmget(kBatchKey, 1, IPC_CREAT | IPC_EXCL | 0600), -1);
  EXPECT_EQ(errno, EEXIST);
  errno = 0;
  EXPECT_EQ(shmget(kBatchKey, 2, 0), -1);  // larger than the segment
  EXPECT_EQ(errno, EINVAL);
  errno = 0;
  EXPECT_EQ(shmget(4711, 0, IPC_CREAT), -1);  // nothing to create
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(shmSegmentCount(), 1u);
}

TEST_F(SharedMemoryTest, MissingKeyWithoutCreate) {
  errno = 0;
  EXPECT_EQ(shmget(kHandOverKey, 12, 0), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(shmKeyExists(kHandOverKey));
  EXPECT_EQ(shmSegmentCount(), 0u);
}

TEST_F(SharedMemoryTest, StatCountsAttachmentsAndShowsRemoval) {
  int id = shmget(kHandOverKey, 12, IPC_CREAT | 0640);
  ASSERT_GE(id, 0);
  void *first = shmat(id, nullptr, 0);
  void *second = shmat(id, nullptr, 0);
  ASSERT_NE(first, kAttachFailed);
  ASSERT_NE(second, kAttachFailed);
  struct shmid_ds status;
  ASSERT_EQ(shmctl(id, IPC_STAT, &status), 0);
  EXPECT_EQ(status.shm_nattch, 2u);
  EXPECT_EQ(status.shm_segsz, 12u);
  EXPECT_EQ(status.shm_perm.mode & 0777, 0640u);
  EXPECT_EQ(status.shm_perm.__key, kHandOverKey);

  ASSERT_EQ(shmctl(id, IPC_RMID, nullptr), 0);
  ASSERT_EQ(shmctl(id, IPC_STAT, &status), 0);
  EXPECT_NE(status.shm_perm.mode & SHM_DEST, 0u);
  ASSERT_EQ(shmdt(first), 0);
  ASSERT_EQ(shmdt(second), 0);
  errno = 0;
  EXPECT_EQ(shmctl(id, IPC_STAT, &status), -1);  // freed with the last detach
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(SharedMemoryTest, PrivateSegmentsAreAlwaysNew) {
  int a = shmget(IPC_PRIVATE, 64, 0);
  int b = shmget(IPC_PRIVATE, 64, 0);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_FALSE(shmKeyExists(IPC_PRIVATE));
  EXPECT_EQ(shmSegmentCount(), 2u);
}

TEST_F(SharedMemoryTest, BadIdsAndAddresses) {
  errno = 0;
  EXPECT_EQ(shmat(12345, nullptr, 0), kAttachFailed);
  EXPECT_EQ(errno, EINVAL);
  int local = 0;
  errno = 0;
  EXPECT_EQ(shmdt(&local), -1);
  EXPECT_EQ(errno, EINVAL);
  errno = 0;
  EXPECT_EQ(shmctl(12345, IPC_RMID, nullptr), -1);
  EXPECT_EQ(errno, EINVAL);
  int id = shmget(kBatchKey, 1, IPC_CREAT);
  void *memory = shmat(id, nullptr, 0);
  ASSERT_EQ(shmdt(memory), 0);
  errno = 0;
  EXPECT_EQ(shmdt(memory), -1);  // detached twice
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(SharedMemoryTest, ANewRunStartsWithoutSegments) {
  int id = shmget(kHandOverKey, 12, IPC_CREAT);
  ASSERT_NE(shmat(id, nullptr, 0), kAttachFailed);
  shmget(kBatchKey, 1, IPC_CREAT);
  ASSERT_EQ(shmSegmentCount(), 2u);
  reconfigure();
  EXPECT_EQ(shmSegmentCount(), 0u);
  EXPECT_EQ(shmLiveSegmentCount(), 0u);
  EXPECT_FALSE(shmKeyExists(kHandOverKey));
}
