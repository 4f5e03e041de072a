#!/usr/bin/env python3
"""Writes the HEIF and AVIF test pictures into tests/fixtures/heif/.

Pictures are coded by Debian's encoders, heif-enc (libheif-examples) and avifenc (libavif-bin);
what those tools cannot write (a container rotation or mirror with the Exif orientation 6 that
phones store, a thumbnail of another picture, a grid of tiles, depth and gain-map pictures, a
file holding an image sequence only) is written here box by box around the coded data the
tools made. Every picture that claims to be upright once its container's transforms are
applied is decoded back with heif-convert (libheif) and compared with the scene it should show,
so a fixture never asserts what libheif does not do.

The scene is four coloured quarters with a white bar along its top edge: every rotation and
mirror of it looks different.

Usage: python3 scripts/make_heif_fixtures.py [OUTPUT_FOLDER]   (default: tests/fixtures/heif)
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

RED, GREEN, BLUE, YELLOW, WHITE = (220, 30, 30), (30, 200, 40), (30, 40, 220), (230, 220, 30), (255, 255, 255)


# ---------------------------------------------------------------------------------------------
# Pictures as lists of rows of pixel tuples

def scene(width, height, colours=(RED, GREEN, BLUE, YELLOW)):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if y < height // 8 and width // 8 <= x < width * 7 // 8:
                row.append(WHITE)
            else:
                row.append(colours[(2 if y >= height // 2 else 0) + (1 if x >= width // 2 else 0)])
        rows.append(row)
    return rows


def other_scene(width, height):
    """Another picture entirely: stripes, darker."""
    return [[(20, 20, 20) if (x // 8) % 2 else (120, 60, 160) for x in range(width)]
            for _ in range(height)]


def rotate_clockwise(rows):
    height, width = len(rows), len(rows[0])
    return [[rows[height - 1 - x][y] for x in range(height)] for y in range(width)]


def mirror_left_right(rows):
    return [list(reversed(row)) for row in rows]


def mirror_top_bottom(rows):
    return list(reversed(rows))


def apply_steps(rows, steps):
    """The container's steps in order: ("irot", n) turns n quarters anticlockwise, ("imir", 0)
    mirrors top to bottom and ("imir", 1) left to right, as libheif and avifenc read them."""
    for kind, amount in steps:
        if kind == "irot":
            for _ in range((4 - amount) % 4):
                rows = rotate_clockwise(rows)
        elif amount == 1:
            rows = mirror_left_right(rows)
        else:
            rows = mirror_top_bottom(rows)
    return rows


def undo_steps(rows, steps):
    """The stored pixels that the steps make into `rows`."""
    for kind, amount in reversed(steps):
        if kind == "irot":
            for _ in range(amount % 4):
                rows = rotate_clockwise(rows)
        elif amount == 1:
            rows = mirror_left_right(rows)
        else:
            rows = mirror_top_bottom(rows)
    return rows


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(path, rows, depth=8, alpha=None, grey=False):
    """Writes rows of RGB tuples (0-255; scaled for 16 bits) as a PNG; `alpha` is a function of
    (x, y) giving 0-255; `grey` keeps the first channel only."""
    height, width = len(rows), len(rows[0])
    channels = (1 if grey else 3) + (1 if alpha else 0)
    colour_type = (0 if grey else 2) + (4 if alpha else 0)
    raw = bytearray()
    for y, row in enumerate(rows):
        raw.append(0)
        for x, pixel in enumerate(row):
            values = [pixel[0]] if grey else list(pixel)
            if alpha:
                values.append(alpha(x, y))
            for value in values:
                if depth == 16:
                    # A gradient below the 8-bit steps, so more than 8 bits really matter.
                    raw += struct.pack(">H", min(65535, value * 257 + (x * 37 + y * 11) % 200))
                else:
                    raw.append(value)
    assert len(raw) == height * (1 + width * channels * depth // 8)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)))
        f.write(png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(png_chunk(b"IEND", b""))


# ---------------------------------------------------------------------------------------------
# Boxes

def box(kind, payload):
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def full_box(kind, version, flags, payload):
    return box(kind, struct.pack(">I", (version << 24) | flags) + payload)


def split_boxes(data, start=0, end=None):
    end = len(data) if end is None else end
    out = []
    while start + 8 <= end:
        size, kind = struct.unpack(">I4s", data[start:start + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[start + 8:start + 16])[0]
            header = 16
        elif size == 0:
            size = end - start
        out.append((kind, data[start + header:start + size], data[start:start + size]))
        start += size
    return out


def read_encoded(path):
    """The coded items of a file an encoder wrote: {id: {"type", "data", "props": [box], "hidden"}},
    the primary id, the references and the ftyp."""
    data = open(path, "rb").read()
    top = split_boxes(data)
    meta = next(body for kind, body, _ in top if kind == b"meta")
    children = {kind: body for kind, body, _ in split_boxes(meta, 4)}
    items = {}
    iinf = children[b"iinf"]
    count_size = 2 if iinf[0] == 0 else 4
    for kind, body, _ in split_boxes(iinf, 4 + count_size):
        version, flags = body[0], int.from_bytes(body[1:4], "big")
        item_id = struct.unpack(">H", body[4:6])[0] if version == 2 else struct.unpack(">I", body[4:8])[0]
        at = 8 if version == 2 else 10
        items[item_id] = {"type": body[at:at + 4], "hidden": bool(flags & 1), "props": []}
    pitm = children[b"pitm"]
    primary = struct.unpack(">H", pitm[4:6])[0]
    iloc = children[b"iloc"]
    version = iloc[0]
    offset_size, length_size = iloc[4] >> 4, iloc[4] & 15
    base_size, index_size = iloc[5] >> 4, (iloc[5] & 15) if version else 0
    count, at = (struct.unpack(">H", iloc[6:8])[0], 8) if version < 2 else (struct.unpack(">I", iloc[6:10])[0], 10)
    idat = children.get(b"idat", b"")

    def number(size):
        nonlocal at
        value = int.from_bytes(iloc[at:at + size], "big") if size else 0
        at += size
        return value

    for _ in range(count):
        item_id = number(2 if version < 2 else 4)
        method = number(2) & 15 if version else 0
        number(2)
        base = number(base_size)
        extents = number(2)
        chunks = []
        for _ in range(extents):
            number(index_size)
            offset, length = number(offset_size), number(length_size)
            source = data if method == 0 else idat
            chunks.append(source[base + offset:base + offset + length])
        items[item_id]["data"] = b"".join(chunks)
    iprp = dict((kind, body) for kind, body, _ in split_boxes(children[b"iprp"]))
    properties = [whole for _, _, whole in split_boxes(iprp[b"ipco"])]
    ipma = iprp[b"ipma"]
    ipma_version, ipma_flags = ipma[0], int.from_bytes(ipma[1:4], "big")
    count = struct.unpack(">I", ipma[4:8])[0]
    at = 8
    for _ in range(count):
        if ipma_version < 1:
            item_id = struct.unpack(">H", ipma[at:at + 2])[0]
            at += 2
        else:
            item_id = struct.unpack(">I", ipma[at:at + 4])[0]
            at += 4
        n = ipma[at]
        at += 1
        for _ in range(n):
            if ipma_flags & 1:
                index = struct.unpack(">H", ipma[at:at + 2])[0] & 0x7FFF
                at += 2
            else:
                index = ipma[at] & 0x7F
                at += 1
            if index:
                items[item_id]["props"].append(properties[index - 1])
    return items, primary


def coded_item(path):
    """The one coded picture of an encoder's file whose primary picture is not a grid."""
    items, primary = read_encoded(path)
    item = items[primary]
    assert item["type"] in (b"hvc1", b"av01"), (path, item["type"])
    return item


def prop(kind, payload):
    return box(kind, payload)


def ispe(width, height):
    return full_box(b"ispe", 0, 0, struct.pack(">II", width, height))


def irot(quarters):
    return box(b"irot", bytes([quarters]))


def imir(axis):
    return box(b"imir", bytes([axis]))


def auxc(urn):
    return full_box(b"auxC", 0, 0, urn.encode() + b"\0")


def without(props, kinds):
    return [p for p in props if p[4:8] not in kinds]


class Item:
    def __init__(self, item_id, kind, data, props=(), hidden=False, content_type=None):
        self.id, self.kind, self.data = item_id, kind, data
        self.props, self.hidden, self.content_type = list(props), hidden, content_type


def heif_file(brands, items, primary, references, extra_meta=b"", extra_top=b""):
    """ftyp, meta (hdlr, pitm, iinf, iref, iprp, iloc) and one mdat with every item's data."""
    major, compatible = brands[0], brands[1:]
    ftyp = box(b"ftyp", major + b"\0\0\0\0" + b"".join(compatible))
    infe = b""
    for item in items:
        payload = struct.pack(">HH", item.id, 0) + item.kind + b"\0"
        if item.content_type:
            payload += item.content_type + b"\0"
        infe += full_box(b"infe", 2, 1 if item.hidden else 0, payload)
    iinf = full_box(b"iinf", 0, 0, struct.pack(">H", len(items)) + infe)
    iref = b""
    if references:
        entries = b""
        for kind, source, targets in references:
            entries += box(kind, struct.pack(">HH", source, len(targets)) +
                           b"".join(struct.pack(">H", t) for t in targets))
        iref = full_box(b"iref", 0, 0, entries)
    ipco = b""
    ipma = b""
    index = 0
    associated = [item for item in items if item.props]
    for item in associated:
        marks = b""
        for p in item.props:
            ipco += p
            index += 1
            essential = p[4:8] in (b"irot", b"imir", b"clap", b"hvcC", b"av1C")
            marks += bytes([(0x80 if essential else 0) | index])
        ipma += struct.pack(">HB", item.id, len(item.props)) + marks
    assert index < 128
    iprp = box(b"iprp", box(b"ipco", ipco) + full_box(b"ipma", 0, 0, struct.pack(">I", len(associated)) + ipma))

    def meta(offsets):
        entries = b""
        for item, offset in zip(items, offsets):
            entries += struct.pack(">HHHHII", item.id, 0, 0, 1, offset, len(item.data))
        iloc = full_box(b"iloc", 1, 0, bytes([0x44, 0x00]) + struct.pack(">H", len(items)) + entries)
        hdlr = full_box(b"hdlr", 0, 0, b"\0\0\0\0pict" + b"\0" * 13)
        pitm = full_box(b"pitm", 0, 0, struct.pack(">H", primary))
        return full_box(b"meta", 0, 0, hdlr + pitm + iinf + iref + iprp + iloc + extra_meta)

    start = len(ftyp) + len(meta([0] * len(items))) + len(extra_top) + 8
    offsets = []
    for item in items:
        offsets.append(start)
        start += len(item.data)
    return ftyp + meta(offsets) + extra_top + box(b"mdat", b"".join(item.data for item in items))


HEIC_BRANDS = [b"heic", b"mif1", b"heic", b"miaf"]
AVIF_BRANDS = [b"avif", b"avif", b"mif1", b"miaf"]


# ---------------------------------------------------------------------------------------------
# Exif as phones store it: a 4-byte offset to the TIFF header (6), "Exif\0\0", then big-endian
# TIFF with IFD0 (Make, Model, Orientation, Software), an Exif IFD (DateTimeOriginal, pixel
# dimensions) and a GPS IFD (latitude and longitude).

def tiff_ifd(entries, offset_of_ifd, next_ifd=0):
    """entries: (tag, type, count, value bytes); values over four bytes are placed after the
    directory. Returns the directory and its values."""
    entries = sorted(entries)
    size = 2 + 12 * len(entries) + 4
    values = b""
    body = struct.pack(">H", len(entries))
    for tag, kind, count, value in entries:
        if len(value) <= 4:
            body += struct.pack(">HHI", tag, kind, count) + value.ljust(4, b"\0")
        else:
            body += struct.pack(">HHII", tag, kind, count, offset_of_ifd + size + len(values))
            values += value + (b"\0" if len(value) % 2 else b"")
    return body + struct.pack(">I", next_ifd) + values


def ascii_entry(tag, text):
    value = text.encode() + b"\0"
    return (tag, 2, len(value), value)


def rationals(*pairs):
    return b"".join(struct.pack(">II", n, d) for n, d in pairs)


def exif_payload(orientation, width, height):
    ifd0_at = 8
    ifd0_entries = [ascii_entry(0x010F, "Veltra"), ascii_entry(0x0110, "Test Phone 17"),
                    (0x0112, 3, 1, struct.pack(">H", orientation)),
                    ascii_entry(0x0131, "make_heif_fixtures")]
    # Pointers are filled in once the directories' sizes are known.
    provisional = tiff_ifd(ifd0_entries + [(0x8769, 4, 1, b"\0" * 4), (0x8825, 4, 1, b"\0" * 4)], ifd0_at)
    exif_at = ifd0_at + len(provisional)
    exif_entries = [ascii_entry(0x9003, "2026:12:09 10:11:12"),
                    (0xA002, 4, 1, struct.pack(">I", width)), (0xA003, 4, 1, struct.pack(">I", height))]
    exif_ifd = tiff_ifd(exif_entries, exif_at)
    gps_at = exif_at + len(exif_ifd)
    gps_entries = [(0x0000, 1, 4, bytes([2, 3, 0, 0])), ascii_entry(0x0001, "N"),
                   (0x0002, 5, 3, rationals((43, 1), (28, 1), (2814, 100))),
                   ascii_entry(0x0003, "E"), (0x0004, 5, 3, rationals((11, 1), (53, 1), (654, 100)))]
    gps_ifd = tiff_ifd(gps_entries, gps_at)
    ifd0 = tiff_ifd(ifd0_entries + [(0x8769, 4, 1, struct.pack(">I", exif_at)),
                                    (0x8825, 4, 1, struct.pack(">I", gps_at))], ifd0_at)
    tiff = b"MM\0\x2a" + struct.pack(">I", ifd0_at) + ifd0 + exif_ifd + gps_ifd
    return struct.pack(">I", 6) + b"Exif\0\0" + tiff


XMP = (b'<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?>'
       b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
       b'<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" '
       b'xmp:CreatorTool="make_heif_fixtures"/></rdf:RDF></x:xmpmeta><?xpacket end="r"?>')


def icc_profile():
    """A small valid display profile: sRGB-like primaries and a gamma curve, named "Veltra test"."""
    description = b"Veltra test"
    desc = b"desc\0\0\0\0" + struct.pack(">I", len(description) + 1) + description + b"\0" + b"\0" * 79
    xyz = lambda x, y, z: b"XYZ \0\0\0\0" + b"".join(struct.pack(">i", round(v * 65536)) for v in (x, y, z))
    curve = b"curv\0\0\0\0" + struct.pack(">IH", 1, 0x0233) + b"\0\0"
    tags = [(b"desc", desc), (b"wtpt", xyz(0.9642, 1.0, 0.8249)), (b"rXYZ", xyz(0.4361, 0.2225, 0.0139)),
            (b"gXYZ", xyz(0.3851, 0.7169, 0.0971)), (b"bXYZ", xyz(0.1431, 0.0606, 0.7141)),
            (b"rTRC", curve), (b"gTRC", curve), (b"bTRC", curve)]
    table = struct.pack(">I", len(tags))
    data = b""
    at = 128 + 4 + 12 * len(tags)
    for signature, body in tags:
        table += signature + struct.pack(">II", at + len(data), len(body))
        data += body + b"\0" * (-len(body) % 4)
    size = 128 + len(table) + len(data)
    header = (struct.pack(">I", size) + b"none" + bytes([2, 0x10, 0, 0]) + b"mntrRGB XYZ " +
              b"\0" * 12 + b"acsp" + b"\0" * 24 + b"\0" * 4 + struct.pack(">iii", 63190, 65536, 54061) +
              b"\0" * 48)
    assert len(header) == 128
    return header + table + data


# ---------------------------------------------------------------------------------------------
# Running the tools

def run(command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def decoded_by_libheif(path, work):
    """The picture as heif-convert (libheif) decodes it, transforms applied, as RGB rows."""
    png = os.path.join(work, "decoded.png")
    run(["heif-convert", path, png])
    ppm = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], check=True,
                         stdout=subprocess.PIPE).stdout
    # "P6\n<w> <h>\n255\n" then the pixels.
    parts = ppm.split(b"\n", 3)
    width, height = map(int, parts[1].split())
    pixels = parts[3]
    return [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def mean_difference(a, b):
    if len(a) != len(b) or len(a[0]) != len(b[0]):
        return 255.0
    total = sum(abs(p - q) for ra, rb in zip(a, b) for pa, pb in zip(ra, rb) for p, q in zip(pa, pb))
    return total / (len(a) * len(a[0]) * 3)


def check_upright(path, expected, work):
    difference = mean_difference(decoded_by_libheif(path, work), expected)
    if difference > 12:
        sys.exit(f"make_heif_fixtures: {path} decodes {difference:.1f} away from its upright scene")


def encode_heic(rows, work, name, options=(), **png):
    source = os.path.join(work, name + ".png")
    write_png(source, rows, **png)
    target = os.path.join(work, name + ".heic")
    run(["heif-enc", "-q", "85", *options, "-o", target, source])
    return target


def encode_avif(rows, work, name, options=(), **png):
    source = os.path.join(work, name + ".png")
    write_png(source, rows, **png)
    target = os.path.join(work, name + ".avif")
    run(["avifenc", "--min", "10", "--max", "20", *options, source, target])
    return target


# ---------------------------------------------------------------------------------------------

# The orientation kinds: every rotation, both mirrors, and rotations combined with mirrors, each
# with the Exif orientation 6 that phones store beside the container's transforms.
ORIENTATIONS = [
    ("irot_0", [("irot", 0)]),
    ("irot_90", [("irot", 1)]),
    ("irot_180", [("irot", 2)]),
    ("irot_270", [("irot", 3)]),
    ("imir_top_bottom", [("imir", 0)]),
    ("imir_left_right", [("imir", 1)]),
    ("irot_90_imir_top_bottom", [("irot", 1), ("imir", 0)]),
    ("irot_90_imir_left_right", [("irot", 1), ("imir", 1)]),
]

UPRIGHT = (128, 64)


def main(argv):
    for tool in ("heif-enc", "avifenc", "heif-convert", "convert", "exiftool"):
        if not shutil.which(tool):
            sys.exit(f"make_heif_fixtures: {tool} is missing (scripts/setup.sh installs it)")
    out = argv[1] if len(argv) > 1 else os.path.join(ROOT, "tests", "fixtures", "heif")
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp()
    written = []

    def save(name, data):
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(data)
        written.append(name)
        return path

    def keep(name, source):
        return save(name, open(source, "rb").read())

    upright = scene(*UPRIGHT)

    # Containers that orient their picture, written around one HEVC picture each.
    for name, steps in ORIENTATIONS:
        stored = undo_steps(upright, steps)
        item = coded_item(encode_heic(stored, work, name))
        height, width = len(stored), len(stored[0])
        geometry = [irot(a) if kind == "irot" else imir(a) for kind, a in steps]
        exif = Item(2, b"Exif", exif_payload(6, width, height))
        picture = Item(1, b"hvc1", item["data"], without(item["props"], (b"irot", b"imir")) + geometry)
        path = save(f"heic_{name}_exif_6.heic",
                    heif_file(HEIC_BRANDS, [picture, exif], 1, [(b"cdsc", 2, [1])]))
        check_upright(path, upright, work)

    # The same by avifenc's own options, for AV1: a quarter turn anticlockwise, then a mirror.
    steps = [("irot", 1), ("imir", 0)]
    path = encode_avif(undo_steps(upright, steps), work, "avif_irot_imir", ["--irot", "1", "--imir", "0"])
    check_upright(keep("avif_avifenc_irot_90_imir_top_bottom.avif", path), upright, work)

    # A clean aperture that crops the stored 128 x 64 to 100 x 40.
    keep("avif_avifenc_clap_100x40.avif", encode_avif(upright, work, "clap", ["--crop", "10,6,100,40"]))

    # What Debian's heif-enc writes for a camera's JPEG: its Exif (orientation 6 among it) and
    # no transform, so the picture is shown as stored.
    jpeg = os.path.join(work, "camera.jpg")
    write_png(os.path.join(work, "camera.png"), scene(64, 48))
    run(["convert", os.path.join(work, "camera.png"), "-quality", "92", jpeg])
    run(["exiftool", "-q", "-overwrite_original", "-Orientation#=6", "-Make=Veltra",
         "-Model=Test Camera", "-DateTimeOriginal=2026:12:09 10:11:12", "-GPSLatitude=43.4674",
         "-GPSLatitudeRef=N", "-GPSLongitude=11.8851", "-GPSLongitudeRef=E", jpeg])
    heic = os.path.join(work, "camera.heic")
    run(["heif-enc", "-q", "85", "-o", heic, jpeg])
    check_upright(keep("heic_heif_enc_exif_6_no_transform.heic", heic), scene(64, 48), work)

    # Bit depths, alpha and grey, as the encoders write them.
    gradient = scene(64, 48)
    keep("heic_heif_enc_10bit.heic", encode_heic(gradient, work, "deep", ["-b", "10"], depth=16))
    keep("avif_avifenc_10bit.avif", encode_avif(gradient, work, "deep", ["-d", "10"], depth=16))
    keep("heic_heif_enc_alpha.heic",
         encode_heic(gradient, work, "alpha", alpha=lambda x, y: 255 if x < 32 else 64))
    keep("avif_avifenc_alpha.avif",
         encode_avif(gradient, work, "alpha", alpha=lambda x, y: 255 if x < 32 else 64))
    keep("avif_avifenc_grey.avif", encode_avif(gradient, work, "grey", ["-y", "400"], grey=True))
    # A thumbnail that heif-enc makes of the picture itself.
    keep("heic_heif_enc_thumbnail.heic", encode_heic(scene(128, 96), work, "thumbed", ["-t", "32"]))

    # A thumbnail of another picture: the primary picture was replaced, its thumbnail not.
    large = coded_item(encode_heic(scene(256, 128), work, "large"))
    stale = coded_item(encode_heic(other_scene(128, 64), work, "stale"))
    save("heic_thumbnail_of_another_picture.heic",
         heif_file(HEIC_BRANDS, [Item(1, b"hvc1", large["data"], large["props"]),
                                 Item(2, b"hvc1", stale["data"], stale["props"], hidden=True)],
                   1, [(b"thmb", 2, [1])]))

    # A grid of 2 x 2 tiles of 64 x 64, shown as 120 x 100 (the grid crops its right and bottom
    # edges), as phones store their photos.
    big = scene(128, 128)
    tiles = []
    for row in range(2):
        for column in range(2):
            part = [r[column * 64:(column + 1) * 64] for r in big[row * 64:(row + 1) * 64]]
            tiles.append(coded_item(encode_heic(part, work, f"tile{row}{column}")))
    grid_description = bytes([0, 0, 1, 1]) + struct.pack(">HH", 120, 100)
    grid_items = [Item(10, b"grid", grid_description, [ispe(120, 100)]),
                  Item(11, b"Exif", exif_payload(1, 120, 100))]
    for index, tile in enumerate(tiles):
        grid_items.append(Item(1 + index, b"hvc1", tile["data"], tile["props"], hidden=True))
    path = save("heic_grid_2x2_tiles.heic",
                heif_file(HEIC_BRANDS, grid_items, 10, [(b"dimg", 10, [1, 2, 3, 4]), (b"cdsc", 11, [10])]))
    check_upright(path, [r[:120] for r in big[:100]], work)

    # Auxiliary pictures (a depth map and Apple's HDR gain map), XMP and an ICC profile.
    primary = coded_item(encode_heic(upright, work, "primary"))
    flat = coded_item(encode_heic(other_scene(64, 64), work, "auxiliary"))
    icc = icc_profile()
    colr = box(b"colr", b"prof" + icc)
    save("heic_depth_gain_map_xmp_icc.heic",
         heif_file(HEIC_BRANDS,
                   [Item(1, b"hvc1", primary["data"], primary["props"] + [colr]),
                    Item(2, b"hvc1", flat["data"], flat["props"] + [auxc("urn:mpeg:hevc:2015:auxid:2")], hidden=True),
                    Item(3, b"hvc1", flat["data"], flat["props"] + [auxc("urn:com:apple:photo:2020:aux:hdrgainmap")], hidden=True),
                    Item(4, b"mime", XMP, content_type=b"application/rdf+xml")],
                   1, [(b"auxl", 2, [1]), (b"auxl", 3, [1]), (b"cdsc", 4, [1])]))

    # A HEIF whose picture is coded in neither HEVC nor AV1 but JPEG: a "heif", which Debian's
    # libheif has no decoder for.
    jpeg_picture = os.path.join(work, "coded.jpg")
    write_png(os.path.join(work, "coded.png"), scene(64, 48))
    run(["convert", os.path.join(work, "coded.png"), "-quality", "90", jpeg_picture])
    save("heif_jpeg_coded.heif",
         heif_file([b"mif1", b"mif1", b"miaf"],
                   [Item(1, b"jpeg", open(jpeg_picture, "rb").read(), [ispe(64, 48)])], 1, []))

    # An image sequence alone: a movie box and its data, no still picture (libheif reads items,
    # not tracks).
    mvhd = full_box(b"mvhd", 0, 0, b"\0" * 8 + struct.pack(">II", 1000, 1000) + b"\0" * 80)
    save("heic_sequence_only.heic",
         box(b"ftyp", b"msf1\0\0\0\0msf1hevciso8") + box(b"moov", mvhd) + box(b"mdat", flat["data"]))

    shutil.rmtree(work)
    total = sum(os.path.getsize(os.path.join(out, name)) for name in written)
    print(f"make_heif_fixtures: {len(written)} files, {total} bytes, in {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
