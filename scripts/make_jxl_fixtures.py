#!/usr/bin/env python3
"""Writes the JPEG XL pictures that the tests read, into tests/fixtures/jxl/.

The pixels come from cjxl (libjxl-tools), given PNG pictures written here byte by byte:
  jxl_orientation_N.jxl   the 3 x 2 picture  A B C  (six colours, lossless) with orientation N
                                             D E F
                          in its codestream: cjxl moves the orientation of a PNG's eXIf chunk
                          into the codestream and drops the chunk, so the bare codestream is
                          kept. djxl shows them upright.
  jxl_<kind>_<bits>bit.jxl  grey, grey with 16 bits, RGBA, RGB and RGBA with 16 bits (lossless,
                          4 x 4; cjxl keeps the last one's alpha at 8 bits, and the PNG it was
                          made from is kept beside it), and a lossy RGB picture (coded in XYB).
  jxl_recompressed_jpeg.jxl  a JPEG with Exif, losslessly recompressed by cjxl: its codestream
                          comes with a "jbrd" box (the JPEG can be restored byte for byte) and
                          its Exif in a Brotli-compressed "brob" box.
Containers that cjxl cannot make are written box by box around the codestreams above:
  jxl_orientation_6_exif_3.jxl  codestream orientation 6, an Exif box saying 3 (with IFD0,
                          Exif and GPS entries, big-endian as phones write it) and an XMP box.
  jxl_orientation_1_exif_6.jxl  codestream orientation 1, Exif 6, the codestream split in two
                          "jxlp" parts.

The generated files are committed, so the tests never need cjxl. At the end jxlinfo reads
every file back and the script stops if one says otherwise than meant.
Run from anywhere: python3 scripts/make_jxl_fixtures.py
"""

import os
import re
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fixture_bytes import (ASCII, DATE_TIME, DATE_TIME_ORIGINAL, EXPOSURE_TIME, GPS_LATITUDE,  # noqa: E402
                           GPS_LATITUDE_REF, MAKE, MODEL, ORIENTATION, RATIONAL, SHORT,
                           box, boxes, exif_tiff, png, png_chunk, six_colour_png)

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "fixtures", "jxl")

SIGNATURE_BOX = box(b"JXL ", b"\r\n\x87\n")
FTYP = box(b"ftyp", b"jxl " + struct.pack(">I", 0) + b"jxl ")

XMP = (b'<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>'
       b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF '
       b'xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
       b'<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" '
       b'xmp:CreatorTool="make_jxl_fixtures"/></rdf:RDF></x:xmpmeta><?xpacket end="w"?>')


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def cjxl(work, source_name, source, *options):
    source_path = os.path.join(work, source_name)
    with open(source_path, "wb") as f:
        f.write(source)
    target = os.path.join(work, "out.jxl")
    subprocess.run(["cjxl", source_path, target, *options], check=True, capture_output=True)
    with open(target, "rb") as f:
        return f.read()


def codestream_of(jxl):
    """The codestream of a bare codestream or of a container's jxlc or jxlp boxes."""
    if jxl.startswith(b"\xff\x0a"):
        return jxl
    parts = [content for kind, content in boxes(jxl) if kind == b"jxlc"]
    parts += [content[4:] for kind, content in boxes(jxl) if kind == b"jxlp"]
    return b"".join(parts)


def orientation_exif(orientation):
    """A little-endian TIFF with only the orientation, as a PNG's eXIf chunk."""
    return exif_tiff([(ORIENTATION, SHORT, [orientation])])


def exif_box(orientation):
    """An Exif box: the offset to the TIFF header (0), then a big-endian TIFF structure."""
    tiff = exif_tiff(
        [(MAKE, ASCII, "Veltra"), (MODEL, ASCII, "JXL fixture"),
         (ORIENTATION, SHORT, [orientation]), (DATE_TIME, ASCII, "2026:12:09 10:20:30")],
        exif=[(EXPOSURE_TIME, RATIONAL, [(1, 250)]),
              (DATE_TIME_ORIGINAL, ASCII, "2026:12:09 10:20:30")],
        gps=[(GPS_LATITUDE_REF, ASCII, "N"),
             (GPS_LATITUDE, RATIONAL, [(43, 1), (28, 1), (1500, 100)])],
        big_endian=True)
    return box(b"Exif", struct.pack(">I", 0) + tiff)


def jxlp(index, part, last):
    return box(b"jxlp", struct.pack(">I", index | (0x80000000 if last else 0)) + part)


def small_jpeg_with_exif(work):
    """A 16 x 16 JPEG from cjpeg with an Exif block written by exiftool."""
    ppm = b"P6\n16 16\n255\n" + bytes(
        value for y in range(16) for x in range(16) for value in (x * 16, y * 16, (x + y) * 8))
    ppm_path = os.path.join(work, "source.ppm")
    jpeg_path = os.path.join(work, "source.jpg")
    with open(ppm_path, "wb") as f:
        f.write(ppm)
    subprocess.run(["cjpeg", "-quality", "85", "-optimize", "-outfile", jpeg_path, ppm_path],
                   check=True)
    subprocess.run(["exiftool", "-q", "-overwrite_original", "-Make=Veltra",
                    "-Model=Recompressed JPEG", "-DateTimeOriginal=2026:12:09 11:00:00",
                    "-XResolution=300", "-YResolution=300", "-ResolutionUnit=inches",
                    jpeg_path], check=True)
    with open(jpeg_path, "rb") as f:
        return f.read()


def ramp(count, top):
    return [round(i * top / (count - 1)) for i in range(count)]


def make(work):
    # The eight orientations in the codestream.
    streams = {}
    for orientation in range(1, 9):
        source = six_colour_png([png_chunk(b"eXIf", orientation_exif(orientation))])
        streams[orientation] = codestream_of(cjxl(work, "six.png", source, "-d", "0"))
        write(f"jxl_orientation_{orientation}.jxl", streams[orientation])

    # Pixel formats: 4 x 4 ramps, lossless but for the last.
    grey = ramp(16, 255)
    grey16 = ramp(16, 65535)
    rgba = [v for i in range(16) for v in (i * 17, 255 - i * 17, 128, 255 - i * 8)]
    rgb16 = [v for i in range(16) for v in (i * 4369, 65535 - i * 4369, 30000)]
    rgba16 = [v for i in range(16) for v in (i * 4369, 65535 - i * 4369, 30000, 65535 - i * 2000)]
    for name, picture in (("grey_8bit", png(4, 4, grey, 0)),
                          ("grey_16bit", png(4, 4, grey16, 0, depth=16)),
                          ("rgba_8bit", png(4, 4, rgba, 6)),
                          ("rgb_16bit", png(4, 4, rgb16, 2, depth=16)),
                          ("rgba_16bit", png(4, 4, rgba16, 6, depth=16))):
        write(f"jxl_{name}.jxl", codestream_of(cjxl(work, "in.png", picture, "-d", "0")))
    # cjxl 0.7 keeps alpha at 8 bits beside 16-bit colour, a picture djxl 0.7 then refuses to
    # write out: the PNG it was made from is kept to compare its pixels with.
    write("jxl_rgba_16bit_source.png", png(4, 4, rgba16, 6, depth=16))
    lossy = [v for y in range(16) for x in range(16) for v in (x * 16, y * 16, 200)]
    write("jxl_lossy_rgb_8bit.jxl",
          codestream_of(cjxl(work, "in.png", png(16, 16, lossy, 2), "-d", "1")))

    # A recompressed JPEG, as cjxl writes it (its container, jbrd and brob boxes kept).
    write("jxl_recompressed_jpeg.jxl", cjxl(work, "source.jpg", small_jpeg_with_exif(work)))

    # Containers written box by box.
    write("jxl_orientation_6_exif_3.jxl",
          SIGNATURE_BOX + FTYP + exif_box(3) + box(b"xml ", XMP) + box(b"jxlc", streams[6]))
    split = 5
    write("jxl_orientation_1_exif_6.jxl",
          SIGNATURE_BOX + FTYP + exif_box(6) + jxlp(0, streams[1][:split], False)
          + jxlp(1, streams[1][split:], True))


def jxlinfo(path):
    return subprocess.run(["jxlinfo", "-v", path], check=True, capture_output=True,
                          text=True).stdout


def check():
    """jxlinfo reads back what each file was meant to hold."""
    for orientation in range(1, 9):
        info = jxlinfo(os.path.join(OUT, f"jxl_orientation_{orientation}.jxl"))
        assert "3x2" in info and f"Orientation: {orientation} " in info, info
    for name, meant in (("jxl_orientation_6_exif_3.jxl", "Orientation: 6 "),
                        ("jxl_orientation_1_exif_6.jxl", "Orientation: 1 "),
                        ("jxl_grey_8bit.jxl", "8-bit Grayscale"),
                        ("jxl_grey_16bit.jxl", "16-bit Grayscale"),
                        ("jxl_rgba_8bit.jxl", "8-bit RGBA"),
                        ("jxl_rgb_16bit.jxl", "16-bit RGB"),
                        ("jxl_rgba_16bit.jxl", "16-bit RGBA"),
                        ("jxl_lossy_rgb_8bit.jxl", "lossy, 8-bit RGB"),
                        ("jxl_recompressed_jpeg.jxl", "JPEG bitstream reconstruction data")):
        info = jxlinfo(os.path.join(OUT, name))
        assert re.search(re.escape(meant), info), f"{name}: {meant!r} not in\n{info}"


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make(work)
    check()
    print(f"make_jxl_fixtures: {len(os.listdir(OUT))} files in {OUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
