"""The i686 cases on a machine that cannot run 32-bit programs: a PC emulator
(QEMU's own translator) boots a Debian 12 amd64 guest that can, with the
32-bit Wine by multiarch and Xvfb, and the suite runs the cases there on the
very executables of build/win32 and the release floppy.

The guest's disk is made once per build folder (debootstrap from the main
suite alone, so that both architectures get one consistent set of
versions) and reused while its recipe stays the same. Each run boots it once
from its own kernel and initial RAM disk, without the guest's init system,
runs every case asked for in that one boot, and powers off. Files go in and
come back through a second disk, an ext4 image filled with mkfs.ext4 -d and
read back with debugfs: no disk image is mounted on this machine, whose
kernel may have no loop devices or vfat."""

import hashlib
import os
import shutil
import subprocess
import time
from pathlib import Path

from winetools.wineenv import ROOT, WineError

GUEST_FOLDER = ROOT / "build" / "guest"
SUITE = "bookworm"
MIRROR = "http://deb.debian.org/debian"
# The guest's own packages, and the 32-bit ones added by multiarch.
PACKAGES = ["linux-image-amd64", "python3", "xvfb", "fonts-wine", "mtools", "procps"]
# wine64 runs the x86-64 build where the power-cut recordings need it.
I386_PACKAGES = ["wine", "wine64", "wine32:i386"]
ROOT_SIZE = "6G"
JOB_SIZE = "1G"
MEMORY_MB = 6144
# Under the emulator a Wine program runs several times slower than here: the
# suite's waits are stretched by this factor.
GUEST_SLOWDOWN = 5
# Without -smap every 32-bit Wine process faults in the guest.
CPU = "max,-smap"
INIT = "/sbin/txinfupd-guest"

# The guest's first and only process: mounts what Wine and Xvfb need, runs
# the job from the second disk with its output on the console too, and
# powers the machine off.
INIT_SCRIPT = r"""#!/bin/sh
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm /job
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
if mount /dev/vdb /job; then
  (cd /job && sh /job/run.sh 2>&1 | tee /job/out/run.log)
  sync
  umount /job
fi
echo o >/proc/sysrq-trigger
sleep 60
"""


def in_repository(paths):
    """{path in the job's copy of the repository: path here} of each path of
    the repository."""
    return {Path("repo") / path.relative_to(ROOT): path for path in paths}


def test_folders(*folders):
    """The files of the test folders tests/<folder>, as in_repository gives
    them."""
    return in_repository(path for folder in folders for path in (ROOT / "tests" / folder).rglob("*")
                         if path.is_file() and "__pycache__" not in path.parts)


def log_step(log, text):
    log.write(f"{time.strftime('%H:%M:%S')} {text}\n")
    log.flush()


def run_logged(command, log, timeout, what, env=None):
    log_step(log, " ".join(str(part) for part in command))
    result = subprocess.run([str(part) for part in command], stdout=log, stderr=subprocess.STDOUT,
                            stdin=subprocess.DEVNULL, timeout=timeout, env=env, check=False)
    if result.returncode != 0:
        raise WineError(f"{what} failed ({result.returncode}); see {log.name}")


def retried(attempts, step):
    """A step that fetches packages, tried again when a mirror answers badly."""
    for attempt in range(1, attempts + 1):
        try:
            return step()
        except WineError:
            if attempt == attempts:
                raise
            time.sleep(10 * attempt)


class GuestImage:
    """The guest's disk, kernel and initial RAM disk in build/guest."""

    def __init__(self, folder=GUEST_FOLDER):
        self.folder = Path(folder)
        self.disk = self.folder / "guest.img"
        self.kernel = self.folder / "vmlinuz"
        self.initrd = self.folder / "initrd.img"
        self.stamp_file = self.folder / "guest.stamp"

    def stamp(self):
        recipe = "\n".join([SUITE, MIRROR, ROOT_SIZE, INIT_SCRIPT] + PACKAGES + I386_PACKAGES)
        return hashlib.sha256(recipe.encode()).hexdigest()

    def ready(self):
        return (self.stamp_file.exists() and self.stamp_file.read_text() == self.stamp()
                and all(path.exists() for path in (self.disk, self.kernel, self.initrd)))

    def ensure(self, log):
        if self.ready():
            log_step(log, f"guest disk {self.disk} is up to date")
            return self
        self.folder.mkdir(parents=True, exist_ok=True)
        self.stamp_file.unlink(missing_ok=True)
        root = self.folder / "root"
        started = time.monotonic()
        retried(3, lambda: self.bootstrap(root, log))
        retried(3, lambda: self.add_i386(root, log))
        self.install_init(root)
        self.take_boot_files(root)
        self.disk.unlink(missing_ok=True)
        run_logged(["mkfs.ext4", "-q", "-F", "-L", "guest", "-d", root, self.disk, ROOT_SIZE],
                   log, 600, "making the guest's disk")
        shutil.rmtree(root, ignore_errors=True)
        self.stamp_file.write_text(self.stamp())
        log_step(log, f"guest disk made in {time.monotonic() - started:.0f} s")
        return self

    def bootstrap(self, root, log):
        shutil.rmtree(root, ignore_errors=True)
        run_logged(["debootstrap", "--variant=minbase", "--arch=amd64",
                    "--include=" + ",".join(PACKAGES), SUITE, root, MIRROR],
                   log, 1800, "debootstrap")

    def add_i386(self, root, log):
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive", LC_ALL="C")
        run_logged(["chroot", root, "dpkg", "--add-architecture", "i386"], log, 60,
                   "adding i386 to the guest", env)
        with ChrootMounts(root):
            run_logged(["chroot", root, "apt-get", "update"], log, 600,
                       "the guest's package lists", env)
            run_logged(["chroot", root, "apt-get", "install", "-y", "--no-install-recommends"]
                       + I386_PACKAGES, log, 1800, "the guest's 32-bit Wine", env)
            run_logged(["chroot", root, "apt-get", "clean"], log, 60, "apt-get clean", env)

    def install_init(self, root):
        init = root / INIT.lstrip("/")
        init.write_text(INIT_SCRIPT)
        init.chmod(0o755)

    def take_boot_files(self, root):
        kernels = sorted((root / "boot").glob("vmlinuz-*"))
        initrds = sorted((root / "boot").glob("initrd.img-*"))
        if not kernels or not initrds:
            raise WineError(f"the guest has no kernel or initial RAM disk in {root / 'boot'}")
        shutil.copy2(kernels[-1], self.kernel)
        shutil.copy2(initrds[-1], self.initrd)


class ChrootMounts:
    """/proc, /sys and /dev of this machine inside the guest's root while
    packages are installed there."""

    POINTS = (("proc", ["-t", "proc", "proc"]), ("sys", ["-t", "sysfs", "sysfs"]),
              ("dev", ["--bind", "/dev"]))

    def __init__(self, root):
        self.root = Path(root)
        self.mounted = []

    def __enter__(self):
        for name, how in self.POINTS:
            point = self.root / name
            point.mkdir(exist_ok=True)
            if subprocess.run(["mount", *how, str(point)], check=False,
                              stderr=subprocess.DEVNULL).returncode == 0:
                self.mounted.append(point)
        return self

    def __exit__(self, *exc):
        for point in reversed(self.mounted):
            subprocess.run(["umount", "-l", str(point)], check=False)


class GuestRun:
    """One boot of the guest: the job's files in, its command run, its `out`
    folder back in `self.out`."""

    def __init__(self, image, folder=GUEST_FOLDER):
        self.image = image
        self.folder = Path(folder)
        self.job = self.folder / "job"
        self.job_disk = self.folder / "job.img"
        self.out = self.folder / "out"
        self.console = self.folder / "console.log"

    def prepare(self, files, command):
        """`files`: {path in the job: path here}; `command`: the shell text
        the guest runs in the job's folder (/job)."""
        shutil.rmtree(self.job, ignore_errors=True)
        shutil.rmtree(self.out, ignore_errors=True)
        (self.job / "out").mkdir(parents=True)
        for inside, outside in files.items():
            target = self.job / inside
            target.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(outside, target)
        (self.job / "run.sh").write_text(command)

    def boot(self, log, timeout, disks=()):
        """`disks`: further QEMU options that attach disks after the root
        (/dev/vda) and the job's (/dev/vdb), as /dev/vdc on, in their order."""
        self.job_disk.unlink(missing_ok=True)
        run_logged(["mkfs.ext4", "-q", "-F", "-L", "job", "-d", self.job, self.job_disk, JOB_SIZE],
                   log, 300, "making the job's disk")
        command = [
            "qemu-system-x86_64", "-nodefaults", "-display", "none", "-no-reboot",
            "-accel", "tcg,thread=multi", "-cpu", CPU, "-smp", str(os.cpu_count() or 1),
            "-m", str(MEMORY_MB),
            "-kernel", self.image.kernel, "-initrd", self.image.initrd,
            "-append", f"root=/dev/vda rw console=ttyS0 init={INIT} quiet",
            # Disks named by -device come first in the guest, whatever their
            # place among the options: every disk is given so.
            "-drive", f"file={self.image.disk},format=raw,if=none,id=root,snapshot=on",
            "-device", "virtio-blk-pci,drive=root",
            "-drive", f"file={self.job_disk},format=raw,if=none,id=job",
            "-device", "virtio-blk-pci,drive=job",
            *disks,
            "-serial", f"file:{self.console}",
        ]
        started = time.monotonic()
        try:
            run_logged(command, log, timeout, "the emulator")
        except subprocess.TimeoutExpired as error:
            raise WineError(f"the guest did not power off within {timeout} s; see "
                            f"{self.console}") from error
        log_step(log, f"the guest ran for {time.monotonic() - started:.0f} s")
        run_logged(["debugfs", "-R", f"rdump /out {self.folder}", self.job_disk], log, 300,
                   "reading the job's results")
        if not self.out.is_dir():
            raise WineError(f"the guest gave no results back; see {self.console}")
        return self.out
