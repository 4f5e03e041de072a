#!/usr/bin/env bash
# Times veltra-info on every hostile file, in the three modes the hostile test runs (the
# report, --decode, and --decode --analyze --json), and prints for each mode the slowest files,
# the percentiles of wall-clock time, and how many files missed the target of 2 s each (files
# under 100 MB), by the clock and by processor time (what the clock would say on a machine with
# nothing else running, threads aside). The test bounds work, not time; this is where time is
# measured.
# Usage: scripts/bench_hostile.sh [FOLDER...]
#   FOLDER       files to time (default: the files scripts/make_hostile_files.py writes and the
#                regression files of tests/hostile/regressions)
#   VELTRA_INFO  the program to time (default: the Release build, built first)
#   TARGET       the target in seconds (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

info=${VELTRA_INFO:-}
if [ -z "$info" ]; then
  make --no-print-directory build-release >/dev/null
  info=build/release/cli/veltra-info
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
  python3 scripts/make_hostile_files.py "$work/generated" >/dev/null
  folders=("$work/generated" tests/hostile/regressions)
fi

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "== program: $info"
python3 - "$info" "${TARGET:-2}" "${folders[@]}" <<'PY'
import os, resource, subprocess, sys, time

info, target, folders = sys.argv[1], float(sys.argv[2]), sys.argv[3:]
LARGEST = 100 * 1000 * 1000
files = sorted(os.path.join(folder, name) for folder in folders for name in os.listdir(folder)
               if os.path.isfile(os.path.join(folder, name)) and not name.endswith(".md")
               and os.path.getsize(os.path.join(folder, name)) < LARGEST)
modes = (("report", []), ("--decode", ["--decode"]),
         ("--decode --analyze --json", ["--decode", "--analyze", "--json"]))
env = dict(os.environ, LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen")

def run(command):
    started = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               env=env)
    _, _, usage = os.wait4(process.pid, 0)
    return time.monotonic() - started, usage.ru_utime + usage.ru_stime, usage.ru_maxrss >> 10

print(f"== {len(files)} files under 100 MB, target {target:g} s each")
missed_total = 0
for mode, arguments in modes:
    rows = []
    for path in files:
        seconds, cpu, peak = run([info, *arguments, path])
        rows.append((seconds, cpu, peak, os.path.basename(path)))
    rows.sort(reverse=True)
    times = sorted(row[0] for row in rows)
    def percentile(p):
        return times[min(len(times) - 1, int(p / 100 * len(times)))]
    missed = [row for row in rows if row[0] > target]
    missed_cpu = [row for row in rows if row[1] > target]
    missed_total += len(missed)
    print(f"\n-- {mode}: median {percentile(50):.3f} s, 90th {percentile(90):.3f} s, "
          f"99th {percentile(99):.3f} s, slowest {times[-1]:.2f} s; "
          f"{len(missed)} over {target:g} s ({len(missed_cpu)} by processor time)")
    for seconds, cpu, peak, name in rows[:5]:
        print(f"   {seconds:6.2f} s  cpu {cpu:6.2f} s  peak {peak:6d} MiB  {name}")
print(f"\n== {missed_total} runs over {target:g} s")
sys.exit(1 if missed_total else 0)
PY
