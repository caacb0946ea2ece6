#!/usr/bin/env python3
"""Checks the release that scripts/release wrote, reading the floppy back
with mtools as a user's machine would read drive A:.

Usage: check_release.py [RELEASE_DIR] [TESTED_EXE] [README_SOURCE]

Prints one line per check and ends with "N passed, M failed"; exits non-zero
when a check fails."""
import hashlib
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
FLOPPY_BYTES = 1474560
results = []


def check(condition, what):
    print(("ok    " if condition else "FAULT ") + what)
    results.append(bool(condition))
    return condition


def mtools(*args):
    return subprocess.run(list(args), capture_output=True, check=False)


def floppy_names(image):
    """The names in the floppy's root folder, as 8.3 names."""
    listing = mtools("mdir", "-b", "-i", str(image), "::")
    return sorted(line.decode("ascii").split("/")[-1] for line in listing.stdout.splitlines()
                  if line.strip()) if listing.returncode == 0 else None


def read_back(image, name, folder):
    target = Path(folder) / name
    copied = mtools("mcopy", "-n", "-i", str(image), f"::{name}", str(target))
    return target.read_bytes() if copied.returncode == 0 and target.exists() else None


def check_readme(text, source):
    check(text is not None, "README.TXT reads back from the floppy")
    if text is None:
        return
    check(all(byte < 0x80 for byte in text), "README.TXT is 7-bit ASCII")
    check(text.count(b"\n") == text.count(b"\r\n") and b"\r" not in text.replace(b"\r\n", b""),
          "README.TXT has CR LF line ends only")
    check(text == source.read_bytes().replace(b"\n", b"\r\n"),
          f"README.TXT is {source.relative_to(ROOT)} with CR LF line ends")
    for needle in (b"Windows 95", b"Windows NT", b".OR0", b"COPY "):
        check(needle in text, f"README.TXT tells of {needle.decode()!r}")


def check_sums(release):
    sums = release / "SHA256SUMS"
    if not check(sums.exists(), "SHA256SUMS present"):
        return
    listed = dict(reversed(line.split()) for line in sums.read_text().splitlines() if line)
    check(sorted(listed) == ["TXINFUPD.EXE", "txinfupd.img"], "SHA256SUMS names both files")
    for name, digest in sorted(listed.items()):
        path = release / name
        actual = hashlib.sha256(path.read_bytes()).hexdigest() if path.exists() else None
        check(actual == digest, f"SHA256SUMS: {name} matches")


def main():
    release = Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "build/release"
    tested = Path(sys.argv[2]) if len(sys.argv) > 2 else ROOT / "build/win32/txinfupd.exe"
    source = Path(sys.argv[3]) if len(sys.argv) > 3 else ROOT / "resources/README.TXT"
    image = release / "txinfupd.img"
    program = tested.read_bytes() if tested.exists() else None
    check(program is not None, f"tested executable {tested} present")
    shipped = release / "TXINFUPD.EXE"
    check(shipped.exists() and shipped.read_bytes() == program,
          "TXINFUPD.EXE is the tested executable, byte for byte")
    if check(image.exists() and image.stat().st_size == FLOPPY_BYTES,
             f"txinfupd.img is a {FLOPPY_BYTES}-byte floppy image"):
        boot = image.read_bytes()[:512]
        check(boot[510:512] == b"\x55\xaa" and boot[54:62] == b"FAT12   ",
              "txinfupd.img holds a FAT12 file system")
        check(floppy_names(image) == ["README.TXT", "TXINFUPD.EXE"],
              "the floppy holds TXINFUPD.EXE and README.TXT, nothing else")
        with tempfile.TemporaryDirectory() as folder:
            check(read_back(image, "TXINFUPD.EXE", folder) == program,
                  "TXINFUPD.EXE reads back from the floppy byte for byte")
            check_readme(read_back(image, "README.TXT", folder), source)
    check_sums(release)
    passed = sum(results)
    print(f"{passed} passed, {len(results) - passed} failed")
    return 0 if passed == len(results) else 1


if __name__ == "__main__":
    sys.exit(main())
