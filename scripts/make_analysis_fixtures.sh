#!/usr/bin/env bash
# Writes the small JPEG files that the analysis tests read, into tests/fixtures/analysis/.
#
# Each picture is the same 16 x 16 gradient, encoded by libjpeg-turbo's cjpeg: at qualities
# 50, 75, 92 and 100, with 4:2:0 sampling (-sample 2x2) and with none (-sample 1x1), so
# that the quality in each file's name is the setting its tables were scaled from. At
# quality 10 the scaled steps pass 255: cjpeg keeps them as 16-bit steps unless told to
# write a baseline file, which clamps them to 255, so both are written. Huffman tables are
# optimised to keep the files at a few hundred bytes. One more file carries tables of its
# own, as a camera writes them (-qtables), so that no quality reproduces them.
#
# The generated files are committed, so the tests never need cjpeg.
# Needs cjpeg (libjpeg-turbo-progs), convert (imagemagick) and exiftool. Run from anywhere: scripts/make_analysis_fixtures.sh
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/tests/fixtures/analysis"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# A 16 x 16 binary PPM: red rises to the right, green downwards, blue along the diagonal.
picture="$work/gradient.ppm"
{
  printf 'P6\n16 16\n255\n'
  for ((y = 0; y < 16; ++y)); do
    for ((x = 0; x < 16; ++x)); do
      printf "\\$(printf '%03o' $((x * 16)))\\$(printf '%03o' $((y * 16)))\\$(printf '%03o' $(((x + y) * 8)))"
    done
  done
} > "$picture"

for quality in 50 75 92 100; do
  cjpeg -quality "$quality" -sample 2x2 -optimize -outfile "$out/cjpeg_quality_${quality}_420.jpg" "$picture"
  cjpeg -quality "$quality" -sample 1x1 -optimize -outfile "$out/cjpeg_quality_${quality}_444.jpg" "$picture"
done
cjpeg -quality 10 -sample 2x2 -optimize -outfile "$out/cjpeg_quality_10_16bit_steps.jpg" "$picture"
cjpeg -quality 10 -baseline -sample 2x2 -optimize -outfile "$out/cjpeg_quality_10_baseline.jpg" "$picture"

# Tables no IJG quality gives, as a camera's own fine tables look: the shapes of the
# standard tables, but steps nudged one way or the other. Table 0 serves the luminance,
# table 1 both chrominance components.
cat > "$work/own_tables.txt" <<'TABLES'
 1  1  1  2  3  6  8 10
 1  1  2  3  4  8  9  8
 2  2  2  3  6  8 10  8
 2  2  3  4  7 12 11  9
 3  3  5  8 10 15 14 11
 3  5  8  8 11 14 15 12
 7  8 10 11 14 16 16 13
10 12 12 13 15 13 14 13

 1  2  2  5 10 10 10 10
 2  2  3  7 10 10 10 10
 2  3  6 10 10 10 10 10
 5  7 10 10 10 10 10 10
10 10 10 10 10 10 10 10
10 10 10 10 10 10 10 10
10 10 10 10 10 10 10 10
10 10 10 10 10 10 10 10
TABLES
cjpeg -qtables "$work/own_tables.txt" -qslots 0,1 -sample 2x2 -optimize \
  -outfile "$out/own_tables_420.jpg" "$picture"

# Thumbnails: a 96 x 64 picture (red to blue, left to right) carrying in its Exif block a
# thumbnail of itself, and the same picture carrying a thumbnail of another one (a
# checkerboard), as an edit that leaves the old thumbnail behind does. The second also
# declares Exif pixel dimensions the picture does not have.
convert -size 64x96 gradient:red-blue -rotate -90 "$work/picture.ppm"
convert "$work/picture.ppm" -resize 48x32 "$work/same.ppm"
convert -size 48x32 pattern:checkerboard -fill black -draw "rectangle 0,0 23,15" "$work/other.ppm"
cjpeg -quality 90 -optimize -outfile "$work/picture.jpg" "$work/picture.ppm"
cjpeg -quality 90 -optimize -outfile "$work/same.jpg" "$work/same.ppm"
cjpeg -quality 90 -optimize -outfile "$work/other.jpg" "$work/other.ppm"
cp "$work/picture.jpg" "$out/thumbnail_of_itself.jpg"
exiftool -q -overwrite_original "-ThumbnailImage<=$work/same.jpg" -ExifImageWidth=96 \
  -ExifImageHeight=64 "$out/thumbnail_of_itself.jpg"
cp "$work/picture.jpg" "$out/thumbnail_of_another_picture.jpg"
exiftool -q -overwrite_original "-ThumbnailImage<=$work/other.jpg" -ExifImageWidth=1920 \
  -ExifImageHeight=1280 "$out/thumbnail_of_another_picture.jpg"

ls -l "$out"
if command -v exiftool > /dev/null; then
  exiftool -q -T -FileName -JPEGQualityEstimate "$out"/*.jpg
fi
