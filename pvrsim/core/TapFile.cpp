// TapFile.cpp - reads just enough of an ELF file to tell whether it is a loadable TAP.
#include "TapFile.h"

#include <elf.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
    case EM_386:
      return "i386";
    case EM_MIPS:
      return "MIPS";
    case EM_X86_64:
      return "x86-64";
    case EM_ARM:
      return "ARM";
    case EM_AARCH64:
      return "AArch64";
    default:
      return "machine " + std::to_string(machine);
  }
}

// The file is read piecewise: TAP files carry their payloads and reach tens
// of megabytes, of which only the headers and one section are needed.
class ElfFile {
 public:
  explicit ElfFile(const std::string &path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st;
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0) size_ = static_cast<uint64_t>(st.st_size);
  }
  ~ElfFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ElfFile(const ElfFile &) = delete;
  ElfFile &operator=(const ElfFile &) = delete;

  bool ok() const { return fd_ >= 0; }
  uint64_t size() const { return size_; }
  bool contains(uint64_t offset, uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  // Reads length bytes at offset; false when they are not all in the file.
  bool read(uint64_t offset, void *dest, size_t length) const {
    if (!contains(offset, length)) return false;
    char *out = static_cast<char *>(dest);
    while (length > 0) {
      ssize_t n = ::pread(fd_, out, length, static_cast<off_t>(offset));
      if (n <= 0) return false;
      out += n;
      offset += static_cast<uint64_t>(n);
      length -= static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_ = 0;
};

// Loading maps the PT_LOAD segments; a part beyond the end of the file would
// fault on first use instead of failing the load.
bool segmentsInFile(const ElfFile &file, const Elf32_Ehdr &header) {
  if (header.e_phnum == 0) return true;
  if (header.e_phentsize != sizeof(Elf32_Phdr)) return false;
  std::vector<Elf32_Phdr> segments(header.e_phnum);
  if (!file.read(header.e_phoff, segments.data(), segments.size() * sizeof(Elf32_Phdr))) return false;
  for (const Elf32_Phdr &segment : segments)
    if (segment.p_type == PT_LOAD && !file.contains(segment.p_offset, segment.p_filesz)) return false;
  return true;
}

bool checkHeader(const ElfFile &file, Elf32_Ehdr &header, std::string &reason) {
  unsigned char ident[EI_NIDENT] = {};
  bool complete = file.read(0, ident, sizeof ident);
  if (file.size() < SELFMAG || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
    reason = "not an ELF file";
    return false;
  }
  if (!complete || ident[EI_CLASS] != ELFCLASS32) {
    reason = !complete ? "truncated ELF file (incomplete file header)" : "not a 32-bit ELF file";
    return false;
  }
  if (!file.read(0, &header, sizeof header)) {
    reason = "truncated ELF file (incomplete file header)";
    return false;
  }
  if (ident[EI_DATA] != ELFDATA2LSB)
    reason = "not a little-endian ELF file";
  else if (header.e_type != ET_DYN)
    reason = "not a shared object";
  else if (header.e_machine != kThisMachine)
    reason = "built for " + machineName(header.e_machine) + ", not for this machine (" +
             machineName(kThisMachine) + ")";
  else if (header.e_shoff == 0 || header.e_shnum == 0)
    reason = "no section headers";
  else if (header.e_shentsize != sizeof(Elf32_Shdr))
    reason = "unexpected section header size";
  else if (!file.contains(header.e_shoff, uint64_t{header.e_shnum} * sizeof(Elf32_Shdr)))
    reason = "truncated ELF file (section headers beyond the end)";
  else if (header.e_shstrndx >= header.e_shnum)
    reason = "no section-name table";
  else if (!segmentsInFile(file, header))
    reason = "truncated ELF file (a segment lies beyond the end)";
  return reason.empty();
}

}  // namespace

bool inspectTapFile(const std::string &hostPath, dword &tapId, std::string &reason) {
  reason.clear();
  ElfFile file(hostPath);
  if (!file.ok()) {
    reason = "cannot be read";
    return false;
  }
  Elf32_Ehdr header;
  if (!checkHeader(file, header, reason)) return false;

  std::vector<Elf32_Shdr> sections(header.e_shnum);
  if (!file.read(header.e_shoff, sections.data(), sections.size() * sizeof(Elf32_Shdr))) {
    reason = "truncated ELF file (section headers beyond the end)";
    return false;
  }
  // The table's size comes from the file: it is checked against the file
  // before anything is allocated for it.
  const Elf32_Shdr &names = sections[header.e_shstrndx];
  if (names.sh_type != SHT_STRTAB) {
    reason = "no section-name table";
    return false;
  }
  if (!file.contains(names.sh_offset, names.sh_size)) {
    reason = "truncated ELF file (section names beyond the end)";
    return false;
  }
  std::vector<char> table(names.sh_size);
  if (!file.read(names.sh_offset, table.data(), table.size())) {
    reason = "cannot be read";
    return false;
  }
  static const char kIdSection[] = "._tap_id";
  for (unsigned i = 1; i < header.e_shnum; ++i) {
    const Elf32_Shdr &section = sections[i];
    if (section.sh_name >= names.sh_size) continue;
    size_t room = names.sh_size - section.sh_name;
    if (strnlen(table.data() + section.sh_name, room) != sizeof kIdSection - 1 ||
        std::memcmp(table.data() + section.sh_name, kIdSection, sizeof kIdSection - 1) != 0)
      continue;
    if (section.sh_size != 4) {
      reason = "._tap_id section is not 4 bytes";
      return false;
    }
    if (section.sh_type == SHT_NOBITS || !file.read(section.sh_offset, &tapId, 4)) {
      reason = "truncated ELF file (._tap_id beyond the end)";
      return false;
    }
    return true;
  }
  reason = "no ._tap_id section (not a TAP)";
  return false;
}

}  // namespace pvrsim::core
