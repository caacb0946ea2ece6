#!/usr/bin/env python3
"""Checks that an executable can load and run on Windows 95.

Usage: check_pe.py EXE ALLOW_LIST [--win32s LIST] [--max-size BYTES] [--objdump PROGRAM]

The file must be a PE image for the i386 with the Windows GUI subsystem,
version 4.0, that keeps its relocation table (Win32s needs it); it may import only from KERNEL32, USER32, GDI32 and ADVAPI32,
only by name, and only functions on the allow-list (what Windows 95 retail
exports); functions the list marks NT-only must be looked up at run time.
With --win32s every import must also be on that list (what Win32s 1.30
exports): Win32s must load the program to show its unsupported-host warning.
It also checks the resources that the program loads: the banner bitmap, the
icons, the cursor and the string table, in Chinese (Taiwan). With --objdump
it disassembles the code and checks that it runs on a Pentium: no conditional
moves or other instructions of later processors.
Prints every check; exits non-zero when any fails.
"""
import argparse
import re
import struct
import subprocess
import sys

MACHINE_I386 = 0x14C
SUBSYSTEM_WINDOWS_GUI = 2
LANGUAGE_CHINESE_TAIWAN = 0x0404
RT_CURSOR, RT_BITMAP, RT_ICON, RT_STRING, RT_GROUP_CURSOR, RT_GROUP_ICON = 1, 2, 3, 6, 12, 14

faults = []


def check(condition, what):
    print(("ok    " if condition else "FAULT ") + what)
    if not condition:
        faults.append(what)
    return condition


def read_allow_list(path):
    allowed, nt_only = {}, {}
    current = None
    with open(path, encoding="ascii") as source:
        for line in source:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("["):
                words = line.strip("[]").split()
                target = nt_only if words[0] == "nt-only" else allowed
                current = target.setdefault(words[-1].upper(), set())
                continue
            current.add(line)
    return allowed, nt_only


class Image:
    def __init__(self, data):
        self.data = data
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        (self.machine, self.section_count, _, _, _, self.optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, self.pe + 4)
        self.optional = self.pe + 24
        self.magic = struct.unpack_from("<H", data, self.optional)[0]
        self.sections = []
        table = self.optional + self.optional_size
        for n in range(self.section_count):
            name, virtual_size, address, raw_size, raw_pointer = struct.unpack_from(
                "<8sIIII", data, table + 40 * n)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), virtual_size,
                                  address, raw_size, raw_pointer))

    def field(self, offset, form):
        return struct.unpack_from(form, self.data, self.optional + offset)[0]

    def directory(self, index):
        base = 96 if self.magic == 0x10B else 112
        count = self.field(base - 4, "<I")
        if index >= count:
            return 0, 0
        return struct.unpack_from("<II", self.data, self.optional + base + 8 * index)

    def offset(self, rva):
        for _, virtual_size, address, raw_size, raw_pointer in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_pointer + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def u16(self, rva):
        return struct.unpack_from("<H", self.data, self.offset(rva))[0]

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")


def check_headers(image):
    check(image.data[:2] == b"MZ", "MZ header")
    check(image.data[image.pe:image.pe + 4] == b"PE\0\0", "PE signature")
    check(image.machine == MACHINE_I386, f"machine i386 (0x14c), is {image.machine:#x}")
    check(image.magic == 0x10B, f"32-bit optional header (0x10b), is {image.magic:#x}")
    check(image.characteristics & 0x0002, "marked executable")
    if image.magic != 0x10B:
        return False
    subsystem = image.field(68, "<H")
    subsystem_version = (image.field(48, "<H"), image.field(50, "<H"))
    os_version = (image.field(40, "<H"), image.field(42, "<H"))
    check(subsystem == SUBSYSTEM_WINDOWS_GUI, f"subsystem Windows GUI (2), is {subsystem}")
    check(subsystem_version == (4, 0), f"subsystem version 4.0, is {subsystem_version}")
    check(os_version == (4, 0), f"operating system version 4.0, is {os_version}")
    check(image.field(52, "<I") == 0, "Win32VersionValue 0")
    check(image.field(32, "<I") >= 0x1000, "section alignment at least 4096")
    check(image.field(36, "<I") >= 0x200, "file alignment at least 512")
    entry = image.field(16, "<I")
    code = [s for s in image.sections if s[2] <= entry < s[2] + s[1]]
    check(code and code[0][0] == ".text", f"entry point {entry:#x} lies in .text")
    check(image.directory(9)[1] == 0, "no thread-local storage")
    # Win32s loads only programs that carry relocations, since all of its
    # programs share one address space; Windows 95 and NT ignore them.
    check(not image.characteristics & 0x0001, "relocations not stripped (flag 0x0001 clear)")
    check(any(s[0] == ".reloc" for s in image.sections), "has a .reloc section")
    check(image.directory(5)[1] > 0, "base relocation table not empty")
    return True


def imports_of(image):
    """(DLL name, [function names], [ordinals]) per import descriptor."""
    address, size = image.directory(1)
    result = []
    if not size:
        return result
    for n in range(size // 20):
        lookup, _, _, name, thunks = struct.unpack_from("<IIIII", image.data,
                                                        image.offset(address) + 20 * n)
        if name == 0:
            break
        names, ordinals = [], []
        entry = lookup or thunks
        while image.u32(entry):
            value = image.u32(entry)
            if value & 0x80000000:
                ordinals.append(value & 0xFFFF)
            else:
                names.append(image.text(value + 2))
            entry += 4
        result.append((image.text(name), names, ordinals))
    return result


def check_imports(image, allowed, nt_only, win32s):
    imports = imports_of(image)
    check(imports, "has an import table")
    for dll, names, ordinals in imports:
        known = dll.upper() in allowed
        check(known, f"{dll}: one of {', '.join(sorted(allowed))}")
        check(not ordinals, f"{dll}: imports by name only")
        permitted = allowed.get(dll.upper(), set())
        forbidden = nt_only.get(dll.upper(), set())
        for name in names:
            if name in forbidden:
                check(False, f"{dll}!{name} is NT-only and must be looked up at run time")
            else:
                check(name in permitted, f"{dll}!{name} exported by Windows 95")
    imported = {name for _, names, _ in imports for name in names}
    if win32s is not None:
        for dll, names, _ in imports:
            for name in names:
                check(name in win32s.get(dll.upper(), set()),
                      f"{dll}!{name} exported by Win32s (or looked up at run time)")
    for dll, names in sorted(nt_only.items()):
        for name in sorted(names):
            if name.encode("ascii") + b"\0" in image.data:
                check("GetProcAddress" in imported,
                      f"{dll}!{name} looked up at run time through GetProcAddress")


def resources_of(image):
    """{(type, id): [(language, data)]} from the resource directory."""
    address, size = image.directory(2)
    result = {}
    if not size:
        return result

    def entries(table):
        count = image.u16(address + table + 12) + image.u16(address + table + 14)
        for n in range(count):
            key = image.u32(address + table + 16 + 8 * n)
            target = image.u32(address + table + 20 + 8 * n)
            yield key, target

    for kind, kind_table in entries(0):
        for ident, ident_table in entries(kind_table & 0x7FFFFFFF):
            for language, leaf in entries(ident_table & 0x7FFFFFFF):
                data_rva, data_size = image.u32(address + leaf), image.u32(address + leaf + 4)
                start = image.offset(data_rva)
                result.setdefault((kind, ident), []).append(
                    (language, image.data[start:start + data_size]))
    return result


def group_members(group):
    count = struct.unpack_from("<H", group, 4)[0]
    return [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * n) for n in range(count)]


def check_resources(image):
    resources = resources_of(image)
    for (kind, ident), variants in sorted(resources.items()):
        languages = {language for language, _ in variants}
        check(languages == {LANGUAGE_CHINESE_TAIWAN},
              f"resource type {kind} id {ident}: language 0x0404 only, is "
              + ", ".join(f"{language:#06x}" for language in sorted(languages)))
    bitmap = resources.get((RT_BITMAP, 10))
    if check(bitmap, "bitmap 10 present"):
        data = bitmap[0][1]
        width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 4)
        check(len(data) == 13216, f"bitmap 10: 13216 bytes, is {len(data)}")
        check((width, height, bits, compression) == (196, 62, 8, 0),
              "bitmap 10: 196 x 62, bottom-up, 8 bits per pixel, uncompressed")
    for ident, sizes in ((10, [32, 16]), (12, [32, 16]), (13, [32])):
        group = resources.get((RT_GROUP_ICON, ident))
        if not check(group, f"icon group {ident} present"):
            continue
        members = group_members(group[0][1])
        check([m[0] for m in members] == sizes,
              f"icon group {ident}: images {' and '.join(f'{s} x {s}' for s in sizes)}")
        for member in members:
            icon = resources.get((RT_ICON, member[7]))
            check(icon and member[5] == 4 and struct.unpack_from("<H", icon[0][1], 14)[0] == 4,
                  f"icon group {ident}: {member[0]} x {member[0]} image of 16 colours")
    cursor_group = resources.get((RT_GROUP_CURSOR, 11))
    if check(cursor_group, "cursor group 11 present"):
        members = group_members(cursor_group[0][1])
        cursor = resources.get((RT_CURSOR, members[0][7])) if len(members) == 1 else None
        if check(cursor, "cursor group 11: one image"):
            hot_x, hot_y = struct.unpack_from("<HH", cursor[0][1], 0)
            width, height, _, bits = struct.unpack_from("<iiHH", cursor[0][1], 8)
            check((hot_x, hot_y) == (16, 0), f"cursor 11: hot spot (16, 0), is ({hot_x}, {hot_y})")
            check((width, height, bits) == (32, 64, 1), "cursor 11: 32 x 32, monochrome")
    caption_block = resources.get((RT_STRING, 20000 // 16 + 1))
    check(caption_block, "string table holds string 20000")


# Instructions that the Pentium and Pentium MMX lack: conditional moves and
# compares of the Pentium Pro, and anything touching SSE registers.
LATER_INSTRUCTIONS = re.compile(r"\t(cmov\w+|fcmov\w+|f[u]?comip?|sysenter|sysexit)\b|%xmm")


def check_instructions(exe, objdump):
    listing = subprocess.run([objdump, "-d", exe], check=True, capture_output=True,
                             text=True).stdout
    found = [line.strip() for line in listing.splitlines() if LATER_INSTRUCTIONS.search(line)]
    check(not found, "code runs on a Pentium: no instructions of later processors"
          + "".join(f"\n      {line}" for line in found[:10]))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("allow_list")
    parser.add_argument("--win32s", help="the functions Win32s exports, in the allow-list's form")
    parser.add_argument("--max-size", type=int)
    parser.add_argument("--objdump")
    args = parser.parse_args()
    with open(args.exe, "rb") as source:
        image = Image(source.read())
    print(f"{args.exe}: {len(image.data)} bytes")
    if args.max_size:
        check(len(image.data) <= args.max_size, f"at most {args.max_size} bytes")
    if check_headers(image):
        allowed, nt_only = read_allow_list(args.allow_list)
        win32s = read_allow_list(args.win32s)[0] if args.win32s else None
        check_imports(image, allowed, nt_only, win32s)
        check_resources(image)
    if args.objdump:
        check_instructions(args.exe, args.objdump)
    print(f"{len(faults)} fault(s)")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
