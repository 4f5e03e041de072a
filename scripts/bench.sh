#!/usr/bin/env bash
# Measures Veltra on a 24-megapixel photo against the reference tools, in one run on one
# machine, and prints each target's ratio:
#   - veltra-bench (open, paints, export) beside djpeg's full decode and cjpeg's quality-100
#     4:4:4 encode of the same pixels;
#   - the first picture of a 24-megapixel camera raw beside djpeg's decode of its embedded
#     preview, and its full development beside LibRaw's own dcraw_emu with the same settings;
#   - veltra-info as a whole process beside exiftool, on the photo and on every real camera
#     file of the repository and of ../shared/corpus when it is there;
#   - the peak memory of showing the photo with a tiled watermark, against its pixel bytes.
# Usage: scripts/bench.sh [PHOTO.jpg]   (default: a photo-like picture veltra-bench generates)
#   RUNS  how many times each whole-process command runs; the best counts (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-5}
build=build/bench
bash scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF \
  -DVELTRA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target veltra-bench veltra-info >/dev/null

bench="$build/bench/veltra-bench"
info="$build/cli/veltra-info"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

photo=${1:-}
if [ -z "$photo" ]; then
  photo="$work/photo-24mp.jpg"
  QT_QPA_PLATFORM=offscreen "$bench" --write-photo "$photo"
fi
djpeg -outfile "$work/photo.ppm" "$photo"
# A 6000 x 4000 camera raw (DNG) with a full-size JPEG preview, and the preview on its own.
raw="$work/raw-24mp.dng"
python3 scripts/make_raw_fixtures.py --large "$raw"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "== photo: $photo ($(stat -c %s "$photo") bytes)"

QT_QPA_PLATFORM=offscreen VELTRA_BENCH_JPEG="$photo" VELTRA_BENCH_EXPORT="$work/export.jpg" \
  VELTRA_BENCH_RAW="$raw" "$bench" --benchmark_repetitions=3 --benchmark_format=json \
  >"$work/bench.json"
QT_QPA_PLATFORM=offscreen VELTRA_BENCH_JPEG="$photo" "$bench" --peak-memory >"$work/peak.txt"

python3 - "$photo" "$work" "$runs" "$info" "$raw" <<'PY'
import json, os, subprocess, sys, time

photo, work, runs, info, raw = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5]

def best_ms(command):
    best = None
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = (time.perf_counter() - start) * 1000
        best = elapsed if best is None else min(best, elapsed)
    return best

djpeg = best_ms(["djpeg", "-outfile", "/dev/null", photo])
cjpeg = best_ms(["cjpeg", "-quality", "100", "-sample", "1x1", "-outfile", "/dev/null",
                 os.path.join(work, "photo.ppm")])
exiftool = best_ms(["exiftool", photo])
# The raw's preview decoded alone, and LibRaw's own program developing the raw as Veltra does:
# camera white balance, sRGB, 16 bits, the sRGB curve, no brightening.
djpeg_preview = best_ms(["djpeg", "-outfile", "/dev/null", os.path.splitext(raw)[0] + ".preview.jpg"])
dcraw_emu = best_ms(["dcraw_emu", "-w", "-o", "1", "-6", "-g", "2.4", "12.92", "-W", "-Z", "-", raw])
veltra_info = best_ms([info, photo])

with open(os.path.join(work, "bench.json")) as f:
    results = json.load(f)["benchmarks"]
bench = {}
for row in results:
    if row.get("run_type") != "iteration":
        continue
    name = row["run_name"]
    bench[name] = min(bench.get(name, float("inf")), row["real_time"])

with open(os.path.join(work, "photo.ppm"), "rb") as f:
    f.readline()
    width, height = map(int, f.readline().split())
pixel_bytes = width * height * 4
peak_kb = int(open(os.path.join(work, "peak.txt")).read().split()[0])

rows = [
    ("Open/jpeg24mp", bench["Open/jpeg24mp"], "djpeg", djpeg, 1.3),
    ("Open/jpeg24mp_orient6", bench["Open/jpeg24mp_orient6"], "djpeg", djpeg, 1.5),
    ("Paint/jpeg24mp/plain", bench["Paint/jpeg24mp/plain"], "djpeg", djpeg, 0.05),
    ("Paint/jpeg24mp/fit", bench["Paint/jpeg24mp/fit"], "djpeg", djpeg, 0.05),
    ("Paint/jpeg24mp/tile", bench["Paint/jpeg24mp/tile"], "djpeg", djpeg, 0.05),
    ("Paint/jpeg24mp/resize", bench["Paint/jpeg24mp/resize"], "djpeg", djpeg, 0.15),
    ("Export/jpeg24mp/tile", bench["Export/jpeg24mp/tile"], "cjpeg 4:4:4", cjpeg, 1.3),
    ("veltra-info (process)", veltra_info, "exiftool", exiftool, 0.3),
    ("FirstPicture/raw24mp", bench["FirstPicture/raw24mp"], "djpeg preview", djpeg_preview, 1.3),
    ("Develop/raw24mp", bench["Develop/raw24mp"], "dcraw_emu", dcraw_emu, 1.3),
]
print(f"{'step':26} {'ms':>9}  {'reference':12} {'ms':>9} {'ratio':>7} {'target':>7}")
failed = 0
for name, value, reference, reference_ms, limit in rows:
    ratio = value / reference_ms
    ok = ratio <= limit
    failed += not ok
    print(f"{name:26} {value:9.1f}  {reference:12} {reference_ms:9.1f} {ratio:7.3f} {limit:7.2f}"
          f"  {'ok' if ok else 'MISSED'}")
ratio = peak_kb * 1024 / pixel_bytes
ok = ratio <= 2.5
failed += not ok
print(f"{'peak memory, tiled mark':26} {peak_kb / 1024:8.1f}M  {'pixel bytes':12} "
      f"{pixel_bytes / 1048576:8.1f}M {ratio:7.3f} {2.5:7.2f}  {'ok' if ok else 'MISSED'}")

# veltra-info is never slower than exiftool on a real camera file.
folders = ["tests/camera_files", "../shared/corpus"]
files = [os.path.join(root, name) for folder in folders if os.path.isdir(folder)
         for root, _, names in os.walk(folder) for name in sorted(names)
         if name.lower().endswith((".jpg", ".jpeg", ".tif", ".tiff"))]
worst = (0.0, "")
runs = min(runs, 3)
for path in files:
    ratio = best_ms([info, path]) / best_ms(["exiftool", path])
    worst = max(worst, (ratio, path))
ok = worst[0] <= 1.0
failed += not ok
print(f"veltra-info / exiftool on {len(files)} real files: worst {worst[0]:.3f} ({worst[1]})"
      f"  {'ok' if ok else 'MISSED'}")
sys.exit(1 if failed else 0)
PY
