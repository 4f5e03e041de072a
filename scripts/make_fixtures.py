#!/usr/bin/env python3
"""Writes the small pictures that the imaging tests read, into tests/fixtures/.

Each file is named for what it proves. PNG, BMP, TIFF, ICO, PNM and the metafile headers are
written byte by byte here, so that every header field is visible in this script; JPEG, GIF,
TGA and WebP pixel data come from ImageMagick, and the JPEG headers (JFIF density, Exif) are
then set byte by byte as well. At the end exiftool and ImageMagick read the files back and
the script stops if any of them disagrees with what was meant to be written.

The generated files are committed, so the tests never need ImageMagick or exiftool.
Run from anywhere: python3 scripts/make_fixtures.py
"""

import json
import os
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "fixtures")

# Colours used across the fixtures, as (red, green, blue).
RED = (255, 0, 0)
GREEN = (0, 255, 0)
BLUE = (0, 0, 255)
YELLOW = (255, 255, 0)
WHITE = (255, 255, 255)
LEAF = (10, 200, 30)


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def run(*args):
    return subprocess.run(args, check=True, capture_output=True).stdout


# ---------------------------------------------------------------------------------------------
# PNG

def png_chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def pack_samples(samples, depth):
    """One scanline's samples packed at the given bit depth, big-endian, padded to a byte."""
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out = bytearray()
    per_byte = 8 // depth
    for i in range(0, len(samples), per_byte):
        byte = 0
        group = samples[i:i + per_byte]
        for j, s in enumerate(group):
            byte |= s << (8 - depth * (j + 1))
        out.append(byte)
    return bytes(out)


def png(width, height, colour_type, depth, rows, palette=None, trns=None, phys=None):
    """rows: one list of samples per scanline (channels interleaved)."""
    ihdr = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)
    raw = b"".join(b"\x00" + pack_samples(r, depth) for r in rows)
    out = b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr)
    if phys is not None:
        out += png_chunk(b"pHYs", struct.pack(">IIB", *phys))
    if palette is not None:
        out += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        out += png_chunk(b"tRNS", trns)
    out += png_chunk(b"IDAT", zlib.compress(raw, 9))
    out += png_chunk(b"IEND", b"")
    return out


def make_png_fixtures():
    # Palette pictures, 3 x 2. The first pixel is red; the last pixel uses index 1 (one bit) or
    # index 3 (yellow), which the tRNS variants make fully transparent.
    for depth in (1, 2, 4, 8):
        if depth == 1:
            palette = [RED, BLUE]
            rows = [[0, 1, 0], [1, 0, 1]]
            trns = bytes([255, 0])
        else:
            palette = [RED, BLUE, GREEN, YELLOW]
            rows = [[0, 1, 2], [1, 2, 3]]
            trns = bytes([255, 255, 255, 0])
        write(f"png_palette_{depth}bit.png", png(3, 2, 3, depth, rows, palette=palette))
        write(f"png_palette_{depth}bit_trns.png",
              png(3, 2, 3, depth, rows, palette=palette, trns=trns))

    # Grey pictures, 3 x 2: first pixel white, last pixel grey 85 (a third of full scale,
    # exact at every depth from 2 up) or black at one bit. tRNS marks the last pixel's value.
    for depth in (1, 2, 4, 8, 16):
        top = (1 << depth) - 1
        third = 0 if depth == 1 else top // 3
        rows = [[top, 0, third], [0, top, third]]
        write(f"png_grey_{depth}bit.png", png(3, 2, 0, depth, rows))
        write(f"png_grey_{depth}bit_trns.png",
              png(3, 2, 0, depth, rows, trns=struct.pack(">H", third)))

    # Grey and alpha: first pixel grey 85 opaque, last pixel white at half alpha (128).
    for depth in (8, 16):
        scale = 257 if depth == 16 else 1
        rows = [[85 * scale, 255 * scale, 0, 255 * scale, 0, 255 * scale],
                [0, 255 * scale, 0, 255 * scale, 255 * scale, 128 * scale]]
        write(f"png_grey_alpha_{depth}bit.png", png(3, 2, 4, depth, rows))

    # RGB: first pixel red, last pixel LEAF; tRNS marks LEAF as transparent.
    for depth in (8, 16):
        scale = 257 if depth == 16 else 1

        def px(c):
            return [v * scale for v in c]
        rows = [px(RED) + px(GREEN) + px(BLUE), px(WHITE) + px(YELLOW) + px(LEAF)]
        write(f"png_rgb_{depth}bit.png", png(3, 2, 2, depth, rows))
        trns = struct.pack(">HHH", *px(LEAF))
        write(f"png_rgb_{depth}bit_trns.png", png(3, 2, 2, depth, rows, trns=trns))

    # RGBA: first pixel red opaque, last pixel blue at half alpha (128).
    for depth in (8, 16):
        scale = 257 if depth == 16 else 1

        def pxa(c, a):
            return [v * scale for v in c] + [a * scale]
        rows = [pxa(RED, 255) + pxa(GREEN, 255) + pxa(BLUE, 255),
                pxa(WHITE, 255) + pxa(YELLOW, 255) + pxa(BLUE, 128)]
        write(f"png_rgba_{depth}bit.png", png(3, 2, 6, depth, rows))

    # Resolution: pHYs in pixels per metre (unit 1), or only the pixel shape (unit 0).
    grey_rows = [[255, 0, 85], [0, 255, 85]]
    write("png_phys_11811x5906_per_metre.png",
          png(3, 2, 0, 8, grey_rows, phys=(11811, 5906, 1)))
    write("png_phys_unit0.png", png(3, 2, 0, 8, grey_rows, phys=(1000, 2000, 0)))
    write("png_no_phys.png", png(3, 2, 0, 8, grey_rows))

    # A 10 x 10 red square declared at 300 dpi (11811 pixels per metre), for drawing at
    # natural size; and the same at 72 dpi (2835 per metre).
    red_rows = [list(RED) * 10 for _ in range(10)]
    write("png_red_10x10_300dpi.png", png(10, 10, 2, 8, red_rows, phys=(11811, 11811, 1)))
    write("png_red_10x10_72dpi.png", png(10, 10, 2, 8, red_rows, phys=(2835, 2835, 1)))

    # A header cut short inside IHDR: the signature, the IHDR length and type, 4 more bytes.
    whole = png(3, 2, 0, 8, grey_rows)
    write("png_truncated_header.png", whole[:20])


# ---------------------------------------------------------------------------------------------
# BMP

def bmp(width, height, bpp, rows, palette=None, compression=0, masks=None, header_size=40,
        pels_per_metre=(0, 0)):
    """rows: top row first, each already packed to bytes (unpadded); stored bottom-up."""
    stride = (len(rows[0]) + 3) & ~3
    pixels = b"".join(r.ljust(stride, b"\x00") for r in reversed(rows))
    colour_table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in (palette or []))
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bpp, compression,
                       len(pixels), pels_per_metre[0], pels_per_metre[1],
                       len(palette or []), 0)
    extra = b""
    if header_size == 40 and masks is not None:
        extra = b"".join(struct.pack("<I", m) for m in masks[:3])
    elif header_size > 40:
        all_masks = list(masks or [0, 0, 0, 0]) + [0] * 4
        # Red, green, blue and alpha masks, then the colour-space type "sRGB" and the rest.
        info += struct.pack("<IIII", *all_masks[:4])
        info += struct.pack("<I", 0x73524742)
        info = info.ljust(header_size, b"\x00")
    offset = 14 + len(info) + len(extra) + len(colour_table)
    file_header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return file_header + info + extra + colour_table + pixels


def pack_bits(indexes, depth):
    return pack_samples(indexes, depth)


def make_bmp_fixtures():
    # Indexed, 3 x 2 (an odd width, so rows need padding): first pixel red, last pixel blue
    # (one bit) or yellow.
    write("bmp_1bit.bmp", bmp(3, 2, 1, [pack_bits([0, 1, 0], 1), pack_bits([1, 0, 1], 1)],
                              palette=[RED, BLUE]))
    four = [RED, BLUE, GREEN, YELLOW]
    write("bmp_4bit.bmp", bmp(3, 2, 4, [pack_bits([0, 1, 2], 4), pack_bits([1, 2, 3], 4)],
                              palette=four))
    write("bmp_8bit.bmp", bmp(3, 2, 8, [bytes([0, 1, 2]), bytes([1, 2, 3])], palette=four))

    # 16 bits: without bit fields the layout is 5-5-5; first pixel red, last pixel green.
    def words(values):
        return b"".join(struct.pack("<H", v) for v in values)
    red555, green555, blue555 = 0x7C00, 0x03E0, 0x001F
    write("bmp_16bit_555.bmp",
          bmp(3, 2, 16, [words([red555, blue555, red555]), words([blue555, red555, green555])]))
    write("bmp_16bit_555_bitfields.bmp",
          bmp(3, 2, 16, [words([red555, blue555, red555]), words([blue555, red555, green555])],
              compression=3, masks=(0x7C00, 0x03E0, 0x001F)))
    red565, green565, blue565 = 0xF800, 0x07E0, 0x001F
    write("bmp_16bit_565_bitfields.bmp",
          bmp(3, 2, 16, [words([red565, blue565, red565]), words([blue565, red565, green565])],
              compression=3, masks=(0xF800, 0x07E0, 0x001F)))

    def bgr(c):
        return bytes((c[2], c[1], c[0]))
    write("bmp_24bit.bmp", bmp(3, 2, 24, [bgr(RED) + bgr(GREEN) + bgr(BLUE),
                                          bgr(WHITE) + bgr(YELLOW) + bgr(LEAF)]))

    # 32 bits without an alpha mask: the fourth byte is unused (zero here), so the picture is
    # opaque. With a V4 or V5 header and an alpha mask, the fourth byte is alpha.
    def bgrx(c, x):
        return bytes((c[2], c[1], c[0], x))
    write("bmp_32bit_no_alpha_mask.bmp",
          bmp(3, 2, 32, [bgrx(RED, 0) + bgrx(GREEN, 0) + bgrx(BLUE, 0),
                         bgrx(WHITE, 0) + bgrx(YELLOW, 0) + bgrx(LEAF, 0)]))
    alpha_rows = [bgrx(RED, 255) + bgrx(GREEN, 255) + bgrx(BLUE, 255),
                  bgrx(WHITE, 255) + bgrx(YELLOW, 255) + bgrx(BLUE, 128)]
    argb_masks = (0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    write("bmp_32bit_alpha_mask_v4.bmp",
          bmp(3, 2, 32, alpha_rows, compression=3, masks=argb_masks, header_size=108))
    write("bmp_32bit_alpha_mask_v5.bmp",
          bmp(3, 2, 32, alpha_rows, compression=3, masks=argb_masks, header_size=124))

    # A V5 header with bit fields but an alpha mask of zero: no alpha, whatever the fourth
    # byte holds (zero here).
    write("bmp_32bit_v5_zero_alpha_mask.bmp",
          bmp(3, 2, 32, [bgrx(RED, 0) + bgrx(GREEN, 0) + bgrx(BLUE, 0),
                         bgrx(WHITE, 0) + bgrx(YELLOW, 0) + bgrx(LEAF, 0)],
              compression=3, masks=(0x00FF0000, 0x0000FF00, 0x000000FF, 0), header_size=124))

    # Resolution: 2835 and 5670 pels per metre are 72.009 and 144.018 dots per inch.
    rows = [bgr(RED) + bgr(GREEN) + bgr(BLUE), bgr(WHITE) + bgr(YELLOW) + bgr(LEAF)]
    write("bmp_2835x5670_pels_per_metre.bmp", bmp(3, 2, 24, rows, pels_per_metre=(2835, 5670)))
    write("bmp_zero_pels_per_metre.bmp", bmp(3, 2, 24, rows, pels_per_metre=(0, 0)))


# ---------------------------------------------------------------------------------------------
# TIFF (also the Exif blocks inside JPEG files)

BYTE, ASCII, SHORT, LONG, RATIONAL = 1, 2, 3, 4, 5
TYPE_SIZE = {BYTE: 1, ASCII: 1, SHORT: 2, LONG: 4, RATIONAL: 8}


def encode_value(order, kind, values):
    if kind in (BYTE, ASCII):
        return bytes(values)
    if kind == SHORT:
        return struct.pack(order + "H" * len(values), *values)
    if kind == LONG:
        return struct.pack(order + "I" * len(values), *values)
    if kind == RATIONAL:
        return b"".join(struct.pack(order + "II", n, d) for (n, d) in values)
    raise ValueError(kind)


def tiff_structure(order, directories):
    """A TIFF structure: header, then each directory (a list of (tag, type, values)) with
    its out-of-line values, chained in order. A directory may hold ("strip", bytes), which
    becomes the picture data with StripOffsets and StripByteCounts pointing at it."""
    mark = b"II" if order == "<" else b"MM"
    out = bytearray(mark + struct.pack(order + "HI", 42, 8))
    # Picture data first, right after the header, so that its offsets are known.
    strips = []
    for entries in directories:
        data = next((v for (t, _k, v) in entries if t == "strip"), None)
        if data is None:
            strips.append(None)
            continue
        strips.append(len(out))
        out += data
        if len(out) % 2:
            out += b"\x00"
    next_ifd_field = 4  # where the header keeps the first directory's offset
    for index, entries in enumerate(directories):
        fields = [(t, k, v) for (t, k, v) in entries if t != "strip"]
        if strips[index] is not None:
            data = next(v for (t, _k, v) in entries if t == "strip")
            fields += [(0x0111, LONG, [strips[index]]), (0x0117, LONG, [len(data)])]
        fields.sort(key=lambda f: f[0])
        if len(out) % 2:
            out += b"\x00"
        ifd_offset = len(out)
        struct.pack_into(order + "I", out, next_ifd_field, ifd_offset)
        extra_offset = ifd_offset + 2 + 12 * len(fields) + 4
        body = bytearray(struct.pack(order + "H", len(fields)))
        extra = bytearray()
        for (tag, kind, values) in fields:
            value = encode_value(order, kind, values)
            count = len(values)
            if len(value) <= 4:
                field = value.ljust(4, b"\x00")
            else:
                field = struct.pack(order + "I", extra_offset + len(extra))
                extra += value
                if len(extra) % 2:
                    extra += b"\x00"
            body += struct.pack(order + "HHI", tag, kind, count) + field
        next_ifd_field = ifd_offset + len(body)
        body += b"\x00\x00\x00\x00"
        out += body + extra
    return bytes(out)


def tiff_page(width, height, bits, photometric, samples, data, extra_fields=()):
    fields = [
        (0x0100, SHORT, [width]),
        (0x0101, SHORT, [height]),
        (0x0102, SHORT, [bits] * samples),
        (0x0103, SHORT, [1]),
        (0x0106, SHORT, [photometric]),
        (0x0115, SHORT, [samples]),
        (0x0116, SHORT, [height]),
        (0x011C, SHORT, [1]),
        ("strip", None, data),
    ]
    return fields + list(extra_fields)


def colour_map(colours, depth):
    """TIFF ColorMap: all reds, then all greens, then all blues, 16 bits each."""
    entries = list(colours) + [(0, 0, 0)] * ((1 << depth) - len(colours))
    return [c[channel] * 257 for channel in range(3) for c in entries]


def tiff_samples(rows, depth, order="<"):
    """Scanlines packed at the given depth; 16-bit samples in the file's byte order."""
    if depth == 16:
        return b"".join(struct.pack(order + "H" * len(r), *r) for r in rows)
    return b"".join(pack_samples(r, depth) for r in rows)


def make_tiff_fixtures():
    def single(name, page, order="<"):
        write(name, tiff_structure(order, [page]))

    # Bilevel, black is zero: first pixel white, last pixel black.
    single("tiff_bilevel.tif",
           tiff_page(3, 2, 1, 1, 1, tiff_samples([[1, 0, 1], [0, 1, 0]], 1)))
    single("tiff_palette_1bit.tif",
           tiff_page(3, 2, 1, 3, 1, tiff_samples([[0, 1, 0], [1, 0, 1]], 1),
                     [(0x0140, SHORT, colour_map([RED, BLUE], 1))]))
    # Grey: first pixel white, last pixel a third of full scale (85 in 8 bits).
    single("tiff_grey_4bit.tif",
           tiff_page(3, 2, 4, 1, 1, tiff_samples([[15, 0, 5], [0, 15, 5]], 4)))
    single("tiff_grey_8bit.tif",
           tiff_page(3, 2, 8, 1, 1, tiff_samples([[255, 0, 85], [0, 255, 85]], 8)))
    single("tiff_grey_16bit.tif",
           tiff_page(3, 2, 16, 1, 1,
                     tiff_samples([[65535, 0, 21845], [0, 65535, 21845]], 16)))
    # Palette: first pixel red, last pixel yellow.
    four = [RED, BLUE, GREEN, YELLOW]
    single("tiff_palette_4bit.tif",
           tiff_page(3, 2, 4, 3, 1, tiff_samples([[0, 1, 2], [1, 2, 3]], 4),
                     [(0x0140, SHORT, colour_map(four, 4))]))
    single("tiff_palette_8bit.tif",
           tiff_page(3, 2, 8, 3, 1, tiff_samples([[0, 1, 2], [1, 2, 3]], 8),
                     [(0x0140, SHORT, colour_map(four, 8))]))

    # RGB: first pixel red, last pixel LEAF.
    rgb_rows = [list(RED + GREEN + BLUE), list(WHITE + YELLOW + LEAF)]
    single("tiff_rgb_8bit.tif", tiff_page(3, 2, 8, 2, 3, tiff_samples(rgb_rows, 8)))
    single("tiff_big_endian_rgb_8bit.tif",
           tiff_page(3, 2, 8, 2, 3, tiff_samples(rgb_rows, 8)), order=">")
    rgb16_rows = [[v * 257 for v in r] for r in rgb_rows]
    single("tiff_rgb_16bit.tif", tiff_page(3, 2, 16, 2, 3, tiff_samples(rgb16_rows, 16)))

    # RGB with alpha: first pixel red opaque, last pixel blue at half alpha (128). Associated
    # alpha stores the colour already multiplied by alpha: blue 255 * 128 / 255 = 128.
    associated = [list(RED) + [255] + list(GREEN) + [255] + list(BLUE) + [255],
                  list(WHITE) + [255] + list(YELLOW) + [255] + [0, 0, 128, 128]]
    unassociated = [list(RED) + [255] + list(GREEN) + [255] + list(BLUE) + [255],
                    list(WHITE) + [255] + list(YELLOW) + [255] + [0, 0, 255, 128]]
    single("tiff_rgb_8bit_associated_alpha.tif",
           tiff_page(3, 2, 8, 2, 4, tiff_samples(associated, 8), [(0x0152, SHORT, [1])]))
    single("tiff_rgb_8bit_unassociated_alpha.tif",
           tiff_page(3, 2, 8, 2, 4, tiff_samples(unassociated, 8), [(0x0152, SHORT, [2])]))
    unassociated16 = [[v * 257 for v in r] for r in unassociated]
    single("tiff_rgb_16bit_alpha.tif",
           tiff_page(3, 2, 16, 2, 4, tiff_samples(unassociated16, 16), [(0x0152, SHORT, [2])]))

    # CMYK: first pixel red (no cyan, full magenta and yellow), last pixel blue (full cyan and
    # magenta).
    cmyk_rows = [[0, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 255],
                 [0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0]]
    single("tiff_cmyk_8bit.tif", tiff_page(3, 2, 8, 5, 4, tiff_samples(cmyk_rows, 8),
                                           [(0x014C, SHORT, [1])]))

    # Two pages: the first 3 x 2 red, the second 5 x 4 blue. Only the first is the picture.
    first = tiff_page(3, 2, 8, 2, 3, bytes(RED) * 6)
    second = tiff_page(5, 4, 8, 2, 3, bytes(BLUE) * 20)
    write("tiff_two_pages.tif", tiff_structure("<", [first, second]))

    # Stored with orientation 6: the pixels must come back as stored, 3 x 2, red at the start.
    single("tiff_orientation_6.tif",
           tiff_page(3, 2, 8, 2, 3, tiff_samples(rgb_rows, 8), [(0x0112, SHORT, [6])]))

    # Resolution.
    grey = tiff_samples([[255, 0, 85], [0, 255, 85]], 8)
    single("tiff_300x150_per_inch.tif",
           tiff_page(3, 2, 8, 1, 1, grey, [(0x011A, RATIONAL, [(300, 1)]),
                                           (0x011B, RATIONAL, [(150, 1)]),
                                           (0x0128, SHORT, [2])]))
    single("tiff_118x59_per_cm.tif",
           tiff_page(3, 2, 8, 1, 1, grey, [(0x011A, RATIONAL, [(118, 1)]),
                                           (0x011B, RATIONAL, [(59, 1)]),
                                           (0x0128, SHORT, [3])]))
    single("tiff_200x100_no_unit.tif",
           tiff_page(3, 2, 8, 1, 1, grey, [(0x011A, RATIONAL, [(400, 2)]),
                                           (0x011B, RATIONAL, [(100, 1)])]))
    single("tiff_no_resolution.tif", tiff_page(3, 2, 8, 1, 1, grey))


# ---------------------------------------------------------------------------------------------
# JPEG: pixels from ImageMagick, headers set here.

def jpeg_segments(data):
    """(marker, whole segment bytes) up to and excluding the start of scan."""
    assert data[:2] == b"\xff\xd8"
    position = 2
    segments = []
    while True:
        assert data[position] == 0xFF
        marker = data[position + 1]
        length = struct.unpack(">H", data[position + 2:position + 4])[0]
        if marker == 0xDA:
            return segments, data[position:]
        segments.append((marker, data[position:position + 2 + length]))
        position += 2 + length


def segment(marker, payload):
    return bytes((0xFF, marker)) + struct.pack(">H", len(payload) + 2) + payload


def jfif(unit, x, y):
    return segment(0xE0, b"JFIF\x00" + bytes((1, 1, unit)) + struct.pack(">HH", x, y) + b"\0\0")


def exif(order, fields):
    return segment(0xE1, b"Exif\x00\x00" + tiff_structure(order, [fields]))


def imagemagick_jpeg(*args):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "out.jpg")
        run("convert", *args, "-strip", "-quality", "95", path)
        with open(path, "rb") as f:
            return f.read()


def with_headers(base, headers):
    """The JPEG with every APPn and comment segment replaced by `headers`, right after SOI."""
    segments, scan = jpeg_segments(base)
    kept = [s for (marker, s) in segments if not (0xE0 <= marker <= 0xEF or marker == 0xFE)]
    return b"\xff\xd8" + b"".join(headers) + b"".join(kept) + scan


def make_jpeg_fixtures():
    # Solid pictures, so that the decoded colour is close to the stored one everywhere.
    colour = imagemagick_jpeg("-size", "16x8", "xc:rgb(200,60,40)")
    grey = imagemagick_jpeg("-size", "16x8", "xc:rgb(100,100,100)", "-colorspace", "Gray",
                            "-type", "Grayscale")
    cmyk = imagemagick_jpeg("-size", "16x8", "xc:rgb(255,0,0)", "-colorspace", "CMYK")
    write("jpeg_3_components.jpg", with_headers(colour, [jfif(1, 72, 72)]))
    write("jpeg_1_component.jpg", with_headers(grey, [jfif(1, 72, 72)]))
    # ImageMagick marks CMYK as Adobe (inverted) in an APP14 segment, which must stay.
    write("jpeg_cmyk.jpg", cmyk)

    # Resolution rules.
    write("jpeg_jfif_300x150_dpi.jpg", with_headers(colour, [jfif(1, 300, 150)]))
    write("jpeg_jfif_118x59_dots_per_cm.jpg", with_headers(colour, [jfif(2, 118, 59)]))
    inch = [(0x011A, RATIONAL, [(200, 1)]), (0x011B, RATIONAL, [(100, 1)]),
            (0x0128, SHORT, [2])]
    write("jpeg_jfif_unit0_exif_200x100_inch.jpg",
          with_headers(colour, [jfif(0, 1, 1), exif("<", inch)]))
    centimetre = [(0x011A, RATIONAL, [(100, 1)]), (0x011B, RATIONAL, [(50, 1)]),
                  (0x0128, SHORT, [3])]
    write("jpeg_exif_100x50_dots_per_cm.jpg", with_headers(colour, [exif(">", centimetre)]))
    no_unit = [(0x011A, RATIONAL, [(360, 2)]), (0x011B, RATIONAL, [(240, 2)])]
    write("jpeg_exif_180x120_no_unit.jpg", with_headers(colour, [exif("<", no_unit)]))
    exif_300 = [(0x011A, RATIONAL, [(300, 1)]), (0x011B, RATIONAL, [(300, 1)]),
                (0x0128, SHORT, [2])]
    write("jpeg_jfif_72_dpi_over_exif_300.jpg",
          with_headers(colour, [jfif(1, 72, 72), exif("<", exif_300)]))
    # Halves that printf's rounding sends to the even neighbour: 62.5 and 0.5 dots per inch.
    halves_of_a_dot = [(0x011A, RATIONAL, [(125, 2)]), (0x011B, RATIONAL, [(1, 2)]),
                       (0x0128, SHORT, [2])]
    write("jpeg_exif_125_2_by_1_2_inch.jpg", with_headers(colour, [exif("<", halves_of_a_dot)]))
    write("jpeg_jfif_unit0_no_exif.jpg", with_headers(colour, [jfif(0, 2, 1)]))
    write("jpeg_no_density.jpg", with_headers(colour, []))

    # Stored sideways with orientation 6: 16 x 8 as stored, left half red, right half blue.
    # Full-resolution colour, so that the two halves do not share chroma samples.
    halves = imagemagick_jpeg("-size", "8x8", "xc:red", "-size", "8x8", "xc:blue", "+append",
                              "-sampling-factor", "1x1")
    write("jpeg_exif_orientation_6.jpg",
          with_headers(halves, [jfif(1, 72, 72), exif("<", [(0x0112, SHORT, [6])])]))

    # Progressive files with texture, for comparing decoders pixel by pixel: colour with chroma
    # halved both ways at a size that leaves partial blocks, grey, and Adobe CMYK.
    texture = ("-seed", "3", "-size", "37x21", "plasma:fractal")
    write("jpeg_progressive_4_2_0.jpg",
          imagemagick_jpeg(*texture, "-sampling-factor", "2x2", "-interlace", "JPEG"))
    # Taller, so that its coefficients span more rows than libjpeg keeps at the least
    # (tests of the decoder's memory limit depend on it).
    write("jpeg_progressive_1_component.jpg",
          imagemagick_jpeg("-seed", "3", "-size", "37x45", "plasma:fractal", "-colorspace", "Gray",
                           "-type", "Grayscale", "-interlace", "JPEG"))
    write("jpeg_progressive_cmyk.jpg",
          imagemagick_jpeg(*texture, "-colorspace", "CMYK", "-interlace", "JPEG"))

    # A sound header, then a second scan that asks for coefficients 5 down to 2: the decoder
    # accepts the file and stops in the middle of its pixels.
    broken = bytearray(imagemagick_jpeg(*texture, "-sampling-factor", "2x2", "-interlace", "JPEG"))
    second_scan = broken.index(b"\xff\xda", broken.index(b"\xff\xda") + 2)
    components = broken[second_scan + 4]
    broken[second_scan + 5 + 2 * components] = 5
    broken[second_scan + 6 + 2 * components] = 2
    write("jpeg_pixels_undecodable.jpg", bytes(broken))


# ---------------------------------------------------------------------------------------------
# GIF, ICO, other formats Qt decodes, files that are no pictures

def make_other_fixtures():
    with tempfile.TemporaryDirectory() as folder:
        def convert_to(name, *args):
            path = os.path.join(folder, name)
            run("convert", *args, "-strip", path)
            with open(path, "rb") as f:
                return f.read()
        # One frame, 3 x 2: red with a blue last pixel.
        one = convert_to("one.gif", "-size", "3x2", "xc:red", "-fill", "blue",
                         "-draw", "point 2,1")
        write("gif_one_frame.gif", one)
        # The same under a version that does not exist: not a GIF by its signature, but Qt's
        # GIF decoder, which does not look at the version, reads it.
        write("gif88a_one_frame.gif", b"GIF88a" + one[6:])
        # Two frames: the first red, the second blue; the picture is the first.
        two = convert_to("two.gif", "-delay", "10", "-size", "4x3", "xc:red", "xc:blue",
                         "-loop", "0")
        write("gif_two_frames.gif", two)
        # A lossless WebP with alpha: no identifier of its own, so the decoded picture
        # decides the pixel format.
        write("webp_lossless_alpha.webp",
              convert_to("a.webp", "-size", "3x2", "xc:rgba(0,0,255,0.5)",
                         "-define", "webp:lossless=true"))

    # A 32-bit Targa, top row first (descriptor: 8 alpha bits, top-left origin), with the
    # version 2 footer that Qt's reader insists on. First pixel red at half alpha, the others
    # opaque green.
    tga = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 3, 2, 32, 0x28)
    tga += bytes((0, 0, 255, 128)) + bytes((0, 255, 0, 255)) * 5
    tga += struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\0"
    write("tga_32bit_alpha.tga", tga)

    # Portable pixmap and bitmap, written by hand.
    write("ppm_rgb.ppm", b"P6\n3 2\n255\n" + bytes(RED + GREEN + BLUE + WHITE + YELLOW + LEAF))
    write("pbm_bilevel.pbm", b"P4\n3 2\n" + bytes([0b10100000, 0b01000000]))

    # Icons, written by hand: each image a DIB of double height (colour rows, then the 1-bit
    # AND mask), bottom row first.
    def icon_dib(size, bpp, rows, palette=(), mask_rows=None):
        stride = (len(rows[0]) + 3) & ~3
        colour = b"".join(r.ljust(stride, b"\0") for r in reversed(rows))
        mask_stride = ((size + 31) // 32) * 4
        mask_rows = mask_rows or [[0] * size for _ in range(size)]
        mask = b"".join(pack_samples(m, 1).ljust(mask_stride, b"\0") for m in reversed(mask_rows))
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                             len(colour) + len(mask), 0, 0, len(palette), 0)
        table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
        return header + table + colour + mask

    def icon_file(images, kind=1):
        """images: (size, bpp, colour count, dib bytes); kind 2 makes a cursor, whose entries
        hold the hot spot (0, 0) where an icon's hold its planes and depth."""
        out = struct.pack("<HHH", 0, kind, len(images))
        offset = 6 + 16 * len(images)
        body = b""
        for (size, bpp, count, dib) in images:
            planes, depth = (1, bpp) if kind == 1 else (0, 0)
            out += struct.pack("<BBBBHHII", size % 256, size % 256, count, 0, planes, depth,
                               len(dib), offset + len(body))
            body += dib
        return out + body

    def bgra(c, a):
        return bytes((c[2], c[1], c[0], a))
    # First image 16 x 16 red with its last pixel blue at half alpha; second image 32 x 32.
    first_rows = [bgra(RED, 255) * 16 for _ in range(15)]
    first_rows.append(bgra(RED, 255) * 15 + bgra(BLUE, 128))
    first = icon_dib(16, 32, first_rows)
    second = icon_dib(32, 32, [bgra(GREEN, 255) * 32 for _ in range(32)])
    write("icon_two_images.ico", icon_file([(16, 32, 0, first), (32, 32, 0, second)]))
    # An 8-bit palette icon whose AND mask makes the last pixel transparent.
    index_rows = [bytes([0] * 16) for _ in range(15)] + [bytes([0] * 15 + [1])]
    mask_rows = [[0] * 16 for _ in range(15)] + [[0] * 15 + [1]]
    eight = icon_dib(16, 8, index_rows, palette=[YELLOW, BLUE], mask_rows=mask_rows)
    write("icon_8bit_palette.ico", icon_file([(16, 8, 0, eight)]))
    # A Windows cursor (00 00 02 00): no identifier of its own; Qt's decoder of that name reads
    # it. The 16 x 16 32-bit image of the first icon.
    write("cursor_32bit.cur", icon_file([(16, 32, 0, first)], kind=2))

    # Misnamed pictures: the content decides, never the name. Each has its own size.
    write("png_named_as.jpg", png(5, 3, 2, 8, [list(RED) * 5] * 3))
    rows = [bytes((255, 0, 0)) * 4] * 6  # blue, stored as B G R
    write("bmp_named_as.png", bmp(4, 6, 24, rows))
    write("jpeg_named_as.gif", imagemagick_jpeg("-size", "7x5", "xc:rgb(0,0,255)"))
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "g.gif")
        run("convert", "-size", "6x2", "xc:lime", "-strip", path)
        with open(path, "rb") as f:
            write("gif_named_as.tif", f.read())
    write("tiff_named_as.bmp", tiff_structure("<", [tiff_page(2, 7, 8, 2, 3, bytes(RED) * 14)]))
    write("icon_named_as.png", icon_file([(16, 32, 0, first)]))
    write("jpeg_without_extension", imagemagick_jpeg("-size", "9x4", "xc:rgb(255,255,0)"))

    # Not pictures at all.
    write("zero_length.png", b"")
    write("text_named_as.png", b"This is a text file, not a picture.\n")
    write("bmp_text_starting_with_bm.bmp",
          b"BMW owners meet on Sunday at ten; bring the club badge.\n")

    # Metafile headers without any drawing records: recognised, never decoded.
    emf = struct.pack("<II", 1, 108)          # EMR_HEADER record, 108 bytes
    emf += struct.pack("<iiii", 0, 0, 99, 99)    # bounds in device units
    emf += struct.pack("<iiii", 0, 0, 2645, 2645)  # frame in 0.01 mm
    emf += b" EMF"                             # signature at offset 40
    emf += struct.pack("<IIIHHIII", 0x10000, 108, 1, 1, 0, 0, 0, 0)
    emf += struct.pack("<iiii", 1920, 1080, 508, 286)  # reference device pixels and mm
    emf += struct.pack("<III", 0, 0, 0)
    emf = emf.ljust(108, b"\0")
    write("emf_header_only.emf", emf)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 1000, 1000, 1440, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable[:20]):
        checksum ^= word
    placeable += struct.pack("<H", checksum)
    standard = struct.pack("<HHHIHIH", 1, 9, 0x0300, 9, 0, 0, 0)
    write("wmf_placeable_header_only.wmf", placeable + standard)
    write("wmf_standard_header_only.wmf", standard)


# ---------------------------------------------------------------------------------------------
# Independent check: another tool reads back what was meant to be written.

def exiftool_tags(names):
    paths = [os.path.join(OUT, n) for n in names]
    out = run("exiftool", "-j", "-n", "-G1", "-a", *paths)
    return {os.path.basename(entry["SourceFile"]): entry for entry in json.loads(out)}


EXPECTED_TAGS = {
    "png_palette_2bit_trns.png": {"PNG:BitDepth": 2, "PNG:ColorType": 3},
    "png_grey_16bit_trns.png": {"PNG:BitDepth": 16, "PNG:ColorType": 0},
    "png_grey_alpha_16bit.png": {"PNG:BitDepth": 16, "PNG:ColorType": 4},
    "png_rgb_8bit_trns.png": {"PNG:BitDepth": 8, "PNG:ColorType": 2},
    "png_rgba_16bit.png": {"PNG:BitDepth": 16, "PNG:ColorType": 6},
    "png_phys_11811x5906_per_metre.png": {"PNG-pHYs:PixelsPerUnitX": 11811,
                                          "PNG-pHYs:PixelsPerUnitY": 5906,
                                          "PNG-pHYs:PixelUnits": 1},
    "png_phys_unit0.png": {"PNG-pHYs:PixelUnits": 0},
    "bmp_4bit.bmp": {"File:BitDepth": 4, "File:ImageWidth": 3, "File:ImageHeight": 2},
    "bmp_16bit_565_bitfields.bmp": {"File:BitDepth": 16, "File:Compression": 3},
    "bmp_32bit_alpha_mask_v5.bmp": {"File:BitDepth": 32, "File:BMPVersion": 124,
                                    "File:AlphaMask": 0xFF000000},
    "bmp_32bit_alpha_mask_v4.bmp": {"File:BMPVersion": 108, "File:AlphaMask": 0xFF000000},
    "bmp_32bit_v5_zero_alpha_mask.bmp": {"File:BMPVersion": 124, "File:AlphaMask": 0},
    "bmp_2835x5670_pels_per_metre.bmp": {"File:PixelsPerMeterX": 2835,
                                         "File:PixelsPerMeterY": 5670},
    "tiff_grey_4bit.tif": {"IFD0:BitsPerSample": 4, "IFD0:PhotometricInterpretation": 1},
    "tiff_palette_8bit.tif": {"IFD0:BitsPerSample": 8, "IFD0:PhotometricInterpretation": 3},
    "tiff_grey_16bit.tif": {"IFD0:BitsPerSample": 16},
    "tiff_rgb_8bit_associated_alpha.tif": {"IFD0:SamplesPerPixel": 4, "IFD0:ExtraSamples": 1},
    "tiff_rgb_8bit_unassociated_alpha.tif": {"IFD0:ExtraSamples": 2},
    "tiff_rgb_16bit_alpha.tif": {"IFD0:BitsPerSample": "16 16 16 16",
                                 "IFD0:ExtraSamples": 2},
    "tiff_cmyk_8bit.tif": {"IFD0:PhotometricInterpretation": 5, "IFD0:SamplesPerPixel": 4},
    "tiff_big_endian_rgb_8bit.tif": {"File:ExifByteOrder": "MM"},
    "tiff_orientation_6.tif": {"IFD0:Orientation": 6},
    "tiff_300x150_per_inch.tif": {"IFD0:XResolution": 300, "IFD0:YResolution": 150,
                                  "IFD0:ResolutionUnit": 2},
    "tiff_118x59_per_cm.tif": {"IFD0:XResolution": 118, "IFD0:ResolutionUnit": 3},
    "tiff_200x100_no_unit.tif": {"IFD0:XResolution": 200, "IFD0:YResolution": 100},
    "jpeg_3_components.jpg": {"File:ColorComponents": 3},
    "jpeg_1_component.jpg": {"File:ColorComponents": 1},
    "jpeg_cmyk.jpg": {"File:ColorComponents": 4},
    "jpeg_jfif_300x150_dpi.jpg": {"JFIF:ResolutionUnit": 1, "JFIF:XResolution": 300,
                                  "JFIF:YResolution": 150},
    "jpeg_jfif_118x59_dots_per_cm.jpg": {"JFIF:ResolutionUnit": 2, "JFIF:XResolution": 118},
    "jpeg_jfif_unit0_exif_200x100_inch.jpg": {"JFIF:ResolutionUnit": 0,
                                              "IFD0:XResolution": 200,
                                              "IFD0:YResolution": 100,
                                              "IFD0:ResolutionUnit": 2},
    "jpeg_exif_100x50_dots_per_cm.jpg": {"IFD0:XResolution": 100, "IFD0:YResolution": 50,
                                         "IFD0:ResolutionUnit": 3},
    "jpeg_exif_180x120_no_unit.jpg": {"IFD0:XResolution": 180, "IFD0:YResolution": 120},
    "jpeg_jfif_72_dpi_over_exif_300.jpg": {"JFIF:XResolution": 72, "IFD0:XResolution": 300},
    "jpeg_exif_125_2_by_1_2_inch.jpg": {"IFD0:XResolution": 62.5, "IFD0:YResolution": 0.5},
    "jpeg_exif_orientation_6.jpg": {"IFD0:Orientation": 6, "File:ImageWidth": 16,
                                    "File:ImageHeight": 8, "File:YCbCrSubSampling": "1 1"},
    "gif_two_frames.gif": {"GIF:FrameCount": 2},
    # Encoding process 2: progressive DCT, Huffman coding (the SOF2 marker).
    "jpeg_progressive_4_2_0.jpg": {"File:EncodingProcess": 2, "File:ColorComponents": 3,
                                   "File:YCbCrSubSampling": "2 2", "File:ImageWidth": 37},
    "jpeg_progressive_1_component.jpg": {"File:EncodingProcess": 2, "File:ColorComponents": 1,
                                         "File:ImageHeight": 45},
    "jpeg_progressive_cmyk.jpg": {"File:EncodingProcess": 2, "File:ColorComponents": 4},
}


# The first and the last pixel (red, green, blue, alpha) as ImageMagick decodes them, with the
# difference allowed (lossy JPEG, 5-bit BMP channels). The tests expect the same colours.
EXPECTED_CORNERS = {
    "png_palette_1bit_trns.png": ((255, 0, 0, 255), (0, 0, 255, 0), 0),
    "png_palette_4bit.png": ((255, 0, 0, 255), (255, 255, 0, 255), 0),
    "png_grey_2bit.png": ((255, 255, 255, 255), (85, 85, 85, 255), 0),
    "png_grey_16bit_trns.png": ((255, 255, 255, 255), (85, 85, 85, 0), 0),
    "png_grey_alpha_16bit.png": ((85, 85, 85, 255), (255, 255, 255, 128), 0),
    "png_rgb_16bit.png": ((255, 0, 0, 255), (10, 200, 30, 255), 0),
    "png_rgba_8bit.png": ((255, 0, 0, 255), (0, 0, 255, 128), 0),
    "bmp_1bit.bmp": ((255, 0, 0, 255), (0, 0, 255, 255), 0),
    "bmp_16bit_555.bmp": ((255, 0, 0, 255), (0, 255, 0, 255), 8),
    "bmp_16bit_565_bitfields.bmp": ((255, 0, 0, 255), (0, 255, 0, 255), 8),
    "bmp_32bit_alpha_mask_v4.bmp": ((255, 0, 0, 255), (0, 0, 255, 128), 0),
    "tiff_bilevel.tif": ((255, 255, 255, 255), (0, 0, 0, 255), 0),
    "tiff_grey_4bit.tif": ((255, 255, 255, 255), (85, 85, 85, 255), 0),
    "tiff_palette_4bit.tif": ((255, 0, 0, 255), (255, 255, 0, 255), 0),
    "tiff_grey_16bit.tif": ((255, 255, 255, 255), (85, 85, 85, 255), 0),
    "tiff_rgb_8bit_associated_alpha.tif": ((255, 0, 0, 255), (0, 0, 255, 128), 1),
    "tiff_rgb_16bit_alpha.tif": ((255, 0, 0, 255), (0, 0, 255, 128), 0),
    "tiff_cmyk_8bit.tif": ((255, 0, 0, 255), (0, 0, 255, 255), 0),
    "jpeg_3_components.jpg": ((200, 60, 40, 255), (200, 60, 40, 255), 4),
    "jpeg_1_component.jpg": ((100, 100, 100, 255), (100, 100, 100, 255), 2),
    "jpeg_cmyk.jpg": ((255, 0, 0, 255), (255, 0, 0, 255), 6),
    "jpeg_exif_orientation_6.jpg": ((255, 0, 0, 255), (0, 0, 255, 255), 16),
    "gif_one_frame.gif": ((255, 0, 0, 255), (0, 0, 255, 255), 0),
    "icon_two_images.ico": ((255, 0, 0, 255), (0, 0, 255, 128), 0),
    "icon_8bit_palette.ico": ((255, 255, 0, 255), (0, 0, 0, 0), 0),
    "cursor_32bit.cur": ((255, 0, 0, 255), (0, 0, 255, 128), 0),
    "ppm_rgb.ppm": ((255, 0, 0, 255), (10, 200, 30, 255), 0),
    "pbm_bilevel.pbm": ((0, 0, 0, 255), (255, 255, 255, 255), 0),
    "tga_32bit_alpha.tga": ((255, 0, 0, 128), (0, 255, 0, 255), 0),
    "webp_lossless_alpha.webp": ((0, 0, 255, 128), (0, 0, 255, 128), 1),
    "png_rgb_16bit_trns.png": ((255, 0, 0, 255), (10, 200, 30, 0), 0),
    "png_named_as.jpg": ((255, 0, 0, 255), (255, 0, 0, 255), 0),
    "bmp_named_as.png": ((0, 0, 255, 255), (0, 0, 255, 255), 0),
    "jpeg_named_as.gif": ((0, 0, 255, 255), (0, 0, 255, 255), 6),
    "gif_named_as.tif": ((0, 255, 0, 255), (0, 255, 0, 255), 0),
    "tiff_named_as.bmp": ((255, 0, 0, 255), (255, 0, 0, 255), 0),
    "jpeg_without_extension": ((255, 255, 0, 255), (255, 255, 0, 255), 6),
}


def imagemagick_corners(name):
    corners = []
    for (x, y) in (("0", "0"), ("w-1", "h-1")):
        fx = ",".join(f"%[fx:round(255*p{{{x},{y}}}.{c})]" for c in "rgba")
        out = run("convert", os.path.join(OUT, name) + "[0]", "-colorspace", "sRGB",
                  "-format", fx, "info:").decode()
        corners.append(tuple(int(v) for v in out.split(",")))
    return corners


def close_enough(got, meant, tolerance):
    if meant[3] == 0:  # a fully transparent pixel has no colour worth comparing
        return got[3] == 0
    return all(abs(g - m) <= tolerance for g, m in zip(got, meant))


def verify():
    tags = exiftool_tags(sorted(EXPECTED_TAGS))
    problems = []
    for name, expected in EXPECTED_TAGS.items():
        for key, value in expected.items():
            got = tags[name].get(key)
            if isinstance(value, str) or isinstance(got, str):
                ok = str(got) == str(value)
            else:
                ok = got is not None and abs(float(got) - float(value)) < 1e-6
            if not ok:
                problems.append(f"{name}: {key} is {got!r}, meant {value!r}")
    # The content, not the name, says what each misnamed file is.
    misnamed = {"png_named_as.jpg": "PNG", "bmp_named_as.png": "BMP",
                "jpeg_named_as.gif": "JPEG", "gif_named_as.tif": "GIF",
                "tiff_named_as.bmp": "TIFF", "icon_named_as.png": "ICO",
                "jpeg_without_extension": "JPEG"}
    types = exiftool_tags(sorted(misnamed))
    for name, kind in misnamed.items():
        got = types[name].get("File:FileType")
        if got != kind:
            problems.append(f"{name}: exiftool says {got!r}, meant {kind!r}")
    for name, (first, last, tolerance) in EXPECTED_CORNERS.items():
        got = imagemagick_corners(name)
        if not (close_enough(got[0], first, tolerance) and close_enough(got[1], last, tolerance)):
            problems.append(f"{name}: ImageMagick reads corners {got}, meant {[first, last]}")
    if problems:
        sys.exit("\n".join(problems))


def main():
    os.makedirs(OUT, exist_ok=True)
    make_png_fixtures()
    make_bmp_fixtures()
    make_tiff_fixtures()
    make_jpeg_fixtures()
    make_other_fixtures()
    verify()
    print(f"fixtures written to {OUT}")


if __name__ == "__main__":
    main()
