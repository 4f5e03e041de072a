#!/usr/bin/env python3
"""Writes the BigTIFF pictures that the tests read, into tests/fixtures/bigtiff/, byte by byte.

BigTIFF is TIFF with 64-bit offsets: the header "II" 2B 00 08 00 00 00 (or "MM" 00 2B ...) and
an 8-byte offset to the first directory, whose entry count takes 8 bytes, whose entries take
20 (tag, type, 8-byte count, 8-byte value or offset: values up to 8 bytes are inline) and
whose next-directory offset takes 8. It adds the types LONG8 (16) and IFD8 (18), which are no
item types: an item reader skips them, but follows a directory pointer stored as IFD8.
  bigtiff_rgb_8bit.tif      little-endian, 5 x 3 RGB, uncompressed; strip offsets and byte
                            counts as LONG8, 300 dpi, text tags, an Exif directory behind an IFD8
                            pointer, and a second page (not read)
  bigtiff_grey_16bit_be.tif  big-endian, 4 x 2 grey of 16 bits, its Exif pointer as LONG8

The files are committed; at the end exiftool reads them back and the script stops if one says
otherwise than meant.
Run from anywhere: python3 scripts/make_bigtiff_fixtures.py
"""

import json
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fixture_bytes import (ASCII, DATE_TIME, DATE_TIME_ORIGINAL, EXIF_IFD, EXPOSURE_TIME,  # noqa: E402
                           IFD8, LONG, LONG8, MAKE, MODEL, ORIENTATION, RATIONAL,
                           RESOLUTION_UNIT, SHORT, SOFTWARE, X_RESOLUTION, Y_RESOLUTION)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "fixtures", "bigtiff")

IMAGE_WIDTH, IMAGE_LENGTH, BITS_PER_SAMPLE, COMPRESSION = 256, 257, 258, 259
PHOTOMETRIC, STRIP_OFFSETS, SAMPLES_PER_PIXEL, ROWS_PER_STRIP, STRIP_BYTE_COUNTS = (
    262, 273, 277, 278, 279)

FORMATS = {1: "B", 2: "s", 3: "H", 4: "I", 5: "II", 7: "B", 16: "Q", 18: "Q"}
SIZES = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 7: 1, 16: 8, 18: 8}


class BigTiff:
    """Lays out a BigTIFF: header, then each directory followed by its values that do not fit
    in 8 bytes, then the pixel strips. Values that point elsewhere (strip offsets, directory
    pointers) are given as names, filled in once everything has its place."""

    def __init__(self, big_endian):
        self.e = ">" if big_endian else "<"
        self.big_endian = big_endian

    def pack(self, kind, values):
        if kind == ASCII:
            data = values.encode("ascii") + b"\0"
            return data, len(data)
        if kind == RATIONAL:
            return b"".join(struct.pack(self.e + "II", *v) for v in values), len(values)
        return b"".join(struct.pack(self.e + FORMATS[kind], v) for v in values), len(values)

    def build(self, directories, strips, next_page=None):
        """directories: list of entry lists (tag, type, values), where values may name a place:
        ("dir", index) or ("strip", index). strips: the pixel bytes, one strip each. The first
        directory's next-directory offset points to directory `next_page`, if given."""
        def size_of(entries):
            values = 0
            for tag, kind, data in entries:
                length = SIZES[kind] * (len(data) if kind != ASCII else len(data) + 1)
                if length > 8:
                    values += length + length % 2
            return 8 + 20 * len(entries) + 8 + values

        places = {}
        at = 16
        for index, entries in enumerate(directories):
            places[("dir", index)] = at
            at += size_of(entries)
        for index, strip in enumerate(strips):
            places[("strip", index)] = at
            at += len(strip)

        e = self.e
        out = (b"MM\0\x2b\0\x08\0\0" if self.big_endian else b"II\x2b\0\x08\0\0\0")
        out += struct.pack(e + "Q", places[("dir", 0)])
        for index, entries in enumerate(directories):
            start = places[("dir", index)]
            value_at = start + 8 + 20 * len(entries) + 8
            body = struct.pack(e + "Q", len(entries))
            values = b""
            for tag, kind, data in sorted(entries):
                if kind not in (ASCII, RATIONAL):
                    data = [places[v] if isinstance(v, tuple) else v for v in data]
                packed, count = self.pack(kind, data)
                if len(packed) <= 8:
                    field = packed.ljust(8, b"\0")
                else:
                    field = struct.pack(e + "Q", value_at + len(values))
                    values += packed + b"\0" * (len(packed) % 2)
                body += struct.pack(e + "HHQ", tag, kind, count) + field
            next_offset = places[("dir", next_page)] if index == 0 and next_page else 0
            out += body + struct.pack(e + "Q", next_offset) + values
        return out + b"".join(strips)


def rgb_file():
    width, height = 5, 3
    strip = bytes(v for y in range(height) for x in range(width)
                  for v in (x * 60, y * 120, 255 - x * 60))
    page = bytes([0, 0, 0] * 4)
    first = [
        (IMAGE_WIDTH, SHORT, [width]), (IMAGE_LENGTH, SHORT, [height]),
        (BITS_PER_SAMPLE, SHORT, [8, 8, 8]), (COMPRESSION, SHORT, [1]),
        (PHOTOMETRIC, SHORT, [2]), (MAKE, ASCII, "Veltra"), (MODEL, ASCII, "BigTIFF fixture"),
        (STRIP_OFFSETS, LONG8, [("strip", 0)]), (ORIENTATION, SHORT, [1]),
        (SAMPLES_PER_PIXEL, SHORT, [3]), (ROWS_PER_STRIP, SHORT, [height]),
        (STRIP_BYTE_COUNTS, LONG8, [len(strip)]), (X_RESOLUTION, RATIONAL, [(300, 1)]),
        (Y_RESOLUTION, RATIONAL, [(300, 1)]), (RESOLUTION_UNIT, SHORT, [2]),
        (SOFTWARE, ASCII, "make_bigtiff_fixtures"), (DATE_TIME, ASCII, "2026:12:09 13:00:00"),
        (EXIF_IFD, IFD8, [("dir", 1)]),
    ]
    exif = [(EXPOSURE_TIME, RATIONAL, [(1, 125)]),
            (DATE_TIME_ORIGINAL, ASCII, "2026:12:09 13:00:00")]
    second = [
        (IMAGE_WIDTH, SHORT, [2]), (IMAGE_LENGTH, SHORT, [2]),
        (BITS_PER_SAMPLE, SHORT, [8, 8, 8]), (COMPRESSION, SHORT, [1]),
        (PHOTOMETRIC, SHORT, [2]), (STRIP_OFFSETS, LONG8, [("strip", 1)]),
        (SAMPLES_PER_PIXEL, SHORT, [3]), (ROWS_PER_STRIP, SHORT, [2]),
        (STRIP_BYTE_COUNTS, LONG8, [len(page)]), (SOFTWARE, ASCII, "second page"),
    ]
    return BigTiff(False).build([first, exif, second], [strip, page], next_page=2)


def grey_file():
    width, height = 4, 2
    strip = b"".join(struct.pack(">H", (x + y * width) * 8000) for y in range(height)
                     for x in range(width))
    first = [
        (IMAGE_WIDTH, LONG, [width]), (IMAGE_LENGTH, LONG, [height]),
        (BITS_PER_SAMPLE, SHORT, [16]), (COMPRESSION, SHORT, [1]), (PHOTOMETRIC, SHORT, [1]),
        (STRIP_OFFSETS, LONG, [("strip", 0)]), (SAMPLES_PER_PIXEL, SHORT, [1]),
        (ROWS_PER_STRIP, LONG, [height]), (STRIP_BYTE_COUNTS, LONG, [len(strip)]),
        (EXIF_IFD, LONG8, [("dir", 1)]),
    ]
    exif = [(DATE_TIME_ORIGINAL, ASCII, "2026:12:09 14:00:00")]
    return BigTiff(True).build([first, exif], [strip])


def check():
    names = ["bigtiff_rgb_8bit.tif", "bigtiff_grey_16bit_be.tif"]
    found = json.loads(subprocess.run(
        ["exiftool", "-j", "-n", "-FileType", "-ImageWidth", "-ImageHeight", "-BitsPerSample",
         "-DateTimeOriginal", "-Make"] + [os.path.join(OUT, n) for n in names],
        check=True, capture_output=True, text=True).stdout)
    rgb, grey = found
    assert rgb["FileType"] == "BTF" and (rgb["ImageWidth"], rgb["ImageHeight"]) == (5, 3), rgb
    assert rgb["Make"] == "Veltra" and rgb["DateTimeOriginal"] == "2026:12:09 13:00:00", rgb
    assert (grey["ImageWidth"], grey["ImageHeight"], grey["BitsPerSample"]) == (4, 2, 16), grey
    assert grey["DateTimeOriginal"] == "2026:12:09 14:00:00", grey


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in (("bigtiff_rgb_8bit.tif", rgb_file()),
                       ("bigtiff_grey_16bit_be.tif", grey_file())):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    check()
    print(f"make_bigtiff_fixtures: {len(os.listdir(OUT))} files in {OUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
