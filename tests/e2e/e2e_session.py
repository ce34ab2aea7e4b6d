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
        suite_display = self.build / "wine" / "suite" / "display"
        if suite_display.exists():
            self.env["DISPLAY"] = suite_display.read_text().strip()
        elif not self.env.get("DISPLAY"):
            number = 150 + os.getpid() % 40
            self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1920x1080x24",
                                          "-nolisten", "tcp"], stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
            self.env["DISPLAY"] = f":{number}"
            time.sleep(1)
        self.programs = []
        self.artifacts = self.build / "e2e-artifacts"
        self.artifacts.mkdir(exist_ok=True)

    def start_installer(self, *args):
        exe = self.build / "InkvaneSetup.exe"
        self.programs.append(subprocess.Popen([str(WINE_RUN), str(exe), *args], env=self.env,
                                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                              start_new_session=True))

    def _wine(self, command, timeout=60):
        # A file, not a pipe: a Wine service started by this call may keep a pipe open.
        with tempfile.TemporaryFile() as out:
            result = subprocess.run(command, env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                                    timeout=timeout)
            out.seek(0)
            result.stdout = out.read().decode("utf-8", errors="replace")
        return result

    def inspect(self, *args):
        helper = self.build / "tests" / "inkvane_inspect.exe"
        text = self._wine([str(WINE_RUN), str(helper), *args]).stdout
        return [json.loads(line) for line in text.splitlines() if line.startswith("{")]

    def reg(self, *args):
        """Wine's reg.exe of this build's architecture, in this session's prefix: its
        CompletedProcess, output in .stdout."""
        return self._wine([str(WINE_RUN), "--builtin", str(self.build), "reg", *args])

    def reg_query(self, key, name):
        """Value NAME under KEY (e.g. r"HKLM\\Software\\varnix\\Quillomark"), read from the
        view that this build's programs write: a str for REG_SZ, an int for REG_DWORD, the
        exported text for other types, None when there is no such value."""
        # reg.exe prints in the console's code page, which loses Chinese text; an export is
        # written in UTF-16.
        with tempfile.TemporaryDirectory() as folder:
            exported = Path(folder) / "key.reg"
            windows_path = "Z:" + str(exported).replace("/", "\\")
            if self.reg("export", key, windows_path, "/y", registry_view(self.arch)).returncode:
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

    def wait_for_windows(self, count, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            windows = self.inspect()
            if len(windows) >= count:
                time.sleep(1.0)  # let the first paint finish
                return self.inspect()
            time.sleep(0.5)
        raise Failure(f"{count} installer window(s) did not appear within {timeout} s")

    def screenshot(self, name):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env,
                             capture_output=True, timeout=60, check=True).stdout
        subprocess.run(["convert", "ppm:-", str(self.artifacts / f"{name}.png")], input=ppm,
                       check=True)
        return Screen(ppm)

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
        if self.xvfb:
            self.xvfb.kill()


class Screen:
    """A screenshot in PPM (P6) form, read pixel by pixel."""

    def __init__(self, ppm):
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
