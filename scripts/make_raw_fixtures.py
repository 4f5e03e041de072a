#!/usr/bin/env python3
"""Writes small camera raws (DNG) byte by byte into tests/fixtures/raw/, and large ones for the
benchmark.

Each fixture is a DNG of a known picture: four quadrants of known sRGB colours, mosaicked
onto an RGGB Bayer pattern of 16-bit linear samples (uncompressed), with two pixels of masked
border all round (ActiveArea), the camera's white balance and a colour matrix that makes the
camera's colours linear sRGB, so that a faithful development (camera white balance, sRGB
output, the sRGB curve, no brightening) gives the quadrants' colours back. Beside the sensor
data each file holds a 16x12 uncompressed thumbnail in IFD0 and a full-size JPEG preview made
with cjpeg in a second SubIFD, both of the same picture, stored unturned as cameras store
them, and an Orientation in IFD0. Two fixtures' previews differ on purpose: one is mirrored,
one shows only the picture's middle. One more has a sensor without colour filters (a
monochrome camera's), which records each quadrant's green as grey.

The sensor data is the last thing in the file, so a copy cut short loses only sensor data.

At the end exiftool reads every fixture back and the script stops if it disagrees with what
was meant to be written.

Usage:
  python3 scripts/make_raw_fixtures.py                 # the fixtures, into tests/fixtures/raw/
  python3 scripts/make_raw_fixtures.py --large OUT.dng [WIDTH HEIGHT]
                                                       # a photo-like raw for the benchmark,
                                                       # and its preview as OUT.preview.jpg
"""

import json
import os
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "fixtures", "raw")

# TIFF field types.
BYTE, ASCII, SHORT, LONG, RATIONAL, UNDEFINED, SRATIONAL = 1, 2, 3, 4, 5, 7, 10
SIZES = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8, UNDEFINED: 1, SRATIONAL: 8}

# The known picture: sRGB colours of the quadrants, top left, top right, bottom left, bottom
# right. Their linear values stay below 0.75 of the white level, where LibRaw would take the
# data's own maximum for the white level instead.
QUADRANTS = ((220, 60, 40), (60, 180, 70), (50, 80, 200), (200, 200, 200))
WIDTH, HEIGHT = 64, 48  # the active area, the developed picture before turning
MARGIN = 2              # masked pixels on every side
BLACK, WHITE = 256, 15000
THUMB_WIDTH, THUMB_HEIGHT = 16, 12

# XYZ (D65) to linear sRGB: as the DNG's ColorMatrix1 it makes the camera's colours sRGB.
XYZ_TO_SRGB = ((3.2404542, -1.5371385, -0.4985314),
               (-0.9692660, 1.8760108, 0.0415560),
               (0.0556434, -0.2040259, 1.0572252))


def srgb_to_linear(value):
    c = value / 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def quadrant_colour(x, y, width, height):
    return QUADRANTS[(2 if y >= height // 2 else 0) + (1 if x >= width // 2 else 0)]


def cfa_colour(x, y):
    """RGGB: 0 red, 1 green, 2 blue."""
    return (0, 1, 1, 2)[(y % 2) * 2 + (x % 2)]


# ---------------------------------------------------------------------------------------------
# TIFF structures, little-endian

class Ifd:
    """A directory: entries (tag, type, values), laid out with its values by Layout."""

    def __init__(self, entries):
        self.entries = sorted(entries, key=lambda e: e[0])
        self.offset = None

    def value_bytes(self, kind, values):
        if kind == ASCII:
            return values.encode("latin-1") + b"\0" if isinstance(values, str) else values
        if kind == UNDEFINED or kind == BYTE:
            return bytes(values)
        if kind in (RATIONAL, SRATIONAL):
            code = "<ii" if kind == SRATIONAL else "<II"
            return b"".join(struct.pack(code, n, d) for n, d in values)
        code = {SHORT: "<H", LONG: "<I"}[kind]
        return b"".join(struct.pack(code, v) for v in values)

    def size(self):
        total = 2 + 12 * len(self.entries) + 4
        for _, kind, values in self.entries:
            length = len(self.value_bytes(kind, self.resolve(values)))
            if length > 4:
                total += length + (length & 1)
        return total

    @staticmethod
    def resolve(values):
        # Offsets of blocks laid out later are given as callables.
        return values() if callable(values) else values

    def serialise(self, next_offset=0):
        head = struct.pack("<H", len(self.entries))
        values_at = self.offset + 2 + 12 * len(self.entries) + 4
        extra = b""
        for tag, kind, values in self.entries:
            data = self.value_bytes(kind, self.resolve(values))
            count = len(data) // SIZES[kind]
            if len(data) <= 4:
                head += struct.pack("<HHI", tag, kind, count) + data.ljust(4, b"\0")
            else:
                head += struct.pack("<HHII", tag, kind, count, values_at + len(extra))
                extra += data + (b"\0" if len(data) & 1 else b"")
        return head + struct.pack("<I", next_offset) + extra


class Block:
    def __init__(self, data):
        self.data = data
        self.offset = None

    def size(self):
        return len(self.data) + (len(self.data) & 1)

    def serialise(self):
        return self.data + (b"\0" if len(self.data) & 1 else b"")


def layout(parts):
    """Places the parts one after another after the 8-byte header; returns the file."""
    at = 8
    for part in parts:
        part.offset = at
        at += part.size()
    out = b"II*\0" + struct.pack("<I", parts[0].offset)
    for part in parts:
        out += part.serialise() if isinstance(part, Block) else part.serialise(0)
    return out


def offset_of(part):
    # Zero while the sizes are being measured, before anything is placed.
    return part.offset or 0


def rational(value, denominator=10000):
    return (int(round(value * denominator)), denominator)


# ---------------------------------------------------------------------------------------------
# Pictures

def picture_rgb(width, height):
    """The known picture as sRGB bytes, row by row."""
    out = bytearray()
    for y in range(height):
        for x in range(width):
            out += bytes(quadrant_colour(x, y, width, height))
    return bytes(out)


def thumbnail_rgb():
    return picture_rgb(THUMB_WIDTH, THUMB_HEIGHT)


def jpeg_of(rgb, width, height, quality=90):
    with tempfile.TemporaryDirectory() as folder:
        ppm = os.path.join(folder, "picture.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (width, height) + rgb)
        return subprocess.run(["cjpeg", "-quality", str(quality), ppm], check=True,
                              capture_output=True).stdout


def sensor_samples(monochrome=False):
    """The mosaic of the picture with its masked border: 16-bit little-endian samples. A
    monochrome sensor (no colour filters) records each quadrant's green as its grey."""
    raw_width, raw_height = WIDTH + 2 * MARGIN, HEIGHT + 2 * MARGIN
    out = bytearray()
    for row in range(raw_height):
        for column in range(raw_width):
            x, y = column - MARGIN, row - MARGIN
            if 0 <= x < WIDTH and 0 <= y < HEIGHT:
                channel = 1 if monochrome else cfa_colour(x, y)
                linear = srgb_to_linear(quadrant_colour(x, y, WIDTH, HEIGHT)[channel])
                sample = BLACK + round(linear * (WHITE - BLACK))
            else:
                sample = BLACK
            out += struct.pack("<H", sample)
    return bytes(out)


# ---------------------------------------------------------------------------------------------
# DNG

def dng(orientation, sensor, sensor_width, sensor_height, active, preview, preview_size,
        original_name=None, black=BLACK, white=WHITE, monochrome=False):
    thumbnail = Block(thumbnail_rgb())
    preview_block = Block(preview)
    sensor_block = Block(sensor)

    exif = Ifd([
        (0x829A, RATIONAL, [(1, 125)]),            # ExposureTime
        (0x829D, RATIONAL, [(56, 10)]),            # FNumber
        (0x8827, SHORT, [200]),                    # ISOSpeedRatings
        (0x9000, UNDEFINED, b"0230"),              # ExifVersion
        (0x9003, ASCII, "2024:05:01 12:00:00"),    # DateTimeOriginal
        (0x920A, RATIONAL, [(35, 1)]),             # FocalLength
    ])
    gps = Ifd([
        (0x0000, BYTE, [2, 3, 0, 0]),              # GPSVersionID
        (0x0001, ASCII, "N"),
        (0x0002, RATIONAL, [(43, 1), (28, 1), (1, 1)]),
        (0x0003, ASCII, "E"),
        (0x0004, RATIONAL, [(11, 1), (53, 1), (6, 1)]),
    ])
    cfa = [] if monochrome else [
        (0x828D, SHORT, [2, 2]),                   # CFARepeatPatternDim
        (0x828E, BYTE, [0, 1, 1, 2]),              # CFAPattern: RGGB
        (0xC617, SHORT, [1]),                      # CFALayout
    ]
    raw = Ifd([
        (0x00FE, LONG, [0]),                       # NewSubFileType: the main picture
        (0x0100, LONG, [sensor_width]),
        (0x0101, LONG, [sensor_height]),
        (0x0102, SHORT, [16]),
        (0x0103, SHORT, [1]),                      # uncompressed
        (0x0106, SHORT, [34892 if monochrome else 32803]),  # LinearRaw or CFA
        (0x0111, LONG, lambda: [offset_of(sensor_block)]),
        (0x0115, SHORT, [1]),
        (0x0116, LONG, [sensor_height]),
        (0x0117, LONG, [len(sensor)]),
        (0x011C, SHORT, [1]),
    ] + cfa + [
        (0xC61A, LONG, [black]),                   # BlackLevel
        (0xC61D, LONG, [white]),                   # WhiteLevel
        (0xC68D, LONG, list(active)),              # ActiveArea: top, left, bottom, right
    ])
    preview_ifd = Ifd([
        (0x00FE, LONG, [1]),                       # a reduced-resolution picture
        (0x0100, LONG, [preview_size[0]]),
        (0x0101, LONG, [preview_size[1]]),
        (0x0102, SHORT, [8, 8, 8]),
        (0x0103, SHORT, [7]),                      # JPEG
        (0x0106, SHORT, [6]),                      # YCbCr
        (0x0111, LONG, lambda: [offset_of(preview_block)]),
        (0x0115, SHORT, [3]),
        (0x0116, LONG, [preview_size[1]]),
        (0x0117, LONG, [len(preview)]),
        (0x011C, SHORT, [1]),
    ])
    ifd0_entries = [
        (0x00FE, LONG, [1]),
        (0x0100, LONG, [THUMB_WIDTH]),
        (0x0101, LONG, [THUMB_HEIGHT]),
        (0x0102, SHORT, [8, 8, 8]),
        (0x0103, SHORT, [1]),
        (0x0106, SHORT, [2]),                      # RGB
        (0x010F, ASCII, "Veltra"),                 # Make
        (0x0110, ASCII, "Fixture Camera"),         # Model
        (0x0111, LONG, lambda: [offset_of(thumbnail)]),
        (0x0112, SHORT, [orientation]),
        (0x0115, SHORT, [3]),
        (0x0116, LONG, [THUMB_HEIGHT]),
        (0x0117, LONG, [len(thumbnail.data)]),
        (0x011A, RATIONAL, [(300, 1)]),
        (0x011B, RATIONAL, [(300, 1)]),
        (0x011C, SHORT, [1]),
        (0x0128, SHORT, [2]),
        (0x0131, ASCII, "make_raw_fixtures.py"),   # Software
        (0x0132, ASCII, "2024:05:01 12:00:00"),
        (0x014A, LONG, lambda: [offset_of(raw), offset_of(preview_ifd)]),   # SubIFDs
        (0x8769, LONG, lambda: [offset_of(exif)]),
        (0x8825, LONG, lambda: [offset_of(gps)]),
        (0xC612, BYTE, [1, 4, 0, 0]),              # DNGVersion
        (0xC613, BYTE, [1, 1, 0, 0]),              # DNGBackwardVersion
        (0xC614, ASCII, "Veltra Fixture Camera"),  # UniqueCameraModel
        (0xC621, SRATIONAL, [rational(v) for row in XYZ_TO_SRGB for v in row]),  # ColorMatrix1
        (0xC628, RATIONAL, [(1, 1), (1, 1), (1, 1)]),                          # AsShotNeutral
        (0xC65A, SHORT, [21]),                     # CalibrationIlluminant1: D65
    ]
    if original_name:
        ifd0_entries.append((0xC68B, ASCII, original_name))  # OriginalRawFileName
    ifd0 = Ifd(ifd0_entries)
    # The sensor data last: a copy cut short loses only sensor data.
    return layout([ifd0, exif, gps, raw, preview_ifd, thumbnail, preview_block, sensor_block])


def fixture(orientation, original_name=None, preview_rgb=None, preview_size=(WIDTH, HEIGHT),
            monochrome=False):
    if preview_rgb is None:
        preview_rgb = picture_rgb(WIDTH, HEIGHT)
    preview = jpeg_of(preview_rgb, *preview_size)
    active = (MARGIN, MARGIN, MARGIN + HEIGHT, MARGIN + WIDTH)
    return dng(orientation, sensor_samples(monochrome), WIDTH + 2 * MARGIN, HEIGHT + 2 * MARGIN,
               active, preview, preview_size, original_name, monochrome=monochrome)


def mirrored_rgb(rgb, width, height):
    """The picture mirrored left to right: a preview whose colours tell it from the picture."""
    rows = [rgb[y * width * 3:(y + 1) * width * 3] for y in range(height)]
    return b"".join(b"".join(row[x * 3:x * 3 + 3] for x in reversed(range(width))) for row in rows)


# ---------------------------------------------------------------------------------------------
# A large photo-like raw for the benchmark, made fast enough in plain Python: rows of texture
# with noise added lane by lane through big-integer addition (no lane can carry).

def large_rows(width, height):
    """Rows of sRGB bytes with texture and noise, as a camera's photo has."""
    import random
    rng = random.Random(18)
    textures = []
    for k in range(32):
        row = bytearray(3 * width)
        phase = rng.random() * 6.28
        for x in range(width):
            base = (x * 7 + k * 13) % 160
            row[3 * x] = (base + 40 + k) % 200
            row[3 * x + 1] = (base * 3 // 2 + int(20 * (1 + (x * phase) % 3))) % 200
            row[3 * x + 2] = (200 - base + k * 3) % 200
        textures.append(bytes(row))
    noise_table = bytes(v % 24 for v in range(256))
    for y in range(height):
        texture = textures[(y // 3) % len(textures)]
        shift = 3 * ((y * 37) % width)
        texture = texture[shift:] + texture[:shift]
        noise = os.urandom(3 * width).translate(noise_table)
        total = int.from_bytes(texture, "little") + int.from_bytes(noise, "little")
        yield total.to_bytes(3 * width, "little")


def large(path, width, height):
    with tempfile.TemporaryDirectory() as folder:
        ppm = os.path.join(folder, "picture.ppm")
        sensor = bytearray(2 * width * height)
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (width, height))
            for y, row in enumerate(large_rows(width, height)):
                f.write(row)
                # RGGB from the picture's own samples: red and green on even rows, green
                # and blue on odd ones; each 8-bit value v becomes the 16-bit v * 257.
                mosaic = bytearray(width)
                if y % 2 == 0:
                    mosaic[0::2] = row[0::6]
                    mosaic[1::2] = row[4::6]
                else:
                    mosaic[0::2] = row[1::6]
                    mosaic[1::2] = row[5::6]
                at = 2 * width * y
                sensor[at:at + 2 * width:2] = mosaic
                sensor[at + 1:at + 2 * width:2] = mosaic
        preview = subprocess.run(["cjpeg", "-quality", "92", ppm], check=True,
                                 capture_output=True).stdout
    data = dng(1, bytes(sensor), width, height, (0, 0, height, width), preview, (width, height),
               black=0, white=65535)
    with open(path, "wb") as f:
        f.write(data)
    # The preview beside it, for timing its decode alone.
    with open(os.path.splitext(path)[0] + ".preview.jpg", "wb") as f:
        f.write(preview)


# ---------------------------------------------------------------------------------------------

def check_with_exiftool(path, orientation, original_name, monochrome=False):
    tags = json.loads(subprocess.run(
        ["exiftool", "-j", "-n", "-a", "-G1", path], check=True, capture_output=True).stdout)[0]
    expected = {
        "IFD0:Make": "Veltra",
        "IFD0:Orientation": orientation,
        "IFD0:DNGVersion": "1 4 0 0",
        "SubIFD:ImageWidth": WIDTH + 2 * MARGIN,
        "SubIFD:CFAPattern2": None if monochrome else "0 1 1 2",
        "SubIFD:PhotometricInterpretation": 34892 if monochrome else 32803,
        "SubIFD:ActiveArea": "%d %d %d %d" % (MARGIN, MARGIN, MARGIN + HEIGHT, MARGIN + WIDTH),
        "ExifIFD:ISO": 200,
        "GPS:GPSLatitudeRef": "N",
    }
    if original_name:
        expected["IFD0:OriginalRawFileName"] = original_name
    for key, value in expected.items():
        if tags.get(key) != value:
            sys.exit(f"{path}: exiftool reads {key} as {tags.get(key)!r}, not {value!r}")


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "--large":
        width, height = (int(sys.argv[3]), int(sys.argv[4])) if len(sys.argv) >= 5 else (6000, 4000)
        large(sys.argv[2], width, height)
        return
    os.makedirs(OUT, exist_ok=True)
    made = {}
    for orientation in (1, 6, 3, 8):
        original = "IMG_0008.CR2" if orientation == 8 else None
        name = f"dng_rggb_orientation_{orientation}.dng"
        made[name] = (fixture(orientation, original), orientation, original)
    # Previews that tell themselves from the developed picture: one mirrored left to right (in
    # stored orientation, turned by the raw's Orientation 6 as cameras leave it), and one of
    # other proportions, the picture's middle 64 x 36, which may not stand in for it.
    made["dng_preview_mirrored_orientation_6.dng"] = (
        fixture(6, preview_rgb=mirrored_rgb(picture_rgb(WIDTH, HEIGHT), WIDTH, HEIGHT)), 6, None)
    middle = picture_rgb(WIDTH, HEIGHT)[6 * WIDTH * 3:42 * WIDTH * 3]
    made["dng_preview_cropped.dng"] = (fixture(1, preview_rgb=middle, preview_size=(WIDTH, 36)),
                                       1, None)
    # A sensor without colour filters, as monochrome cameras have: LibRaw develops one colour.
    made["dng_monochrome.dng"] = (fixture(1, monochrome=True), 1, None)
    # A copy cut in the middle of its sensor data: the facts and the preview survive.
    whole = made["dng_rggb_orientation_1.dng"][0]
    sensor_bytes = 2 * (WIDTH + 2 * MARGIN) * (HEIGHT + 2 * MARGIN)
    made["dng_sensor_data_cut.dng"] = (whole[:len(whole) - sensor_bytes // 2], 1, None)
    for name, (data, orientation, original) in made.items():
        path = os.path.join(OUT, name)
        with open(path, "wb") as f:
            f.write(data)
        check_with_exiftool(path, orientation, original, monochrome=name == "dng_monochrome.dng")
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
