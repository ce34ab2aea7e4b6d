#!/usr/bin/env python3
"""Draws every picture of the installer and writes it into res/.

    python3 tools/pictures/genpics.py          write res/images/*.png and res/app.ico
    python3 tools/pictures/genpics.py --check  exit 1 when a committed file differs

Every PNG, the icon's large images included, is then re-encoded by advpng (Debian's
advancecomp: the same filtered rows, deflated with zopfli), a third smaller; its output is
checked to hold exactly the rows that were drawn, so the pictures stay as they are drawn.

Shapes are signed-distance functions; a pixel's coverage is clamp(0.5 - d)
at its centre, so edges on integer coordinates come out crisp and curves
are anti-aliased. Only + - * / and sqrt are used, which keeps the output
identical on every IEEE machine.
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

WHITE = (255, 255, 255)
RED = (231, 75, 63)
RED_HOVER = (238, 108, 98)
RED_PRESSED = (213, 64, 53)
RED_DARK = (191, 61, 51)
DISABLED = (197, 205, 223)
CROSS_DISABLED = (198, 205, 223)  # the close crosses' disabled frame
GREEN = (40, 170, 90)
GREY_TICK = (184, 184, 184)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def tint(t, colour=RED):
    """White washed with t of colour."""
    return lerp(WHITE, colour, t)


# ---------------------------------------------------------------- shapes

class Shape:
    """A signed distance (negative inside) plus a bounding box."""
    __slots__ = ('sdf', 'box')

    def __init__(self, sdf, box):
        self.sdf = sdf
        self.box = box


def round_box(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(px, py):
        qx = abs(px - cx) - hx
        qy = abs(py - cy) - hy
        if qx > 0 and qy > 0:
            return math.sqrt(qx * qx + qy * qy) - r
        return (qx if qx > qy else qy) - r
    return Shape(sdf, (x0, y0, x1, y1))


def pill(x0, y0, x1, y1):
    return round_box(x0, y0, x1, y1, min(x1 - x0, y1 - y0) / 2)


def circle(cx, cy, r):
    def sdf(px, py):
        dx, dy = px - cx, py - cy
        return math.sqrt(dx * dx + dy * dy) - r
    return Shape(sdf, (cx - r, cy - r, cx + r, cy + r))


def polygon(points):
    """Convex polygon; corners come out slightly mitred, which is fine."""
    area = 0.0
    n = len(points)
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        area += ax * by - bx * ay
    sign = 1.0 if area > 0 else -1.0
    edges = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        nx, ny = (by - ay) * sign, (ax - bx) * sign
        length = math.sqrt(nx * nx + ny * ny)
        edges.append((ax, ay, nx / length, ny / length))

    def sdf(px, py):
        return max((px - ax) * nx + (py - ay) * ny for ax, ay, nx, ny in edges)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(sdf, (min(xs), min(ys), max(xs), max(ys)))


def _segment_distance(px, py, ax, ay, vx, vy, inv_len2):
    wx, wy = px - ax, py - ay
    t = (wx * vx + wy * vy) * inv_len2
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    dx, dy = wx - vx * t, wy - vy * t
    return math.sqrt(dx * dx + dy * dy)


def stroke(prims, width):
    """Round-capped strokes along ('L', ax, ay, bx, by) segments and
    ('R', cx, cy, r) half circles that bulge to the right."""
    half = width / 2
    parts = []
    xs, ys = [], []
    for p in prims:
        if p[0] == 'L':
            _, ax, ay, bx, by = p
            vx, vy = bx - ax, by - ay
            parts.append(('L', ax, ay, vx, vy, 1.0 / (vx * vx + vy * vy)))
            xs += [ax, bx]
            ys += [ay, by]
        else:
            _, cx, cy, r = p
            parts.append(p)
            xs += [cx, cx + r]
            ys += [cy - r, cy + r]

    def sdf(px, py):
        best = 1e9
        for p in parts:
            if p[0] == 'L':
                d = _segment_distance(px, py, *p[1:])
            else:
                _, cx, cy, r = p
                if px >= cx:
                    dx, dy = px - cx, py - cy
                    d = abs(math.sqrt(dx * dx + dy * dy) - r)
                else:
                    dx = px - cx
                    d1, d2 = py - (cy - r), py - (cy + r)
                    d = math.sqrt(dx * dx + min(d1 * d1, d2 * d2))
            if d < best:
                best = d
        return best - half
    return Shape(sdf, (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half))


def polyline(points, width):
    return stroke([('L',) + points[i] + points[i + 1] for i in range(len(points) - 1)], width)


def intersect(a, b):
    sa, sb = a.sdf, b.sdf
    box = (max(a.box[0], b.box[0]), max(a.box[1], b.box[1]),
           min(a.box[2], b.box[2]), min(a.box[3], b.box[3]))
    return Shape(lambda x, y: max(sa(x, y), sb(x, y)), box)


def union(*shapes):
    fns = [s.sdf for s in shapes]
    box = (min(s.box[0] for s in shapes), min(s.box[1] for s in shapes),
           max(s.box[2] for s in shapes), max(s.box[3] for s in shapes))
    return Shape(lambda x, y: min(f(x, y) for f in fns), box)


# ------------------------------------------------- stroke alphabet (P, D, F)

# Centre lines in a box one unit high: ('L', x0, y0, x1, y1) segments and
# ('R', x, top, bottom) half circles bulging right from x.
GLYPHS = {
    'P': [('L', 0, 0, 0, 1), ('L', 0, 0, 0.24, 0), ('L', 0, 0.56, 0.24, 0.56), ('R', 0.24, 0, 0.56)],
    'D': [('L', 0, 0, 0, 1), ('L', 0, 0, 0.08, 0), ('L', 0, 1, 0.08, 1), ('R', 0.08, 0, 1)],
    'F': [('L', 0, 0, 0, 1), ('L', 0, 0, 0.46, 0), ('L', 0, 0.5, 0.38, 0.5)],
}
GLYPH_GAP = 0.2


def _layout(chars, height, width, snap):
    """Centre-line primitives from origin 0 and the total ink width. With
    snap, every coordinate is a whole pixel so that an integer stroke at an
    integer origin lands on the pixel grid."""
    s = height - width
    q = (lambda v: math.floor(v * s + 0.5)) if snap else (lambda v: v * s)
    prims = []
    ox = 0
    for i, c in enumerate(chars):
        right = 0
        for p in GLYPHS[c]:
            if p[0] == 'L':
                prims.append(('L', ox + q(p[1]), q(p[2]), ox + q(p[3]), q(p[4])))
                right = max(right, q(p[1]), q(p[3]))
            else:
                top, bottom = q(p[2]), q(p[3])
                r = (bottom - top) / 2
                prims.append(('R', ox + q(p[1]), top + r, r))
                right = max(right, q(p[1]) + r)
        ox += right
        if i < len(chars) - 1:
            ox += q(GLYPH_GAP) + width
    return prims, ox + width


def text_width(chars, height, width, snap=False):
    return _layout(chars, height, width, snap)[1]


def text(chars, x, y, height, width, snap=False):
    """Stroked capitals whose ink fills (x, y) .. (x + text_width, y + height)."""
    prims, _ = _layout(chars, height, width, snap)
    ox, oy = x + width / 2, y + width / 2
    moved = []
    for p in prims:
        if p[0] == 'L':
            moved.append(('L', p[1] + ox, p[2] + oy, p[3] + ox, p[4] + oy))
        else:
            moved.append(('R', p[1] + ox, p[2] + oy, p[3]))
    return stroke(moved, width)


# ---------------------------------------------------------------- canvas

class Canvas:
    """Premultiplied RGBA in floats: colour 0..255, alpha 0..1."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        n = w * h
        if background is None:
            self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n
        else:
            self.r = [float(background[0])] * n
            self.g = [float(background[1])] * n
            self.b = [float(background[2])] * n
            self.a = [1.0] * n

    def _span(self, box):
        x0 = max(0, int(math.floor(box[0])) - 1)
        y0 = max(0, int(math.floor(box[1])) - 1)
        x1 = min(self.w, int(math.ceil(box[2])) + 1)
        y1 = min(self.h, int(math.ceil(box[3])) + 1)
        return x0, y0, x1, y1

    def _over(self, i, r, g, b, a):
        k = 1.0 - a
        self.r[i] = r + self.r[i] * k
        self.g[i] = g + self.g[i] * k
        self.b[i] = b + self.b[i] * k
        self.a[i] = a + self.a[i] * k

    def fill(self, shape, colour=None, opacity=1.0, line=0.0, line_colour=None):
        """Paints shape in colour (None: no face) with an inner outline of
        `line` pixels. Face and outline are mixed before compositing so the
        outer edge carries only the outline colour. Colours may be functions
        of the pixel centre."""
        face = colour if callable(colour) or colour is None else (lambda x, y, c=colour: c)
        edge = line_colour if callable(line_colour) else (lambda x, y, c=line_colour: c)
        x0, y0, x1, y1 = self._span(shape.box)
        sdf = shape.sdf
        for y in range(y0, y1):
            py = y + 0.5
            row = y * self.w
            for x in range(x0, x1):
                px = x + 0.5
                d = sdf(px, py)
                if d >= 0.5:
                    continue
                outer = 1.0 if d <= -0.5 else 0.5 - d
                inner = outer
                if line:
                    di = d + line
                    inner = 0.0 if di >= 0.5 else 1.0 if di <= -0.5 else 0.5 - di
                r = g = b = a = 0.0
                if outer > inner:
                    k = outer - inner
                    c = edge(px, py)
                    r, g, b, a = c[0] * k, c[1] * k, c[2] * k, k
                if face is not None and inner > 0:
                    c = face(px, py)
                    r, g, b, a = r + c[0] * inner, g + c[1] * inner, b + c[2] * inner, a + inner
                if a > 0:
                    self._over(row + x, r * opacity, g * opacity, b * opacity, a * opacity)

    def shade(self, shape, colour, opacity, blur):
        """Soft shadow: opacity fading to zero `blur` pixels outside shape."""
        x0, y0, x1, y1 = self._span(shape.box)
        x0, y0 = max(0, x0 - int(blur)), max(0, y0 - int(blur))
        x1, y1 = min(self.w, x1 + int(blur)), min(self.h, y1 + int(blur))
        for y in range(y0, y1):
            row = y * self.w
            for x in range(x0, x1):
                t = shape.sdf(x + 0.5, y + 0.5) / blur
                if t >= 1:
                    continue
                t = 0.0 if t < 0 else t
                a = opacity * (1 - t) * (1 - t) * (1 - t)
                self._over(row + x, colour[0] * a, colour[1] * a, colour[2] * a, a)

    def blit(self, src, ox, oy, opacity=1.0):
        for y in range(src.h):
            for x in range(src.w):
                j = y * src.w + x
                a = src.a[j] * opacity
                if a > 0:
                    self._over((y + oy) * self.w + x + ox, src.r[j] * opacity,
                               src.g[j] * opacity, src.b[j] * opacity, a)

    def rgba(self):
        """Straight-alpha 8-bit RGBA bytes; transparent pixels are all zero."""
        out = bytearray(self.w * self.h * 4)
        for i in range(self.w * self.h):
            a = self.a[i]
            a8 = int(a * 255 + 0.5)
            if a8 <= 0:
                continue
            inv = 1.0 / a
            out[4 * i] = min(255, int(self.r[i] * inv + 0.5))
            out[4 * i + 1] = min(255, int(self.g[i] * inv + 0.5))
            out[4 * i + 2] = min(255, int(self.b[i] * inv + 0.5))
            out[4 * i + 3] = min(255, a8)
        return bytes(out)


def stack(frames):
    """Stacks equally sized frames top to bottom."""
    w, h = frames[0].w, frames[0].h
    sheet = Canvas(w, h * len(frames))
    for i, f in enumerate(frames):
        sheet.blit(f, 0, i * h)
    return sheet


# ------------------------------------------------------------ file formats

def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _filter_rows(data, w, h):
    """Per row, the PNG filter with the smallest sum of absolute values."""
    stride = w * 4
    prev = bytes(stride)
    out = []
    for y in range(h):
        row = data[y * stride:(y + 1) * stride]
        left = bytes(4) + row[:-4]
        upleft = bytes(4) + prev[:-4]
        candidates = [
            row,
            bytes((x - a) & 255 for x, a in zip(row, left)),
            bytes((x - b) & 255 for x, b in zip(row, prev)),
            bytes((x - ((a + b) >> 1)) & 255 for x, a, b in zip(row, left, prev)),
            bytes((x - _paeth(a, b, c)) & 255 for x, a, b, c in zip(row, left, prev, upleft)),
        ]
        costs = [sum(v if v < 128 else 256 - v for v in c) for c in candidates]
        best = costs.index(min(costs))
        out.append(bytes([best]) + candidates[best])
        prev = row
    return b''.join(out)


def png(canvas):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + \
            struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff)
    header = struct.pack('>IIBBBBB', canvas.w, canvas.h, 8, 6, 0, 0, 0)
    rgba = canvas.rgba()
    raw = _filter_rows(rgba, canvas.w, canvas.h)
    return optimised(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                     chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''), header, rgba)


def _unfilter_rows(data, w, h):
    """The RGBA rows that filtered rows DATA (any filter per row) encode."""
    stride = w * 4
    prev = bytearray(stride)
    out = bytearray()
    for y in range(h):
        kind = data[y * (stride + 1)]
        row = bytearray(data[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = row[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            row[i] = (row[i] + (0, a, b, (a + b) >> 1, _paeth(a, b, c))[kind]) & 255
        out += row
        prev = row
    return bytes(out)


def _chunks(data):
    at, out = 8, []
    while at < len(data):
        length, = struct.unpack('>I', data[at:at + 4])
        out.append((data[at + 4:at + 8], data[at + 8:at + 8 + length]))
        at += 12 + length
    return out


def optimised(data, header, rgba):
    """DATA re-encoded by advpng at its highest level (zopfli, rows unfiltered); refused
    unless it still has HEADER and its rows decode to exactly the pixels RGBA."""
    if not shutil.which('advpng'):
        sys.exit('genpics: advpng is needed (Debian package advancecomp; tools/install-deps.sh)')
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, 'picture.png')
        with open(path, 'wb') as f:
            f.write(data)
        subprocess.run(['advpng', '--quiet', '--recompress', '-4', path], check=True)
        with open(path, 'rb') as f:
            out = f.read()
    chunks = _chunks(out)
    kinds = [kind for kind, _ in chunks]
    idat = b''.join(body for kind, body in chunks if kind == b'IDAT')
    if (kinds[0] != b'IHDR' or chunks[0][1] != header or kinds[-1] != b'IEND' or
            set(kinds) != {b'IHDR', b'IDAT', b'IEND'}):
        sys.exit('genpics: advpng changed a picture\'s layout')
    width, height = struct.unpack('>II', header[:8])
    if _unfilter_rows(zlib.decompress(idat), width, height) != rgba:
        sys.exit('genpics: advpng changed a picture\'s pixels')
    return out


def dib(canvas):
    """Icon image: BITMAPINFOHEADER, bottom-up BGRA, then the 1-bpp AND mask."""
    w, h = canvas.w, canvas.h
    rgba = canvas.rgba()
    mask_stride = ((w + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            i = (y * w + x) * 4
            r, g, b, a = rgba[i:i + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def ico(images):
    """images: list of (size, bytes) in directory order."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


# ------------------------------------------------------------ the pictures

def product_icon(s):
    """Red rounded square holding a white page with a folded corner. Every
    size is laid out on its own pixel grid: text bars up to 32 px, the word
    "PDF" under two pale bars from 48 px."""
    cv = Canvas(s, s)
    top, bottom = (238, 88, 76), (224, 68, 57)
    cv.fill(round_box(0, 0, s, s, s * 0.1875), lambda x, y: lerp(top, bottom, y / s))

    big = s >= 48
    pw = 2 * round(s * (0.31 if big else 0.285))
    ph = 2 * round(s * 0.36)
    x0, y0 = (s - pw) // 2, (s - ph) // 2
    x1, y1 = x0 + pw, y0 + ph
    fold = round(s * 0.16)
    page = intersect(round_box(x0, y0, x1, y1, s / 64),
                     polygon([(x0 - 1, y0 - 1), (x1 - fold - 1, y0 - 1), (x1 + 1, y0 + fold + 1),
                              (x1 + 1, y1 + 1), (x0 - 1, y1 + 1)]))
    if big:
        cv.shade(page, (140, 30, 24), 0.3, s / 24)
    cv.fill(page, WHITE)
    cv.fill(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), (246, 190, 184))

    if big:
        sw, th = max(2, round(s / 22)), round(s * 0.2)
        tw = text_width('PDF', th, sw, snap=True)
        tx, ty = x0 + math.floor((pw - tw) / 2), y0 + round(ph * 0.5)
        cv.fill(text('PDF', tx, ty, th, sw, snap=True), RED)
        bar = max(2, round(s / 32))
        bx = tx
        for i, right in enumerate((x1 - fold - bar, x1 - round(pw * 0.4))):
            by = y0 + round(ph * 0.2) + i * 2 * bar
            cv.fill(round_box(bx, by, right, by + bar), (242, 172, 165))
    else:
        bar = 1 if s < 24 else 2
        margin = max(2, round(pw * 0.2))
        full = pw - 2 * margin
        ys = list(range(y0 + fold + bar, y1 - 1 - bar, 2 * bar))
        for i, by in enumerate(ys):
            length = full if i < len(ys) - 1 else round(full * 0.6)
            cv.fill(round_box(x0 + margin, by, x0 + margin + length, by + bar), RED)
    return cv


def brand_mark(s):
    """A pinwheel: four right triangles turning about the centre, each with
    its short sides on the pixel grid."""
    cv = Canvas(s, s)
    c = s // 2
    blades = [([(0, 0), (c, 0), (c, c)], RED_HOVER), ([(s, 0), (s, c), (c, c)], RED),
              ([(s, s), (c, s), (c, c)], RED_PRESSED), ([(0, s), (0, c), (c, c)], (246, 150, 142))]
    for points, colour in blades:
        cv.fill(polygon(points), colour)
    return cv


def close_cross(colour):
    cv = Canvas(14, 14)
    cv.fill(union(polyline([(3.5, 3.5), (10.5, 10.5)], 1.5),
                  polyline([(10.5, 3.5), (3.5, 10.5)], 1.5)), colour)
    return cv


def pic_close():
    return stack([close_cross(c) for c in ((133, 125, 125), (106, 71, 71), (93, 86, 86), CROSS_DISABLED)])


def pic_close_white():
    return stack([close_cross(c) for c in (WHITE, (246, 189, 194), (152, 35, 35), CROSS_DISABLED)])


def pic_change_button():
    frames = []
    for face in ((245, 245, 245), (240, 240, 240), (234, 234, 234), (228, 228, 228)):
        cv = Canvas(74, 32)
        cv.fill(round_box(0, 0, 74, 32, 2), face, line=1, line_colour=(209, 209, 209))
        frames.append(cv)
    return stack(frames)


def check_cell(outline, face, tick):
    cv = Canvas(14, 14)
    cv.fill(round_box(1, 1, 13, 13, 2.5), face, line=1, line_colour=outline)
    if tick:
        cv.fill(polyline([(3.5, 7.0), (6.0, 9.5), (10.5, 5.0)], 1.7), tick)
    return cv


def pic_check_box():
    pale, red, grey = (224, 203, 203), (232, 142, 146), (228, 228, 228)
    rows = [
        (check_cell(pale, None, None), check_cell(pale, WHITE, GREEN)),
        (check_cell(red, None, None), check_cell(red, WHITE, GREEN)),
        (check_cell(red, WHITE, GREEN), check_cell(red, None, None)),
        (check_cell(grey, None, None), check_cell(grey, WHITE, GREY_TICK)),
    ]
    cv = Canvas(28, 56)
    for i, (left, right) in enumerate(rows):
        cv.blit(left, 0, i * 14)
        cv.blit(right, 14, i * 14)
    return cv


def pic_install_button():
    frames = []
    for face, outline in ((WHITE, RED), ((255, 243, 243), RED),
                          ((255, 234, 232), RED_DARK), (WHITE, DISABLED)):
        cv = Canvas(160, 40)
        cv.fill(pill(0, 0, 160, 40), face, line=2, line_colour=outline)
        frames.append(cv)
    return stack(frames)


def pic_run_button():
    frames = []
    for face in (RED, RED_HOVER, RED_PRESSED, DISABLED):
        cv = Canvas(160, 40)
        cv.fill(pill(0, 0, 160, 40), face)
        frames.append(cv)
    return stack(frames)


def progress_bar(colour):
    cv = Canvas(520, 10)
    cv.fill(pill(0, 0, 520, 10), colour)
    return cv


def pic_red_button():
    frames = []
    for face in (RED, RED_HOVER, RED_PRESSED, DISABLED):
        cv = Canvas(96, 32)
        cv.fill(round_box(0, 0, 96, 32, 4), face)
        frames.append(cv)
    return stack(frames)


def pic_outline_button():
    frames = []
    for outline in (RED, RED_HOVER, RED_PRESSED, DISABLED):
        cv = Canvas(96, 32)
        cv.fill(round_box(0, 0, 96, 32, 4), WHITE, line=1, line_colour=outline)
        frames.append(cv)
    return stack(frames)


def lcg(seed):
    while True:
        seed = (seed * 1103515245 + 12345) & 0x7fffffff
        yield seed >> 8


def skyline(cv, seed, top, bottom, widths, heights, colour, opacity, windows):
    """A row of buildings standing on `bottom`, none taller than reaching `top`."""
    layer = Canvas(cv.w, cv.h)
    rnd = lcg(seed)
    x = -(next(rnd) % 20)
    while x < cv.w:
        w = widths[0] + next(rnd) % (widths[1] - widths[0])
        h = heights[0] + next(rnd) % (heights[1] - heights[0])
        y = bottom - h
        layer.fill(round_box(x, y, x + w - 2, bottom), colour)
        kind = next(rnd) % 5
        if kind == 0 and y - w // 2 >= top:
            layer.fill(polygon([(x, y), (x + (w - 2) / 2, y - (w - 2) / 2), (x + w - 2, y)]), colour)
        elif kind == 1 and y - 14 >= top:
            mid = x + (w - 2) // 2
            layer.fill(round_box(mid - 1, y - 14, mid + 1, y), colour)
        if windows and kind != 2:
            for wy in range(y + 7, bottom - 10, 9):
                for wx in range(x + 5, x + w - 8, 7):
                    if next(rnd) % 4:
                        layer.fill(round_box(wx, wy, wx + 3, wy + 4), WHITE, 0.6)
        x += w
    cv.blit(layer, 0, 0, opacity)


def city(cv):
    skyline(cv, 7, 282, cv.h, (26, 50), (62, 118), RED, 0.045, False)
    skyline(cv, 3, 300, cv.h, (30, 64), (34, 84), RED, 0.075, True)


def pic_background_finished():
    cv = Canvas(600, 400, WHITE)
    city(cv)
    cv.blit(product_icon(24), 20, 18)
    cx, cy = 300, 95
    cv.fill(circle(cx, cy, 54), tint(0.05))
    cv.fill(circle(cx, cy, 46), tint(0.16))
    cv.fill(circle(cx, cy, 38), WHITE)
    cv.fill(polyline([(cx - 18, cy + 1), (cx - 5, cy + 14), (cx + 19, cy - 11)], 7), RED)
    return cv


# The window's close button fills its 14 x 14 square at (566, 20) white. A background wash
# leaves a disc over that square white and fades in around it, so that no pale box shows
# around the cross. The disc reaches 2 pixels past the square's corners, which covers the
# stretch filter and the rounding of the square's place and size at any DPI.
CLOSE_SQUARE = (566, 20, 14)


def close_clearance(x, y, margin=2, fade=24):
    """0 on the close button's square, rising smoothly to 1 around it."""
    left, top, size = CLOSE_SQUARE
    half = size / 2
    cx, cy = left + half, top + half
    d = math.sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - math.sqrt(2) * (half + margin)
    t = 0.0 if d < 0 else 1.0 if d > fade else d / fade
    return t * t * (3 - 2 * t)


def pic_background_ready():
    top, bottom = tint(0.085), WHITE

    def wash(x, y):
        t = y / 300
        t = 1.0 if t > 1 else t
        return lerp(WHITE, lerp(top, bottom, t * t * (3 - 2 * t)), close_clearance(x, y))
    cv = Canvas(600, 400)
    cv.fill(round_box(0, 0, 600, 400), wash)
    cv.blit(brand_mark(28), 20, 16)
    x, y, s = 264, 48, 72
    cv.shade(round_box(x + 2, y + 6, x + s - 2, y + s, 14), (150, 40, 30), 0.16, 12)
    cv.blit(product_icon(s), x, y)
    return cv


# Nodes of the decorative network: (x, y, radius); radius >= 20 carries "PDF".
NODES = [(392, 118, 30), (520, 88, 12), (548, 196, 26), (452, 222, 9), (340, 206, 15),
         (420, 296, 22), (330, 84, 7), (560, 290, 10), (486, 150, 6), (505, 300, 7)]
LINKS = [(0, 1), (0, 4), (0, 6), (0, 8), (1, 8), (8, 2), (8, 3), (2, 3), (3, 4), (3, 5),
         (4, 5), (2, 7), (5, 9), (7, 9), (2, 1)]


def network(cv):
    line, rim, disc, ink = tint(0.16), tint(0.3), tint(0.05), tint(0.42)
    for a, b in LINKS:
        (ax, ay, _), (bx, by, _) = NODES[a], NODES[b]
        cv.fill(polyline([(ax, ay), (bx, by)], 1.0), line)
    for x, y, r in NODES:
        big = r >= 20
        cv.fill(circle(x, y, r), disc if big else WHITE, line=1.5, line_colour=rim)
        if big:
            h = round(r * 0.5)
            sw = r / 12
            tw = text_width('PDF', h, sw)
            cv.fill(text('PDF', x - tw / 2, y - h / 2, h, sw), ink)


def bullet(cv, cx, cy):
    cv.fill(circle(cx, cy, 8), RED)
    cv.fill(polyline([(cx - 3.5, cy + 0.2), (cx - 1.0, cy + 2.7), (cx + 3.6, cy - 2.3)], 1.7), WHITE)


def pic_background_installing():
    cv = Canvas(600, 400, WHITE)
    network(cv)
    cv.blit(product_icon(24), 20, 18)
    for cy in (99, 135, 171, 207):
        bullet(cv, 56, cy)
    return cv


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# The sizes that windows, the taskbar and small views load (up to 48 px, which is the
# window icon at 144 DPI) stay bitmaps: nothing has to decode a PNG to show them, and
# every reader of icons understands them. The larger ones appear only in the shell's big
# views, whose readers (Vista and later) take PNG-compressed images, at a tenth the size.
LARGEST_BITMAP_ICON = 48


def app_ico():
    return ico([(s, dib(product_icon(s)) if s <= LARGEST_BITMAP_ICON else png(product_icon(s)))
                for s in ICON_SIZES])


PICTURES = {
    'res/images/129-change-button.png': pic_change_button,
    'res/images/130-check-box.png': pic_check_box,
    'res/images/131-close.png': pic_close,
    'res/images/132-install-button.png': pic_install_button,
    'res/images/133-run-button.png': pic_run_button,
    'res/images/134-progress-fill.png': lambda: progress_bar(RED),
    'res/images/135-progress-track.png': lambda: progress_bar((233, 233, 233)),
    'res/images/136-background-finished.png': pic_background_finished,
    'res/images/137-background-ready.png': pic_background_ready,
    'res/images/138-background-installing.png': pic_background_installing,
    'res/images/139-close-white.png': pic_close_white,
    'res/images/140-red-button.png': pic_red_button,
    'res/images/141-outline-button.png': pic_outline_button,
}


def render_all():
    files = {path: png(draw()) for path, draw in PICTURES.items()}
    files['res/app.ico'] = app_ico()
    return files


def main(argv):
    check = '--check' in argv[1:]
    files = render_all()
    if check:
        differing = []
        for path, data in sorted(files.items()):
            full = os.path.join(ROOT, path)
            if not os.path.exists(full) or open(full, 'rb').read() != data:
                differing.append(path)
        for path in differing:
            print('differs: ' + path)
        return 1 if differing else 0
    for path, data in sorted(files.items()):
        full = os.path.join(ROOT, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
