// UfntWriter.cpp - UFNT output and the common file saver.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Writers.h"

namespace fontbuilder {

namespace {

void putU32(std::string &out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putU16(std::string &out, uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

bool saveFile(const std::string &path, const std::string &data, std::string &error) {
  const std::string temporary = path + ".part";
  FILE *file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    error = temporary + ": cannot create (" + std::strerror(errno) + ")";
    return false;
  }
  bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
  int savedErrno = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    savedErrno = errno;
  }
  if (!written) {
    std::remove(temporary.c_str());
    error = temporary + ": write failed (" + std::strerror(savedErrno) + ")";
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = path + ": cannot move the finished file into place (" + std::strerror(errno) + ")";
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool writeUfnt(const std::string &path, const std::vector<Glyph> &glyphs, std::string &error) {
  std::string out;
  out.append("UFNT", 4);
  putU32(out, static_cast<uint32_t>(glyphs.size()));
  uint64_t offset = 8 + 12 * static_cast<uint64_t>(glyphs.size());
  for (const Glyph &glyph : glyphs) {
    if (glyph.width > 0xFFFF || glyph.height > 0xFFFF || offset > 0xFFFFFFFFu) {
      error = path + ": glyph too large for the UFNT format";
      return false;
    }
    putU32(out, glyph.code);
    putU32(out, static_cast<uint32_t>(offset));
    putU16(out, static_cast<uint32_t>(glyph.width));
    putU16(out, static_cast<uint32_t>(glyph.height));
    offset += glyph.coverage.size();
  }
  for (const Glyph &glyph : glyphs)
    out.append(reinterpret_cast<const char *>(glyph.coverage.data()), glyph.coverage.size());
  return saveFile(path, out, error);
}

}  // namespace fontbuilder
