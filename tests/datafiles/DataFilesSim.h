// DataFilesSim.h - the data-file tests' pvrsim run: SimFixture made ready by
// ManagerBox as vdtool's box is (the test program acting as a TAP in
// "/ProgramFiles", the manager's settings folder, the log lines written
// since the start), byte-exact file images, and TAP files made from the
// template TAP with any TAP ID.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "ManagerBox.h"
#include "SimFixture.h"
#include "Tools.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes(void);  // the sanitizer's own allocator
#else
#include <malloc.h>
#endif

namespace datafiles {

namespace fs = std::filesystem;

const std::string SettingsDir = "/ProgramFiles/Settings/Vantero";
const uint32_t TemplateId = 0xD47AF11E;

// A file image built field by field, little-endian, with its exact length
// (embedded zero bytes included).
class Bytes {
 public:
  Bytes &dw(uint32_t v) {
    for (int i = 0; i < 4; i++) data_.push_back(static_cast<char>(v >> (8 * i)));
    return *this;
  }
  // Consecutive dwords, for runs of plain numbers.
  Bytes &dws(std::initializer_list<uint32_t> values) {
    for (uint32_t v : values) dw(v);
    return *this;
  }
  Bytes &qw(uint64_t v) { return dw(static_cast<uint32_t>(v)).dw(static_cast<uint32_t>(v >> 32)); }
  Bytes &b(uint8_t v) {
    data_.push_back(static_cast<char>(v));
    return *this;
  }
  // A length-prefixed string; an empty text is stored with length 0.
  Bytes &str(const std::string &s) {
    dw(static_cast<uint32_t>(s.size()));
    data_ += s;
    return *this;
  }
  Bytes &raw(const std::string &s) {
    data_ += s;
    return *this;
  }
  const std::string &data() const { return data_; }
  size_t size() const { return data_.size(); }

 private:
  std::string data_;
};

// "Vantero.settings" as SettingsDefault writes it: format 11, the default
// values, no master list and no alpha passwords.
inline std::string DefaultSettingsImage() {
  return Bytes().dws({11, 1, 0, 0, 0, 0, 0, 0, 0, 10, 0, 0, 0, 1, 0}).data();
}

// Heap bytes in use by the whole process.
inline long HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<long>(mallinfo2().uordblks);
#endif
}

// Heap bytes that twenty more runs of an action keep beyond its first five
// (which let the simulator's own tables reach their size): 0 unless the
// action leaks.
template <typename Action>
long HeapGrowth(Action action) {
  for (int i = 0; i < 5; i++) action();
  long before = HeapInUse();
  for (int i = 0; i < 20; i++) action();
  return HeapInUse() - before;
}

class DataFilesSim : public SimFixture {
 protected:
  // Runs command with the host's shell (system() of this program is the box's); its exit status, -1
  // when it could not run or ended otherwise.
  static int hostShell(const std::string &command) {
    pid_t pid = 0;
    const char *argv[] = {"sh", "-c", command.c_str(), nullptr};
    int status = -1;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char **>(argv), environ) != 0 ||
        waitpid(pid, &status, 0) != pid)
      return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  void SetUp() override {
    SimFixture::SetUp();
    box_ = vdtool::ManagerBox(options.diskDir);
    enterBox();
    SettingsSaveBlocked = SettingsUnsaved = false;
  }
  void TearDown() override {
    SettingsFree();
    SimFixture::TearDown();
  }

  // Starts the run again on the same disk with the options as they are now.
  void restartSim() {
    SimFixture::restartSim();
    enterBox();
  }

  void putSetting(const std::string &name, const std::string &content) {
    writeFile(SettingsDir + "/" + name, content);
  }
  std::string getSetting(const std::string &name) const { return readFile(SettingsDir + "/" + name); }

  // Texts of the log lines written since the test began (or since the last
  // call of takeLog), without their time stamps.
  std::vector<std::string> takeLog() { return box_.takeLog(); }

  // A copy of the template TAP with the given TAP ID at boxPath, with extra
  // bytes appended (they change the file's CRC, not its header).
  void putTap(const std::string &boxPath, uint32_t id, const std::string &extra = "") {
    static const std::string image = readHostFile(TAP_datafiles_template_tap);
    std::string copy = image;
    std::string from(reinterpret_cast<const char *>(&TemplateId), 4);
    std::string to(reinterpret_cast<const char *>(&id), 4);
    size_t at = copy.find(from);
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(copy.find(from, at + 1), std::string::npos) << "the template's ID occurs twice";
    copy.replace(at, 4, to);
    writeFile(boxPath, copy + extra);
  }

  // Sets a file's modification time (Linux seconds).
  void setTime(const std::string &boxPath, int64_t seconds) {
    struct timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, disk(boxPath).c_str(), times, 0)) << boxPath;
  }

 private:
  void enterBox() {
    std::string error;
    EXPECT_TRUE(box_.enter(*sim, "Test.tap", error)) << error;
  }

  vdtool::ManagerBox box_{""};
};

}  // namespace datafiles
