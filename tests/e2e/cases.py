"""The end-to-end cases: the machine each one starts from, what the user
answers, and what must be seen and left behind."""

from dataclasses import dataclass, field
from pathlib import Path

FIXTURES = Path(__file__).resolve().parent / "fixtures"

BANNER_CAPTION = "Welcome use Tovi  Company product"
BOX_CAPTION = "Tovi Mother Board"
SUCCESS_TEXT = "Intel Tx Info update OK..."
FAILURE_TEXT = "When Update it get error msg!"
UNSUPPORTED_TEXT = "It need Win95 Platform.."
# MessageBoxA without a caption shows Wine's default one.
DEFAULT_CAPTION = "Error"


def banner_of(box_event):
    """The banner among the program's windows that the pilot saw with a box;
    None when it was not there."""
    windows = [w for w in box_event["mainWindows"] if w["caption"] == BANNER_CAPTION]
    return windows[0] if windows else None


def prompt_text(version):
    return (f"Your OS now is {version} \n\r If you want update TX chip info, \n\r "
            "pls select OK else select Cancel..")


# What GetVersionExA reports under each of Wine's version settings, as the
# confirmation box prints it.
PROMPT_VERSION = {
    "win95": "4.00,Build is 950",
    "win98": "4.10,Build is 2222",
    "winme": "4.90,Build is 3000",
    "nt40": "4.00,Build is 1381",
}


def crlf(text):
    return text.replace("\n", "\r\n").encode("ascii")


def fixture(name):
    """An INF file of the test machine, with CR LF line ends as on Windows."""
    return crlf((FIXTURES / "inf" / name).read_text())


def merged(name):
    """What a first update makes of a fixture. Every save of a file that ends
    with CR LF keeps the empty line after it, so the text gains one CR LF."""
    return crlf((FIXTURES / "expected" / name).read_text()) + b"\r\n"


@dataclass
class Box:
    caption: str
    text: str
    icon: str
    buttons: list
    owned_by_banner: bool = True


def confirmation(version):
    return Box(BOX_CAPTION, prompt_text(PROMPT_VERSION[version]), "user12", ["OK", "Cancel"])


SUCCESS_BOX = Box(BOX_CAPTION, SUCCESS_TEXT, "user12", ["OK"])
FAILURE_BOX = Box(BOX_CAPTION, FAILURE_TEXT, "user13", ["OK"])
UNSUPPORTED_BOX = Box(DEFAULT_CAPTION, UNSUPPORTED_TEXT, "warning", ["OK"], owned_by_banner=False)


@dataclass
class Run:
    answers: list
    boxes: list
    restart: bool
    banner_stays_open: bool = False
    check_pictures: bool = False


# The device tree of the test machine below HKLM\Enum: {key path: {value: text}}.
# Instance keys whose class is "Unknown" in any letter case go; one whose
# class only begins with the word stays, and so do keys without a class or
# with an empty one. VEN_1106 is unknown itself but has a known instance
# below it: Windows 95 deletes the whole key, Windows NT refuses to delete a
# key that has subkeys. The two unknown instances of VEN_8086&DEV_7112, and
# VEN_8086&DEV_7000 right after VEN_1106, test that no key is skipped when
# the registry renumbers the keys that follow a deleted one.
def _device(cls, desc, hwid):
    values = {"DeviceDesc": desc, "HardwareID": hwid}
    if cls is not None:
        values["Class"] = cls
    return values


PCI = "PCI"
DEVICE_TREE = {
    "": {},
    "Root": {},
    "Root\\*PNP0A03": {},
    "Root\\*PNP0A03\\0000": _device("System", "PCI bus", "*PNP0A03"),
    PCI: {},
    PCI + "\\VEN_102B&DEV_0519&SUBSYS_00000000&REV_01": {},
    PCI + "\\VEN_102B&DEV_0519&SUBSYS_00000000&REV_01\\BUS_00&DEV_08&FUNC_00":
        _device("Display", "Matrox MGA Millennium", "PCI\\VEN_102B&DEV_0519"),
    PCI + "\\VEN_10EC&DEV_8029&SUBSYS_00000000&REV_00": {},
    PCI + "\\VEN_10EC&DEV_8029&SUBSYS_00000000&REV_00\\BUS_00&DEV_0A&FUNC_00":
        _device(None, "PCI Ethernet Controller", "PCI\\VEN_10EC&DEV_8029"),
    PCI + "\\VEN_10EC&DEV_8029&SUBSYS_00000000&REV_00\\BUS_00&DEV_0B&FUNC_00":
        _device("", "PCI Ethernet Controller", "PCI\\VEN_10EC&DEV_8029"),
    PCI + "\\VEN_1106&DEV_0586&SUBSYS_00000000&REV_41": {"Class": "Unknown"},
    PCI + "\\VEN_1106&DEV_0586&SUBSYS_00000000&REV_41\\BUS_00&DEV_07&FUNC_00":
        _device("System", "VIA VT82C586 PCI to ISA bridge", "PCI\\VEN_1106&DEV_0586"),
    PCI + "\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01": {},
    PCI + "\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_00":
        _device("Unknown", "PCI bridge", "PCI\\VEN_8086&DEV_7000"),
    PCI + "\\VEN_8086&DEV_7010&SUBSYS_00000000&REV_00": {},
    PCI + "\\VEN_8086&DEV_7010&SUBSYS_00000000&REV_00\\BUS_00&DEV_07&FUNC_01":
        _device("hdc", "Intel 82371SB PCI Bus Master IDE Controller", "PCI\\VEN_8086&DEV_7010"),
    PCI + "\\VEN_8086&DEV_7100&SUBSYS_00000000&REV_01": {},
    PCI + "\\VEN_8086&DEV_7100&SUBSYS_00000000&REV_01\\BUS_00&DEV_00&FUNC_00":
        _device("UNKNOWN", "PCI Host Bridge", "PCI\\VEN_8086&DEV_7100"),
    PCI + "\\VEN_8086&DEV_7110&SUBSYS_00000000&REV_01": {},
    PCI + "\\VEN_8086&DEV_7110&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_00":
        _device("unknown", "PCI bridge", "PCI\\VEN_8086&DEV_7110"),
    PCI + "\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01": {},
    PCI + "\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_02":
        _device("Unknown", "Universal Serial Bus", "PCI\\VEN_8086&DEV_7112"),
    PCI + "\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01\\BUS_01&DEV_07&FUNC_02":
        _device("Unknown", "Universal Serial Bus", "PCI\\VEN_8086&DEV_7112"),
    PCI + "\\VEN_8086&DEV_7113&SUBSYS_00000000&REV_01": {},
    PCI + "\\VEN_8086&DEV_7113&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_03":
        _device("Unknown device", "Other PCI device", "PCI\\VEN_8086&DEV_7113"),
}

UNKNOWN_INSTANCES = [
    PCI + "\\VEN_8086&DEV_7000&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_00",
    PCI + "\\VEN_8086&DEV_7100&SUBSYS_00000000&REV_01\\BUS_00&DEV_00&FUNC_00",
    PCI + "\\VEN_8086&DEV_7110&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_00",
    PCI + "\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01\\BUS_00&DEV_07&FUNC_02",
    PCI + "\\VEN_8086&DEV_7112&SUBSYS_00000000&REV_01\\BUS_01&DEV_07&FUNC_02",
]
UNKNOWN_WITH_SUBKEY = PCI + "\\VEN_1106&DEV_0586&SUBSYS_00000000&REV_41"


def tree_without(tree, keys):
    """The tree with each key and everything below it removed."""
    def gone(path):
        return any(path == key or path.startswith(key + "\\") for key in keys)
    return {path: values for path, values in tree.items() if not gone(path)}


def purged_tree(family):
    """The device tree after the sweep on a Windows 95 or an NT host."""
    removed = list(UNKNOWN_INSTANCES)
    if family == "95":
        removed.append(UNKNOWN_WITH_SUBKEY)
    return tree_without(DEVICE_TREE, removed)


TREE_WITHOUT_PCI = tree_without(DEVICE_TREE, [PCI])


@dataclass
class Case:
    name: str
    version: str  # Wine's version setting for the updater
    what: str  # one line: what the case shows
    runs: list
    inf_files: dict  # name -> bytes in the INF folder before the first run
    files_after: dict  # name -> bytes of every file named mshdc.*, machine.*, usb.*
    tree: dict = field(default_factory=lambda: dict(DEVICE_TREE))
    tree_after: dict = None
    read_only: set = field(default_factory=set)  # INF folder names made read-only
    read_only_after: dict = field(default_factory=dict)  # name -> read-only afterwards?
    file_times: dict = field(default_factory=dict)  # name -> modification time (seconds)
    hold: str = None  # INF folder name that the pilot holds open without sharing


def originals(*names):
    return {name: fixture(name) for name in names}


ALL_ORIGINALS = originals("mshdc.inf", "machine.inf", "usb.inf")


def plan3_after():
    """Plan 3 on the test machine: mshdc.inf and machine.inf without the
    miniport block, each with its first backup; usb.inf untouched."""
    return {
        "mshdc.inf": merged("mshdc.inf"), "mshdc.OR0": fixture("mshdc.inf"),
        "machine.inf": merged("machine-plan3.inf"), "machine.OR0": fixture("machine.inf"),
        "usb.inf": fixture("usb.inf"),
    }


def plan4_after():
    return {
        "mshdc.inf": merged("mshdc.inf"), "mshdc.OR0": fixture("mshdc.inf"),
        "machine.inf": merged("machine-plan4.inf"), "machine.OR0": fixture("machine.inf"),
        "usb.inf": merged("usb.inf"), "usb.OR0": fixture("usb.inf"),
    }


def success_run(version, pictures=False):
    return Run(["ok", "ok"], [confirmation(version), SUCCESS_BOX], restart=True,
               check_pictures=pictures)


def failure_run(version, first_answer="ok"):
    return Run([first_answer, "ok"], [confirmation(version), FAILURE_BOX], restart=False)


def ten_backups(name):
    """All ten backups of an INF file, each with a text of its own."""
    stem = name.split(".")[0]
    return {f"{stem}.OR{n}": crlf(f"; backup {n} of {name}\n[Strings]\n") for n in range(10)}


def backup_times(name, oldest):
    """Distinct modification times (which Wine also reports as creation
    times), the given backup number being the oldest."""
    stem = name.split(".")[0]
    base = 1_000_000_000
    return {f"{stem}.OR{n}": base + (0 if n == oldest else 3600 * (n + 1)) for n in range(10)}


def with_zero_byte(text):
    middle = text.index(b"[Strings]")
    return text[:middle] + b"\x00" + text[middle:]


def all_cases():
    backups = ten_backups("mshdc.inf")
    zero_mshdc = with_zero_byte(fixture("mshdc.inf"))
    nt_files = {"mshdc.inf": fixture("mshdc.inf"), "machine.inf": fixture("machine.inf")}
    nt_after = plan4_after()
    del nt_after["usb.OR0"]
    nt_after["usb.inf"] = crlf(
        "[Intel.Section]\n"
        "%PCI\\VEN_8086&DEV_7020.DeviceDesc%=UniversalHDC.Dev,PCI\\VEN_8086&DEV_7020\n"
        "%PCI\\VEN_8086&DEV_7112.DeviceDesc%=UniversalHDC.Dev,PCI\\VEN_8086&DEV_7112\n"
        "[Strings]\n"
        'PCI\\VEN_8086&DEV_7020.DeviceDesc="Intel 82371SB PCI to USB Universal Host Controller"\n'
        'PCI\\VEN_8086&DEV_7112.DeviceDesc="Intel 82371AB PCI to USB Universal Host Controller"\n')
    second_after = plan3_after()
    second_after.update({
        "mshdc.inf": merged("mshdc.inf") + b"\r\n", "mshdc.OR1": merged("mshdc.inf"),
        "machine.inf": merged("machine-plan3.inf") + b"\r\n",
        "machine.OR1": merged("machine-plan3.inf"),
    })
    rotated_after = dict(plan3_after(), **backups)
    rotated_after["mshdc.OR6"] = fixture("mshdc.inf")
    return [
        Case("win95-plan3-success", "win95",
             "Windows 95 build 950: plan 3 on mshdc.inf and machine.inf, unknown devices "
             "purged (whole subtree), restart requested; banner picture",
             [success_run("win95", pictures=True)], dict(ALL_ORIGINALS), plan3_after(),
             tree_after=purged_tree("95")),
        Case("win98-plan4-success", "win98",
             "Windows 98 build 2222: plan 4 on all three files; a read-only machine.inf "
             "keeps its attribute under its backup name",
             [success_run("win98")], dict(ALL_ORIGINALS), plan4_after(),
             tree_after=purged_tree("95"), read_only={"machine.inf"},
             read_only_after={"machine.OR0": True, "machine.inf": False}),
        Case("winme-plan4-success", "winme",
             "Windows Me build 3000: plan 4 on all three files, unknown devices purged "
             "(whole subtree), restart requested",
             [success_run("winme")], dict(ALL_ORIGINALS), plan4_after(),
             tree_after=purged_tree("95")),
        Case("nt40-plan4-success", "nt40",
             "Windows NT 4.0: plan 4; a missing usb.inf is created with the appended "
             "sections and no backup; an unknown key with subkeys stays (NT rule)",
             [success_run("nt40")], nt_files, nt_after, tree_after=purged_tree("nt")),
        Case("win95-cancel", "win95",
             "Cancel in the confirmation box: the failure box, nothing touched, no restart",
             [failure_run("win95", "cancel")], dict(ALL_ORIGINALS), dict(ALL_ORIGINALS)),
        Case("win95-close-confirmation", "win95",
             "Closing the confirmation box counts as Cancel",
             [failure_run("win95", "close")], dict(ALL_ORIGINALS), dict(ALL_ORIGINALS)),
        Case("win32s-unsupported", "win31",
             "Win32s host: the warning without owner and with the default caption, the "
             "banner stays until closed, nothing touched, exit code 0",
             [Run(["ok"], [UNSUPPORTED_BOX], restart=False, banner_stays_open=True)],
             dict(ALL_ORIGINALS), dict(ALL_ORIGINALS)),
        Case("plan-failure-held-open", "win95",
             "machine.inf held open by another program: mshdc.inf stays rewritten, "
             "machine.inf untouched, the failure box, no purge, no restart",
             [failure_run("win95")], dict(ALL_ORIGINALS),
             dict(ALL_ORIGINALS, **{"mshdc.inf": merged("mshdc.inf"),
                                    "mshdc.OR0": fixture("mshdc.inf")}),
             hold="machine.inf"),
        Case("plan-failure-zero-byte", "win95",
             "mshdc.inf holding a zero byte is refused whole: the failure box, no file "
             "touched, no purge, no restart",
             [failure_run("win95")], dict(ALL_ORIGINALS, **{"mshdc.inf": zero_mshdc}),
             dict(ALL_ORIGINALS, **{"mshdc.inf": zero_mshdc})),
        Case("plan-failure-read-only-backup", "win95",
             "All ten backups taken and the oldest read-only: the save stops at the delete, "
             "mshdc.inf untouched, the new text left in mshdc.tmp, the failure box",
             [failure_run("win95")], dict(ALL_ORIGINALS, **backups),
             dict(ALL_ORIGINALS, **backups, **{"mshdc.tmp": merged("mshdc.inf")}),
             read_only={"mshdc.OR3"}, read_only_after={"mshdc.OR3": True},
             file_times=backup_times("mshdc.inf", oldest=3)),
        Case("win95-second-run", "win95",
             "A second run over updated files: backups .OR0 then .OR1, no line added twice",
             [success_run("win95"), success_run("win95")], dict(ALL_ORIGINALS), second_after,
             tree_after=purged_tree("95")),
        Case("win95-backup-rotation", "win95",
             "All ten backups taken: the oldest (.OR6) is deleted and takes the old file",
             [success_run("win95")], dict(ALL_ORIGINALS, **backups), rotated_after,
             tree_after=purged_tree("95"), file_times=backup_times("mshdc.inf", oldest=6)),
        Case("win95-missing-enum-pci", "win95",
             "No Enum\\PCI key: still the success box and the restart request; "
             "the rest of Enum untouched",
             [success_run("win95")], dict(ALL_ORIGINALS), plan3_after(),
             tree=dict(TREE_WITHOUT_PCI), tree_after=dict(TREE_WITHOUT_PCI)),
    ]
