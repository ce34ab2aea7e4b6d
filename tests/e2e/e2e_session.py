#!/usr/bin/env python3
"""The end-to-end harness: a session that runs the real programs of a build tree under Wine,
inspects them from outside, reads the registry and takes screenshots.

A test file holds cases, functions of one Session, and ends with

    if __name__ == "__main__":
        sys.exit(e2e_session.main(CASES))        # CASES: {"name": case, ...}

and is run as  FILE.py BUILD_DIR CASE  at the DPI of INKVANE_DPI (its own Wine prefix), on
the test suite's display (or a private Xvfb). Screenshots are kept in BUILD_DIR/e2e-artifacts.
The session ends every program it started, also after a failed check.

Run as a file itself, this module checks its own registry helper:
    e2e_session.py BUILD_DIR registry-view
"""
import json
import os
import re
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
WINE_RUN = HERE.parent / "wine-run.sh"


def muldiv(value, dpi):
    """The platform's MulDiv(value, dpi, 96): nearest, halves away from zero."""
    product = value * dpi
    return (product + 48) // 96 if product >= 0 else -((-product + 48) // 96)


def missing_key(result):
    """Whether a failed reg.exe run said that the key does not exist."""
    return "unable to find" in result.stdout.lower()


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def near(colour, expected, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def pe_arch(exe):
    """"i686" or "x86_64": the machine a Windows program is built for, from its PE header."""
    data = Path(exe).read_bytes()
    offset = int.from_bytes(data[0x3C:0x40], "little")
    machine = int.from_bytes(data[offset + 4:offset + 6], "little")
    return {0x14C: "i686", 0x8664: "x86_64"}[machine]


def registry_view(arch):
    """The reg.exe option for the registry view that a program of ARCH writes without asking
    for one: an i686 build the 32-bit view (HKLM\\Software\\WOW6432Node\\... as 64-bit tools
    see it), an x86_64 build the 64-bit view."""
    return "/reg:32" if arch == "i686" else "/reg:64"


class Session:
    def __init__(self, build, dpi):
        self.build = Path(build).resolve()
        self.dpi = dpi
        self.arch = pe_arch(self.build / "InkvaneSetup.exe")
        self.env = dict(os.environ, INKVANE_DPI=str(dpi))
        self.xvfb = None
        # INKVANE_PREFIX: a prefix of its own beside the suite's (see wine-run.sh).
        self.prefix_tag = self.env.get("INKVANE_PREFIX", "")
        suite_display = self.build / "wine" / "suite" / "display"
        if suite_display.exists() and not self.prefix_tag:
            self.env["DISPLAY"] = suite_display.read_text().strip()
        elif not self.env.get("DISPLAY"):
            # Xvfb picks a free display number itself and writes it once it listens; a number
            # chosen here could be another program's screen by then.
            read_end, write_end = os.pipe()
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                          "1920x1080x24", "-nolisten", "tcp"], pass_fds=[write_end],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            with os.fdopen(read_end) as numbers:
                number = numbers.readline().strip()
            check(number.isdigit(), "Xvfb did not start (it wrote no display number)")
            self.env["DISPLAY"] = f":{number}"
        self.programs = []
        self.cleanups = []  # run by stop(), last added first
        self.artifacts = self.build / "e2e-artifacts"
        self.artifacts.mkdir(exist_ok=True)

    @property
    def prefix(self):
        """The Wine prefix of this session's DPI."""
        tag = f"{self.prefix_tag}-" if self.prefix_tag else ""
        return self.build / "wine" / f"{tag}dpi{self.dpi}"

    def host_path(self, windows_path):
        """Where a path on one of the prefix's drives ("C:\\x") lies on this host."""
        drive, rest = windows_path[0].lower(), windows_path[2:].lstrip("\\")
        return self.prefix / "dosdevices" / f"{drive}:" / rest.replace("\\", "/")

    def start_installer(self, *args, exe="InkvaneSetup.exe", stderr=subprocess.DEVNULL):
        """Starts a program of the build tree (the installer unless EXE names another one),
        its error output going to STDERR (a file); returns its process."""
        program = subprocess.Popen([str(WINE_RUN), str(self.build / exe), *args], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=stderr,
                                   start_new_session=True)
        self.programs.append(program)
        return program

    def _wine(self, command, timeout=60):
        # A file, not a pipe: a Wine service started by this call may keep a pipe open.
        with tempfile.TemporaryFile() as out:
            result = subprocess.run(command, env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                                    timeout=timeout)
            out.seek(0)
            result.stdout = out.read().decode("utf-8", errors="replace")
        return result

    def helper(self, name, *args):
        """Runs a helper program of the tree's tests folder: its CompletedProcess, output
        in .stdout."""
        return self._wine([str(WINE_RUN), str(self.build / "tests" / name), *args])

    @staticmethod
    def _again(run, done, runs):
        """Calls run() until done(result), RUNS calls at most: a program under Wine fails now
        and then for no fault of its own (a busy machine, a Wine hiccup). The last result."""
        for attempt in range(runs):
            if attempt:
                time.sleep(0.2)
            result = run()
            if done(result):
                break
        return result

    def inspect(self, *args):
        # A helper that fails twice is a failure that says so, never an empty desktop.
        result = self._again(lambda: self.helper("inkvane_inspect.exe", *args),
                             lambda result: result.returncode == 0, runs=2)
        if result.returncode:
            raise Failure(f"the inspection helper failed twice (exit {result.returncode}): "
                          f"{result.stdout[-1000:]}")
        return [json.loads(line) for line in result.stdout.splitlines() if line.startswith("{")]

    def reg(self, *args):
        """Wine's reg.exe of this build's architecture, in this session's prefix: its
        CompletedProcess, output in .stdout. A read must not take a hiccup for a missing
        value, nor a delete for a done one: any failure but "no such key" is run again,
        three runs in all."""
        return self._again(
            lambda: self._wine([str(WINE_RUN), "--builtin", str(self.build), "reg", *args]),
            lambda result: result.returncode == 0 or missing_key(result), runs=3)

    def reg_query(self, key, name):
        """Value NAME under KEY (e.g. r"HKLM\\Software\\varnix\\Quillomark"), read from the
        view that this build's programs write: a str for REG_SZ, an int for REG_DWORD, the
        exported text for other types, None when there is no such value."""
        # reg.exe prints in the console's code page, which loses Chinese text; an export is
        # written in UTF-16.
        with tempfile.TemporaryDirectory() as folder:
            exported = Path(folder) / "key.reg"
            windows_path = "Z:" + str(exported).replace("/", "\\")
            result = self.reg("export", key, windows_path, "/y", registry_view(self.arch))
            if result.returncode:
                if not missing_key(result):
                    print(f"  reg export {key} failed (exit {result.returncode}), read as no "
                          f"value: {result.stdout[-500:]!r}", flush=True)
                return None
            lines = exported.read_text(encoding="utf-16").splitlines()
        prefix = '"' + name.replace("\\", "\\\\").replace('"', '\\"').lower() + '"='
        for line in lines:
            if not line.lower().startswith(prefix):
                continue
            data = line[len(prefix):]
            if data.startswith('"'):
                return re.sub(r"\\(.)", r"\1", data[1:-1])
            if data.startswith("dword:"):
                return int(data[6:], 16)
            return data
        return None

    def wait_for_windows(self, count, timeout=60, settle=1.0):
        """The installer windows once there are COUNT, SETTLE seconds after they appeared."""
        end = time.time() + timeout
        while time.time() < end:
            windows = self.inspect()
            if len(windows) >= count:
                time.sleep(settle)  # let the first paint finish
                return self.inspect()
            time.sleep(0.5)
        raise Failure(f"{count} installer window(s) did not appear within {timeout} s")

    def screenshot(self, name=None):
        """The screen as it is now; kept as NAME.png among the artifacts when NAME is given."""
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                             capture_output=True, timeout=60, check=True).stdout
        screen = Screen(ppm)
        if name:
            self.keep(screen, name)
        return screen

    def keep(self, screen, name):
        """Keeps a screenshot taken earlier as NAME.png among the artifacts."""
        subprocess.run(["convert", "ppm:-", str(self.artifacts / f"{name}.png")], input=screen.ppm,
                       check=True)

    def close_all(self, timeout=30):
        self.inspect("--close")
        end = time.time() + timeout
        for program in self.programs:
            program.wait(timeout=max(1, end - time.time()))
        check(not self.inspect(), "an installer window is still open after WM_CLOSE")

    def stop(self):
        """Ends whatever this session started, also after a failed check."""
        if any(program.poll() is None for program in self.programs):
            self.inspect("--close")
            time.sleep(2)
        for program in self.programs:
            if program.poll() is None:
                os.killpg(program.pid, signal.SIGKILL)
        for cleanup in reversed(self.cleanups):
            cleanup()
        if self.xvfb:
            self.xvfb.kill()


def children_by_id(window):
    return {child["id"]: child for child in window["children"]}


def visible_ids(window):
    return {child["id"] for child in window["children"] if child["visible"]}


class Installer:
    """One running installer and the dialogs it opens, driven with real mouse and keyboard
    input (xdotool)."""

    def __init__(self, session, exe="InkvaneSetup.exe", stderr=subprocess.DEVNULL, settle=1.0):
        self.session, self.exe = session, exe
        self.process = session.start_installer(exe=exe, stderr=stderr)
        self.window = session.wait_for_windows(1, settle=settle)[0]

    def restart(self):
        """Closes every installer of the session and starts another in this one's place."""
        self.session.close_all()
        self.process = self.session.start_installer(exe=self.exe)
        self.window = self.session.wait_for_windows(1)[0]

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.session.env, check=True, timeout=60)

    def click(self, dialog, control_id, dx=None, dy=None):
        """A real click into a control of a dialog: at its centre, or DX, DY into it."""
        x, y, w, h = next(c for c in dialog["children"] if c["id"] == control_id)["rect"]
        left, top = dialog["client"][:2]
        self.xdotool("mousemove", left + x + (w // 2 if dx is None else dx),
                     top + y + (h // 2 if dy is None else dy))
        time.sleep(0.1)
        self.xdotool("click", "1")

    def refresh(self):
        """The installer window as it is now (also kept as self.window)."""
        windows = self.session.inspect()
        if len(windows) != 1:
            code = self.process.poll()
            raise Failure(f"{len(windows)} installer windows; the installer "
                          + ("still runs" if code is None else f"ended with exit code {code}"))
        self.window = windows[0]
        return self.window

    def field(self):
        """The folder field's text field as it is now, {"text", "sel"}."""
        controls = children_by_id(self.refresh())
        check("inner" in controls[10041], "the folder field has no text field")
        return controls[10041]["inner"]

    def wait_dialog(self, has_child, timeout=10, present=True):
        """The first visible dialog with a child of id or class HAS_CHILD, once there is one
        (None after TIMEOUT s); with PRESENT False, whether every such dialog has gone."""
        end = time.time() + timeout
        while True:
            found = [d for d in self.session.inspect("--dialogs")
                     if any(has_child in (c["id"], c["class"]) for c in d["children"])]
            if bool(found) == present or time.time() > end:
                if present:
                    return found[0] if found else None
                return not found
            time.sleep(0.1)

    def type_folder(self, text):
        """Replaces the field's text by typing, as a user would."""
        self.click(self.window, 10041)
        self.xdotool("key", "End", "shift+Home", "BackSpace")
        if text:
            self.xdotool("type", "--delay", "4", text)
        time.sleep(0.2)


class Screen:
    """A screenshot in PPM (P6) form, read pixel by pixel."""

    def __init__(self, ppm):
        self.ppm = ppm
        fields, pos = [], 0
        while len(fields) < 4:
            while ppm[pos:pos + 1].isspace():
                pos += 1
            start = pos
            while not ppm[pos:pos + 1].isspace():
                pos += 1
            fields.append(ppm[start:pos])
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm[pos + 1:]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def main(cases):
    """Runs case sys.argv[2] of CASES in a session on build tree sys.argv[1]; exit code 0
    when it passed."""
    build, case = sys.argv[1], sys.argv[2]
    session = Session(build, int(os.environ.get("INKVANE_DPI", "96")))
    try:
        cases[case](session)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        session.stop()
    print(f"passed: {case} at {session.dpi} DPI on {session.arch}")
    return 0


def case_registry_view(session):
    # Wine's reg.exe runs with this build's architecture, so what it writes without naming a
    # view lands where the build's own programs write.
    key, text = r"HKLM\Software\varnix\InkvaneHarness", f'D:\\安装\\"{session.arch}"'
    for value in (["/v", "Text", "/d", text], ["/v", "Number", "/t", "REG_DWORD", "/d", "10"]):
        check(session.reg("add", key, *value, "/f").returncode == 0, "reg add failed")
    try:
        read = session.reg_query(key, "Text")
        check(read == text, f"the helper reads {read!r}, not {text!r}")
        check(session.reg_query(key, "Number") == 10, "the helper does not read a DWORD")
        check(session.reg_query(key, "Absent") is None, "the helper reads a value that is not there")
        if session.arch == "x86_64":
            other = session.reg("query", key, "/v", "Text", "/reg:32")
            check(other.returncode != 0, "a 64-bit program's value shows in the 32-bit view")
    finally:
        session.reg("delete", key, "/f")


if __name__ == "__main__":
    sys.exit(main({"registry-view": case_registry_view}))
