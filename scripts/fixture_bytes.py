"""Byte writers that the fixture scripts of JPEG XL, JPEG 2000 and BigTIFF share: PNG pictures
as the encoders' input, TIFF structures as Exif blocks, and boxes as ISO base media files,
JPEG 2000 and JPEG XL store them. Only the standard library is used.
"""

import struct
import zlib

# TIFF types.
BYTE, ASCII, SHORT, LONG, RATIONAL, UNDEFINED = 1, 2, 3, 4, 5, 7
LONG8, IFD8 = 16, 18

# Tags of the Exif structures the fixtures write.
MAKE, MODEL, ORIENTATION = 0x010F, 0x0110, 0x0112
X_RESOLUTION, Y_RESOLUTION, RESOLUTION_UNIT = 0x011A, 0x011B, 0x0128
SOFTWARE, DATE_TIME = 0x0131, 0x0132
EXIF_IFD, GPS_IFD = 0x8769, 0x8825
EXPOSURE_TIME, DATE_TIME_ORIGINAL = 0x829A, 0x9003
GPS_LATITUDE_REF, GPS_LATITUDE = 0x0001, 0x0002

# The six colours of the 3 x 2 picture  A B C  that the orientation fixtures store.
#                                       D E F
SIX_COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255),
               (255, 255, 0), (0, 255, 255), (255, 0, 255)]


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(width, height, samples, colour_type, depth=8, chunks=()):
    """A PNG of the given samples (a flat list, row after row, channel after channel).
    Colour types: 0 grey, 2 RGB, 4 grey and alpha, 6 RGBA."""
    channels = {0: 1, 2: 3, 4: 2, 6: 4}[colour_type]
    pack = "B" if depth == 8 else ">H"
    row_bytes = width * channels
    raw = b""
    for y in range(height):
        row = samples[y * row_bytes:(y + 1) * row_bytes]
        raw += b"\0" + b"".join(struct.pack(pack, value) for value in row)
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + b"".join(chunks)
            + png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b""))


def six_colour_png(chunks=()):
    return png(3, 2, [value for colour in SIX_COLOURS for value in colour], 2, chunks=chunks)


def _pack_values(kind, values, e):
    if kind == ASCII:
        data = values.encode("ascii") + b"\0"
        return data, len(data)
    if kind in (BYTE, UNDEFINED):
        return bytes(values), len(values)
    if kind == SHORT:
        return b"".join(struct.pack(e + "H", v) for v in values), len(values)
    if kind == LONG:
        return b"".join(struct.pack(e + "I", v) for v in values), len(values)
    if kind == RATIONAL:
        return b"".join(struct.pack(e + "II", n, d) for n, d in values), len(values)
    raise ValueError(f"type {kind}")


def exif_tiff(ifd0, exif=(), gps=(), big_endian=False):
    """A TIFF structure as an Exif block holds it: IFD0 with the given entries, (tag, type,
    values), and pointers to an Exif and a GPS directory when those have entries. Each
    directory is followed by its values that do not fit in an entry."""
    e = ">" if big_endian else "<"
    directories = [sorted(ifd0)]
    if exif:
        directories[0].append((EXIF_IFD, LONG, [0]))
        directories.append(sorted(exif))
    if gps:
        directories[0].append((GPS_IFD, LONG, [0]))
        directories.append(sorted(gps))
    directories[0].sort()

    def directory_size(entries):
        values = 0
        for tag, kind, data in entries:
            packed, _ = _pack_values(kind, data, e)
            if len(packed) > 4:
                values += len(packed) + len(packed) % 2
        return 2 + 12 * len(entries) + 4, values

    offsets = []
    at = 8
    for entries in directories:
        offsets.append(at)
        table, values = directory_size(entries)
        at += table + values
    pointers = {}
    if exif:
        pointers[EXIF_IFD] = offsets[1]
    if gps:
        pointers[GPS_IFD] = offsets[-1]

    out = (b"MM\0*" if big_endian else b"II*\0") + struct.pack(e + "I", 8)
    for entries, start in zip(directories, offsets):
        table, _ = directory_size(entries)
        value_at = start + table
        body = struct.pack(e + "H", len(entries))
        values = b""
        for tag, kind, data in entries:
            if tag in pointers:
                data = [pointers[tag]]
            packed, count = _pack_values(kind, data, e)
            if len(packed) <= 4:
                field = packed.ljust(4, b"\0")
            else:
                field = struct.pack(e + "I", value_at + len(values))
                values += packed + b"\0" * (len(packed) % 2)
            body += struct.pack(e + "HHI", tag, kind, count) + field
        out += body + struct.pack(e + "I", 0) + values
    return out


def box(kind, content):
    return struct.pack(">I", 8 + len(content)) + kind + content


def boxes(data):
    """The (type, content) of the boxes that follow one another in data."""
    found = []
    at = 0
    while at + 8 <= len(data):
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        if size == 0:
            size = len(data) - at
        found.append((kind, data[at + 8:at + size]))
        at += size
    return found
