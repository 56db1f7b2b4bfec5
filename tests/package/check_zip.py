#!/usr/bin/env python3
"""Checks a Windows zip of layrix: the exact list of members, the program's
target and the DLLs it needs, and the text files' line endings and contents.

    check_zip.py ZIP win64|win32 VERSION OBJDUMP

OBJDUMP is the MinGW objdump of the target, used to read the program's
imports.  Prints one line per fault and exits with 1 if there is any.
"""

import struct
import subprocess
import sys
import tempfile
import zipfile

# PE machine types.
MACHINES = {"win64": 0x8664, "win32": 0x014C}

# DLLs that every Windows has; anything else would have to be shipped.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "user32.dll", "shell32.dll"}


def pe_machine(data):
    if data[:2] != b"MZ" or len(data) < 0x40:
        return None
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if data[offset : offset + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, offset + 4)[0]


def imported_dlls(objdump, exe_bytes):
    with tempfile.NamedTemporaryFile(suffix=".exe") as f:
        f.write(exe_bytes)
        f.flush()
        text = subprocess.run([objdump, "-p", f.name], check=True, capture_output=True,
                              text=True).stdout
    return {line.split("DLL Name:")[1].strip().lower() for line in text.splitlines()
            if "DLL Name:" in line}


def main(argv):
    if len(argv) != 5 or argv[2] not in MACHINES:
        sys.exit(__doc__)
    path, target, version, objdump = argv[1:]
    top = f"layrix-{version}-{target}/"
    expected = {top + name for name in (
        "layrix.exe", "README.txt", "LICENSE.txt",
        "examples/install-addon.txt", "examples/uninstall-addon.txt")}
    faults = []

    with zipfile.ZipFile(path) as zf:
        bad = zf.testzip()
        if bad:
            faults.append(f"member {bad} is damaged")
        names = zf.namelist()
        if len(names) != len(set(names)):
            faults.append("a member is stored twice")
        missing = sorted(expected - set(names))
        extra = sorted(set(names) - expected)
        if missing:
            faults.append("missing: " + ", ".join(missing))
        if extra:
            faults.append("not expected: " + ", ".join(extra))
        data = {name: zf.read(name) for name in expected & set(names)}

    exe = data.get(top + "layrix.exe")
    if exe is not None:
        machine = pe_machine(exe)
        if machine != MACHINES[target]:
            faults.append(f"layrix.exe is not a {target} program (machine {machine!r})")
        else:
            foreign = sorted(imported_dlls(objdump, exe) - SYSTEM_DLLS)
            if foreign:
                faults.append("layrix.exe needs DLLs that Windows lacks: " + ", ".join(foreign))

    for name, text in data.items():
        if name.endswith(".exe"):
            continue
        if b"\n" not in text:
            faults.append(f"{name} is empty or one line")
        if text.replace(b"\r\n", b"").count(b"\n") or text.replace(b"\r\n", b"").count(b"\r"):
            faults.append(f"{name} has line ends other than CR LF")
        if any(b > 0x7E and b not in b"\r\n" for b in text):
            faults.append(f"{name} holds bytes outside ASCII")

    # Contents of the members that are there (a missing one is reported above).
    if top + "README.txt" in data:
        readme = data[top + "README.txt"].decode("ascii", "replace")
        # The guide for installer authors, then the whole manual.
        for needle in ("layrix.exe -bu install-addon.txt", "NAME", "OPTIONS", "EXIT STATUS",
                       "-v- layernum version filter", "LINUX AND WINE PREFIXES"):
            if needle not in readme:
                faults.append(f"README.txt lacks '{needle}'")
        if "\b" in readme or "\x1b" in readme:
            faults.append("README.txt holds terminal formatting")
    if top + "LICENSE.txt" in data:
        licence = data[top + "LICENSE.txt"].decode("ascii", "replace")
        if "MIT License" not in licence or "2026 the layrix authors" not in licence:
            faults.append("LICENSE.txt is not the project's MIT licence")
    for example in ("install-addon.txt", "uninstall-addon.txt"):
        if top + "examples/" + example not in data:
            continue
        with open(f"{sys.path[0]}/../../examples/{example}", "rb") as f:
            source = f.read()
        if data[top + "examples/" + example].replace(b"\r\n", b"\n") != source:
            faults.append(f"examples/{example} differs from the repository's")

    for fault in faults:
        print(f"{path}: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
