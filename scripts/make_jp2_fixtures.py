#!/usr/bin/env python3
"""Writes the JPEG 2000 pictures that the tests read, into tests/fixtures/jp2/.

The pixels come from opj_compress (libopenjp2-tools), given PNG pictures written here byte by
byte, lossless, with two resolution levels (the default six need 32 pixels a side):
  jp2_<kind>_<bits>bit.jp2   RGB, grey, grey with 16 bits, RGB with 16 bits and RGBA, 7 x 5
  j2c_rgb_8bit.j2k           the RGB picture as a bare codestream
Files that opj_compress cannot make are written box by box from those:
  jp2_palette.jp2            the grey picture's samples as indices into a palette ("pclr" and
                             "cmap" boxes in the JP2 header) of 256 colours
  jp2_exif_xmp.jp2           the RGB picture with an Exif UUID box (little-endian, with IFD0,
                             Exif and GPS entries) and an XMP UUID box before its codestream

The generated files are committed, so the tests never need opj_compress. At the end exiftool
reads every file back and the script stops if one says otherwise than meant.
Run from anywhere: python3 scripts/make_jp2_fixtures.py
"""

import json
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fixture_bytes import (ASCII, DATE_TIME, DATE_TIME_ORIGINAL, EXPOSURE_TIME, GPS_LATITUDE,  # noqa: E402
                           GPS_LATITUDE_REF, MAKE, MODEL, ORIENTATION, RATIONAL, SHORT, box,
                           boxes, exif_tiff, png)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "fixtures", "jp2")

EXIF_UUID = b"JpgTiffExif->JP2"
XMP_UUID = bytes.fromhex("BE7ACFCB97A942E89C71999491E3AFAC")
XMP = (b'<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>'
       b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF '
       b'xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
       b'<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" '
       b'xmp:CreatorTool="make_jp2_fixtures"/></rdf:RDF></x:xmpmeta><?xpacket end="w"?>')

WIDTH, HEIGHT = 7, 5


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def opj_compress(work, picture, extension):
    source = os.path.join(work, "in.png")
    target = os.path.join(work, "out." + extension)
    with open(source, "wb") as f:
        f.write(picture)
    subprocess.run(["opj_compress", "-i", source, "-o", target, "-n", "2"], check=True,
                   capture_output=True)
    with open(target, "rb") as f:
        return f.read()


def pixels(channels, top):
    """Samples of a 7 x 5 picture: each channel a ramp of its own across the picture."""
    samples = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            for channel in range(channels):
                samples.append((x * 37 + y * 53 + channel * 91) % 256 * top // 255)
    return samples


def with_boxes_before_codestream(jp2, extra):
    out = b""
    for kind, content in boxes(jp2):
        if kind == b"jp2c":
            out += extra
        out += box(kind, content)
    return out


def with_palette(grey_jp2):
    """The grey picture's one component used as indices into a palette of 256 colours."""
    entries = b"".join(bytes(((i * 7) % 256, (255 - i) % 256, (i * 3) % 256)) for i in range(256))
    pclr = box(b"pclr", struct.pack(">HB", 256, 3) + bytes([7, 7, 7]) + entries)
    cmap = box(b"cmap", b"".join(struct.pack(">HBB", 0, 1, column) for column in range(3)))
    out = b""
    for kind, content in boxes(grey_jp2):
        if kind == b"jp2h":
            header = b""
            for child, child_content in boxes(content):
                if child == b"colr":
                    child_content = struct.pack(">BBBI", 1, 0, 0, 16)  # sRGB
                header += box(child, child_content)
            content = header + pclr + cmap
        out += box(kind, content)
    return out


def make(work):
    rgb = opj_compress(work, png(WIDTH, HEIGHT, pixels(3, 255), 2), "jp2")
    grey = opj_compress(work, png(WIDTH, HEIGHT, pixels(1, 255), 0), "jp2")
    write("jp2_rgb_8bit.jp2", rgb)
    write("jp2_grey_8bit.jp2", grey)
    write("jp2_grey_16bit.jp2",
          opj_compress(work, png(WIDTH, HEIGHT, pixels(1, 65535), 0, depth=16), "jp2"))
    write("jp2_rgb_16bit.jp2",
          opj_compress(work, png(WIDTH, HEIGHT, pixels(3, 65535), 2, depth=16), "jp2"))
    write("jp2_rgba_8bit.jp2", opj_compress(work, png(WIDTH, HEIGHT, pixels(4, 255), 6), "jp2"))
    write("j2c_rgb_8bit.j2k", opj_compress(work, png(WIDTH, HEIGHT, pixels(3, 255), 2), "j2k"))
    write("jp2_palette.jp2", with_palette(grey))
    tiff = exif_tiff(
        [(MAKE, ASCII, "Veltra"), (MODEL, ASCII, "JP2 fixture"), (ORIENTATION, SHORT, [1]),
         (DATE_TIME, ASCII, "2026:12:09 12:00:00")],
        exif=[(EXPOSURE_TIME, RATIONAL, [(1, 60)]),
              (DATE_TIME_ORIGINAL, ASCII, "2026:12:09 12:00:00")],
        gps=[(GPS_LATITUDE_REF, ASCII, "S"), (GPS_LATITUDE, RATIONAL, [(33, 1), (52, 1), (0, 1)])])
    write("jp2_exif_xmp.jp2", with_boxes_before_codestream(
        rgb, box(b"uuid", EXIF_UUID + tiff) + box(b"uuid", XMP_UUID + XMP)))


def check():
    """exiftool reads back the size, components, depth and metadata meant."""
    names = sorted(os.listdir(OUT))
    found = json.loads(subprocess.run(
        ["exiftool", "-j", "-n", "-ImageWidth", "-ImageHeight", "-NumberOfComponents",
         "-BitsPerComponent", "-Make", "-CreatorTool"] + [os.path.join(OUT, n) for n in names],
        check=True, capture_output=True, text=True).stdout)
    meant = {"jp2_rgb_8bit.jp2": (3, 7), "jp2_grey_8bit.jp2": (1, 7),
             "jp2_grey_16bit.jp2": (1, 15), "jp2_rgb_16bit.jp2": (3, 15),
             "jp2_rgba_8bit.jp2": (4, 7), "jp2_palette.jp2": (1, 7), "jp2_exif_xmp.jp2": (3, 7)}
    for entry in found:
        name = os.path.basename(entry["SourceFile"])
        assert (entry["ImageWidth"], entry["ImageHeight"]) == (WIDTH, HEIGHT), entry
        if name in meant:
            assert (entry["NumberOfComponents"], entry["BitsPerComponent"]) == meant[name], entry
    exif = next(e for e in found if e["SourceFile"].endswith("jp2_exif_xmp.jp2"))
    assert exif["Make"] == "Veltra" and exif["CreatorTool"] == "make_jp2_fixtures", exif


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make(work)
    check()
    print(f"make_jp2_fixtures: {len(os.listdir(OUT))} files in {OUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
