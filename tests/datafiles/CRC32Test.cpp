// CRC32Test.cpp - CRC-32/MPEG-2 against a bitwise reference: the published
// check value, the byte table, random data over random lengths, alignments
// and splits, whole files through CRC32File, and the MAC checksum.
#include <algorithm>
#include <random>

#include "DataFilesSim.h"

namespace datafiles {
namespace {

// One bit at a time, straight from the polynomial: shares nothing with the
// table-driven code.
uint32_t BitwiseCRC(uint32_t crc, const uint8_t *p, size_t n) {
  for (size_t i = 0; i < n; i++) {
    crc ^= static_cast<uint32_t>(p[i]) << 24;
    for (int bit = 0; bit < 8; bit++) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

uint32_t BitwiseCRC(uint32_t crc, const std::string &s) {
  return BitwiseCRC(crc, reinterpret_cast<const uint8_t *>(s.data()), s.size());
}

TEST(CRC32Test, KnownValuesAndNeutralResults) {
  struct Case {
    uint32_t start;
    const char *data;  // null: a null pointer
    dword length;
    uint32_t expected;
  } cases[] = {
      {0xFFFFFFFFu, "123456789", 9, 0x0376E6E7u},  // the published check value
      {0xFFFFFFFFu, "", 0, 0xFFFFFFFFu},
      {0x12345678u, nullptr, 100, 0x12345678u},
      {0u, nullptr, 0, 0u},
      {0u, "123456789", 9, BitwiseCRC(0u, "123456789")},
      {0u, "\0\0\0\0", 4, 0u},  // zeros keep a zero CRC: no final XOR, no reflection
      {0xFFFFFFFFu, "The quick brown fox jumps over the lazy dog", 43,
       BitwiseCRC(0xFFFFFFFFu, "The quick brown fox jumps over the lazy dog")},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.expected, CRC32(c.start, c.data, c.length))
        << std::hex << "start " << c.start << " data '" << (c.data ? c.data : "(null)") << "'";
}

TEST(CRC32Test, ByteTableHoldsTheCRCOfEachByte) {
  make_crc_table();
  ASSERT_TRUE(CRCTableOK);
  EXPECT_EQ(0x04C11DB7u, CRC32Table[1]);
  for (uint32_t i = 0; i < 256; i++) {
    uint8_t b = static_cast<uint8_t>(i);
    ASSERT_EQ(BitwiseCRC(0, &b, 1), CRC32Table[i]) << "entry " << i;
  }
}

// Every length from 0 to 300 at every alignment of 16, then random lengths,
// offsets, start values and splits up to 64 KiB: the same result as the
// bitwise reference in one piece.
TEST(CRC32Test, AnySplitOfRandomDataGivesTheReferenceValue) {
  std::mt19937 random(20160105);
  std::vector<uint8_t> buffer(70000);
  for (auto &b : buffer) b = static_cast<uint8_t>(random());

  for (size_t offset = 0; offset < 16; offset++)
    for (size_t length = 0; length <= 300; length++)
      ASSERT_EQ(BitwiseCRC(0xFFFFFFFFu, &buffer[offset], length), CRC32(0xFFFFFFFFu, &buffer[offset], length))
          << "offset " << offset << " length " << length;

  for (int round = 0; round < 300; round++) {
    size_t offset = random() % 64;
    size_t length = random() % (round < 250 ? 2048 : 65536);
    uint32_t start = random();
    std::vector<size_t> cuts = {0, length};
    for (int i = random() % 5; i > 0; i--) cuts.push_back(random() % (length + 1));
    std::sort(cuts.begin(), cuts.end());
    uint32_t crc = start;
    std::string splits;
    for (size_t i = 0; i + 1 < cuts.size(); i++) {
      crc = CRC32(crc, &buffer[offset + cuts[i]], static_cast<dword>(cuts[i + 1] - cuts[i]));
      splits += std::to_string(cuts[i + 1] - cuts[i]) + " ";
    }
    ASSERT_EQ(BitwiseCRC(start, &buffer[offset], length), crc)
        << "round " << round << ": offset " << offset << " length " << length << " start " << std::hex
        << start << std::dec << " pieces " << splits;
  }
}

class CRC32FileTest : public DataFilesSim {};

TEST_F(CRC32FileTest, WholeFileInBlocksOfAnySizeOrZeroWhenUnreadable) {
  std::mt19937 random(7);
  std::string content(250000, '\0');
  for (auto &c : content) c = static_cast<char>(random());
  writeFile("/ProgramFiles/Big.bin", content);
  writeFile("/ProgramFiles/Empty.bin", "");
  makeFolder("/ProgramFiles/Folder.bin");
  std::vector<byte> small(7), exact(content.size());

  struct Case {
    const char *name;
    byte *buffer;
    dword bufferSize;
    uint32_t expected;
  } cases[] = {
      {"Big.bin", nullptr, 0, BitwiseCRC(0xFFFFFFFFu, content)},  // its own 100 KiB buffer
      {"Big.bin", small.data(), 7, BitwiseCRC(0xFFFFFFFFu, content)},
      {"Big.bin", exact.data(), static_cast<dword>(exact.size()), BitwiseCRC(0xFFFFFFFFu, content)},
      {"Empty.bin", nullptr, 0, 0xFFFFFFFFu},
      {"Missing.bin", nullptr, 0, 0u},
      {"Folder.bin", nullptr, 0, 0u},
      {nullptr, nullptr, 0, 0u},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.expected, CRC32File(c.name, c.buffer, c.bufferSize))
        << (c.name ? c.name : "(null)") << " with a buffer of " << c.bufferSize;
  EXPECT_EQ("/ProgramFiles", currentDir());
}

TEST_F(CRC32FileTest, MacChecksumStartsFromZeroAndIsKept) {
  uint32_t expected = BitwiseCRC(0, options.macAddress, 6);
  ASSERT_NE(0u, expected);
  EXPECT_EQ(expected, GetMacCRC());
  EXPECT_EQ(expected, GetMacCRC());
}

}  // namespace
}  // namespace datafiles
