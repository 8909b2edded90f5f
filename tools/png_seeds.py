#!/usr/bin/env python3
"""Writes small PNGs into a folder, seeds for the picture fuzz targets: every colour type and
bit depth, interlaced, every form of tRNS, palettes of 1 to 256 entries, world-sized pictures,
zero and outsized dimensions, and files broken in their structure.
usage: png_seeds.py FOLDER   (then scripts/fuzz merges them into tests/fuzz/corpus)"""
import os
import struct
import sys
import zlib

WORLD = (8192, 768)  # the layers' size, in pixels: the only one measureShape reads
# Adam7's passes: first column, first row, column step, row step.
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(name, data, crc=None):
    crc = zlib.crc32(name + data) if crc is None else crc
    return struct.pack(">I", len(data)) + name + data + struct.pack(">I", crc)


def scanlines(width, height, depth, colour, pixel, interlaced):
    """The filtered rows of the picture whose sample at (x, y, channel) is pixel(x, y, channel)."""
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    out = bytearray()
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            bits, row = "", bytearray([0])
            for x in range(x0, width, dx):
                for c in range(CHANNELS[colour]):
                    bits += format(pixel(x, y, c) % (1 << depth), "0%db" % depth)
            if bits:
                bits += "0" * (-len(bits) % 8)
                row += int(bits, 2).to_bytes(len(bits) // 8, "big")
                out += row
    return bytes(out)


def world(row, period):
    """Unfiltered rows of a world-sized picture whose row y is row(y), the same every `period` rows past 300."""
    made = {}
    return b"".join(b"\0" + made.setdefault(y if y <= 301 else 302 + y % period, row(y)) for y in range(WORLD[1]))


def png(width, height, depth=8, colour=3, before=(), after=(), pixel=None, interlaced=False, raw=None):
    pixel = pixel or (lambda x, y, c: x + 3 * y + c)
    if raw is None:
        raw = scanlines(width, height, depth, colour, pixel, interlaced)
    header = struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, int(interlaced))
    idat = zlib.compress(raw, 9)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + b"".join(before) +
            chunk(b"IDAT", idat) + b"".join(after) + chunk(b"IEND", b""))


def palette(n):
    return chunk(b"PLTE", bytes((i * 37 + c * 91) % 256 for i in range(n) for c in range(3)))


def seeds():
    for colour, depths in {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}.items():
        for depth in depths:
            plte = [palette(1 << depth)] if colour == 3 else []
            for interlaced in (False, True):
                yield "type%d-%dbit%s" % (colour, depth, "-adam7" if interlaced else ""), \
                    png(13, 7, depth, colour, plte, interlaced=interlaced)
    for n in (1, 2, 16, 255, 256):
        yield "palette-%d" % n, png(17, 5, 8, 3, [palette(n)], pixel=lambda x, y, c: x * y)
    trns = {"one-clear": b"\xff\x00", "two-clear": b"\x00\x00", "partial": b"\xff\x80\xff", "long": b"\xff" * 300}
    for name, alpha in trns.items():
        yield "trns-" + name, png(9, 4, 8, 3, [palette(200), chunk(b"tRNS", alpha)])
    yield "trns-before-plte", png(9, 4, 8, 3, [chunk(b"tRNS", b"\x00"), palette(4)])
    yield "trns-gray", png(9, 4, 8, 0, [chunk(b"tRNS", b"\x00\x05")])
    yield "trns-rgb16", png(9, 4, 16, 2, [chunk(b"tRNS", b"\x00\x05\x00\x06\x00\x07")])
    # World-sized: what measureShape reads; indices beyond a short palette; its keyed and alpha forms.
    indexed = world(lambda y: bytes((x // 16 + y) % 7 if y > 300 else 0 for x in range(WORLD[0])), 7)
    yield "world-palette-short", png(*WORLD, 8, 3, [palette(3)], raw=indexed)
    yield "world-keyed", png(*WORLD, 8, 3, [palette(7), chunk(b"tRNS", b"\x00")], raw=indexed)
    yield "world-rgba", png(*WORLD, 8, 6, raw=world(lambda y: bytes([y % 256, 9, 9, 255 * (y > 400)]) * WORLD[0], 1))
    yield "world-gray-alpha", png(*WORLD, 8, 4, raw=world(lambda y: bytes([y % 256, 255 * (y > 500)]) * WORLD[0], 1))
    for w, h in ((0, 5), (5, 0), (16385, 1), (1, 16385), (16384, 1953), (16384, 16384)):
        yield "size-%dx%d" % (w, h), png(w, h, 8, 0, raw=b"\0" * 64)
    good = png(11, 6, 8, 2, after=[chunk(b"tEXt", b"k\0v")])
    yield "truncated-idat", good[:60]
    yield "truncated-iend", good[:-6]
    yield "bad-crc-ihdr", good[:29] + b"\0\0\0\0" + good[33:]
    yield "bad-crc-text", good[:-13] + bytes([good[-13] ^ 1]) + good[-12:]
    yield "extra-chunks", png(6, 6, 8, 6, [chunk(b"gAMA", b"\0\0\xb1\x8f"), chunk(b"ruSt", b"x" * 9)],
                              [chunk(b"zzZz", b"")])
    yield "unknown-critical", png(6, 6, 8, 6, [chunk(b"RUST", b"1")])
    yield "idat-split", good[:33] + b"".join(
        chunk(b"IDAT", zlib.compress(scanlines(11, 6, 8, 2, lambda x, y, c: x, False))[i:i + 5])
        for i in range(0, 80, 5)) + chunk(b"IEND", b"")
    yield "no-iend", good[:-12]
    yield "after-iend", good + b"trailing"


if __name__ == "__main__":
    os.makedirs(sys.argv[1], exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(sys.argv[1], name + ".png"), "wb") as f:
            f.write(data)
