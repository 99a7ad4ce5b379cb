// FileJournalFormat.cpp - the file journal's file: built in memory and written whole, read back and
// checked (length, version, CRC-32, every field) before any step is trusted.  The layout is described in
// FileJournalFile.h.  Numbers are assembled byte by byte: the box's MIPS CPU faults on misaligned loads.
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileJournalFile.h"

static const byte kMagic[4] = {'K', 'F', 'J', 'R'};
static const dword kHeaderSize = 8;
static const dword kCheckSize = 4;
// The largest journal: every step with three paths of the longest length.
static const dword kMaxFileSize =
    kHeaderSize + kCheckSize + FILE_JOURNAL_MAX_STEPS * 3 * (2 + (KALIB_PATH_MAX - 1));

// CRC-32 bit by bit: a journal is small and written rarely, a table would cost 1 KiB for nothing.
static dword Crc32(const byte *data, dword length) {
  dword crc = 0xFFFFFFFFu;
  for (dword i = 0; i < length; i++) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; bit++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

static void PutWord(byte *at, dword value) {
  at[0] = (byte)value;
  at[1] = (byte)(value >> 8);
}

static void PutDword(byte *at, dword value) {
  PutWord(at, value);
  PutWord(at + 2, value >> 16);
}

static dword GetWord(const byte *at) { return (dword)at[0] | ((dword)at[1] << 8); }

static dword GetDword(const byte *at) { return GetWord(at) | (GetWord(at + 2) << 16); }

static dword EncodedSize(const tFileJournal *j) {
  dword size = kHeaderSize + kCheckSize;
  for (int i = 0; i < j->NrOfSteps; i++) {
    const tFileJournalStep *s = &j->Steps[i];
    size += 6 + (dword)(strlen(s->Final) + strlen(s->Staged) + strlen(s->Backup));
  }
  return size;
}

static byte *PutPath(byte *at, const char *path) {
  dword length = (dword)strlen(path);
  PutWord(at, length);
  // The file holds a path by its length, without a terminator.
  memcpy(at + 2, path, length);  // NOLINT(bugprone-not-null-terminated-result)
  return at + 2 + length;
}

bool FjSave(const tFileJournal *j, const tFjReason *reason) {
  dword size = EncodedSize(j);
  byte *image = (byte *)TAP_MemAlloc(size);
  if (image == nullptr) {
    FjSetReason(reason, "no memory for the journal");
    return false;
  }
  memcpy(image, kMagic, sizeof kMagic);
  image[4] = FILE_JOURNAL_VERSION;
  image[5] = (byte)j->Phase;
  PutWord(image + 6, (dword)j->NrOfSteps);
  byte *at = image + kHeaderSize;
  for (int i = 0; i < j->NrOfSteps; i++) {
    at = PutPath(at, j->Steps[i].Final);
    at = PutPath(at, j->Steps[i].Staged);
    at = PutPath(at, j->Steps[i].Backup);
  }
  PutDword(at, Crc32(image, size - kCheckSize));
  bool written = FjWriteWhole(j->Path, image, size, reason);
  TAP_MemFree(image);
  return written;
}

bool FjReserveStep(tFileJournal *j) {
  int count = j->NrOfSteps;
  if (count >= FILE_JOURNAL_MAX_STEPS) return false;
  // The room is a power of two of at least 4 steps, known from the count alone.
  int room = 4;
  while (room < count) room *= 2;
  if (j->Steps != nullptr && count < room) return true;
  int newRoom = j->Steps == nullptr ? room : room * 2;
  tFileJournalStep *steps = (tFileJournalStep *)TAP_MemAlloc((dword)newRoom * sizeof(tFileJournalStep));
  if (steps == nullptr) return false;
  if (j->Steps != nullptr) {
    memcpy(steps, j->Steps, (size_t)count * sizeof(tFileJournalStep));
    TAP_MemFree(j->Steps);
  }
  j->Steps = steps;
  return true;
}

// Reads the path at *at into dest; false when it runs past end or is too long, or holds a zero byte.
static bool TakePath(const byte **at, const byte *end, char *dest) {
  if (end - *at < 2) return false;
  dword length = GetWord(*at);
  if (length >= KALIB_PATH_MAX || (dword)(end - *at - 2) < length) return false;
  memcpy(dest, *at + 2, length);
  dest[length] = '\0';
  *at += 2 + length;
  return strlen(dest) == length;
}

// Fills j from a checked image; false when a field is out of range.
static bool Decode(tFileJournal *j, const byte *image, dword size) {
  if (size < kHeaderSize + kCheckSize || memcmp(image, kMagic, sizeof kMagic) != 0) return false;
  const byte *end = image + size - kCheckSize;
  if (GetDword(end) != Crc32(image, size - kCheckSize)) return false;
  int phase = image[5];
  dword count = GetWord(image + 6);
  if (image[4] != FILE_JOURNAL_VERSION || phase < FJP_Staging || phase > FJP_Cleaning ||
      count > FILE_JOURNAL_MAX_STEPS)
    return false;
  j->Phase = phase;
  const byte *at = image + kHeaderSize;
  for (dword i = 0; i < count; i++) {
    if (!FjReserveStep(j)) return false;
    tFileJournalStep *s = &j->Steps[j->NrOfSteps];
    if (!TakePath(&at, end, s->Final) || !TakePath(&at, end, s->Staged) || !TakePath(&at, end, s->Backup) ||
        s->Final[0] != '/')
      return false;
    j->NrOfSteps++;
  }
  return at == end;
}

// Reads the whole file into a new buffer (freed by the caller); null when it cannot.
static byte *ReadAll(const char *path, dword size) {
  byte *image = (byte *)TAP_MemAlloc(size > 0 ? size : 1);
  int fd = image != nullptr ? open(path, O_RDONLY) : -1;
  dword done = 0;
  while (fd >= 0 && done < size) {
    ssize_t n = read(fd, image + done, size - done);
    if (n <= 0) break;
    done += (dword)n;
  }
  if (fd >= 0) close(fd);
  if (image != nullptr && done == size) return image;
  if (image != nullptr) TAP_MemFree(image);
  return nullptr;
}

int FjLoad(tFileJournal *j, const tFjReason *reason) {
  struct stat64 st;
  if (lstat64(j->Path, &st) != 0) return 0;
  if (!S_ISREG(st.st_mode) || st.st_size > (long long)kMaxFileSize) {
    FjSetReason(reason, "the journal is not a journal file");
    return -1;
  }
  byte *image = ReadAll(j->Path, (dword)st.st_size);
  if (image == nullptr) {
    FjSetReason(reason, "cannot read the journal");
    return -2;
  }
  bool good = Decode(j, image, (dword)st.st_size);
  TAP_MemFree(image);
  if (!good) FjSetReason(reason, "the journal is damaged or cut short");
  return good ? 1 : -1;
}
