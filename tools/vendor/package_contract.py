#!/usr/bin/env python3
"""The installer's exchange with the product package, read from installer/package_contract.h.

Scripts and tests take the package's names from here rather than spelling them again:

    import package_contract as contract
    contract.kProductKey            # 'Software\\varnix\\Quillomark'
    contract.kProgressDone          # 100

Every `inline constexpr wchar_t kName[] = L"...";` and `inline constexpr int kName = N;`
of the header becomes a module attribute of the same name (str or int). From a shell:

    package_contract.py kLauncherName        prints one value
    package_contract.py --json               prints them all as a JSON object
"""
import json
import re
import sys
from pathlib import Path

HEADER = Path(__file__).resolve().parents[2] / "installer" / "package_contract.h"

_STRING = re.compile(r'inline\s+constexpr\s+wchar_t\s+(k\w+)\[\]\s*=\s*L"((?:[^"\\]|\\.)*)"\s*;')
_INTEGER = re.compile(r"inline\s+constexpr\s+int\s+(k\w+)\s*=\s*(-?\d+)\s*;")
_DECLARATION = re.compile(r"inline\s+constexpr\b")


def _unescape(literal):
    def one(match):
        if match.group(1) not in '\\"':
            raise ValueError(f"{HEADER.name}: unsupported escape \\{match.group(1)} in L\"{literal}\"")
        return match.group(1)
    return re.sub(r"\\(.)", one, literal)


def read(header=HEADER):
    """All constants of the header as a dict; fails on a declaration it cannot read."""
    lines = Path(header).read_text(encoding="utf-8").splitlines()
    text = "\n".join(line for line in lines if not line.lstrip().startswith("//"))
    values = {}
    for match in _STRING.finditer(text):
        values[match.group(1)] = _unescape(match.group(2))
    for match in _INTEGER.finditer(text):
        values[match.group(1)] = int(match.group(2))
    declarations = len(_DECLARATION.findall(text))
    if declarations != len(values):
        raise ValueError(f"{header}: read {len(values)} of {declarations} constants; "
                         "keep each on one line in a form this reader knows")
    return values


globals().update(read())


def main(argv):
    values = read()
    if argv == ["--json"]:
        print(json.dumps(values, ensure_ascii=False, indent=1))
    elif len(argv) == 1 and argv[0] in values:
        print(values[argv[0]])
    else:
        print(f"usage: package_contract.py NAME | --json  (names: {', '.join(values)})",
              file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
