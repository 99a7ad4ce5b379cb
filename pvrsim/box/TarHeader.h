// TarHeader.h - the 512-byte header block of a tar archive (ustar, with the
// old GNU magic and long-name records read too), as the box's busybox tar
// writes and reads it.
#pragma once

#include <cstdint>
#include <string>

namespace pvrsim::box::shell {

constexpr size_t kTarBlock = 512;

struct TarEntry {
  std::string name;  // folders end in '/'
  char type = '0';   // '0' file, '5' folder, 'L' a long name for the next entry ...
  uint32_t mode = 0644;
  uint64_t size = 0;
  int64_t mtime = 0;
  uint32_t uid = 0, gid = 0;
  std::string uname, gname;
};

enum class TarHeaderKind { Entry, End, BadChecksum };

// Fills one header block for a file or folder.  False when the name does not
// fit ustar's 100-byte name and 155-byte prefix.
bool encodeTarHeader(const TarEntry &entry, unsigned char block[kTarBlock]);

// Reads one header block: End for a block of zeros, BadChecksum for a block
// that is no header.
TarHeaderKind decodeTarHeader(const unsigned char block[kTarBlock], TarEntry &entry);

// Bytes of padding after size bytes of data, up to the next block.
inline uint64_t tarPadding(uint64_t size) { return (kTarBlock - size % kTarBlock) % kTarBlock; }

}  // namespace pvrsim::box::shell
