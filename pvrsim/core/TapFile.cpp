// Reads just enough of an ELF file to tell whether it is a loadable TAP.
#include "TapFile.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace pvrsim::core {

namespace {

#if defined(__i386__)
constexpr int kThisMachine = EM_386;
#elif defined(__mips__)
constexpr int kThisMachine = EM_MIPS;
#elif defined(__x86_64__)
constexpr int kThisMachine = EM_X86_64;
#else
#error "unknown host machine"
#endif

std::string machineName(int machine) {
  switch (machine) {
    case EM_386: return "i386";
    case EM_MIPS: return "MIPS";
    case EM_X86_64: return "x86-64";
    case EM_ARM: return "ARM";
    case EM_AARCH64: return "AArch64";
    default: return "machine " + std::to_string(machine);
  }
}

// One read of the whole file: TAP files carry their payloads and reach
// tens of megabytes, so a byte-wise stream would dominate every start.
bool readWholeFile(const std::string &path, std::vector<char> &data) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  data.resize(static_cast<size_t>(size));
  in.seekg(0);
  return static_cast<bool>(in.read(data.data(), size)) || size == 0;
}

bool inFile(const std::vector<char> &data, uint64_t offset, uint64_t size) {
  return offset <= data.size() && size <= data.size() - offset;
}

// Loading maps the PT_LOAD segments; a part beyond the end of the file would
// fault on first use instead of failing the load.
bool segmentsInFile(const std::vector<char> &data, const Elf32_Ehdr &header) {
  if (header.e_phnum == 0) return true;
  if (header.e_phentsize != sizeof(Elf32_Phdr) ||
      !inFile(data, header.e_phoff, uint64_t{header.e_phnum} * sizeof(Elf32_Phdr)))
    return false;
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    Elf32_Phdr segment;
    std::memcpy(&segment, data.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    if (segment.p_type == PT_LOAD && !inFile(data, segment.p_offset, segment.p_filesz)) return false;
  }
  return true;
}

bool checkHeader(const std::vector<char> &data, Elf32_Ehdr &header, std::string &reason) {
  if (data.size() < SELFMAG || std::memcmp(data.data(), ELFMAG, SELFMAG) != 0) {
    reason = "not an ELF file";
    return false;
  }
  if (data.size() < EI_NIDENT || data[EI_CLASS] != ELFCLASS32) {
    reason = data.size() < EI_NIDENT ? "truncated ELF file (incomplete file header)" : "not a 32-bit ELF file";
    return false;
  }
  if (data.size() < sizeof header) {
    reason = "truncated ELF file (incomplete file header)";
    return false;
  }
  std::memcpy(&header, data.data(), sizeof header);
  if (data[EI_DATA] != ELFDATA2LSB) reason = "not a little-endian ELF file";
  else if (header.e_type != ET_DYN) reason = "not a shared object";
  else if (header.e_machine != kThisMachine)
    reason = "built for " + machineName(header.e_machine) + ", not for this machine (" + machineName(kThisMachine) + ")";
  else if (header.e_shoff == 0 || header.e_shnum == 0) reason = "no section headers";
  else if (header.e_shentsize != sizeof(Elf32_Shdr)) reason = "unexpected section header size";
  else if (!inFile(data, header.e_shoff, uint64_t{header.e_shnum} * sizeof(Elf32_Shdr)))
    reason = "truncated ELF file (section headers beyond the end)";
  else if (header.e_shstrndx >= header.e_shnum) reason = "no section-name table";
  else if (!segmentsInFile(data, header)) reason = "truncated ELF file (a segment lies beyond the end)";
  return reason.empty();
}

Elf32_Shdr sectionHeader(const std::vector<char> &data, const Elf32_Ehdr &header, unsigned index) {
  Elf32_Shdr section;
  std::memcpy(&section, data.data() + header.e_shoff + index * sizeof section, sizeof section);
  return section;
}

}  // namespace

bool inspectTapFile(const std::string &hostPath, dword &tapId, std::string &reason) {
  reason.clear();
  std::vector<char> data;
  if (!readWholeFile(hostPath, data)) {
    reason = "cannot be read";
    return false;
  }
  Elf32_Ehdr header;
  if (!checkHeader(data, header, reason)) return false;

  Elf32_Shdr names = sectionHeader(data, header, header.e_shstrndx);
  if (names.sh_type != SHT_STRTAB || !inFile(data, names.sh_offset, names.sh_size)) {
    reason = names.sh_type != SHT_STRTAB ? "no section-name table" : "truncated ELF file (section names beyond the end)";
    return false;
  }
  const char *table = data.data() + names.sh_offset;
  static const char kIdSection[] = "._tap_id";
  for (unsigned i = 1; i < header.e_shnum; ++i) {
    Elf32_Shdr section = sectionHeader(data, header, i);
    if (section.sh_name >= names.sh_size) continue;
    size_t room = names.sh_size - section.sh_name;
    if (strnlen(table + section.sh_name, room) != sizeof kIdSection - 1 ||
        std::memcmp(table + section.sh_name, kIdSection, sizeof kIdSection - 1) != 0)
      continue;
    if (section.sh_size != 4) {
      reason = "._tap_id section is not 4 bytes";
      return false;
    }
    if (section.sh_type == SHT_NOBITS || !inFile(data, section.sh_offset, 4)) {
      reason = "truncated ELF file (._tap_id beyond the end)";
      return false;
    }
    std::memcpy(&tapId, data.data() + section.sh_offset, 4);
    return true;
  }
  reason = "no ._tap_id section (not a TAP)";
  return false;
}

}  // namespace pvrsim::core
