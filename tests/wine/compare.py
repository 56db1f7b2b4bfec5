#!/usr/bin/env python3
"""Runs the same scenarios through the Linux build and through layrix.exe
under Wine, on the same files of one real Wine prefix, and compares what
they do.

The prefix is made once with wineboot; the simulators' registry keys (FS9,
FSX, FSX Steam Edition, Prepar3D v5) are written with Wine's own "reg add",
and the last scenarios take FS9 and FSX, then FSX Steam Edition, away again.  For every scenario the starting files
(scenery.cfg, scenery folders, BGL files, batch files, layrix.ini) are laid
out on drive C: of the prefix, the Linux build runs with WINEPREFIX pointing
at the prefix, the result is taken down (standard output bytes, exit code,
scenery.cfg, scenery.~cfg, folder trees with names, contents, read-only
state and carried last-write times), the starting files are laid out again,
and layrix.exe runs under Wine with the same arguments in the same folder.
The two results must be identical.  A scenario may give runs to make before
its own (the library's history: changes, undos, then the list of the kept
states); their output and exit codes are compared too, and the times that
the history shows and keeps, which differ from one build's run to the
other's, are masked.  (An .exe run that printed nothing at
all, not even the banner every run prints first, did not start under Wine:
it is run once more, and said so.)

Known, intended difference: the Linux build prints UTF-8 where the .exe
prints code page 1252 bytes to a pipe (a character 1252 lacks as "?"), so
the Linux build's output is taken through code page 1252 as the .exe would
print it, and the .exe's output converted from 1252, before the comparison.
Answers on standard input are given to the Linux build in UTF-8 and to the
.exe in code page 1252, as each build's users type them, unless a scenario
gives both the same UTF-8 bytes (both builds read UTF-8 and 1252 alike).
Files are compared byte for byte: scenery.cfg of Prepar3D v5 is UTF-8, the
others code page 1252.
Standard error is shown when it differs but is not compared: the wording of
system error texts belongs to each host.  The scenarios whose notes hold no
such text (a command that changed nothing and says why, what "-x 1"
removed) compare it too.

Then both builds run at the same time on one library, to show that they
take turns on it: rounds in which two layrix.exe runs and a stream of Linux
runs insert areas all at once must end with every area in the library, once;
and a run of either build that holds the library (a batch file waiting for
Enter) makes a run of the other build wait for it, or give up at once with
LockTimeout=0, changing nothing.

  compare.py --linux build/layrix --exe build-win64/layrix.exe
             [--wine /usr/lib/wine/wine64] [--only NAME] [--keep] [--verbose]

Exit code 0 when every scenario agrees, 1 when one differs, 2 when the
comparison could not be set up.
"""

import argparse
import difflib
import os
import random
import re
import shutil
import stat
import struct
import subprocess
import sys
import tempfile
import time

# Every starting file gets a whole-second last-write time before this one, so
# that a time carried by a copy or a rename can be told from a time set by
# writing a file during the run.
OLD_TIMES_BEFORE = 1262304000  # 2010-01-01 UTC
FIRST_START_TIME = 1136073600  # 2006-01-01 UTC

FSX_APPPATH = "C:\\Games\\Flight Simulator X"
FS9_APPPATH = "C:\\FS9"
FSX_SE_APPPATH = "C:\\Games\\FSX Steam Edition"
P3D5_APPPATH = "C:\\Games\\Prepar3D v5\\"
FSX_SE_CFG = "C:\\ProgramData\\Microsoft\\FSX-SE\\scenery.cfg"
P3D5_CFG = "C:\\ProgramData\\Lockheed Martin\\Prepar3D v5\\scenery.cfg"
TEMP_FOLDER = "C:\\Temp"
# Host folders below drive_c that scenarios lay out and that are compared.
ROOTS = ["FS9", "Games", "ProgramData/Microsoft/FSX", "ProgramData/Microsoft/FSX-SE",
         "ProgramData/Lockheed Martin", "Work", "Downloads", "Temp", "Mesh Ünterwelt", "Addons"]


# --------------------------------------------------------------- encodings

def cp1252(text):
    """Code page 1252 bytes of a text; the five undefined bytes map to the
    C1 controls U+0081 ... as Windows maps them."""
    out = bytearray()
    for ch in text:
        if ord(ch) in (0x81, 0x8D, 0x8F, 0x90, 0x9D):
            out.append(ord(ch))
        else:
            out += ch.encode("cp1252")
    return bytes(out)


def from_cp1252(data):
    return "".join(
        chr(b) if b in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else bytes([b]).decode("cp1252")
        for b in data)


def exe_output_as_utf8(data):
    return from_cp1252(data).encode("utf-8")


def linux_output_as_exe_prints_it(data):
    """The Linux build's UTF-8 output as the .exe writes the same text to a
    pipe, in code page 1252 with "?" for a character 1252 lacks, then as
    UTF-8 again for the comparison."""
    text = data.decode("utf-8", "replace")
    return "".join(ch if ord(ch) in (0x81, 0x8D, 0x8F, 0x90, 0x9D) or _in_cp1252(ch) else "?"
                   for ch in text).encode("utf-8")


def _in_cp1252(ch):
    try:
        ch.encode("cp1252")
        return True
    except UnicodeEncodeError:
        return False


# --------------------------------------------------------------- BGL files

def bgl_new(section_types):
    """A BGL file of the newer format (versions 9 and 10): header of 56
    bytes, then one 20-byte directory record per section."""
    header = bytearray(56)
    struct.pack_into("<HHi", header, 0, 0x0201, 0x1992, 56)
    struct.pack_into("<i", header, 20, len(section_types))
    body = b"".join(struct.pack("<i16x", t) for t in section_types)
    return bytes(header) + body + b"scenery data" * 4


def bgl_old(version, fields):
    """A BGL file of the older format: 168-byte header with non-zero values
    at the given offsets; version 6 or 7."""
    header = bytearray(168)
    struct.pack_into("<I", header, 118, 0 if version == 6 else 0x87654321)
    for offset in fields:
        struct.pack_into("<I", header, offset, 1)
    return bytes(header) + b"old scenery" * 3


# --------------------------------------------------------------- the prefix

class Prefix:
    def __init__(self, root, wine, verbose):
        self.root = root
        self.path = os.path.join(root, "prefix")
        self.home = os.path.join(root, "home")
        self.wine = wine
        self.wineserver = os.path.join(os.path.dirname(wine), "wineserver")
        self.verbose = verbose
        os.makedirs(self.home, exist_ok=True)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "TEMP", "TMP", "TMPDIR", "LANGUAGE")}
        env.update({
            "WINEPREFIX": self.path,
            "WINEDEBUG": "-all",
            # No Mono or Gecko installer dialogs while the prefix is made.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "HOME": self.home,
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "TZ": "UTC",
        })
        self.env = env

    def host(self, windows_path):
        """Host path of a path on drive C: ("C:\\x\\y" or "x\\y")."""
        rel = windows_path
        if len(rel) >= 2 and rel[1] == ":":
            if rel[0].lower() != "c":
                raise ValueError("only drive C: is laid out: " + windows_path)
            rel = rel[2:]
        rel = rel.replace("\\", "/").strip("/")
        return os.path.join(self.path, "drive_c", rel) if rel else os.path.join(self.path, "drive_c")

    def run_wine(self, args, timeout=600, check=True):
        # Output goes to files, not pipes: Wine's background processes may
        # inherit the handles and outlive the command.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run([self.wine] + args, env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            result.stdout = out.read()
            result.stderr = err.read()
        if check and result.returncode != 0:
            raise RuntimeError("wine %s failed (%d): %s" % (
                " ".join(args), result.returncode, result.stderr.decode("utf-8", "replace")))
        return result

    def create(self):
        start = time.time()
        self.run_wine(["wineboot", "-i"], timeout=900)
        self.wait_for_server()
        if not os.path.exists(os.path.join(self.path, "system.reg")):
            raise RuntimeError("wineboot made no registry in " + self.path)
        print("wine prefix made in %.0f s: %s" % (time.time() - start, self.path), flush=True)

    def reg_add(self, key, name, value, kind="REG_SZ"):
        self.run_wine(["reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], timeout=300)

    def reg_delete(self, key, name):
        self.run_wine(["reg", "delete", key, "/v", name, "/f"], timeout=300, check=False)

    def wait_for_server(self):
        """Waits until the wine server has ended, which writes the registry
        files that the Linux build reads."""
        subprocess.run([self.wineserver, "-w"], env=self.env, timeout=300)

    def keep_server(self):
        """Keeps one wine server and Wine's own background processes running
        for all scenarios.  They are started here with no console, since a
        background process that inherits a run's output pipe would keep that
        pipe open after the run has ended."""
        subprocess.run([self.wineserver, "-p"], env=self.env, timeout=60,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.run_wine(["cmd", "/c", "exit"], timeout=300)

    def stop_server(self):
        subprocess.run([self.wineserver, "-k"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wait_for_server()


SIM_KEY = "HKCU\\Software\\Microsoft\\Microsoft Games\\Flight Simulator\\"
FSX_SE_KEY = "HKCU\\Software\\Microsoft\\Microsoft Games\\Flight Simulator - Steam Edition\\10.0"
P3D5_KEY = "HKCU\\Software\\Lockheed Martin\\Prepar3D v5"
SHELL_FOLDERS = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"


def keeps_xattrs(prefix):
    """Whether the prefix's file system keeps the extended attribute in which
    Wine marks hidden files."""
    try:
        probe = prefix.host("C:\\xattr-probe")
        open(probe, "wb").close()
        os.setxattr(probe, "user.DOSATTRIB", b"0x2")
        os.remove(probe)
        return True
    except OSError:
        return False


SHELL_FOLDERS_USER = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
# Where the add-on packages of Prepar3D v5 are laid out: the user's shell
# folders as the prefix's registry names them (register() fills this in).
PACKAGE_PLACES = {}


def user_shell_folders(prefix):
    """The values of the user's "Shell Folders" key in the prefix's user.reg."""
    values, in_key = {}, False
    key = "[software\\\\microsoft\\\\windows\\\\currentversion\\\\explorer\\\\shell folders]"
    with open(os.path.join(prefix.path, "user.reg"), encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("["):
                in_key = line.lower().startswith(key)
            elif in_key and line.startswith('"') and '"="' in line:
                name, value = line.strip().split('"="', 1)
                values[name[1:]] = value[:-1].replace("\\\\", "\\")
    return values


def register(prefix):
    prefix.reg_add(SIM_KEY + "9.0", "AppPath", FS9_APPPATH)
    prefix.reg_add(SIM_KEY + "10.0", "AppPath", FSX_APPPATH)
    # Served where the setting Simulator= names them, or where FS9 and FSX
    # are not installed (the last scenarios take those away).
    prefix.reg_add(FSX_SE_KEY, "AppPath", FSX_SE_APPPATH)
    prefix.reg_add(P3D5_KEY, "AppPath", P3D5_APPPATH)
    prefix.reg_add(SHELL_FOLDERS, "Common AppData", "C:\\ProgramData")
    # Wine gives its programs TEMP and TMP from here, whatever the Linux
    # environment says; the Linux build is given the same value.
    prefix.reg_add("HKCU\\Environment", "TEMP", TEMP_FOLDER)
    prefix.reg_add("HKCU\\Environment", "TMP", TEMP_FOLDER)
    prefix.wait_for_server()
    # The shell folders Wine made for its user; any it left out are added.
    folders = user_shell_folders(prefix)
    for name, below in (("Local AppData", "AppData\\Local"), ("AppData", "AppData\\Roaming"),
                        ("Personal", "Documents")):
        if not folders.get(name, "").lower().startswith("c:\\"):
            folders[name] = "C:\\users\\Pilot\\" + below
            prefix.reg_add(SHELL_FOLDERS_USER, name, folders[name])
    prefix.wait_for_server()
    PACKAGE_PLACES.update(folders)
    for name, below in (("Local AppData", "Lockheed Martin"), ("AppData", "Lockheed Martin"),
                        ("Personal", "Prepar3D v5 Add-ons")):
        ROOTS.append(folders[name][3:].replace("\\", "/") + "/" + below)


# --------------------------------------------------------------- laying out files

class Layout:
    """Writes starting files below drive C: of the prefix, each with its own
    old whole-second last-write time."""

    def __init__(self, prefix, xattrs):
        self.prefix = prefix
        self.xattrs = xattrs
        self.clock = FIRST_START_TIME
        self.pending_modes = []

    def next_time(self):
        self.clock += 3607
        return self.clock

    def folder(self, path, hidden=False):
        host = self.prefix.host(path)
        os.makedirs(host, exist_ok=True)
        if hidden and self.xattrs:
            os.setxattr(host, "user.DOSATTRIB", b"0x2")

    def file(self, path, data, readonly=False, hidden=False, mtime=None):
        host = self.prefix.host(path)
        os.makedirs(os.path.dirname(host), exist_ok=True)
        if isinstance(data, str):
            data = cp1252(data)
        with open(host, "wb") as f:
            f.write(data)
        when = mtime if mtime is not None else self.next_time()
        os.utime(host, (when, when))
        if hidden and self.xattrs:
            os.setxattr(host, "user.DOSATTRIB", b"0x2")
        if readonly:
            self.pending_modes.append(host)

    def finish(self):
        for host in self.pending_modes:
            os.chmod(host, 0o444)
        self.pending_modes = []


def remove_tree(path):
    if not os.path.lexists(path):
        return
    if os.path.islink(path) or not os.path.isdir(path):
        os.chmod(path, 0o644) if not os.path.islink(path) else None
        os.remove(path)
        return
    for dirpath, dirnames, filenames in os.walk(path):
        os.chmod(dirpath, 0o755)
        for name in filenames:
            full = os.path.join(dirpath, name)
            if not os.path.islink(full):
                os.chmod(full, 0o644)
    shutil.rmtree(path)


def close_prefix(prefix, root, keep):
    """Ends the prefix's Wine server, and removes the folder `root` that
    holds the prefix unless it is to be kept."""
    try:
        prefix.stop_server()
    except Exception:
        pass
    if keep:
        print("prefix kept in " + root)
    else:
        remove_tree(root)


def clear_roots(prefix):
    for root in ROOTS:
        remove_tree(prefix.host(root))
    remove_tree(os.path.join(prefix.root, "outside"))


# --------------------------------------------------------------- the library

def area(number, title, local, layer, active=True, required=False, texture=False):
    text = "[Area.%03d]\r\nTitle=%s\r\n" % (number, title)
    if texture:
        text += "Texture_ID=1\r\n"
    text += "Local=%s\r\nLayer=%d\r\nActive=%s\r\nRequired=%s\r\n\r\n" % (
        local, layer, "TRUE" if active else "FALSE", "TRUE" if required else "FALSE")
    return text


GENERAL = ("[General]\r\nTitle=FS10 World Scenery\r\nDescription=FS10 Scenery Data\r\n"
           "Clean_on_Exit=TRUE\r\n\r\n")

FSX_AREAS = [
    (1, "Default Terrain", "Scenery\\World", 1, True, True, True),
    (2, "Default Scenery", "Scenery\\BASE", 2, True, True, False),
    (3, "Addon Scenery", "Addon Scenery", 3, True, False, False),
    (4, "Zürich Airport", "Addon Scenery\\Zürich Airport", 4, True, False, False),
    (5, "Old Stuff", FSX_APPPATH + "\\Addon Scenery\\Old Stuff", 6, True, False, False),
    (6, "Café Paris Œuvre", "ADDON SCENERY\\café paris", 5, False, False, False),
    (7, "Gone Airport", "Addon Scenery\\Gone", 7, True, False, False),
    (10, "MyAirport", "addon scenery\\myairport", 8, False, False, False),
    (11, "Mesh Ünterwelt", "C:\\MESH ÜNTERWELT", 9, True, False, False),
    (12, "Zero Layer", "Addon Scenery\\Zero", 0, True, False, False),
    (14, "Huge Layer", "Addon Scenery\\Huge", 40, False, False, False),
    (15, "Große Straße", "Addon Scenery\\Strasse", 10, False, False, False),
]


# The library with areas whose folders hold the simulator or are a drive root.
PROTECTED_AREAS = FSX_AREAS + [
    (16, "Whole Simulator", FSX_APPPATH, 11, True, False, False),
    (17, "Drive", "C:\\", 12, True, False, False),
]


def fsx_cfg(areas=FSX_AREAS):
    return GENERAL + "".join(area(*a) for a in areas)


FS9_CFG = ("[General]\r\nTitle=FS9 World Scenery\r\nDescription=FS9 Scenery Data\r\n"
           "Clean_on_Exit=TRUE\r\n\r\n"
           + area(1, "Default Terrain", "Scenery\\World", 1, True, True, True)
           + area(2, "Default Scenery", "Scenery\\BASE", 2, True, True)
           + area(3, "Addon Scenery", "Addon Scenery", 4, True)
           + area(5, "Gone", "Addon Scenery\\Gone", 3, False))


def lay_out_base(t):
    """The starting files every scenario shares: FSX with a small library of
    add-ons, FS9, a download folder to copy from, the current folder."""
    fsx = FSX_APPPATH
    for sub in ("Scenery\\World\\scenery", "Scenery\\BASE\\scenery", "Addon Scenery\\scenery",
                "Texture", "Effects"):
        t.folder(fsx + "\\" + sub)
    t.file("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg", fsx_cfg())
    zrh = fsx + "\\Addon Scenery\\Zürich Airport"
    t.file(zrh + "\\scenery\\ZRH_AF.bgl", bgl_new([3, 19]))          # 9: airport, VOR
    t.file(zrh + "\\scenery\\ZRH_Vector.BGL", bgl_new([3, 101]))     # 10: airport, vector
    t.file(zrh + "\\scenery\\ZRH_Objects.bgl", bgl_new([43]))        # 9: models
    t.file(zrh + "\\scenery\\traffic.bglx", bgl_new([3]))            # not a .bgl file
    t.file(zrh + "\\scenery\\Old.~bgl", bgl_new([3]))                # switched off before
    t.file(zrh + "\\scenery\\ReadOnly.bgl", bgl_new([3]), readonly=True)
    t.file(zrh + "\\texture\\ground.bmp", b"BM" + bytes(60))
    t.file(zrh + "\\Liesmich.txt", "Grüße aus Zürich\r\n")
    old = fsx + "\\Addon Scenery\\Old Stuff"
    t.file(old + "\\scenery\\old.bgl", bgl_old(7, [66, 46]))         # 7: airport, traffic
    t.file(old + "\\scenery\\mesh.bgl", bgl_old(6, [26]))            # 6: seeds
    t.file(old + "\\scenery\\locked.bgl", bgl_old(7, [66]), readonly=True)
    t.file(old + "\\scenery\\.hidden.bgl", bgl_old(7, [66]))
    t.file(old + "\\scenery\\Marked.bgl", bgl_old(7, [66]), hidden=True)
    t.file(old + "\\texture\\Sub Folder\\deep.bmp", b"BM" + bytes(20))
    t.folder(old + "\\Empty Folder")
    paris = fsx + "\\Addon Scenery\\Café Paris"
    t.file(paris + "\\scenery\\Paris.bgl", bgl_new([37]))
    t.file(paris + "\\scenery\\Œuvre.bgl", bgl_new([24]))
    my = fsx + "\\Addon Scenery\\MyAirport"
    t.file(my + "\\Scenery\\AP.BGL", bgl_old(7, [66]))
    t.file(my + "\\Scenery\\ap.txt", "notes")
    t.folder(fsx + "\\Addon Scenery\\Zero\\scenery")
    t.folder(fsx + "\\Addon Scenery\\Huge")                           # no scenery sub-folder
    t.file(fsx + "\\Addon Scenery\\Strasse\\scenery\\s.bgl", bgl_new([3]))
    t.file(old + "\\Hidden Folder\\inner\\h.bgl", bgl_new([3]))
    t.folder(old + "\\Hidden Folder", hidden=True)
    # New add-ons that "-ia" can find.
    t.file(fsx + "\\Addon Scenery\\New Äirfield\\scenery\\a.bgl", bgl_new([3]))
    t.file(fsx + "\\Addon Scenery\\new lower\\Scenery\\b.bgl", bgl_new([3]))
    t.file(fsx + "\\Addon Scenery\\.dotted\\scenery\\c.bgl", bgl_new([3]))
    t.folder(fsx + "\\Addon Scenery\\No Scenery Inside\\texture")
    for name in ("Zebra", "äpfel", "Apfel", "_Under", "[Bracket]", "Éclair", "eclair2", "Ωmega"):
        t.folder(fsx + "\\Addon Scenery\\" + name + "\\scenery")
    t.file("C:\\Mesh Ünterwelt\\scenery\\mesh.bgl", bgl_new([101]))
    # FS9.
    for sub in ("Scenery\\World\\scenery", "Scenery\\BASE\\scenery", "Addon Scenery\\scenery",
                "Texture", "Effects"):
        t.folder(FS9_APPPATH + "\\" + sub)
    t.file(FS9_APPPATH + "\\scenery.cfg", FS9_CFG)
    # A download to copy from.
    pack = "C:\\Downloads\\Pack Ü"
    t.file(pack + "\\scenery\\Pack.bgl", bgl_new([3]), mtime=FIRST_START_TIME + 500000)
    t.file(pack + "\\scenery\\Older.bgl", bgl_new([19]), mtime=FIRST_START_TIME - 500000)
    t.file(pack + "\\scenery\\ReadOnly.bgl", bgl_new([23]), readonly=True)
    t.file(pack + "\\scenery\\.hidden.bgl", bgl_new([23]))
    t.file(pack + "\\scenery\\Marked.bgl", bgl_new([23]), hidden=True)
    t.file(pack + "\\texture\\Tex Ä.bmp", b"BM" + bytes(30))
    t.file(pack + "\\Lies mich.txt", "Lies mich!\r\n")
    t.folder(pack + "\\Empty")
    t.file("C:\\Temp\\Src\\scenery\\tmp.bgl", bgl_new([3]))
    t.file("C:\\Work\\Local Scn\\scenery\\l.bgl", bgl_new([3]))
    t.folder("C:\\Work\\Empty Here")


def lay_out_newer_simulators(t):
    """FSX Steam Edition and Prepar3D v5, each with a small library of its
    own: relative and absolute folders, one gone, one to be found by "-ia"."""
    for app, cfg, title in ((FSX_SE_APPPATH, FSX_SE_CFG, "Steam Edition"),
                            (P3D5_APPPATH.rstrip("\\"), P3D5_CFG, "Prepar3D")):
        for sub in ("Scenery\\World\\scenery", "Scenery\\BASE\\scenery", "Addon Scenery\\scenery",
                    "Texture", "Effects"):
            t.folder(app + "\\" + sub)
        t.file(app + "\\Addon Scenery\\Küste\\scenery\\k.bgl", bgl_new([3]))
        t.file(app + "\\Addon Scenery\\Harbour\\scenery\\h.bgl", bgl_new([3, 37]))
        t.file(app + "\\Addon Scenery\\Harbour\\scenery\\old.bgl", bgl_old(7, [66]))
        t.file(cfg, "[General]\r\nTitle=%s World Scenery\r\nClean_on_Exit=TRUE\r\n\r\n" % title
               + area(1, "Default Terrain", "Scenery\\World", 1, True, True, True)
               + area(2, "Default Scenery", "Scenery\\BASE", 2, True, True)
               + area(3, "Addon Scenery", "Addon Scenery", 3, True)
               + area(4, "Küste", "addon scenery\\KÜSTE", 4, False)
               + area(5, "Gone", "Addon Scenery\\Gone", 5, True)
               + area(6, "Mesh Ünterwelt", "C:\\Mesh Ünterwelt", 6, True))
    t.file("C:\\Mesh Ünterwelt\\scenery\\mesh.bgl", bgl_new([101]))


P3D5_CFG_UTF8_AREAS = FSX_AREAS[:3] + [
    (4, "Zürich Airport", "Addon Scenery\\Zürich", 4, True, False, False),
    (5, "東京 Haneda", "Addon Scenery\\東京", 5, True, False, False),
    (6, "Đakovo", "Addon Scenery\\Đakovo", 6, False, False, False),
    (7, "Ωmega Field", "Addon Scenery\\Ωmega", 7, True, False, False),
    (8, "Köln Őrs", "ADDON SCENERY\\KÖLN", 8, True, False, False),
    (9, "Ελληνικά", "C:\\Mesh Ünterwelt", 9, True, False, False),
]


def lay_out_utf8_library(t):
    """Prepar3D v5 served (named in a layrix.ini saved in UTF-8 with the
    mark) with its library in UTF-8, as it writes it: titles and folders in
    several scripts, on disk in other letter cases (đAKOVO, köln), one folder
    gone (Ωmega), a title and folder an older installer wrote in code page
    1252 (Málaga), and an add-on that "-ia" finds (Ürümqi)."""
    lay_out_newer_simulators(t)
    app = P3D5_APPPATH.rstrip("\\")
    for sub in ("Zürich", "東京", "đAKOVO", "köln", "Málaga", "Ωmega Neu", "Ürümqi"):
        t.folder(app + "\\Addon Scenery\\" + sub + "\\scenery")
    t.file(app + "\\Addon Scenery\\東京\\scenery\\空港.bgl", bgl_new([3, 19]))
    t.file(app + "\\Addon Scenery\\東京\\scenery\\Ωbjects.BGL", bgl_new([37]))
    text = ("[General]\r\nTitle=Prepar3D World Scenery\r\nClean_on_Exit=TRUE\r\n\r\n"
            + "".join(area(*a) for a in P3D5_CFG_UTF8_AREAS)).encode("utf-8")
    text += ("[Area.010]\r\nTitle=M\xe1laga\r\nLocal=Addon Scenery\\M\xe1laga\r\nLayer=10\r\n"
             "Active=TRUE\r\nRequired=FALSE\r\n").encode("latin-1")
    t.file(P3D5_CFG, text)
    t.file("C:\\Work\\layrix.ini", b"\xef\xbb\xbf[Main]\r\nSimulator=P3Dv5\r\n")


BATCH_UTF8_FIND = (
    "-f \"addon scenery\\đAKOVO\" 1\r\n"
    "-f \"Addon Scenery\\KÖLN\" 0\r\n"
    "-ft \"ωMEGA FIELD\" 0\r\n"
    "-ft \"köln őRS\" 1\r\n"
    "-ft \"ΕΛΛΗΝΙΚΆ\" 0\r\n"
    "-ft \"málaga\" 0\r\n"
    "-v- -1 0 16383\r\n"
    "-f \"Addon Scenery\\東京\" 0\r\n"
    "-v- -1 9 1\r\n"
    "-l\r\n")

BATCH_UTF8_INSTALL = (
    "-i \"%b\" \"%u\" -1\r\n"
    "-ft \"%u\" 0\r\n"
    "-l\r\n")


def utf8_batch(name, text, mark=True):
    return lambda t: t.file("C:\\Work\\" + name, (b"\xef\xbb\xbf" if mark else b"") + text.encode("utf-8"))


def add_on_xml(name, components):
    """An add-on.xml; each component is (category, name, path, layer or None)."""
    text = ('<?xml version="1.0" encoding="UTF-8"?>\r\n<SimBase.Document Type="AddOnXml" '
            'version="4,0" id="add-on">\r\n  <AddOn.Name>%s</AddOn.Name>\r\n' % name)
    for category, title, path, layer in components:
        text += ("  <AddOn.Component>\r\n    <Category>%s</Category>\r\n    <Name>%s</Name>\r\n"
                 "    <Path>%s</Path>\r\n" % (category, title, path))
        if layer is not None:
            text += "    <Layer>%d</Layer>\r\n" % layer
        text += "  </AddOn.Component>\r\n"
    return text + "</SimBase.Document>\r\n"


def lay_out_packages(t):
    """Prepar3D v5's library with add-on packages of every kind: listed in
    each add-ons.cfg, discovered in Documents and in a listed discovery path,
    one off, one reached twice, one with a missing folder, one with a
    <Layer>, one on an area's folder (above it, and below it in another
    letter case), one in UTF-16, one malformed, a listed
    folder without add-on.xml, and one whose components' folders are
    written in other letter cases than the disk's (found, missing beside a
    folder of another name, without its "scenery" folder, through "..")."""
    lay_out_newer_simulators(t)
    places = PACKAGE_PLACES
    p3d = P3D5_APPPATH.rstrip("\\")

    def package_list(base, sections):
        t.file(base + "\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg", "".join(
            "[%s]\r\nPATH=%s\r\nTITLE=%s\r\nACTIVE=%s\r\nREQUIRED=false\r\n\r\n" % s for s in sections))

    package_list(places["Local AppData"], [("Package.0", "C:\\Addons\\Mesh", "Mesh", "true"),
                                           ("Package.1", "C:\\Addons\\Gone Pack", "Gone", "true")])
    package_list(places["AppData"], [("Package.0", "C:\\Addons\\Clouds\\", "Clouds", "false"),
                                     ("Package.1", "C:\\Addons\\Empty", "Empty", "true")])
    package_list("C:\\ProgramData", [("Package.0", "c:\\addons\\MESH", "Again", "true"),
                                     ("Package.1", "C:\\Addons\\Wide", "Wide", "true"),
                                     ("DiscoveryPath.0", "C:\\Addons\\More", "More", "true")])
    t.file("C:\\Addons\\Mesh\\add-on.xml", add_on_xml("Mesh", [("Scenery", "Mesh 10 m", "Mesh", 4),
                                                             ("Texture", "Tex", "Tex", None),
                                                             ("Scenery", "Mesh Base",
                                                              p3d + "\\scenery\\base", 2)]))
    t.folder("C:\\Addons\\Mesh\\Mesh\\scenery")
    t.file("C:\\Addons\\Gone Pack\\add-on.xml", add_on_xml("Gone", [("Scenery", "Gone", "Gone", None)]))
    t.file("C:\\Addons\\Clouds\\add-on.xml",
           add_on_xml("Clouds", [("Scenery", "Clouds", "C:\\Addons\\Clouds\\Clouds", None)]))
    t.folder("C:\\Addons\\Clouds\\Clouds\\scenery")
    t.folder("C:\\Addons\\Empty")
    t.file("C:\\Addons\\Wide\\add-on.xml",
           b"\xff\xfe" + add_on_xml("Wide", [("Scenery", "Wide", "Wide", None)]).encode("utf-16-le"))
    t.folder("C:\\Addons\\Wide\\Wide\\scenery")
    t.file("C:\\Addons\\More\\Island\\add-on.xml",
           add_on_xml("Island", [("Scenery", "Island", "Island", 2)]))
    t.folder("C:\\Addons\\More\\Island\\Island\\scenery")
    docs = places["Personal"] + "\\Prepar3D v5 Add-ons"
    t.file(docs + "\\Update\\add-on.xml", add_on_xml("Update", [
        ("Scenery", "Addon Update", p3d + "\\Addon Scenery", None),
        ("Scenery", "Mesh Again", "C:/Addons/Mesh/Mesh/", None)]))
    t.file(docs + "\\Broken\\add-on.xml", "<SimBase.Document>\r\n<AddOn.Name>x</AddOn.Name>\r\n")
    t.folder(docs + "\\Not A Package")
    t.file(docs + "\\Spelled\\add-on.xml", add_on_xml("Spelled", [
        ("Scenery", "Exact", "Exact", None), ("Scenery", "Other", "OTHER", None),
        ("Scenery", "Gone", "Gone", None), ("Scenery", "Half", "Half", None),
        ("Scenery", "Up", "..\\Shared\\Area", None)]))
    for folder in ("Exact\\scenery", "Other\\Scenery", "Gone Not\\scenery", "Half"):
        t.folder(docs + "\\Spelled\\" + folder)
    t.folder(docs + "\\Shared\\Area\\SCENERY")


def lay_out_component_layers(t):
    """lay_out_packages with one more package, discovered, whose component
    stands among the areas at layer 45, above the library's areas (1-6)."""
    lay_out_packages(t)
    docs = PACKAGE_PLACES["Personal"] + "\\Prepar3D v5 Add-ons"
    t.file(docs + "\\Layered\\add-on.xml", add_on_xml("Layered", [("Scenery", "Layered Airport",
                                                                      "Airport", 45)]))
    t.folder(docs + "\\Layered\\Airport\\scenery")


def lay_out_areas_above_component(t):
    """The same with areas at 50 and 80 above the component at 45, and keys
    another tool wrote, which -s carries with their areas."""
    lay_out_component_layers(t)
    app = P3D5_APPPATH.rstrip("\\")
    t.folder(app + "\\Addon Scenery\\High\\scenery")
    t.file(P3D5_CFG, "[General]\r\nTitle=Prepar3D World Scenery\r\nClean_on_Exit=TRUE\r\n"
           "CustomKey=abc\r\n\r\n"
           + area(1, "Default Terrain", "Scenery\\World", 1, True, True, True)
           + area(2, "Default Scenery", "Scenery\\BASE", 2, True, True)
           + area(3, "Higher", "Addon Scenery\\High", 80, True).replace(
               "\r\n\r\n", "\r\nMyTool_Tag=keep me\r\nTexture_ID=7\r\n\r\n")
           + area(4, "Küste", "addon scenery\\KÜSTE", 4, False)
           + area(5, "High", "Addon Scenery\\Harbour", 50, True)
           + area(6, "Addon Scenery", "Addon Scenery", 3, True))


# Keys that other tools and editors write, among those the program writes.
KEPT_KEYS_CFG = (
    "[General]\r\nCustomKey=abc\r\nTitle=FS10 World Scenery\r\nDescription=FS10 Scenery Data\r\n"
    "Clean_on_Exit=TRUE\r\n\r\n"
    "[Area.001]\r\nTitle=Default Terrain\r\nTexture_ID=9\r\nLocal=Scenery\\World\r\nLayer=1\r\n"
    "Active=TRUE\r\nRequired=TRUE\r\n\r\n"
    + area(2, "Default Scenery", "Scenery\\BASE", 2, True, True)
    + "[Area.003]\r\nTitle=Zürich Airport\r\nMyTool_Tag=keep me\r\nLocal=Addon Scenery\\Zürich Airport\r\n"
    "Layer=4\r\nActive=TRUE\r\nRequired=FALSE\r\nTexture_ID=7\r\nDescription=not read here\r\n\r\n"
    + area(4, "Addon Scenery", "Addon Scenery", 3, True)
    + "[Area.005]\r\nTitle=Gone\r\nLocal=Addon Scenery\\Gone\r\nLayer=5\r\nActive=TRUE\r\n"
    "Required=FALSE\r\nEditor.Note=; not a comment\r\nEmpty=\r\n\r\n")


def lay_out_library_of_packages(t):
    """Prepar3D v5's packages (lay_out_packages) under a library that lists
    the folder holding them ("All my addons", numbered above the count, as
    installers leave gaps for packages), a package component's folder, and a
    folder on a drive the prefix does not have; a listed package whose folder
    is gone."""
    lay_out_packages(t)
    lay_out_packages_listed_and_gone(t)
    areas = [
        (1, "Default Terrain", "Scenery\\World", 1, True, True, True),
        (2, "Default Scenery", "Scenery\\BASE", 2, True, True, False),
        (3, "Addon Scenery", "Addon Scenery", 3, True, False, False),
        (4, "Küste", "addon scenery\\KÜSTE", 4, False, False, False),
        (5, "All my addons", "C:\\Addons", 40, True, False, False),
        (6, "Mesh Pack", "C:\\Addons\\Mesh\\Mesh", 6, True, False, False),
        (7, "Ypres", MISSING_DRIVE_FOLDER, 7, True, False, False),
    ]
    t.file(P3D5_CFG, ("[General]\r\nTitle=Prepar3D World Scenery\r\nClean_on_Exit=TRUE\r\n\r\n"
                      + "".join(area(*a) for a in areas)).encode("utf-8"))
    t.file("C:\\Work\\layrix.ini", "[Main]\r\nSimulator=P3Dv5\r\n")


# A folder on a drive that no prefix has.
MISSING_DRIVE_FOLDER = "Q:\\Scenery Library\\Ypres"


def lay_out_packages_listed_and_gone(t):
    """LocalAppData's package list again, with a package whose folder is gone."""
    t.file(PACKAGE_PLACES["Local AppData"] + "\\Lockheed Martin\\Prepar3D v5\\add-ons.cfg",
           "[Package.0]\r\nPATH=C:\\Addons\\Mesh\r\nTITLE=Mesh\r\nACTIVE=true\r\n\r\n"
           "[Package.1]\r\nPATH=C:\\Addons\\Gone Pack\r\nTITLE=Gone\r\nACTIVE=true\r\n\r\n"
           "[Package.2]\r\nPATH=C:\\Addons\\Uninstalled\\\r\nTITLE=Uninstalled\r\nACTIVE=true\r\n")


def lay_out_haneda(t):
    """An add-on whose folder code page 1252 cannot name, beside one it can."""
    t.file(FSX_APPPATH + "\\Addon Scenery\\東京 Haneda\\scenery\\h.bgl", bgl_new([3]))


def lay_out_copy_target(t):
    """An existing destination for "-c": files newer, older and equal to the
    download's, a read-only one, one that is only in the destination."""
    dst = FSX_APPPATH + "\\Addon Scenery\\Pack"
    t.file(dst + "\\scenery\\PACK.bgl", b"older target", mtime=FIRST_START_TIME)
    t.file(dst + "\\scenery\\Older.bgl", b"newer target", mtime=FIRST_START_TIME + 900000)
    t.file(dst + "\\scenery\\ReadOnly.bgl", b"read-only target", readonly=True)
    t.file(dst + "\\scenery\\Only Here.bgl", b"stays or goes")
    t.file(dst + "\\OldSub\\old.txt", b"from the last version")


# --------------------------------------------------------------- scenarios

class Scenario:
    def __init__(self, name, args, stdin="", cwd="C:\\Work", extra=None, closed_stdin=False,
                 wine_fault=None, stdin_utf8=False, exe_args=None, before=None,
                 compare_err=False):
        self.name = name
        # When set: the words layrix.exe is given instead of `args`.  The
        # Linux build is given a folder as a host path ({drive_c} stands for
        # the host folder of drive C:, {z_drive_c} for it as a Z: path) and
        # must do what the .exe does with that folder's C: path.
        self.exe_args = exe_args
        # When set: runs of the same build before this one, each a list of
        # arguments; their output and exit codes are compared too, and the
        # times in every output and in the history's files are masked (the
        # two builds run at different moments).
        self.before = before
        # When set: standard error is compared too; the notes it holds are
        # the program's own words, with no system error text in them.
        self.compare_err = compare_err
        # When set: both builds are given the answers in UTF-8.
        self.stdin_utf8 = stdin_utf8
        # When set: why Wine, not layrix, makes the .exe act otherwise here.
        # A difference is then reported but not counted.
        self.wine_fault = wine_fault
        self.args = args
        self.stdin = stdin
        self.cwd = cwd
        self.extra = extra
        self.closed_stdin = closed_stdin


def ini(text, folder="C:\\Work"):
    return lambda t: t.file(folder + "\\layrix.ini", text)


def batch(name, text, folder="C:\\Work"):
    return lambda t: t.file(folder + "\\" + name, text)


def both(*fns):
    def run(t):
        for fn in fns:
            fn(t)
    return run


def replace_cfg(data):
    return lambda t: t.file("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg", data)


def readonly_backup(t):
    t.file("C:\\ProgramData\\Microsoft\\FSX\\scenery.~cfg", "old backup", readonly=True)


def link_in_tree(t):
    """A symbolic link to a folder outside the tree, inside a layer's folder."""
    link = t.prefix.host(FSX_APPPATH + "\\Addon Scenery\\Old Stuff\\scenery\\Linked")
    os.symlink(t.prefix.host("C:\\Downloads\\Pack Ü"), link)


def deep_tree(t):
    """A tree whose deepest paths are longer than MAX_PATH (260) once copied."""
    path = "C:\\Downloads\\Deep"
    for i in range(12):
        path += "\\Folder Number %02d Of A Deep Tree" % i
        t.file(path + "\\file%02d.bgl" % i, bgl_new([3]))


def large_files(t):
    """A download of files of a few megabytes: one of whole blocks, one of a
    size no block size divides (read-only), a hidden one and an empty one."""
    data = random.Random(19).randbytes(3 << 20)
    pack = "C:\\Downloads\\Photo"
    t.file(pack + "\\scenery\\Photo.bgl", data)
    t.file(pack + "\\scenery\\Odd Size.bgl", data[:1234] + data + data[:4321], readonly=True)
    t.file(pack + "\\texture\\Hidden.bmp", data[5:], hidden=True)
    t.file(pack + "\\texture\\Empty.bmp", b"")


def large_files_over_larger(t):
    """The same over an earlier copy whose files are larger than the new ones."""
    large_files(t)
    old = bytes(range(256)) * ((4 << 20) // 256)
    dst = FSX_APPPATH + "\\Addon Scenery\\Photo"
    for name in ("scenery\\Photo.bgl", "texture\\Hidden.bmp", "texture\\Empty.bmp"):
        t.file(dst + "\\" + name, old, mtime=FIRST_START_TIME)


def outside_folder(t):
    os.makedirs(os.path.join(t.prefix.root, "outside", "Sub Ä", "scenery"), exist_ok=True)


def readonly_cfg(t):
    path = t.prefix.host("C:\\ProgramData\\Microsoft\\FSX\\scenery.cfg")
    t.pending_modes.append(path)


BATCH_INSTALL = (
    "; an add-on installer's batch file\r\n"
    "-c \"C:\\Downloads\\Pack Ü\" \"%b\" 1\r\n"
    "-i \"%b\" \"%u\" -1   ; insert on top\r\n"
    "-ft \"%U\" 0\r\n"
    "-md -1\r\n"
    "-v- 4 0 1\r\n"
    "-p \"Press Enter to go on\"\r\n"
    "-G\r\n"
    "-b nested.txt\r\n"
    "-g a b c d\r\n"
    "-x 0\r\n"
    "\r\n"
    "-s\n")

BATCH_MAINTAIN = (
    "-f \"%a\\Old Stuff\" 0\r\n"
    "-r -1\r\n"
    "-r -1\r\n"
    "-ft \"café paris œuvre\" 1\r\n"
    "-mu -1\r\n"
    "-dt \"Gone Airport\"\r\n"
    "-a 8\r\n"
    "-t 4\r\n"
    "-d 9\r\n"
    "-i \"%a\\MyAirport\" \"Doppelt\" 3\r\n"
    "-i \"%c\\Local Scn\" \"Lokale Szenerie\" 2\r\n"
    "-c \"%p\\Src\" \"%a\\From Temp\" 0\r\n"
    "-ia \"%a\"\r\n"
    "-rf \"%a\\Zürich Airport\"\r\n"
    "-v+ 4 9 16383\r\n"
    "-x 1\r\n"
    "-s ; sort now\r\n"
    "-di\r\n")

BATCH_LIST = (
    "-l\r\n"
    "-t 4\r\n"
    "-mu 3\r\n"
    "-l\r\n"
    "-l all ; no argument\r\n"
    "-L\r\n"
    "-x 1\r\n"
    "-l\r\n")

# A library with every mark of the listing: equal layers, a negative one,
# the same folder in other letter cases, as "ß" for "ss" and with a soft
# hyphen (equal to the library, not to the disk), folders missing or without
# "scenery", required and switched-off areas, titles of 100 characters.
LIST_TITLE = ("Große Straße über Zürich, Café Œuvre " * 3)[:100]
LIST_AREAS = [
    (1, "Default Terrain", "Scenery\\World", 1, True, True, True),
    (2, "Default Scenery", "Scenery\\BASE", 2, True, True, False),
    (3, "Addon Scenery", "Addon Scenery", 3, True, False, False),
    (4, "Zürich Airport", "Addon Scenery\\Zürich Airport", 4, True, False, False),
    (5, "ZÜRICH AGAIN", "addon scenery\\ZÜRICH AIRPORT", 4, True, False, False),
    (6, LIST_TITLE, "Addon Scenery\\Strasse", 5, False, False, False),
    (7, "Straße", "Addon Scenery\\Straße", 6, True, False, False),
    (8, "MyAirport", "addon scenery\\myairport", 7, True, False, False),
    (9, "My Airport Hyphen", "Addon Scenery\\My\u00adAirport", 7, True, False, False),
    (10, "Gone", "Addon Scenery\\Gone", 8, True, False, False),
    (11, "Huge", "Addon Scenery\\Huge", 9, False, False, False),
    (12, "Required Gone", "Scenery\\Nowhere", 10, False, True, False),
    (13, "Minus", "Addon Scenery\\Zero", -3, True, False, False),
    (14, "Mesh", "C:\\MESH ÜNTERWELT", 11, True, False, False),
    (15, "Café " + LIST_TITLE, "Addon Scenery\\Café Paris", 12, True, False, False),
]

# A library of 9,000 add-ons in one folder: enough for the Linux build to
# look at the areas' folders on several threads.  Layers are shuffled; some
# folders are missing, some lack their "scenery" sub-folder, some are named
# in another letter case than the disk's, and some are listed twice.
MANY_AREAS = 9000


def many_local(i):
    if i % 83 == 0:
        return "ADDON SCENERY\\MANY %04d" % i
    if i % 79 == 0:
        return "addon scenery\\many %04d" % (i - 1)
    return "Addon Scenery\\Many %04d" % i


MANY_CFG = GENERAL + area(1, "Default Terrain", "Scenery\\World", 1, True, True, True) + "".join(
    area(i + 1, "Many %04d" % i, many_local(i), 1 + (i * 1237) % 9001, i % 13 != 0, False, False)
    for i in range(1, MANY_AREAS + 1))


def many_area_folders(t):
    for i in range(1, MANY_AREAS + 1):
        if i % 97 == 0:
            continue  # missing
        folder = FSX_APPPATH + "\\Addon Scenery\\Many %04d" % i
        t.folder(folder if i % 89 == 0 else folder + "\\scenery")


# Libraries as people have them.  An add-on pack whose own areas lie inside
# its folder, and the simulator's "Scenery" folder listed as an area:
# removing either would take the folders of other layers.
NESTED_AREAS = FSX_AREAS + [
    (16, "Local Scenery", "Scenery", 11, True, False, False),
    (17, "Pack Nest", "Addon Scenery\\Pack Nest", 12, True, False, False),
    (18, "Pack Nest Sub A", "Addon Scenery\\Pack Nest\\Sub A", 13, True, False, False),
    (19, "Pack Nest Sub B", "ADDON SCENERY\\PACK NEST\\sub b\\", 14, False, False, False),
]


def nested_pack(t):
    pack = FSX_APPPATH + "\\Addon Scenery\\Pack Nest"
    for sub in ("", "\\Sub A", "\\Sub B"):
        t.file(pack + sub + "\\scenery\\p.bgl", bgl_new([3]))


# Gaps in the layer numbers (the place of add-on packages), areas numbered 0
# and 500 whose folders are there, and one whose folder is gone.
GAP_AREAS = [
    (1, "Default Terrain", "Scenery\\World", 1, True, True, True),
    (2, "Default Scenery", "Scenery\\BASE", 2, True, True, False),
    (3, "Addon Scenery", "Addon Scenery", 3, True, False, False),
    (4, "Gone Airport", "Addon Scenery\\Gone", 4, True, False, False),
    (5, "Zürich Airport", "Addon Scenery\\Zürich Airport", 9, True, False, False),
    (6, "Zero Layer", "Addon Scenery\\Zero", 0, True, False, False),
    (7, "Große Straße", "Addon Scenery\\Strasse", 500, False, False, False),
]

EXAMPLE_UNINSTALLER = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                        "examples", "uninstall-addon.txt")).read()

# Lines a batch run skips or stops at, among lines that run.
SKIPPED_LINES = ("-list\r\n-t\r\n-d  5\r\n; a comment\r\n\r\n-f C:\\Nowhere 0\r\n-d -1\r\n"
                 "-md 1\r\n-s\r\n-b skipped.txt\r\n-mu 9999999999\r\n-s\r\n")

EXAMPLE_INSTALLER = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                      "examples", "install-addon.txt")).read()


def my_addon(t):
    t.file("C:\\Work\\MyAddon\\scenery\\a.bgl", bgl_new([3]))


BATCH_STOPS = (
    "-s\r\n"
    "-md 1\r\n"
    "-md zwei\r\n"
    "-s\r\n")


def scenarios():
    fsx = FSX_APPPATH
    addon = fsx + "\\Addon Scenery"
    s = [
        Scenario("usage", []),
        Scenario("g", ["-g"]),
        Scenario("g-upper", ["-G"]),
        Scenario("g-extra-word", ["-g", "extra"]),
        Scenario("unknown-option", ["-q"]),
        Scenario("f-relative-activate", ["-f", "Addon Scenery\\MyAirport", "1"]),
        Scenario("f-mixed-case-absolute", ["-f", "c:\\GAMES\\flight simulator x\\ADDON SCENERY\\zürich airport", "0"]),
        Scenario("f-relative-to-cwd", ["-f", "..\\Games\\Flight Simulator X\\Addon Scenery\\Café Paris", "1"]),
        Scenario("f-not-listed", ["-f", "Addon Scenery\\New Äirfield", "1"]),
        Scenario("ft-non-ascii-activate", ["-ft", "CAFÉ PARIS ŒUVRE", "1"]),
        Scenario("ft-missing", ["-ft", "Nowhere", "1"]),
        Scenario("s", ["-s"]),
        Scenario("md", ["-md", "5"]),
        Scenario("mu-hex", ["-mu", "0x3"]),
        Scenario("md-not-integer", ["-md", "abc"]),
        Scenario("i-top", ["-i", "%a\\New Äirfield", "Neues Feld", "-1"]),
        Scenario("i-layer", ["-i", addon + "\\new lower", "Lower", "2"]),
        Scenario("i-listed-already", ["-i", "Addon Scenery\\Zürich Airport", "Again", "-1"]),
        Scenario("i-missing-folder", ["-i", "C:\\Nowhere", "Nothing", "-1"]),
        Scenario("i-trailing-backslash", ["-i", "C:\\Downloads\\Pack Ü\\", "Pack", "-1"]),
        Scenario("i-five-words", ["-i", "%c\\Local Scn", "Local", "3", "extra"]),
        Scenario("d", ["-d", "4"]),
        Scenario("d-required", ["-d", "1"]),
        Scenario("dt", ["-dt", "café paris œuvre"]),
        Scenario("di", ["-di"]),
        Scenario("a", ["-a", "5"]),
        # Commands that change nothing say why on standard error.
        Scenario("a-no-area", ["-a", "99"], compare_err=True),
        Scenario("i-listed-already", ["-i", "%a\\old stuff", "Again", "-1"], compare_err=True),
        Scenario("i-no-scenery-folder", ["-i", "C:\\Downloads", "Downloads", "-1"], compare_err=True),
        Scenario("i-simulator-folder", ["-i", "%f", "Simulator", "-1"], compare_err=True),
        Scenario("x-other-word", ["-x", "abc"], compare_err=True),
        Scenario("no-ops-in-batch", ["-b", "noops.txt"], compare_err=True, extra=batch(
            "noops.txt", "-ia %a\r\n-ia %a\r\n-i \"%a\\Old Stuff\" \"Again\" -1\r\n-a 99\r\n"
            "-x 2\r\n")),
        # A message prints a "%" that is no variable as written.
        Scenario("p-percent", ["-b", "percent.txt"], stdin="\n\n\n", compare_err=True, extra=batch(
            "percent.txt", "-p \"Installing 50%\"\r\n-p \"100% in %f\"\r\n-p \"%u %\"\r\n")),
        # ExitCodes=strict: 2 for a command not taken, 3 for nothing to work on.
        Scenario("strict-done", ["-t", "4"], extra=ini("[Main]\r\nExitCodes=strict\r\n")),
        Scenario("strict-no-command", [], extra=ini("[Main]\r\nExitCodes=strict\r\n")),
        Scenario("strict-unknown-option", ["-list"], extra=ini("[Main]\r\nExitCodes=Strict\r\n")),
        Scenario("strict-no-folder", ["-i", "C:\\Nowhere", "x", "-1"],
                 extra=ini("[Main]\r\nExitCodes=strict\r\n")),
        Scenario("strict-no-batch-file", ["-b", "missing.txt"],
                 extra=ini("[Main]\r\nExitCodes=strict\r\n")),
        Scenario("strict-fault", ["-md", "abc"], extra=ini("[Main]\r\nExitCodes=strict\r\n")),
        Scenario("loose-unknown-option", ["-list"], extra=ini("[Main]\r\nExitCodes=loose\r\n")),
        Scenario("t", ["-t", "4"]),
        Scenario("x0", ["-x", "0"]),
        Scenario("x1", ["-x", "1"], compare_err=True),
        Scenario("c0", ["-c", "C:\\Downloads\\Pack Ü", "%a\\Pack", "0"], extra=lay_out_copy_target),
        Scenario("c1", ["-c", "C:\\Downloads\\Pack Ü", "%a\\Pack", "1"], extra=lay_out_copy_target),
        Scenario("c2", ["-c", "C:\\Downloads\\Pack Ü", "%a\\Pack", "2"], extra=lay_out_copy_target),
        Scenario("c3", ["-c", "C:\\Downloads\\Pack Ü", "%a\\Pack", "3"], extra=lay_out_copy_target),
        Scenario("c-new-target", ["-c", "c:\\downloads\\PACK ü", "%a\\Pack Neu", "1"]),
        Scenario("c-temp-var", ["-c", "%p\\Src", "%f\\Addon Scenery\\From Temp", "1"]),
        Scenario("c-bad-mode", ["-c", "C:\\Downloads\\Pack Ü", "%a\\Pack", "4"]),
        Scenario("c-missing-source", ["-c", "C:\\Downloads\\Nothing", "%a\\Pack", "1"]),
        Scenario("r", ["-r", "6"]),
        Scenario("r-required", ["-r", "1"]),
        Scenario("rf", ["-rf", "Addon Scenery\\Old Stuff"]),
        Scenario("rf-not-listed", ["-rf", "%a\\New Äirfield"]),
        Scenario("ia", ["-ia", "%a"]),
        Scenario("ia-mixed-case", ["-ia", "c:\\games\\FLIGHT SIMULATOR X\\addon scenery"]),
        Scenario("v-minus-all", ["-v-", "4", "0", "16383"]),
        Scenario("v-minus-airport-v9", ["-v-", "4", "9", "1"]),
        Scenario("v-minus-v10", ["-v-", "4", "10", "0x2000"]),
        Scenario("v-minus-old-format", ["-v-", "6", "7", "1"]),
        Scenario("v-plus", ["-v+", "4", "0", "16383"]),
        Scenario("v-minus-bad-filter", ["-v-", "4", "9", "16384"]),
        Scenario("v-minus-not-integer", ["-v-", "x", "9", "1"]),
        Scenario("v-minus-extension-setting", ["-v-", "4", "0", "16383"],
                 extra=ini("[Main]\r\nRenameExtension=.off\r\n")),
        Scenario("p", ["-p", "Hallo Welt"], stdin="\r\n"),
        Scenario("p-end-of-input", ["-p", "x"], closed_stdin=True),
        Scenario("fs9-forced", ["-g"], extra=ini("[Main]\r\nForceVersion=9\r\n")),
        Scenario("fsx-se-named-g", ["-g"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=FSX-SE\r\nForceVersion=9\r\n"))),
        Scenario("fsx-se-named-ia", ["-ia", "%a"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=fsx-se\r\n"))),
        Scenario("fsx-se-named-x1", ["-x", "1"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=FSX-SE\r\n"))),
        Scenario("p3d5-named-i", ["-i", "%a\\Harbour", "Harbour", "-1"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        Scenario("p3d5-named-v-minus", ["-v-", "4", "0", "16383"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=p3dV5\r\n"))),
        Scenario("p3d6-named-not-installed", ["-g"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=P3Dv6\r\n"))),
        # Prepar3D v5's add-on packages, listed and checked beside its areas.
        Scenario("p3d5-packages-l", ["-l"],
                 extra=both(lay_out_packages, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        Scenario("p3d5-packages-x0", ["-x", "0"],
                 extra=both(lay_out_packages, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        Scenario("p3d5-packages-x1", ["-x", "1"],
                 extra=both(lay_out_packages, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        # Package components with a <Layer> among the areas: -s keeps every
        # area on its side, -i ... -1 and -ia go above them all.
        Scenario("p3d5-component-layers-s", ["-s"],
                 extra=both(lay_out_areas_above_component, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        Scenario("p3d5-component-layers-i", ["-i", "%a\\Harbour", "Harbour", "-1"],
                 extra=both(lay_out_component_layers, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        Scenario("p3d5-component-layers-ia", ["-ia", "%a"],
                 extra=both(lay_out_component_layers, ini("[Main]\r\nSimulator=P3Dv5\r\n"))),
        # Keys the program does not use survive a save, and move with their
        # areas.
        Scenario("kept-keys-t", ["-t", "4"], extra=replace_cfg(KEPT_KEYS_CFG)),
        Scenario("kept-keys-s", ["-s"], extra=replace_cfg(KEPT_KEYS_CFG)),
        Scenario("kept-keys-x1", ["-x", "1"], extra=replace_cfg(KEPT_KEYS_CFG)),
        # A batch file that lists three times tells the packages' notes once.
        Scenario("p3d5-packages-three-listings", ["-b", "lists.txt"],
                 extra=both(lay_out_packages, ini("[Main]\r\nSimulator=P3Dv5\r\n"),
                            batch("lists.txt", "-l\r\n-l\r\n-x 0\r\n-l\r\n"))),
        Scenario("simulator-unknown", ["-g"],
                 extra=both(lay_out_newer_simulators, ini("[Main]\r\nSimulator=P3D v5\r\n"))),
        Scenario("fs9-x1-s", ["-x", "1"], extra=ini("[Main]\r\nForceVersion=9\r\n")),
        Scenario("fs9-i", ["-i", "%a", "Addon again", "-1"], extra=ini("[Main]\r\nForceVersion=9\r\n")),
        Scenario("readonly-cfg", ["-s"], extra=readonly_cfg),
        Scenario("percent-unknown", ["-f", "%q\\x", "0"]),
        Scenario("b-install", ["-b", "install.txt"], stdin="\n",
                 extra=batch("install.txt", BATCH_INSTALL.replace("%b", addon + "\\Pack Ü")
                             .replace("%u", "Pack Ü"))),
        Scenario("b-maintain", ["-b", "Maintain.TXT"], extra=batch("maintain.txt", BATCH_MAINTAIN)),
        Scenario("b-stops", ["-b", "stops.txt"], extra=batch("stops.txt", BATCH_STOPS)),
        Scenario("b-missing", ["-b", "missing.txt"]),
        Scenario("bu-four-words", ["-bu", "install.txt", "Pack Ü", "Schöner Titel"], stdin="\n",
                 extra=batch("install.txt", BATCH_INSTALL)),
        Scenario("bu-answers", ["-bu", "install.txt"], stdin="Paket Ä\r\nMein schönes Paket\r\n\r\n",
                 extra=batch("install.txt", BATCH_INSTALL)),
        Scenario("bu-answers-absolute", ["-bu", "install.txt", "ignored"],
                 stdin="C:\\Games\\Flight Simulator X\\Addon Scenery\\Pack Abs\nTitel\n\n",
                 extra=batch("install.txt", BATCH_INSTALL)),
        Scenario("bu-empty-answers", ["-bu", "install.txt"], stdin="\n\n\n",
                 extra=batch("install.txt", BATCH_INSTALL)),
        Scenario("bu-no-answers", ["-bu", "install.txt"], closed_stdin=True,
                 extra=batch("install.txt", BATCH_INSTALL)),
        Scenario("bu-missing", ["-bu", "missing.txt"], stdin="a\nb\n"),
        Scenario("cwd-elsewhere", ["-i", "%c", "Current", "-1"], cwd=addon + "\\Café Paris"),
        Scenario("cwd-outside-drive-c", ["-ia", "%c"], cwd="outside", extra=outside_folder),
        Scenario("f-relative-non-ascii-case", ["-f", "addon scenery\\ZÜRICH AIRPORT", "1"]),
        Scenario("ft-sharp-s", ["-ft", "GROSSE STRASSE", "1"]),
        Scenario("dt-sharp-s", ["-dt", "große straße"]),
        Scenario("cfg-utf8-bom", ["-s"], extra=replace_cfg(b"\xef\xbb\xbf" + fsx_cfg().encode("utf-8"))),
        # A library in UTF-8 with a mark keeps every letter, also beyond 1252.
        Scenario("cfg-utf8-bom-beyond-1252", ["-x", "1"], extra=replace_cfg(
            b"\xef\xbb\xbf" + fsx_cfg(FSX_AREAS + [(20, "Ωmega Ελλάς", "Addon Scenery\\Ωmega", 11,
                                                      True, False, False)]).encode("utf-8"))),
        # Prepar3D v5's library in UTF-8.
        Scenario("p3d5-utf8-l", ["-l"], extra=lay_out_utf8_library),
        Scenario("p3d5-utf8-x1", ["-x", "1"], extra=lay_out_utf8_library),
        Scenario("p3d5-utf8-s", ["-s"], extra=lay_out_utf8_library),
        Scenario("p3d5-utf8-ia", ["-ia", "%a"], extra=lay_out_utf8_library),
        Scenario("p3d5-utf8-find-batch", ["-b", "find.txt"],
                 extra=both(lay_out_utf8_library, utf8_batch("find.txt", BATCH_UTF8_FIND))),
        Scenario("p3d5-utf8-command-line", ["-i", "%a\\Ωmega Neu", "Ωmega Neu", "-1"],
                 extra=lay_out_utf8_library),
        Scenario("p3d5-utf8-bu-answers", ["-bu", "install.txt"], stdin_utf8=True,
                 stdin="Addon Scenery\\Ωmega Neu\r\nΩmega Neu 東京 Zürich\r\n",
                 extra=both(lay_out_utf8_library, utf8_batch("install.txt", BATCH_UTF8_INSTALL, False))),
        # FSX keeps code page 1252: what it cannot hold is stored as "?".
        Scenario("fsx-utf8-bu-answers", ["-bu", "install.txt"], stdin_utf8=True,
                 stdin="Addon Scenery\\Ωmega\r\nΩmega Zürich\r\n",
                 extra=utf8_batch("install.txt", BATCH_UTF8_INSTALL, False)),
        Scenario("fsx-utf8-batch-with-mark", ["-b", "find.txt"],
                 extra=utf8_batch("find.txt", "-f \"addon scenery\\ZÜRICH AIRPORT\" 1\r\n-ft \"große straße\" 1\r\n"
                                  "-i \"%a\\New Äirfield\" \"Zürich Süd Ω\" -1\r\n")),
        Scenario("fsx-utf8-batch-without-mark", ["-b", "find.txt"],
                 extra=utf8_batch("find.txt", "-f \"addon scenery\\ZÜRICH AIRPORT\" 1\r\n-ft \"große straße\" 1\r\n"
                                  "-i \"%a\\New Äirfield\" \"Zürich Süd\" -1\r\n", False)),
        Scenario("stock-library-x1", ["-x", "1"], extra=replace_cfg(STOCK_CFG)),
        Scenario("stock-library-s", ["-s"], extra=replace_cfg(STOCK_CFG)),
        Scenario("readonly-backup", ["-s"], extra=readonly_backup),
        # Wine 8 fault: MoveFileA("x\\zrh_af.bgl", "x\\zrh_af.BGL") on an existing
        # "ZRH_AF.bgl" returns TRUE but leaves the name as it was; Windows
        # changes the spelling, and so does the Linux build.
        Scenario("v-minus-case-only-extension", ["-v-", "4", "0", "16383"],
                 extra=ini("[Main]\r\nRenameExtension=.BGL\r\n"),
                 wine_fault="Wine's MoveFileA does not change only the letter case of a name"),
        Scenario("v-plus-extension-no-dot", ["-v+", "4", "0", "16383"],
                 extra=ini("[Main]\r\nRenameExtension=~bgl\r\n")),
        Scenario("i-trailing-dot", ["-i", "C:\\Downloads\\Pack Ü.", "Dot", "-1"]),
        Scenario("i-trailing-blank", ["-i", "C:\\Downloads\\Pack Ü ", "Blank", "-1"]),
        Scenario("i-forward-slashes", ["-i", "C:/Downloads/Pack Ü", "Slashes", "-1"]),
        Scenario("i-doubled-backslashes", ["-i", "C:\\\\Downloads\\\\Pack Ü", "Doubled", "-1"]),
        Scenario("i-dot-dot", ["-i", "C:\\Work\\..\\Downloads\\.\\Pack Ü", "Dots", "-1"]),
        Scenario("i-device-name", ["-i", "C:\\Work\\NUL", "Device", "-1"]),
        Scenario("c-long-paths", ["-c", "C:\\Downloads\\Deep", "%a\\Deep Copy", "1"], extra=deep_tree),
        # Files of a few megabytes: into a new folder, and over larger files.
        Scenario("c-large-files", ["-c", "C:\\Downloads\\Photo", "%a\\Photo", "1"], extra=large_files),
        Scenario("c-large-files-over-larger", ["-c", "C:\\Downloads\\Photo", "%a\\Photo", "1"],
                 extra=large_files_over_larger),
        # A symbolic link to a folder inside a layer's folder is neither entered
        # nor removed.
        Scenario("r-link-in-tree", ["-r", "6"], extra=link_in_tree),
        # Refused tree operations: each is told on standard error, and
        # nothing changes.
        Scenario("r-addon-folder", ["-r", "3"]),
        Scenario("r-simulator-folder", ["-r", "11"], extra=replace_cfg(fsx_cfg(PROTECTED_AREAS))),
        Scenario("r-drive-root", ["-r", "12"], extra=replace_cfg(fsx_cfg(PROTECTED_AREAS))),
        Scenario("c-into-own-source", ["-c", "C:\\Downloads\\Pack Ü", "C:\\Downloads\\Pack Ü\\Copy", "1"]),
        Scenario("c3-empties-addon-folder", ["-c", "C:\\Downloads\\Pack Ü", "%a", "3"]),
        # Destinations that can be no folder: a fault (exit code 1), and
        # nothing is left anywhere.
        Scenario("c-to-nul", ["-c", "C:\\Downloads\\Pack Ü", "NUL", "1"]),
        Scenario("c-to-con", ["-c", "C:\\Downloads\\Pack Ü", "CON", "1"]),
        Scenario("c-to-aux-with-extension", ["-c", "C:\\Downloads\\Pack Ü", "%a\\aux.txt", "1"]),
        Scenario("c-to-a-file", ["-c", "C:\\Downloads\\Pack Ü", "C:\\Temp\\Src\\scenery\\tmp.bgl", "1"]),
        Scenario("c-through-a-file", ["-c", "C:\\Downloads\\Pack Ü", "C:\\Temp\\Src\\scenery\\tmp.bgl\\x", "1"]),
        Scenario("c-to-proc", ["-c", "C:\\Downloads\\Pack Ü", "Z:\\proc\\layrix-compare", "1"]),
        # '/' separates like '\': stored and compared with backslashes.
        Scenario("f-forward-slashes", ["-f", "Addon Scenery/Zürich Airport", "1"]),
        Scenario("rf-forward-slashes", ["-rf", "Addon Scenery/Zürich Airport"]),
        Scenario("b-forward-slashes", ["-b", "slashes.txt"],
                 extra=batch("slashes.txt", "-i \"%a/New Äirfield\" \"Slash Feld\" -1\r\n"
                                            "-f \"Addon Scenery/New Äirfield\" 0\r\n"
                                            "-c \"C:/Downloads/Pack Ü\" \"%a/Pack Slash\" 1\r\n")),
        # The listing of the library.
        Scenario("l", ["-l"]),
        Scenario("l-upper", ["-L"]),
        Scenario("l-extra-word", ["-l", "all"]),
        Scenario("l-every-mark", ["-l"], extra=replace_cfg(fsx_cfg(LIST_AREAS))),
        Scenario("l-fs9", ["-l"], extra=ini("[Main]\r\nForceVersion=9\r\n")),
        Scenario("l-stock-library", ["-l"], extra=replace_cfg(STOCK_CFG)),
        Scenario("l-many-areas", ["-l"], extra=both(replace_cfg(MANY_CFG), many_area_folders)),
        Scenario("b-list", ["-b", "list.txt"], extra=batch("list.txt", BATCH_LIST)),
        # Libraries as people have them: removals refused where a folder holds
        # other layers' folders, gaps in the numbers, many areas, the example
        # installer started with -b, a folder typed without a drive.
        Scenario("r-nested-pack", ["-r", "12"], extra=both(replace_cfg(fsx_cfg(NESTED_AREAS)), nested_pack)),
        Scenario("r-local-scenery", ["-r", "11"], extra=both(replace_cfg(fsx_cfg(NESTED_AREAS)), nested_pack)),
        Scenario("rf-nested-pack", ["-rf", "%a\\PACK NEST\\"],
                 extra=both(replace_cfg(fsx_cfg(NESTED_AREAS)), nested_pack)),
        Scenario("c3-nested-pack", ["-c", "C:\\Downloads\\Pack Ü", "%a\\Pack Nest", "3"],
                 extra=both(replace_cfg(fsx_cfg(NESTED_AREAS)), nested_pack)),
        Scenario("r-nested-sub", ["-r", "13"], extra=both(replace_cfg(fsx_cfg(NESTED_AREAS)), nested_pack)),
        Scenario("l-nested", ["-l"], extra=both(replace_cfg(fsx_cfg(NESTED_AREAS)), nested_pack)),
        Scenario("x0-gaps", ["-x", "0"], extra=replace_cfg(fsx_cfg(GAP_AREAS))),
        Scenario("x1-gaps", ["-x", "1"], extra=replace_cfg(fsx_cfg(GAP_AREAS))),
        Scenario("i-top-gaps", ["-i", "%a\\New Äirfield", "Neues Feld", "-1"],
                 extra=replace_cfg(fsx_cfg(GAP_AREAS))),
        Scenario("ia-gaps", ["-ia", "%a"], extra=replace_cfg(fsx_cfg(GAP_AREAS))),
        Scenario("s-many-areas", ["-s"], extra=replace_cfg(MANY_CFG)),
        Scenario("f-full-path-of-relative", ["-f", "%a\\Zürich Airport\\", "1"]),
        # Add-on packages are never removed or emptied by the tree commands;
        # a drive that is not there holds a missing folder.
        Scenario("p3d5-rf-folder-of-packages", ["-rf", "C:\\Addons"], extra=lay_out_library_of_packages),
        Scenario("p3d5-r-folder-in-package", ["-r", "6"], extra=lay_out_library_of_packages),
        Scenario("p3d5-r-inside-component", ["-r", "4"], extra=lay_out_library_of_packages),
        Scenario("p3d5-c3-into-package", ["-c", "C:\\Downloads\\Pack Ü", "C:\\Addons\\Wide\\Wide", "3"],
                 extra=lay_out_library_of_packages),
        Scenario("p3d5-c3-holding-packages", ["-c", "C:\\Downloads\\Pack Ü", "C:\\Addons", "3"],
                 extra=lay_out_library_of_packages),
        Scenario("p3d5-r-missing-drive", ["-r", "7"], extra=lay_out_library_of_packages),
        Scenario("p3d5-rf-missing-drive", ["-rf", MISSING_DRIVE_FOLDER], extra=lay_out_library_of_packages),
        Scenario("c-to-missing-drive", ["-c", "C:\\Downloads\\Pack Ü", MISSING_DRIVE_FOLDER, "1"]),
        Scenario("p3d5-x0-gaps-gone-package", ["-x", "0"], extra=lay_out_library_of_packages),
        Scenario("p3d5-x1-gaps-gone-package", ["-x", "1"], extra=lay_out_library_of_packages),
        # An entry whose folder is gone is found (an uninstaller removes it).
        Scenario("f-gone-folder", ["-f", "%a\\GONE\\", "1"]),
        Scenario("rf-gone-folder", ["-rf", "Addon Scenery\\Gone"]),
        Scenario("i-gone-folder", ["-i", "Addon Scenery\\Gone", "Gone again", "-1"]),
        Scenario("b-uninstall-gone-folder", ["-b", "gone.txt"],
                 extra=batch("gone.txt", "-f \"%a\\Gone\" 0\r\n-d -1\r\n-f \"%a\\Never There\" 0\r\n-d -1\r\n")),
        # A folder code page 1252 cannot name is not added; a title is.
        Scenario("i-folder-1252-cannot-name", ["-i", "%a\\東京 Haneda", "Haneda", "-1"], extra=lay_out_haneda),
        Scenario("ia-folder-1252-cannot-name", ["-ia", "%a"], extra=lay_out_haneda),
        Scenario("b-title-1252-cannot-hold", ["-b", "title.txt"],
                 extra=utf8_batch("title.txt", "-i \"%a\\New Äirfield\" \"東京 Feld\" -1\r\n")),
        # A variable followed by '/' gives one backslash.
        Scenario("i-variable-slash", ["-i", "%a/New Äirfield", "Slash Feld", "-1"]),
        Scenario("b-variable-slash", ["-b", "slash.txt"],
                 extra=batch("slash.txt", "-i \"%a/New Äirfield\" \"Slash Feld\" -1\r\n")),
        # On Linux a host path, or a Z: path into drive C:, is the folder of
        # C: it names: the Linux build given it does what the .exe does with
        # the C: path.
        Scenario("i-host-path-listed", ["-i", "{drive_c}/Games/Flight Simulator X/Addon Scenery/Zürich Airport",
                                        "Twice", "-1"],
                 exe_args=["-i", FSX_APPPATH + "\\Addon Scenery\\Zürich Airport", "Twice", "-1"]),
        Scenario("i-host-path-new", ["-i", "{drive_c}/Games/Flight Simulator X/Addon Scenery/New Äirfield/",
                                     "Neu", "-1"],
                 exe_args=["-i", FSX_APPPATH + "\\Addon Scenery\\New Äirfield\\", "Neu", "-1"]),
        Scenario("f-z-path", ["-f", "{z_drive_c}\\Games\\Flight Simulator X\\Addon Scenery\\Zürich Airport", "0"],
                 exe_args=["-f", FSX_APPPATH + "\\Addon Scenery\\Zürich Airport", "0"]),
        Scenario("b-example-installer", ["-b", "install-addon.txt"],
                 extra=both(batch("install-addon.txt", EXAMPLE_INSTALLER), my_addon)),
        Scenario("bu-answer-without-drive", ["-bu", "install.txt"],
                 stdin="\\Downloads\\Neu\r\nTitel\r\n\r\n", extra=batch("install.txt", BATCH_INSTALL)),        # Mistakes: what is printed and saved stays as it was; the words
        # added on standard error are not compared.
        Scenario("d-minus-one-before-a-find", ["-d", "-1"]),
        Scenario("dt-not-listed", ["-dt", "Wrong Title"]),
        Scenario("t-without-layer", ["-t"]),
        Scenario("unknown-option-list", ["-list"]),
        Scenario("b-skipped-lines", ["-b", "skipped.txt"], extra=batch("skipped.txt", SKIPPED_LINES)),
        Scenario("bu-uninstall-not-listed", ["-bu", "uninstall.txt", "", "Wrong Title"],
                 extra=batch("uninstall.txt", EXAMPLE_UNINSTALLER)),
        Scenario("cfg-without-required", ["-l"], extra=replace_cfg(fsx_cfg().replace(
            "Layer=3\r\nActive=TRUE\r\nRequired=FALSE\r\n", "Layer=3\r\nActive=TRUE\r\n"))),
        # The library's history: runs in sequence (change, change, undo 2,
        # undo 1, a batch file, runs that change nothing), then the list of
        # the kept states; a short History=; a difference; a refused undo.
        Scenario("history-sequence", ["-hist"],
                 before=[["-t", "5"], ["-i", "%a\\New Äirfield", "Neues Feld", "-1"],
                         ["-undo", "2"], ["-undo"], ["-b", "hist.txt"],
                         ["-f", "Addon Scenery\\MyAirport", "0"], ["-a", "3"], ["-diff", "4"]],
                 extra=batch("hist.txt", "-t 4\r\n-undo 1\r\n-dt \"Gone Airport\"\r\n")),
        Scenario("history-limit", ["-hist"], before=[["-t", "4"]] * 6,
                 extra=ini("[Main]\r\nHistory=3\r\n")),
        Scenario("history-diff", ["-diff", "3"],
                 before=[["-t", "5"], ["-ia", "%a"], ["-f", "ADDON SCENERY\\zero", "0"], ["-mu", "4"]]),
        Scenario("history-undo-refused", ["-undo", "5"], before=[["-t", "4"], ["-t", "4"]]),
        Scenario("history-p3d5-utf8", ["-hist"], extra=lay_out_utf8_library,
                 before=[["-i", "%a\\Ωmega Neu", "Ωmega Neu", "-1"], ["-undo"], ["-diff", "2"]]),
    ]
    return s


# --------------------------------------------------------------- runs at the same time

FSX_CFG_HOST = "ProgramData/Microsoft/FSX/scenery.cfg"
BANNER = b"\r\n Layrix V1.1\r\n\r\n"
WAITING = b"another program is using the scenery library"


class Started:
    """A run that goes on beside the comparison.  Its output goes to files
    (see Prefix.run_wine), read afresh while it runs; its standard input is a
    pipe that stays open until finish()."""

    def __init__(self, command, prefix, args, cwd, extra_env, folder, label):
        env = dict(prefix.env)
        env.update(extra_env)
        self.out_path = os.path.join(folder, label + ".out")
        self.err_path = os.path.join(folder, label + ".err")
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.proc = subprocess.Popen(command + args, cwd=prefix.host(cwd), env=env,
                                         stdin=subprocess.PIPE, stdout=out, stderr=err)

    def output(self):
        with open(self.out_path, "rb") as f:
            return f.read()

    def error(self):
        with open(self.err_path, "rb") as f:
            return f.read()

    def wait_for(self, text, stream="out", timeout=120):
        """True once the output (or error) holds `text`; false when the run
        ended or the time ran out first."""
        read = self.output if stream == "out" else self.error
        deadline = time.time() + timeout
        while time.time() < deadline:
            if text in read():
                return True
            if self.proc.poll() is not None:
                return text in read()
            time.sleep(0.05)
        return False

    def running(self):
        return self.proc.poll() is None

    def finish(self, stdin=b"", timeout=300):
        try:
            self.proc.stdin.write(stdin)
            self.proc.stdin.close()
        except BrokenPipeError:
            pass
        code = self.proc.wait(timeout=timeout)
        return code, self.output(), self.error()

    def kill(self):
        if self.running():
            self.proc.kill()
        self.proc.wait(timeout=60)


def cfg_locals(prefix):
    """How often each Local folder (lower case) occurs in the FSX library."""
    with open(prefix.host(FSX_CFG_HOST), "rb") as f:
        text = from_cp1252(f.read())
    counts = {}
    for line in text.splitlines():
        if line.lower().startswith("local="):
            key = line[6:].lower()
            counts[key] = counts.get(key, 0) + 1
    return counts


def check_inserted(prefix, folders, problems):
    counts = cfg_locals(prefix)
    for folder in folders:
        if counts.get(folder.lower(), 0) != 1:
            problems.append("%s is in the library %d times, not once" % (
                folder, counts.get(folder.lower(), 0)))


def run_rounds_at_once(prefix, xattrs, linux_cmd, exe_cmd, linux_env, folder):
    """Rounds of two layrix.exe runs and, while they last, one Linux run
    after another, each inserting an area of its own."""
    problems = []
    lay_out(prefix, Scenario("at-once", []), xattrs)
    # Folders in the add-on folder, which the library keeps relative to the
    # simulator's folder.
    addon = FSX_APPPATH + "\\Addon Scenery\\"
    linux_limit = 300
    for n in range(linux_limit):
        os.makedirs(prefix.host(addon + "Linux %03d\\scenery" % n))
    rounds = 4
    exe_folders = ["Addon Scenery\\Exe %d-%d" % (r, k) for r in range(rounds) for k in range(3)]
    for f in exe_folders:
        os.makedirs(prefix.host(FSX_APPPATH + "\\" + f + "\\scenery"))
    linux_folders = []
    overlapped = 0
    for r in range(rounds):
        exes = [Started(exe_cmd, prefix, ["-i", addon + "Exe %d-%d" % (r, k), "Exe", "-1"],
                        "C:\\Work", {}, folder, "exe-%d-%d" % (r, k)) for k in range(3)]
        while any(e.running() for e in exes) and len(linux_folders) < linux_limit:
            target = "Addon Scenery\\Linux %03d" % len(linux_folders)
            env = dict(prefix.env)
            env.update(linux_env)
            proc = subprocess.run(linux_cmd + ["-i", FSX_APPPATH + "\\" + target, "Linux", "-1"], cwd=prefix.host("C:\\Work"),
                                  env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=300)
            linux_folders.append(target)
            # Started while an exe run was going (the loop's condition): it
            # overlapped one, also when it ended after them, having waited
            # for their lock.
            overlapped += 1
            if proc.returncode != 0 or proc.stdout != BANNER:
                problems.append("linux run for %s: exit %d, output %s, error %s" % (
                    target, proc.returncode, describe(proc.stdout), describe(proc.stderr)))
            time.sleep(0.01)
        for k, e in enumerate(exes):
            code, out, err = e.finish()
            if code != 0 or out != BANNER:
                problems.append("exe run %d-%d: exit %d, output %s, error %s" % (
                    r, k, code, describe(out), describe(err)))
    check_inserted(prefix, exe_folders + linux_folders, problems)
    if overlapped == 0:
        problems.append("no Linux run overlapped an exe run; nothing was shown")
    return problems, "%d exe and %d Linux runs, %d of them while an exe run was going" % (
        len(exe_folders), len(linux_folders), overlapped)


def run_held_by(holder_cmd, waiter_cmd, holder_env, waiter_env, prefix, xattrs, folder, label):
    """A run of one build holds the library; a run of the other build gives up
    at once with LockTimeout=0 and changes nothing, and another one waits,
    says so, and goes on once the holder has saved."""
    problems = []
    fsx = FSX_APPPATH + "\\Addon Scenery\\"

    def extra(t):
        for name in ("Held", "Refused", "Waited"):
            t.folder(fsx + name + "\\scenery")
        t.file("C:\\Work\\hold.txt", "-i \"%a\\Held\" \"Held\" -1\r\n-p holding\r\n")
        t.file("C:\\Work\\No Wait\\layrix.ini", "[Main]\r\nLockTimeout=0\r\n")

    lay_out(prefix, Scenario(label, [], extra=extra), xattrs)
    with open(prefix.host(FSX_CFG_HOST), "rb") as f:
        before = f.read()
    holder = Started(holder_cmd, prefix, ["-b", "hold.txt"], "C:\\Work", holder_env, folder,
                     label + "-holder")
    waiter = None
    try:
        if not holder.wait_for(b" holding\r\n"):
            problems.append("the holder did not get to its pause: %s %s" % (
                describe(holder.output()), describe(holder.error())))
            return problems, ""
        refused = Started(waiter_cmd, prefix, ["-i", fsx + "Refused", "Refused", "-1"],
                          "C:\\Work\\No Wait", waiter_env, folder, label + "-refused")
        code, out, err = refused.finish()
        with open(prefix.host(FSX_CFG_HOST), "rb") as f:
            unchanged = f.read() == before
        if code != 1 or out != BANNER or b"LockTimeout=0" not in err or not unchanged:
            problems.append("with LockTimeout=0: exit %d, output %s, error %s, library %s" % (
                code, describe(out), describe(err), "unchanged" if unchanged else "CHANGED"))
        waiter = Started(waiter_cmd, prefix, ["-i", fsx + "Waited", "Waited", "-1"], "C:\\Work",
                         waiter_env, folder, label + "-waiter")
        if not waiter.wait_for(WAITING, stream="err"):
            problems.append("the waiting run did not say it waits: exit %s, output %s, error %s" % (
                waiter.proc.poll(), describe(waiter.output()), describe(waiter.error())))
        elif not waiter.running():
            problems.append("the waiting run ended while the library was held")
        code, out, err = holder.finish(b"\r\n")
        if code != 0:
            problems.append("holder: exit %d, error %s" % (code, describe(err)))
        code, out, err = waiter.finish()
        if code != 0 or out != BANNER:
            problems.append("waiting run: exit %d, output %s, error %s" % (
                code, describe(out), describe(err)))
        # Both are kept relative to the simulator's folder.
        check_inserted(prefix, ["Addon Scenery\\Held", "Addon Scenery\\Waited"], problems)
        if cfg_locals(prefix).get("addon scenery\\refused"):
            problems.append("the refused run changed the library")
        return problems, "the waiting run said: " + err.decode("utf-8", "replace").strip()
    finally:
        holder.kill()
        if waiter:
            waiter.kill()


def run_at_the_same_time(prefix, xattrs, linux_cmd, exe_cmd, linux_env, only):
    """The checks of both builds at the same time on one library; returns
    the number that failed and the number run."""
    checks = [
        ("at-once", lambda folder: run_rounds_at_once(prefix, xattrs, linux_cmd, exe_cmd, linux_env,
                                                      folder)),
        ("held-by-linux", lambda folder: run_held_by(linux_cmd, exe_cmd, linux_env, {}, prefix,
                                                     xattrs, folder, "held-by-linux")),
        ("held-by-exe", lambda folder: run_held_by(exe_cmd, linux_cmd, {}, linux_env, prefix,
                                                   xattrs, folder, "held-by-exe")),
    ]
    failures = 0
    run = 0
    for name, check in checks:
        if only and name not in only:
            continue
        run += 1
        folder = tempfile.mkdtemp(prefix="layrix-at-once-")
        try:
            problems, note = check(folder)
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        if problems:
            failures += 1
            print("DIFFERENT %s" % name)
            for p in problems:
                print("    " + p)
        else:
            print("same      %s  (%s)" % (name, note))
        sys.stdout.flush()
    return failures, run


STOCK_CFG = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data",
                              "fsx-stock-scenery.cfg"), "rb").read()


# --------------------------------------------------------------- running

def snapshot(prefix, xattrs, mask_commands=False):
    """Everything a run may have changed below the compared folders.  With
    `mask_commands` the command line kept with each state is left out: the
    two builds were given the same folder in two spellings (exe_args)."""
    shot = {}
    for root in ROOTS:
        top = prefix.host(root)
        if not os.path.lexists(top):
            continue
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames.sort()
            rel_dir = os.path.relpath(dirpath, prefix.host(""))
            shot[rel_dir + "/"] = ("folder",)
            if xattrs and os.path.basename(dirpath) == ".layrix.history":
                try:
                    shot[rel_dir + "/"] = ("folder", os.getxattr(dirpath, "user.DOSATTRIB"))
                except OSError:
                    shot[rel_dir + "/"] = ("folder", b"")
            for name in sorted(filenames) + [d for d in dirnames if os.path.islink(os.path.join(dirpath, d))]:
                full = os.path.join(dirpath, name)
                rel = os.path.relpath(full, prefix.host(""))
                st = os.lstat(full)
                if stat.S_ISLNK(st.st_mode):
                    shot[rel] = ("link", os.readlink(full))
                    continue
                with open(full, "rb") as f:
                    data = f.read()
                readonly = (st.st_mode & 0o222) == 0
                mtime = st.st_mtime_ns if st.st_mtime < OLD_TIMES_BEFORE else "written during the run"
                attr = b""
                if xattrs:
                    try:
                        attr = os.getxattr(full, "user.DOSATTRIB")
                    except OSError:
                        attr = b""
                if "/.layrix.history/" in "/" + rel:
                    data = mask_times(data)
                    if mask_commands:
                        data = re.sub(rb"(?m)^Command=.*$", b"Command=<as given>", data)
                shot[rel] = ("file", data, "read-only" if readonly else "writable", mtime, attr)
    return shot


def lay_out(prefix, scenario, xattrs):
    clear_roots(prefix)
    t = Layout(prefix, xattrs)
    lay_out_base(t)
    if scenario.extra:
        scenario.extra(t)
    t.finish()


def host_path_args(prefix, args):
    drive_c = prefix.host("C:\\")
    z_drive_c = "Z:" + drive_c.replace("/", "\\")
    return [a.replace("{drive_c}", drive_c).replace("{z_drive_c}", z_drive_c) for a in args]


def run_program(command, prefix, scenario, stdin_bytes, extra_env, args=None):
    args = host_path_args(prefix, scenario.args if args is None else args)
    env = dict(prefix.env)
    env.update(extra_env)
    cwd = os.path.join(prefix.root, "outside") if scenario.cwd == "outside" else prefix.host(scenario.cwd)
    if scenario.closed_stdin:
        feed = {"stdin": subprocess.DEVNULL}
    else:
        feed = {"input": stdin_bytes}
    proc = subprocess.run(command + args, cwd=cwd, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120, **feed)
    return proc


def mask_times(data):
    """`data` with every time written as 2026-12-10 13:09:37 replaced."""
    return re.sub(rb"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", b"<time>", data)


def run_with_runs_before(command, prefix, scenario, stdin_bytes, extra_env, args=None):
    """run_program, after the scenario's runs before (if any): the output
    of all of them, each earlier one followed by its exit code."""
    earlier = b""
    for args in scenario.before or []:
        proc = run_program(command, prefix, Scenario(scenario.name, args, cwd=scenario.cwd), b"",
                           extra_env)
        earlier += proc.stdout + b"[exit %d]\r\n" % proc.returncode
    proc = run_program(command, prefix, scenario, stdin_bytes, extra_env, args)
    if scenario.before is not None:
        proc.stdout = mask_times(earlier + proc.stdout)
    return proc


def describe(value, limit=400):
    text = repr(value)
    return text if len(text) <= limit else text[:limit] + "..."


def text_diff(a, b, limit=30):
    """The lines that differ between two files' bytes (as 1252 text)."""
    lines = list(difflib.unified_diff(from_cp1252(a).splitlines(), from_cp1252(b).splitlines(),
                                      "linux", "exe", n=1, lineterm=""))
    if len(lines) > limit:
        lines = lines[:limit] + ["..."]
    return "\n".join("        " + line for line in lines)


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def compare_runs(name, linux, exe):
    problems = []
    if linux["exit"] != exe["exit"]:
        problems.append("exit code: linux %d, exe %d" % (linux["exit"], exe["exit"]))
    if linux["out"] != exe["out"]:
        at = first_difference(linux["out"], exe["out"])
        problems.append("standard output differs at byte %d:\n      linux: %s\n      exe:   %s" % (
            at, describe(linux["out"][max(0, at - 60):at + 120]),
            describe(exe["out"][max(0, at - 60):at + 120])))
    a, b = linux["files"], exe["files"]
    for path in sorted(set(a) | set(b)):
        if path not in b:
            problems.append("only after the linux run: %s" % path)
        elif path not in a:
            problems.append("only after the exe run: %s" % path)
        elif a[path] != b[path]:
            fa, fb = a[path], b[path]
            parts = []
            if fa[0] != fb[0]:
                parts.append("kind %s / %s" % (fa[0], fb[0]))
            else:
                labels = ["kind", "contents", "read-only state", "last-write time", "DOSATTRIB"]
                for i in range(1, len(fa)):
                    if i == 1 and fa[i] != fb[i]:
                        parts.append("contents differ:\n" + text_diff(fa[i], fb[i]))
                    elif fa[i] != fb[i]:
                        parts.append("%s: linux %s, exe %s" % (labels[i], describe(fa[i], 160),
                                                               describe(fb[i], 160)))
            problems.append("%s: %s" % (path, "; ".join(parts)))
    return problems


def stderr_note(linux, exe):
    if linux["err"] == exe["err"]:
        return None
    return "note: standard error differs (not compared)\n      linux: %s\n      exe:   %s" % (
        describe(linux["err"]), describe(exe["err"]))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--linux", default=os.path.join(here, "..", "..", "build", "layrix"))
    parser.add_argument("--exe", default=os.path.join(here, "..", "..", "build-win64", "layrix.exe"))
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--only", action="append", help="run only the scenarios named")
    parser.add_argument("--keep", action="store_true", help="keep the prefix folder")
    parser.add_argument("--verbose", action="store_true")
    opts = parser.parse_args()

    for label, path in (("Linux build", opts.linux), ("Windows build", opts.exe), ("wine", opts.wine)):
        if not os.path.isfile(path):
            print("compare: the %s is missing: %s" % (label, path), file=sys.stderr)
            return 2
    linux_cmd = [os.path.abspath(opts.linux)]
    exe_cmd = [opts.wine, os.path.abspath(opts.exe)]

    root = tempfile.mkdtemp(prefix="layrix-wine-")
    prefix = Prefix(root, opts.wine, opts.verbose)
    started = time.time()
    failures = 0
    try:
        prefix.create()
        register(prefix)
        xattrs = keeps_xattrs(prefix)
        if not xattrs:
            print("note: this file system keeps no extended attributes; hidden files are dot files only")
        prefix.keep_server()

        linux_env = {"TEMP": TEMP_FOLDER, "TMP": TEMP_FOLDER}

        def compare(scenario):
            """Runs one scenario through both builds; 1 when they differ."""
            lay_out(prefix, scenario, xattrs)
            proc = run_with_runs_before(linux_cmd, prefix, scenario, scenario.stdin.encode("utf-8"),
                                        linux_env)
            linux = {"exit": proc.returncode, "out": linux_output_as_exe_prints_it(proc.stdout),
                     "err": proc.stderr, "files": snapshot(prefix, xattrs, scenario.exe_args is not None)}
            answers = (scenario.stdin.encode("utf-8") if scenario.stdin_utf8
                       else cp1252(scenario.stdin))
            for attempt in (1, 2):
                lay_out(prefix, scenario, xattrs)
                proc = run_with_runs_before(exe_cmd, prefix, scenario, answers, {},
                                            scenario.exe_args)
                # Every run prints its banner first: an .exe that printed
                # nothing at all did not start under Wine (seen once in a
                # whole comparison).  It is run once more, and said so; one
                # that prints nothing twice is compared as it is.
                if proc.stdout or not linux["out"] or attempt == 2:
                    break
                print("note: %s: layrix.exe printed nothing under Wine (exit code %d); run again"
                      % (scenario.name, proc.returncode))
            exe = {"exit": proc.returncode, "out": exe_output_as_utf8(proc.stdout),
                   "err": exe_output_as_utf8(proc.stderr), "files": snapshot(prefix, xattrs, scenario.exe_args is not None)}
            problems = compare_runs(scenario.name, linux, exe)
            if scenario.compare_err and linux_output_as_exe_prints_it(linux["err"]) != exe["err"]:
                problems.append("standard error differs:\n      linux: %s\n      exe:   %s" % (
                    describe(linux["err"]), describe(exe["err"])))
            failed = 0
            if problems and scenario.wine_fault:
                print("WINE      %s  (%s): %s" % (scenario.name, " ".join(scenario.args),
                                                   scenario.wine_fault))
                for p in problems:
                    print("    " + p)
            elif problems:
                failed = 1
                print("DIFFERENT %s  (%s)" % (scenario.name, " ".join(scenario.args)))
                for p in problems:
                    print("    " + p)
            else:
                print("same      %s" % scenario.name)
            note = stderr_note(linux, exe)
            if note and (problems or opts.verbose):
                print("    " + note)
            if not problems and opts.verbose:
                sys.stdout.write(linux["out"].decode("utf-8", "replace"))
                sys.stdout.write(linux["err"].decode("utf-8", "replace"))
            sys.stdout.flush()
            return failed

        chosen = [s for s in scenarios() if not opts.only or s.name in opts.only]
        for scenario in chosen:
            failures += compare(scenario)
        total = len(chosen)

        at_once_failures, at_once_run = run_at_the_same_time(prefix, xattrs, linux_cmd, exe_cmd,
                                                             linux_env, opts.only)
        failures += at_once_failures

        # Without FS9 and FSX, FSX Steam Edition is served, and without it
        # too, Prepar3D v5.  The registry is changed with the server stopped,
        # so that the Linux build reads the files it leaves.
        for removed, phase in (
                ([(SIM_KEY + "9.0", "AppPath"), (SIM_KEY + "10.0", "AppPath")],
                 [Scenario("fsx-se-alone-g", ["-g"], extra=lay_out_newer_simulators),
                  Scenario("fsx-se-alone-ia", ["-ia", "%a"], extra=lay_out_newer_simulators),
                  Scenario("fsx-se-alone-fs9-forced", ["-g"],
                           extra=both(lay_out_newer_simulators, ini("[Main]\r\nForceVersion=9\r\n")))]),
                ([(FSX_SE_KEY, "AppPath")],
                 [Scenario("p3d5-alone-g", ["-g"], extra=lay_out_newer_simulators),
                  Scenario("p3d5-alone-x1", ["-x", "1"], extra=lay_out_newer_simulators)])):
            phase = [s for s in phase if not opts.only or s.name in opts.only]
            prefix.stop_server()
            for key, name in removed:
                prefix.reg_delete(key, name)
            prefix.wait_for_server()
            prefix.keep_server()
            for scenario in phase:
                failures += compare(scenario)
            total += len(phase)

        # A registry value of a type that is not a string stops both builds.
        prefix.stop_server()
        prefix.reg_delete(SIM_KEY + "10.0", "AppPath")
        prefix.reg_add(SIM_KEY + "10.0", "AppPath", "1", kind="REG_DWORD")
        prefix.wait_for_server()
        wrong = Scenario("registry-wrong-type", ["-g"])
        if not opts.only or wrong.name in opts.only:
            lay_out(prefix, wrong, xattrs)
            p1 = run_program(linux_cmd, prefix, wrong, b"", linux_env)
            p2 = run_program(exe_cmd, prefix, wrong, b"", {})
            linux = {"exit": p1.returncode, "out": linux_output_as_exe_prints_it(p1.stdout),
                     "err": p1.stderr, "files": {}}
            exe = {"exit": p2.returncode, "out": exe_output_as_utf8(p2.stdout),
                   "err": exe_output_as_utf8(p2.stderr), "files": {}}
            problems = compare_runs(wrong.name, linux, exe)
            if linux["exit"] != 1:
                problems.append("exit code %d, expected 1" % linux["exit"])
            if problems:
                failures += 1
                print("DIFFERENT %s" % wrong.name)
                for p in problems:
                    print("    " + p)
            else:
                print("same      %s" % wrong.name)
        total += at_once_run + 1
    except (RuntimeError, subprocess.TimeoutExpired, OSError) as error:
        print("compare: could not run the comparison: %s" % error, file=sys.stderr)
        return 2
    finally:
        close_prefix(prefix, root, opts.keep)
    print("%d of %d scenarios differ (%.0f s)" % (failures, total, time.time() - started))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
