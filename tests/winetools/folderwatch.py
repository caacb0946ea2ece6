"""What happened in a folder while the updater ran, in the order the kernel
saw it: each open, creation, move and deletion of a name, from any process
(inotify names no process). A failed case prints it, so that a save that
stopped short can be told from another program's hold on an INF file even
where the case's files are gone. The kernel queues the events until they
are read at the end, and says so where its queue ran over. Where the
watch cannot be set it records nothing and says so."""

import ctypes
import os
import struct

IN_OPEN = 0x020
IN_MOVED_FROM = 0x040
IN_MOVED_TO = 0x080
IN_CREATE = 0x100
IN_DELETE = 0x200
IN_Q_OVERFLOW = 0x4000
KINDS = ((IN_CREATE, "create"), (IN_OPEN, "open"), (IN_MOVED_FROM, "move from"),
         (IN_MOVED_TO, "move to"), (IN_DELETE, "delete"), (IN_Q_OVERFLOW, "events lost"))
WATCHED = IN_OPEN | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE
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
        self.descriptor = -1

    def start(self):
        try:
            libc = ctypes.CDLL(None, use_errno=True)
            self.descriptor = libc.inotify_init1(os.O_NONBLOCK)
        except (OSError, AttributeError) as error:
            self.problem = f"no watch of {self.folder}: {error}"
            return self
        if self.descriptor < 0 or libc.inotify_add_watch(self.descriptor,
                                                         os.fsencode(self.folder), WATCHED) < 0:
            self.problem = f"no watch of {self.folder}: {os.strerror(ctypes.get_errno())}"
        return self

    def stop(self):
        if self.descriptor < 0:
            return
        if not self.problem:
            self.events = self.queued()
        os.close(self.descriptor)
        self.descriptor = -1

    def queued(self):
        events = []
        try:
            while True:
                events += decode(os.read(self.descriptor, 65536))
        except BlockingIOError:
            return events

    def lines(self):
        """One line per event, in the kernel's order."""
        return [self.problem] if self.problem else [f"{kind} {name}" for kind, name in self.events]
