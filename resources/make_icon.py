#!/usr/bin/env python3
"""Draws the application icon and writes resources/console.ico (one 256 x 256 PNG image).

Two nodes joined by a tunnel arch on a blue-teal tile. Every shape is a signed distance
field, so each edge is anti-aliased by its exact pixel coverage. Standard library only.

    python3 resources/make_icon.py [--png preview.png]
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZE = 256

# Tile, from teal at the top left to blue at the bottom right.
TEAL = (38, 178, 170)
BLUE = (29, 96, 176)
WHITE = (255, 255, 255)

TILE_MARGIN = 8
TILE_RADIUS = 52

ARCH_CENTRE = (128.0, 162.0)
ARCH_RADIUS = 72.0
ARCH_WIDTH = 30.0
DASH_WIDTH = 6.0
DASH_COUNT = 4
DASH_FILL = 0.55  # share of each dash period that is drawn
DASH_START = 0.62  # angle from each node's centre, in radians, where the dashes may begin

NODE_RADIUS = 32.0
NODE_HOLE = 12.0


def coverage(distance):
    """Share of a pixel inside a shape whose signed distance at the pixel centre is given."""
    return min(1.0, max(0.0, 0.5 - distance))


def rounded_square(x, y):
    half = (SIZE - 2 * TILE_MARGIN) / 2 - TILE_RADIUS
    qx = abs(x - SIZE / 2) - half
    qy = abs(y - SIZE / 2) - half
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - TILE_RADIUS


def upper_ring(x, y, radius, width):
    """The upper half of a ring: the arch, cut flat where it meets the nodes."""
    cx, cy = ARCH_CENTRE
    ring = abs(math.hypot(x - cx, y - cy) - radius) - width / 2
    return max(ring, y - cy)


def dashes(x, y):
    """Short strokes along the arch's centre line: the traffic in the tunnel."""
    cx, cy = ARCH_CENTRE
    radial = abs(math.hypot(x - cx, y - cy) - ARCH_RADIUS) - DASH_WIDTH / 2
    angle = math.atan2(cy - y, x - cx) - DASH_START  # 0 where the dashes begin at the right node
    period = (math.pi - 2 * DASH_START) / DASH_COUNT
    if angle < 0 or angle > period * DASH_COUNT:
        return 1e9
    phase = (angle % period) - period / 2
    along = abs(phase) * ARCH_RADIUS - DASH_FILL * period * ARCH_RADIUS / 2
    outside = math.hypot(max(radial, 0.0), max(along, 0.0))
    return outside + min(max(radial, along), 0.0)


def nodes(x, y, radius):
    """The two nodes at the arch's feet, as discs of the given radius."""
    cx, cy = ARCH_CENTRE
    nearest = min(math.hypot(x - (cx - ARCH_RADIUS), y - cy), math.hypot(x - (cx + ARCH_RADIUS), y - cy))
    return nearest - radius


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def over(top, top_alpha, bottom, bottom_alpha):
    """Straight-alpha "over" compositing of one colour onto another."""
    alpha = top_alpha + bottom_alpha * (1 - top_alpha)
    if alpha == 0:
        return (0.0, 0.0, 0.0), 0.0
    colour = tuple((t * top_alpha + b * bottom_alpha * (1 - top_alpha)) / alpha for t, b in zip(top, bottom))
    return colour, alpha


def pixel(x, y):
    px, py = x + 0.5, y + 0.5
    tile = coverage(rounded_square(px, py))
    if tile == 0:
        return (0, 0, 0, 0)
    shade = mix(TEAL, BLUE, min(1.0, max(0.0, (px + py) / (2 * SIZE))))
    colour, alpha = shade, tile
    arch = coverage(upper_ring(px, py, ARCH_RADIUS, ARCH_WIDTH))
    arch = max(arch, coverage(nodes(px, py, NODE_RADIUS)))
    colour, alpha = over(WHITE, arch * tile, colour, alpha)
    # The nodes' holes and the dashes are cut out of the white in the tile's own colour.
    cut = max(coverage(nodes(px, py, NODE_HOLE)), coverage(dashes(px, py)))
    colour, alpha = over(shade, cut * tile, colour, alpha)
    return tuple(round(c) for c in colour) + (round(alpha * 255),)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8 bits, RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico(image):
    # One entry; width and height 0 mean 256; 1 plane, 32 bits per pixel; the image follows.
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main(argv):
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            row.extend(pixel(x, y))
        rows.append(row)
    image = png(SIZE, SIZE, rows)
    Path(__file__).with_name("console.ico").write_bytes(ico(image))
    if len(argv) == 3 and argv[1] == "--png":
        Path(argv[2]).write_bytes(image)


if __name__ == "__main__":
    main(sys.argv)
