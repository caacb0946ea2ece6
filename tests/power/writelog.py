"""The write log of QEMU's blklogwrites driver, in the device-mapper
log-writes format: sector 0 is a super block (magic, version, number of
entries, sector size, little-endian); each entry is one header sector
(first sector written, number of sectors, flags, length of its data)
followed by the sectors it wrote."""

import struct
from dataclasses import dataclass
from pathlib import Path

MAGIC = 0x6A736677736872
VERSION = 1
FLUSH, FUA, DISCARD, MARK = 1, 2, 4, 8
SUPER = struct.Struct("<QQQI")
HEADER = struct.Struct("<QQQQ")


class LogError(ValueError):
    pass


@dataclass(frozen=True)
class Entry:
    sector: int
    count: int
    flags: int
    data: bytes = b""

    @property
    def is_write(self):
        return self.count > 0 and not self.flags & (DISCARD | MARK)

    @property
    def is_flush(self):
        return bool(self.flags & FLUSH)

    @property
    def is_durable(self):
        """A forced-unit-access write is on the disk once it completes."""
        return bool(self.flags & FUA)


@dataclass
class WriteLog:
    sector_size: int
    entries: list

    @classmethod
    def read(cls, path):
        data = Path(path).read_bytes()
        if len(data) < SUPER.size:
            raise LogError(f"{path}: no super block")
        magic, version, count, sector_size = SUPER.unpack_from(data)
        if magic != MAGIC or version != VERSION or sector_size == 0:
            raise LogError(f"{path}: not a log-writes log (magic {magic:#x}, version {version})")
        entries = []
        offset = sector_size
        for number in range(count):
            if offset + HEADER.size > len(data):
                raise LogError(f"{path}: entry {number} of {count} is cut off")
            sector, sectors, flags, _ = HEADER.unpack_from(data, offset)
            offset += sector_size
            length = 0 if flags & DISCARD else sectors * sector_size
            if offset + length > len(data):
                raise LogError(f"{path}: the data of entry {number} is cut off")
            entries.append(Entry(sector, sectors, flags, data[offset:offset + length]))
            offset += length
        return cls(sector_size, entries)

    def write(self, path):
        parts = [SUPER.pack(MAGIC, VERSION, len(self.entries), self.sector_size)
                 .ljust(self.sector_size, b"\0")]
        for entry in self.entries:
            header = HEADER.pack(entry.sector, entry.count, entry.flags, 0)
            parts += [header.ljust(self.sector_size, b"\0"), entry.data]
        Path(path).write_bytes(b"".join(parts))

    def sectors_of(self, entry):
        """(sector, its bytes) for each sector that the entry wrote."""
        size = self.sector_size
        return [(entry.sector + n, entry.data[n * size:(n + 1) * size])
                for n in range(entry.count)]
