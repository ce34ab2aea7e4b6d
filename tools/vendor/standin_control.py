#!/usr/bin/env python3
"""Variants of the stand-in package (tools/vendor/standin/standin.cpp), and talking to a running one.

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
import argparse
import json
import os
import re
import sys
from pathlib import Path

TAG = b"INKVANE-STANDIN-VARIANT="
SLOT_SIZE = 64
REPORT = "standin-report.jsonl"
ACK = "standin-ack.txt"
LAUNCHER_REPORT = "launcher-started.jsonl"


def variants():
    """The variant names, from the stand-in's own table."""
    source = (Path(__file__).resolve().parent / "standin" / "standin.cpp").read_text()
    table = source[source.index("kVariants[] = {"):]
    return re.findall(r'^\s*\{"([a-z0-9-]+)", \{', table[:table.index("\n};")], re.M)


def make_variant(source, dest, variant, pace_ms=None):
    """Copies the stand-in with its slot set to VARIANT:ack, or VARIANT:paceMS."""
    if variant not in variants():
        raise ValueError(f"no stand-in variant {variant!r}; there are {variants()}")
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
    parser = argparse.ArgumentParser(description="Writes a copy of the stand-in that plays VARIANT.")
    parser.add_argument("command", choices=["make"])
    parser.add_argument("source")
    parser.add_argument("dest")
    parser.add_argument("variant")
    pacing = parser.add_mutually_exclusive_group()
    pacing.add_argument("--ack", action="store_true", help="hold each step until acknowledged (default)")
    pacing.add_argument("--pace", type=int, metavar="MS", help="MS milliseconds per step instead")
    args = parser.parse_args(argv)
    make_variant(args.source, args.dest, args.variant, args.pace)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
