"""Windows machines under Wine for the end-to-end suite and the demo.

An X server per job (Xvfb), a template Wine prefix made once and cloned per
case (hard links for the large program files), registry import and export
with regedit, and the runs of the updater and of the box pilot inside a
prefix.
"""

import codecs
import fcntl
import hashlib
import os
import shutil
import subprocess
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
WINESERVER = "/usr/lib/wine/wineserver"
# The end-to-end suite's work folder. Its template prefixes, one per build,
# serve the demo and the start-up benchmark too.
E2E_FOLDER = ROOT / "build" / "e2e"
SCREEN = "1024x768x24"
# How many times slower than here Wine runs where the suite runs (the PC
# emulator's guest sets it): the suite's own waits for Wine, its programs and
# X are stretched by it (the box pilot keeps its own).
SLOWDOWN = float(os.environ.get("TXINFUPD_E2E_SLOWDOWN", "1"))

# No Mono or Gecko installers: their download dialogs would be boxes too.
BASE_DLL_OVERRIDES = "mscoree,mshtml="

# The template's own settings: Wine's virtual desktop, so that windows come
# and go without a window manager's delays, and no crash dialog.
TEMPLATE_REGISTRY = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
"""

# Wine's own fonts, Marlett among them, which draws the caption buttons. This
# Wine does not find its font folder by itself, so without a copy in the
# prefix the close box shows the letter "r" of a stand-in font.
WINE_FONTS = Path("/usr/share/wine/fonts")

# Files that Wine only reads: shared between the template and its clones.
SHARED_SUFFIXES = {
    ".dll", ".exe", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".ax", ".tlb",
    ".nls", ".ttf", ".fon", ".mui", ".msstyles", ".ds", ".vxd", ".com",
}


class WineError(RuntimeError):
    pass


# Under load a Wine process now and then dies at its own exit, with this
# line and exit code 127: a fault of Wine, not of the program it ran. A step
# of the harness (a prefix made, the registry imported or exported, the
# pilot started) that ends so is started again, up to HARNESS_TRIES in all,
# and every such start is printed and counted in `harness_retries`; the
# updater's own run is never started again.
WINE_EXIT_CRASH = "Inconsistency detected by ld.so"
HARNESS_TRIES = 3
harness_retries = []


def died_at_exit(code, output):
    return code == 127 and WINE_EXIT_CRASH in output


def note_retry(step, output):
    line = next(line for line in output.splitlines() if WINE_EXIT_CRASH in line)
    harness_retries.append(step)
    print(f"retry: {step}: Wine died at its exit ({line.strip()[:160]}); starting it again",
          flush=True)


@dataclass(frozen=True)
class Build:
    """One build of the Windows programs and the Wine that runs them: the
    i686 build under the 32-bit Wine in a 32-bit prefix (the nearest Wine
    gets to Windows 95), the x86-64 build under wine64 in a 64-bit one."""
    name: str
    folder: str  # the build folder below build/
    wine: str
    winearch: str = ""

    def env(self):
        return {"WINEARCH": self.winearch} if self.winearch else {}

    @property
    def output(self):
        """The build folder, which holds the updater and the box pilot."""
        return ROOT / "build" / self.folder


I686 = Build("i686", "win32", "/usr/lib/wine/wine", "win32")
X86_64 = Build("x86-64", "win64", "/usr/lib/wine/wine64")
BUILDS = {build.name: build for build in (I686, X86_64)}


def windows_path(path):
    """The path of a file of this machine as a Windows program names it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine_version(build=X86_64):
    result = subprocess.run([build.wine, "--version"], capture_output=True, text=True,
                            check=False)
    return result.stdout.strip()


def runs_32bit_programs():
    """Whether this machine runs 32-bit programs, as scripts/runs-32bit tells."""
    check = ROOT / "scripts" / "runs-32bit"
    return subprocess.run([str(check)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          check=False).returncode == 0


def emulates_i686():
    """Whether the i686 cases run in the PC emulator's guest: where this
    machine cannot run 32-bit programs, or where TXINFUPD_I686_ROUTE asks for
    it ("emulated"; "native" keeps them here)."""
    route = os.environ.get("TXINFUPD_I686_ROUTE", "")
    if route in ("emulated", "native"):
        return route == "emulated"
    return not runs_32bit_programs()


class XServer:
    """An Xvfb of its own; it picks a free display number itself."""

    def __init__(self):
        self.process = None
        self.display = None

    def start(self, timeout=20 * SLOWDOWN):
        reader, writer = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(writer), "-screen", "0", SCREEN, "-nolisten", "tcp"],
            pass_fds=(writer,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            stdin=subprocess.DEVNULL)
        os.close(writer)
        number = b""
        deadline = time.monotonic() + timeout
        with os.fdopen(reader, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise WineError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def clone_tree(source, target):
    """Copies a prefix: program files as hard links, the rest as copies."""
    target.mkdir(parents=True)
    for entry in os.scandir(source):
        destination = target / entry.name
        if entry.is_symlink():
            os.symlink(os.readlink(entry.path), destination)
        elif entry.is_dir():
            clone_tree(Path(entry.path), destination)
        elif Path(entry.name).suffix.lower() in SHARED_SUFFIXES:
            os.link(entry.path, destination)
        else:
            shutil.copy2(entry.path, destination)


class Prefix:
    """One Wine prefix and its wine server."""

    def __init__(self, path, display, build=X86_64):
        # Wine takes only an absolute WINEPREFIX.
        self.path = Path(path).resolve()
        self.display = display
        self.build = build

    @property
    def drive_c(self):
        return self.path / "drive_c"

    @property
    def inf_dir(self):
        return self.drive_c / "windows" / "inf"

    def env(self, dll_overrides="", extra=None):
        env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
        overrides = BASE_DLL_OVERRIDES + (";" + dll_overrides if dll_overrides else "")
        env.update(WINEPREFIX=str(self.path), DISPLAY=self.display, WINEDEBUG="-all",
                   WINEDLLOVERRIDES=overrides)
        env.update(self.build.env())
        env.update(extra or {})
        return env

    def run(self, args, timeout=60 * SLOWDOWN, check=True):
        """Runs a step of the harness to its end, again where Wine died at
        its exit."""
        for attempt in range(1, HARNESS_TRIES + 1):
            code, text = self.run_once(args, timeout)
            if not died_at_exit(code, text) or attempt == HARNESS_TRIES:
                break
            note_retry(" ".join(args[:2]), text)
        if check and code != 0:
            raise WineError(f"{args[0]} ended with {code}: {text[-400:]}")
        return code

    def run_once(self, args, timeout):
        """Its output goes to a file: Wine's helper processes inherit the
        handles and would hold a pipe open."""
        with tempfile.TemporaryFile() as output:
            result = subprocess.run([self.build.wine] + list(args), env=self.env(),
                                    stdout=output,
                                    stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                    timeout=timeout, check=False)
            output.seek(0)
            return result.returncode, output.read().decode(errors="replace")

    def spawn(self, args, log, dll_overrides="", extra_env=None):
        return subprocess.Popen([self.build.wine] + list(args),
                                env=self.env(dll_overrides, extra_env),
                                stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def server(self, option, timeout):
        subprocess.run([WINESERVER, option], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=timeout * SLOWDOWN, check=False)

    def start_server(self):
        """A server that stays until it is told to end, between the programs."""
        self.server("-p", 30)

    def stop_server(self):
        self.server("-k", 60)

    def wait_server(self):
        self.server("-w", 120)

    def import_registry(self, text, name="import.reg"):
        """Imports REGEDIT4 text. The first program of a session also boots it."""
        file = self.path / name
        file.write_bytes(text.replace("\n", "\r\n").encode("ascii"))
        self.run(["regedit", "/S", windows_path(file)])

    def export_registry(self, key, name="export.reg"):
        """The key's tree as {subkey path: {value name: value text}}, or None
        when the key does not exist."""
        file = self.path / name
        if file.exists():
            file.unlink()
        self.run(["regedit", "/E", windows_path(file), key], check=False)
        if not file.exists():
            return None
        return parse_registry_export(file.read_bytes(), key)


def parse_registry_export(data, root):
    """Parses regedit's export (UTF-16 with a BOM, or ANSI) into
    {subkey path below root: {value name: value text as written}}."""
    if data.startswith(codecs.BOM_UTF16_LE):
        text = data[2:].decode("utf-16-le")
    else:
        text = data.decode("latin-1")
    tree = {}
    values = None
    pending = ""
    for raw in text.splitlines():
        line = pending + raw.strip() if pending else raw.rstrip()
        if line.endswith("\\") and values is not None and not line.startswith("["):
            pending = line[:-1]
            continue
        pending = ""
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            if key.lower() == root.lower():
                relative = ""
            elif key.lower().startswith(root.lower() + "\\"):
                relative = key[len(root) + 1:]
            else:
                values = None
                continue
            values = tree.setdefault(relative, {})
        elif values is not None and "=" in line and not line.startswith(";"):
            name, value = split_value_line(line)
            values[name] = value
    return tree


def split_value_line(line):
    if line.startswith("@="):
        return "@", line[2:]
    # "name"="value": the name ends at the first unescaped quote.
    index = 1
    while index < len(line):
        if line[index] == "\\":
            index += 2
            continue
        if line[index] == '"':
            break
        index += 1
    name = line[1:index].replace('\\"', '"').replace("\\\\", "\\")
    return name, line[index + 2:]


def registry_string(text):
    """A string value as regedit writes it."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class Template:
    """The template prefix: made once (wineboot --init, about 10 s) and kept
    while Wine and the template's settings stay the same."""

    def __init__(self, path, build=X86_64):
        self.path = Path(path)
        self.build = build

    @classmethod
    def of(cls, build, folder=E2E_FOLDER):
        """The template prefix of a build, in `folder`."""
        return cls(Path(folder) / f"template-{build.name}", build)

    def stamp(self):
        fonts = sorted(path.name for path in WINE_FONTS.glob("*"))
        recipe = "\n".join([self.build.name, wine_version(self.build), TEMPLATE_REGISTRY] + fonts)
        return hashlib.sha256(recipe.encode()).hexdigest()

    def install_fonts(self):
        folder = self.path / "drive_c" / "windows" / "Fonts"
        folder.mkdir(parents=True, exist_ok=True)
        for font in WINE_FONTS.glob("*"):
            shutil.copy2(font, folder / font.name)

    def ensure(self, display):
        self.path.parent.mkdir(parents=True, exist_ok=True)
        with open(self.path.parent / (self.path.name + ".lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            stamp_file = self.path / ".e2e-stamp"
            if stamp_file.exists() and stamp_file.read_text() == self.stamp():
                return self
            shutil.rmtree(self.path, ignore_errors=True)
            prefix = Prefix(self.path, display, self.build)
            prefix.run(["wineboot", "--init"], timeout=300 * SLOWDOWN)
            prefix.import_registry(TEMPLATE_REGISTRY, name="template.reg")
            prefix.wait_server()
            self.install_fonts()
            stamp_file.write_text(self.stamp())
        return self

    def clone(self, target, display):
        target = Path(target)
        if target.exists():
            shutil.rmtree(target)
        clone_tree(self.path, target)
        return Prefix(target, display, self.build)
