// TapFileFuzz.cpp - libFuzzer target for pvrsim's TAP file check, the first
// thing pvrsim does with a TAP file given on its command line or lying in
// /ProgramFiles/AutoStart.
//
// Every input is a TAP file: it is written to an in-memory file and checked
// with inspectTapFile, built natively for 32-bit x86 like pvrsim.  Besides
// the sanitizers' checks (and a size from the file never reaching an
// allocation unchecked, which once ended pvrsim with std::length_error),
// each run must give a reason exactly when it fails and leave no descriptor
// open on the input.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "TapFile.h"

static int InputFd = -1;
static ino_t InputInode = 0;
static std::string InputPath;

static void Fail(const char *what) {
  fprintf(stderr, "TapFileFuzz: %s\n", what);
  abort();
}

static void Setup() {
  InputFd = memfd_create("tap", 0);
  if (InputFd < 0) Fail("memfd_create failed");
  struct stat st;
  if (fstat(InputFd, &st) != 0) Fail("fstat failed");
  InputInode = st.st_ino;
  InputPath = "/proc/self/fd/" + std::to_string(InputFd);
}

// A descriptor other than our own that still refers to the input file.
static bool InputLeftOpen() {
  for (int fd = 0; fd < 64; fd++) {
    struct stat st;
    if (fd == InputFd || fcntl(fd, F_GETFD) == -1) continue;
    if (fstat(fd, &st) == 0 && st.st_ino == InputInode) return true;
  }
  return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (InputFd < 0) Setup();
  if (ftruncate(InputFd, 0) != 0) Fail("ftruncate failed");
  if (size > 0 && pwrite(InputFd, data, size, 0) != (ssize_t)size) Fail("pwrite failed");

  dword tapId = 0;
  std::string reason = "untouched";
  bool ok = pvrsim::core::inspectTapFile(InputPath, tapId, reason);
  if (ok != reason.empty()) Fail(ok ? "a TAP came with a reason" : "a refusal came without a reason");
  if (InputLeftOpen()) Fail("the check left a descriptor open");
  return 0;
}
