#!/usr/bin/env python3
"""The stand-in package under Wine, in the test prefix, with "Path" set in the product key.

    standin_test.py BUILD_DIR STANDIN.exe

Run as the installer would leave it ("<download folder>\\Quillomark.exe", no arguments), each
variant must write its sequence into the progress file where the installer reads it, hold
each step until acknowledged when asked to, and install a launcher that records its start.
"""
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parents[1] / "tools" / "vendor"))
import package_contract as contract  # noqa: E402
import standin_control  # noqa: E402

BUILD, STANDIN = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
WINE_RUN = HERE.parent / "wine-run.sh"
PREFIX = BUILD / "wine" / f"dpi{os.environ.get('INKVANE_DPI', '96')}"
ENV = dict(os.environ, WINEPREFIX=str(PREFIX), WINEDEBUG="-all")
ROOT = PREFIX / "drive_c" / "standin-test"
DOWNLOAD = ROOT / contract.kDownloadFolderName
INSTALL_WIN = r"C:\standin-test\Install Here" + contract.kBrowseFolderName
INSTALL = ROOT / "Install Here" / contract.kBrowseFolderName.lstrip("\\")
PACKAGE = DOWNLOAD / contract.kPackageFileName
KEY = "HKLM\\" + contract.kProductKey


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def reg(*args):
    return subprocess.run([str(WINE_RUN), "--builtin", str(BUILD), "reg", *args], env=ENV,
                          capture_output=True, text=True,
                          timeout=60)


def operation_value():
    out = reg("query", KEY, "/v", contract.kOperationValue).stdout
    match = re.search(contract.kOperationValue + r"\s+REG_SZ\s*(.*)", out)
    return match.group(1).strip() if match else None


def progress_value():
    path = DOWNLOAD / contract.kProgressFolderName / contract.kProgressFileName
    text = path.read_bytes().decode("latin-1") if path.exists() else ""
    match = re.search(rf"\[{contract.kProgressSection}\][^\[]*?^{contract.kProgressKey}=(.*?)\r?$",
                      text, re.M)
    return match.group(1) if match else None


def wait_until(condition, what, timeout=30):
    deadline = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}; report: {standin_control.read_report(DOWNLOAD)}")
        time.sleep(0.05)
    return result


def start(variant, pace_ms=None):
    for name in (standin_control.REPORT, standin_control.ACK):
        (DOWNLOAD / name).unlink(missing_ok=True)
    standin_control.make_variant(STANDIN, PACKAGE, variant, pace_ms)
    return subprocess.Popen([str(WINE_RUN), str(PACKAGE)], env=ENV, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def held_steps_in_turn():
    """normal:ack: each value waits for its acknowledgement, and the last ends the run."""
    process = start("normal")
    expected = ["0", "5", "50", "99", "100"]
    for seen, value in enumerate(expected):
        wait_until(lambda n=seen + 1: len(standin_control.written_values(DOWNLOAD)) == n,
                   f"value {value}")
        check(progress_value() == value, f"the progress file holds {progress_value()!r}, not {value}")
        if seen == 0:
            time.sleep(0.5)
            check(standin_control.written_values(DOWNLOAD) == ["0"], "it went on unacknowledged")
        if seen + 1 < len(expected):
            standin_control.acknowledge(DOWNLOAD, seen + 1)
    check(process.wait(30) == 0, f"exit code {process.returncode}")
    events = standin_control.read_report(DOWNLOAD)
    registry = next(e for e in events if e["event"] == "registry")
    check(registry["path"] == INSTALL_WIN, f"it read Path {registry['path']!r}")
    check(registry["operation"] == "", f"it read Operation {registry['operation']!r}")
    first = events[0]
    check(first["arguments"] == "", f"it was given arguments {first['arguments']!r}")
    launcher = INSTALL / contract.kLauncherName
    check(launcher.exists(), f"no launcher at {launcher}")
    subprocess.run([str(WINE_RUN), str(launcher)], env=ENV, timeout=60, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    starts = standin_control.launcher_starts(INSTALL)
    check(len(starts) == 1 and starts[0]["arguments"] == "", f"launcher starts: {starts}")
    print("normal:ack held each of", expected, "until acknowledged; launcher installed and started")


def every_variant_plays_its_sequence():
    cases = {  # variant: values written, whether it stays afterwards, exit code
        "exit-early": (["0", "5"], False, 1),
        "over-100": (["0", "5", "50", "150"], False, 0),
        "instant-100": (["100"], False, 0),
        "never-100": (["0", "5", "50"], True, 3),
        "garbage": (["abc", "-5", "123456789012345678901234567890"], True, 3),
        "uninstall-at-40": (["0", "5", "40"], True, 3),
    }
    check(set(cases) | {"normal"} == set(standin_control.variants()), "a variant is not tested")
    for variant, (values, stays, code) in cases.items():
        process = start(variant, pace_ms=0)
        if stays:
            wait_until(lambda: len(standin_control.written_values(DOWNLOAD)) == len(values),
                       f"{variant}'s last value")
            if variant == "uninstall-at-40":
                wait_until(lambda: operation_value() == contract.kStopWord, "the stop word")
            time.sleep(0.3)
            check(process.poll() is None, f"{variant} did not stay")
            standin_control.quit(DOWNLOAD)
        check(process.wait(30) == code, f"{variant}: exit code {process.returncode}, not {code}")
        written = standin_control.written_values(DOWNLOAD)
        check(written == values, f"{variant} wrote {written}, not {values}")
        check(progress_value() == values[-1], f"{variant}: the file holds {progress_value()!r}")
        print(f"{variant}: wrote {written}, exit code {code}")
    reg("add", KEY, "/v", contract.kOperationValue, "/t", "REG_SZ", "/d", "", "/f")


def main():
    shutil.rmtree(ROOT, ignore_errors=True)
    DOWNLOAD.mkdir(parents=True)
    added = reg("add", KEY, "/v", contract.kPathValue, "/t", "REG_SZ", "/d", INSTALL_WIN, "/f")
    check(added.returncode == 0, f"reg add failed: {added.stdout}{added.stderr}")
    reg("add", KEY, "/v", contract.kOperationValue, "/t", "REG_SZ", "/d", "", "/f")
    try:
        held_steps_in_turn()
        every_variant_plays_its_sequence()
    finally:
        if (DOWNLOAD / standin_control.REPORT).exists():
            standin_control.quit(DOWNLOAD)
        reg("delete", KEY, "/f")
    shutil.rmtree(ROOT, ignore_errors=True)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
