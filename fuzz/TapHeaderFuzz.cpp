// TapHeaderFuzz.cpp - libFuzzer target for the TAP header reader.
//
// Every input is a TAP file: it is written to an in-memory file and read with
// HDD_TAP_GetInfo, as the library reads files found on the disk.  Built
// natively for 32-bit x86 together with the reader's own sources and small
// stand-ins for the few firmware calls it makes.  Besides the sanitizers'
// checks, each run must leave no descriptor open, no table allocated and
// every text field terminated inside its bounds.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include "FuzzMemory.h"
#include "Kalib.h"

extern "C" dword TAP_MakeMjd(word year, byte month, byte day) {
  return (dword)year * 10000u + month * 100u + day;
}

static char InputPath[64];

// The reader asks for the Linux path of its argument; every name means the
// in-memory file here.
extern "C" void ConvertPathType(const char *, char *dest, tPathKind) { strcpy(dest, InputPath); }

static int InputFd = -1;
static int FirstFreeFd = -1;

static void Fail(const char *what) {
  fprintf(stderr, "TapHeaderFuzz: %s\n", what);
  abort();
}

static void Setup() {
  InputFd = memfd_create("tap", 0);
  if (InputFd < 0) Fail("memfd_create failed");
  snprintf(InputPath, sizeof(InputPath), "/proc/self/fd/%d", InputFd);
  FirstFreeFd = open("/dev/null", O_RDONLY);
  close(FirstFreeFd);
}

static void CheckTerminated(const char *field, size_t size, const char *name) {
  if (strnlen(field, size) >= size) Fail(name);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (InputFd < 0) Setup();
  if (ftruncate(InputFd, 0) != 0) Fail("ftruncate failed");
  if (size > 0 && pwrite(InputFd, data, size, 0) != (ssize_t)size) Fail("pwrite failed");

  tTAPInfo info;
  memset(&info, 0x5A, sizeof(info));  // no terminator unless the reader writes one
  if (HDD_TAP_GetInfo("/ProgramFiles/fuzz.tap", &info)) {
    CheckTerminated(info.TAPName, sizeof(info.TAPName), "TAPName not terminated");
    CheckTerminated(info.Author, sizeof(info.Author), "Author not terminated");
    CheckTerminated(info.Description, sizeof(info.Description), "Description not terminated");
    CheckTerminated(info.TAPVersion, sizeof(info.TAPVersion), "TAPVersion not terminated");
  }

  if (BlocksInUse != 0) Fail("reader left memory allocated");
  int probe = open("/dev/null", O_RDONLY);
  if (probe != FirstFreeFd) Fail("reader left a descriptor open");
  close(probe);
  return 0;
}
