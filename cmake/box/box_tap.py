#!/usr/bin/env python3
"""box_tap.py - makes TAP files built for the box loadable, and checks that they are.

  box_tap.py mark-fp-any TAP...
      TAP code is compiled for software floating point and holds no FPU
      instruction; nothing that crosses a TAP's interface (entry points, the
      TAP API, the C library) is affected by the floating-point convention.
      This marks the files so (FP ABI "any" in .MIPS.abiflags and
      .gnu.attributes) instead of "soft float", which a loader for
      hard-float programs (pvrsim's on MIPS) refuses.
  box_tap.py check --lists DIR --tap-header lib/tap.h TAP...
      Fails for a TAP when
      - a needed library is not one of the box's (libc.so.0, libdl.so.0,
        libpthread.so.0), or the file asks for a run-time search path;
      - the file carries symbol versions (.gnu.version, .gnu.version_r or
        their dynamic tags), which the box's loader does not know;
      - an undefined dynamic symbol is none of: the firmware's TAP API (the
        functions declared in lib/tap.h), the firmware-internal names the
        library looks up (DIR/firmware.txt), the functions of the box's
        libraries (DIR/<soname>.txt);
      - executable code holds a floating-point (coprocessor 1) instruction
        (the box's FPU is not known), or the file is not marked FP ABI "any".
Every problem is printed with the file's name; the exit status is 1 when
there was one, 2 on bad usage or an unreadable file.
"""
import argparse
import os
import re
import struct
import sys

BOX_LIBRARIES = ("libc.so.0", "libdl.so.0", "libpthread.so.0")

EM_MIPS = 8
SHT_SYMTAB, SHT_DYNAMIC, SHT_DYNSYM = 2, 6, 11
SHF_EXECINSTR = 0x4
SHN_UNDEF = 0
STB_LOCAL = 0
DT_NEEDED, DT_STRTAB, DT_RPATH, DT_RUNPATH = 1, 5, 15, 29
DT_VERSYM, DT_VERDEF, DT_VERNEED = 0x6FFFFFF0, 0x6FFFFFFC, 0x6FFFFFFE
VERSION_TAGS = {DT_VERSYM: "DT_VERSYM", DT_VERDEF: "DT_VERDEF", DT_VERNEED: "DT_VERNEED"}
VERSION_SECTIONS = (".gnu.version", ".gnu.version_r", ".gnu.version_d")
SHT_MIPS_ABIFLAGS, SHT_GNU_ATTRIBUTES = 0x7000002A, 0x6FFFFFF5
ABIFLAGS_FP_ABI = 7  # offset of fp_abi in Elf_MIPS_ABIFlags_v0
TAG_GNU_MIPS_ABI_FP = 4
FP_ABI_ANY = 0


class ElfError(Exception):
    pass


class Elf32:
    """The parts of a little-endian ELF32 file that the checks need."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if len(d) < 52 or d[:4] != b"\x7fELF":
            raise ElfError("not an ELF file")
        if d[4] != 1 or d[5] != 1:
            raise ElfError("not a little-endian ELF32 file")
        (self.machine,) = struct.unpack_from("<H", d, 18)
        shoff, = struct.unpack_from("<I", d, 32)
        shentsize, shnum, shstrndx = struct.unpack_from("<HHH", d, 46)
        if shoff == 0 or shnum == 0 or shoff + shnum * shentsize > len(d):
            raise ElfError("no readable section headers")
        self.sections = []
        for i in range(shnum):
            fields = struct.unpack_from("<IIIIIIIIII", d, shoff + i * shentsize)
            name, stype, flags, addr, offset, size, link, info, align, entsize = fields
            if stype != 8 and offset + size > len(d):  # 8: SHT_NOBITS
                raise ElfError("section %d lies outside the file" % i)
            self.sections.append(dict(name_off=name, type=stype, flags=flags, addr=addr, offset=offset,
                                      size=size, link=link, entsize=entsize))
        names = self.sections[shstrndx]
        for s in self.sections:
            s["name"] = self.string(names, s["name_off"])

    def string(self, strtab, offset):
        start = strtab["offset"] + offset
        end = self.data.find(b"\0", start, strtab["offset"] + strtab["size"])
        if end < 0:
            raise ElfError("unterminated string")
        return self.data[start:end].decode("latin-1")

    def of_type(self, stype):
        return [s for s in self.sections if s["type"] == stype]

    def dynamic(self):
        """(tag, value) pairs of the dynamic section, and its string table."""
        dyn = self.of_type(SHT_DYNAMIC)
        if not dyn:
            return [], None
        entries = []
        for off in range(dyn[0]["offset"], dyn[0]["offset"] + dyn[0]["size"], 8):
            tag, value = struct.unpack_from("<iI", self.data, off)
            if tag == 0:
                break
            entries.append((tag & 0xFFFFFFFF, value))
        return entries, self.sections[dyn[0]["link"]]

    def symbols(self, stype):
        """(name, value, size, binding, section index) of a symbol table."""
        result = []
        for table in self.of_type(stype):
            strtab = self.sections[table["link"]]
            for off in range(table["offset"] + 16, table["offset"] + table["size"], 16):
                name, value, size, info, _other, shndx = struct.unpack_from("<IIIBBH", self.data, off)
                result.append((self.string(strtab, name), value, size, info >> 4, shndx))
        return result


def fpu_instruction(word):
    """The kind of coprocessor-1 instruction a MIPS32 word is, or None."""
    opcode = word >> 26
    if opcode == 0x11:
        return "COP1"
    if opcode == 0x13:
        return "COP1X"
    if opcode in (0x31, 0x35, 0x39, 0x3D):
        return {0x31: "LWC1", 0x35: "LDC1", 0x39: "SWC1", 0x3D: "SDC1"}[opcode]
    if opcode == 0 and (word & 0x3F) == 0x01:
        return "MOVF/MOVT"
    return None


def function_at(functions, address):
    for start, size, name in functions:
        if start <= address < start + max(size, 4):
            return name
    return "?"


def check_fpu(elf):
    problems = []
    functions = sorted((v, s, n) for n, v, s, _b, x in elf.symbols(SHT_SYMTAB) + elf.symbols(SHT_DYNSYM)
                       if n and x != SHN_UNDEF)
    for s in elf.sections:
        if not s["flags"] & SHF_EXECINSTR or s["type"] == 8:
            continue
        for i in range(0, s["size"] - s["size"] % 4, 4):
            (word,) = struct.unpack_from("<I", elf.data, s["offset"] + i)
            kind = fpu_instruction(word)
            if kind:
                address = s["addr"] + i
                problems.append("FPU instruction %s (0x%08x) at 0x%x in %s" %
                                (kind, word, address, function_at(functions, address)))
    return problems


def uleb128(data, pos):
    """The number at pos and the position after it."""
    value, shift = 0, 0
    while True:
        byte = data[pos]
        pos += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return value, pos


def fp_abi_marks(elf):
    """(offset in the file, value) of every FP ABI mark: the fp_abi byte of
    .MIPS.abiflags and Tag_GNU_MIPS_ABI_FP in the GNU attributes."""
    marks = []
    for s in elf.of_type(SHT_MIPS_ABIFLAGS):
        marks.append((s["offset"] + ABIFLAGS_FP_ABI, elf.data[s["offset"] + ABIFLAGS_FP_ABI]))
    for s in elf.of_type(SHT_GNU_ATTRIBUTES):
        d, end = elf.data, s["offset"] + s["size"]
        pos = s["offset"] + 1  # format version "A"
        while pos + 4 <= end:
            (length,) = struct.unpack_from("<I", d, pos)
            vendor_end = d.index(b"\0", pos + 4)
            section_end = pos + length
            if d[pos + 4:vendor_end] == b"gnu":
                sub = vendor_end + 1
                while sub < section_end:
                    tag = d[sub]
                    (sub_length,) = struct.unpack_from("<I", d, sub + 1)
                    attr = sub + 5
                    while tag == 1 and attr < sub + sub_length:  # file attributes
                        number, attr = uleb128(d, attr)
                        if number == TAG_GNU_MIPS_ABI_FP:
                            marks.append((attr, d[attr]))
                        if number == 4 or number % 2 == 0:
                            _, attr = uleb128(d, attr)
                        else:  # odd tags are strings
                            attr = d.index(b"\0", attr) + 1
                    sub += sub_length
            pos = section_end if length else end
    return marks


def mark_fp_any(path):
    elf = Elf32(path)
    if elf.machine != EM_MIPS:
        raise ElfError("built for machine %d, not for MIPS" % elf.machine)
    marks = fp_abi_marks(elf)
    if not marks:
        raise ElfError("no FP ABI mark")
    data = bytearray(elf.data)
    for offset, value in marks:
        if value >= 0x80:
            raise ElfError("FP ABI value %d is not one byte" % value)
        data[offset] = FP_ABI_ANY
    with open(path + ".mark", "wb") as f:
        f.write(data)
    os.chmod(path + ".mark", os.stat(path).st_mode)
    os.replace(path + ".mark", path)


def check_tap(path, allowed):
    elf = Elf32(path)
    if elf.machine != EM_MIPS:
        return ["built for machine %d, not for MIPS" % elf.machine]
    problems = []
    entries, dynstr = elf.dynamic()
    if dynstr is None:
        return ["no dynamic section (not a shared object)"]
    for tag, value in entries:
        if tag == DT_NEEDED and elf.string(dynstr, value) not in BOX_LIBRARIES:
            problems.append("needs %s, which the box does not have" % elf.string(dynstr, value))
        elif tag in (DT_RPATH, DT_RUNPATH):
            problems.append("asks for the library search path %s" % elf.string(dynstr, value))
        elif tag in VERSION_TAGS:
            problems.append("carries symbol versions (%s)" % VERSION_TAGS[tag])
    for s in elf.sections:
        if s["name"] in VERSION_SECTIONS:
            problems.append("carries symbol versions (section %s)" % s["name"])
    for name, _value, _size, binding, shndx in elf.symbols(SHT_DYNSYM):
        if name and shndx == SHN_UNDEF and binding != STB_LOCAL and name not in allowed:
            problems.append("refers to %s, which neither the firmware nor the box's libraries offer" % name)
    for _offset, value in fp_abi_marks(elf):
        if value != FP_ABI_ANY:
            problems.append("is marked FP ABI %d, not \"any\" (box_tap.py mark-fp-any)" % value)
    problems.extend(check_fpu(elf))
    return problems


def read_names(path):
    names = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                names.add(line)
    return names


def tap_api_names(header):
    """The functions that lib/tap.h declares: the firmware's TAP API."""
    with open(header, encoding="utf-8") as f:
        text = f.read()
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    macros = set(re.findall(r"^\s*#\s*define\s+(\w+)", text, flags=re.M))
    text = re.sub(r"^\s*#.*?(?<!\\)$", " ", text, flags=re.M | re.S)  # macro bodies declare nothing
    return set(re.findall(r"\b(TAP_\w+)\s*\(", text)) - macros


def check(args):
    try:
        allowed = tap_api_names(args.tap_header) | read_names(os.path.join(args.lists, "firmware.txt"))
        for soname in BOX_LIBRARIES:
            allowed |= read_names(os.path.join(args.lists, soname + ".txt"))
    except OSError as error:
        print("box_tap: %s" % error, file=sys.stderr)
        return 2
    failed = False
    for tap in args.taps:
        try:
            problems = check_tap(tap, allowed)
        except (OSError, ElfError, struct.error, IndexError, ValueError) as error:
            print("%s: cannot be read: %s" % (tap, error))
            return 2
        for problem in problems:
            print("%s: %s" % (tap, problem))
        failed = failed or bool(problems)
        print("%s: %s" % (tap, "FAILED" if problems else "ok"))
    print("%d TAP file(s) checked" % len(args.taps))
    return 1 if failed else 0


def mark(args):
    for tap in args.taps:
        try:
            mark_fp_any(tap)
        except (OSError, ElfError, struct.error, IndexError, ValueError) as error:
            print("%s: cannot be marked: %s" % (tap, error), file=sys.stderr)
            return 2
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0].split(" - ")[1])
    commands = parser.add_subparsers(dest="command", required=True)
    marker = commands.add_parser("mark-fp-any", help="mark TAP files FP ABI \"any\"")
    marker.add_argument("taps", nargs="+", help="TAP files to mark")
    checker = commands.add_parser("check", help="check TAP files for the box")
    checker.add_argument("--lists", required=True, help="folder with firmware.txt and <soname>.txt")
    checker.add_argument("--tap-header", required=True, help="lib/tap.h, whose TAP_ functions the firmware offers")
    checker.add_argument("taps", nargs="+", help="TAP files to check")
    args = parser.parse_args()
    return mark(args) if args.command == "mark-fp-any" else check(args)


if __name__ == "__main__":
    sys.exit(main())
