#!/usr/bin/env bash
# Takes a screenshot of Veltra showing a picture, as a new user would see it.
#
#   scripts/screenshot.sh [--window] [--panel] PICTURE OUT.png
#   SCREEN  the virtual screen, WIDTHxHEIGHTxDEPTH (default 1280x1024x24); the window takes two
#           thirds of it each way
#
# Builds the program when there is none yet, starts it on a virtual X display with an empty
# configuration (with --panel, one that shows the information panel, as a user who pressed F9
# once has it), waits until its window is mapped, photographs the whole screen (or, with
# --window, only Veltra's window, as software centres show it), checks the window's caption
# ("NAME - Veltra") and stops everything it started.
set -euo pipefail

if [ "${1:-}" = "--inside-display" ]; then
  shift
  binary=$1 picture=$2 out=$3 area=$4
  expected="$(basename "$picture") - Veltra"

  "$binary" "$picture" &
  app_pid=$!
  trap 'kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true' EXIT

  # The window is there once the X server lists a window with the expected caption.
  window=""
  for _ in $(seq 1 300); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      echo "screenshot: veltra ended before showing its window" >&2
      exit 1
    fi
    window=$(xwininfo -root -tree | grep -F "\"$expected\"" | awk '{print $1}' | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "screenshot: no window captioned \"$expected\" appeared" >&2
    xwininfo -root -tree >&2 || true
    exit 1
  fi
  # Mapping comes before the first paint; give the picture, the report and the panel time to
  # appear.
  sleep 2.5
  if [ "$area" = window ]; then
    import -window "$window" "$out"
  else
    import -window root "$out"
  fi

  caption=$(xprop -id "$window" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
  echo "window $window caption: $caption"
  if [ "$caption" != "$expected" ]; then
    echo "screenshot: caption is \"$caption\", expected \"$expected\"" >&2
    exit 1
  fi
  exit 0
fi

area=screen
panel=false
while [ "${1:-}" = "--window" ] || [ "${1:-}" = "--panel" ]; do
  case "$1" in
    --window) area=window ;;
    --panel) panel=true ;;
  esac
  shift
done
if [ $# -ne 2 ]; then
  echo "usage: $0 [--window] [--panel] PICTURE OUT.png" >&2
  exit 2
fi

root="$(cd "$(dirname "$0")/.." && pwd)"
picture="$(realpath "$1")"
out="$(realpath -m "$2")"
binary="${VELTRA_BINARY:-$root/build/release/app/veltra}"

if [ ! -x "$binary" ]; then
  cmake -S "$root" -B "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build/release" -j2 --target veltra >/dev/null
fi

# A fresh user: no recent files, no settings, a runtime directory of its own.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
if [ "$panel" = true ]; then
  settings="$scratch/config/应用程序向导生成的本地应用程序"
  mkdir -p "$settings"
  printf '[Settings]\nInfoPanel=true\n' >"$settings/Veltra.conf"
fi

env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$scratch/config" \
  XDG_RUNTIME_DIR="$scratch/runtime" \
  xvfb-run -a -s "-screen 0 ${SCREEN:-1280x1024x24} -nolisten tcp" \
  bash "$0" --inside-display "$binary" "$picture" "$out" "$area"
echo "screenshot: $out"
