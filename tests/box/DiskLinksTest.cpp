// DiskLinksTest.cpp - symbolic links on the disk, through every kind of box operation (the
// wrapped libc calls and the shell's commands): a link is followed within
// the disk, one that leads out of it leads nowhere, rm and mv act on a link
// itself, and nothing outside the disk folder ever changes.
#include "BoxTest.h"
#include "HostTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>

using host_tree::makeLink;
using pvrsim::box::TapCallScope;

namespace {

const char kPF[] = "/mnt/hd/ProgramFiles";

struct LinkCase {
  const char *what;
  std::function<int()> run;  // 0 for success, else -1 (libc) or the shell's exit code
  int result;                // expected
  int error;                 // expected errno of a failing libc call, 0: not checked
  std::function<bool(const std::string &disk)> after;  // expected state of the disk, or null
};

int shell(const std::string &line) { return system(line.c_str()) >> 8; }
std::string pf(const char *name) { return std::string(kPF) + "/" + name; }
int openFile(const std::string &path, int flags) {
  int fd = open(path.c_str(), flags, 0644);
  if (fd >= 0) close(fd);
  return fd >= 0 ? 0 : -1;
}
int fopenFile(const std::string &path, const char *mode) {
  FILE *f = fopen(path.c_str(), mode);
  if (f != nullptr) fclose(f);
  return f != nullptr ? 0 : -1;
}
bool isLink(const std::string &host) {
  struct stat st;
  return ::lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
bool hostExists(const std::string &host) {
  struct stat st;
  return ::lstat(host.c_str(), &st) == 0;
}

class DiskLinksTest : public BoxTest {
 protected:
  // A host folder beside the disk with a file and a folder, and a disk whose
  // links lead out of it in every way, into it, and round in a loop.
  void makeDisk() {
    std::filesystem::remove_all(outside());
    std::filesystem::remove_all(config_.diskRoot);
    writeHostFile(outside() + "/secret", "host");
    writeHostFile(outside() + "/dir/file", "host file");
    writeHostFile(disk("ProgramFiles/in_dir/file"), "disk file");
    makeLink(outside() + "/secret", disk("ProgramFiles/out_file"));  // absolute host path
    makeLink(outside() + "/dir", disk("ProgramFiles/out_dir"));
    makeLink("../../outside", disk("ProgramFiles/up"));                     // climbs out
    makeLink("/etc", disk("ProgramFiles/etc"));                             // a box path off the disk
    makeLink("in_dir", disk("ProgramFiles/in_link"));                       // relative, inside
    makeLink("/mnt/hd/ProgramFiles/in_dir", disk("ProgramFiles/box_abs"));  // box path, inside
    makeLink("..", disk("ProgramFiles/root"));
    makeLink("loop_b", disk("loop_a"));
    makeLink("loop_a", disk("loop_b"));
  }
  std::string outside() const { return root + "/outside"; }
};

TEST_F(DiskLinksTest, EveryOperationStaysOnTheDisk) {
  const LinkCase cases[] = {
      // Links out of the disk lead nowhere.
      {"open read", [] { return openFile(pf("out_file"), O_RDONLY); }, -1, ENOENT, nullptr},
      {"open truncate", [] { return openFile(pf("out_file"), O_WRONLY | O_TRUNC); }, -1, ENOENT, nullptr},
      {"open create below", [] { return openFile(pf("out_dir/new"), O_WRONLY | O_CREAT); }, -1, ENOENT,
       nullptr},
      {"open append climbing", [] { return openFile(pf("up/secret"), O_WRONLY | O_APPEND); }, -1, ENOENT,
       nullptr},
      {"open a box path off the disk", [] { return openFile(pf("etc/passwd"), O_RDONLY); }, -1, ENOENT,
       nullptr},
      {"fopen w", [] { return fopenFile(pf("out_file"), "w"); }, -1, ENOENT, nullptr},
      {"fopen a below", [] { return fopenFile(pf("out_dir/log"), "a"); }, -1, ENOENT, nullptr},
      {"lstat64 through",
       [] {
         struct stat64 st;
         return lstat64(pf("out_dir/.").c_str(), &st);
       },
       -1, ENOENT, nullptr},
      {"utime", [] { return utime(pf("out_file").c_str(), nullptr); }, -1, ENOENT, nullptr},
      {"mkdir below", [] { return mkdir(pf("out_dir/new").c_str(), 0777); }, -1, ENOENT, nullptr},
      {"rename from outside", [] { return rename(pf("out_dir/file").c_str(), "/mnt/hd/stolen"); }, -1, ENOENT,
       nullptr},
      {"rename to outside", [] { return rename(pf("in_dir/file").c_str(), pf("out_dir/planted").c_str()); },
       -1, ENOENT, nullptr},
      {"loop", [] { return openFile("/mnt/hd/loop_a", O_RDONLY); }, -1, ELOOP, nullptr},
      {"chmod", [] { return shell("chmod 555 " + pf("out_file")); }, 1, 0, nullptr},
      {"chmod -R", [] { return shell("chmod -R 777 " + pf("out_dir")); }, 1, 0, nullptr},
      {"rm below", [] { return shell("rm " + pf("up/secret")); }, 1, 0, nullptr},
      {"rm -r through", [] { return shell("rm -r " + pf("out_dir/")); }, 1, 0, nullptr},
      {"mkdir -p below", [] { return shell("mkdir -p " + pf("out_dir/new/sub")); }, 1, 0, nullptr},
      {"mv from outside", [] { return shell("mv " + pf("out_dir/file") + " /mnt/hd/x"); }, 1, 0, nullptr},
      {"cat", [] { return shell("cat " + pf("out_file")); }, 1, 0, nullptr},
      {"redirect", [] { return shell("echo x > " + pf("out_file")); }, 1, 0, nullptr},
      {"redirect append below", [] { return shell("echo x >> " + pf("out_dir/log")); }, 1, 0, nullptr},
      {"rm -r the disk through a link", [] { return shell("rm -r " + pf("root/")); }, 1, 0, nullptr},
      // A link itself can be removed, renamed and looked at.
      {"lstat64 of the link",
       [] {
         struct stat64 st;
         return lstat64(pf("out_file").c_str(), &st) == 0 && S_ISLNK(st.st_mode) ? 0 : -1;
       },
       0, 0, nullptr},
      {"rm -r of the link", [] { return shell("rm -r " + pf("out_dir")); }, 0, 0,
       [](const std::string &d) { return !hostExists(d + "/ProgramFiles/out_dir"); }},
      {"rename of the link", [] { return rename(pf("out_file").c_str(), "/mnt/hd/moved"); }, 0, 0,
       [](const std::string &d) { return isLink(d + "/moved"); }},
      {"mv over the link", [] { return shell("mv " + pf("in_dir/file") + " " + pf("out_dir")); }, 0, 0,
       [](const std::string &d) { return !isLink(d + "/ProgramFiles/out_dir"); }},
      // Links within the disk are followed.
      {"open through a relative link", [] { return openFile(pf("in_link/file"), O_WRONLY | O_APPEND); }, 0, 0,
       nullptr},
      {"fopen through a box path", [] { return fopenFile(pf("box_abs/new"), "w"); }, 0, 0,
       [](const std::string &d) { return hostExists(d + "/ProgramFiles/in_dir/new"); }},
      {"chmod through", [] { return shell("chmod 600 " + pf("in_link/file")); }, 0, 0,
       [](const std::string &d) {
         struct stat st;
         return ::stat((d + "/ProgramFiles/in_dir/file").c_str(), &st) == 0 && (st.st_mode & 0777) == 0600;
       }},
      {"rm -r of an inside link", [] { return shell("rm -r " + pf("in_link")); }, 0, 0,
       [](const std::string &d) { return hostExists(d + "/ProgramFiles/in_dir/file"); }},
      {"mkdir -p through", [] { return shell("mkdir -p " + pf("box_abs/a/b")); }, 0, 0,
       [](const std::string &d) { return hostExists(d + "/ProgramFiles/in_dir/a/b"); }},
  };
  for (const LinkCase &c : cases) {
    SCOPED_TRACE(c.what);
    makeDisk();
    host_tree::Tree before = host_tree::record(outside());
    int result;
    {
      TapCallScope tap;
      errno = 0;
      result = c.run();
    }
    int error = errno;
    EXPECT_EQ(result, c.result);
    if (c.error != 0) {
      EXPECT_EQ(error, c.error);
    }
    if (c.after) {
      EXPECT_TRUE(c.after(config_.diskRoot));
    }
    EXPECT_EQ(host_tree::record(outside()), before) << "the host folder beside the disk changed";
  }
}

TEST_F(DiskLinksTest, LinksResolveBeneathTheDiskFolder) {
  makeDisk();
  const std::string &root = config_.diskRoot;
  struct Row {
    const char *boxPath;
    pvrsim::box::LastLink last;
    const char *host;  // below the disk folder, or null: refused
  } rows[] = {
      {"/mnt/hd/ProgramFiles/in_link/file", pvrsim::box::LastLink::Follow, "/ProgramFiles/in_dir/file"},
      {"/mnt/hd/ProgramFiles/box_abs", pvrsim::box::LastLink::Follow, "/ProgramFiles/in_dir"},
      {"/mnt/hd/ProgramFiles/box_abs", pvrsim::box::LastLink::Keep, "/ProgramFiles/box_abs"},
      {"/mnt/hd/ProgramFiles/box_abs/", pvrsim::box::LastLink::Keep, "/ProgramFiles/in_dir/"},
      {"/mnt/hd/ProgramFiles/root/ProgramFiles/in_link/.", pvrsim::box::LastLink::Keep,
       "/ProgramFiles/in_dir"},
      {"/mnt/hd/ProgramFiles/in_link/../box_abs", pvrsim::box::LastLink::Keep, "/ProgramFiles/box_abs"},
      {"/mnt/hd/ProgramFiles/missing/deeper", pvrsim::box::LastLink::Follow, "/ProgramFiles/missing/deeper"},
      {"/mnt/hd/ProgramFiles/out_file", pvrsim::box::LastLink::Keep, "/ProgramFiles/out_file"},
      {"/mnt/hd/ProgramFiles/out_file", pvrsim::box::LastLink::Follow, nullptr},
      {"/mnt/hd/ProgramFiles/up/secret", pvrsim::box::LastLink::Keep, nullptr},
      {"/mnt/hd/ProgramFiles/etc", pvrsim::box::LastLink::Follow, nullptr},
      {"/mnt/hd/loop_a", pvrsim::box::LastLink::Follow, nullptr},
  };
  for (const Row &row : rows) {
    std::string host;
    bool mapped = pvrsim::box::mapDiskPath(row.boxPath, host, row.last);
    EXPECT_EQ(mapped ? host : "refused", row.host ? root + row.host : "refused") << row.boxPath;
  }
}

}  // namespace
