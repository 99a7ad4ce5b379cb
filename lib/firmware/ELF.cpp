// ELF.cpp - the steps of the TAP header reader.
//
// A TAP file is an ELF32 shared object that carries its identity in named
// sections.  These steps read just enough of it to find sections by name:
// the file header, the section header table and the section-name table.
// They keep one open file at a time in module state; ELFCleanup releases it.
//
// Files on the disk come from anywhere, so nothing the file claims is
// trusted: every table and section must lie inside the file before it is
// allocated or read, the name table always carries a terminator of our own,
// and section indices are checked against the table.
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

#include "ELFReader.h"
#include "Kalib.h"

namespace {  // file-local record types (static cannot apply to a type)
/* ELF32 file header (52 bytes, little-endian like the box). */
struct tELFHeader {
  byte ident[16];
  word type;
  word machine;
  dword version;
  dword entry;
  dword phoff;
  dword shoff; /* offset 32: section header table */
  dword flags;
  word ehsize;
  word phentsize;
  word phnum;
  word shentsize;
  word shnum;    /* offset 48: number of section headers */
  word shstrndx; /* offset 50: index of the section-name table */
};
static_assert(sizeof(tELFHeader) == 52, "ELF32 file header is 52 bytes");
static_assert(offsetof(tELFHeader, shoff) == 32, "ELF32 e_shoff");
static_assert(offsetof(tELFHeader, shnum) == 48, "ELF32 e_shnum");

/* ELF32 section header (40 bytes). */
struct tELFSectionHeader {
  dword name; /* offset into the section-name table */
  dword type;
  dword flags;
  dword addr;
  dword offset; /* file offset of the contents */
  dword size;   /* size of the contents */
  dword link;
  dword info;
  dword addralign;
  dword entsize;
};
}  // namespace
static_assert(sizeof(tELFSectionHeader) == 40, "ELF32 section header is 40 bytes");

static const dword SHT_STRTAB = 3;

/* Reader state: one file at a time, read from the disk (fTAP) or from a
 * whole file image the caller holds in memory (Image). */
static int fTAP = -1;
static const byte *Image = nullptr;
static tELFHeader *ELFHeader = nullptr;
static tELFSectionHeader *SectionHeaders = nullptr;
static char *shstrtab = nullptr;
static dword FileSize = 0;     /* bytes in the open file */
static dword NrSections = 0;   /* entries in SectionHeaders */
static dword ShstrtabSize = 0; /* bytes of shstrtab without our terminator */

/* True when [offset, offset + length) lies inside the open file. */
static bool InsideFile(dword offset, dword length) { return (uint64_t)offset + length <= FileSize; }

/* Reads exactly `length` bytes at `offset`; false when the range is not
 * inside the file or the read comes up short. */
static bool ReadAt(dword offset, void *buffer, dword length) {
  if ((fTAP < 0 && Image == nullptr) || !InsideFile(offset, length)) return false;
  if (length == 0) return true;
  if (Image != nullptr) {
    memcpy(buffer, Image + offset, length);
    return true;
  }
  if (lseek(fTAP, (off_t)offset, SEEK_SET) != (off_t)offset) return false;
  byte *p = (byte *)buffer;
  dword done = 0;
  while (done < length) {
    ssize_t n = read(fTAP, p + done, length - done);
    if (n <= 0) return false;
    done += (dword)n;
  }
  return true;
}

/* Frees a table of the reader (the firmware's free is not asked to take
 * null) and forgets it. */
template <typename T>
static void FreeTable(T *&table) {
  if (table != nullptr) TAP_MemFree(table);
  table = nullptr;
}

static bool SectionExists(dword sectionIndex) {
  return SectionHeaders != nullptr && sectionIndex < NrSections;
}

bool ELFOpenFile(const char *fileName) {
  ELFCleanup();
  if (fileName == nullptr || fileName[0] == '\0') return false;

  char linuxPath[KALIB_PATH_MAX];
  linuxPath[0] = '\0';
  ConvertPathType(fileName, linuxPath, PK_LinuxFile);
  if (linuxPath[0] == '\0') return false;

  fTAP = open(linuxPath, O_RDONLY);
  if (fTAP < 0) {
    fTAP = -1;
    return false;
  }
  off_t end = lseek(fTAP, 0, SEEK_END);
  if (end < 0) {
    ELFCleanup();
    return false;
  }
  FileSize = (dword)end;
  return true;
}

bool ELFOpenImage(const byte *image, dword size) {
  ELFCleanup();
  if (image == nullptr || size == 0) return false;
  Image = image;
  FileSize = size;
  return true;
}

bool ELFReadELFHeader(void) {
  if (fTAP < 0 && Image == nullptr) return false;
  FreeTable(ELFHeader);
  ELFHeader = (tELFHeader *)TAP_MemAlloc(sizeof(tELFHeader));
  if (ELFHeader == nullptr) return false;
  return ReadAt(0, ELFHeader, sizeof(tELFHeader));
}

bool ELFReadSectionHeaders(void) {
  if (ELFHeader == nullptr) return false;
  dword count = ELFHeader->shnum;
  if (count == 0) return false;
  dword tableSize = count * (dword)sizeof(tELFSectionHeader); /* at most 65535 x 40 */
  /* A table that reaches past the end of the file cannot be read whole;
   * refuse it before allocating whatever the header claims. */
  if (!InsideFile(ELFHeader->shoff, tableSize)) return false;

  FreeTable(SectionHeaders);
  NrSections = 0;
  SectionHeaders = (tELFSectionHeader *)TAP_MemAlloc(tableSize);
  if (SectionHeaders == nullptr) return false;
  if (!ReadAt(ELFHeader->shoff, SectionHeaders, tableSize)) return false;
  NrSections = count;
  return true;
}

bool ELFReadShstrtabSection(void) {
  if (ELFHeader == nullptr || SectionHeaders == nullptr) return false;
  dword index = ELFHeader->shstrndx;
  if (index >= NrSections) return false;
  const tELFSectionHeader &section = SectionHeaders[index];
  if (section.type != SHT_STRTAB) return false;
  if (!InsideFile(section.offset, section.size)) return false;

  FreeTable(shstrtab);
  ShstrtabSize = 0;
  /* One byte more than the section: a name table whose last name lacks its
   * terminator still ends inside our buffer. */
  shstrtab = (char *)TAP_MemAlloc(section.size + 1);
  if (shstrtab == nullptr) return false;
  if (!ReadAt(section.offset, shstrtab, section.size)) return false;
  shstrtab[section.size] = '\0';
  ShstrtabSize = section.size;
  return true;
}

dword ELFGetSectionIndex(const char *sectionName) {
  if (sectionName == nullptr || SectionHeaders == nullptr || shstrtab == nullptr) return 0;
  for (dword i = 1; i < NrSections; i++) {
    dword nameOffset = SectionHeaders[i].name;
    if (nameOffset >= ShstrtabSize) continue;
    if (strcmp(shstrtab + nameOffset, sectionName) == 0) return i;
  }
  return 0;
}

dword ELFGetSectionSize(dword sectionIndex) {
  return SectionExists(sectionIndex) ? SectionHeaders[sectionIndex].size : 0;
}

bool ELFReadDWORD(dword sectionIndex, dword *data) {
  if (!SectionExists(sectionIndex) || SectionHeaders[sectionIndex].size != 4) return false;
  if (data == nullptr) return true;
  return ReadAt(SectionHeaders[sectionIndex].offset, data, 4);
}

bool ELFReadDataPrefix(dword sectionIndex, byte *data, dword maxBytes) {
  if (!SectionExists(sectionIndex)) return false;
  if (data == nullptr) return true;
  const tELFSectionHeader &section = SectionHeaders[sectionIndex];
  dword length = section.size < maxBytes ? section.size : maxBytes;
  return ReadAt(section.offset, data, length);
}

bool ELFReadData(dword sectionIndex, byte *data) {
  return ELFReadDataPrefix(sectionIndex, data, ELFGetSectionSize(sectionIndex));
}

void ELFCleanup(void) {
  if (fTAP >= 0) close(fTAP);
  fTAP = -1;
  Image = nullptr;
  FileSize = 0;
  FreeTable(ELFHeader);
  FreeTable(SectionHeaders);
  FreeTable(shstrtab);
  NrSections = 0;
  ShstrtabSize = 0;
}
