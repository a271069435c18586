#!/usr/bin/env python3
"""Checks the shipped Setup.exe as a file: a 32-bit i386 GUI program below 64 KB that imports
only DLLs of the system and carries the icon group MAINICON with one 32 x 32 image of 256
colours.

    check_pe.py <Setup.exe>      exit 0: all good; 1: a check failed; 77: no such file (skip)
"""
import os
import struct
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "shlwapi.dll",
               "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON = 3, 14
SIZE_LIMIT = 64 * 1024


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, self.section_count = struct.unpack_from("<HH", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(self.section_count):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr))

    def offset(self, rva):
        for vaddr, size, raddr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("address %#x lies in no section" % rva)

    def text_at(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imported_dlls(self):
        rva, size = self.directories[1]
        names = []
        entry = self.offset(rva) if size else None
        while entry is not None:
            fields = struct.unpack_from("<IIIII", self.data, entry)
            if fields == (0, 0, 0, 0, 0):
                break
            names.append(self.text_at(fields[3]))
            entry += 20
        return names

    def resources(self):
        """{(type, name): [data bytes of each language]} with names as ints or strings."""
        rva, size = self.directories[2]
        if not size:
            return {}
        base = self.offset(rva)

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, base + table + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                if ident & 0x80000000:
                    at = base + (ident & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    ident = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield ident, target

        found = {}
        for kind, kind_target in entries(0):
            for name, name_target in entries(kind_target & 0x7FFFFFFF):
                for _, leaf in entries(name_target & 0x7FFFFFFF):
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.setdefault((kind, name), []).append(self.data[start:start + data_size])
        return found


def check(path):
    problems = []
    data = open(path, "rb").read()
    image = Image(data)
    if len(data) >= SIZE_LIMIT:
        problems.append("%d bytes: not below 64 KB" % len(data))
    if image.machine != 0x14C or image.magic != 0x10B:
        problems.append("not a PE32 for i386 (machine %#x, magic %#x)" % (image.machine, image.magic))
    if image.subsystem != 2:
        problems.append("subsystem %d, not the GUI subsystem (2)" % image.subsystem)
    dlls = image.imported_dlls()
    foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports DLLs that are not part of the system: " + ", ".join(foreign))
    resources = image.resources()
    groups = resources.get((RT_GROUP_ICON, "MAINICON"))
    if not groups:
        problems.append("no icon group MAINICON")
    else:
        reserved, kind, count = struct.unpack_from("<HHH", groups[0], 0)
        if kind != 1 or count != 1:
            problems.append("MAINICON holds %d images, not one" % count)
        else:
            width, height, colours, _, planes, bits, size, ident = struct.unpack_from(
                "<BBBBHHIH", groups[0], 6)
            # 256 colours and more are written as a colour count of 0
            if (width, height, bits) != (32, 32, 8) or colours != 0:
                problems.append("MAINICON image is %dx%d with %d bits, not 32 x 32 with 256 colours"
                                % (width, height, bits))
            icon = resources.get((RT_ICON, ident))
            if not icon:
                problems.append("the image of MAINICON is missing")
            else:
                header_size, w, h, _, bit_count = struct.unpack_from("<IiiHH", icon[0], 0)
                if (w, h, bit_count) != (32, 64, 8):
                    problems.append("the icon bitmap is %dx%d with %d bits" % (w, h, bit_count))
    print("%s: %d bytes, imports %s" % (os.path.basename(path), len(data), ", ".join(dlls)))
    return problems


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    path = sys.argv[1]
    if not os.path.isfile(path):
        print("no %s: build the Windows build first; skipped" % path)
        return 77
    problems = check(path)
    for problem in problems:
        print("FAIL " + problem)
    if not problems:
        print("PASS PE32 i386, GUI, system DLLs only, icon group MAINICON 32 x 32, 256 colours")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
