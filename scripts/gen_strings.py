#!/usr/bin/env python3
"""Generates the program's string table from resources/strings.txt.

--cpp FILE writes the C++ table that the POSIX host serves;
--rc FILE writes the STRINGTABLE block that windres compiles into the
Windows executable. Both come from the one data file.
"""
import argparse
import sys


def read_strings(path):
    strings = {}
    with open(path, encoding="ascii", newline="") as source:
        for number, line in enumerate(source.read().split("\n"), 1):
            if not line or line.startswith("#"):
                continue
            ident, sep, text = line.partition("\t")
            if not sep or not ident.isdigit() or not 0 <= int(ident) <= 0xFFFF:
                sys.exit(f"{path}:{number}: expected 'ID<tab>text'")
            if int(ident) in strings:
                sys.exit(f"{path}:{number}: string {ident} given twice")
            strings[int(ident)] = text
    return strings


def c_literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("?", "\\?") + '"'


def rc_literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '""') + '"'


def write_cpp(strings, path):
    rows = "\n".join(f"    {{{ident}, {c_literal(text)}}}," for ident, text in sorted(strings.items()))
    with open(path, "w", encoding="ascii") as out:
        out.write(
            "// Generated from resources/strings.txt; do not edit.\n"
            '#include "host/posix/BuiltInStrings.h"\n\n'
            "const BuiltInString kBuiltInStrings[] = {\n"
            f"{rows}\n"
            "};\n\n"
            f"const std::size_t kBuiltInStringCount = {len(strings)};\n"
        )


def write_rc(strings, path):
    rows = "\n".join(f"    {ident}, {rc_literal(text)}" for ident, text in sorted(strings.items()))
    with open(path, "w", encoding="ascii") as out:
        out.write(
            "// Generated from resources/strings.txt; do not edit.\n"
            "LANGUAGE 0x04, 0x01\n"
            "STRINGTABLE\n"
            "BEGIN\n"
            f"{rows}\n"
            "END\n"
        )


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("source")
    parser.add_argument("--cpp")
    parser.add_argument("--rc")
    args = parser.parse_args()
    strings = read_strings(args.source)
    if args.cpp:
        write_cpp(strings, args.cpp)
    if args.rc:
        write_rc(strings, args.rc)


if __name__ == "__main__":
    main()
