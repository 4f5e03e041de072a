#!/usr/bin/env bash
# Makes the bundled sample picture samples/sample_photo.jpg: a photo-like landscape (sky at
# the top, sun, hills, a house and a tree) stored sideways, as a camera held upright on its
# side stores it, with Exif Orientation 6 so that it shows upright only after the quarter turn
# clockwise. It also carries GPS position and altitude, ColorSpace sRGB, camera make and
# model, the time it was taken, an artist and a description, and a JFIF density of 72 dpi.
#
# Needs ImageMagick (convert) and exiftool. Run from anywhere: scripts/make_sample.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/samples/sample_photo.jpg"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/samples"

width=1600
height=1200

# The upright scene. A fixed seed keeps the hills' texture the same on every run.
convert -seed 7 -size ${width}x${height} gradient:'#2f6db5-#cfe6f7' \
  \( -size ${width}x520 plasma:'#4f8f3a-#2e5e22' -blur 0x6 \) -geometry +0+680 -composite \
  -fill '#3d7a2e' -draw "path 'M 0,760 C 300,640 520,700 800,730 C 1080,760 1300,650 1600,700 L 1600,1200 L 0,1200 Z'" \
  -fill '#5a9c45' -draw "path 'M 0,900 C 400,820 900,880 1600,840 L 1600,1200 L 0,1200 Z'" \
  -fill '#ffe680' -draw 'circle 1300,220 1300,300' \
  -fill '#fff7d1' -draw 'circle 1300,220 1300,262' \
  -fill white -draw 'ellipse 380,200 150,45 0,360' -draw 'ellipse 470,180 110,50 0,360' \
  -fill '#b8483a' -draw 'polygon 560,760 700,650 840,760' \
  -fill '#e9dcc0' -draw 'rectangle 585,760 815,930' \
  -fill '#6b4a2b' -draw 'rectangle 680,840 730,930' \
  -fill '#8fc1e3' -draw 'rectangle 610,790 660,835' -draw 'rectangle 755,790 800,835' \
  -fill '#5b3a1e' -draw 'rectangle 1085,700 1115,900' \
  -fill '#2f6b26' -draw 'circle 1100,660 1100,760' \
  -blur 0x0.6 \
  "$work/shapes.png"
# Texture as a camera would see it: soft light from a blurred plasma, then fine grain.
convert -seed 11 -size ${width}x${height} plasma:grey40-grey60 -blur 0x3 "$work/texture.png"
convert "$work/shapes.png" "$work/texture.png" -compose softlight -composite \
  -seed 13 -attenuate 0.25 +noise Gaussian \
  "$work/upright.png"

# Stored sideways: turned a quarter counter-clockwise, so the sky is on the left. Orientation
# 6 then says "turn a quarter clockwise to show". JFIF density 72 per inch.
convert "$work/upright.png" -rotate -90 -strip \
  -units PixelsPerInch -density 72 -sampling-factor 2x2 -quality 82 "$work/sideways.jpg"

exiftool -q -overwrite_original -n \
  -IFD0:Orientation=6 \
  -IFD0:Make='Veltra Optics' -IFD0:Model='VX-100 Field' \
  -IFD0:Artist='Veltra sample' \
  -IFD0:ImageDescription='Hills, a house and a tree under a morning sun' \
  -IFD0:XResolution=72 -IFD0:YResolution=72 -IFD0:ResolutionUnit=2 \
  -ExifIFD:DateTimeOriginal='2023:05:14 08:32:10' \
  -ExifIFD:CreateDate='2023:05:14 08:32:10' \
  -ExifIFD:ColorSpace=1 \
  -GPS:GPSVersionID='2 3 0 0' \
  -GPS:GPSLatitudeRef=N -GPS:GPSLatitude=47.3769 \
  -GPS:GPSLongitudeRef=E -GPS:GPSLongitude=8.5417 \
  -GPS:GPSAltitudeRef=0 -GPS:GPSAltitude=408 \
  "$work/sideways.jpg"

cp "$work/sideways.jpg" "$out"

# Read it back: every tag must be there with the value meant, and the file small enough.
check() {
  local tag="$1" expected="$2" actual
  actual="$(exiftool -s3 -n "-$tag" "$out")"
  if [ "$actual" != "$expected" ]; then
    echo "make_sample.sh: $tag is '$actual', meant '$expected'" >&2
    exit 1
  fi
}
check JFIF:ResolutionUnit 1
check JFIF:XResolution 72
check JFIF:YResolution 72
check IFD0:Orientation 6
check IFD0:Make 'Veltra Optics'
check IFD0:Model 'VX-100 Field'
check IFD0:Artist 'Veltra sample'
check IFD0:ImageDescription 'Hills, a house and a tree under a morning sun'
check ExifIFD:DateTimeOriginal '2023:05:14 08:32:10'
check ExifIFD:ColorSpace 1
check GPS:GPSLatitudeRef N
check GPS:GPSLatitude 47.3769
check GPS:GPSLongitudeRef E
check GPS:GPSLongitude 8.5417
check GPS:GPSAltitude 408
check File:ImageWidth $height
check File:ImageHeight $width

size=$(stat -c %s "$out")
if [ "$size" -gt 409600 ]; then
  echo "make_sample.sh: $out is $size bytes, over 400 KB" >&2
  exit 1
fi
echo "wrote $out ($size bytes)"
