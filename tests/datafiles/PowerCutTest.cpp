// PowerCutTest.cpp - a power cut while a data file is written leaves the old
// file or the new one, never a mix: the writers of package files, settings
// and the inventory, cut after every interesting number of bytes, and on a
// disk that loses what is written past a point.
#include <sys/wait.h>

#include <functional>

#include "Packages.h"

namespace datafiles {
namespace {

class PowerCutTest : public DataFilesSim {
 protected:
  // Runs the writer in a child process whose disk loses power after the
  // given number of written bytes (or that finishes); the disk is what the
  // child left.
  void cutAfter(uint64_t bytes, const std::function<void()> &writer) {
    EXPECT_EXIT(
        {
          options.powerCutAfterBytes = bytes;
          restartSim();
          writer();
          std::exit(pvrsim::kPowerCutExitStatus);  // finished before the cut: same status
        },
        ::testing::ExitedWithCode(pvrsim::kPowerCutExitStatus), "");
  }

  // Cuts the writer at 0, 1, half, all but one byte of the new file and
  // later: each time the file holds the old or (only once all bytes were
  // written) the new content; a last run without a cut writes the new file.
  void expectOldOrNew(const std::string &name, const std::string &oldContent, const std::string &newContent,
                      const std::function<void()> &writer) {
    uint64_t size = newContent.size();
    for (uint64_t cut : {uint64_t{0}, uint64_t{1}, size / 2, size - 1, size, size + 1000}) {
      putSetting(name, oldContent);
      cutAfter(cut, writer);
      std::string now = getSetting(name);
      if (cut < size) {
        EXPECT_TRUE(now == oldContent) << name << " cut after " << cut << " of " << size << " bytes";
      } else {
        EXPECT_TRUE(now == oldContent || now == newContent) << name << " cut after " << cut << " bytes";
      }
    }
    // A disk that silently drops writes keeps the old file whole.
    for (uint64_t kept : {uint64_t{0}, size / 2, size - 1}) {
      putSetting(name, oldContent);
      options.lostWritesAfterBytes = kept;
      restartSim();
      writer();
      EXPECT_TRUE(getSetting(name) == oldContent) << name << " with writes lost after " << kept << " bytes";
    }
    options.lostWritesAfterBytes.reset();
    restartSim();
    writer();
    EXPECT_TRUE(getSetting(name) == newContent) << name << " written without a cut";
    EXPECT_FALSE(exists(SettingsDir + "/" + name + ".tmp"))
        << "the next write replaces a stray temporary file";
  }
};

TEST_F(PowerCutTest, PackageFile) {
  expectOldOrNew("5C3E1A20.vpd", "the old package file, longer than the new one" + std::string(2000, '.'),
                 SampleImage(), [] {
                   tVPD vpd;
                   SamplePackage(vpd);
                   VPDSave(&vpd, "5C3E1A20.vpd");
                   VPDFree(&vpd);
                 });
}

TEST_F(PowerCutTest, SettingsFile) {
  std::string defaults = DefaultSettingsImage();
  expectOldOrNew("Vantero.settings", std::string(300, 's'), defaults, [] {
    SettingsDefault();
    SettingsSave();
  });
}

TEST_F(PowerCutTest, InventoryFile) {
  std::string empty = Bytes().dw(3).dw(0).data();
  expectOldOrNew("TAPOnBoard.bin", std::string(500, 't'), empty, [] {
    TAPsOnBoardCount = 0;
    TAPsOnBoardFree();
  });
}

}  // namespace
}  // namespace datafiles
