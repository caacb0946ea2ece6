"""What happened in a folder while the updater ran, in the order the kernel
saw it: each open, creation, move and deletion of a name, from any process
(inotify names no process). A failed case prints it, so that a save that
stopped short can be told from another program's hold on an INF file even
where the case's files are gone. Where the kernel offers no inotify the
watch records nothing and says so."""

import ctypes
import os
import select
import struct
import threading
import time

IN_OPEN = 0x020
IN_MOVED_FROM = 0x040
IN_MOVED_TO = 0x080
IN_CREATE = 0x100
IN_DELETE = 0x200
KINDS = ((IN_CREATE, "create"), (IN_OPEN, "open"), (IN_MOVED_FROM, "move from"),
         (IN_MOVED_TO, "move to"), (IN_DELETE, "delete"))
HEADER = struct.Struct("iIII")


def decode(data):
    """(kind, name) of each event in a read of the inotify descriptor; the
    folder's own events have no name."""
    events = []
    at = 0
    while at + HEADER.size <= len(data):
        _, mask, _, length = HEADER.unpack_from(data, at)
        name = data[at + HEADER.size:at + HEADER.size + length].rstrip(b"\0")
        at += HEADER.size + length
        kinds = [text for bit, text in KINDS if mask & bit]
        events += [(kind, name.decode(errors="replace") or ".") for kind in kinds]
    return events


class FolderWatch:
    """Records the folder's events from `start` until `stop`."""

    def __init__(self, folder):
        self.folder = folder
        self.events = []
        self.problem = ""
        self.begun = time.monotonic()
        self.ended = threading.Event()
        self.reader = None
        self.descriptor = -1

    def start(self):
        try:
            libc = ctypes.CDLL(None, use_errno=True)
            self.descriptor = libc.inotify_init()
            mask = IN_OPEN | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE
            if self.descriptor < 0 or libc.inotify_add_watch(
                    self.descriptor, os.fsencode(self.folder), mask) < 0:
                raise OSError(ctypes.get_errno(), os.strerror(ctypes.get_errno()))
        except (OSError, AttributeError) as error:
            self.problem = f"no watch of {self.folder}: {error}"
            return self
        self.reader = threading.Thread(target=self.read, daemon=True)
        self.reader.start()
        return self

    def read(self):
        while not self.ended.is_set():
            if select.select([self.descriptor], [], [], 0.05)[0]:
                self.take(os.read(self.descriptor, 65536))

    def take(self, data):
        seconds = time.monotonic() - self.begun
        self.events += [(seconds, kind, name) for kind, name in decode(data)]

    def stop(self):
        if self.reader:
            self.ended.set()
            self.reader.join()
            while select.select([self.descriptor], [], [], 0)[0]:
                self.take(os.read(self.descriptor, 65536))
        if self.descriptor >= 0:
            os.close(self.descriptor)
            self.descriptor = -1

    def lines(self):
        """One line per event, its time in seconds from the start."""
        if self.problem:
            return [self.problem]
        return [f"{seconds:7.3f} {kind} {name}" for seconds, kind, name in self.events]
