#!/usr/bin/env python3
"""Runs layrix.exe under Wine on a terminal, as a user's shell runs it, and
checks that letters beyond ASCII show on the terminal as those letters, also
those beyond code page 1252 from Prepar3D v5's UTF-8 library, and that
answers typed there reach scenery.cfg in the library's encoding (code page
1252 for FSX, UTF-8 for Prepar3D v5); the same runs through pipes and files
must give code page 1252 bytes, as compare.py checks them against the Linux
build.

The terminal is a pseudo-terminal.  Wine makes a console of it: each
standard handle on it is a console handle (GetConsoleMode succeeds), whose
code page is the OEM code page of the locale (437 under C.UTF-8), and the
console writes to the terminal in UTF-8, with escape sequences that show and
hide the cursor.  Text written or read in the console's code page instead of
the ANSI code page 1252 is only caught while the two differ; the console's
code page is read with "chcp" first, and a note says so when they do not.

  terminal.py --exe build-win64/layrix.exe [--wine /usr/lib/wine/wine64] [--keep]
              [--only CHECK]

Exit code 0 when every check passes, 1 when one fails, 2 when the checks
could not be set up.
"""

import argparse
import fcntl
import os
import pty
import re
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unicodedata

sys.dont_write_bytecode = True  # no __pycache__ left in the tests folder
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from compare import (BATCH_INSTALL, BATCH_UTF8_INSTALL, P3D5_CFG, Prefix, Scenario,  # noqa: E402
                     area, batch, both, close_prefix, cp1252, from_cp1252, keeps_xattrs, lay_out,
                     lay_out_utf8_library, register, snapshot, utf8_batch)

CFG = "ProgramData/Microsoft/FSX/scenery.cfg"
STREAMS = ("stdin", "stdout", "stderr")
# Control sequences of a terminal: CSI (cursor, erasing), OSC (window title)
# and character set choices.
ESCAPE = re.compile(rb"\x1b\[[0-9;?]*[ -/]*[@-~]"
                    rb"|\x1b\][^\x07\x1b]*(?:\x07|\x1b\\)"
                    rb"|\x1b[()][0-9A-Za-z]")


class Run:
    """What one run left: its exit code, what the terminal showed (escape
    sequences and carriage returns taken out, decoded from UTF-8), and the
    bytes of the standard streams that went to files."""

    def __init__(self, code, screen, stdout, stderr):
        self.code = code
        self.screen = screen
        self.stdout = stdout
        self.stderr = stderr


def screen_text(data):
    return ESCAPE.sub(b"", data).replace(b"\r", b"").decode("utf-8", "replace")


def console_takes_keys(master):
    """True once Wine's console has put the terminal out of line mode and
    reads its keys one by one.  It does so only when the program first
    reads; keys typed before would be echoed and edited by the terminal
    itself, and Enter would reach the console as Ctrl+J."""
    return not termios.tcgetattr(master)[3] & termios.ICANON


def run_exe(prefix, exe, args, cwd, on_terminal=(), typed=(), stdin_bytes=b"", timeout=120,
            columns=200):
    """Runs layrix.exe with the standard streams named in `on_terminal` on a
    new pseudo-terminal, which becomes its controlling terminal, and the
    others on files (standard input reads `stdin_bytes`).  `typed` is a list
    of (prompt, keys): the keys (a text, typed in UTF-8) are typed once the
    prompt has shown on the terminal since the last keys (any time when the
    prompt is None) and the console takes keys from the terminal.  The
    terminal is `columns` wide."""
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 60, columns, 0, 0))
    slave_name = os.ttyname(slave)
    files = {name: tempfile.TemporaryFile() for name in STREAMS}
    files["stdin"].write(stdin_bytes)
    files["stdin"].seek(0)
    streams = {name: (slave if name in on_terminal else files[name]) for name in STREAMS}

    def take_terminal():
        os.setsid()
        os.close(os.open(slave_name, os.O_RDWR))  # the first terminal opened is the controlling one

    try:
        proc = subprocess.Popen([prefix.wine, exe] + args, cwd=cwd, env=prefix.env,
                                stdin=streams["stdin"], stdout=streams["stdout"],
                                stderr=streams["stderr"], preexec_fn=take_terminal)
        os.close(slave)
        slave = None
        shown = b""
        since = 0
        pending = list(typed)
        deadline = time.time() + timeout
        ended_at = None
        while True:
            if time.time() > deadline:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
                raise RuntimeError("layrix.exe %s did not end within %d s; the terminal showed:\n%s"
                                   % (" ".join(args), timeout, screen_text(shown)))
            while pending and console_takes_keys(master) and (
                    pending[0][0] is None
                    or pending[0][0].encode("utf-8") in ESCAPE.sub(b"", shown[since:])):
                os.write(master, pending.pop(0)[1].encode("utf-8"))
                since = len(shown)
            ready, _, _ = select.select([master], [], [], 0.2)
            if ready:
                try:
                    data = os.read(master, 65536)
                except OSError:  # every end of the terminal is closed
                    data = b""
                if not data:
                    break
                shown += data
                continue
            if ended_at is None and proc.poll() is not None:
                ended_at = time.time()
            # The console may still be writing when the program has ended.
            if ended_at is not None and time.time() - ended_at > 1.5:
                break
        code = proc.wait()
        if pending:
            raise RuntimeError("layrix.exe %s ended before it asked for %r; "
                               "the terminal showed:\n%s"
                               % (" ".join(args), pending[0][0], screen_text(shown)))
        out = {}
        for name in ("stdout", "stderr"):
            files[name].seek(0)
            out[name] = files[name].read()
        return Run(code, screen_text(shown), out["stdout"], out["stderr"])
    finally:
        if slave is not None:
            os.close(slave)
        os.close(master)
        for f in files.values():
            f.close()


def console_code_page(prefix):
    """The code page Wine gives a console on a terminal, as "chcp" tells it."""
    master, slave = pty.openpty()
    try:
        proc = subprocess.Popen([prefix.wine, "cmd", "/c", "chcp"], env=prefix.env, stdin=slave,
                                stdout=slave, stderr=slave)
        os.close(slave)
        slave = None
        shown = b""
        deadline = time.time() + 120
        while time.time() < deadline:
            ready, _, _ = select.select([master], [], [], 0.2)
            if ready:
                try:
                    data = os.read(master, 4096)
                except OSError:
                    data = b""
                if not data:
                    break
                shown += data
            elif proc.poll() is not None and re.search(rb"\d+", shown):
                break
        proc.wait()
        found = re.search(r"(\d+)", screen_text(shown))
        return int(found.group(1)) if found else None
    finally:
        if slave is not None:
            os.close(slave)
        os.close(master)


def lines_in_order(expected, shown):
    """The first line of `expected` (not blank) that the terminal did not show
    at its place, in the order given; None when all were shown."""
    lines = shown.split("\n")
    at = 0
    for line in expected.replace("\r", "").split("\n"):
        if not line.strip():
            continue
        while at < len(lines) and lines[at] != line:
            at += 1
        if at == len(lines):
            return line
        at += 1
    return None


def show(text):
    return "\n".join("        | " + line for line in text.split("\n"))


# --------------------------------------------------------------- the checks

SEARCH_BATCH = "-ft \"Zürich Café\" 0\r\n"
BU_ANSWERS = ["Pack Ü", "Zürich Café", ""]
BU_PROMPTS = ["Enter scenery destination path", "Enter scenery title", "Press Enter to go on"]


def check_output(prefix, exe, xattrs):
    """A batch line with letters beyond ASCII: on the terminal they show as
    those letters; to a file they are code page 1252 bytes."""
    problems = []
    scenario = Scenario("terminal-output", ["-b", "p.txt"], extra=batch("p.txt", SEARCH_BATCH))
    cwd = prefix.host(scenario.cwd)
    lay_out(prefix, scenario, xattrs)
    term = run_exe(prefix, exe, scenario.args, cwd, on_terminal=STREAMS)
    lay_out(prefix, scenario, xattrs)
    files = run_exe(prefix, exe, scenario.args, cwd)
    if cp1252(" Searching for 'Zürich Café'...\r\n") not in files.stdout:
        problems.append("to a file, the search line is not the code page 1252 text:\n"
                        + show(repr(files.stdout)))
    missing = lines_in_order(from_cp1252(files.stdout), term.screen)
    if missing is not None or " Searching for 'Zürich Café'..." not in term.screen:
        problems.append("the terminal did not show %r; it showed:\n%s"
                        % (missing, show(term.screen)))
    if term.code != files.code:
        problems.append("exit code: on the terminal %d, to files %d" % (term.code, files.code))
    return problems


def check_error(prefix, exe, xattrs):
    """An error message on standard error, a terminal, while standard output
    goes to a file: the message shows as its letters, the file keeps the
    bytes that it gets when both go to files."""
    problems = []
    scenario = Scenario("terminal-error", ["-md", "Zürich"])
    cwd = prefix.host(scenario.cwd)
    lay_out(prefix, scenario, xattrs)
    term = run_exe(prefix, exe, scenario.args, cwd, on_terminal=("stderr",))
    lay_out(prefix, scenario, xattrs)
    files = run_exe(prefix, exe, scenario.args, cwd)
    message = from_cp1252(files.stderr).replace("\r", "").strip()
    if "'zürich'" not in message.lower():
        problems.append("the error does not name 'Zürich' in code page 1252: %r" % files.stderr)
    if term.screen.strip() != message:
        problems.append("the terminal showed:\n%s\n      and the error in the file is:\n%s"
                        % (show(term.screen), show(message)))
    if term.stdout != files.stdout:
        problems.append("standard output to a file differs when standard error is a terminal:\n"
                        "      %r\n      %r" % (term.stdout, files.stdout))
    return problems


def check_answers(prefix, exe, xattrs):
    """"-bu" answered on the terminal, once waiting for each prompt with
    everything on the terminal, once typing ahead with only standard input
    on it: the title typed as "Zürich Café" is stored in code page 1252, and
    the files are those of the same answers given through a pipe."""
    problems = []
    scenario = Scenario("terminal-answers", ["-bu", "install.txt"],
                        extra=batch("install.txt", BATCH_INSTALL))
    cwd = prefix.host(scenario.cwd)
    lay_out(prefix, scenario, xattrs)
    piped = run_exe(prefix, exe, scenario.args, cwd,
                    stdin_bytes=cp1252("".join(a + "\r\n" for a in BU_ANSWERS)))
    piped_files = snapshot(prefix, xattrs)
    title = cp1252("Title=Zürich Café\r\n")
    if title not in piped_files[CFG][1]:
        problems.append("through a pipe, scenery.cfg has no %r" % title)

    lay_out(prefix, scenario, xattrs)
    typed = [(prompt, answer + "\r") for prompt, answer in zip(BU_PROMPTS, BU_ANSWERS)]
    term = run_exe(prefix, exe, scenario.args, cwd, on_terminal=STREAMS, typed=typed)
    term_files = snapshot(prefix, xattrs)

    lay_out(prefix, scenario, xattrs)
    ahead = run_exe(prefix, exe, scenario.args, cwd, on_terminal=("stdin",),
                    typed=[(None, "".join(a + "\r" for a in BU_ANSWERS))])
    ahead_files = snapshot(prefix, xattrs)

    for label, run, files in (("waiting for the prompts", term, term_files),
                              ("typed ahead", ahead, ahead_files)):
        stored = [line for line in files.get(CFG, ("", b""))[1].split(b"\r\n")
                  if line.startswith(b"Title=Z")]
        if title not in files.get(CFG, ("", b""))[1]:
            problems.append("answered on the terminal (%s), scenery.cfg has %r, not %r"
                            % (label, stored, title))
        differ = [path for path in sorted(set(files) | set(piped_files))
                  if files.get(path) != piped_files.get(path)]
        if differ:
            problems.append("answered on the terminal (%s), %d files and folders are not as "
                            "after the piped run: %s" % (label, len(differ), ", ".join(
                                differ[:4] + (["..."] if len(differ) > 4 else []))))
        if run.code != piped.code:
            problems.append("exit code %d answered on the terminal (%s), %d through a pipe"
                            % (run.code, label, piped.code))
    # Standard output to a file is the same bytes, wherever the answers came from.
    if ahead.stdout != piped.stdout:
        problems.append("standard output to a file differs when the answers are typed:\n"
                        "      typed: %r\n      piped: %r" % (ahead.stdout, piped.stdout))
    for expected in (" Enter scenery title [New scenery]:", "Zürich Café",
                     " Searching for 'Zürich Café'..."):
        if expected not in term.screen:
            problems.append("the terminal did not show %r; it showed:\n%s"
                            % (expected, show(term.screen)))
            break
    return problems


def check_no_ansi_form(prefix, exe, xattrs):
    """A title typed with characters that code page 1252 lacks: each becomes
    one "?" (no look-alike such as "L" for "Ł"), also one beyond U+FFFF,
    which UTF-16 holds in two units; the letters 1252 has stay."""
    scenario = Scenario("terminal-no-ansi-form", ["-bu", "install.txt"],
                        extra=batch("install.txt", BATCH_INSTALL))
    lay_out(prefix, scenario, xattrs)
    typed = [(BU_PROMPTS[0], "Pack Neu\r"), (BU_PROMPTS[1], "Łódź ✈ \U0001F6EB €\r"),
             (BU_PROMPTS[2], "\r")]
    run_exe(prefix, exe, scenario.args, prefix.host(scenario.cwd), on_terminal=STREAMS, typed=typed)
    cfg = snapshot(prefix, xattrs).get(CFG, ("", b""))[1]
    expected = b"Title=?\xf3d? ? ? \x80\r\n"
    if expected not in cfg:
        stored = [line for line in cfg.split(b"\r\n")
                  if line.startswith(b"Title=") and b"?" in line]
        return ["scenery.cfg has %r, not %r" % (stored, expected)]
    return []


def check_utf8_library(prefix, exe, xattrs):
    """Prepar3D v5's library in UTF-8: the listing shows every letter on the
    terminal, Ω and 東京 included (to a file they are "?"), and a title typed
    at a "-bu" prompt with letters beyond code page 1252 is stored in UTF-8."""
    problems = []
    listing = Scenario("terminal-utf8-library", ["-l"], extra=lay_out_utf8_library)
    cwd = prefix.host(listing.cwd)
    lay_out(prefix, listing, xattrs)
    term = run_exe(prefix, exe, listing.args, cwd, on_terminal=STREAMS)
    files = run_exe(prefix, exe, listing.args, cwd)
    for shown in ("\u03a9mega Field", "\u6771\u4eac Haneda", "Addon Scenery\\\u6771\u4eac",
                  "\u0110akovo", "K\u00f6ln \u0150rs", "M\u00e1laga", "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac"):
        if shown not in term.screen:
            problems.append("the terminal did not show %r; it showed:\n%s" % (shown, show(term.screen)))
            break
    if cp1252(" 5  on   ?? Haneda") not in files.stdout:
        problems.append("to a file, the listing is not the code page 1252 text:\n" + show(repr(files.stdout)))

    install = Scenario("terminal-utf8-answers", ["-bu", "install.txt"],
                       extra=both(lay_out_utf8_library,
                                  utf8_batch("install.txt", BATCH_UTF8_INSTALL, False)))
    lay_out(prefix, install, xattrs)
    typed = [(BU_PROMPTS[0], "Addon Scenery\\\u03a9mega Neu\r"),
             (BU_PROMPTS[1], "\u03a9mega Neu \u6771\u4eac \U0001F6EB\r")]
    term = run_exe(prefix, exe, install.args, cwd, on_terminal=STREAMS, typed=typed)
    cfg = snapshot(prefix, xattrs).get(P3D5_CFG.replace("C:\\", "").replace("\\", "/"), ("", b""))[1]
    expected = "Title=\u03a9mega Neu \u6771\u4eac \U0001F6EB\r\nLocal=Addon Scenery\\\u03a9mega Neu\r\n"
    if expected.encode("utf-8") not in cfg:
        stored = [line for line in cfg.split(b"\r\n") if line.startswith(b"Title=")]
        problems.append("scenery.cfg has the titles %r, not %r" % (stored, expected))
    # (Wine's console shows a character beyond U+FFFF as two replacement
    # characters, also when it echoes the keys typed: only the others count.)
    if "Searching for '\u03a9mega Neu \u6771\u4eac " not in term.screen:
        problems.append("the terminal did not show the title searched for; it showed:\n%s"
                        % show(term.screen))
    return problems


def columns_of(text):
    """The columns a line takes on a terminal: East Asian wide and fullwidth
    characters two, combining marks none."""
    return sum(0 if unicodedata.combining(c) else
               2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def lay_out_long_area(t):
    """An area of Prepar3D v5's UTF-8 library whose title and folder make its
    row wider than 80 columns."""
    with open(t.prefix.host(P3D5_CFG), "ab") as cfg:
        cfg.write(area(20, "\u6771\u4eac \u7fbd\u7530 International Airport and Harbour",
                       "Addon Scenery\\\u6771\u4eac International Airport and Harbour\\Terminal",
                       11).encode("utf-8"))


def check_listing_fits(prefix, exe, xattrs):
    """"-l" on an 80-column console: every row of the listing is written
    whole within 80 columns (the console wraps nothing), titles cut and
    folders shortened with an ellipsis, the folders in one column also after
    a title in Japanese; to a file the listing keeps every character."""
    problems = []
    listing = Scenario("terminal-listing-fits", ["-l"],
                       extra=both(lay_out_utf8_library, lay_out_long_area))
    cwd = prefix.host(listing.cwd)
    lay_out(prefix, listing, xattrs)
    term = run_exe(prefix, exe, listing.args, cwd, on_terminal=STREAMS, columns=80)
    files = run_exe(prefix, exe, listing.args, cwd)
    rows = [line for line in from_cp1252(files.stdout).split("\r\n")
            if "  on   " in line or "  off  " in line]
    shown = [line.rstrip() for line in term.screen.split("\n")
             if "  on   " in line or "  off  " in line]
    if len(shown) != len(rows):
        problems.append("the terminal showed %d rows of the listing, not %d (wrapped?):\n%s"
                        % (len(shown), len(rows), show(term.screen)))
    wide = [line for line in shown if columns_of(line) > 80]
    if wide:
        problems.append("rows wider than 80 columns:\n%s" % show("\n".join(wide)))
    if not any("\u2026" in line for line in shown) or not any(columns_of(line) > 80 for line in rows):
        problems.append("nothing was cut, or the listing to a file is not wider than the console:\n%s"
                        % show(term.screen))
    starts = set()
    for line in shown:
        at = line.find("  Addon Scenery\\")
        if at >= 0:
            starts.add(columns_of(line[:at]))
    if len(starts) > 1:
        problems.append("the folders start in columns %s:\n%s" % (sorted(starts), show(term.screen)))
    return problems


CHECKS = [("terminal-output", check_output), ("terminal-error", check_error),
          ("terminal-answers", check_answers), ("terminal-no-ansi-form", check_no_ansi_form),
          ("terminal-utf8-library", check_utf8_library),
          ("terminal-listing-fits", check_listing_fits)]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exe",
                        default=os.path.join(here, "..", "..", "build-win64", "layrix.exe"))
    parser.add_argument("--wine", default="/usr/lib/wine/wine64")
    parser.add_argument("--keep", action="store_true", help="keep the prefix folder")
    parser.add_argument("--only", action="append", help="run only the checks named")
    opts = parser.parse_args()
    for label, path in (("Windows build", opts.exe), ("wine", opts.wine)):
        if not os.path.isfile(path):
            print("terminal: the %s is missing: %s" % (label, path), file=sys.stderr)
            return 2
    exe = os.path.abspath(opts.exe)

    root = tempfile.mkdtemp(prefix="layrix-terminal-")
    prefix = Prefix(root, opts.wine, False)
    started = time.time()
    failures = 0
    try:
        prefix.create()
        register(prefix)
        xattrs = keeps_xattrs(prefix)
        prefix.keep_server()
        page = console_code_page(prefix)
        if page is None or page == 1252:
            print("note: a console on a terminal uses code page %s here, not one other than "
                  "the program's 1252, so text taken through the wrong one is not caught" % page)
        else:
            print("a console on a terminal uses code page %d; the program's text is in 1252" % page)
        chosen = [(name, check) for name, check in CHECKS if not opts.only or name in opts.only]
        for name, check in chosen:
            try:
                problems = check(prefix, exe, xattrs)
            except RuntimeError as error:  # a run that hung or ended before a prompt
                problems = [str(error)]
            if problems:
                failures += 1
                print("FAILED    %s" % name)
                for p in problems:
                    print("    " + p)
            else:
                print("passed    %s" % name)
            sys.stdout.flush()
    except (RuntimeError, subprocess.TimeoutExpired, OSError) as error:
        print("terminal: could not run the checks: %s" % error, file=sys.stderr)
        return 2
    finally:
        close_prefix(prefix, root, opts.keep)
    print("terminal checks took %.0f s" % (time.time() - started))
    print("terminal: %d passed, %d failed" % (len(chosen) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
