#!/usr/bin/env python3
"""Writes small Photoshop documents byte by byte into tests/fixtures/psd/: every colour mode the
reader decodes, raw and run-length compressed, 8 and 16 bits a sample, a PSB, merged
transparency, layers with Latin and Unicode names, the image resources a reader lists (Exif,
XMP, an ICC profile, a JFIF thumbnail), and version information that says the merged picture is
not the layers' real composite, as Photoshop writes it when "maximize compatibility" is off.

Every document shows the same 8 x 4 picture: the left half red, the right half blue, except the
bottom row, which is green (grey documents show those colours' greys; the transparent
document's right half is fully transparent). Tests check those pixels.

    make_psd_fixtures.py [FOLDER]
"""

import os
import struct
import subprocess
import sys
import tempfile

WIDTH, HEIGHT = 8, 4
RED, GREEN, BLUE = (255, 0, 0), (0, 255, 0), (0, 0, 255)


def picture():
    rows = []
    for y in range(HEIGHT):
        if y == HEIGHT - 1:
            rows.append([GREEN] * WIDTH)
        else:
            rows.append([RED] * (WIDTH // 2) + [BLUE] * (WIDTH // 2))
    return rows


def grey(rgb):
    r, g, b = rgb
    return (r * 299 + g * 587 + b * 114) // 1000


def packbits(row):
    """PackBits as Photoshop writes it: runs of 3 or more repeated, the rest as literals."""
    out = bytearray()
    i = 0
    while i < len(row):
        run = 1
        while i + run < len(row) and run < 128 and row[i + run] == row[i]:
            run += 1
        if run >= 3:
            out += struct.pack("b", 1 - run) + bytes([row[i]])
            i += run
            continue
        start = i
        while i < len(row) and i - start < 128:
            if i + 2 < len(row) and row[i] == row[i + 1] == row[i + 2]:
                break
            i += 1
        out += struct.pack("b", i - start - 1) + bytes(row[start:i])
    return bytes(out)


def channel_planes(mode, depth, alpha):
    """Each channel's rows of samples, as the document stores them."""
    pixels = picture()
    full = (1 << depth) - 1

    def scale(value):
        return value * full // 255

    planes = []
    if mode == "rgb":
        for c in range(3):
            planes.append([[scale(p[c]) for p in row] for row in pixels])
    elif mode == "grey":
        planes.append([[scale(grey(p)) for p in row] for row in pixels])
    elif mode == "cmyk":
        # Inks stored inverted: full scale is no ink. These colours need no black.
        for c in range(3):
            planes.append([[scale(p[c]) for p in row] for row in pixels])
        planes.append([[full] * WIDTH for _ in range(HEIGHT)])
    elif mode == "indexed":
        palette_index = {RED: 1, BLUE: 2, GREEN: 3}
        planes.append([[palette_index[p] for p in row] for row in pixels])
    if alpha:
        planes.append([[full if x < WIDTH // 2 or y == HEIGHT - 1 else 0 for x in range(WIDTH)]
                       for y in range(HEIGHT)])
    return planes


def row_bytes(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    return bytes(samples)


def image_data(planes, depth, compression, large):
    rows = [row_bytes(row, depth) for plane in planes for row in plane]
    if compression == 0:
        return struct.pack(">H", 0) + b"".join(rows)
    packed = [packbits(row) for row in rows]
    counts = b"".join(struct.pack(">I" if large else ">H", len(p)) for p in packed)
    return struct.pack(">H", 1) + counts + b"".join(packed)


def resource(resource_id, data, name=b""):
    pascal = bytes([len(name)]) + name
    if len(pascal) % 2:
        pascal += b"\0"
    padded = data + (b"\0" if len(data) % 2 else b"")
    return b"8BIM" + struct.pack(">H", resource_id) + pascal + struct.pack(">I", len(data)) + padded


def exif_block():
    """A big-endian TIFF structure: IFD0 with Make, Model, Software and an Exif pointer; the
    Exif IFD with DateTimeOriginal."""
    entries0 = [(0x010F, b"Veltra\0"), (0x0110, b"PSD maker\0"), (0x0131, b"make_psd_fixtures\0")]
    exif_entries = [(0x9003, b"2026:12:09 10:11:12\0")]
    ifd0_at = 8
    ifd0_size = 2 + 12 * (len(entries0) + 1) + 4
    exif_at = ifd0_at + ifd0_size
    exif_size = 2 + 12 * len(exif_entries) + 4
    data_at = exif_at + exif_size
    values = bytearray()

    def directory(entries, extra=None):
        nonlocal values
        out = struct.pack(">H", len(entries) + (1 if extra else 0))
        for tag, value in entries:
            if len(value) <= 4:
                out += struct.pack(">HHI", tag, 2, len(value)) + value.ljust(4, b"\0")
            else:
                out += struct.pack(">HHII", tag, 2, len(value), data_at + len(values))
                values += value + (b"\0" if len(value) % 2 else b"")
        if extra:
            out += struct.pack(">HHII", extra[0], 4, 1, extra[1])
        return out + struct.pack(">I", 0)

    ifd0 = directory(entries0, (0x8769, exif_at))
    exif = directory(exif_entries)
    return b"MM\0*" + struct.pack(">I", ifd0_at) + ifd0 + exif + bytes(values)


def icc_profile():
    """A minimal ICC v2 display profile whose one tag is its description."""
    text = b"Veltra test profile\0"
    desc = b"desc" + b"\0" * 4 + struct.pack(">I", len(text)) + text
    desc += struct.pack(">II", 0, 0) + struct.pack(">HB", 0, 0) + b"\0" * 67
    tag_table = struct.pack(">I", 1) + struct.pack(">4sII", b"desc", 128 + 4 + 12, len(desc))
    size = 128 + len(tag_table) + len(desc)
    header = struct.pack(">I4sI4s4s4s", size, b"none", 0x02100000, b"mntr", b"RGB ", b"XYZ ")
    header += b"\0" * 12 + b"acsp" + b"\0" * (128 - 40)
    return header + tag_table + desc


XMP = (b'<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?><x:xmpmeta xmlns:x="adobe:ns:meta/">'
       b'<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#"><rdf:Description '
       b'xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmp:CreatorTool="make_psd_fixtures"/>'
       b'</rdf:RDF></x:xmpmeta><?xpacket end="w"?>')


def thumbnail_resource(folder):
    """A JFIF thumbnail of a solid colour, made by cjpeg from a PPM."""
    with tempfile.TemporaryDirectory() as scratch:
        ppm = os.path.join(scratch, "t.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6\n4 2\n255\n" + bytes([255, 0, 0]) * 8)
        jpeg = subprocess.run(["cjpeg", "-quality", "90", ppm], check=True,
                              stdout=subprocess.PIPE).stdout
    header = struct.pack(">IIIIIIHH", 1, 4, 2, 12, 24, len(jpeg), 24, 1)
    return resource(0x040C, header + jpeg)


def version_info(real_merged_data):
    """The version information resource: its version, whether the merged picture is the real
    composite (Photoshop writes 0 when "maximize compatibility" is off), the writer's and the
    reader's names as Unicode strings, and the file version."""
    def unicode(text):
        return struct.pack(">I", len(text)) + text.encode("utf-16-be")
    data = struct.pack(">IB", 1, 1 if real_merged_data else 0)
    data += unicode("Adobe Photoshop") + unicode("Adobe Photoshop 2024") + struct.pack(">I", 1)
    return resource(0x0421, data)


def layer_section(layers, depth, large):
    """The layer information body: the count, the records, then each layer's channel data."""
    records = bytearray()
    channel_data = bytearray()
    for name, unicode_name, hidden in layers:
        channels = [-1, 0, 1, 2]
        sample_bytes = 2 if depth == 16 else 1
        plane = b"\xff" * (2 * 2 * sample_bytes)
        records += struct.pack(">iiii", 0, 0, 2, 2) + struct.pack(">H", len(channels))
        for channel in channels:
            length = 2 + len(plane)
            records += struct.pack(">h", channel) + struct.pack(">Q" if large else ">I", length)
            channel_data += struct.pack(">H", 0) + plane
        records += b"8BIMnorm" + bytes([255, 0, 2 if hidden else 0, 0])
        pascal = bytes([len(name)]) + name
        pascal += b"\0" * ((4 - len(pascal) % 4) % 4)
        extra = struct.pack(">I", 0) + struct.pack(">I", 0) + pascal
        if unicode_name:
            encoded = unicode_name.encode("utf-16-be")
            luni = struct.pack(">I", len(unicode_name)) + encoded
            luni += b"\0" * ((4 - len(luni) % 4) % 4)
            extra += b"8BIMluni" + struct.pack(">I", len(luni)) + luni
        records += struct.pack(">I", len(extra)) + extra
    body = struct.pack(">h", len(layers)) + bytes(records) + bytes(channel_data)
    if len(body) % 2:
        body += b"\0"
    return body


def layer_and_mask(layers, depth, large, merged_alpha):
    length_format = ">Q" if large else ">I"
    if not layers and not merged_alpha:
        return struct.pack(length_format, 0)
    body = layer_section(layers, depth, large)
    if merged_alpha:
        # A negative count: the first alpha channel holds the merged picture's transparency.
        count = struct.unpack(">h", body[:2])[0]
        body = struct.pack(">h", -max(count, 1) if count == 0 else -count) + body[2:]
    if depth == 16:
        # Documents of more than 8 bits keep their layers in an additional block.
        block = b"8BIMLr16" + struct.pack(length_format, len(body)) + body
        content = struct.pack(length_format, 0) + struct.pack(">I", 0) + block
    else:
        content = struct.pack(length_format, len(body)) + body + struct.pack(">I", 0)
    return struct.pack(length_format, len(content)) + content


def document(mode, depth=8, compression=1, large=False, alpha=False, layers=(), extras=b""):
    mode_number = {"grey": 1, "indexed": 2, "rgb": 3, "cmyk": 4}[mode]
    planes = channel_planes(mode, depth, alpha)
    header = b"8BPS" + struct.pack(">H", 2 if large else 1) + b"\0" * 6
    header += struct.pack(">HIIHH", len(planes), HEIGHT, WIDTH, depth, mode_number)
    palette = b""
    if mode == "indexed":
        reds = bytes([0, 255, 0, 0] + [0] * 252)
        greens = bytes([0, 0, 0, 255] + [0] * 252)
        blues = bytes([0, 0, 255, 0] + [0] * 252)
        palette = reds + greens + blues
    resources = resource(0x0422, exif_block()) + extras
    return (header + struct.pack(">I", len(palette)) + palette +
            struct.pack(">I", len(resources)) + resources +
            layer_and_mask(list(layers), depth, large, alpha) +
            image_data(planes, depth, compression, large))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fixtures", "psd")
    os.makedirs(folder, exist_ok=True)
    layers = [(b"Background", None, False), (b"Text", "文字图层", False), (b"Hidden", None, True)]
    everything = resource(0x0424, XMP) + resource(0x040F, icc_profile()) + thumbnail_resource(folder)
    documents = {
        "psd_rgb_8bit_raw.psd": document("rgb", compression=0),
        "psd_rgb_8bit_rle_layers.psd": document("rgb", layers=layers, extras=everything),
        "psd_rgb_16bit_rle_alpha.psd": document("rgb", depth=16, alpha=True, layers=layers[:1]),
        "psd_grey_8bit_rle.psd": document("grey"),
        "psd_grey_16bit_raw.psd": document("grey", depth=16, compression=0),
        "psd_cmyk_8bit_rle.psd": document("cmyk"),
        "psd_cmyk_16bit_raw.psd": document("cmyk", depth=16, compression=0),
        "psd_indexed_8bit_rle.psd": document("indexed"),
        "psb_rgb_8bit_rle_layers.psb": document("rgb", large=True, layers=layers),
        "psd_rgb_8bit_rle_no_real_merged_data.psd": document(
            "rgb", layers=layers[:2], extras=version_info(False)),
    }
    for name, data in documents.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
