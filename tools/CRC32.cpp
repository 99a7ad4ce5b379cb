// CRC32.cpp - CRC-32/MPEG-2: polynomial 0x04C11DB7, most significant bit
// first, no reflection, no final XOR; the caller chooses the start value.
//
// Computed by slicing-by-16: sixteen 256-entry tables, entry i of table k
// being the CRC of the byte i followed by k zero bytes, fold sixteen input
// bytes into the running value per step.  Table 0 is the classic byte table
// (CRC32Table) that finishes the last bytes.  Words are assembled from
// single bytes, most significant first, so the code needs no alignment and
// runs on the box's MIPS32 as it is (the compiler turns the assembly into a
// load and a byte swap where the CPU allows unaligned loads).
#include "ToolsInternal.h"

dword CRC32Table[256];
bool CRCTableOK = false;

static const int SliceCount = 16;
static dword SliceTables[SliceCount - 1][256];  // tables 1 to 15

static inline dword Table(int k, dword index) {
  return k == 0 ? CRC32Table[index] : SliceTables[k - 1][index];
}

static inline dword BigEndian32(const byte *p) {
  return (dword)p[0] << 24 | (dword)p[1] << 16 | (dword)p[2] << 8 | (dword)p[3];
}

static inline dword ByteStep(dword crc, byte b) { return CRC32Table[(crc >> 24) ^ b] ^ (crc << 8); }

// The four bytes of w, most significant first, through tables k+3 .. k.
static inline dword FoldWord(dword w, int k) {
  return Table(k + 3, w >> 24) ^ Table(k + 2, (w >> 16) & 0xFF) ^ Table(k + 1, (w >> 8) & 0xFF) ^
         Table(k, w & 0xFF);
}

static dword Slice16(dword crc, const byte *p, dword blocks) {
  for (dword i = 0; i < blocks; i++, p += 16) {
    crc = FoldWord(crc ^ BigEndian32(p), 12) ^ FoldWord(BigEndian32(p + 4), 8) ^
          FoldWord(BigEndian32(p + 8), 4) ^ FoldWord(BigEndian32(p + 12), 0);
  }
  return crc;
}

// The polynomial is assembled from its exponents.
void make_crc_table(void) {
  CallTraceEnter("make_crc_table");
  static const byte Exponents[] = {0, 1, 2, 4, 5, 7, 8, 10, 11, 12, 16, 22, 23, 26};
  dword polynomial = 0;
  for (byte e : Exponents) polynomial |= 1u << e;

  for (dword i = 0; i < 256; i++) {
    dword c = i << 24;
    for (int bit = 0; bit < 8; bit++) c = (c & 0x80000000u) ? (c << 1) ^ polynomial : c << 1;
    CRC32Table[i] = c;
  }
  for (int k = 1; k < SliceCount; k++) {
    for (dword i = 0; i < 256; i++) {
      dword previous = Table(k - 1, i);
      SliceTables[k - 1][i] = (previous << 8) ^ CRC32Table[previous >> 24];
    }
  }
  CRCTableOK = true;
  CallTraceExit(nullptr);
}

dword CRC32(dword crc, const void *data, dword length) {
  CallTraceEnter("CRC32");
  if (data != nullptr) {
    if (!CRCTableOK) make_crc_table();
    const byte *p = (const byte *)data;
    crc = Slice16(crc, p, length / 16);
    for (dword i = length & ~15u; i < length; i++) crc = ByteStep(crc, p[i]);
  }
  CallTraceExit(nullptr);
  return crc;
}

// A whole file opened and not read yet, in blocks of bufferSize through
// buffer, continuing crc; 0 when a block cannot be read, never the CRC of a
// part.
dword CRC32OpenFile(TYPE_File *file, dword crc, byte *buffer, dword bufferSize) {
  for (dword left = TAP_Hdd_Flen(file); left > 0;) {
    dword block = left < bufferSize ? left : bufferSize;
    if (TAP_Hdd_Fread(buffer, block, 1, file) != 1) return 0;
    crc = CRC32(crc, buffer, block);
    left -= block;
  }
  return crc;
}

// One buffer serves every block; a file that cannot be read whole gives 0,
// never the CRC of a part.
dword CRC32File(const char *fileName, byte *buffer, dword bufferSize) {
  CallTraceEnter("CRC32File");
  const dword DefaultBufferSize = 102400;
  byte *ownBuffer = nullptr;
  if (buffer == nullptr || bufferSize == 0) {
    ownBuffer = (byte *)TAP_MemAlloc(DefaultBufferSize);
    buffer = ownBuffer;
    bufferSize = DefaultBufferSize;
  }
  dword crc = 0;
  TYPE_File *f = buffer != nullptr && fileName != nullptr ? TAP_Hdd_Fopen(fileName) : nullptr;
  if (f != nullptr) {
    crc = CRC32OpenFile(f, CRC32_INITIAL, buffer, bufferSize);
    TAP_Hdd_Fclose(f);
  }
  TAP_MemFree(ownBuffer);
  CallTraceExit(nullptr);
  return crc;
}
