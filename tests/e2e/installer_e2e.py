#!/usr/bin/env python3
"""End-to-end checks of the real InkvaneSetup.exe under Wine, driven from outside.

    installer_e2e.py BUILD_DIR CASE      CASE: ready | two-instances

The program runs at the DPI of INKVANE_DPI (its own Wine prefix), on the test suite's
display (or a private Xvfb). The windows are inspected with the inkvane_inspect helper and
by screenshot; screenshots are kept in BUILD_DIR/e2e-artifacts.
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
WINE_RUN = HERE.parent / "wine-run.sh"

READY_IDS = {10001, 10021, 10002, 10003, 10022, 10004, 10023, 10041, 10005}


def muldiv(value, dpi):
    """The platform's MulDiv(value, dpi, 96): nearest, halves away from zero."""
    product = value * dpi
    return (product + 48) // 96 if product >= 0 else -((-product + 48) // 96)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Session:
    def __init__(self, build, dpi):
        self.build = Path(build).resolve()
        self.dpi = dpi
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

    def inspect(self, *args):
        helper = self.build / "tests" / "inkvane_inspect.exe"
        # A file, not a pipe: a Wine service started by this call may keep a pipe open.
        with tempfile.TemporaryFile() as out:
            subprocess.run([str(WINE_RUN), str(helper), *args], env=self.env, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=60)
            out.seek(0)
            text = out.read().decode("utf-8")
        return [json.loads(line) for line in text.splitlines() if line.startswith("{")]

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


def near(colour, expected, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def children_by_id(window):
    return {child["id"]: child for child in window["children"]}


def check_ready_window(window, dpi, screen):
    H = lambda v: muldiv(v, dpi)  # noqa: E731  (both axes share the DPI here)
    x, y, w, h = window["rect"]
    check((w, h) == (H(600), H(400)), f"window is {w} x {h}, expected {H(600)} x {H(400)}")
    wl, wt, ww, wh = window["work"]
    check((x, y) == (wl + ww // 2 - w // 2, wt + wh // 2 - h // 2),
          f"window at ({x}, {y}) is not centred in the work area {window['work']}")
    style = window["style"] & 0xFFFFFFFF
    check(style & 0x00C00000 == 0, "window has a caption")
    check(style & 0x00800000 == 0 and style & 0x00400000 == 0, "window has a border")
    check(window["exstyle"] & 0x00040000, "window has no taskbar button (WS_EX_APPWINDOW)")
    check(window["client"][2:] == [H(600), H(400)], "client area is not the whole window")

    controls = children_by_id(window)
    visible = {cid for cid, c in controls.items() if c["visible"]}
    check(visible == READY_IDS, f"visible controls {sorted(visible)}, expected {sorted(READY_IDS)}")
    check(len(window["children"]) == 22, f"{len(window['children'])} controls, expected 22")

    expected = {
        10001: [H(566), H(20), H(14), H(14)],
        10002: [H(220), H(210), H(160), H(40)],
        10042: [H(40), H(364), H(520), H(10)],
        10003: [H(20), H(280), H(14), H(14)],
    }
    for cid, rect in expected.items():
        check(controls[cid]["rect"] == rect, f"control {cid} at {controls[cid]['rect']}, expected {rect}")
    check(controls[10021]["text"] == "Inkvane" and controls[10002]["text"] == "安装",
          "texts of the title or the install button")

    # The row "install to" | folder field | "change" follows the label's width.
    label, field, change = controls[10023]["rect"], controls[10041]["rect"], controls[10005]["rect"]
    check(field[0] == label[0] + label[2] + H(5), "folder field is not 5 right of its label")
    check(change[0] == field[0] + field[2] + H(5), "change button is not 5 right of the field")

    # Pixels: the check box shows its green tick; the install button its enabled red outline.
    bx, by, bw, bh = controls[10003]["rect"]
    box = [screen.at(x + bx + i, y + by + j) for i in range(bw) for j in range(bh)]
    check(any(g > 120 and g > r + 40 and g > b + 20 for r, g, b in box), "check box is not checked")
    ix, iy, iw, ih = controls[10002]["rect"]
    outline = [screen.at(x + ix + iw // 2, y + iy + j) for j in range(0, H(4))]
    check(any(near(c, (231, 75, 63), 40) for c in outline), f"install button outline {outline}")
    # The title's glyphs are drawn in dark grey over the pale background.
    tx, ty, tw, th = controls[10021]["rect"]
    title = [screen.at(x + tx + i, y + ty + j) for i in range(tw) for j in range(th)]
    check(sum(1 for c in title if max(c) < 120) > tw, "the title text is not drawn")


def case_ready(session):
    session.start_installer("/S", "--install-dir", "D:\\elsewhere")  # arguments are ignored
    window = session.wait_for_windows(1)[0]
    screen = session.screenshot(f"ready-dpi{session.dpi}")
    check(window["dpi"] == session.dpi, f"the prefix runs at {window['dpi']} DPI")
    check_ready_window(window, session.dpi, screen)
    session.close_all()


def case_two_instances(session):
    session.start_installer()
    session.wait_for_windows(1)
    session.start_installer()
    windows = session.wait_for_windows(2)
    check(len(windows) == 2, f"{len(windows)} installer windows, expected 2")
    session.screenshot(f"two-instances-dpi{session.dpi}")
    for window in windows:
        check({c["id"] for c in window["children"] if c["visible"]} == READY_IDS,
              "an instance does not show the Ready screen")
    session.close_all()


CASES = {"ready": case_ready, "two-instances": case_two_instances}


def main():
    build, case = sys.argv[1], sys.argv[2]
    session = Session(build, int(os.environ.get("INKVANE_DPI", "96")))
    try:
        CASES[case](session)
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        session.stop()
    print(f"passed: {case} at {session.dpi} DPI")
    return 0


if __name__ == "__main__":
    sys.exit(main())
