// DiskPathTest.cpp - mapping of box paths below /mnt/hd onto the disk folder.
#include "BoxTest.h"

using pvrsim::box::mapDiskPath;

class DiskPathTest : public BoxTest {
 protected:
  // The host path, or "refused".
  std::string map(const std::string &boxPath) {
    std::string host;
    return mapDiskPath(boxPath, host) ? host : "refused";
  }
};

TEST_F(DiskPathTest, MountPointAndNamesBelowIt) {
  const std::string &root = config_.diskRoot;
  EXPECT_EQ(map("/mnt/hd"), root);
  EXPECT_EQ(map("/mnt/hd/"), root);
  EXPECT_EQ(map("/mnt/hd/ProgramFiles/Settings"), root + "/ProgramFiles/Settings");
  EXPECT_EQ(map("/mnt/hd/ProgramFiles/"), root + "/ProgramFiles/");
}

TEST_F(DiskPathTest, DoubledSlashesDotsAndDotDotsInside) {
  const std::string &root = config_.diskRoot;
  EXPECT_EQ(map("/mnt/hd//ProgramFiles/Settings/Vantero"), root + "/ProgramFiles/Settings/Vantero");
  EXPECT_EQ(map("/mnt//hd/./a"), root + "/a");
  EXPECT_EQ(map("/mnt/hd/a/../b"), root + "/b");
  EXPECT_EQ(map("/mnt/hd/a/.."), root);
}

TEST_F(DiskPathTest, EscapesAndOtherPathsAreRefused) {
  EXPECT_EQ(map("/mnt/hd/.."), "refused");
  EXPECT_EQ(map("/mnt/hd/../hd/a"), "refused");  // leaves the disk on the way
  EXPECT_EQ(map("/mnt/hd/a/../../etc/passwd"), "refused");
  EXPECT_EQ(map("/mnt/hdd"), "refused");
  EXPECT_EQ(map("/mnt/hdd/x"), "refused");
  EXPECT_EQ(map("/mnt"), "refused");
  EXPECT_EQ(map("mnt/hd/x"), "refused");
  EXPECT_EQ(map("/etc/passwd"), "refused");
  EXPECT_EQ(map(""), "refused");
}

TEST_F(DiskPathTest, NothingIsMappedWithoutADiskFolder) {
  config_.diskRoot.clear();
  reconfigure();
  EXPECT_EQ(map("/mnt/hd/x"), "refused");
}
