#!/usr/bin/env python3
"""Writes a zip archive for Windows users from a list of members.

    make_zip.py ARCHIVE TIMESTAMP MEMBER=SOURCE[:text] ...

Each member is stored under its name in the archive (forward slashes) with
the bytes of SOURCE; members marked ":text" get Windows line endings (every
LF that is not preceded by CR becomes CR LF), since Notepad of older Windows
shows a file with bare LF endings as one line.  Every member carries the
same time (TIMESTAMP, seconds since 1970, UTC) and no attributes, as a zip
made on Windows, so that the same sources always give the same archive byte
for byte.
"""

import sys
import time
import zipfile


def windows_line_endings(data: bytes) -> bytes:
    return data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")


def main(argv):
    if len(argv) < 4:
        sys.exit("usage: make_zip.py ARCHIVE TIMESTAMP MEMBER=SOURCE[:text] ...")
    archive, stamp = argv[1], int(argv[2])
    # The zip format keeps local times from 1980 on, to two seconds.
    when = time.gmtime(max(stamp, 315532800))[:6]
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as zf:
        for member in argv[3:]:
            name, _, source = member.partition("=")
            is_text = source.endswith(":text")
            if is_text:
                source = source[: -len(":text")]
            if not name or not source:
                sys.exit(f"make_zip.py: bad member '{member}' (use NAME=SOURCE[:text])")
            with open(source, "rb") as f:
                data = f.read()
            if is_text:
                data = windows_line_endings(data)
            info = zipfile.ZipInfo(name, date_time=when)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS/Windows: attributes in the low byte
            info.external_attr = 0
            zf.writestr(info, data)


if __name__ == "__main__":
    main(sys.argv)
