#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang and runs each for a short, bounded
# time on a copy of its seeds (fuzz/seeds/<name without _fuzz>/), so the seeds stay as they
# are. Exits non-zero when a target crashes, hangs, leaks or hits undefined behaviour; the
# input that did it is kept in the artifacts folder printed at the end.
#   FUZZ_SECONDS  time per target (default 20)
#   JOBS          build parallelism and targets run at once (default 2)
#   FUZZ_BUILD    build directory (default build/fuzz); one already configured with the
#                 fuzz targets (make test-sanitize's) is built as it is, not configured again
#   WERROR        ON to treat compiler warnings as errors, as CI does (default OFF)
#   MALLOC_MB     largest single allocation allowed (default 256): seeds are small, so the
#                 pixel budget is 64 MiB and anything far past it is a decoder trusting a
#                 declared size
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
jobs=${JOBS:-2}
build=${FUZZ_BUILD:-build/fuzz}

if ! command -v clang++ >/dev/null 2>&1; then
  echo "run_fuzzers: clang++ is needed (scripts/setup.sh installs it)" >&2
  exit 1
fi

if ! grep -q '^VELTRA_BUILD_FUZZ:BOOL=ON$' "$build/CMakeCache.txt" 2>/dev/null; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELTRA_BUILD_FUZZ=ON -DVELTRA_BUILD_TESTS=OFF \
    -DVELTRA_WARNINGS_AS_ERRORS="${WERROR:-OFF}" >/dev/null
fi
cmake --build "$build" -j"$jobs" --target veltra_fuzzers

artifacts="$build/artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Fonts and the library behind them keep caches for the life of the process, which the leak
# checker would count against the painting.
export LSAN_OPTIONS="suppressions=$PWD/scripts/leak_suppressions.txt:print_suppressions=0"

# One target's run on a copy of its seeds; $work/<name>.passed says it ran clean.
run_target() {
  local name=$1
  local corpus="$work/$name"
  mkdir -p "$corpus"
  local seeds="fuzz/seeds/${name%_fuzz}"
  if [ -d "$seeds" ]; then
    cp -R "$seeds"/. "$corpus"/
  fi
  # Each target runs headless. -timeout turns an input that never ends into a failure: set far
  # above what any input takes (a fraction of a second), so that it catches a hang, never a
  # slow or busy machine.
  if QT_QPA_PLATFORM=offscreen "$build/fuzz/$name" -max_total_time="$seconds" -timeout=300 \
      -rss_limit_mb=2048 -malloc_limit_mb="${MALLOC_MB:-256}" -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "$corpus" 2>"$work/$name.log"; then
    touch "$work/$name.passed"
  fi
}

# The targets are single-threaded: they run $jobs at a time.
names=()
while read -r name; do
  [ -x "$build/fuzz/$name" ] && names+=("$name")
done < "$build/fuzz/targets.txt"
if [ ${#names[@]} -eq 0 ]; then
  echo "run_fuzzers: no fuzz targets were built in $build/fuzz" >&2
  exit 1
fi
echo "run_fuzzers: ${#names[@]} targets for ${seconds}s each, $jobs at a time"
for name in "${names[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
    wait -n || true
  done
  run_target "$name" &
done
wait

failed=()
for name in "${names[@]}"; do
  if [ -e "$work/$name.passed" ]; then
    echo "== $name: $(grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$name.log" \
      | tr '\n' ' ')"
  else
    echo "== $name failed:" >&2
    tail -n 60 "$work/$name.log" >&2
    failed+=("$name")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "run_fuzzers: failed: ${failed[*]} (inputs in $artifacts)" >&2
  exit 1
fi
echo "run_fuzzers: ${#names[@]} target(s) ran clean"
