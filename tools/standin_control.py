#!/usr/bin/env python3
"""Variants of the stand-in package (tools/standin/standin.cpp), and talking to a running one.

The stand-in takes no arguments (the installer passes none): what it plays is the text in a
fixed 64-byte slot of the binary, "VARIANT:PACING". make_variant() writes a copy with
another text there:

    standin_control.py make SOURCE.exe DEST.exe VARIANT [--ack | --pace MS]

VARIANT: normal, never-100, exit-early, uninstall-at-40, over-100, garbage, instant-100
(their steps are listed at the top of standin.cpp). --ack (the default) holds each step
until acknowledge() says the test has seen it; --pace MS waits MS milliseconds per step
instead (the build's own default is normal:pace1000, for the demo).

Beside a running stand-in (its folder is the download folder):
    read_report(folder)       its events, oldest first: start, registry, installed, wrote,
                              stop_word, held, end (dicts; see standin.cpp)
    written_values(folder)    the progress values it has written so far, as text
    acknowledge(folder, n)    the test has seen n steps
    quit(folder)              end the run at its next wait
    launcher_starts(install_folder)   one entry per start of the installed launcher
"""
import json
import os
import sys
from pathlib import Path

TAG = b"INKVANE-STANDIN-VARIANT="
SLOT_SIZE = 64
REPORT = "standin-report.jsonl"
ACK = "standin-ack.txt"
LAUNCHER_REPORT = "launcher-started.jsonl"


def make_variant(source, dest, variant, pace_ms=None):
    """Copies the stand-in with its slot set to VARIANT:ack, or VARIANT:paceMS."""
    text = f"{variant}:{'ack' if pace_ms is None else f'pace{int(pace_ms)}'}".encode("ascii")
    field = SLOT_SIZE - len(TAG)
    if len(text) >= field:
        raise ValueError(f"variant text {text!r} does not fit the slot ({field - 1} bytes)")
    data = bytearray(Path(source).read_bytes())
    at = data.find(TAG)
    if at < 0 or data.find(TAG, at + 1) >= 0:
        raise ValueError(f"{source}: expected exactly one variant slot")
    start = at + len(TAG)
    data[start:start + field] = text.ljust(field, b"\0")
    Path(dest).write_bytes(bytes(data))
    os.chmod(dest, 0o755)


def _read_lines(path):
    if not path.exists():
        return []
    return [json.loads(line) for line in path.read_text(encoding="utf-8").splitlines()
            if line.strip()]


def read_report(folder):
    return _read_lines(Path(folder) / REPORT)


def written_values(folder):
    return [event["value"] for event in read_report(folder) if event["event"] == "wrote"]


def _write_ack(folder, text):
    path = Path(folder) / ACK
    temporary = path.with_name(ACK + ".tmp")
    temporary.write_text(text)
    os.replace(temporary, path)


def acknowledge(folder, steps):
    _write_ack(folder, str(steps))


def quit(folder):  # noqa: A001  (the stand-in's own word)
    _write_ack(folder, "quit")


def launcher_starts(install_folder):
    return _read_lines(Path(install_folder) / LAUNCHER_REPORT)


def main(argv):
    if len(argv) in (4, 5, 6) and argv[0] == "make":
        pace = None
        if argv[4:5] == ["--pace"] and len(argv) == 6:
            pace = int(argv[5])
        elif argv[4:] not in ([], ["--ack"]):
            argv = []
        if argv:
            make_variant(argv[1], argv[2], argv[3], pace)
            return 0
    print("usage: standin_control.py make SOURCE.exe DEST.exe VARIANT [--ack | --pace MS]",
          file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
