#!/usr/bin/env python3
"""Where the bytes of a Windows program go: its sections and its resources.

    size_report.py PROGRAM.exe [--max-bytes N]

Prints the file's size, each section's size in the file, and every resource by type, id
and language, with the icon images' sizes and formats. With --max-bytes it also fails when
the file is larger than N bytes. Standard library only.
"""
import signal
import struct
import sys

RESOURCE_TYPES = {1: 'CURSOR', 2: 'BITMAP', 3: 'ICON', 4: 'MENU', 5: 'DIALOG', 6: 'STRING',
                  10: 'RCDATA', 12: 'GROUP_CURSOR', 14: 'GROUP_ICON', 16: 'VERSION',
                  24: 'MANIFEST'}


class Program:
    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise ValueError('not a Windows program (no MZ header)')
        pe = struct.unpack_from('<I', data, 0x3c)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('not a Windows program (no PE header)')
        sections, optional_size = struct.unpack_from('<H12xH', data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from('<H', data, optional)[0]
        directories = optional + (96 if magic == 0x10b else 112)
        self.resource_rva = struct.unpack_from('<I', data, directories + 2 * 8)[0]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = data[at:at + 8].rstrip(b'\0').decode('ascii', 'replace')
            vsize, rva, raw_size, raw_at = struct.unpack_from('<IIII', data, at + 8)
            self.sections.append((name, vsize, rva, raw_size, raw_at))

    def offset_of(self, rva):
        for _, vsize, start, raw_size, raw_at in self.sections:
            if start <= rva < start + max(vsize, raw_size):
                return raw_at + rva - start
        raise ValueError('address 0x%x is in no section' % rva)

    def resources(self):
        """(type, id, language, bytes) of every resource, in directory order."""
        if not self.resource_rva:
            return []
        base = self.offset_of(self.resource_rva)

        def entries(at):
            named, numbered = struct.unpack_from('<12xHH', self.data, base + at)
            for i in range(named + numbered):
                key, target = struct.unpack_from('<II', self.data, base + at + 16 + 8 * i)
                if key & 0x80000000:
                    length = struct.unpack_from('<H', self.data, base + (key & 0x7fffffff))[0]
                    start = base + (key & 0x7fffffff) + 2
                    key = self.data[start:start + 2 * length].decode('utf-16-le')
                yield key, target

        found = []
        for kind, types in entries(0):
            for name, names in entries(types & 0x7fffffff):
                for language, leaf in entries(names & 0x7fffffff):
                    rva, size = struct.unpack_from('<II', self.data, base + leaf)
                    start = self.offset_of(rva)
                    found.append((kind, name, language, self.data[start:start + size]))
        return found


def kilobytes(n):
    return '%7.1f KB' % (n / 1024)


def describe_icon_image(blob):
    if blob[:8] == b'\x89PNG\r\n\x1a\n':
        width, height = struct.unpack_from('>II', blob, 16)
        return '%dx%d PNG' % (width, height)
    width, height, _, bits = struct.unpack_from('<iiHH', blob, 4)
    return '%dx%d %d-bit bitmap' % (width, height // 2, bits)


def report(path):
    data = open(path, 'rb').read()
    program = Program(data)
    lines = ['%s: %d bytes (%s)' % (path, len(data), kilobytes(len(data)).strip()), '',
             'Sections (bytes in the file; .bss takes none):']
    accounted = 0
    for name, vsize, _, raw_size, _ in program.sections:
        lines.append('  %-8s %8d %s   in memory %d' % (name, raw_size, kilobytes(raw_size), vsize))
        accounted += raw_size
    lines.append('  %-8s %8d %s' % ('headers', len(data) - accounted,
                                    kilobytes(len(data) - accounted)))

    resources = program.resources()
    lines += ['', 'Resources (type, id, language: bytes):']
    totals = {}
    for kind, name, language, blob in resources:
        type_name = RESOURCE_TYPES.get(kind, kind) if isinstance(kind, int) else kind
        detail = '   ' + describe_icon_image(blob) if kind == 3 else ''
        lines.append('  %-12s %5s %5s %8d%s' % (type_name, name, language, len(blob), detail))
        totals[type_name] = totals.get(type_name, 0) + len(blob)
    lines += ['', 'Resources by type:']
    for type_name, size in sorted(totals.items(), key=lambda item: -item[1]):
        lines.append('  %-12s %8d %s' % (type_name, size, kilobytes(size)))
    lines.append('  %-12s %8d %s' % ('all', sum(totals.values()), kilobytes(sum(totals.values()))))
    return len(data), '\n'.join(lines)


def main(argv):
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)  # quietly, when piped into head
    args = argv[1:]
    limit = None
    if '--max-bytes' in args:
        at = args.index('--max-bytes')
        limit = int(args[at + 1])
        del args[at:at + 2]
    if len(args) != 1:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        size, text = report(args[0])
    except (OSError, ValueError, struct.error) as error:
        print('size_report: %s: %s' % (args[0], error), file=sys.stderr)
        return 1
    print(text)
    if limit is not None and size > limit:
        print('\n%s is %d bytes, more than the %d allowed' % (args[0], size, limit))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
