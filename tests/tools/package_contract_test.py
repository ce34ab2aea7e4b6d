#!/usr/bin/env python3
"""The package's names are spelled in installer/package_contract.h and nowhere else.

Program and tool sources (C++, Python, shell) must take them from the header, so a copy
cannot drift from it. Tests are exempt: one that pins a literal independently checks the
header rather than copying it.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "vendor"))
import package_contract  # noqa: E402

SOURCES = ("app", "installer", "controls", "framework", "win32", "res", "tools")
CPP = {".cpp", ".h", ".rc"}
SUFFIXES = CPP | {".py", ".sh"}
READERS = {package_contract.HEADER, ROOT / "tools" / "vendor" / "package_contract.py"}


def code_only(text, suffix):
    """`text` without its comments: what the program or script would use."""
    line_comment = "//" if suffix in CPP else "#"
    out, i, quote = [], 0, None
    while i < len(text):
        c = text[i]
        if quote:
            if c == "\\":
                out.append(text[i:i + 2])
                i += 2
                continue
            if c == quote:
                quote = None
        elif c == '"' or (c == "'" and not (suffix in CPP and text[i - 1:i].isdigit())):
            quote = c  # (a C++ digit separator, 120'000, opens nothing)
        elif text.startswith(line_comment, i):
            end = text.find("\n", i)
            i = len(text) if end < 0 else end
            continue
        elif suffix in CPP and text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = len(text) if end < 0 else end + 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def copies(text, suffix, values):
    """The contract values that `text` spells itself, outside comments."""
    text = code_only(text, suffix)
    found = set()
    for value in values:
        escaped = value.replace("\\", "\\\\")
        # File names and paths are unmistakable anywhere, in plain or escaped spelling;
        # single words only as a whole string literal.
        if any(c in value for c in "./\\:"):
            if value in text or escaped in text:
                found.add(value)
        elif re.search(r'L?(["\'])' + re.escape(escaped) + r"\1", text):
            found.add(value)
    return found


def main():
    values = [v for v in package_contract.read().values() if isinstance(v, str)]
    problems = []
    for folder in SOURCES:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix not in SUFFIXES or path in READERS:
                continue
            spelled = copies(path.read_text(encoding="utf-8", errors="replace"), path.suffix, values)
            if spelled:
                problems.append(f"{path.relative_to(ROOT)} spells {sorted(spelled)}")
    # The check itself must notice a copy.
    assert copies('f(L"UnInstall")', ".cpp", values) and copies("'Percent.ini'", ".py", values)
    if problems:
        print("take these from installer/package_contract.h (tools/vendor/package_contract.py):")
        print("\n".join(problems))
        return 1
    print(f"{len(values)} names, spelled only in {package_contract.HEADER.relative_to(ROOT)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
