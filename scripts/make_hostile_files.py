#!/usr/bin/env python3
"""Writes a folder of hostile picture files for checking that Veltra survives them.

Every file is built to make a careless reader spend too much memory or time, loop, read outside
the file or divide by zero. Veltra must end each one in a report or a clean failure, quickly,
with memory that grows with what the file really holds and not with what its headers claim.

The files are small on disk (a handful are a few megabytes, most are far under one), named
`kind__detail.ext` for what they attack, and the same bytes on every run: nothing depends on the
clock and every random choice comes from a fixed seed. Only the standard library is used, so the
script runs anywhere Python 3 does. The formats are written correctly wherever the attack needs
a decoder to accept the file (PNG CRCs, JPEG tables, RIFF sizes), and deliberately wrong only
where the wrong field is the attack.

Kinds:
  report_explosion  metadata whose values repeat one large run many times over
  amplification     small inputs that ask for much work: many bombs, many distinct tag ids
  segment_flood     hundreds of thousands of tiny segments, chunks or blocks
  pixel_claim       headers that claim far more pixels than the data holds
  content_guess     files for the decoders reached when no signature matches
  structure         directory loops, giant counts, offsets that overflow or leave the file
  damage            the repository's own test pictures truncated and with damaged bytes
  bomb              compressed streams that inflate far beyond what their container declares
  odd               empty and one-byte files, bare signatures, zero divisors, odd values
  heif              HEIF and AVIF boxes that claim too much, leave the file or refer to themselves
  raw               camera raws: sensor claims, directory loops, lying boxes, heaps and blocks,
                    and a sensor dump only its size would name
  psd               Photoshop documents: huge sizes, layer counts beyond the file, run lengths
                    that lie, resources past the end, PSB lengths of 2^63

Usage: python3 scripts/make_hostile_files.py OUTPUT_FOLDER
"""

import io
import os
import random
import struct
import sys
import time
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_FOLDERS = (("camera", os.path.join(ROOT, "tests", "camera_files")),
                  ("fixture", os.path.join(ROOT, "tests", "fixtures")))

KIB = 1024
MIB = 1024 * KIB

# No file may be larger than this; a mistake that writes a huge file fails loudly instead.
MAX_FILE_BYTES = 8 * MIB

# The IFD walker reads at most this many entries of one directory.
WALKER_ENTRY_LIMIT = 4096


class Output:
    """Writes the files into one folder and keeps the counts for the summary line."""

    def __init__(self, folder):
        self.folder = folder
        self.counts = {}
        self.total_bytes = 0
        self.names = set()

    def write(self, kind, detail, ext, data):
        name = f"{kind}__{detail}" + (f".{ext}" if ext else "")
        if name in self.names:
            raise ValueError(f"two files would be named {name}")
        if len(data) > MAX_FILE_BYTES:
            raise ValueError(f"{name} would be {len(data)} bytes")
        self.names.add(name)
        with open(os.path.join(self.folder, name), "wb") as f:
            f.write(data)
        self.counts[kind] = self.counts.get(kind, 0) + 1
        self.total_bytes += len(data)


# ---------------------------------------------------------------------------------------------
# Compressed streams

def compress_pieces(pieces, wbits=zlib.MAX_WBITS):
    """Compresses (bytes, times) pairs in order without ever holding the whole text.

    wbits 15 gives a zlib stream (PNG, TIFF deflate), 31 a gzip member (SVGZ); zlib writes a
    zero time stamp into the gzip header, so the output is the same on every run.
    """
    compressor = zlib.compressobj(9, zlib.DEFLATED, wbits)
    out = []
    for data, times in pieces:
        per_call = max(1, MIB // max(1, len(data)))
        while times > 0:
            now = min(per_call, times)
            out.append(compressor.compress(data * now))
            times -= now
    out.append(compressor.flush())
    return b"".join(out)


def repeated_zlib(block, times):
    """A zlib stream of `block` repeated `times` times, made by compressing the block once.

    A full flush empties the compressor's history, so every repetition compresses to the
    same bytes: gigabytes of picture data cost one block's compression and a checksum pass.
    """
    compressor = zlib.compressobj(9, zlib.DEFLATED, -zlib.MAX_WBITS)
    piece = compressor.compress(block) + compressor.flush(zlib.Z_FULL_FLUSH)
    end = compressor.flush()
    adler = 1
    for _ in range(times):
        adler = zlib.adler32(block, adler)
    return b"\x78\xda" + piece * times + end + struct.pack(">I", adler)


_BOMBS = {}


def zlib_bomb(size, fill=b"A"):
    """A zlib stream inflating to `size` bytes of `fill` repeated, about a thousandth of it.

    Text bombs inflate to printable letters rather than zeros so that a reader which stops
    strings at a NUL still has to hold all of it.
    """
    key = (size, fill)
    if key not in _BOMBS:
        _BOMBS[key] = compress_pieces([(fill, size // len(fill))])
    return _BOMBS[key]


# ---------------------------------------------------------------------------------------------
# PNG

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
PNG_GREY, PNG_RGB, PNG_PALETTE, PNG_GREY_ALPHA, PNG_RGBA = 0, 2, 3, 4, 6


def png_chunk(kind, data, length=None, crc=None):
    """One chunk; `length` and `crc` override the true values when they are the attack."""
    true_crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return (struct.pack(">I", len(data) if length is None else length) + kind + data
            + struct.pack(">I", true_crc if crc is None else crc))


def png_ihdr(width, height, depth=8, colour=PNG_GREY, interlace=0):
    return png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0,
                                          interlace))


def png_file(width=1, height=1, depth=8, colour=PNG_GREY, before_idat=(), idat=None,
             after_idat=(), interlace=0, plte=None):
    """A PNG whose default image data is one grey pixel; the chunk lists are raw chunks."""
    if idat is None:
        idat = [png_chunk(b"IDAT", zlib.compress(b"\x00\x80", 9))]
    out = bytearray(PNG_SIGNATURE + png_ihdr(width, height, depth, colour, interlace))
    if plte is not None:
        out += png_chunk(b"PLTE", plte)
    for chunk in before_idat:
        out += chunk
    for chunk in idat:
        out += chunk
    for chunk in after_idat:
        out += chunk
    out += png_chunk(b"IEND", b"")
    return bytes(out)


def png_ztxt(keyword, stream):
    return png_chunk(b"zTXt", keyword + b"\x00\x00" + stream)


def png_itxt_compressed(keyword, stream):
    # Keyword, compression flag 1, method 0, empty language tag, empty translated keyword.
    return png_chunk(b"iTXt", keyword + b"\x00\x01\x00\x00\x00" + stream)


def png_iccp(name, stream):
    return png_chunk(b"iCCP", name + b"\x00\x00" + stream)


def png_with_exif(tiff):
    return png_file(before_idat=[png_chunk(b"eXIf", tiff)])


def icc_header(declared_size, tag_count):
    """The 128-byte header of a display RGB profile and its tag count."""
    header = struct.pack(">I4sI4s4s4s6H4s4sI4sI", declared_size, b"lcms", 0x02100000, b"mntr",
                         b"RGB ", b"XYZ ", 2000, 1, 1, 0, 0, 0, b"acsp", b"APPL", 0,
                         b"none", 0)
    header += struct.pack(">QI3I4s16s", 0, 0, 0x0000F6D6, 0x00010000, 0x0000D32D, b"lcms",
                          bytes(16))
    header += bytes(128 - len(header))
    return header + struct.pack(">I", tag_count)


# ---------------------------------------------------------------------------------------------
# TIFF and Exif directories

TIFF_BYTE, TIFF_ASCII, TIFF_SHORT, TIFF_LONG, TIFF_RATIONAL = 1, 2, 3, 4, 5
TIFF_UNDEFINED, TIFF_SLONG, TIFF_SRATIONAL, TIFF_DOUBLE = 7, 9, 10, 12

TAG_EXIF_IFD, TAG_GPS_IFD, TAG_INTEROP_IFD, TAG_SUB_IFDS = 0x8769, 0x8825, 0xA005, 0x014A
TAG_THUMBNAIL_OFFSET, TAG_THUMBNAIL_LENGTH = 0x0201, 0x0202
TAG_IMAGE_DESCRIPTION, TAG_ORIENTATION = 0x010E, 0x0112


class Directory:
    """Where a written directory sits: its offset, each tag's value field and the next link."""

    def __init__(self, offset, field_positions, next_position):
        self.offset = offset
        self.field_positions = field_positions
        self.next_position = next_position


class TiffWriter:
    """Lays out a TIFF stream (a TIFF file, or the body of an Exif block) piece by piece.

    Values come first and directories after them, so a directory knows every value offset;
    links to directories written later are patched in afterwards. An entry is a tuple
    (tag, type, count, payload) whose payload is the packed value bytes (inline when four
    bytes or fewer, otherwise written just before the directory) or an int, which is written
    as the raw value field whatever the type and count say: that is how hostile offsets are
    made.
    """

    def __init__(self, big_endian=False):
        self.e = ">" if big_endian else "<"
        self.buf = bytearray(b"MM\x00\x2a" if big_endian else b"II\x2a\x00")
        self.buf += self.u32(8)

    def u16(self, value):
        return struct.pack(self.e + "H", value)

    def u32(self, value):
        return struct.pack(self.e + "I", value)

    def tell(self):
        return len(self.buf)

    def align(self):
        if len(self.buf) % 2:
            self.buf.append(0)

    def blob(self, data, aligned=True):
        if aligned:
            self.align()
        offset = self.tell()
        self.buf += data
        return offset

    def patch(self, position, value):
        self.buf[position:position + 4] = self.u32(value)

    def set_first_ifd(self, offset):
        self.patch(4, offset)

    def shorts(self, *values):
        return (TIFF_SHORT, len(values), b"".join(self.u16(v) for v in values))

    def longs(self, *values):
        return (TIFF_LONG, len(values), b"".join(self.u32(v) for v in values))

    def rationals(self, *pairs):
        return (TIFF_RATIONAL, len(pairs), b"".join(self.u32(n) + self.u32(d) for n, d in pairs))

    def ascii(self, text):
        data = (text if isinstance(text, bytes) else text.encode("utf-8")) + b"\x00"
        return (TIFF_ASCII, len(data), data)

    def undefined(self, data):
        return (TIFF_UNDEFINED, len(data), data)

    def directory(self, entries, next_ifd=0, declared_count=None, aligned=True):
        fields = []
        for tag, kind, count, payload in entries:
            if isinstance(payload, int):
                field = self.u32(payload)
            elif len(payload) <= 4:
                field = payload.ljust(4, b"\x00")
            else:
                field = self.u32(self.blob(payload, aligned))
            fields.append((tag, kind, count, field))
        if aligned:
            self.align()
        offset = self.tell()
        self.buf += self.u16(len(fields) if declared_count is None else declared_count)
        positions = {}
        for tag, kind, count, field in fields:
            positions.setdefault(tag, self.tell() + 8)
            self.buf += self.u16(tag) + self.u16(kind) + self.u32(count) + field
        next_position = self.tell()
        self.buf += self.u32(next_ifd)
        return Directory(offset, positions, next_position)

    def bytes(self):
        return bytes(self.buf)


# Packs values for the little-endian blocks built from an entry list before their writer exists.
LITTLE = TiffWriter()


def by_tag(entries):
    return sorted(entries, key=lambda entry: entry[0])


def tiff_image_entries(t, width, height, strip_offset, strip_bytes, bits=8, samples=1,
                       photometric=1, compression=1, rows_per_strip=None):
    """The tags a decoder needs for one uncompressed strip, plus a resolution."""
    return [(256,) + t.longs(width), (257,) + t.longs(height),
            (258,) + t.shorts(*[bits] * samples), (259,) + t.shorts(compression),
            (262,) + t.shorts(photometric), (273,) + t.longs(strip_offset),
            (277,) + t.shorts(samples),
            (278,) + t.longs(height if rows_per_strip is None else rows_per_strip),
            (279,) + t.longs(strip_bytes), (282,) + t.rationals((72, 1)),
            (283,) + t.rationals((72, 1)), (296,) + t.shorts(2)]


def tiny_tiff(extra_entries=(), big_endian=False, next_ifd=0):
    """A valid 1 x 1 grey TIFF with extra entries in IFD0; returns the writer and IFD0."""
    t = TiffWriter(big_endian)
    pixel = t.blob(b"\x80")
    entries = tiff_image_entries(t, 1, 1, pixel, 1) + list(extra_entries)
    ifd0 = t.directory(by_tag(entries), next_ifd)
    t.set_first_ifd(ifd0.offset)
    return t, ifd0


def exif_with_ifd0(entries, big_endian=False, next_ifd=0, declared_count=None):
    """An Exif body whose IFD0 holds exactly `entries`; returns the writer and IFD0."""
    t = TiffWriter(big_endian)
    ifd0 = t.directory(entries, next_ifd, declared_count)
    t.set_first_ifd(ifd0.offset)
    return t, ifd0


# ---------------------------------------------------------------------------------------------
# JPEG

SOF0, SOF1, SOF2, SOF3, SOF9, SOF10 = 0xC0, 0xC1, 0xC2, 0xC3, 0xC9, 0xCA
DHT, SOI, EOI, SOS, DQT, APP0, APP1, COM = 0xC4, 0xD8, 0xD9, 0xDA, 0xDB, 0xE0, 0xE1, 0xFE

# The usual luminance quantisation table in natural (row by row) order.
LUMINANCE_QUANT = (
    16, 11, 10, 16, 24, 40, 51, 61,
    12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56,
    14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77,
    24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101,
    72, 92, 95, 98, 112, 100, 103, 99)

# The usual luminance Huffman tables: code counts per length 1..16, then the symbols.
DC_LUMINANCE_BITS = (0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0)
DC_LUMINANCE_SYMBOLS = tuple(range(12))
AC_LUMINANCE_BITS = (0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D)
AC_LUMINANCE_SYMBOLS = (
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52,
    0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6,
    0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3,
    0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8,
    0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA)

# With those tables a block whose DC difference is zero and whose AC part is empty codes as
# the DC category 0 code followed by the end-of-block code.
DC_ZERO_BITS = "00"
EOB_BITS = "1010"

GREY = ((1, 0x11, 0),)
YCBCR_420 = ((1, 0x22, 0), (2, 0x11, 0), (3, 0x11, 0))
CMYK = ((1, 0x11, 0), (2, 0x11, 0), (3, 0x11, 0), (4, 0x11, 0))


def zigzag_positions():
    """Natural positions of the 64 coefficients in the order a DQT segment stores them."""
    order = []
    for diagonal in range(15):
        rows = range(max(0, diagonal - 7), min(diagonal, 7) + 1)
        if diagonal % 2 == 0:
            rows = reversed(rows)
        order.extend(row * 8 + (diagonal - row) for row in rows)
    return order


def segment(marker, payload, length=None):
    """One marker segment; `length` overrides the true length field when that is the attack."""
    true_length = len(payload) + 2
    if length is None and true_length > 0xFFFF:
        raise ValueError("segment payload too long")
    return bytes([0xFF, marker]) + struct.pack(">H", true_length if length is None else length) \
        + payload


def dqt(table_id=0):
    return segment(DQT, bytes([table_id]) + bytes(LUMINANCE_QUANT[i] for i in zigzag_positions()))


def dht(table_class, table_id, bits, symbols):
    return segment(DHT, bytes([(table_class << 4) | table_id]) + bytes(bits) + bytes(symbols))


def luminance_tables():
    return (dht(0, 0, DC_LUMINANCE_BITS, DC_LUMINANCE_SYMBOLS)
            + dht(1, 0, AC_LUMINANCE_BITS, AC_LUMINANCE_SYMBOLS))


def sof(marker, width, height, components=GREY, precision=8):
    payload = struct.pack(">BHHB", precision, height, width, len(components))
    for component_id, sampling, quant in components:
        payload += bytes([component_id, sampling, quant])
    return segment(marker, payload)


def sos(component_ids, start=0, end=63, approximation=0):
    payload = bytes([len(component_ids)])
    for component_id in component_ids:
        payload += bytes([component_id, 0x00])
    return segment(SOS, payload + bytes([start, end, approximation]))


def entropy_bytes(bits):
    """Packs a string of 0s and 1s MSB first, pads with 1s and stuffs a zero after each 0xFF."""
    bits += "1" * (-len(bits) % 8)
    out = bytearray()
    for i in range(0, len(bits), 8):
        byte = int(bits[i:i + 8], 2)
        out.append(byte)
        if byte == 0xFF:
            out.append(0x00)
    return bytes(out)


def jpeg_baseline(width=8, height=8, components=GREY, segments=(), coded_blocks=None,
                  marker=SOF0):
    """A Huffman-coded JPEG with valid tables whose blocks are all flat.

    Only `coded_blocks` blocks are in the scan (all of them when not given), so a large claim
    stays a few hundred bytes: the decoder finds the scan short and must fill or fail.
    """
    if coded_blocks is None:
        blocks_per_mcu = sum((s >> 4) * (s & 15) for _, s, _ in components)
        h_max = max(s >> 4 for _, s, _ in components)
        v_max = max(s & 15 for _, s, _ in components)
        mcus = -(-width // (8 * h_max)) * -(-height // (8 * v_max))
        coded_blocks = mcus * blocks_per_mcu
    scan = entropy_bytes((DC_ZERO_BITS + EOB_BITS) * coded_blocks)
    return (bytes([0xFF, SOI]) + b"".join(segments) + dqt()
            + sof(marker, width, height, components) + luminance_tables()
            + sos([c[0] for c in components]) + scan + bytes([0xFF, EOI]))


def jpeg_progressive(width, height, coded_blocks):
    """A progressive grey JPEG: a DC scan and a first AC scan, each only `coded_blocks` long."""
    return (bytes([0xFF, SOI]) + dqt() + sof(SOF2, width, height) + luminance_tables()
            + sos([1], 0, 0) + entropy_bytes(DC_ZERO_BITS * coded_blocks)
            + sos([1], 1, 63) + entropy_bytes(EOB_BITS * coded_blocks) + bytes([0xFF, EOI]))


def jpeg_arithmetic(width, height, progressive=False):
    """An arithmetic-coded grey JPEG with default conditioning and a 16-byte scan."""
    head = bytes([0xFF, SOI]) + dqt() + sof(SOF10 if progressive else SOF9, width, height)
    if progressive:
        scans = sos([1], 0, 0) + bytes(16) + sos([1], 1, 63) + bytes(16)
    else:
        scans = sos([1]) + bytes(16)
    return head + scans + bytes([0xFF, EOI])


def jpeg_lossless(width, height):
    """A lossless (SOF3) grey JPEG, predictor 1, with a short scan of zero differences."""
    return (bytes([0xFF, SOI]) + sof(SOF3, width, height)
            + dht(0, 0, DC_LUMINANCE_BITS, DC_LUMINANCE_SYMBOLS) + sos([1], 1, 0)
            + entropy_bytes(DC_ZERO_BITS * 64) + bytes([0xFF, EOI]))


def app1_exif(tiff):
    return segment(APP1, b"Exif\x00\x00" + tiff)


def jpeg_with_exif(tiff):
    return jpeg_baseline(segments=[app1_exif(tiff)])


def jfif_app0(unit=1, x_density=72, y_density=72, thumb_w=0, thumb_h=0, thumbnail=b""):
    return segment(APP0, b"JFIF\x00\x01\x02" + struct.pack(">BHHBB", unit, x_density, y_density,
                                                          thumb_w, thumb_h) + thumbnail)


# ---------------------------------------------------------------------------------------------
# WebP

VP8X_ICC, VP8X_ALPHA, VP8X_EXIF, VP8X_XMP, VP8X_ANIMATION = 0x20, 0x10, 0x08, 0x04, 0x02


def riff_chunk(fourcc, data, size=None):
    """One RIFF chunk, padded to an even length; `size` overrides the true size."""
    return (fourcc + struct.pack("<I", len(data) if size is None else size) + data
            + (b"\x00" if len(data) % 2 else b""))


def webp_file(chunks, riff_size=None):
    body = b"WEBP" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if riff_size is None else riff_size) + body


def vp8x(flags, canvas_width, canvas_height):
    return riff_chunk(b"VP8X", bytes([flags, 0, 0, 0])
                      + (canvas_width - 1).to_bytes(3, "little")
                      + (canvas_height - 1).to_bytes(3, "little"))


class LsbBits:
    """Bit packing least significant bit first, as the lossless WebP format reads bits."""

    def __init__(self):
        self.value = 0
        self.count = 0

    def put(self, value, width):
        self.value |= value << self.count
        self.count += width

    def bytes(self):
        return self.value.to_bytes((self.count + 7) // 8, "little")


def vp8l_one_colour(width, height):
    """A lossless WebP bitstream of any size in one colour, about a dozen bytes.

    Every prefix code has a single symbol, and a single-symbol code costs no bits per pixel,
    so the image data is empty however many pixels the header gives: a legitimate file that
    still asks for width x height x 4 bytes.
    """
    bits = LsbBits()
    bits.put(0x2F, 8)
    bits.put(width - 1, 14)
    bits.put(height - 1, 14)
    bits.put(0, 1)   # alpha is not used
    bits.put(0, 3)   # version 0
    bits.put(0, 1)   # no transform
    bits.put(0, 1)   # no colour cache
    bits.put(0, 1)   # no meta prefix codes
    # Green, red, blue, alpha and distance codes: simple, one symbol written in eight bits.
    for symbol in (0x80, 0x40, 0xC0, 0xFF, 0):
        bits.put(1, 1)
        bits.put(0, 1)
        bits.put(1, 1)
        bits.put(symbol, 8)
    return bits.bytes()


def webp_lossless(width, height):
    return webp_file([riff_chunk(b"VP8L", vp8l_one_colour(width, height))])


def webp_with_exif(tiff):
    return webp_file([vp8x(VP8X_EXIF, 1, 1), riff_chunk(b"VP8L", vp8l_one_colour(1, 1)),
                      riff_chunk(b"EXIF", tiff)])


def anmf(x, y, width, height, frame_chunks, duration=100):
    payload = ((x // 2).to_bytes(3, "little") + (y // 2).to_bytes(3, "little")
               + (width - 1).to_bytes(3, "little") + (height - 1).to_bytes(3, "little")
               + duration.to_bytes(3, "little") + b"\x00" + frame_chunks)
    return riff_chunk(b"ANMF", payload)


def anim(loops=0):
    return riff_chunk(b"ANIM", struct.pack("<IH", 0xFFFFFFFF, loops))


# ---------------------------------------------------------------------------------------------
# GIF, BMP, ICO

GIF_ONE_PIXEL_LZW = b"\x02\x02\x44\x01\x00"      # clear, index 0, end; minimum code size 2
GIF_EMPTY_LZW = b"\x02\x01\x2c\x00"              # clear, end: no pixels at all


def gif_file(width, height, body, trailer=True):
    screen = struct.pack("<HHBBB", width, height, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
    return b"GIF89a" + screen + body + (b";" if trailer else b"")


def gif_frame(x=0, y=0, width=1, height=1, lzw=GIF_ONE_PIXEL_LZW):
    return b"," + struct.pack("<HHHHB", x, y, width, height, 0) + lzw


def gif_sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        piece = data[i:i + 255]
        out += bytes([len(piece)]) + piece
    return bytes(out + b"\x00")


def gif_comment(text):
    return b"\x21\xfe" + gif_sub_blocks(text)


def gif_control(delay=10):
    return b"\x21\xf9\x04\x04" + struct.pack("<H", delay) + b"\x00\x00"


def bmp_file(width, height, bpp=24, pixels=b"", compression=0, colours_used=0, palette=b"",
             pixel_offset=None, info_size=40, image_size=None):
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bpp, compression,
                       len(pixels) if image_size is None else image_size, 2835, 2835,
                       colours_used, 0)
    offset = 14 + len(info) + len(palette) if pixel_offset is None else pixel_offset
    total = 14 + len(info) + len(palette) + len(pixels)
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset) + info + palette + pixels


def ico_file(images, declared_count=None):
    """images: (width byte, height byte, data, size override, offset override) rows."""
    count = len(images) if declared_count is None else declared_count
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    data_offset = 6 + 16 * len(images)
    blobs = bytearray()
    for width, height, data, size, offset in images:
        out += struct.pack("<BBBBHHII", width, height, 0, 0, 1, 32,
                           len(data) if size is None else size,
                           data_offset + len(blobs) if offset is None else offset)
        blobs += data
    return bytes(out + blobs)


def emf_header(bounds=(0, 0, 99, 99), frame=(0, 0, 2645, 2645), size=108, n_bytes=108,
               records=1, device=(1920, 1080), millimetres=(508, 286), description=(0, 0)):
    """An EMF header record padded to 108 bytes; every field can be set to a hostile value."""
    header = struct.pack("<II4i4i", 1, size, *bounds, *frame) + b" EMF"
    header += struct.pack("<IIIHHIIIiiii", 0x10000, n_bytes, records, 1, 0, description[0],
                          description[1], 0, *device, *millimetres)
    return header + bytes(max(0, 108 - len(header)))


def wmf_placeable(bbox=(0, 0, 1000, 1000), inch=1440, checksum=None):
    """A placeable WMF header (with its XOR checksum unless one is given) and a standard one."""
    words = struct.pack("<IH4hHI", 0x9AC6CDD7, 0, *bbox, inch, 0)
    if checksum is None:
        checksum = 0
        for (word,) in struct.iter_unpack("<H", words):
            checksum ^= word
    standard = struct.pack("<HHHIHIH", 1, 9, 0x300, 9, 0, 0, 0)
    return words + struct.pack("<H", checksum) + standard


# ---------------------------------------------------------------------------------------------
# 1. Reports that explode: every value counted once per entry that points at it.

def exif_shared_ascii_run(t, directory_tags, run_size):
    """Directories of ASCII entries whose values all are one run of `run_size` bytes.

    directory_tags: four lists of tags, for IFD0, the Exif IFD, the GPS IFD and IFD1. IFD0
    links the Exif and GPS IFDs and IFD1 follows it. Returns the finished writer's bytes.
    """
    pattern = b"hostile value repeated; "
    run = (pattern * (run_size // len(pattern) + 1))[:run_size - 1] + b"\x00"
    run_offset = t.blob(run)

    def shared(tags):
        return [(tag, TIFF_ASCII, run_size, run_offset) for tag in tags]

    ifd0_tags, exif_tags, gps_tags, ifd1_tags = directory_tags
    exif = t.directory(shared(exif_tags)) if exif_tags else None
    gps = t.directory(shared(gps_tags)) if gps_tags else None
    ifd1 = t.directory(shared(ifd1_tags)) if ifd1_tags else None
    entries = shared(ifd0_tags)
    if exif:
        entries.append((TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset))
    if gps:
        entries.append((TAG_GPS_IFD, TIFF_LONG, 1, gps.offset))
    ifd0 = t.directory(by_tag(entries), ifd1.offset if ifd1 else 0)
    t.set_first_ifd(ifd0.offset)
    return t.bytes()


def shared_run_layouts():
    """The 16,384-entry layouts: as four full directories, as one directory, and with one tag.

    Every entry is 64 KiB of text, so a reader that copies each value holds 1 GiB for a file
    of about 260 KB. Four directories of 4096 entries are all within the walker's limit per
    directory; one directory of 16,384 checks that the limit holds; the repeated known tag
    defeats a reader that keeps only tags it knows.
    """
    n = WALKER_ENTRY_LIMIT
    return {
        "16384_ascii_entries_one_64k_run_four_directories": [
            list(range(0x1000, 0x1000 + n - 2)), list(range(0x2000, 0x2000 + n)),
            list(range(0x3000, 0x3000 + n)), list(range(0x4000, 0x4000 + n))],
        "16384_ascii_entries_one_64k_run_one_directory": [
            list(range(0x1000, 0x1000 + 4 * n)), [], [], []],
        "16384_image_descriptions_one_64k_run": [
            [TAG_IMAGE_DESCRIPTION] * (n - 2), [0x9003] * n, [0x001D] * n,
            [TAG_IMAGE_DESCRIPTION] * n],
    }


def make_report_explosions(out):
    kind = "report_explosion"
    for detail, tags in shared_run_layouts().items():
        out.write(kind, "png_exif_" + detail, "png",
                  png_with_exif(exif_shared_ascii_run(TiffWriter(), tags, 64 * KIB)))
        out.write(kind, "webp_exif_" + detail, "webp",
                  webp_with_exif(exif_shared_ascii_run(TiffWriter(), tags, 64 * KIB)))

    # The same trick inside the 64 KiB of one JPEG APP1: 5000 entries share a 4 KiB run.
    tags = [list(range(0x1000, 0x1000 + 2500)), list(range(0x2000, 0x2000 + 1250)),
            list(range(0x3000, 0x3000 + 1250)), []]
    out.write(kind, "jpeg_exif_5000_ascii_entries_one_4k_run", "jpg",
              jpeg_with_exif(exif_shared_ascii_run(TiffWriter(), tags, 4 * KIB)))

    # Seven text keywords the report shows, each inflating to 64 MiB, and a colour profile
    # inflating to 64 MiB whose header is sound and whose tag count fills the rest: 512 MiB of
    # text and profile from about half a megabyte.
    keywords = (b"Title", b"Author", b"Description", b"Copyright", b"Software", b"Source",
                b"Comment")
    text_bomb = zlib_bomb(64 * MIB)
    profile_size = 64 * MIB
    profile = compress_pieces([(icc_header(profile_size, (profile_size - 132) // 12), 1),
                               (b"\x00", profile_size - 132)])
    chunks = [png_iccp(b"ICC profile", profile)] + [png_ztxt(k, text_bomb) for k in keywords]
    out.write(kind, "png_seven_ztxt_keywords_and_iccp_64mib_each", "png",
              png_file(before_idat=chunks))
    out.write(kind, "png_seven_itxt_keywords_64mib_each", "png",
              png_file(before_idat=[png_itxt_compressed(k, text_bomb) for k in keywords]))

    # A TIFF whose 4000 extra entries all point into one 1 MiB value, each starting 64 bytes
    # further in: the file holds 1 MiB of text, a naive report copies about 3.4 GiB.
    value_size = MIB
    for detail, tag_of in (("distinct_tags", lambda i: 0xC000 + i),
                           ("all_artist", lambda i: 0x013B)):
        t = TiffWriter()
        value = t.blob((b"overlap " * (value_size // 8))[:value_size - 1] + b"\x00")
        pixel = t.blob(b"\x80")
        entries = tiff_image_entries(t, 1, 1, pixel, 1)
        entries += [(tag_of(i), TIFF_ASCII, value_size - 64 * i, value + 64 * i)
                    for i in range(4000)]
        ifd0 = t.directory(by_tag(entries))
        t.set_first_ifd(ifd0.offset)
        out.write(kind, f"tiff_4000_overlapping_ascii_entries_in_1mib_{detail}", "tif",
                  t.bytes())


# ---------------------------------------------------------------------------------------------
# 2. Amplification: a little input, much work.

def exif_distinct_ids(t, directory_count):
    """Every tag id 0..65535 once, spread over `directory_count` directories.

    Ids are dealt round-robin, so every directory spans the whole id range and a lookup that
    walks a list per id does 65,536 x 65,536 steps. The directories are IFD0, the Exif IFD,
    the GPS IFD and IFD1, then (past four) the interoperability IFD and directories chained
    after IFD1 by next links. The pointer ids hold real links: IFD0 links the Exif and GPS
    IFDs, the Exif IFD links the interoperability IFD (empty when there are only four), IFD1
    holds the thumbnail of a tiny JPEG, and SubIFDs is an empty list.
    """
    pointer_tags = {TAG_EXIF_IFD, TAG_GPS_IFD, TAG_INTEROP_IFD, TAG_THUMBNAIL_OFFSET,
                    TAG_THUMBNAIL_LENGTH, TAG_SUB_IFDS}
    plain = [tag for tag in range(65536) if tag not in pointer_tags]
    # Each directory holds an equal share of the 65,536 ids counting its pointers, so that
    # with sixteen directories none passes the walker's limit.
    pointers_held = [3, 1, 0, 2] + [0] * (directory_count - 4)
    capacity = [65536 // directory_count - held for held in pointers_held]
    dealt = [[] for _ in range(directory_count)]
    turn = 0
    for tag in plain:
        while len(dealt[turn]) == capacity[turn]:
            turn = (turn + 1) % directory_count
        dealt[turn].append(tag)
        turn = (turn + 1) % directory_count
    dealt.append([])
    ifd0_tags, exif_tags, gps_tags, ifd1_tags = dealt[:4]
    interop_tags = dealt[4]
    chained_tags = dealt[5:-1]

    def shorts(tags):
        return [(tag,) + t.shorts(tag & 0x7FFF) for tag in tags]

    thumbnail = jpeg_baseline()
    thumbnail_offset = t.blob(thumbnail)
    following = 0
    for tags in reversed(chained_tags):
        following = t.directory(shorts(tags), following).offset
    ifd1 = t.directory(by_tag(shorts(ifd1_tags) + [
        (TAG_THUMBNAIL_OFFSET, TIFF_LONG, 1, thumbnail_offset),
        (TAG_THUMBNAIL_LENGTH,) + t.longs(len(thumbnail))]), following)
    interop = t.directory(shorts(interop_tags))
    exif = t.directory(by_tag(shorts(exif_tags) + [(TAG_INTEROP_IFD, TIFF_LONG, 1,
                                                    interop.offset)]))
    gps = t.directory(shorts(gps_tags))
    ifd0 = t.directory(by_tag(shorts(ifd0_tags) + [
        (TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset), (TAG_GPS_IFD, TIFF_LONG, 1, gps.offset),
        (TAG_SUB_IFDS, TIFF_LONG, 0, 0)]), ifd1.offset)
    t.set_first_ifd(ifd0.offset)
    return t.bytes()


def nested_thumbnail_jpeg(depth):
    """A JPEG whose Exif thumbnail is a JPEG whose Exif thumbnail is ... `depth` levels.

    The levels between the outermost and the innermost are only SOI, APP1 and EOI, so that
    the whole nest fits in the outer APP1's 64 KiB.
    """
    def with_thumbnail(thumbnail, rest):
        t = TiffWriter()
        thumb = t.blob(thumbnail)
        ifd1 = t.directory([(TAG_THUMBNAIL_OFFSET, TIFF_LONG, 1, thumb),
                            (TAG_THUMBNAIL_LENGTH,) + t.longs(len(thumbnail))])
        ifd0 = t.directory([(TAG_IMAGE_DESCRIPTION,) + t.ascii("nested")], ifd1.offset)
        t.set_first_ifd(ifd0.offset)
        return bytes([0xFF, SOI]) + app1_exif(t.bytes()) + rest

    picture = jpeg_baseline()
    inner = picture
    for _ in range(depth - 1):
        inner = with_thumbnail(inner, bytes([0xFF, EOI]))
    return with_thumbnail(inner, picture[2:])


def make_amplifications(out):
    kind = "amplification"
    # A hundred text chunks of one keyword, each inflating to 8 MiB: 800 MiB of Comment.
    bomb = zlib_bomb(8 * MIB)
    out.write(kind, "png_100_ztxt_comment_bombs_8mib_each", "png",
              png_file(before_idat=[png_ztxt(b"Comment", bomb)] * 100))
    out.write(kind, "png_100_itxt_comment_bombs_8mib_each", "png",
              png_file(before_idat=[png_itxt_compressed(b"Comment", bomb)] * 100))
    # A thousand smaller ones after the pixel data, where a reader may look last.
    out.write(kind, "png_1000_ztxt_description_bombs_1mib_each_after_idat", "png",
              png_file(after_idat=[png_ztxt(b"Description", zlib_bomb(MIB))] * 1000))
    # A hundred chunks of one id, each inflating to 64 MiB - 1: the first passes the value
    # budget, so the id stays free; a reader that then inflates every duplicate to its limit
    # inflates gigabytes from 6.5 MB.
    bomb = zlib_bomb(64 * MIB - 1)
    out.write(kind, "png_100_ztxt_one_keyword_bombs_64mib_minus_1_each", "png",
              png_file(before_idat=[png_ztxt(b"Comment", bomb)] * 100))
    out.write(kind, "png_100_iccp_bombs_64mib_minus_1_each", "png",
              png_file(before_idat=[png_iccp(b"ICC profile", bomb)] * 100))
    # One text chunk inflating to 64 MiB in a file of about 65 KB.
    out.write(kind, "png_one_ztxt_64mib", "png",
              png_file(before_idat=[png_ztxt(b"Description", zlib_bomb(64 * MIB))]))

    # Every one of the 65,536 tag ids once: as four directories of 16,384 entries (the
    # walker's limit cuts each to 4096) and as sixteen directories of 4096.
    for count in (4, 16):
        tiff = exif_distinct_ids(TiffWriter(), count)
        out.write(kind, f"png_exif_65536_distinct_ids_in_{count}_directories", "png",
                  png_with_exif(tiff))
        out.write(kind, f"webp_exif_65536_distinct_ids_in_{count}_directories", "webp",
                  webp_with_exif(tiff))

    # Thumbnails nested 200 deep: a reader that reports the thumbnail's own Exif recurses.
    out.write(kind, "jpeg_thumbnails_nested_200_deep", "jpg", nested_thumbnail_jpeg(200))

    # Five thousand pages that share one strip: page counting and per-page work multiply.
    t = TiffWriter()
    pixel = t.blob(b"\x80" * 64)
    following = 0
    for _ in range(5000):
        following = t.directory(by_tag(tiff_image_entries(t, 8, 8, pixel, 64)), following).offset
    t.set_first_ifd(following)
    out.write(kind, "tiff_5000_pages_sharing_one_strip", "tif", t.bytes())

    # Ten thousand icon entries that all point at one small PNG.
    png = png_file(width=1, height=1)
    entries = [(1, 1, b"", len(png), 6 + 16 * 10000)] * 10000
    out.write(kind, "ico_10000_entries_sharing_one_png", "ico", ico_file(entries) + png)

    # An animation of a thousand frames, each a legitimate 16384 x 16384 one-colour picture of
    # about 40 bytes: decoding every frame means a terapixel of work.
    frame = riff_chunk(b"VP8L", vp8l_one_colour(16384, 16384))
    chunks = [vp8x(VP8X_ANIMATION, 16384, 16384), anim()]
    chunks += [anmf(0, 0, 16384, 16384, frame)] * 1000
    out.write(kind, "webp_1000_frames_16384x16384_each", "webp", webp_file(chunks))
    # The same with frames of 8192 x 8192, which the file's size allows: the report needs the
    # canvas from the header, not a frame decoded.
    frame = riff_chunk(b"VP8L", vp8l_one_colour(8192, 8192))
    chunks = [vp8x(VP8X_ANIMATION, 8192, 8192), anim()]
    chunks += [anmf(0, 0, 8192, 8192, frame)] * 1000
    out.write(kind, "webp_1000_frames_8192x8192_each", "webp", webp_file(chunks))


# ---------------------------------------------------------------------------------------------
# 3. Segment floods: one reader step per tiny segment, hundreds of thousands of times.

def make_segment_floods(out):
    kind = "segment_flood"
    # One inline ImageDescription per APP1: each segment is a whole, valid Exif block.
    t, _ = exif_with_ifd0([(TAG_IMAGE_DESCRIPTION, TIFF_ASCII, 2, b"x\x00")])
    small_exif = app1_exif(t.bytes())
    out.write(kind, "jpeg_100000_app1_exif_segments", "jpg",
              jpeg_baseline(segments=[small_exif] * 100000))
    out.write(kind, "jpeg_100000_app1_exif_headers_without_tiff", "jpg",
              jpeg_baseline(segments=[segment(APP1, b"Exif\x00\x00")] * 100000))
    out.write(kind, "jpeg_250000_empty_com_segments", "jpg",
              jpeg_baseline(segments=[segment(COM, b"")] * 250000))
    out.write(kind, "jpeg_20000_dqt_segments", "jpg", jpeg_baseline(segments=[dqt()] * 20000))
    # Fill bytes are allowed before any marker; a million of them before the frame header.
    out.write(kind, "jpeg_1000000_fill_bytes_before_sof", "jpg",
              jpeg_baseline(segments=[b"\xff" * 1000000]))

    # Ancillary chunks: private and unknown, known text, and time stamps.
    out.write(kind, "png_200000_empty_private_chunks", "png",
              png_file(before_idat=[png_chunk(b"flOd", b"")] * 200000))
    out.write(kind, "png_50000_text_comment_chunks", "png",
              png_file(before_idat=[png_chunk(b"tEXt", b"Comment\x00x")] * 50000))
    out.write(kind, "png_50000_time_chunks", "png",
              png_file(before_idat=[png_chunk(b"tIME", struct.pack(">HBBBBB", 2000, 1, 1, 0, 0,
                                                                   0))] * 50000))
    # A 256 x 256 picture stored without compression and cut into one-byte IDAT chunks.
    raw = b"".join(b"\x00" + bytes(range(256)) for _ in range(256))
    stream = zlib.compress(raw, 0)
    out.write(kind, f"png_{len(stream)}_one_byte_idat_chunks", "png",
              png_file(256, 256, idat=[png_chunk(b"IDAT", stream[i:i + 1])
                                       for i in range(len(stream))]))

    out.write(kind, "gif_100000_comment_extensions", "gif",
              gif_file(1, 1, gif_comment(b"x") * 100000 + gif_frame()))
    out.write(kind, "gif_100000_control_extensions_without_images", "gif",
              gif_file(1, 1, gif_control() * 100000 + gif_frame()))
    out.write(kind, "gif_50000_frames", "gif",
              gif_file(1, 1, (gif_control() + gif_frame()) * 50000))
    out.write(kind, "gif_one_comment_of_1mib_in_sub_blocks", "gif",
              gif_file(1, 1, gif_comment(b"c" * MIB) + gif_frame()))

    out.write(kind, "webp_100000_unknown_chunks", "webp",
              webp_file([vp8x(0, 1, 1), riff_chunk(b"VP8L", vp8l_one_colour(1, 1))]
                        + [riff_chunk(b"FLOD", b"")] * 100000))


# ---------------------------------------------------------------------------------------------
# 4. Pixels the data cannot hold: allocation must follow the data, not the header.

def make_pixel_claims(out):
    kind = "pixel_claim"
    # JPEG: files of about 320 bytes with valid tables whose frame claims 23000 x 23000, some
    # 529 million pixels, and whose scan codes only a few blocks. A sequential decoder that
    # allocates the picture first needs 2 GB of 32-bit pixels; a progressive or arithmetic
    # one also keeps a coefficient buffer for the whole frame (about 1 GB for grey).
    big = 23000
    out.write(kind, "jpeg_baseline_grey_23000x23000_short_scan", "jpg",
              jpeg_baseline(big, big, coded_blocks=8))
    out.write(kind, "jpeg_baseline_ycbcr_420_23000x23000_short_scan", "jpg",
              jpeg_baseline(big, big, YCBCR_420, coded_blocks=12))
    out.write(kind, "jpeg_baseline_cmyk_23000x23000_short_scan", "jpg",
              jpeg_baseline(big, big, CMYK, coded_blocks=8))
    out.write(kind, "jpeg_extended_sof1_23000x23000_short_scan", "jpg",
              jpeg_baseline(big, big, coded_blocks=8, marker=SOF1))
    out.write(kind, "jpeg_progressive_23000x23000_short_scans", "jpg",
              jpeg_progressive(big, big, 8))
    out.write(kind, "jpeg_arithmetic_sof9_23000x23000", "jpg", jpeg_arithmetic(big, big))
    out.write(kind, "jpeg_arithmetic_progressive_sof10_23000x23000", "jpg",
              jpeg_arithmetic(big, big, progressive=True))
    out.write(kind, "jpeg_lossless_sof3_23000x23000", "jpg", jpeg_lossless(big, big))
    out.write(kind, "jpeg_baseline_65500x65500_short_scan", "jpg",
              jpeg_baseline(65500, 65500, coded_blocks=8))
    out.write(kind, "jpeg_baseline_65535x65535_past_decoder_limit", "jpg",
              jpeg_baseline(65535, 65535, coded_blocks=8))
    out.write(kind, "jpeg_progressive_65500x65500_short_scans", "jpg",
              jpeg_progressive(65500, 65500, 8))
    # Height zero means the height comes later in a DNL segment, which is never sent.
    out.write(kind, "jpeg_height_0_waiting_for_dnl", "jpg", jpeg_baseline(big, 0, coded_blocks=8))
    out.write(kind, "jpeg_12_bit_23000x23000", "jpg",
              bytes([0xFF, SOI]) + dqt() + sof(SOF1, big, big, precision=12)
              + luminance_tables() + sos([1]) + entropy_bytes((DC_ZERO_BITS + EOB_BITS) * 8)
              + bytes([0xFF, EOI]))
    # The Exif thumbnail is the decoder's problem too.
    claim = jpeg_baseline(big, big, coded_blocks=8)
    t = TiffWriter()
    thumb = t.blob(claim)
    ifd1 = t.directory([(TAG_THUMBNAIL_OFFSET, TIFF_LONG, 1, thumb),
                        (TAG_THUMBNAIL_LENGTH,) + t.longs(len(claim))])
    ifd0 = t.directory([(TAG_ORIENTATION,) + t.shorts(1)], ifd1.offset)
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_exif_thumbnail_23000x23000", "jpg", jpeg_with_exif(t.bytes()))

    # WebP. The animated one is a 16777216 x 16777216 canvas (the largest the header holds)
    # in under a hundred bytes; 65535 x 65535 stays under the demuxer's area check.
    one_pixel = riff_chunk(b"VP8L", vp8l_one_colour(1, 1))
    for side in (16777216, 65535):
        out.write(kind, f"webp_animated_canvas_{side}x{side}", "webp",
                  webp_file([vp8x(VP8X_ANIMATION, side, side), anim(),
                             anmf(0, 0, 1, 1, one_pixel)]))
    # A 16384 x 16384 canvas in a file large enough for its gigabyte of pixels, and the
    # largest canvas any file may have in a file large enough for it.
    out.write(kind, "webp_animated_canvas_16384x16384_in_64kib", "webp",
              webp_file([vp8x(VP8X_ANIMATION, 16384, 16384), anim(),
                         anmf(0, 0, 1, 1, one_pixel), riff_chunk(b"PADD", bytes(64 * KIB))]))
    out.write(kind, "webp_animated_canvas_23170x23170_in_128kib", "webp",
              webp_file([vp8x(VP8X_ANIMATION, 23170, 23170), anim(),
                         anmf(0, 0, 1, 1, one_pixel), riff_chunk(b"PADD", bytes(128 * KIB))]))
    out.write(kind, "webp_animated_frame_outside_canvas", "webp",
              webp_file([vp8x(VP8X_ANIMATION, 16, 16), anim(),
                         anmf(16000000, 16000000, 1, 1, one_pixel)]))
    out.write(kind, "webp_still_canvas_16384x16384_image_1x1", "webp",
              webp_file([vp8x(0, 16384, 16384), one_pixel]))
    out.write(kind, "webp_lossless_16384x16384_one_colour", "webp", webp_lossless(16384, 16384))
    # A lossy key frame of 16383 x 16383 whose first partition is cut after ten bytes.
    frame_tag = (0 | (0 << 1) | (1 << 4) | (1000 << 5)).to_bytes(3, "little")
    vp8 = frame_tag + b"\x9d\x01\x2a" + struct.pack("<HH", 16383, 16383) + bytes(10)
    out.write(kind, "webp_lossy_16383x16383_partition_cut", "webp",
              webp_file([riff_chunk(b"VP8 ", vp8)]))

    # PNG: a header of huge size and an image stream of only a few rows. The 16-bit RGB
    # picture with a transparent key colour asks for 12000 x 12000 x 8 bytes, about 1.15 GB,
    # once the key is turned into an alpha channel.
    def few_rows(width, bytes_per_pixel, rows=4):
        return [png_chunk(b"IDAT", zlib.compress(bytes(rows * (1 + width * bytes_per_pixel)),
                                                 9))]
    for width, height, depth, colour, per_pixel, detail in (
            (30000, 30000, 8, PNG_RGBA, 4, "rgba_8bit"),
            (30000, 30000, 16, PNG_RGBA, 8, "rgba_16bit"),
            (30000, 30000, 8, PNG_GREY, 1, "grey_8bit"),
            (2147483647, 1, 1, PNG_GREY, 0, "grey_1bit_width_2147483647"),
            (1, 2147483647, 8, PNG_GREY, 1, "grey_height_2147483647"),
            (12000, 12000, 16, PNG_RGB, 6, "rgb_16bit_trns_key")):
        extra = [png_chunk(b"tRNS", struct.pack(">HHH", 1, 2, 3))] if "trns" in detail else []
        idat = few_rows(min(width, 30000), max(per_pixel, 1))
        out.write(kind, f"png_{detail}_{width}x{height}_tiny_idat", "png",
                  png_file(width, height, depth, colour, before_idat=extra, idat=idat))
    out.write(kind, "png_interlaced_rgb_30000x30000_tiny_idat", "png",
              png_file(30000, 30000, 8, PNG_RGB, interlace=1, idat=few_rows(30000, 3, 1)))
    out.write(kind, "png_palette_30000x30000_tiny_idat", "png",
              png_file(30000, 30000, 8, PNG_PALETTE, plte=b"\x00\x00\x00\xff\xff\xff",
                       idat=few_rows(30000, 1)))
    out.write(kind, "png_width_0x80000000_out_of_range", "png",
              png_file(0x80000000, 1, idat=few_rows(1, 1)))

    # BMP: headers of 50000 x 50000 over a few bytes of pixels.
    for width, height, bpp, compression, detail in (
            (50000, 50000, 24, 0, "24bit"), (50000, 50000, 32, 0, "32bit"),
            (50000, -50000, 24, 0, "24bit_top_down"), (50000, 50000, 8, 1, "rle8"),
            (0x7FFFFFFF, 1, 1, 0, "1bit_width_2147483647")):
        palette = bytes(4 * (1 << bpp)) if bpp <= 8 else b""
        pixels = b"\x00\x01" if compression == 1 else bytes(64)
        out.write(kind, f"bmp_{detail}_{width}x{abs(height)}", "bmp",
                  bmp_file(width, height, bpp, pixels, compression, palette=palette))

    # TIFF: one strip said to be 4 GiB, tiles of 65536 x 65536, a million strips.
    t = TiffWriter()
    pixels = t.blob(bytes(256))
    ifd0 = t.directory(by_tag(tiff_image_entries(t, 100000, 100000, pixels, 0xFFFFFFFF)))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_100000x100000_one_strip_of_4gib", "tif", t.bytes())

    t = TiffWriter()
    pixels = t.blob(bytes(256))
    entries = [e for e in tiff_image_entries(t, 1000000, 1000000, pixels, 256, bits=16,
                                             samples=4, photometric=2)
               if e[0] not in (273, 278, 279)]
    entries += [(322,) + t.longs(65536), (323,) + t.longs(65536), (324,) + t.longs(pixels),
                (325,) + t.longs(256)]
    ifd0 = t.directory(by_tag(entries))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_rgba_16bit_1000000x1000000_tiles_65536x65536", "tif", t.bytes())

    t = TiffWriter()
    pixels = t.blob(bytes(256))
    ifd0 = t.directory(by_tag(tiff_image_entries(t, 60000, 60000, pixels, 256, bits=16,
                                                 samples=3, photometric=2)))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_rgb_16bit_60000x60000_tiny_strip", "tif", t.bytes())

    # GIF: a huge logical screen, a huge frame with no data, a frame far outside the screen.
    out.write(kind, "gif_screen_65535x65535_frame_1x1", "gif", gif_file(65535, 65535, gif_frame()))
    out.write(kind, "gif_frame_65535x65535_empty_lzw", "gif",
              gif_file(65535, 65535, gif_frame(0, 0, 65535, 65535, GIF_EMPTY_LZW)))
    # An 8192 x 8192 screen in a file large enough for it, its one frame a pixel.
    out.write(kind, "gif_screen_8192x8192_in_16kib", "gif",
              gif_file(8192, 8192, gif_comment(bytes(16 * KIB)) + gif_frame()))
    out.write(kind, "gif_frame_65535x65535_outside_1x1_screen", "gif",
              gif_file(1, 1, gif_frame(65000, 65000, 65535, 65535, GIF_EMPTY_LZW)))

    # ICO: an entry that is a 30000 x 30000 PNG, and one whose DIB claims 2^30 rows.
    huge_png = png_file(30000, 30000, 8, PNG_RGBA, idat=few_rows(30000, 4, 1))
    out.write(kind, "ico_entry_png_30000x30000", "ico",
              ico_file([(0, 0, huge_png, None, None)]))
    dib = struct.pack("<IiiHHIIiiII", 40, 256, 1 << 30, 1, 32, 0, 0, 0, 0, 0, 0) + bytes(64)
    out.write(kind, "ico_entry_dib_256x536870912", "ico", ico_file([(0, 0, dib, None, None)]))


# ---------------------------------------------------------------------------------------------
# 5. Files for the decoders reached by content guessing, when no signature matches.

def make_content_guesses(out):
    kind = "content_guess"
    out.write(kind, "svg_1000000000_square", "svg",
              b'<svg xmlns="http://www.w3.org/2000/svg" width="1000000000" height="1000000000">'
              b'<rect width="9" height="9"/></svg>\n')
    out.write(kind, "svg_viewbox_huge_and_width_in_km", "svg",
              b'<svg xmlns="http://www.w3.org/2000/svg" width="1000km" height="1000km" '
              b'viewBox="0 0 1e30 1e30"><circle r="1e29"/></svg>\n')
    # Entities nested ten deep, ten to a level: a thousand million letters if expanded.
    entities = ['<!ENTITY e0 "hostile">']
    for level in range(1, 10):
        entities.append(f'<!ENTITY e{level} "' + f"&e{level - 1};" * 10 + '">')
    out.write(kind, "svg_entity_expansion", "svg",
              ('<?xml version="1.0"?>\n<!DOCTYPE svg [\n' + "\n".join(entities) + "\n]>\n"
               '<svg xmlns="http://www.w3.org/2000/svg" width="10" height="10">'
               "<text>&e9;</text></svg>\n").encode())
    # A gzip member of 128 MiB of SVG: a comment of spaces between a header and a rectangle.
    out.write(kind, "svgz_gzip_bomb_128mib", "svgz", compress_pieces([
        (b'<svg xmlns="http://www.w3.org/2000/svg" width="100" height="100"><!--', 1),
        (b" ", 128 * MIB), (b'--><rect width="10" height="10"/></svg>\n', 1)], wbits=31))

    out.write(kind, "xpm_100000x100000", "xpm",
              b'/* XPM */\nstatic char *hostile[] = {\n"100000 100000 2 1",\n"  c #FFFFFF",\n'
              b'". c #000000",\n"..",\n};\n')
    out.write(kind, "xpm_2147483647_colours", "xpm",
              b'/* XPM */\nstatic char *hostile[] = {\n"1 1 2147483647 1",\n". c #000000",\n'
              b'".",\n};\n')
    out.write(kind, "xbm_100000x100000", "xbm",
              b"#define hostile_width 100000\n#define hostile_height 100000\n"
              b"static char hostile_bits[] = {\n  0x00, 0xff };\n")
    out.write(kind, "pbm_ascii_100000x100000", "pbm", b"P1\n100000 100000\n0 1 0 1\n")
    out.write(kind, "pgm_binary_65535x65535_maxval_65535", "pgm",
              b"P5\n65535 65535\n65535\n" + bytes(64))
    out.write(kind, "ppm_binary_2147483647x2147483647", "ppm",
              b"P6\n2147483647 2147483647\n255\n" + bytes(64))
    out.write(kind, "ppm_header_of_100000_comment_lines", "ppm",
              b"P6\n" + b"#\n" * 100000 + b"1 1\n255\n\x00\x00\x00")
    # TGA has no signature at the start; the footer makes it recognisable.
    footer = b"\x00" * 8 + b"TRUEVISION-XFILE.\x00"
    for image_type, detail, data in ((2, "uncompressed", bytes(64)),
                                     (10, "rle_one_packet", b"\xff\x00\x00\x00\xff")):
        header = struct.pack("<BBBHHBHHHHBB", 0, 0, image_type, 0, 0, 0, 0, 0, 65535, 65535,
                             32, 0x28)
        out.write(kind, f"tga_{detail}_65535x65535", "tga", header + data + footer)
    # WBMP is type 0 with multi-byte integer sizes: four zero bytes already parse as one.
    out.write(kind, "wbmp_2097151x2097151", "wbmp", b"\x00\x00\xff\xff\x7f\xff\xff\x7f" + bytes(8))
    out.write(kind, "icns_element_claims_4gib", "icns",
              b"icns" + struct.pack(">I", 24) + b"ic08" + struct.pack(">I", 0xFFFFFFF0) + bytes(8))

    rng = random.Random(0x5EED0001)
    out.write(kind, "noise_4096_bytes", "bin", bytes(rng.getrandbits(8) for _ in range(4096)))
    out.write(kind, "zeros_64kib", "bin", bytes(64 * KIB))
    out.write(kind, "plain_text", "txt", b"This is not a picture.\n" * 40)
    out.write(kind, "html_with_img", "html",
              b'<!DOCTYPE html><html><body><img src="x.png" width="99999"></body></html>\n')

    objects = [b"<< /Type /Catalog /Pages 2 0 R >>",
               b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
               b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 14400 14400] >>"]
    pdf = bytearray(b"%PDF-1.4\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(pdf))
        pdf += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(pdf)
    pdf += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    pdf += b"".join(b"%010d 00000 n \n" % o for o in offsets)
    pdf += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1,
                                                                               xref)
    out.write(kind, "pdf_one_page", "pdf", bytes(pdf))

    # A ZIP holding a picture claim and a 64 MiB member; fixed dates keep it deterministic.
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data in (("hostile.png", png_file(30000, 30000)),
                           ("zeros.bin", bytes(64 * MIB))):
            info = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o644 << 16
            archive.writestr(info, data, compresslevel=9)
    out.write(kind, "zip_with_png_and_64mib_member", "zip", buffer.getvalue())


# ---------------------------------------------------------------------------------------------
# 6. Structural loops and giant counts.

def make_directory_structures(out):
    kind = "structure"
    # IFD0 -> IFD1 -> IFD0, in an Exif block, in a PNG eXIf, in a TIFF and big-endian.
    for big_endian in (False, True):
        t = TiffWriter(big_endian)
        ifd1 = t.directory([(TAG_IMAGE_DESCRIPTION,) + t.ascii("IFD1")], 0)
        ifd0 = t.directory([(TAG_IMAGE_DESCRIPTION,) + t.ascii("IFD0")], ifd1.offset)
        t.patch(ifd1.next_position, ifd0.offset)
        t.set_first_ifd(ifd0.offset)
        order = "big_endian" if big_endian else "little_endian"
        out.write(kind, f"jpeg_exif_ifd0_ifd1_loop_{order}", "jpg", jpeg_with_exif(t.bytes()))
        if not big_endian:
            out.write(kind, "png_exif_ifd0_ifd1_loop", "png", png_with_exif(t.bytes()))
            out.write(kind, "webp_exif_ifd0_ifd1_loop", "webp", webp_with_exif(t.bytes()))
    t, ifd0 = tiny_tiff()
    ifd1 = t.directory(by_tag(tiff_image_entries(t, 1, 1, 8, 1)), ifd0.offset)
    t.patch(ifd0.next_position, ifd1.offset)
    out.write(kind, "tiff_ifd0_ifd1_loop", "tif", t.bytes())
    t, ifd0 = tiny_tiff()
    t.patch(ifd0.next_position, ifd0.offset)
    out.write(kind, "tiff_ifd0_next_is_itself", "tif", t.bytes())

    t, ifd0 = exif_with_ifd0([(TAG_IMAGE_DESCRIPTION,) + LITTLE.ascii("self")])
    t.patch(ifd0.next_position, ifd0.offset)
    out.write(kind, "jpeg_exif_ifd0_next_is_itself", "jpg", jpeg_with_exif(t.bytes()))

    # Sub-directory pointers back into the tree.
    t, ifd0 = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x01\x00"),
                              (TAG_EXIF_IFD, TIFF_LONG, 1, 0)])
    t.patch(ifd0.field_positions[TAG_EXIF_IFD], ifd0.offset)
    out.write(kind, "jpeg_exif_pointer_to_ifd0", "jpg", jpeg_with_exif(t.bytes()))

    t, ifd0 = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x01\x00"),
                              (TAG_GPS_IFD, TIFF_LONG, 1, 0)])
    t.patch(ifd0.field_positions[TAG_GPS_IFD], ifd0.offset)
    out.write(kind, "jpeg_gps_pointer_to_ifd0", "jpg", jpeg_with_exif(t.bytes()))

    t = TiffWriter()
    gps = t.directory([(0x0000, TIFF_BYTE, 4, b"\x02\x03\x00\x00"),
                       (TAG_GPS_IFD, TIFF_LONG, 1, 0)])
    t.patch(gps.field_positions[TAG_GPS_IFD], gps.offset)
    ifd0 = t.directory([(TAG_GPS_IFD, TIFF_LONG, 1, gps.offset)])
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_gps_ifd_points_at_itself", "jpg", jpeg_with_exif(t.bytes()))

    t = TiffWriter()
    exif = t.directory([(0x9000, TIFF_UNDEFINED, 4, b"0230"), (TAG_EXIF_IFD, TIFF_LONG, 1, 0)])
    t.patch(exif.field_positions[TAG_EXIF_IFD], exif.offset)
    ifd0 = t.directory([(TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset)])
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_exif_ifd_points_at_itself", "jpg", jpeg_with_exif(t.bytes()))

    t = TiffWriter()
    exif = t.directory([(0x9000, TIFF_UNDEFINED, 4, b"0230"), (TAG_GPS_IFD, TIFF_LONG, 1, 0)])
    gps = t.directory([(0x0000, TIFF_BYTE, 4, b"\x02\x03\x00\x00"),
                       (TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset)])
    t.patch(exif.field_positions[TAG_GPS_IFD], gps.offset)
    ifd0 = t.directory([(TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset),
                        (TAG_GPS_IFD, TIFF_LONG, 1, gps.offset)])
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_exif_and_gps_ifds_point_at_each_other", "jpg", jpeg_with_exif(t.bytes()))

    t = TiffWriter()
    exif = t.directory([(0x9000, TIFF_UNDEFINED, 4, b"0230"),
                        (TAG_INTEROP_IFD, TIFF_LONG, 1, 0)])
    t.patch(exif.field_positions[TAG_INTEROP_IFD], exif.offset)
    ifd0 = t.directory([(TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset)])
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_interop_pointer_to_exif_ifd", "jpg", jpeg_with_exif(t.bytes()))

    # IFD1 whose next link is IFD0 while IFD0's Exif pointer is IFD1: every path loops.
    t = TiffWriter()
    ifd1 = t.directory([(TAG_IMAGE_DESCRIPTION,) + t.ascii("one")])
    ifd0 = t.directory([(TAG_EXIF_IFD, TIFF_LONG, 1, ifd1.offset),
                        (TAG_GPS_IFD, TIFF_LONG, 1, ifd1.offset)], ifd1.offset)
    t.patch(ifd1.next_position, ifd0.offset)
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_exif_gps_and_next_all_point_at_ifd1_which_loops", "jpg",
              jpeg_with_exif(t.bytes()))

    t, ifd0 = tiny_tiff([(TAG_SUB_IFDS, TIFF_LONG, 1, 0)])
    t.patch(ifd0.field_positions[TAG_SUB_IFDS], ifd0.offset)
    out.write(kind, "tiff_sub_ifds_pointer_to_ifd0", "tif", t.bytes())

    # Ten thousand chained directories: not a loop, just a long way to the end.
    t = TiffWriter()
    following = 0
    for index in range(10000):
        following = t.directory([(TAG_IMAGE_DESCRIPTION, TIFF_ASCII, 2, b"x\x00")],
                                following).offset
    t.set_first_ifd(following)
    out.write(kind, "png_exif_10000_chained_directories", "png",
              png_with_exif(t.bytes()))

    # Counts of 0xFFFFFFFF for each type size, and counts whose byte size wraps to zero in 32
    # bits (0x20000000 rationals, 0x40000000 longs, 0x80000000 shorts): a wrapped size looks
    # like an inline value of zero bytes.
    for type_id, name in ((TIFF_BYTE, "byte"), (TIFF_ASCII, "ascii"), (TIFF_SHORT, "short"),
                          (TIFF_LONG, "long"), (TIFF_RATIONAL, "rational"),
                          (TIFF_DOUBLE, "double"), (TIFF_UNDEFINED, "undefined")):
        t, _ = exif_with_ifd0([(TAG_IMAGE_DESCRIPTION, type_id, 0xFFFFFFFF, 26),
                               (TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
        out.write(kind, f"jpeg_exif_count_ffffffff_{name}", "jpg", jpeg_with_exif(t.bytes()))
    for type_id, count, name in ((TIFF_RATIONAL, 0x20000000, "rational_0x20000000"),
                                 (TIFF_LONG, 0x40000000, "long_0x40000000"),
                                 (TIFF_SHORT, 0x80000000, "short_0x80000000"),
                                 (TIFF_DOUBLE, 0x20000000, "double_0x20000000")):
        t, _ = exif_with_ifd0([(0x011A, type_id, count, 0), (0x011B, type_id, count, 0),
                               (TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
        out.write(kind, f"jpeg_exif_count_size_wraps_to_0_{name}", "jpg",
                  jpeg_with_exif(t.bytes()))
    t, _ = tiny_tiff([(0x013B, TIFF_ASCII, 0xFFFFFFFF, 8), (0x0140, TIFF_SHORT, 0x80000000, 8)])
    out.write(kind, "tiff_counts_ffffffff_and_wrapping", "tif", t.bytes())

    # Value offsets near the top of the 32-bit range: offset + size wraps round to small.
    for offset, name in ((0xFFFFFFFF, "ffffffff"), (0xFFFFFFF8, "fffffff8"),
                         (0xFFFFFFF0, "fffffff0_count_32"), (0x80000000, "80000000"),
                         (0x7FFFFFFF, "7fffffff")):
        count = 32 if "count_32" in name else 20
        t, _ = exif_with_ifd0([(TAG_IMAGE_DESCRIPTION, TIFF_ASCII, count, offset),
                               (0x011A, TIFF_RATIONAL, 1, offset),
                               (TAG_EXIF_IFD, TIFF_LONG, 1, offset)])
        out.write(kind, f"jpeg_exif_value_offset_{name}", "jpg", jpeg_with_exif(t.bytes()))
    t, ifd0 = exif_with_ifd0([(TAG_IMAGE_DESCRIPTION, TIFF_ASCII, 20, 0)])
    t.patch(ifd0.field_positions[TAG_IMAGE_DESCRIPTION], t.tell() - 10)
    out.write(kind, "jpeg_exif_value_runs_past_end", "jpg", jpeg_with_exif(t.bytes()))

    # Directory sizes: 65535 entries in full, 65535 declared over a handful, and a count that
    # leaves the last entry half written.
    t = TiffWriter()
    pixel = t.blob(b"\x80")
    entries = tiff_image_entries(t, 1, 1, pixel, 1)
    # Private and unknown tags, each twice, keep the picture itself decodable.
    pointers = {TAG_EXIF_IFD, TAG_GPS_IFD, TAG_INTEROP_IFD}
    unknown = [tag for tag in range(0x8000, 0x10000) if tag not in pointers] * 2
    entries += [(tag, TIFF_SHORT, 1, b"\x01\x00") for tag in unknown[:65535 - len(entries)]]
    ifd0 = t.directory(by_tag(entries))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_65535_entry_directory", "tif", t.bytes())
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")] * 3,
                          declared_count=65535)
    out.write(kind, "jpeg_exif_65535_entries_declared_3_present", "jpg", jpeg_with_exif(t.bytes()))
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")] * 5300,
                          declared_count=65535)
    out.write(kind, "jpeg_exif_65535_entries_declared_app1_full", "jpg",
              jpeg_with_exif(t.bytes()[:65500]))
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")] * 2)
    out.write(kind, "jpeg_exif_last_entry_cut_in_half", "jpg", jpeg_with_exif(t.bytes()[:-10]))
    t = TiffWriter()
    pixel = t.blob(b"\x80")
    ifd0 = t.directory(by_tag(tiff_image_entries(t, 1, 1, pixel, 1)), declared_count=500)
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_ifd0_500_entries_declared_12_present", "tif", t.bytes())
    t = TiffWriter()
    pixel = t.blob(b"\x80")
    entries = [e for e in tiff_image_entries(t, 1, 1, pixel, 1) if e[0] not in (273, 279)]
    strips = t.tell() + 4
    entries += [(273, TIFF_LONG, 1000000, strips), (279, TIFF_LONG, 1000000, strips)]
    ifd0 = t.directory(by_tag(entries))
    t.set_first_ifd(ifd0.offset)
    t.blob(bytes(64))
    out.write(kind, "tiff_million_strip_offsets_past_end", "tif", t.bytes())

    # Directories and values at offset 0 (the header) and at odd offsets.
    t, ifd0 = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
    t.set_first_ifd(0)
    out.write(kind, "jpeg_exif_ifd0_at_offset_0", "jpg", jpeg_with_exif(t.bytes()))
    t, _ = exif_with_ifd0([(TAG_EXIF_IFD, TIFF_LONG, 1, 0), (TAG_GPS_IFD, TIFF_LONG, 1, 0),
                           (TAG_IMAGE_DESCRIPTION, TIFF_ASCII, 8, 0)], next_ifd=8)
    out.write(kind, "jpeg_exif_pointers_at_0_and_next_ifd_is_ifd0", "jpg",
              jpeg_with_exif(t.bytes()))
    t, ifd0 = tiny_tiff()
    t.set_first_ifd(0)
    out.write(kind, "tiff_ifd0_at_offset_0", "tif", t.bytes())
    t = TiffWriter()
    t.buf += b"\x00"
    text = t.blob(b"odd offsets\x00", aligned=False)
    ifd0 = t.directory([(TAG_IMAGE_DESCRIPTION, TIFF_ASCII, 12, text),
                        (0x011A,) + t.rationals((300, 1))], aligned=False)
    t.set_first_ifd(ifd0.offset)
    assert ifd0.offset % 2 == 1 and text % 2 == 1
    out.write(kind, "jpeg_exif_ifd0_and_values_at_odd_offsets", "jpg", jpeg_with_exif(t.bytes()))
    t, ifd0 = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
    t.set_first_ifd(0x00100000)
    out.write(kind, "jpeg_exif_ifd0_offset_past_end", "jpg", jpeg_with_exif(t.bytes()))
    t, _ = exif_with_ifd0([(TAG_EXIF_IFD, TIFF_LONG, 1, 0x00100000),
                           (TAG_GPS_IFD, TIFF_LONG, 1, 0xFFFFFFFE)], next_ifd=0xFFFFFFF0)
    out.write(kind, "jpeg_exif_sub_directories_past_end", "jpg", jpeg_with_exif(t.bytes()))
    # Pointer tags of the wrong type and count: a pointer that is ASCII, or ten longs.
    t, _ = exif_with_ifd0([(TAG_EXIF_IFD, TIFF_ASCII, 4, b"abc\x00"),
                           (TAG_GPS_IFD, TIFF_LONG, 10, 8)])
    out.write(kind, "jpeg_exif_pointers_of_wrong_type_and_count", "jpg",
              jpeg_with_exif(t.bytes()))

    # Thumbnails out of bounds.
    for offset, length, name in ((8, 0xFFFFFFFF, "length_ffffffff"),
                                 (0x00100000, 64, "offset_past_end"),
                                 (0xFFFFFFF0, 0x20, "offset_plus_length_wraps"),
                                 (8, 0, "length_0"), (8, 32, "not_a_jpeg")):
        t = TiffWriter()
        ifd1 = t.directory([(TAG_THUMBNAIL_OFFSET, TIFF_LONG, 1, offset),
                            (TAG_THUMBNAIL_LENGTH, TIFF_LONG, 1, length)])
        ifd0 = t.directory([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x01\x00")], ifd1.offset)
        t.set_first_ifd(ifd0.offset)
        out.write(kind, f"jpeg_exif_thumbnail_{name}", "jpg", jpeg_with_exif(t.bytes()))

    # Headers that are nearly right, and types nobody defined.
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
    body = t.bytes()
    out.write(kind, "jpeg_exif_magic_43", "jpg", jpeg_with_exif(body[:2] + b"\x2b\x00" + body[4:]))
    out.write(kind, "jpeg_exif_byte_order_im", "jpg", jpeg_with_exif(b"IM" + body[2:]))
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, 0, 1, 6), (0x011A, 13, 1, 8),
                           (0x011B, 0xFFFF, 0xFFFFFFFF, 8), (0x0128, 14, 2, 3)])
    out.write(kind, "jpeg_exif_undefined_types", "jpg", jpeg_with_exif(t.bytes()))
    # Some writers put the Exif header inside the PNG chunk too.
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
    out.write(kind, "png_exif_with_exif_header_prefix", "png",
              png_with_exif(b"Exif\x00\x00" + t.bytes()))
    out.write(kind, "png_exif_empty", "png", png_with_exif(b""))
    out.write(kind, "png_exif_only_byte_order", "png", png_with_exif(b"II"))


def make_segment_structures(out):
    kind = "structure"
    # JPEG marker walker: lengths that do not move forward, leave the file or lie.
    for length in (0, 1):
        out.write(kind, f"jpeg_app1_length_{length}", "jpg",
                  b"\xff\xd8" + segment(APP1, b"", length=length) + jpeg_baseline()[2:])
        out.write(kind, f"jpeg_com_length_{length}_then_garbage", "jpg",
                  b"\xff\xd8" + segment(COM, b"", length=length) + b"\x00" * 64
                  + jpeg_baseline()[2:])
    out.write(kind, "jpeg_app1_length_past_end", "jpg",
              b"\xff\xd8" + segment(APP1, b"Exif\x00\x00II*\x00", length=0xFFFF))
    out.write(kind, "jpeg_sof_0_components", "jpg",
              b"\xff\xd8" + segment(SOF0, struct.pack(">BHHB", 8, 8, 8, 0)) + b"\xff\xd9")
    out.write(kind, "jpeg_sof_255_components_in_short_segment", "jpg",
              b"\xff\xd8" + segment(SOF0, struct.pack(">BHHB", 8, 8, 8, 255) + b"\x01\x11\x00")
              + b"\xff\xd9")
    out.write(kind, "jpeg_sof_says_3_components_has_1", "jpg",
              b"\xff\xd8" + dqt()
              + segment(SOF0, struct.pack(">BHHB", 8, 8, 8, 3) + b"\x01\x11\x00")
              + luminance_tables() + sos([1]) + b"\x2b\xff\xd9")
    out.write(kind, "jpeg_sof_zero_sampling_factors", "jpg",
              jpeg_baseline(components=((1, 0x00, 0),), coded_blocks=1))
    out.write(kind, "jpeg_sof_quant_table_15", "jpg",
              jpeg_baseline(components=((1, 0x11, 15),)))
    out.write(kind, "jpeg_two_sofs_of_different_sizes", "jpg",
              jpeg_baseline(segments=[sof(SOF0, 23000, 23000)]))
    out.write(kind, "jpeg_1000_sofs", "jpg",
              jpeg_baseline(segments=[sof(SOF0, 8 + i, 8 + i) for i in range(1000)]))
    out.write(kind, "jpeg_dqt_table_id_15", "jpg",
              jpeg_baseline(segments=[segment(DQT, b"\x0f" + bytes(range(1, 65)))]))
    out.write(kind, "jpeg_dqt_16bit_cut_short", "jpg",
              jpeg_baseline(segments=[segment(DQT, b"\x10" + bytes(range(1, 65)))]))
    out.write(kind, "jpeg_dqt_all_zero", "jpg",
              jpeg_baseline().replace(dqt(), segment(DQT, b"\x00" + bytes(64)), 1))
    out.write(kind, "jpeg_dht_counts_over_256", "jpg",
              b"\xff\xd8" + dqt() + sof(SOF0, 8, 8) + dht(0, 0, [255] * 16, bytes(255))
              + dht(1, 0, AC_LUMINANCE_BITS, AC_LUMINANCE_SYMBOLS) + sos([1]) + b"\x2b\xff\xd9")
    out.write(kind, "jpeg_jfif_thumbnail_255x255_in_16_byte_segment", "jpg",
              jpeg_baseline(segments=[jfif_app0(thumb_w=255, thumb_h=255)]))
    out.write(kind, "jpeg_app1_exif_header_only", "jpg",
              jpeg_baseline(segments=[segment(APP1, b"Exif\x00\x00")]))
    out.write(kind, "jpeg_app1_exif_without_nul_padding", "jpg",
              jpeg_baseline(segments=[segment(APP1, b"Exif")]))
    out.write(kind, "jpeg_sos_before_sof", "jpg",
              b"\xff\xd8" + dqt() + luminance_tables() + sos([1]) + b"\x2b"
              + sof(SOF0, 8, 8) + b"\xff\xd9")
    out.write(kind, "jpeg_restart_markers_outside_scan", "jpg",
              jpeg_baseline(segments=[bytes([0xFF, 0xD0 + i]) for i in range(8)] * 1000))
    out.write(kind, "jpeg_no_sof_only_tables", "jpg",
              b"\xff\xd8" + dqt() + luminance_tables() + b"\xff\xd9")
    out.write(kind, "jpeg_scan_without_eoi_then_garbage", "jpg",
              jpeg_baseline()[:-2] + bytes(range(256)) * 16)
    out.write(kind, "jpeg_second_soi_inside", "jpg",
              b"\xff\xd8\xff\xd8" + jpeg_baseline()[2:])

    # PNG chunk walker: lengths at and past the end, bad CRCs, chunk order broken.
    text = b"Comment\x00hello"
    for length, name in ((0xFFFFFFFF, "ffffffff"), (0x7FFFFFFF, "7fffffff"),
                         (0x80000000, "80000000"), (1000, "1000_with_13_present")):
        out.write(kind, f"png_text_chunk_length_{name}", "png",
                  png_file()[:33] + png_chunk(b"tEXt", text, length=length))
    out.write(kind, "png_no_ihdr", "png",
              PNG_SIGNATURE + png_chunk(b"IDAT", zlib.compress(b"\x00\x80"))
              + png_chunk(b"IEND", b""))
    out.write(kind, "png_two_ihdr_of_different_sizes", "png",
              png_file(before_idat=[png_ihdr(30000, 30000)]))
    out.write(kind, "png_idat_before_ihdr", "png",
              PNG_SIGNATURE + png_chunk(b"IDAT", zlib.compress(b"\x00\x80")) + png_file()[8:])
    out.write(kind, "png_ihdr_bad_crc", "png",
              PNG_SIGNATURE + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0),
                                        crc=0) + png_file()[33:])
    out.write(kind, "png_ihdr_short", "png",
              PNG_SIGNATURE + png_chunk(b"IHDR", b"\x00\x00\x00\x01") + png_file()[33:])
    out.write(kind, "png_text_bad_crc", "png",
              png_file(before_idat=[png_chunk(b"tEXt", text, crc=0x12345678)]))
    out.write(kind, "png_iend_then_more_chunks", "png",
              png_file() + png_chunk(b"tEXt", text) * 1000)
    out.write(kind, "png_chunk_type_with_zero_bytes", "png",
              png_file(before_idat=[png_chunk(b"\x00\x00\x00\x00", b"x" * 16)]))
    # Text chunks without terminators, with unknown methods, with broken streams.
    out.write(kind, "png_text_without_keyword_terminator", "png",
              png_file(before_idat=[png_chunk(b"tEXt", b"Comment" * 20)]))
    out.write(kind, "png_text_keyword_of_200_bytes", "png",
              png_file(before_idat=[png_chunk(b"tEXt", b"K" * 200 + b"\x00value")]))
    out.write(kind, "png_ztxt_unknown_method", "png",
              png_file(before_idat=[png_chunk(b"zTXt", b"Comment\x00\x07" + zlib.compress(b"x"))]))
    out.write(kind, "png_ztxt_corrupt_stream", "png",
              png_file(before_idat=[png_chunk(b"zTXt", b"Comment\x00\x00\x78\x9c\xff\xff\xff")]))
    out.write(kind, "png_ztxt_stream_cut_short", "png",
              png_file(before_idat=[png_ztxt(b"Comment", zlib_bomb(MIB)[:200])]))
    out.write(kind, "png_ztxt_bad_adler32", "png",
              png_file(before_idat=[png_ztxt(b"Comment",
                                             zlib.compress(b"hello")[:-4] + bytes(4))]))
    out.write(kind, "png_itxt_without_terminators", "png",
              png_file(before_idat=[png_chunk(b"iTXt", b"Title\x00\x01\x00en-GB")]))
    out.write(kind, "png_itxt_compressed_flag_plain_text", "png",
              png_file(before_idat=[png_chunk(b"iTXt", b"Title\x00\x01\x00\x00\x00not deflate")]))
    out.write(kind, "png_itxt_invalid_utf8", "png",
              png_file(before_idat=[png_chunk(b"iTXt", b"Title\x00\x00\x00\xff\xfe\x00\xc3\x28"
                                                       b"\xed\xa0\x80\xf4\x90\x80\x80")]))
    out.write(kind, "png_iccp_stream_cut_short", "png",
              png_file(before_idat=[png_iccp(b"ICC", zlib_bomb(MIB)[:100])]))
    out.write(kind, "png_iccp_header_says_4gib", "png",
              png_file(before_idat=[png_iccp(b"ICC", zlib.compress(icc_header(0xFFFFFFFF,
                                                                                0xFFFFFFFF)))]))
    out.write(kind, "png_hist_without_plte", "png",
              png_file(before_idat=[png_chunk(b"hIST", bytes(512))]))
    out.write(kind, "png_hist_of_odd_length_longer_than_plte", "png",
              png_file(colour=PNG_PALETTE, plte=b"\x00\x00\x00",
                       before_idat=[png_chunk(b"hIST", bytes(1001))]))
    out.write(kind, "png_trns_longer_than_plte", "png",
              png_file(colour=PNG_PALETTE, plte=b"\x00\x00\x00",
                       before_idat=[png_chunk(b"tRNS", bytes(300))]))
    out.write(kind, "png_trns_wrong_length_for_grey", "png",
              png_file(before_idat=[png_chunk(b"tRNS", b"\x00")]))
    for chunk, name in ((b"pHYs", "phys"), (b"tIME", "time"), (b"gAMA", "gama"),
                        (b"cHRM", "chrm"), (b"sRGB", "srgb")):
        out.write(kind, f"png_{name}_one_byte_long", "png",
                  png_file(before_idat=[png_chunk(chunk, b"\x01")]))

    # GIF block walker.
    out.write(kind, "gif_sub_blocks_never_terminated", "gif",
              gif_file(1, 1, b"\x21\xfe" + b"\xff" + b"c" * 255 + b"\x10" + b"c" * 10, False))
    out.write(kind, "gif_unknown_extension_label", "gif",
              gif_file(1, 1, b"\x21\x42" + gif_sub_blocks(b"unknown") + gif_frame()))
    out.write(kind, "gif_unknown_block_introducer", "gif",
              gif_file(1, 1, b"\x99" * 16 + gif_frame()))
    for size in (0, 12, 255):
        out.write(kind, f"gif_lzw_minimum_code_size_{size}", "gif",
                  gif_file(1, 1, gif_frame(lzw=bytes([size]) + b"\x02\x44\x01\x00")))
    out.write(kind, "gif_image_descriptor_cut", "gif", gif_file(1, 1, b",\x00\x00\x00", False))
    out.write(kind, "gif_local_colour_table_past_end", "gif",
              gif_file(1, 1, b"," + struct.pack("<HHHHB", 0, 0, 1, 1, 0x87) + b"\x00" * 10, False))
    out.write(kind, "gif_frame_0x0", "gif", gif_file(1, 1, gif_frame(0, 0, 0, 0)))
    out.write(kind, "gif_no_trailer", "gif", gif_file(1, 1, gif_frame(), False))
    out.write(kind, "gif_lzw_codes_past_table", "gif",
              gif_file(4, 4, gif_frame(0, 0, 4, 4, b"\x02\x04\xff\xff\xff\xff\x00")))

    # BMP header reader.
    for info_size, name in ((0, "0"), (0xFFFFFFFF, "ffffffff"), (13, "13"), (200, "200")):
        out.write(kind, f"bmp_info_header_size_{name}", "bmp",
                  bmp_file(1, 1, 24, bytes(4), info_size=info_size))
    for bpp in (0, 3, 33, 0xFFFF):
        out.write(kind, f"bmp_bits_per_pixel_{bpp}", "bmp", bmp_file(1, 1, bpp, bytes(8)))
    out.write(kind, "bmp_colours_used_2147483648", "bmp",
              bmp_file(1, 1, 8, bytes(4), colours_used=0x80000000, palette=bytes(16)))
    out.write(kind, "bmp_pixel_offset_past_end", "bmp",
              bmp_file(1, 1, 24, bytes(4), pixel_offset=0x7FFFFFFF))
    out.write(kind, "bmp_bitfields_masks_missing", "bmp", bmp_file(1, 1, 32, b"", compression=3))
    out.write(kind, "bmp_rle8_runs_past_row_and_end", "bmp",
              bmp_file(4, 4, 8, b"\xff\x01" * 64 + b"\x00\x02\xff\xff", compression=1,
                       palette=bytes(1024)))
    out.write(kind, "bmp_os2_core_header_65535x65535", "bmp",
              b"BM" + struct.pack("<IHHI", 26 + 6, 0, 0, 26)
              + struct.pack("<IHHHH", 12, 65535, 65535, 1, 24) + bytes(6))
    out.write(kind, "bmp_width_and_height_int_min", "bmp",
              bmp_file(-2147483648, -2147483648, 24, bytes(4)))

    # ICO directory check.
    png = png_file()
    out.write(kind, "ico_65535_entries_declared_1_present", "ico",
              ico_file([(1, 1, png, None, None)], declared_count=65535))
    out.write(kind, "ico_0_entries", "ico", ico_file([]))
    out.write(kind, "ico_entry_offset_past_end", "ico", ico_file([(1, 1, png, None, 0x7FFFFFF0)]))
    out.write(kind, "ico_entry_size_ffffffff", "ico", ico_file([(1, 1, png, 0xFFFFFFFF, None)]))
    out.write(kind, "ico_entry_offset_into_directory", "ico", ico_file([(1, 1, png, None, 2)]))
    out.write(kind, "ico_entry_offset_plus_size_wraps", "ico",
              ico_file([(1, 1, png, 0x20, 0xFFFFFFF0)]))

    # WebP RIFF sizes that disagree with the file.
    still = riff_chunk(b"VP8L", vp8l_one_colour(1, 1))
    t, _ = exif_with_ifd0([(TAG_ORIENTATION, TIFF_SHORT, 1, b"\x06\x00")])
    exif = riff_chunk(b"EXIF", t.bytes())
    for riff_size, name in ((0xFFFFFFFF, "ffffffff"), (4, "4"), (0, "0"), (7, "odd_7")):
        out.write(kind, f"webp_riff_size_{name}", "webp", webp_file([still], riff_size=riff_size))
    out.write(kind, "webp_exif_chunk_size_ffffffff", "webp",
              webp_file([vp8x(VP8X_EXIF, 1, 1), still, riff_chunk(b"EXIF", t.bytes(),
                                                                  size=0xFFFFFFFF)]))
    out.write(kind, "webp_exif_chunk_size_past_end", "webp",
              webp_file([vp8x(VP8X_EXIF, 1, 1), still, riff_chunk(b"EXIF", t.bytes(), size=4096)]))
    out.write(kind, "webp_vp8x_only", "webp", webp_file([vp8x(VP8X_EXIF, 1, 1)]))
    out.write(kind, "webp_vp8x_cut_short", "webp", webp_file([riff_chunk(b"VP8X", b"\x08\x00")]))
    out.write(kind, "webp_two_exif_chunks", "webp",
              webp_file([vp8x(VP8X_EXIF, 1, 1), still, exif, exif]))
    out.write(kind, "webp_exif_before_image", "webp",
              webp_file([vp8x(VP8X_EXIF, 1, 1), exif, still]))
    out.write(kind, "webp_anmf_cut_short", "webp",
              webp_file([vp8x(VP8X_ANIMATION, 16, 16), anim(), riff_chunk(b"ANMF", b"\x00" * 5)]))

    # Metafile headers: sizes that do not add up and bounds that overflow a subtraction.
    int_min, int_max = -2147483648, 2147483647
    out.write(kind, "emf_bounds_int_min_to_int_max", "emf",
              emf_header(bounds=(int_min, int_min, int_max, int_max),
                         frame=(int_min, int_min, int_max, int_max)))
    out.write(kind, "emf_bounds_reversed", "emf", emf_header(bounds=(99, 99, 0, 0)))
    out.write(kind, "emf_record_size_ffffffff", "emf",
              emf_header(size=0xFFFFFFFF, n_bytes=0xFFFFFFFF, records=0xFFFFFFFF))
    out.write(kind, "emf_record_size_8", "emf", emf_header(size=8))
    out.write(kind, "emf_description_past_end", "emf",
              emf_header(description=(0x7FFFFFFF, 0xFFFFFFF0)))
    out.write(kind, "wmf_placeable_bbox_reversed_extremes", "wmf",
              wmf_placeable(bbox=(32767, 32767, -32768, -32768)))
    out.write(kind, "wmf_placeable_bad_checksum", "wmf", wmf_placeable(checksum=0x1234))
    out.write(kind, "wmf_standard_header_size_ffffffff", "wmf",
              struct.pack("<HHHIHIH", 1, 9, 0x300, 0xFFFFFFFF, 0xFFFF, 0xFFFFFFFF, 0))


# ---------------------------------------------------------------------------------------------
# 7. The repository's own pictures truncated and damaged.

def read_u16(data, pos, e):
    return struct.unpack_from(e + "H", data, pos)[0] if pos + 2 <= len(data) else 0


def read_u32(data, pos, e):
    return struct.unpack_from(e + "I", data, pos)[0] if pos + 4 <= len(data) else 0


def jpeg_points(data):
    """Offsets in the largest segment before the scan (the Exif block in a camera file) and
    in the entropy-coded data."""
    pos, segment_point, pixel_point, largest = 2, None, None, 8
    while pos + 4 <= len(data) and data[pos] == 0xFF:
        marker = data[pos + 1]
        if marker == 0xFF:
            pos += 1
            continue
        if marker in (SOI, 0x01) or 0xD0 <= marker <= 0xD7:
            pos += 2
            continue
        if marker == EOI:
            break
        length = read_u16(data, pos + 2, ">")
        if length > largest and marker != SOS:
            largest = length
            segment_point = pos + 2 + length // 2
        if marker == SOS:
            start = pos + 2 + length
            end = data.rfind(b"\xff\xd9")
            pixel_point = (start + (end if end > start else len(data))) // 2
            break
        pos += 2 + max(length, 2)
    return segment_point, pixel_point


def png_points(data):
    """Offsets in the first ancillary chunk (or the IHDR) and in the first IDAT."""
    pos, segment_point, pixel_point = 8, None, None
    while pos + 8 <= len(data):
        length = read_u32(data, pos, ">")
        kind = data[pos + 4:pos + 8]
        if kind == b"IDAT" and pixel_point is None:
            pixel_point = pos + 8 + length // 2
        elif kind not in (b"IHDR", b"IDAT") and segment_point is None:
            segment_point = pos + 8 + length // 2
        pos += 12 + length
    return segment_point or 20, pixel_point


def tiff_points(data):
    """Offsets in IFD0's entries and in the first strip or tile."""
    e = "<" if data[:2] == b"II" else ">"
    ifd0 = read_u32(data, 4, e)
    count = read_u16(data, ifd0, e)
    segment_point = ifd0 + 2 + 12 * (count // 2) + 6 if count else None
    offsets, sizes = None, None
    for i in range(count):
        entry = ifd0 + 2 + 12 * i
        tag, type_id, n = read_u16(data, entry, e), read_u16(data, entry + 2, e), \
            read_u32(data, entry + 4, e)
        if tag in (273, 324, 279, 325):
            if type_id == TIFF_SHORT:
                first = read_u16(data, entry + 8 if n <= 2 else read_u32(data, entry + 8, e), e)
            else:
                first = read_u32(data, entry + 8 if n <= 1 else read_u32(data, entry + 8, e), e)
            if tag in (273, 324):
                offsets = first
            else:
                sizes = first
    pixel_point = offsets + sizes // 2 if offsets and sizes else None
    return segment_point, pixel_point


def cut_points(data):
    """Where to truncate: in the header, in a segment or chunk, and in the pixel data."""
    size = len(data)
    # Inside SOI and the first marker, the TIFF header's IFD0 offset, the IHDR chunk, the GIF
    # logical screen, the BMP file header; elsewhere twelve bytes in.
    header = 12
    for signature, point in ((b"\xff\xd8", 3), (b"II*\x00", 5), (b"MM\x00*", 5),
                             (b"GIF8", 8), (b"BM", 10)):
        if data.startswith(signature):
            header = point
    header = min(header, size // 2)
    segment_point, pixel_point = None, None
    try:
        if data[:2] == b"\xff\xd8":
            segment_point, pixel_point = jpeg_points(data)
        elif data[:8] == PNG_SIGNATURE:
            segment_point, pixel_point = png_points(data)
        elif data[:4] in (b"II*\x00", b"MM\x00*"):
            segment_point, pixel_point = tiff_points(data)
        elif data[:2] == b"BM":
            pixel_offset = read_u32(data, 10, "<")
            segment_point, pixel_point = 30, (pixel_offset + size) // 2
    except struct.error:
        pass
    points = {"header": header, "segment": segment_point or size // 4,
              "pixels": pixel_point or (size * 3) // 4}
    return {name: p for name, p in points.items() if 0 < p < size}


def damaged(data, variant, rng):
    """A copy with a few deterministic bit flips or runs of 0x00 and 0xFF.

    The first four bytes stay as they are so that the file is still sniffed as its format and
    the damage reaches the format's own reader.
    """
    out = bytearray(data)
    size = len(out)
    header = (4, max(5, min(size, 1024)))
    middle = (max(4, size // 2 - 256), max(5, min(size, size // 2 + 256)))
    if variant == "bit_flips_in_header":
        for _ in range(6):
            pos = rng.randrange(*header)
            out[pos] ^= 1 << rng.randrange(8)
    elif variant == "bit_flips_in_middle":
        for _ in range(6):
            pos = rng.randrange(*middle)
            out[pos] ^= 1 << rng.randrange(8)
    else:
        start = rng.randrange(*header)
        out[start:start + 16] = b"\x00" * len(out[start:start + 16])
        start = rng.randrange(*middle)
        out[start:start + 16] = b"\xff" * len(out[start:start + 16])
    return bytes(out[:size])


DAMAGE_VARIANTS = ("bit_flips_in_header", "bit_flips_in_middle", "runs_of_00_and_ff")


def make_damaged(out):
    """Camera files: three cuts and all three kinds of damage. Fixtures (many, tiny and alike):
    cuts in the header and in the pixels, and one kind of damage in turn."""
    kind = "damage"
    for label, folder in SOURCE_FOLDERS:
        if not os.path.isdir(folder):
            print(f"make_hostile_files: {folder} is missing; its damaged copies are skipped",
                  file=sys.stderr)
            continue
        paths = sorted(os.path.join(dirpath, name)
                       for dirpath, _, names in os.walk(folder) for name in names
                       if not name.endswith(".md"))
        for index, path in enumerate(paths):
            with open(path, "rb") as f:
                data = f.read()
            if len(data) < 8:
                continue
            relative = os.path.relpath(path, folder)
            stem, ext = os.path.splitext(relative)
            stem = label + "_" + stem.replace(os.sep, "_")
            ext = ext.lstrip(".")
            points = cut_points(data)
            if label == "fixture":
                points = {k: v for k, v in points.items() if k != "segment"}
                variants = [DAMAGE_VARIANTS[index % len(DAMAGE_VARIANTS)]]
            else:
                variants = list(DAMAGE_VARIANTS)
            seen = set()
            for name, point in points.items():
                if point in seen:
                    continue
                seen.add(point)
                out.write(kind, f"{stem}_cut_in_{name}_at_{point}", ext, data[:point])
            for variant in variants:
                rng = random.Random(zlib.crc32(f"{relative}:{variant}".encode()))
                out.write(kind, f"{stem}_{variant}", ext, damaged(data, variant, rng))


# ---------------------------------------------------------------------------------------------
# 8. Bombs in every compressed stream the readers and decoders open.

def make_bombs(out):
    kind = "bomb"
    out.write(kind, "png_ztxt_description_64mib", "png",
              png_file(before_idat=[png_ztxt(b"Description", zlib_bomb(64 * MIB))]))
    out.write(kind, "png_ztxt_comment_64mib_of_nul", "png",
              png_file(before_idat=[png_ztxt(b"Comment", zlib_bomb(64 * MIB, b"\x00"))]))
    out.write(kind, "png_itxt_compressed_title_64mib", "png",
              png_file(before_idat=[png_itxt_compressed(b"Title", zlib_bomb(64 * MIB))]))
    out.write(kind, "png_iccp_64mib_of_zeros", "png",
              png_file(before_idat=[png_iccp(b"ICC profile", zlib_bomb(64 * MIB, b"\x00"))]))
    # A 256 x 256 grey picture needs 65,792 bytes of image stream; this one inflates to 64 MiB
    # (every byte zero, which is filter type 0 and black pixels, so it stays valid to the end).
    out.write(kind, "png_idat_64mib_for_256x256_grey", "png",
              png_file(256, 256, idat=[png_chunk(b"IDAT", zlib_bomb(64 * MIB, b"\x00"))]))
    out.write(kind, "png_idat_64mib_split_into_64_chunks_for_16x16", "png",
              png_file(16, 16, idat=[png_chunk(b"IDAT", piece) for piece in
                                     split(zlib_bomb(64 * MIB, b"\x00"), 64)]))
    # A picture that really is 20000 x 20000: the data is all there, 400 MB of it deflated to
    # about 400 KB. The memory is honest, so only a limit on decoded size can refuse it.
    out.write(kind, "png_complete_20000x20000_grey", "png",
              png_file(20000, 20000, idat=[png_chunk(b"IDAT", compress_pieces(
                  [(b"\x00" + bytes(20000), 20000)]))]))
    # A complete 23000 x 23000 RGBA picture, 2.1 GB of pixels from 2 MB, just under the
    # largest picture any file may have.
    out.write(kind, "png_complete_23000x23000_rgba", "png",
              png_file(23000, 23000, 8, PNG_RGBA, idat=[png_chunk(b"IDAT", repeated_zlib(
                  (b"\x00" + bytes(23000 * 4)) * 100, 230))]))
    # The same picture as one deflated TIFF strip.
    t = TiffWriter()
    stream = repeated_zlib(bytes(23000 * 4) * 100, 230)
    strip = t.blob(stream)
    entries = tiff_image_entries(t, 23000, 23000, strip, len(stream), samples=4, photometric=2,
                                 compression=8) + [(338,) + t.shorts(2)]
    ifd0 = t.directory(by_tag(entries))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_complete_23000x23000_rgba_deflate", "tif", t.bytes())

    # A TIFF strip declared as 256 x 256 grey whose deflate stream inflates to 64 MiB, with
    # both deflate compression codes.
    stream = zlib_bomb(64 * MIB, b"\x00")
    for compression in (8, 32946):
        t = TiffWriter()
        strip = t.blob(stream)
        ifd0 = t.directory(by_tag(tiff_image_entries(t, 256, 256, strip, len(stream),
                                                     compression=compression)))
        t.set_first_ifd(ifd0.offset)
        out.write(kind, f"tiff_deflate_{compression}_strip_64mib_for_256x256", "tif", t.bytes())
    # The same stream said to be only 16 bytes long: a decoder that trusts the byte count
    # stops early, one that trusts the stream reads on.
    t = TiffWriter()
    strip = t.blob(stream)
    ifd0 = t.directory(by_tag(tiff_image_entries(t, 256, 256, strip, 16, compression=8)))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_deflate_strip_64mib_byte_count_16", "tif", t.bytes())


def split(data, parts):
    step = -(-len(data) // parts)
    return [data[i:i + step] for i in range(0, len(data), step)]


# ---------------------------------------------------------------------------------------------
# 9. Odd files: nothing, almost nothing, and values that divide by zero or index past tables.

def make_odd_files(out):
    kind = "odd"
    out.write(kind, "empty", "bin", b"")
    for byte, name in ((0x89, "png"), (0xFF, "jpeg"), (ord("G"), "gif"), (ord("B"), "bmp"),
                       (ord("I"), "tiff_little_endian"), (ord("M"), "tiff_big_endian"),
                       (0x00, "ico"), (0x01, "emf"), (0xD7, "wmf_placeable"),
                       (0x02, "wmf_standard"), (ord("R"), "webp"), (ord("P"), "pnm"),
                       (ord("<"), "svg"), (ord("/"), "xpm")):
        out.write(kind, f"one_byte_{name}_{byte:02x}", "bin", bytes([byte]))
    for data, name, ext in ((PNG_SIGNATURE, "png_signature_only", "png"),
                            (PNG_SIGNATURE[:7], "png_signature_minus_one", "png"),
                            (PNG_SIGNATURE + b"\x00\x00\x00\x0dIHDR", "png_ihdr_head_only", "png"),
                            (b"\xff\xd8\xff", "jpeg_ff_d8_ff", "jpg"),
                            (b"\xff\xd8", "jpeg_soi_only", "jpg"),
                            (b"\xff\xd8\xff\xd9", "jpeg_soi_eoi", "jpg"),
                            (b"\xff\xd8\xff\xe1", "jpeg_app1_marker_only", "jpg"),
                            (b"GIF89a", "gif_signature_only", "gif"),
                            (b"GIF8", "gif_signature_cut", "gif"),
                            (b"GIF89a\x01\x00\x01\x00", "gif_screen_cut", "gif"),
                            (b"BM", "bmp_signature_only", "bmp"),
                            (b"BM" + bytes(12), "bmp_file_header_only", "bmp"),
                            (b"II*\x00", "tiff_header_without_ifd_offset", "tif"),
                            (b"II*\x00\x08\x00\x00\x00", "tiff_ifd0_at_end_of_file", "tif"),
                            (b"II*\x00\x00\x10\x00\x00", "tiff_ifd0_offset_past_end_little",
                             "tif"),
                            (b"MM\x00*\x00\x00\x10\x00", "tiff_ifd0_offset_past_end_big", "tif"),
                            (b"II*\x00\xff\xff\xff\xff", "tiff_ifd0_offset_ffffffff", "tif"),
                            (b"II+\x00\x08\x00\x00\x00\xff\xff\xff\xff\xff\xff\xff\x7f",
                             "bigtiff_ifd0_offset_2_63", "tif"),
                            (b"\x00\x00\x01\x00", "ico_header_cut", "ico"),
                            (b"\x00\x00\x01\x00\x01\x00", "ico_one_entry_none_present", "ico"),
                            (b"RIFF", "riff_only", "webp"),
                            (b"RIFF\x04\x00\x00\x00WEBP", "webp_header_only", "webp"),
                            (b"RIFF\x0c\x00\x00\x00WEBPVP8L", "webp_chunk_name_only", "webp"),
                            (b"\x01\x00\x00\x00", "emf_record_type_only", "emf"),
                            (b"\xd7\xcd\xc6\x9a", "wmf_placeable_key_only", "wmf")):
        out.write(kind, name, ext, data)

    # Values that divide: resolutions with zero denominators, zero physical sizes.
    t = TiffWriter()
    pixel = t.blob(b"\x80")
    entries = [e for e in tiff_image_entries(t, 1, 1, pixel, 1) if e[0] not in (282, 283)]
    entries += [(282,) + t.rationals((0, 0)), (283,) + t.rationals((300, 0))]
    ifd0 = t.directory(by_tag(entries))
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "tiff_resolution_0_over_0_and_300_over_0", "tif", t.bytes())
    t, _ = exif_with_ifd0([(0x011A,) + LITTLE.rationals((300, 0)),
                           (0x011B,) + LITTLE.rationals((0, 0)),
                           (0x0128,) + LITTLE.shorts(2)])
    out.write(kind, "jpeg_exif_resolution_denominators_0", "jpg", jpeg_with_exif(t.bytes()))
    t, _ = exif_with_ifd0([(0x011A,) + LITTLE.rationals((300, 1)),
                           (0x0128,) + LITTLE.shorts(65535)])
    out.write(kind, "jpeg_exif_resolution_unit_65535", "jpg", jpeg_with_exif(t.bytes()))
    t, _ = exif_with_ifd0([(0x011A,) + LITTLE.rationals((0xFFFFFFFF, 1)),
                           (0x011B,) + LITTLE.rationals((1, 0xFFFFFFFF))])
    out.write(kind, "jpeg_exif_resolution_extremes", "jpg", jpeg_with_exif(t.bytes()))
    out.write(kind, "jpeg_jfif_density_0_dots_per_inch", "jpg",
              jpeg_baseline(segments=[jfif_app0(1, 0, 0)]))
    out.write(kind, "jpeg_jfif_unit_7", "jpg", jpeg_baseline(segments=[jfif_app0(7, 300, 300)]))
    out.write(kind, "png_phys_0_per_metre", "png",
              png_file(before_idat=[png_chunk(b"pHYs", struct.pack(">IIB", 0, 0, 1))]))
    out.write(kind, "png_phys_ffffffff_per_metre_unit_9", "png",
              png_file(before_idat=[png_chunk(b"pHYs", struct.pack(">IIB", 0xFFFFFFFF,
                                                                   0xFFFFFFFF, 9))]))
    out.write(kind, "png_gama_0_and_chrm_0", "png",
              png_file(before_idat=[png_chunk(b"gAMA", bytes(4)), png_chunk(b"cHRM", bytes(32))]))
    out.write(kind, "png_time_out_of_range", "png",
              png_file(before_idat=[png_chunk(b"tIME", struct.pack(">HBBBBB", 65535, 13, 99, 25,
                                                                   61, 255))]))
    out.write(kind, "png_srgb_intent_255", "png", png_file(before_idat=[png_chunk(b"sRGB",
                                                                                  b"\xff")]))

    # Orientation values outside 1..8, of the wrong type, and with no value at all: a reader
    # that indexes a table of eight turns must not read past it.
    for value, name in ((0, "0"), (9, "9"), (65535, "65535")):
        t, _ = exif_with_ifd0([(TAG_ORIENTATION,) + LITTLE.shorts(value)])
        out.write(kind, f"jpeg_exif_orientation_{name}", "jpg", jpeg_with_exif(t.bytes()))
        t, _ = tiny_tiff([(TAG_ORIENTATION,) + LITTLE.shorts(value)])
        out.write(kind, f"tiff_orientation_{name}", "tif", t.bytes())
    for entry, name in (((TAG_ORIENTATION, TIFF_ASCII, 2, b"6\x00"), "as_ascii"),
                        ((TAG_ORIENTATION, TIFF_SHORT, 0, 0), "count_0"),
                        ((TAG_ORIENTATION, TIFF_SLONG, 1, 0xFFFFFFFA), "as_slong_minus_6"),
                        ((TAG_ORIENTATION, TIFF_RATIONAL, 1, 8), "as_rational")):
        t, _ = exif_with_ifd0([entry])
        out.write(kind, f"jpeg_exif_orientation_{name}", "jpg", jpeg_with_exif(t.bytes()))

    # Text the report must show without breaking: no terminator, NULs inside, invalid UTF-8,
    # control characters and direction overrides, odd-length UCS-2, a comment charset with no
    # text, an impossible date, and GPS values of the wrong count or with zero denominators.
    t = TiffWriter()
    gps = t.directory([(0x0001, TIFF_ASCII, 2, b"X\x00"), (0x0002,) + t.rationals((45, 1)),
                       (0x0003, TIFF_ASCII, 2, b"E\x00"),
                       (0x0004,) + t.rationals((1, 0), (0, 0), (5, 0)),
                       (0x0006,) + t.rationals((0xFFFFFFFF, 1)),
                       (0x001D,) + t.ascii("9999:99:99")])
    exif = t.directory([(0x9003,) + t.ascii("9999:99:99 99:99:99"),
                        (0x9286,) + t.undefined(b"UNICODE\x00\x41"),
                        (0x9290, TIFF_ASCII, 3, b"999")])
    ifd0 = t.directory([(TAG_IMAGE_DESCRIPTION, TIFF_ASCII, 5, b"abcdefgh"),
                        (0x010F,) + t.ascii(b"Ma\x00ke\x00with\x00nuls"),
                        (0x0110,) + t.ascii(b"\xff\xfe\xc3\x28 invalid \xed\xa0\x80 utf-8"),
                        (0x0131,) + t.ascii("tab\tbell\x07esc\x1b[31m \u202eright to left"),
                        (0x013B, TIFF_ASCII, 0, 0),
                        (0x8298,) + t.ascii("\n" * 300),
                        (TAG_EXIF_IFD, TIFF_LONG, 1, exif.offset),
                        (TAG_GPS_IFD, TIFF_LONG, 1, gps.offset),
                        (0x9C9B, TIFF_BYTE, 7, b"T\x00i\x00t\x00l"),
                        (0x9C9C, TIFF_BYTE, 1, b"\x00")])
    t.set_first_ifd(ifd0.offset)
    out.write(kind, "jpeg_exif_text_and_gps_oddities", "jpg", jpeg_with_exif(t.bytes()))
    out.write(kind, "png_exif_text_and_gps_oddities", "png", png_with_exif(t.bytes()))

    # Metafile headers whose physical size is zero, so that a resolution would divide by it.
    out.write(kind, "emf_device_and_millimetres_0", "emf",
              emf_header(frame=(0, 0, 0, 0), device=(0, 0), millimetres=(0, 0)))
    out.write(kind, "wmf_placeable_inch_0", "wmf", wmf_placeable(inch=0))



# ---------------------------------------------------------------------------------------------
# 10. HEIF and AVIF: the boxes that say where items are, how they refer to one another and how
# large they are, each made to claim too much, to point outside the file or back at itself.

def iso_box(kind, payload, length=None):
    """An ISO base media box; `length` overrides the length it declares."""
    return struct.pack(">I", 8 + len(payload) if length is None else length) + kind + payload


def iso_full_box(kind, version, flags, payload):
    return iso_box(kind, struct.pack(">I", (version << 24) | flags) + payload)


# A configuration record of a HEVC picture (4:2:0, 8 bits) without parameter sets: enough for
# the boxes to describe a picture, never enough to decode one.
FAKE_HVCC = iso_box(b"hvcC", bytes([1, 1, 0x60, 0, 0, 0, 0x90, 0, 0, 0, 0, 0, 0x5A, 0xF0, 0,
                                    0xFC, 0xFD, 0xF8, 0xF8, 0, 0, 0x0F, 0]))


def heif_ispe(width, height):
    return iso_full_box(b"ispe", 0, 0, struct.pack(">II", width, height))


def heif_tiff(ifd0_loops=False):
    """A big-endian Exif body with a Make in IFD0, whose next directory may be IFD0 itself."""
    t, ifd0 = exif_with_ifd0([(0x010F, TIFF_ASCII, 6, b"Maker\0")], big_endian=True)
    if ifd0_loops:
        t.patch(ifd0.next_position, ifd0.offset)
    return t.bytes()


def heif_exif_payload(offset, tiff=None):
    """An Exif item: the offset of the TIFF header from after this field, then the header."""
    return struct.pack(">I", offset) + (tiff if tiff is not None else heif_tiff())


def heif_file(items, primary=1, references=(), properties=(), associations=None, brands=(b"heic", b"mif1"),
              iloc=None, iinf_count=None, ipma_count=None, extra_meta=b"", data_offset=None):
    """items: (id, type, data); properties: boxes of ipco; associations: {id: [index, ...]}
    (1-based); references: (type, from, [to]). Each item's data is placed in one mdat, unless
    `iloc` replaces the location box whole or `data_offset` points every item elsewhere."""
    ftyp = iso_box(b"ftyp", brands[0] + b"\0\0\0\0" + b"".join(brands))
    infe = b"".join(iso_full_box(b"infe", 2, 0, struct.pack(">HH", i, 0) + t + b"\0") for i, t, _ in items)
    iinf = iso_full_box(b"iinf", 0, 0, struct.pack(">H", len(items) if iinf_count is None else iinf_count) + infe)
    iref = b""
    if references:
        iref = iso_full_box(b"iref", 0, 0, b"".join(
            iso_box(t, struct.pack(">HH", f, len(to)) + b"".join(struct.pack(">H", x) for x in to))
            for t, f, to in references))
    associations = associations if associations is not None else {primary: list(range(1, len(properties) + 1))}
    ipma = b"".join(struct.pack(">HB", i, len(a)) + b"".join(struct.pack(">H", 0x8000 | x) for x in a)
                    for i, a in associations.items())
    iprp = iso_box(b"iprp", iso_box(b"ipco", b"".join(properties)) + iso_full_box(
        b"ipma", 0, 1, struct.pack(">I", len(associations) if ipma_count is None else ipma_count) + ipma))

    def meta(offsets):
        location = iloc
        if location is None:
            location = iso_full_box(b"iloc", 1, 0, bytes([0x44, 0]) + struct.pack(">H", len(items)) + b"".join(
                struct.pack(">HHHHII", i, 0, 0, 1, o, len(d)) for (i, _, d), o in zip(items, offsets)))
        return iso_full_box(b"meta", 0, 0, iso_full_box(b"hdlr", 0, 0, b"\0\0\0\0pict" + bytes(13)) +
                            iso_full_box(b"pitm", 0, 0, struct.pack(">H", primary)) + iinf + iref + iprp +
                            location + extra_meta)

    start = len(ftyp) + len(meta([0] * len(items))) + 8
    offsets = []
    for _, _, data in items:
        offsets.append(start if data_offset is None else data_offset)
        start += len(data)
    return ftyp + meta(offsets) + iso_box(b"mdat", b"".join(d for _, _, d in items))


def heif_picture(width=64, height=64, extra=(), data=b"\0\0\0\x10" + bytes(16)):
    """One HEVC picture of the given size, with extra property boxes after its own."""
    return heif_file([(1, b"hvc1", data)], properties=[FAKE_HVCC, heif_ispe(width, height), *extra])


def heif_grid(columns, rows, tile_size, output, tile_ids, tile_width=None):
    """A grid of `tile_ids` (all pointing at one small coded item's bytes)."""
    description = bytes([0, 0, rows - 1, columns - 1]) + struct.pack(">HH", *output)
    tile_width = tile_width or tile_size
    items = [(1, b"grid", description)] + [(t, b"hvc1", bytes(24)) for t in sorted(set(tile_ids))]
    associations = {1: [1]}
    for t in sorted(set(tile_ids)):
        associations[t] = [2, 3]
    return heif_file(items, properties=[heif_ispe(*output), FAKE_HVCC, heif_ispe(tile_width, tile_size)],
                     associations=associations, references=[(b"dimg", 1, list(tile_ids))])


def fixture_heif_tile():
    """The decoder configuration and coded bytes of a real 64 x 64 HEVC tile, from the
    repository's grid fixture (scripts/make_heif_fixtures.py writes its iloc as version 1 with
    4-byte offsets and lengths)."""
    path = os.path.join(ROOT, "tests", "fixtures", "heif", "heic_grid_2x2_tiles.heic")
    with open(path, "rb") as f:
        data = f.read()
    at = data.index(b"hvcC") - 4
    hvcc = data[at:at + struct.unpack(">I", data[at:at + 4])[0]]
    at = data.index(b"iloc") + 12  # past the type, version and flags, sizes and count
    count = struct.unpack(">H", data[at - 2:at])[0]
    for _ in range(count):
        item, _, _, _, offset, length = struct.unpack(">HHHHII", data[at:at + 16])
        at += 16
        if item == 1:
            return hvcc, data[offset:offset + length]
    raise ValueError("no tile 1 in " + path)


def make_heif_structures(out):
    kind = "heif"
    # Sizes: gigapixels declared by a few hundred bytes, in the picture and in its tiles.
    out.write(kind, "ispe_100000x100000", "heic", heif_picture(100000, 100000))
    out.write(kind, "ispe_2147483647x1", "heic", heif_picture(0x7FFFFFFF, 1))
    out.write(kind, "ispe_4294967295x4294967295", "heic", heif_picture(0xFFFFFFFF, 0xFFFFFFFF))
    out.write(kind, "ispe_0x0", "heic", heif_picture(0, 0))
    out.write(kind, "no_ispe", "heic", heif_file([(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC]))
    out.write(kind, "grid_of_tiles_60000x60000", "heic", heif_grid(2, 2, 60000, (512, 512), [2, 3, 4, 5]))
    out.write(kind, "grid_output_65535x65535", "heic", heif_grid(2, 2, 64, (65535, 65535), [2, 3, 4, 5]))
    # Tiles: more references than tiles, one tile used thousands of times, a grid of itself.
    out.write(kind, "grid_255x256_of_one_tile", "heic", heif_grid(255, 256, 16, (4080, 4096), [2] * 65280))
    # A thousand real tiles of 64 x 64: each is decoded at a cost of its own, whatever its size.
    hvcc, tile = fixture_heif_tile()
    tiles = list(range(2, 2 + 32 * 32))
    out.write(kind, "grid_32x32_of_real_64x64_tiles", "heic", heif_file(
        [(1, b"grid", bytes([0, 0, 31, 31]) + struct.pack(">HH", 2048, 2048))] +
        [(t, b"hvc1", tile) for t in tiles],
        properties=[heif_ispe(2048, 2048), hvcc, heif_ispe(64, 64)],
        associations=dict([(1, [1])] + [(t, [2, 3]) for t in tiles]),
        references=[(b"dimg", 1, tiles)]))
    out.write(kind, "grid_64x64_of_4095_tiles", "heic",
              heif_grid(64, 64, 16, (1024, 1024), list(range(2, 4097)) + [2]))
    out.write(kind, "grid_count_differs_from_tiles", "heic", heif_grid(4, 4, 64, (256, 256), [2, 3]))
    out.write(kind, "grid_refers_to_itself", "heic", heif_grid(1, 1, 64, (64, 64), [1]))
    out.write(kind, "identity_loop", "heic", heif_file(
        [(1, b"iden", b""), (2, b"iden", b"")], properties=[heif_ispe(64, 64)],
        associations={1: [1], 2: [1]}, references=[(b"dimg", 1, [2]), (b"dimg", 2, [1])]))
    out.write(kind, "thumbnail_of_itself", "heic", heif_file(
        [(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC, heif_ispe(64, 64)],
        references=[(b"thmb", 1, [1]), (b"auxl", 1, [1])]))
    # Counts far beyond what the boxes hold.
    out.write(kind, "iinf_count_4294967295", "heic", heif_file(
        [(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC, heif_ispe(64, 64)], iinf_count=0xFFFF))
    out.write(kind, "ipma_count_4294967295", "heic", heif_file(
        [(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC, heif_ispe(64, 64)], ipma_count=0xFFFFFFFF))
    out.write(kind, "iloc_count_4294967295", "heic", heif_picture() .replace(
        b"iloc\x01\x00\x00\x00\x44\x00\x00\x01", b"iloc\x01\x00\x00\x00\x44\x00\xff\xff"))
    out.write(kind, "iloc_v2_count_4294967295", "heic", heif_file(
        [(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC, heif_ispe(64, 64)],
        iloc=iso_full_box(b"iloc", 2, 0, bytes([0x44, 0]) + struct.pack(">I", 0xFFFFFFFF) +
                          struct.pack(">IHHI", 1, 0, 0, 0xFFFF) + struct.pack(">II", 0, 20) * 3)))
    out.write(kind, "ipco_4096_properties", "heic", heif_file(
        [(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC, heif_ispe(64, 64)] + [heif_ispe(1, 1)] * 4094,
        associations={1: [1, 2] + list(range(3, 250)) + [32767]}))
    # Locations outside the file: far past its end, wrapping around, before its start.
    for name, offset, length in (("past_the_end", 1 << 40, 1 << 40), ("wrapping", 0xFFFFFFFF, 0xFFFFFFFF),
                                 ("length_to_the_end_from_past_it", 1 << 32, 0)):
        location = iso_full_box(b"iloc", 1, 0, bytes([0x88, 0x80]) + struct.pack(">H", 1) + struct.pack(
            ">HHHQHQQ", 1, 0, 0, 1 << 62, 1, offset, length))
        out.write(kind, f"iloc_extent_{name}", "heic", heif_file(
            [(1, b"hvc1", bytes(20))], properties=[FAKE_HVCC, heif_ispe(64, 64)], iloc=location))
    out.write(kind, "iloc_in_another_file", "heic", heif_picture().replace(
        b"\x00\x01\x00\x00\x00\x00\x00\x01", b"\x00\x01\x00\x00\x00\x01\x00\x01", 1))
    # Exif items whose offset to the TIFF header leaves them, or whose bytes leave the file.
    picture = [(1, b"hvc1", bytes(20))]
    props = [FAKE_HVCC, heif_ispe(64, 64)]
    for name, payload in (("offset_4294967295", heif_exif_payload(0xFFFFFFFF)),
                          ("offset_to_its_end", heif_exif_payload(len(heif_tiff()))),
                          ("offset_into_the_middle", heif_exif_payload(3)),
                          ("three_bytes", b"\0\0\0"),
                          ("ifd_loop", heif_exif_payload(0, heif_tiff(ifd0_loops=True)))):
        out.write(kind, f"exif_{name}", "heic", heif_file(
            picture + [(2, b"Exif", payload)], properties=props, associations={1: [1, 2]},
            references=[(b"cdsc", 2, [1])]))
    out.write(kind, "exif_outside_the_file", "heic", heif_file(
        picture + [(2, b"Exif", heif_exif_payload(0))], properties=props, associations={1: [1, 2]},
        references=[(b"cdsc", 2, [1])], data_offset=1 << 31))
    out.write(kind, "exif_4000_items", "heic", heif_file(
        picture + [(2 + i, b"Exif", heif_exif_payload(0)) for i in range(4000)], properties=props,
        associations={1: [1, 2]}, references=[(b"cdsc", 2 + i, [1]) for i in range(4000)]))
    # Geometry: clean apertures with zero denominators or nothing left, odd rotations.
    for name, values in (("zero_denominators", (64, 0, 64, 0, 0, 0, 0, 0)),
                         ("nothing_left", (0, 1, 0, 1, 0, 1, 0, 1)),
                         ("offset_far_outside", (32, 1, 32, 1, 0x7FFFFFFF, 1, 0x80000000, 1))):
        out.write(kind, f"clap_{name}", "heic",
                  heif_picture(extra=[iso_box(b"clap", struct.pack(">8I", *values))]))
    out.write(kind, "irot_255_imir_255", "heic", heif_picture(extra=[iso_box(b"irot", b"\xff"), iso_box(b"imir", b"\xff")]))
    out.write(kind, "alpha_of_gigapixels", "heic", heif_file(
        picture + [(2, b"hvc1", bytes(20))], properties=props + [heif_ispe(60000, 60000), iso_full_box(
            b"auxC", 0, 0, b"urn:mpeg:hevc:2015:auxid:1\0")], associations={1: [1, 2], 2: [1, 3, 4]},
        references=[(b"auxl", 2, [1])]))
    # Boxes: lengths shorter than their header, 64-bit lengths past any file, a box to the end.
    out.write(kind, "meta_length_4", "heic", iso_box(b"ftyp", b"heic\0\0\0\0mif1") + iso_box(b"meta", b"", length=4))
    out.write(kind, "meta_64bit_length_2_63", "heic", iso_box(b"ftyp", b"heic\0\0\0\0mif1") +
              struct.pack(">I4sQ", 1, b"meta", 1 << 63) + bytes(64))
    out.write(kind, "ftyp_only", "heic", iso_box(b"ftyp", b"heic\0\0\0\0mif1"))
    out.write(kind, "ftyp_length_0", "avif", iso_box(b"ftyp", b"avif\0\0\0\0mif1", length=0))
    out.write(kind, "sequence_brand_with_empty_movie", "heic", iso_box(b"ftyp", b"msf1\0\0\0\0msf1hevc") +
              iso_box(b"moov", b""))
    # Coded data scrambled: AV1's decoder prints what it cannot parse unless it is kept quiet.
    with open(os.path.join(ROOT, "tests", "fixtures", "heif", "avif_avifenc_10bit.avif"), "rb") as f:
        avif = bytearray(f.read())
    rng = random.Random(17)
    for at in range(avif.index(b"mdat") + 6, len(avif)):
        if rng.random() < 0.3:
            avif[at] = rng.randrange(256)
    out.write(kind, "avif_coded_data_scrambled", "avif", bytes(avif))
    nested = b""
    for _ in range(2000):
        nested = iso_box(b"meta", b"\0\0\0\0" + nested)
    out.write(kind, "meta_nested_2000_deep", "heic", iso_box(b"ftyp", b"heic\0\0\0\0mif1") + nested)

# ---------------------------------------------------------------------------------------------
# JPEG XL, JPEG 2000 and BigTIFF: headers that claim gigapixels, boxes whose lengths lie,
# BigTIFF counts and offsets far past the file.

class BitWriter:
    """JPEG XL's bit packing: each field from its lowest bit up, bytes filled from bit 0."""

    def __init__(self):
        self.bits = []

    def write(self, value, count):
        self.bits += [(value >> i) & 1 for i in range(count)]

    def bytes(self):
        padded = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(sum(bit << i for i, bit in enumerate(padded[at:at + 8]))
                     for at in range(0, len(padded), 8))


def jxl_codestream(width, height, tail=b""):
    """A codestream header of that size (each as a 30-bit U32 field) with all-default image
    metadata: 8-bit RGB in XYB. Then whatever the tail says, in place of frames."""
    bits = BitWriter()
    bits.write(0, 1)                 # not a small size
    bits.write(3, 2)                 # height: 1 + 30 bits
    bits.write(height - 1, 30)
    bits.write(0, 3)                 # no aspect ratio: the width follows
    bits.write(3, 2)
    bits.write(width - 1, 30)
    bits.write(1, 1)                 # image metadata all default
    return b"\xff\x0a" + bits.bytes() + tail


JXL_SIGNATURE_BOX = (iso_box(b"JXL ", b"\r\n\x87\n")
                     + iso_box(b"ftyp", b"jxl " + b"\0" * 4 + b"jxl "))
JP2_SIGNATURE_BOX = iso_box(b"jP  ", b"\r\n\x87\n")


def jp2_siz(width, height, components=3, depth=7):
    """SOC and a SIZ marker segment of one tile covering the picture."""
    body = struct.pack(">HIIIIIIIIH", 0, width, height, 0, 0, width, height, 0, 0, components)
    body += bytes([depth, 1, 1]) * components
    return b"\xff\x4f\xff\x51" + struct.pack(">H", len(body) + 2) + body


def jp2_file(width, height, components=3, codestream_tail=b"", header_boxes=b""):
    ihdr = iso_box(b"ihdr", struct.pack(">IIHBBBB", height, width, components, 7, 7, 0, 0))
    colr = iso_box(b"colr", struct.pack(">BBBI", 1, 0, 0, 16))
    return (JP2_SIGNATURE_BOX + iso_box(b"ftyp", b"jp2 \0\0\0\0jp2 ")
            + iso_box(b"jp2h", ihdr + colr + header_boxes)
            + iso_box(b"jp2c", jp2_siz(width, height, components) + codestream_tail))


def bigtiff(entries, big_endian=False, first_ifd=16, declared_count=None, next_ifd=0, tail=b""):
    """A BigTIFF whose first directory holds (tag, type, count, 8-byte field) entries."""
    e = ">" if big_endian else "<"
    head = (b"MM\0\x2b\0\x08\0\0" if big_endian else b"II\x2b\0\x08\0\0\0")
    head += struct.pack(e + "Q", first_ifd)
    count = len(entries) if declared_count is None else declared_count
    body = struct.pack(e + "Q", count)
    for tag, kind, number, field in entries:
        body += struct.pack(e + "HHQ", tag, kind, number) + field
    return head + body + struct.pack(e + "Q", next_ifd) + tail


def bigtiff_grey_entries(width, height, strip_offset, strip_bytes, e="<"):
    def short(value):
        return struct.pack(e + "H", value).ljust(8, b"\0")

    def long8(value):
        return struct.pack(e + "Q", value)
    return [(256, 4, 1, struct.pack(e + "I", width).ljust(8, b"\0")),
            (257, 4, 1, struct.pack(e + "I", height).ljust(8, b"\0")),
            (258, 3, 1, short(8)), (259, 3, 1, short(1)), (262, 3, 1, short(1)),
            (273, 16, 1, long8(strip_offset)), (277, 3, 1, short(1)),
            (278, 4, 1, struct.pack(e + "I", height).ljust(8, b"\0")),
            (279, 16, 1, long8(strip_bytes))]


def make_jxl_jp2_bigtiff_structures(out):
    kind = "structure"
    # JPEG XL: sizes past any budget, and within the pixel budget but not the decoder's planes.
    out.write(kind, "jxl_header_claiming_a_billion_by_a_billion", "jxl",
              jxl_codestream(1 << 30, 1 << 30))
    out.write(kind, "jxl_header_claiming_4096x4096_in_40_bytes", "jxl",
              jxl_codestream(4096, 4096, b"\0" * 24))
    out.write(kind, "jxl_header_2048x2048_then_garbage", "jxl",
              jxl_codestream(2048, 2048, bytes(random.Random(17).getrandbits(8)
                                               for _ in range(4096))))
    out.write(kind, "jxl_header_cut_after_signature", "jxl", b"\xff\x0a\x00")
    codestream = jxl_codestream(64, 64)
    out.write(kind, "jxl_container_box_shorter_than_its_header", "jxl",
              JXL_SIGNATURE_BOX + iso_box(b"jxlc", codestream, length=4))
    out.write(kind, "jxl_container_box_longer_than_the_file", "jxl",
              JXL_SIGNATURE_BOX + iso_box(b"jxlc", codestream, length=0xFFFFFFF0))
    out.write(kind, "jxl_container_64bit_box_length_2_to_the_63", "jxl",
              JXL_SIGNATURE_BOX + struct.pack(">I4sQ", 1, b"jxlc", 1 << 63) + codestream)
    out.write(kind, "jxl_container_exif_offset_past_its_box", "jxl",
              JXL_SIGNATURE_BOX + iso_box(b"Exif", struct.pack(">I", 0xFFFFFFF0) + b"MM\0*")
              + iso_box(b"jxlc", codestream))
    out.write(kind, "jxl_container_10000_empty_parts", "jxl",
              JXL_SIGNATURE_BOX + iso_box(b"jxlp", struct.pack(">I", 0)) * 10000)
    out.write(kind, "jxl_container_brob_of_garbage", "jxl",
              JXL_SIGNATURE_BOX + iso_box(b"brob", b"Exif" + b"\xff" * 64)
              + iso_box(b"jxlc", codestream))

    # JPEG 2000: box lengths that lie, sizes past any budget, component counts.
    out.write(kind, "jp2_header_box_length_past_the_file", "jp2",
              JP2_SIGNATURE_BOX + iso_box(b"jp2h", b"\0" * 16, length=0xFFFFFFFF))
    out.write(kind, "jp2_box_length_shorter_than_its_header", "jp2",
              JP2_SIGNATURE_BOX + iso_box(b"jp2h", b"\0" * 16, length=3))
    out.write(kind, "jp2_image_header_4_billion_square", "jp2",
              jp2_file(0xFFFFFFF0, 0xFFFFFFF0))
    out.write(kind, "jp2_header_and_codestream_disagree", "jp2",
              jp2_file(64, 64)[:-len(jp2_siz(64, 64))] + jp2_siz(8, 8))
    out.write(kind, "jp2_16384_components", "jp2", jp2_file(16, 16, components=16384))
    out.write(kind, "jp2_3000x3000_no_tile_data", "jp2", jp2_file(3000, 3000))
    out.write(kind, "jp2_palette_box_claiming_65535_entries", "jp2",
              jp2_file(8, 8, components=1,
                       header_boxes=iso_box(b"pclr", struct.pack(">HB", 65535, 3) + b"\x07" * 3)))
    out.write(kind, "jp2_exif_uuid_with_directory_loop", "jp2",
              jp2_file(8, 8)[:12] + iso_box(b"uuid", b"JpgTiffExif->JP2" + b"II*\0\x08\0\0\0"
                                            + b"\x01\x00" + b"\x0f\x01\x02\x00\x02\0\0\0ab\0\0"
                                            + b"\x08\0\0\0") + jp2_file(8, 8)[12:])
    out.write(kind, "j2c_codestream_4_billion_square", "j2c", jp2_siz(0xFFFFFFF0, 0xFFFFFFF0))
    out.write(kind, "j2c_codestream_cut_in_siz", "j2c", jp2_siz(64, 64)[:20])

    # BigTIFF: counts of 2^40 and 2^64 - 1, offsets past the file and past 2^63, loops.
    entries = bigtiff_grey_entries(8, 8, 16, 64)
    out.write(kind, "bigtiff_entry_count_2_to_the_40", "tif",
              bigtiff(entries, declared_count=1 << 40))
    out.write(kind, "bigtiff_entry_count_all_ones", "tif",
              bigtiff(entries, declared_count=(1 << 64) - 1))
    out.write(kind, "bigtiff_first_directory_past_2_to_the_63", "tif",
              bigtiff(entries, first_ifd=(1 << 63) + 16))
    out.write(kind, "bigtiff_strip_offset_past_the_file", "tif",
              bigtiff(bigtiff_grey_entries(8, 8, 1 << 40, 64)))
    out.write(kind, "bigtiff_value_count_2_to_the_60", "tif",
              bigtiff(entries + [(0x010E, 2, 1 << 60, struct.pack("<Q", 16))]))
    out.write(kind, "bigtiff_claiming_2_billion_square", "tif",
              bigtiff(bigtiff_grey_entries(0x7FFFFFFF, 0x7FFFFFFF, 16, 64)))
    loop = bigtiff(entries + [(0x8769, 18, 1, struct.pack("<Q", 16))])
    out.write(kind, "bigtiff_exif_pointer_to_ifd0", "tif", loop)
    out.write(kind, "bigtiff_next_directory_is_itself", "tif", bigtiff(entries, next_ifd=16))
    out.write(kind, "bigtiff_big_endian_count_2_to_the_40", "tif",
              bigtiff(bigtiff_grey_entries(8, 8, 16, 64, ">"), big_endian=True,
                      declared_count=1 << 40))


# ---------------------------------------------------------------------------------------------

# ---------------------------------------------------------------------------------------------
# 11. Camera raws: the signatures that send a file to LibRaw, with structures that lie.

TAG_DNG_VERSION, TAG_CFA_PATTERN_DIM, TAG_CFA_PATTERN = 0xC612, 0x828D, 0x828E
TAG_MAKE, TAG_UNIQUE_CAMERA_MODEL = 0x010F, 0xC614
PHOTOMETRIC_CFA = 32803


def cfa_entries(t, width, height, strip_offset, strip_bytes):
    """A 16-bit RGGB sensor directory."""
    return tiff_image_entries(t, width, height, strip_offset, strip_bytes, bits=16,
                              photometric=PHOTOMETRIC_CFA) + [
        (TAG_CFA_PATTERN_DIM,) + t.shorts(2, 2),
        (TAG_CFA_PATTERN, TIFF_BYTE, 4, bytes([0, 1, 1, 2]))]


def raw_dng(width=64, height=48, data=None, extra_ifd0=(), sub_ifd_link=None, next_ifd=0):
    """A DNG whose IFD0 is its sensor directory; `data` defaults to the whole mosaic."""
    t = TiffWriter()
    if data is None:
        data = bytes(2 * width * height)
    strip = t.blob(data)
    entries = cfa_entries(t, width, height, strip, min(2 * width * height, 0xFFFFFFFF)) + [
        (TAG_MAKE,) + t.ascii("Hostile"), (TAG_DNG_VERSION, TIFF_BYTE, 4, bytes([1, 4, 0, 0])),
        (TAG_UNIQUE_CAMERA_MODEL,) + t.ascii("Hostile Camera")] + list(extra_ifd0)
    if sub_ifd_link is not None:
        entries.append((TAG_SUB_IFDS, TIFF_LONG, 1, sub_ifd_link))
    ifd0 = t.directory(by_tag(entries), next_ifd)
    t.set_first_ifd(ifd0.offset)
    return t, ifd0


def make_camera_raws(out):
    """Raws whose headers claim what their data cannot hold, loop, or point outside the file;
    and a sensor dump that only its size would make LibRaw take for a camera's raw."""
    kind = "raw"
    # No camera named and a size LibRaw knows from a list of headerless dumps (1024 x 768
    # 8-bit samples): never taken for a raw by its size.
    t = TiffWriter()
    entries = cfa_entries(t, 1024, 768, 8, 1024 * 768)
    ifd = t.directory(by_tag(entries))
    t.set_first_ifd(ifd.offset)
    body = t.bytes()
    out.write(kind, "cfa_without_camera_at_a_dump_size", "tif", body.ljust(786432, b"\x10"))
    # Sensor claims.
    out.write(kind, "dng_claims_60000x60000_in_a_few_bytes", "dng",
              raw_dng(60000, 60000, data=b"\x00" * 64)[0].bytes())
    out.write(kind, "dng_claims_4096x4096_holds_1mib", "dng",
              raw_dng(4096, 4096, data=bytes(MIB))[0].bytes())
    t, ifd0 = raw_dng()
    data = bytearray(t.bytes())
    data[ifd0.field_positions[273]:ifd0.field_positions[273] + 4] = struct.pack("<I", 0xFFFFFF00)
    out.write(kind, "dng_strip_outside_the_file", "dng", bytes(data))
    # Loops and floods of directories.
    t, ifd0 = raw_dng(sub_ifd_link=8)
    t.patch(ifd0.field_positions[TAG_SUB_IFDS], ifd0.offset)
    t.patch(ifd0.next_position, ifd0.offset)
    out.write(kind, "dng_subifd_and_chain_back_to_ifd0", "dng", t.bytes())
    t = TiffWriter()
    strip = t.blob(bytes(2 * 64 * 48))
    links = t.blob(struct.pack("<I", 8) * 65535)
    ifd = t.directory(by_tag(cfa_entries(t, 64, 48, strip, 2 * 64 * 48) + [
        (TAG_MAKE,) + t.ascii("NIKON"), (TAG_SUB_IFDS, TIFF_LONG, 65535, links)]))
    t.set_first_ifd(ifd.offset)
    out.write(kind, "tiff_cfa_65535_subifds_to_one_place", "nef", t.bytes())
    # Signatures of the other containers with lying structures.
    out.write(kind, "cr3_box_claims_4gib", "cr3",
              iso_box(b"ftyp", b"crx \0\0\0\1crx isom") + struct.pack(">I", 0xFFFFFFF0) + b"moov"
              + iso_box(b"uuid", bytes(16)))
    cmt = TiffWriter()
    cmt_ifd = cmt.directory([(TAG_MAKE,) + cmt.ascii("Canon")], declared_count=65535)
    cmt.set_first_ifd(cmt_ifd.offset)
    uuid = bytes.fromhex("85c0b687820f11e08111f4ce462b6a48")
    out.write(kind, "cr3_cmt1_directory_claims_65535_entries", "cr3",
              iso_box(b"ftyp", b"crx \0\0\0\1crx isom")
              + iso_box(b"moov", iso_box(b"uuid", uuid + iso_box(b"CMT1", cmt.bytes()))))
    raf = bytearray(b"FUJIFILMCCD-RAW 0201FF383501".ljust(160, b"\0"))
    raf[84:92] = struct.pack(">II", 0xFFFFFF00, 0x7FFFFFFF)
    out.write(kind, "raf_jpeg_outside_the_file", "raf", bytes(raf))
    jpeg = jpeg_baseline(8, 8)
    raf = bytearray(b"FUJIFILMCCD-RAW 0201FF383501".ljust(160, b"\0"))
    raf[84:92] = struct.pack(">II", 160, len(jpeg))
    raf[100:108] = struct.pack(">II", 160, 0x7FFFFFFF)  # sensor data running past the end
    out.write(kind, "raf_sensor_data_past_the_end", "raf", bytes(raf) + jpeg)
    # A CIFF heap whose only record is a sub-heap that is the heap itself.
    heap = struct.pack("<HHII", 1, 0x300A, 22, 0) + struct.pack("<I", 0)
    out.write(kind, "crw_heap_holds_itself", "crw",
              b"II" + struct.pack("<I", 26) + b"HEAPCCDR" + bytes(12) + heap)
    out.write(kind, "mrw_block_claims_4gib", "mrw",
              b"\0MRM" + struct.pack(">I", 0xFFFFFFF0) + b"\0TTW" + struct.pack(">I", 0xFFFFFF00)
              + b"II*\0" + bytes(16))
    t, ifd0 = raw_dng()
    t.patch(ifd0.next_position, ifd0.offset)
    out.write(kind, "orf_directory_links_to_itself", "orf", b"IIRO" + t.bytes()[4:])
    rw2 = TiffWriter()
    low = [(tag,) + rw2.longs(0xFFFFFFFF) for tag in range(1, 48)]
    rw2_ifd = rw2.directory(low + [(TAG_MAKE,) + rw2.ascii("Panasonic")])
    rw2.set_first_ifd(rw2_ifd.offset)
    out.write(kind, "rw2_panasonic_tags_point_outside", "rw2", b"IIU\0" + rw2.bytes()[4:])


# ---------------------------------------------------------------------------------------------
# 12. Photoshop documents: sizes, counts and lengths that claim more than the file holds.

def psd_header(width, height, channels=3, depth=8, mode=3, large=False):
    return (b"8BPS" + struct.pack(">H", 2 if large else 1) + bytes(6)
            + struct.pack(">HIIHH", channels, height, width, depth, mode))


def psd_resource(resource_id, data, declared=None):
    size = len(data) if declared is None else declared
    return (b"8BIM" + struct.pack(">H", resource_id) + b"\0\0" + struct.pack(">I", size) + data
            + (b"\0" if len(data) % 2 else b""))


def psd_layer_record(channel_lengths, name=b"L", large=False):
    """One layer record of a 2 x 2 layer whose channels declare the lengths given."""
    record = struct.pack(">iiiiH", 0, 0, 2, 2, len(channel_lengths))
    for index, length in enumerate(channel_lengths):
        record += struct.pack(">h", index) + struct.pack(">Q" if large else ">I", length)
    pascal = bytes([len(name)]) + name
    pascal += b"\0" * ((4 - len(pascal) % 4) % 4)
    extra = struct.pack(">II", 0, 0) + pascal
    return record + b"8BIMnorm" + bytes([255, 0, 0, 0]) + struct.pack(">I", len(extra)) + extra


def psd_layers(count, records, large=False, info_length=None, section_length=None):
    """The layer and mask section: the layer information's count and records, its lengths as
    declared (the real ones unless given)."""
    length_format = ">Q" if large else ">I"
    body = struct.pack(">h", count) + records
    info = struct.pack(length_format, len(body) if info_length is None else info_length) + body
    content = info + struct.pack(">I", 0)
    return struct.pack(length_format, len(content) if section_length is None
                       else section_length) + content


def psd_file(width=8, height=8, channels=3, depth=8, mode=3, large=False, colour_mode_data=b"",
             resources=b"", layers=None, image=None):
    """A document whose merged picture is raw samples of zero unless `image` is given."""
    if layers is None:
        layers = struct.pack(">Q" if large else ">I", 0)
    if image is None:
        image = struct.pack(">H", 0) + bytes(channels * width * height * depth // 8)
    return (psd_header(width, height, channels, depth, mode, large)
            + struct.pack(">I", len(colour_mode_data)) + colour_mode_data
            + struct.pack(">I", len(resources)) + resources + layers + image)


def psd_rle_image(width, height, channels, row_lengths, rows, large=False):
    """A run-length merged picture: the row lengths as declared, then the packed rows."""
    count_format = ">I" if large else ">H"
    counts = b"".join(struct.pack(count_format, length) for length in row_lengths)
    assert len(row_lengths) == channels * height
    return struct.pack(">H", 1) + counts + rows


def make_photoshop_documents(out):
    """Documents whose header, layer records, run lengths and resources claim what the file
    cannot hold, and PSB lengths near 2^63."""
    kind = "psd"
    # Huge declared sizes over a few bytes of data.
    tiny = struct.pack(">H", 0) + bytes(64)
    out.write(kind, "claims_30000x30000_holds_64_bytes", "psd",
              psd_file(30000, 30000, image=tiny))
    out.write(kind, "claims_beyond_the_largest_side", "psd",
              psd_file(0x7FFFFFFF, 0x7FFFFFFF, image=tiny))
    out.write(kind, "psb_claims_300000x300000_16_bit", "psb",
              psd_file(300000, 300000, depth=16, large=True, image=tiny))
    out.write(kind, "claims_56_channels_of_32_bits", "psd",
              psd_file(4096, 4096, channels=56, depth=32, image=tiny))
    out.write(kind, "claims_zero_channels", "psd", psd_file(channels=0, image=tiny))
    out.write(kind, "indexed_palette_length_past_the_end", "psd",
              psd_header(8, 8, channels=1, mode=2) + struct.pack(">I", 0xFFFFFFF0) + bytes(32))
    # Layer counts beyond the file.
    record = psd_layer_record([6, 6, 6])
    out.write(kind, "layer_count_32767_one_record", "psd",
              psd_file(layers=psd_layers(32767, record)))
    out.write(kind, "layer_count_minus_32768", "psd",
              psd_file(layers=psd_layers(-32768, record)))
    out.write(kind, "layer_info_length_past_the_end", "psd",
              psd_file(layers=psd_layers(3, record * 3, info_length=0x7FFFFFF0)))
    out.write(kind, "layer_channel_lengths_of_4gib", "psd",
              psd_file(layers=psd_layers(2, psd_layer_record([0xFFFFFFFF] * 4) * 2)))
    out.write(kind, "layer_claims_65535_channels", "psd",
              psd_file(layers=psd_layers(1, struct.pack(">iiiiH", 0, 0, 2, 2, 0xFFFF)
                                         + bytes(64))))
    many = b"".join(psd_layer_record([2, 2, 2], name=b"%d" % index) for index in range(5000))
    out.write(kind, "five_thousand_layers", "psd", psd_file(layers=psd_layers(5000, many)))
    # Run-length rows whose declared lengths lie.
    width, height, channels = 64, 64, 3
    row = struct.pack("b", -63) + b"\x80"  # 64 repeats of one byte
    rows = row * (channels * height)
    out.write(kind, "rle_row_lengths_65535", "psd",
              psd_file(width, height, image=psd_rle_image(
                  width, height, channels, [0xFFFF] * (channels * height), rows)))
    out.write(kind, "rle_row_lengths_zero", "psd",
              psd_file(width, height, image=psd_rle_image(
                  width, height, channels, [0] * (channels * height), rows)))
    out.write(kind, "rle_rows_unpack_past_their_width", "psd",
              psd_file(width, height, image=psd_rle_image(
                  width, height, channels, [2] * (channels * height),
                  struct.pack("b", -127) + b"\x01" + row * (channels * height - 1))))
    out.write(kind, "rle_literal_runs_past_the_row", "psd",
              psd_file(width, height, image=psd_rle_image(
                  width, height, channels, [2] * (channels * height),
                  (struct.pack("b", 127) + b"\x01") * (channels * height))))
    out.write(kind, "rle_counts_cut_short", "psd",
              psd_file(width, height, image=struct.pack(">H", 1) + b"\x00\x02" * 10))
    out.write(kind, "psb_rle_row_lengths_4gib", "psb",
              psd_file(width, height, large=True, image=psd_rle_image(
                  width, height, channels, [0xFFFFFFFF] * (channels * height), rows,
                  large=True)))
    out.write(kind, "unknown_compression_7", "psd",
              psd_file(image=struct.pack(">H", 7) + bytes(192)))
    # Resource blocks whose lengths run past the end.
    out.write(kind, "resource_section_length_past_the_end", "psd",
              psd_header(8, 8) + struct.pack(">II", 0, 0xFFFFFFF0) + psd_resource(0x0422, b"MM"))
    out.write(kind, "resource_data_length_past_the_end", "psd",
              psd_file(resources=psd_resource(0x0422, b"MM\0*", declared=0x7FFFFFF0)))
    out.write(kind, "thumbnail_resource_claims_65535_square", "psd",
              psd_file(resources=psd_resource(0x040C, struct.pack(
                  ">IIIIIIHH", 1, 0xFFFF, 0xFFFF, 0x30000, 0xFFFFFFFF, 0xFFFFFFF0, 24, 1)
                  + b"\xff\xd8\xff")))
    out.write(kind, "version_info_cut_to_one_byte", "psd",
              psd_file(resources=psd_resource(0x0421, b"\x00")))
    floods = b"".join(psd_resource(0x0421, struct.pack(">IB", 1, index % 2))
                      for index in range(20000))
    out.write(kind, "twenty_thousand_resources", "psd", psd_file(resources=floods))
    # PSB lengths of 2^63 and near it.
    record = psd_layer_record([6, 6, 6], large=True)
    for detail, layers in (
            ("layer_and_mask_length_2_to_the_63",
             psd_layers(1, record, large=True, section_length=1 << 63)),
            ("layer_info_length_2_to_the_63",
             psd_layers(1, record, large=True, info_length=1 << 63)),
            ("layer_info_length_all_ones",
             psd_layers(1, record, large=True, info_length=(1 << 64) - 1)),
            ("channel_lengths_2_to_the_63",
             psd_layers(1, psd_layer_record([1 << 63] * 3, large=True), large=True))):
        out.write(kind, "psb_" + detail, "psb", psd_file(large=True, layers=layers))
    lr16 = (b"8BIMLr16" + struct.pack(">Q", 1 << 63) + struct.pack(">h", 1) + record)
    section = struct.pack(">Q", 0) + struct.pack(">I", 0) + lr16
    out.write(kind, "psb_16_bit_lr16_length_2_to_the_63", "psb",
              psd_file(depth=16, large=True, layers=struct.pack(">Q", len(section)) + section))


KINDS = (make_report_explosions, make_amplifications, make_segment_floods, make_pixel_claims,
         make_content_guesses, make_directory_structures, make_segment_structures,
         make_damaged, make_bombs, make_odd_files, make_heif_structures,
         make_jxl_jp2_bigtiff_structures, make_camera_raws, make_photoshop_documents)


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    started = time.monotonic()
    out = Output(folder)
    for make in KINDS:
        make(out)
    seconds = time.monotonic() - started
    counts = ", ".join(f"{kind} {count}" for kind, count in out.counts.items())
    print(f"make_hostile_files: {sum(out.counts.values())} files ({counts}), "
          f"{out.total_bytes / MIB:.1f} MiB, in {folder}, {seconds:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
