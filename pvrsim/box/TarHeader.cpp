// TarHeader.cpp - encodes and decodes tar header blocks.  Numbers are octal
// text; the checksum is the sum of the block's bytes with its own field taken
// as blanks.  Written headers carry the POSIX magic "ustar\0" "00"; read ones
// may carry GNU's "ustar  \0" too, which busybox writes.
#include "TarHeader.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace pvrsim::box::shell {

namespace {
// Field offsets and sizes of the header block.
constexpr size_t kName = 0, kNameSize = 100;
constexpr size_t kMode = 100, kUid = 108, kGid = 116, kSize = 124, kMtime = 136;
constexpr size_t kChecksum = 148, kChecksumSize = 8;
constexpr size_t kType = 156;
constexpr size_t kMagic = 257, kVersion = 263;
constexpr size_t kUname = 265, kGname = 297, kOwnerSize = 32;
constexpr size_t kPrefix = 345, kPrefixSize = 155;

// size - 1 octal digits with leading zeros and a NUL; a value too large
// keeps its low digits (the callers' values fit: modes, ids, sizes below
// 8 GiB, times before 2242).
void putOctal(unsigned char *field, size_t size, uint64_t value) {
  field[size - 1] = 0;
  for (size_t i = size - 1; i-- > 0; value >>= 3) field[i] = static_cast<unsigned char>('0' + (value & 7));
}

void putText(unsigned char *field, size_t size, const std::string &text) {
  // Tar's text fields need no terminator when they are full.
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), size)), field);
}

// An octal field, leading blanks allowed, ended by a blank or NUL.
uint64_t getOctal(const unsigned char *field, size_t size) {
  uint64_t value = 0;
  size_t i = 0;
  while (i < size && field[i] == ' ') ++i;
  for (; i < size && field[i] >= '0' && field[i] <= '7'; ++i) value = value * 8 + (field[i] - '0');
  return value;
}

std::string getText(const unsigned char *field, size_t size) {
  size_t length = 0;
  while (length < size && field[length] != 0) ++length;
  return std::string(reinterpret_cast<const char *>(field), length);
}

unsigned checksumOf(const unsigned char block[kTarBlock]) {
  unsigned sum = 0;
  for (size_t i = 0; i < kTarBlock; ++i)
    sum += i >= kChecksum && i < kChecksum + kChecksumSize ? ' ' : block[i];
  return sum;
}

// Splits a long name at a '/' into prefix and name; false when impossible.
bool splitName(const std::string &full, std::string &prefix, std::string &name) {
  if (full.size() <= kNameSize) {
    name = full;
    return true;
  }
  for (size_t slash = full.find('/'); slash != std::string::npos; slash = full.find('/', slash + 1)) {
    if (slash <= kPrefixSize && full.size() - slash - 1 <= kNameSize && slash + 1 < full.size()) {
      prefix = full.substr(0, slash);
      name = full.substr(slash + 1);
      return true;
    }
  }
  return false;
}
}  // namespace

bool encodeTarHeader(const TarEntry &entry, unsigned char block[kTarBlock]) {
  std::memset(block, 0, kTarBlock);
  std::string prefix, name;
  if (!splitName(entry.name, prefix, name)) return false;
  putText(block + kName, kNameSize, name);
  putOctal(block + kMode, 8, entry.mode & 07777);
  putOctal(block + kUid, 8, entry.uid);
  putOctal(block + kGid, 8, entry.gid);
  putOctal(block + kSize, 12, entry.size);
  putOctal(block + kMtime, 12, entry.mtime < 0 ? 0 : static_cast<uint64_t>(entry.mtime));
  block[kType] = static_cast<unsigned char>(entry.type);
  static const unsigned char kPosixMagic[8] = {'u', 's', 't', 'a', 'r', 0, '0', '0'};
  std::copy(kPosixMagic, kPosixMagic + sizeof kPosixMagic, block + kMagic);
  putText(block + kUname, kOwnerSize - 1, entry.uname);
  putText(block + kGname, kOwnerSize - 1, entry.gname);
  putText(block + kPrefix, kPrefixSize, prefix);
  std::snprintf(reinterpret_cast<char *>(block + kChecksum), kChecksumSize, "%06o", checksumOf(block));
  block[kChecksum + 7] = ' ';
  return true;
}

TarHeaderKind decodeTarHeader(const unsigned char block[kTarBlock], TarEntry &entry) {
  bool zeros = true;
  for (size_t i = 0; i < kTarBlock && zeros; ++i) zeros = block[i] == 0;
  if (zeros) return TarHeaderKind::End;
  if (getOctal(block + kChecksum, kChecksumSize) != checksumOf(block)) return TarHeaderKind::BadChecksum;
  entry = TarEntry();
  entry.name = getText(block + kName, kNameSize);
  bool ustar = std::memcmp(block + kMagic, "ustar", 5) == 0;
  bool posix = ustar && block[kVersion - 1] == 0;
  if (posix && block[kPrefix] != 0) entry.name = getText(block + kPrefix, kPrefixSize) + "/" + entry.name;
  entry.type = block[kType] == 0 ? '0' : static_cast<char>(block[kType]);
  entry.mode = static_cast<uint32_t>(getOctal(block + kMode, 8));
  entry.uid = static_cast<uint32_t>(getOctal(block + kUid, 8));
  entry.gid = static_cast<uint32_t>(getOctal(block + kGid, 8));
  entry.size = getOctal(block + kSize, 12);
  entry.mtime = static_cast<int64_t>(getOctal(block + kMtime, 12));
  if (ustar) {
    entry.uname = getText(block + kUname, kOwnerSize);
    entry.gname = getText(block + kGname, kOwnerSize);
  }
  if (entry.type == '5' && (entry.name.empty() || entry.name.back() != '/')) entry.name += '/';
  return TarHeaderKind::Entry;
}

}  // namespace pvrsim::box::shell
